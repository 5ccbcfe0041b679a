#include "ExportData.h"

#include "contour/AreaOutline.h"
#include "contour/ContourTrace.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>

namespace nivora {

namespace {

std::string LowerExtension(const std::string& name)
{
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = name.substr(dot);
    for (char& ch : ext)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return ext;
}

}  // namespace

std::optional<TExportFormat> ExportFormatFor(const std::string& fileName)
{
    const std::string ext = LowerExtension(fileName);
    if (ext == ".xml")
        return TExportFormat::LandXml;
    if (ext == ".tif" || ext == ".tiff")
        return TExportFormat::GeoTiff;
    if (ext == ".gpkg")
        return TExportFormat::GeoPackage;
    if (ext == ".dxf")
        return TExportFormat::Dxf;
    if (ext == ".asc")
        return TExportFormat::AsciiGrid;
    return std::nullopt;
}

const char* ExportFormatName(TExportFormat format)
{
    switch (format) {
    case TExportFormat::LandXml: return "LandXML 1.2";
    case TExportFormat::GeoTiff: return "GeoTIFF";
    case TExportFormat::GeoPackage: return "GeoPackage";
    case TExportFormat::Dxf: return "DXF R12";
    case TExportFormat::AsciiGrid: return "ESRI ASCII Grid";
    }
    return "";
}

TExportData::TExportData(const TTerreno& terrain, const TUsedRect& area, bool hasDesign)
    : terrain_(terrain),
      hasDesign_(hasDesign),
      lx_(double(terrain.Lx().Value())),
      ly_(double(terrain.Ly().Value())),
      georeference_(terrain.Extension().Georeference),
      originX_(double(terrain.OriginX().Value())),
      originY_(double(terrain.OriginY().Value()))
{
    area_.FirstCol = std::max(area.FirstCol, 1);
    area_.FirstRow = std::max(area.FirstRow, 1);
    area_.LastCol = std::min(area.LastCol, terrain.ColCount());
    area_.LastRow = std::min(area.LastRow, terrain.RowCount());
}

double TExportData::Easting(double col) const
{
    const double from = georeference_ ? georeference_->CornerEasting : originX_;
    return from + (col - 1) * lx_;
}

double TExportData::Northing(double row) const
{
    if (!georeference_)
        return originY_ + (row - 1) * ly_;
    return georeference_->RowsRunSouth ? georeference_->CornerNorthing - (row - 1) * ly_
                                       : georeference_->CornerNorthing + (row - 1) * ly_;
}

double TExportData::Design(std::int32_t col, std::int32_t row) const
{
    return double(terrain_.DesignElevation(col, row));
}

double TExportData::CutFill(std::int32_t col, std::int32_t row) const { return double(terrain_.CutFill(col, row)); }

std::int64_t TExportData::StakeCount() const
{
    std::int64_t n = 0;
    for (std::int32_t r = area_.FirstRow; r <= area_.LastRow; ++r)
        for (std::int32_t c = area_.FirstCol; c <= area_.LastCol; ++c)
            n += Has(c, r) ? 1 : 0;
    return n;
}

std::int64_t TExportData::TriangleCount() const
{
    std::int64_t n = 0;
    ForEachTriangle([&](const TTriangle&) { ++n; });
    return n;
}

int TExportData::CellTriangles(std::int32_t col, std::int32_t row, std::array<TTriangle, 2>& out) const
{
    // The cell's corners counter-clockwise from its south-west one, as the
    // ground lies: east is the next column, north the row whose northing is
    // the larger.
    const std::int32_t south = RowsRunNorth() ? row : row + 1;
    const std::int32_t north = RowsRunNorth() ? row + 1 : row;
    const std::array<TStake, 4> ring{{{col, south}, {col + 1, south}, {col + 1, north}, {col, north}}};
    std::array<bool, 4> has{};
    int count = 0;
    for (std::size_t i = 0; i < 4; ++i)
        count += (has[i] = Has(ring[i].Col, ring[i].Row)) ? 1 : 0;
    if (count == 4) {
        // Split along the diagonal from the south-west to the north-east.
        out[0] = {ring[0], ring[1], ring[2]};
        out[1] = {ring[0], ring[2], ring[3]};
        return 2;
    }
    if (count == 3) {
        // The three left, in the ring's counter-clockwise order.
        std::size_t k = 0;
        for (std::size_t i = 0; i < 4; ++i)
            if (has[i])
                out[0][k++] = ring[i];
        return 1;
    }
    return 0;
}

std::vector<TWorldLine> TExportData::Contours(std::span<const long double> levels) const
{
    std::vector<TWorldLine> result;
    if (levels.empty() || area_.IsEmpty())
        return result;
    // Traced in the program's own stake coordinates, measured from the
    // area's first stake in units of a millimetre (coarser for a field so
    // wide that the integers of the tracing would not hold it), and turned
    // into the coordinates of the export afterwards.
    const float x0 = terrain_.StakeX(area_.FirstCol);
    const float y0 = terrain_.StakeY(area_.FirstRow);
    const double extent = std::max(Columns() * lx_, Rows() * ly_);
    const double unitsPerMetre = std::min(1000.0, 1e9 / std::max(extent, 1.0));
    TMapTransform transform;
    transform.MapX = [=](float x) { return std::int32_t(std::lround((double(x) - x0) * unitsPerMetre)); };
    transform.MapY = [=](float y) { return std::int32_t(std::lround((double(y) - y0) * unitsPerMetre)); };
    TCurvas curves;
    TraceLevels(curves, terrain_, area_, levels, transform);
    for (std::size_t k = 0; k < curves.Count(); ++k) {
        TCurva& curve = *curves.Curve(std::ptrdiff_t(k));
        Assemble(curve);
        const double level = double(curve.Level.Value());
        for (std::size_t i = 0; i < curve.Count(); ++i) {
            const TLine& line = curve.Line(i);
            TWorldLine out{level, line.IsClosed(), {}};
            out.Points.reserve(line.Count());
            for (std::size_t p = 0; p < line.Count(); ++p) {
                const double col = area_.FirstCol + line[p].X / unitsPerMetre / lx_;
                const double row = area_.FirstRow + line[p].Y / unitsPerMetre / ly_;
                out.Points.push_back({Easting(col), Northing(row), level});
            }
            result.push_back(std::move(out));
        }
    }
    return result;
}

std::vector<TWorldLine> TExportData::Outlines() const
{
    std::vector<TWorldLine> result;
    for (const std::vector<TNode>& frame : TraceOutlines(terrain_, area_)) {
        TWorldLine out{0, true, {}};
        out.Points.reserve(frame.size());
        // Node (c, r) is the corner of the cell of stake (c, r) towards
        // stake (c - 1, r - 1).
        for (const TNode& n : frame)
            out.Points.push_back({Easting(n.Col - 0.5), Northing(n.Row - 0.5), 0});
        result.push_back(std::move(out));
    }
    return result;
}

void StampNow(TExportInfo& info)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    info.Date = date;
    info.Time = time;
}

std::string LocalCoordinatesWarning()
{
    return "O projeto não tem sistema de coordenadas: o arquivo será gravado com as coordenadas locais dos "
           "piquetes (X para leste, Y para norte), sem georreferência. Para gravá-lo em coordenadas reais, "
           "informe o sistema e a posição do piquete (1, 1) em Arquivo → Propriedades do Projeto.";
}

}  // namespace nivora
