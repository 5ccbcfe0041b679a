#include "survey/PointImport.h"

#include "calc/CalcSist.h"
#include "data/NumberFormat.h"
#include "survey/Crs.h"

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

std::string Plural(long long n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

namespace {

// Brazil's box, from the Contamana meridian to the islands off the east
// coast and from the Chuí to the Caburaí.
bool InBrazil(double lon, double lat) { return lon >= -74.1 && lon <= -28.6 && lat >= -33.9 && lat <= 5.4; }

struct TBox {
    double MinE = 1e300, MaxE = -1e300, MinN = 1e300, MaxN = -1e300;
    void Add(double e, double n)
    {
        MinE = std::min(MinE, e), MaxE = std::max(MaxE, e);
        MinN = std::min(MinN, n), MaxN = std::max(MaxN, n);
    }
    double Area() const { return (MaxE - MinE) * (MaxN - MinN); }
};

// Up to a couple of thousand of the points, spread over the file.
std::vector<TSurveyPoint> SampleOf(const std::vector<TSurveyPoint>& points)
{
    const std::size_t step = std::max<std::size_t>(1, points.size() / 2000);
    std::vector<TSurveyPoint> sample;
    for (std::size_t i = 0; i < points.size(); i += step)
        sample.push_back(points[i]);
    return sample;
}

// The area of the box of the points projected to UTM in the zone of their
// middle.
double ProjectedArea(std::vector<TSurveyPoint> sample)
{
    ProjectToUtm(sample);
    TBox box;
    for (const TSurveyPoint& p : sample)
        box.Add(p.E, p.N);
    return box.Area();
}

// A file in degrees without a header may hold latitude and longitude in
// either order. The points are read with E the longitude; when the other
// reading is as valid, the one in Brazil is taken, or else the more compact.
TDegreeOrder ChooseDegreeOrder(TPreparedPoints& out)
{
    std::vector<TSurveyPoint>& points = out.Set.Points;
    bool asReadValid = true, swappedValid = true;
    TBox read;
    for (const TSurveyPoint& p : points) {
        asReadValid = asReadValid && std::fabs(p.N) <= 90;
        swappedValid = swappedValid && std::fabs(p.E) <= 90;
        read.Add(p.E, p.N);
    }
    bool swap = false;
    TDegreeOrder why = TDegreeOrder::NotAsked;
    if (!asReadValid || !swappedValid) {
        swap = !asReadValid && swappedValid;
    } else {
        const double midE = 0.5 * (read.MinE + read.MaxE), midN = 0.5 * (read.MinN + read.MaxN);
        const bool asReadInBrazil = InBrazil(midE, midN), swappedInBrazil = InBrazil(midN, midE);
        if (asReadInBrazil != swappedInBrazil) {
            swap = swappedInBrazil;
            why = TDegreeOrder::InBrazil;
        } else {
            std::vector<TSurveyPoint> sample = SampleOf(points);
            const double asReadArea = ProjectedArea(sample);
            for (TSurveyPoint& p : sample)
                std::swap(p.E, p.N);
            swap = ProjectedArea(std::move(sample)) < asReadArea;
            why = TDegreeOrder::Compact;
        }
    }
    if (swap) {
        for (TSurveyPoint& p : points)
            std::swap(p.E, p.N);
        std::swap(out.Format.ColE, out.Format.ColN);
    }
    return why;
}

}  // namespace

TPreparedPoints PreparePoints(IPointSource& source, const TPointOptions& options)
{
    TPreparedPoints out;
    try {
        TPointReading reading = ReadPointSource(source, options.Format, options.Columns);
        out.Format = reading.Format;
        out.Set = std::move(reading.Set);
        const bool degrees =
            options.Geographic.value_or((options.Columns && options.Columns->Degrees) || out.Set.LooksGeographic);
        if (degrees && !out.Set.Points.empty()) {
            if (out.Format.OrderGuessed) {
                out.Order = ChooseDegreeOrder(out);
                // The layout now says the order: read again with it (as the
                // dialog does, with the columns the user may change), it is
                // not turned round again.
                out.Format.OrderGuessed = false;
            }
            if (options.Epsg > 0) {
                ProjectToCrs(out.Set.Points, options.Epsg);
                out.ProposedEpsg = options.Epsg;
                out.ProjectedToNamed = true;
            } else {
                out.Zone = ProjectToUtm(out.Set.Points);
                out.ProposedEpsg = ProposedUtmEpsg(out.Zone.Zone, out.Zone.South);
            }
            out.Projected = true;
        }
        out.Triangulation = std::make_unique<TPointTriangulation>(out.Set.Points);
    } catch (const TPointsOnALine& e) {
        out.Problem = e.what();
        out.OnALine = true;
    } catch (const TPointError& e) {
        out.Problem = e.what();
    }
    return out;
}

TPreparedPoints PreparePoints(IPointSource& source, const std::optional<TPointFormat>& format,
                              std::optional<bool> geographic)
{
    TPointOptions options;
    options.Format = format;
    options.Geographic = geographic;
    return PreparePoints(source, options);
}

TPreparedPoints PreparePoints(std::string_view text, const TPointFormat& format, bool geographic)
{
    TTextPointSource source(text);
    return PreparePoints(source, format, geographic);
}

std::string ReadingSummary(const TPreparedPoints& prepared, bool withProblem)
{
    const TPointSet& s = prepared.Set;
    const long long read = static_cast<long long>(s.Points.size()) + s.RepeatedCount;
    std::string text = Plural(read, "ponto lido", "pontos lidos") + " de "
                       + Plural(s.DataLines, "linha de dados.", "linhas de dados.") + "\n";
    if (s.RefusedCount > 0) {
        text += Plural(s.RefusedCount, "linha recusada:", "linhas recusadas:") + "\n";
        for (const TPointRemark& r : s.Refused)
            text += "  linha " + std::to_string(r.Line) + ": " + r.Text + "\n";
        if (s.RefusedCount > static_cast<int>(s.Refused.size()))
            text += "  e mais " + std::to_string(s.RefusedCount - static_cast<int>(s.Refused.size())) + ".\n";
    }
    if (s.RepeatedCount > 0) {
        text += Plural(s.RepeatedCount, "ponto repetido (mesmo E e N) foi unido",
                       "pontos repetidos (mesmo E e N) foram unidos");
        if (s.ConflictCount == 0) {
            text += ".\n";
        } else {
            text += "; " + std::to_string(s.ConflictCount) + " com cota diferente, valendo a média das cotas:\n";
            for (const TPointRemark& r : s.Conflicts)
                text += "  linha " + std::to_string(r.Line) + ": " + r.Text + "\n";
            if (s.ConflictCount > static_cast<int>(s.Conflicts.size()))
                text += "  e mais " + std::to_string(s.ConflictCount - static_cast<int>(s.Conflicts.size())) + ".\n";
        }
    }
    if (prepared.Order != TDegreeOrder::NotAsked)
        text += std::string("Colunas lidas como ")
                + (prepared.Format.ColE < prepared.Format.ColN ? "longitude, latitude" : "latitude, longitude")
                + (prepared.Order == TDegreeOrder::InBrazil ? " (a ordem que põe os pontos no Brasil).\n"
                                                            : " (a ordem que dá o levantamento mais compacto).\n");
    if (prepared.Projected) {
        const auto crs = LookUpEpsg(prepared.ProposedEpsg);
        const std::string name =
            " (EPSG " + std::to_string(prepared.ProposedEpsg) + (crs ? ", " + crs->Name : "") + ")";
        if (prepared.ProjectedToNamed)
            text += "Coordenadas em graus (longitude e latitude): projetadas no sistema" + name + ".\n";
        else
            text += "Coordenadas em graus (longitude e latitude): projetadas em UTM, fuso "
                    + std::to_string(prepared.Zone.Zone) + (prepared.Zone.South ? " Sul" : " Norte") + name + ".\n";
    }
    if (withProblem && !prepared.Problem.empty())
        text += prepared.Problem + "\n";
    return text;
}

std::string GridSummary(const TPointTriangulation& t, const TGridParams& p, char decimal, std::int64_t valueCount)
{
    try {
        const TGridSize n = CheckGridParams(t, p, decimal);
        return "Grade de " + std::to_string(n.Cols) + " × " + std::to_string(n.Rows) + " piquetes; "
               + Plural(valueCount, "piquete terá cota.", "piquetes terão cota.") + "\n";
    } catch (const TPointError& e) {
        return std::string(e.what()) + "\n";
    }
}

std::string GridSummary(const TPointTriangulation& t, const TGridParams& p, char decimal, const TGriddedPoints& grid)
{
    std::string text = GridSummary(t, p, decimal, grid.ValueCount);
    const std::int64_t empty = grid.EmptyByEdge + grid.EmptyByDistance;
    if (grid.Cols == 0 || grid.InsideCount == 0)
        return text;
    if (empty == 0)
        return text + "Todos os piquetes entre os pontos (dentro do seu contorno convexo) terão cota.\n";
    text += Plural(empty, "piquete", "piquetes") + " entre os pontos (dentro do seu contorno convexo) "
            + (empty == 1 ? "ficará sem cota: " : "ficarão sem cota: ");
    const std::string edge = "em triângulos com lado maior que o máximo (" + FormatGeneral(p.MaxEdge, 4, decimal)
                             + " m), como nas reentrâncias do levantamento";
    const std::string distance =
        "a mais que a distância máxima (" + FormatGeneral(p.MaxDistance, 4, decimal) + " m) de um ponto medido";
    if (grid.EmptyByDistance == 0)
        text += edge;
    else if (grid.EmptyByEdge == 0)
        text += distance;
    else
        text += std::to_string(grid.EmptyByEdge) + " " + edge + "; " + std::to_string(grid.EmptyByDistance) + " "
                + distance;
    return text + ".\n";
}

TGeoreference GridGeoreference(const TGriddedPoints& grid, const TGridParams& p, std::int32_t epsg)
{
    // The stakes lie at the spacings the terrain keeps, singles; the corner
    // is counted from the south-west stake with them, in double.
    TGeoreference g;
    g.Epsg = epsg;
    g.CornerEasting = p.OriginX;
    g.CornerNorthing = p.OriginY + double(static_cast<float>(p.Ly)) * double(std::max(grid.Rows - 1, 0));
    g.RowsRunSouth = true;
    return g;
}

std::unique_ptr<TTerreno> MakeTerrain(const TGriddedPoints& grid, const TGridParams& p, std::int32_t epsg)
{
    // Nothing goes into the document that a saved project could not hold
    // and read back.
    const TGeoreference g = GridGeoreference(grid, p, epsg);
    bool fits = grid.Cols >= 1 && grid.Cols <= MaxGridSize && grid.Rows >= 1 && grid.Rows <= MaxGridSize
                && grid.Z.size() == std::size_t(grid.Cols) * std::size_t(grid.Rows) && SpacingFits(p.Lx)
                && SpacingFits(p.Ly) && OriginFits(p.OriginX) && OriginFits(p.OriginY) && epsg >= 0
                && std::isfinite(g.CornerNorthing);
    for (std::size_t i = 0; fits && i < grid.Z.size(); ++i)
        fits = std::isfinite(grid.Z[i]);
    if (!fits)
        throw TPointError("A grade calculada não cabe num projeto.");
    auto t = std::make_unique<TTerreno>(grid.Cols, grid.Rows, static_cast<float>(p.Lx), static_cast<float>(p.Ly));
    t->SetOrigin(0, 0);
    t->SetGeoreference(g);
    for (std::int32_t r = 1; r <= grid.Rows; ++r)
        for (std::int32_t c = 1; c <= grid.Cols; ++c)
            if (const float z = grid.Z[std::size_t(r - 1) * std::size_t(grid.Cols) + std::size_t(c - 1)]; z != 0.0f)
                t->SetCell(c, r, z);
    return t;
}

}  // namespace nivora
