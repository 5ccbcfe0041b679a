#include "survey/PointImport.h"

#include "calc/CalcSist.h"
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

TPreparedPoints PreparePoints(IPointSource& source, const std::optional<TPointFormat>& format,
                              std::optional<bool> geographic)
{
    TPreparedPoints out;
    try {
        TPointReading reading = ReadPointSource(source, format);
        out.Format = reading.Format;
        out.Set = std::move(reading.Set);
        if (geographic.value_or(out.Set.LooksGeographic) && !out.Set.Points.empty()) {
            out.Zone = ProjectToUtm(out.Set.Points);
            out.Projected = true;
            out.ProposedEpsg = ProposedUtmEpsg(out.Zone.Zone, out.Zone.South);
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

TPreparedPoints PreparePoints(std::string_view text, const TPointFormat& format, bool geographic)
{
    TTextPointSource source(text);
    return PreparePoints(source, format, geographic);
}

std::string ReadingSummary(const TPreparedPoints& prepared, bool withProblem)
{
    const TPointSet& s = prepared.Set;
    const long long read = static_cast<long long>(s.Points.size()) + s.RepeatedCount;
    std::string text = Plural(read, "ponto lido", "pontos lidos") + " de " +
                       Plural(s.DataLines, "linha de dados.", "linhas de dados.") + "\n";
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
    if (prepared.Projected)
        text += "Coordenadas em graus (longitude e latitude): projetadas em UTM, fuso " +
                std::to_string(prepared.Zone.Zone) + (prepared.Zone.South ? " Sul" : " Norte") + ", WGS 84.\n";
    if (withProblem && !prepared.Problem.empty())
        text += prepared.Problem + "\n";
    return text;
}

std::string GridSummary(const TPointTriangulation& t, const TGridParams& p, char decimal, std::int64_t valueCount)
{
    try {
        const TGridSize n = CheckGridParams(t, p, decimal);
        return "Grade de " + std::to_string(n.Cols) + " × " + std::to_string(n.Rows) + " piquetes; " +
               Plural(valueCount, "piquete terá cota.", "piquetes terão cota.") + "\n";
    } catch (const TPointError& e) {
        return std::string(e.what()) + "\n";
    }
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
    bool fits = grid.Cols >= 1 && grid.Cols <= MaxGridSize && grid.Rows >= 1 && grid.Rows <= MaxGridSize &&
                grid.Z.size() == std::size_t(grid.Cols) * std::size_t(grid.Rows) && SpacingFits(p.Lx) &&
                SpacingFits(p.Ly) && OriginFits(p.OriginX) && OriginFits(p.OriginY) && epsg >= 0 &&
                std::isfinite(g.CornerNorthing);
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
