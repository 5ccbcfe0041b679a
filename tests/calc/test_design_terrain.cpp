// The design as a surface of its own: the design elevation at every stake of
// the last run's area that has an elevation, nothing elsewhere, and contour
// lines of a plane design that are straight.

#include "calc/DesignTerrain.h"
#include "contour/ContourTrace.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

using namespace nivora;
using namespace nivora::testing;

namespace {

// The worked elevations on stakes 25 m by 10 m apart, stake (1, 1) at (3, 7).
TTerreno WorkedUnequal(const std::set<std::pair<int, int>>& missing = {})
{
    TTerreno t(5, 4, 25.0f, 10.0f);
    t.SetOrigin(3, 7);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 5; ++c)
            if (!missing.count({c, r}))
                t.SetCell(c, r, kWorked[r - 1][c - 1]);
    return t;
}

}  // namespace

TEST(DesignTerrain, DesignElevationsInsideTheRunsAreaOnly)
{
    // clang-format off
    const struct { const char* what; TUsedRect selection; bool selectionOnly; } cases[] = {
        {"whole field", {1, 1, 5, 4}, false},
        {"part of it", {2, 1, 5, 3}, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTerreno t = WorkedUnequal({{3, 3}});
        t.SetSelection(c.selection);
        ASSERT_TRUE(Systematize(t, c.selectionOnly, 0).Computed);
        const std::optional<TTerreno> design = DesignTerrain(t);
        ASSERT_TRUE(design);
        EXPECT_EQ(design->Selection(), c.selection);
        EXPECT_EQ(design->Lx(), t.Lx());
        EXPECT_EQ(design->Ly(), t.Ly());
        EXPECT_EQ(design->StakeX(4), t.StakeX(4));
        EXPECT_EQ(design->StakeY(3), t.StakeY(3));
        float lowestDesign = 1e9f, highestDesign = -1e9f;
        for (int r = 1; r <= 4; ++r)
            for (int col = 1; col <= 5; ++col) {
                const bool inside = col >= c.selection.FirstCol && col <= c.selection.LastCol
                                    && r >= c.selection.FirstRow && r <= c.selection.LastRow;
                const float expected =
                    inside && !(col == 3 && r == 3) ? static_cast<float>(t.DesignElevation(col, r)) : 0.0f;
                EXPECT_EQ(design->GetCell(col, r), expected) << col << "," << r;
                if (expected != 0.0f)
                    lowestDesign = std::min(lowestDesign, expected), highestDesign = std::max(highestDesign, expected);
            }
        // The extremes are the design's, as the map's levels are proposed from them.
        float lowest = 0, highest = 0;
        TTerreno copy = *design;
        copy.SelectionExtremes(lowest, highest);
        EXPECT_EQ(lowest, lowestDesign);
        EXPECT_EQ(highest, highestDesign);
    }
}

TEST(DesignTerrain, NoneWithoutCurrentResults)
{
    TTerreno t = WorkedUnequal();
    EXPECT_FALSE(DesignTerrain(t));
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    EXPECT_TRUE(DesignTerrain(t));
    t.SetCell(2, 2, 9.0f);
    EXPECT_FALSE(DesignTerrain(t));
}

// A plane's contour lines are straight; the ground's are not.
TEST(DesignTerrain, ContoursOfAPlaneDesignAreStraight)
{
    TTerreno t = WorkedUnequal();
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    const std::optional<TTerreno> design = DesignTerrain(t);
    ASSERT_TRUE(design);
    const TMapTransform transform{[](float x) { return std::int32_t(std::lround(x * 1000.0f)); },
                                  [](float y) { return std::int32_t(std::lround(y * 1000.0f)); }};
    const long double levels[] = {8.1L, 8.4L, 8.7L};
    const auto bend = [&](const TTerreno& surface) {
        TCurvas curves;
        TraceLevels(curves, surface, {1, 1, 5, 4}, levels, transform);
        long double most = 0;
        std::size_t lines = 0;
        for (std::size_t k = 0; k < curves.Count(); ++k) {
            TCurva& curve = *curves.Curve(std::ptrdiff_t(k));
            Assemble(curve);
            for (const TLine& line : curve.Lines()) {
                ++lines;
                const TPoint a = line.First(), b = line.Last();
                const long double len = Distance(a, b);
                for (std::size_t i = 0; i < line.Count() && len > 0; ++i) {
                    const long double cross = static_cast<long double>(b.X - a.X) * (line[i].Y - a.Y)
                                              - static_cast<long double>(b.Y - a.Y) * (line[i].X - a.X);
                    most = std::max(most, std::fabs(cross) / len);
                }
            }
        }
        EXPECT_GT(lines, 0u);
        return most;  // map units: millimetres
    };
    EXPECT_LT(bend(*design), 5);
    EXPECT_GT(bend(t), 1000);
}
