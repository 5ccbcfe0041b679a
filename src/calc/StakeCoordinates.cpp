#include "StakeCoordinates.h"

#include "calc/CalcSist.h"
#include "calc/FieldReport.h"
#include "data/NumberFormat.h"

#include <algorithm>

namespace nivora {

namespace {

// Surveyed coordinates are written to the millimetre with room for any
// easting or northing: fifteen digits hold 10 000 000 000,000.
constexpr int kRealPrecision = 15;

}  // namespace

TStakePoint StakeCoordinates(const TTerreno& t, std::int32_t column, std::int32_t row)
{
    if (const auto& geo = t.Extension().Georeference)
        return {geo->Easting(column, double(t.Lx())), geo->Northing(row, double(t.Ly())), true};
    return {t.StakeX(column), t.StakeY(row), false};
}

std::string CoordinateText(double value, bool real, char sep)
{
    if (!real)
        return FormatShortest(value, sep);
    std::string text = FormatFixed(value, 3, kRealPrecision, sep);
    const std::size_t mark = text.find(sep);
    if (mark != std::string::npos && text.find_first_of("Ee") == std::string::npos) {
        std::size_t end = text.find_last_not_of('0');
        if (end == mark)
            --end;
        text.erase(end + 1);
    }
    // A coordinate that rounds to zero from below reads as zero.
    if (text == "-0")
        text = "0";
    return text;
}

std::string CoordinateFixed(double value, bool real, int decimals, char sep)
{
    if (!real)
        return FormatFixed(value, decimals, 10, sep);
    const std::string shortest = CoordinateText(value, true, sep);
    const std::size_t mark = shortest.find(sep);
    const int needed = mark == std::string::npos ? 0 : int(shortest.size() - mark - 1);
    return FormatFixed(value, std::max(decimals, needed), kRealPrecision, sep);
}

std::string GeoreferenceText(const TGeoreference& g, char sep)
{
    const std::string system = g.Epsg == 0 ? "EPSG não informado" : "EPSG:" + std::to_string(g.Epsg);
    return system + ", piquete (1, 1) em E = " + CoordinateText(g.CornerEasting, true, sep)
           + " m, N = " + CoordinateText(g.CornerNorthing, true, sep) + " m";
}

std::optional<TFirstStake> FirstStakeDesign(const TTerreno& t, int slot, const TUsedRect& area)
{
    TUsedRect inside = area;
    inside.FirstCol = std::max(area.FirstCol, 1), inside.LastCol = std::min(area.LastCol, t.ColCount());
    inside.FirstRow = std::max(area.FirstRow, 1), inside.LastRow = std::min(area.LastRow, t.RowCount());
    if (area.IsEmpty() || inside.IsEmpty())
        return std::nullopt;
    for (const auto& [col, row] : WalkOrder(inside))
        if (t.GetCell(col, row) != 0.0f)
            return TFirstStake{col, row, t.DesignElevation(slot, col, row)};
    return std::nullopt;
}

std::string FirstStakeCaption(const TFirstStake& s)
{
    return "Cota de projeto no piquete (" + std::to_string(s.Col) + ", " + std::to_string(s.Row) + ")";
}

}  // namespace nivora
