#pragma once
// The arithmetic of the cut-and-fill map that needs no window: the pixels of a
// stake's cell, the palette index of a cut or fill, the stake under the
// pointer, the readout of the status line and the layout of the side bar that
// shows the depth under the pointer. The bitmap itself is drawn in
// CutFillMap.h; the map window calls these with its scroll position and the
// height of the main window's side panel.

#include "calc/Plan.h"
#include "data/GridTypes.h"
#include "data/Real48.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace nivora {

class TTerreno;

// Pixels of the shorter side of a stake's cell.
constexpr int MapCellSize = 8;
// The longer side never grows beyond this: spacings more unequal than 32 to 1
// (a typing slip, as a rule) still draw every stake, only less elongated.
constexpr int kMaxMapCellSide = 32 * MapCellSize;
// One byte a pixel: a map never takes more than 256 MiB. At 8 x 8 pixels a
// stake the full 1000 x 1000 grid needs a quarter of it, so every valid area
// fits; only the elongation of the cells gives way on the largest ones.
constexpr std::int64_t kMaxMapPixels = std::int64_t{1} << 28;

struct TCellSize {
    int Width = MapCellSize;
    int Height = MapCellSize;
    bool operator==(const TCellSize&) const = default;
};

// The cell of one stake keeps the proportions of the stake spacing, its
// shorter side MapCellSize pixels and the longer one rounded halves to even:
// Lx 20 and Ly 10 give 16 x 8. The longer side is held to kMaxMapCellSide and
// to what keeps a map of columns x rows stakes within kMaxMapPixels. Spacings
// that are not positive numbers give square cells.
TCellSize CutFillCellSize(long double lx, long double ly, std::int64_t columns = 1, std::int64_t rows = 1);

// Palette index of one stake's cut/fill v (positive fills, negative cuts,
// TTerreno::NoValue without elevation) under a plan whose deepest cut and
// fill are maxCut and maxFill: 0 white for no elevation; cuts from 1 (the
// deepest, pure red) to 127 (the shallowest, the darkest red); fills from 128
// (the shallowest, the darkest blue, which also takes a stake on the plane,
// a fill of depth 0 as the plan counts it) to 255 (the deepest, pure blue). A depth beyond the plan's deepest
// keeps the deepest shade. A plan without cut (maxCut 0) or without fill
// (maxFill 0) has no depth to scale by: a stake on that side can only be as
// deep as 0, and takes the shallowest shade, 127 or 128.
// Rounded with lrint (halves to even in the default mode): nearbyint saves
// and restores the floating-point environment at every call, which alone cost
// more than the rest of the map.
inline std::uint8_t CutFillIndex(long double v, long double maxCut, long double maxFill)
{
    if (v == kNoCutFill)
        return 0;
    if (!IsCutStake(v)) {
        if (!(maxFill > 0))
            return 128;
        const long double q = 127 * v / maxFill;
        return static_cast<std::uint8_t>(128 + static_cast<int>(std::lrint(std::min(q, 127.0L))));
    }
    if (maxCut == 0)
        return 127;
    const long double q = std::fabs(v / maxCut);
    return static_cast<std::uint8_t>(127 - static_cast<int>(std::lrint(126 * std::min(q, 1.0L))));
}

// (red, green, blue) of a palette index: white, then the reds from 255, 0, 0
// down to 129, 0, 0, then the blues from 0, 0, 128 up to 0, 0, 255.
struct TRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    bool operator==(const TRgb&) const = default;
};
TRgb CutFillColour(std::uint8_t index);

struct TStake {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    bool operator==(const TStake&) const = default;
};

// The stake under the pointer at (x, y) of the map window's client area,
// scrolled by (scrollX, scrollY), on a map of `area` drawn with cells of
// cellWidth x cellHeight pixels. The window passes the area the bitmap was
// drawn over (TCutFillMap::Area), so that the readout names the stake drawn
// under the pointer. Nothing outside the map, left of or above it included.
std::optional<TStake> MouseToStake(int x, int y, int scrollX, int scrollY, int cellWidth, int cellHeight,
                                   const TUsedRect& area);

// The status-line text for a stake at (x, y) with cut/fill v, as the window's
// hint: "|X = 20    Y = 0   Corte = 0,750". The leading bar makes it a
// status text without a tool-tip. Without elevation only the X and Y part.
// The coordinates are written as CoordinateText writes them (`real` for a
// surveyed easting and northing).
std::string CutFillReadout(double x, double y, bool real, long double v, char decimalSeparator);
// The same for stake (col, row) of the terrain's working plan.
std::string CutFillReadout(const TTerreno& terrain, std::int32_t col, std::int32_t row, char decimalSeparator);

// The side panel's scale: BarScale pixels a metre, so that the deepest fill
// reaches the panel's top and the deepest cut its bottom, and the top of the
// zero line. A plan without any depth (every stake on the plane) has nothing
// to scale: BarScale 0 and the zero line in the middle of the panel.
struct TBarScale {
    Real48 BarScale;
    int BevelTop = 0;
};
TBarScale ScaleBar(int panelHeight, long double maxFill, long double maxCut);

// Shape1 for a stake's cut/fill v: blue and rising above the zero line for a
// fill, red and hanging below it for a cut (a stake on the plane is a cut of
// height 0), hidden without elevation. A depth beyond the scale (the plan
// changed since the panel was scaled) stops at the panel's edge.
struct TBarShape {
    bool Visible = false;
    TRgb Colour;
    int Top = 0;
    int Height = 0;
    bool operator==(const TBarShape&) const = default;
};
TBarShape ShowBar(long double v, const TBarScale& scale, int panelHeight);

}  // namespace nivora
