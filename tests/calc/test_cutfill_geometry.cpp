// The cut-and-fill map's arithmetic: cell sizes, palette indexes, the stake
// under the pointer, the status-line readout and the side bar.

#include "calc/CutFillGeometry.h"

#include "FourStakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace nivora;
using nivora::testing::SystematizedFourStakes;

namespace {}  // namespace

TEST(CutFillCellSize, KeepsTheSpacingProportionsWithEightPixelsOnTheShorterSide)
{
    EXPECT_EQ(CutFillCellSize(20, 10), (TCellSize{16, 8}));
    EXPECT_EQ(CutFillCellSize(10, 25), (TCellSize{8, 20}));
    EXPECT_EQ(CutFillCellSize(20, 20), (TCellSize{8, 8}));
    EXPECT_EQ(CutFillCellSize(0.1L, 0.1L), (TCellSize{8, 8}));
    // Halves go to the even neighbour: 8.5 -> 8, 9.5 -> 10, 10.5 -> 10.
    EXPECT_EQ(CutFillCellSize(17, 16), (TCellSize{8, 8}));
    EXPECT_EQ(CutFillCellSize(19, 16), (TCellSize{10, 8}));
    EXPECT_EQ(CutFillCellSize(16, 21), (TCellSize{8, 10}));
}

TEST(CutFillCellSize, AbsurdSpacingsStayWithinBounds)
{
    // 1000 to 1 would make a cell 8000 pixels long.
    EXPECT_EQ(CutFillCellSize(1000, 1), (TCellSize{kMaxMapCellSide, 8}));
    EXPECT_EQ(CutFillCellSize(1, 1e-30L), (TCellSize{kMaxMapCellSide, 8}));
    // On the full grid 4 to 1 still fits whole; beyond, the budget holds.
    EXPECT_EQ(CutFillCellSize(40, 10, 1000, 1000), (TCellSize{32, 8}));
    const TCellSize tall = CutFillCellSize(1, 1000, 1000, 1000);
    EXPECT_EQ(tall.Width, 8);
    EXPECT_GT(tall.Height, 32);
    EXPECT_LE(std::int64_t{tall.Width} * 1000 * tall.Height * 1000, kMaxMapPixels);
    // Spacings that are no lengths at all.
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    for (auto [lx, ly] : {std::pair{0.0L, 10.0L}, {10.0L, -1.0L}, {nan, 10.0L}})
        EXPECT_EQ(CutFillCellSize(lx, ly), (TCellSize{8, 8})) << lx << " " << ly;
}

TEST(CutFillIndex, ShadesFromTheDeepestToThePlane)
{
    EXPECT_EQ(CutFillIndex(TTerreno::NoValue, 0.75L, 0.75L), 0);
    EXPECT_EQ(CutFillIndex(0.75L, 0.75L, 0.75L), 255);
    EXPECT_EQ(CutFillIndex(-0.75L, 0.75L, 0.75L), 1);
    // On the plane: a fill of depth 0 as the plan counts it, the darkest blue.
    EXPECT_EQ(CutFillIndex(0.0L, 0.75L, 0.75L), 128);
    EXPECT_EQ(CutFillIndex(-1e-30L, 0.75L, 0.75L), 127);
    EXPECT_EQ(CutFillIndex(1e-30L, 0.75L, 0.75L), 128);
    // 127 * 62.5 / 127 = 62.5 and 126 * 3/4 = 94.5: halves to even.
    EXPECT_EQ(CutFillIndex(62.5L, 1.0L, 127.0L), 128 + 62);
    EXPECT_EQ(CutFillIndex(-3.0L, 4.0L, 1.0L), 127 - 94);
    EXPECT_EQ(CutFillIndex(-0.375L, -0.75L, 1.0L), 64);  // the cut's sign does not matter
    // Deeper than the plan's deepest: the deepest shade, never a wrap.
    EXPECT_EQ(CutFillIndex(1e30L, 1.0L, 1e-30L), 255);
    EXPECT_EQ(CutFillIndex(-1e30L, 1e-30L, 1.0L), 1);
}

TEST(CutFillIndex, APlanWithoutCutOrWithoutFillDividesByNothing)
{
    EXPECT_EQ(CutFillIndex(0.0L, 0.0L, 0.5L), 128);  // all fill: the plane
    EXPECT_EQ(CutFillIndex(0.5L, 0.0L, 0.5L), 255);
    EXPECT_EQ(CutFillIndex(0.0L, 0.5L, 0.0L), 128);  // all cut but this stake, on the plane
    EXPECT_EQ(CutFillIndex(-0.5L, 0.5L, 0.0L), 1);
    EXPECT_EQ(CutFillIndex(1e-30L, 0.5L, 0.0L), 128);  // a fill where the plan has none: depth 0
    EXPECT_EQ(CutFillIndex(-0.25L, 0.0L, 0.5L), 127);
    EXPECT_EQ(CutFillIndex(0.0L, 0.0L, 0.0L), 128);  // everything on the plane
}

TEST(MouseToStake, CountsCellsFromTheAreasFirstStake)
{
    const TUsedRect area{3, 5, 6, 9};  // 4 x 5 stakes of 16 x 8 pixels: 64 x 40
    auto at = [&](int x, int y, int sx = 0, int sy = 0) { return MouseToStake(x, y, sx, sy, 16, 8, area); };
    EXPECT_EQ(at(0, 0), (TStake{3, 5}));
    EXPECT_EQ(at(15, 7), (TStake{3, 5}));
    EXPECT_EQ(at(16, 8), (TStake{4, 6}));
    EXPECT_EQ(at(63, 39), (TStake{6, 9}));
    EXPECT_EQ(at(10, 3, 32, 8), (TStake{5, 6}));
    EXPECT_FALSE(at(64, 0));
    EXPECT_FALSE(at(0, 40));
    // Left of or above the map, as while the button is held: outside, not
    // the first column or row.
    EXPECT_FALSE(at(-1, 0));
    EXPECT_EQ(at(-1, 0, 1, 0), (TStake{3, 5}));
    EXPECT_FALSE(MouseToStake(0, 0, 0, 0, 0, 8, area));
    // The single cell of a document not systematized since it was read.
    EXPECT_EQ(MouseToStake(7, 7, 0, 0, 8, 8, TUsedRect{0, 0, 0, 0}), (TStake{0, 0}));
    EXPECT_FALSE(MouseToStake(8, 0, 0, 0, 8, 8, TUsedRect{0, 0, 0, 0}));
}

TEST(CutFillReadout, NamesTheStakeAndItsCutOrFill)
{
    TTerreno t = SystematizedFourStakes();
    EXPECT_EQ(CutFillReadout(t, 2, 1, ','), "|X = 20    Y = 0   Corte = 0,750");
    EXPECT_EQ(CutFillReadout(t, 1, 2, '.'), "|X = 0    Y = 20   Corte = 0.750");
    EXPECT_EQ(CutFillReadout(t, 2, 2, ','), "|X = 20    Y = 20   Aterro = 0,750");
    // Without elevation only the coordinates.
    t.SetCell(1, 1, 0.0f);
    EXPECT_EQ(CutFillReadout(t, 1, 1, ','), "|X = 0    Y = 0");

    EXPECT_EQ(CutFillReadout(312000.0f, 7455020.0f, false, 0.0L, ','), "|X = 312000    Y = 7455020   Aterro = 0,000");
    EXPECT_EQ(CutFillReadout(1234.5f, -20.0f, false, 0.0126L, ','), "|X = 1234,5    Y = -20   Aterro = 0,013");
    // Surveyed coordinates to the millimetre, where a single would step by a metre.
    EXPECT_EQ(CutFillReadout(312000.1, 9100002.5, true, -0.25L, ','), "|X = 312000,1    Y = 9100002,5   Corte = 0,250");
}

TEST(SideBar, DeepestFillReachesTheTopAndDeepestCutTheBottom)
{
    const int panel = 208;
    const TBarScale s = ScaleBar(panel, 0.75L, 0.75L);
    EXPECT_NEAR(static_cast<double>(s.BarScale.Value()), 200 / 1.5, 1e-9);
    EXPECT_EQ(s.BevelTop, 104);
    EXPECT_EQ(ShowBar(0.75L, s, panel), (TBarShape{true, {0, 0, 255}, 2, 100}));
    EXPECT_EQ(ShowBar(-0.75L, s, panel), (TBarShape{true, {255, 0, 0}, 107, 100}));
    EXPECT_EQ(ShowBar(0.375L, s, panel), (TBarShape{true, {0, 0, 255}, 52, 50}));
    // On the plane: a fill of no height.
    EXPECT_EQ(ShowBar(0.0L, s, panel), (TBarShape{true, {0, 0, 255}, 102, 0}));
    EXPECT_FALSE(ShowBar(TTerreno::NoValue, s, panel).Visible);
    // The plan's cut is kept positive or negative: the scale is the same.
    EXPECT_EQ(ScaleBar(panel, 0.75L, -0.75L).BevelTop, 104);

    // 10 pixels a metre: a fill of 0.25 is 2.5 pixels, halves to even.
    const TBarScale ten = ScaleBar(18, 0.5L, 0.5L);
    EXPECT_EQ(ten.BarScale.Value(), 10.0L);
    EXPECT_EQ(ten.BevelTop, 9);
    EXPECT_EQ(ShowBar(0.25L, ten, 18).Height, 2);
    EXPECT_EQ(ShowBar(-0.375L, ten, 18).Height, 4);
}

TEST(SideBar, PlansWithoutDepthAndDepthsBeyondTheScale)
{
    // All cut: the zero line at the top, the deepest cut to the bottom.
    const TBarScale cut = ScaleBar(108, 0.0L, 2.0L);
    EXPECT_EQ(cut.BevelTop, 4);
    EXPECT_EQ(ShowBar(-2.0L, cut, 108), (TBarShape{true, {255, 0, 0}, 7, 100}));
    // Every stake on the plane: no division by zero; the zero line in the
    // middle and bars of no height.
    const TBarScale flat = ScaleBar(108, 0.0L, 0.0L);
    EXPECT_EQ(flat.BarScale.Value(), 0.0L);
    EXPECT_EQ(flat.BevelTop, 54);
    EXPECT_EQ(ShowBar(0.5L, flat, 108), (TBarShape{true, {0, 0, 255}, 52, 0}));
    EXPECT_EQ(ScaleBar(108, 1e-35L, 1e-35L).BarScale.Value(), 0.0L);  // beyond a real's range
    EXPECT_EQ(ShowBar(-1.0L, ScaleBar(5, 1.0L, 1.0L), 5).Height, 0);  // a panel shorter than its margins
    // The plan was recalculated deeper after the panel was scaled: the bar
    // stops at the panel's edge.
    const TBarScale s = ScaleBar(208, 0.75L, 0.75L);
    EXPECT_EQ(ShowBar(30.0L, s, 208).Top, 0);
    const TBarShape deep = ShowBar(-1e30L, s, 208);
    EXPECT_EQ(deep.Top + deep.Height, 208);
}
