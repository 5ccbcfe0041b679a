#include "TextExports.h"

#include "data/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace nivora {

namespace {

constexpr int kCoordinateDecimals = 3;
constexpr int kElevationDecimals = 4;
constexpr double kNoData = -9999;

// Appends numbers and text to one growing string: the files run to hundreds
// of megabytes for the largest grids, so numbers go through to_chars.
class TText {
public:
    explicit TText(std::size_t expected) { s_.reserve(expected); }
    TText& operator<<(const char* text)
    {
        s_ += text;
        return *this;
    }
    TText& operator<<(const std::string& text)
    {
        s_ += text;
        return *this;
    }
    TText& operator<<(char c)
    {
        s_ += c;
        return *this;
    }
    TText& Int(std::int64_t v)
    {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        s_.append(buf, static_cast<std::size_t>(r.ptr - buf));
        return *this;
    }
    TText& Fixed(double v, int decimals)
    {
        char buf[64];
        // A value that rounds to zero is written without its sign.
        if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals))
            v = 0;
        const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        s_.append(buf, static_cast<std::size_t>(r.ptr - buf));
        return *this;
    }
    std::string Take() { return std::move(s_); }

private:
    std::string s_;
};

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

void StartProgress(const TExportInfo& info, const char* format)
{
    if (info.Progress) {
        std::string message = "Gravando ";
        message.append(format).append("...");
        info.Progress->Start(message);
    }
}

void ReportProgress(const TExportInfo& info, std::int64_t done, std::int64_t total)
{
    if (info.Progress)
        info.Progress->Set(int(done), int(total));
}

// The ids of the stakes with an elevation: from 1, row by row.
std::vector<std::uint32_t> PointIds(const TExportData& d)
{
    std::vector<std::uint32_t> ids(std::size_t(d.Columns()) * std::size_t(d.Rows()), 0);
    std::uint32_t next = 0;
    const TUsedRect& a = d.Area();
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r)
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c)
            if (d.Has(c, r))
                ids[std::size_t(r - a.FirstRow) * std::size_t(d.Columns()) + std::size_t(c - a.FirstCol)] = ++next;
    return ids;
}

}  // namespace

std::string LandXmlText(const TExportData& d, const TExportInfo& info)
{
    const bool natural = info.Content.Natural;
    const bool design = info.Content.Design && d.HasDesign();
    const std::int64_t stakes = d.StakeCount();
    const int surfaces = (natural ? 1 : 0) + (design ? 1 : 0);
    TText x(std::size_t(surfaces) * std::size_t(stakes) * 110 + 2048);
    StartProgress(info, "LandXML");

    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" version=\"1.2\" date=\"" << info.Date
      << "\" time=\"" << info.Time << "\">\n"
      << "  <Units>\n    <Metric linearUnit=\"meter\" areaUnit=\"squareMeter\" volumeUnit=\"cubicMeter\" "
         "angularUnit=\"decimal degrees\" temperatureUnit=\"celsius\" pressureUnit=\"milliBars\"/>\n  </Units>\n";
    if (d.Georeferenced() && d.Epsg() != 0) {
        x << "  <CoordinateSystem";
        if (!info.CrsName.empty())
            x << " name=\"" << XmlEscaped(info.CrsName) << '"';
        x << " epsgCode=\"";
        x.Int(d.Epsg()) << "\"/>\n";
    }
    x << "  <Application name=\"Nivora\" version=\"" << XmlEscaped(info.Version) << "\"/>\n";
    if (surfaces == 0) {
        x << "</LandXML>\n";
        return x.Take();
    }

    const std::vector<std::uint32_t> ids = PointIds(d);
    const TUsedRect& a = d.Area();
    const auto id = [&](const TStake& s) {
        return ids[std::size_t(s.Row - a.FirstRow) * std::size_t(d.Columns()) + std::size_t(s.Col - a.FirstCol)];
    };
    const std::int64_t steps = std::int64_t(surfaces) * 2 * d.Rows();
    std::int64_t done = 0;
    x << "  <Surfaces>\n";
    for (int s = 0; s < 2; ++s) {
        const bool isDesign = s == 1;
        if (isDesign ? !design : !natural)
            continue;
        x << "    <Surface name=\"" << (isDesign ? "Projeto" : "Natural") << "\" desc=\""
          << (isDesign ? "Superfície de projeto do plano de trabalho" : "Terreno natural") << "\">\n"
          << "      <Definition surfType=\"TIN\">\n        <Pnts>\n";
        for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
            const double north = d.Northing(r);
            for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
                if (!d.Has(c, r))
                    continue;
                x << "          <P id=\"";
                x.Int(id({c, r})) << "\">";
                x.Fixed(north, kCoordinateDecimals) << ' ';
                x.Fixed(d.Easting(c), kCoordinateDecimals) << ' ';
                x.Fixed(isDesign ? d.Design(c, r) : d.Natural(c, r), kElevationDecimals) << "</P>\n";
            }
            ReportProgress(info, ++done, steps);
        }
        x << "        </Pnts>\n        <Faces>\n";
        for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
            if (r < a.LastRow)
                d.ForEachTriangleInRow(r, [&](const TTriangle& t) {
                    x << "          <F>";
                    x.Int(id(t[0])) << ' ';
                    x.Int(id(t[1])) << ' ';
                    x.Int(id(t[2])) << "</F>\n";
                });
            ReportProgress(info, ++done, steps);
        }
        x << "        </Faces>\n      </Definition>\n    </Surface>\n";
    }
    x << "  </Surfaces>\n</LandXML>\n";
    return x.Take();
}

namespace {

struct TLayer {
    const char* Name;
    int Colour;
};
constexpr TLayer kLayers[] = {
    {"NATURAL", 3}, {"PROJETO", 5}, {"CORTE_ATERRO", 1}, {"CURVAS", 6}, {"CONTORNO", 7},
};

void Group(TText& x, int code, const std::string& value) { x.Int(code) << '\n' << value << '\n'; }
void Group(TText& x, int code, double value, int decimals)
{
    x.Int(code) << '\n';
    x.Fixed(value, decimals) << '\n';
}
void Point(TText& x, int codeBase, double e, double n, double z)
{
    Group(x, codeBase, e, kCoordinateDecimals);
    Group(x, codeBase + 10, n, kCoordinateDecimals);
    Group(x, codeBase + 20, z, kElevationDecimals);
}

void Polyline(TText& x, const char* layer, const TWorldLine& line)
{
    // A 3-D polyline: each vertex keeps its elevation. A closed line is
    // flagged so and written without its last point, the first again.
    std::size_t count = line.Points.size();
    if (line.Closed && count > 1)
        --count;
    if (count < 2)
        return;
    Group(x, 0, "POLYLINE");
    Group(x, 8, layer);
    Group(x, 66, "1");
    Point(x, 10, 0, 0, line.Level);
    Group(x, 70, std::to_string(8 | (line.Closed ? 1 : 0)));
    for (std::size_t i = 0; i < count; ++i) {
        Group(x, 0, "VERTEX");
        Group(x, 8, layer);
        Point(x, 10, line.Points[i].E, line.Points[i].N, line.Points[i].Z);
        Group(x, 70, "32");
    }
    Group(x, 0, "SEQEND");
    Group(x, 8, layer);
}

}  // namespace

std::string DxfText(const TExportData& d, const TExportInfo& info)
{
    const TExportContent& want = info.Content;
    const bool design = want.Design && d.HasDesign();
    const bool cutFill = want.CutFill && d.HasDesign();
    const std::int64_t stakes = d.StakeCount();
    const int perStake = (want.Natural ? 70 : 0) + (design ? 380 : 0) + (cutFill ? 90 : 0);
    TText x(std::size_t(stakes) * std::size_t(perStake) + 4096);
    StartProgress(info, "DXF");

    // DXF has no place for the coordinate system but a comment; the .prj
    // beside the file gives it to the programs that look for one.
    x << "999\n";
    if (d.Georeferenced() && d.Epsg() != 0) {
        x << "EPSG:";
        x.Int(d.Epsg());
        if (!info.CrsName.empty())
            x << ' ' << info.CrsName;
    } else {
        x << "Coordenadas locais do projeto, sem sistema de coordenadas";
    }
    x << "\n999\nNivora " << info.Version << '\n';

    // The header: the version and the drawing's extent.
    double minE = d.Easting(d.Area().FirstCol - 0.5), maxE = d.Easting(d.Area().LastCol + 0.5);
    double minN = d.Northing(d.Area().FirstRow - 0.5), maxN = d.Northing(d.Area().LastRow + 0.5);
    if (minN > maxN)
        std::swap(minN, maxN);
    Group(x, 0, "SECTION");
    Group(x, 2, "HEADER");
    Group(x, 9, "$ACADVER");
    Group(x, 1, "AC1009");
    Group(x, 9, "$INSUNITS");
    Group(x, 70, "6");
    Group(x, 9, "$EXTMIN");
    Point(x, 10, minE, minN, 0);
    Group(x, 9, "$EXTMAX");
    Point(x, 10, maxE, maxN, 0);
    Group(x, 0, "ENDSEC");

    Group(x, 0, "SECTION");
    Group(x, 2, "TABLES");
    Group(x, 0, "TABLE");
    Group(x, 2, "LAYER");
    Group(x, 70, std::to_string(std::size(kLayers)));
    for (const TLayer& l : kLayers) {
        Group(x, 0, "LAYER");
        Group(x, 2, l.Name);
        Group(x, 70, "0");
        Group(x, 62, std::to_string(l.Colour));
        Group(x, 6, "CONTINUOUS");
    }
    Group(x, 0, "ENDTAB");
    Group(x, 0, "ENDSEC");

    Group(x, 0, "SECTION");
    Group(x, 2, "ENTITIES");
    const TUsedRect& a = d.Area();
    const std::int64_t steps = 2 * std::int64_t(d.Rows()) + 1;
    std::int64_t done = 0;
    const double textHeight = std::min(d.Lx(), d.Ly()) / 5;
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
        const double north = d.Northing(r);
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            if (!d.Has(c, r))
                continue;
            const double east = d.Easting(c);
            if (want.Natural) {
                Group(x, 0, "POINT");
                Group(x, 8, "NATURAL");
                Point(x, 10, east, north, d.Natural(c, r));
            }
            if (cutFill) {
                const double depth = d.CutFill(c, r);
                TText label(16);
                if (depth > 0)
                    label << '+';
                label.Fixed(depth, 3);
                Group(x, 0, "TEXT");
                Group(x, 8, "CORTE_ATERRO");
                Point(x, 10, east, north, d.Design(c, r));
                Group(x, 40, textHeight, kCoordinateDecimals);
                Group(x, 1, label.Take());
            }
        }
        ReportProgress(info, ++done, steps);
    }
    if (design)
        for (std::int32_t r = a.FirstRow; r < a.LastRow; ++r) {
            d.ForEachTriangleInRow(r, [&](const TTriangle& t) {
                Group(x, 0, "3DFACE");
                Group(x, 8, "PROJETO");
                // The fourth corner repeats the third: a triangle.
                for (int k = 0; k < 4; ++k) {
                    const TStake& s = t[std::size_t(std::min(k, 2))];
                    Point(x, 10 + k, d.Easting(s.Col), d.Northing(s.Row), d.Design(s.Col, s.Row));
                }
            });
            ReportProgress(info, ++done, steps);
        }
    if (want.Contours)
        for (const TWorldLine& line : d.Contours(info.Levels))
            Polyline(x, "CURVAS", line);
    if (want.Outline)
        for (const TWorldLine& line : d.Outlines())
            Polyline(x, "CONTORNO", line);
    Group(x, 0, "ENDSEC");
    Group(x, 0, "EOF");
    ReportProgress(info, steps, steps);
    return x.Take();
}

std::string AsciiGridText(const TExportData& d, const TExportInfo& info)
{
    if (d.Lx() != d.Ly())
        throw TExportRefused("O ESRI ASCII Grid só tem células quadradas, e os piquetes deste projeto estão a Lx = "
                             + FormatShortest(d.Lx(), ',') + " m e Ly = " + FormatShortest(d.Ly(), ',')
                             + " m. Grave em GeoTIFF, que aceita espaçamentos diferentes.");
    const bool design = info.Content.Design && d.HasDesign();
    const TUsedRect& a = d.Area();
    TText x(std::size_t(d.Columns()) * std::size_t(d.Rows()) * 10 + 256);
    StartProgress(info, "ESRI ASCII Grid");
    const double south = std::min(d.Northing(a.FirstRow), d.Northing(a.LastRow));
    x << "ncols ";
    x.Int(d.Columns()) << "\nnrows ";
    x.Int(d.Rows()) << "\nxllcorner ";
    x.Fixed(d.Easting(a.FirstCol) - d.Lx() / 2, kCoordinateDecimals) << "\nyllcorner ";
    x.Fixed(south - d.Ly() / 2, kCoordinateDecimals) << "\ncellsize ";
    x.Fixed(d.Lx(), kCoordinateDecimals) << "\nNODATA_value ";
    x.Int(std::int64_t(kNoData)) << '\n';
    // Rows from the north.
    for (std::int32_t i = 0; i < d.Rows(); ++i) {
        const std::int32_t r = d.RowsRunNorth() ? a.LastRow - i : a.FirstRow + i;
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            if (c > a.FirstCol)
                x << ' ';
            if (!d.Has(c, r))
                x.Int(std::int64_t(kNoData));
            else
                x.Fixed(design ? d.Design(c, r) : d.Natural(c, r), kElevationDecimals);
        }
        x << '\n';
        ReportProgress(info, i + 1, d.Rows());
    }
    return x.Take();
}

}  // namespace nivora
