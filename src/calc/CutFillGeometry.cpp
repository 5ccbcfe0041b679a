#include "CutFillGeometry.h"

#include "calc/CalcSist.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace nivora {

TCellSize CutFillCellSize(long double lx, long double ly, std::int64_t columns, std::int64_t rows)
{
    TCellSize cell;
    if (!(lx > 0) || !(ly > 0) || !std::isfinite(lx) || !std::isfinite(ly))
        return cell;
    // The longer side in pixels, before it is held to the limits.
    const bool wide = lx >= ly;
    const long double exact = wide ? lx * cell.Height / ly : ly * cell.Width / lx;
    // Along the shorter side the map has MapCellSize pixels a stake; the
    // longer side shares what is left of the budget among its stakes.
    const std::int64_t across = std::max<std::int64_t>(1, wide ? rows : columns) * MapCellSize;
    const std::int64_t along = std::max<std::int64_t>(1, wide ? columns : rows);
    const std::int64_t fits = kMaxMapPixels / across / along;
    const long double limit = static_cast<long double>(std::clamp<std::int64_t>(fits, MapCellSize, kMaxMapCellSide));
    const int side = static_cast<int>(std::nearbyint(std::min(exact, limit)));
    (wide ? cell.Width : cell.Height) = side;
    return cell;
}

TRgb CutFillColour(std::uint8_t index)
{
    if (index == 0)
        return {255, 255, 255};
    if (index < 128)
        return {static_cast<std::uint8_t>(256 - index), 0, 0};
    return {0, 0, index};
}

std::optional<TStake> MouseToStake(int x, int y, int scrollX, int scrollY, int cellWidth, int cellHeight,
                                   const TUsedRect& area)
{
    if (cellWidth <= 0 || cellHeight <= 0)
        return std::nullopt;
    const std::int64_t px = std::int64_t{scrollX} + x;
    const std::int64_t py = std::int64_t{scrollY} + y;
    // Left of or above the map is outside it, not in its first column or row.
    if (px < 0 || py < 0)
        return std::nullopt;
    const std::int64_t c = px / cellWidth + area.FirstCol;
    const std::int64_t r = py / cellHeight + area.FirstRow;
    if (c < area.FirstCol || c > area.LastCol || r < area.FirstRow || r > area.LastRow)
        return std::nullopt;
    return TStake{static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)};
}

std::string CutFillReadout(double x, double y, bool real, long double v, char sep)
{
    std::string text = "|X = " + CoordinateText(x, real, sep) + " " + "   Y = " + CoordinateText(y, real, sep);
    if (v != TTerreno::NoValue) {
        if (!IsCutStake(v))
            text += "   Aterro = " + FormatFixed(v, 3, 8, sep);
        else
            text += "   Corte = " + FormatFixed(std::fabs(v), 3, 8, sep);
    }
    return text;
}

std::string CutFillReadout(const TTerreno& t, std::int32_t col, std::int32_t row, char sep)
{
    const TStakePoint p = StakeCoordinates(t, col, row);
    return CutFillReadout(p.X, p.Y, p.Real, t.CutFill(col, row), sep);
}

TBarScale ScaleBar(int panelHeight, long double maxFill, long double maxCut)
{
    const int usable = std::max(0, panelHeight - 8);
    const long double fill = std::max(0.0L, maxFill);
    const long double depth = fill + std::fabs(maxCut);
    TBarScale s;
    const long double scale = depth > 0 ? usable / depth : 0;
    // Depths far below a millimetre would make a scale beyond what a real
    // holds: as good as no depth at all.
    if (!(scale > 0) || scale > 1e30L) {
        s.BevelTop = usable / 2 + 4;
        return s;
    }
    s.BarScale = scale;
    s.BevelTop = static_cast<int>(std::nearbyint(s.BarScale * fill)) + 4;
    return s;
}

TBarShape ShowBar(long double v, const TBarScale& s, int panelHeight)
{
    TBarShape bar;
    if (v == TTerreno::NoValue)
        return bar;
    bar.Visible = true;
    const long double scaled = std::fabs(v) * s.BarScale;
    if (!IsCutStake(v)) {
        const int room = std::max(0, s.BevelTop - 2);
        bar.Colour = {0, 0, 255};
        bar.Height = static_cast<int>(std::nearbyint(std::min(scaled, static_cast<long double>(room))));
        bar.Top = s.BevelTop - bar.Height - 2;
    } else {
        const int room = std::max(0, panelHeight - s.BevelTop - 3);
        bar.Colour = {255, 0, 0};
        bar.Height = static_cast<int>(std::nearbyint(std::min(scaled, static_cast<long double>(room))));
        bar.Top = s.BevelTop + 3;
    }
    return bar;
}

}  // namespace nivora
