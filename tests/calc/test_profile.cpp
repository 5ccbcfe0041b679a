// Profiles along a line and sections across it: the worked 4 x 5 grid at
// 25 m, fields that bilinear interpolation reproduces exactly (so any point
// has a known elevation) with unequal spacings and lines off the stakes,
// hand-worked section areas and end-area volumes, gaps at stakes without
// elevation, and georeferenced coordinates.

#include "calc/CalcSist.h"
#include "calc/Profile.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

using namespace nivora;
using namespace nivora::testing;

namespace {

// A field z = 10 + 0,01 x + 0,02 y + 0,001 x y in metres from its first
// stake (x along columns, y along rows): bilinear, so the grid's bilinear
// surface is the field itself at every point, not only at the stakes.
// 5 columns 10 m apart, 5 rows 5 m apart, first stake at (100, 200).
long double Field(long double x, long double y) { return 10 + 0.01L * x + 0.02L * y + 0.001L * x * y; }

TTerreno Bilinear()
{
    TTerreno t(5, 5, 10.0f, 5.0f);
    t.SetOrigin(100, 200);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c)
            t.SetCell(c, r, static_cast<float>(Field(10.0L * (c - 1), 5.0L * (r - 1))));
    return t;
}

// The working plan made the plane z = sx X + sy Y + o after a run.
void Design(TTerreno& t, long double sx, long double sy, long double o)
{
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    t.ComputePlane(sx, sy, o);
}

const TProfileSample* SampleAt(const TProfile& p, long double distance)
{
    for (const TProfileSample& s : p.Samples)
        if (std::fabs(s.Distance - distance) < 1e-9L)
            return &s;
    return nullptr;
}

}  // namespace

TEST(Profile, WorkedGridFromStakeOneOneToFiveFour)
{
    TTerreno t = Worked();
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    const std::vector<TLinePoint> line = {{0, 0}, {100, 75}};
    const TProfile p = ComputeProfile(t, line, {62.5L, 0, 40});
    EXPECT_NEAR(double(p.Length), 125, 1e-12);
    ASSERT_TRUE(p.HasDesign);
    ASSERT_EQ(p.Legs.size(), 1u);
    ASSERT_TRUE(p.Legs[0].DesignSlope);
    EXPECT_NEAR(double(*p.Legs[0].DesignSlope), -0.0010704, 1e-8);
    // A straight design line: every sample on the line through the ends.
    const long double d0 = t.DesignElevation(1, 1);
    for (const TProfileSample& s : p.Samples) {
        ASSERT_TRUE(s.Design) << double(s.Distance);
        EXPECT_NEAR(double(*s.Design), double(d0 - 0.0010704L * s.Distance), 1e-6) << double(s.Distance);
    }
    // Stations at 0, 62,5 and 125: both end stakes and the middle, which lies
    // on column 3 halfway between rows 2 and 3.
    ASSERT_EQ(p.Stations.size(), 3u);
    EXPECT_NEAR(double(*p.Stations[0].Natural), 8.26, 1e-6);
    EXPECT_NEAR(double(*p.Stations[1].Natural), 8.625, 1e-6);
    EXPECT_NEAR(double(*p.Stations[2].Natural), 7.80, 1e-6);
    EXPECT_NEAR(double(p.Stations[1].Point.X), 50, 1e-12);
    EXPECT_NEAR(double(p.Stations[1].Point.Y), 37.5, 1e-12);
    // The samples are in order and end at the line's end.
    for (std::size_t k = 1; k < p.Samples.size(); ++k)
        EXPECT_LT(p.Samples[k - 1].Distance, p.Samples[k].Distance);
    EXPECT_NEAR(double(p.Samples.back().Distance), 125, 1e-12);
}

TEST(Profile, NaturalLinePassesThroughEveryStakeItMeets)
{
    TTerreno t = Worked();
    // clang-format off
    const struct { const char* what; TLinePoint a, b; } cases[] = {
        {"row 2 left to right", {0, 25}, {100, 25}},
        {"column 4 bottom to top", {75, 75}, {75, 0}},
        {"diagonal (1,1)-(4,4)", {0, 0}, {75, 75}},
        {"anti-diagonal (5,1)-(2,4)", {100, 0}, {25, 75}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TLinePoint ab[] = {c.a, c.b};
        const TProfile p = ComputeProfile(t, ab);
        int stakes = 0;
        for (const TProfileSample& s : p.Samples) {
            const long double col = 1 + s.Point.X / 25, row = 1 + s.Point.Y / 25;
            if (std::fabs(col - std::round(col)) > 1e-9L || std::fabs(row - std::round(row)) > 1e-9L)
                continue;
            ++stakes;
            ASSERT_TRUE(s.Natural);
            EXPECT_FLOAT_EQ(float(*s.Natural), kWorked[int(std::round(row)) - 1][int(std::round(col)) - 1]);
        }
        EXPECT_EQ(stakes, 4 + (c.a.Y == c.b.Y ? 1 : 0));
        EXPECT_FALSE(p.HasDesign);
        EXPECT_FALSE(p.Legs[0].DesignSlope);
    }
}

// Unequal spacings, an origin off zero and lines that start and turn off the
// stakes: the natural line must be the field itself, and each leg's design
// slope the plane's rise along that leg.
TEST(Profile, UnequalSpacingsAndLinesOffTheStakes)
{
    TTerreno t = Bilinear();
    Design(t, 0.004L, -0.003L, 12);
    // clang-format off
    const struct { const char* what; std::vector<TLinePoint> line; } cases[] = {
        {"along X, between rows", {{103, 207.5}, {137, 207.5}}},
        {"along Y, between columns", {{123, 201}, {123, 219}}},
        {"oblique", {{101.5, 202.25}, {138.5, 217.75}}},
        {"polyline turning inside cells", {{104, 201}, {131, 209.3}, {112.2, 218.4}, {139, 219}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TProfile p = ComputeProfile(t, c.line, {7, 0, 40});
        ASSERT_EQ(p.Legs.size(), c.line.size() - 1);
        long double length = 0;
        for (std::size_t k = 1; k < c.line.size(); ++k) {
            const long double dx = c.line[k].X - c.line[k - 1].X, dy = c.line[k].Y - c.line[k - 1].Y;
            const long double len = std::hypot(dx, dy);
            EXPECT_NEAR(double(p.Legs[k - 1].Start), double(length), 1e-9);
            length += len;
            ASSERT_TRUE(p.Legs[k - 1].DesignSlope);
            EXPECT_NEAR(double(*p.Legs[k - 1].DesignSlope), double((0.004L * dx - 0.003L * dy) / len), 1e-6);
        }
        EXPECT_NEAR(double(p.Length), double(length), 1e-9);
        for (const auto* list : {&p.Samples, &p.Stations})
            for (const TProfileSample& s : *list) {
                ASSERT_TRUE(s.Natural && s.Design) << double(s.Distance);
                EXPECT_NEAR(double(*s.Natural), double(Field(s.Point.X - 100, s.Point.Y - 200)), 2e-6);
                EXPECT_NEAR(double(*s.Design), double(0.004L * s.Point.X - 0.003L * s.Point.Y + 12), 1e-6);
            }
        // Stations every 7 m and the end.
        ASSERT_EQ(p.Stations.size(), std::size_t(std::floor(length / 7)) + 2);
        EXPECT_NEAR(double(p.Stations[1].Distance), 7, 1e-12);
        EXPECT_NEAR(double(p.Stations.back().Distance), double(length), 1e-9);
    }
}

// The area between the lines along an oblique profile, where the difference
// of the two surfaces is a quadratic in each cell, against a fine numeric sum
// of the field's own formula.
TEST(Profile, AreasAlongTheLineFollowTheCurvedSurface)
{
    TTerreno t = Bilinear();
    Design(t, 0.01L, 0, 10.5L - 1);  // crosses the natural ground inside cells
    const TLinePoint a{100.5, 200.5}, b{139.5, 219.5};
    const TLinePoint ab[] = {a, b};
    const TProfile p = ComputeProfile(t, ab);
    const int n = 200000;
    const long double len = std::hypot(b.X - a.X, b.Y - a.Y);
    long double cut = 0, fill = 0;
    for (int i = 0; i < n; ++i) {
        const long double f = (i + 0.5L) / n;
        const long double x = a.X + (b.X - a.X) * f, y = a.Y + (b.Y - a.Y) * f;
        const long double d = (0.01L * x + 9.5L) - Field(x - 100, y - 200);
        (d > 0 ? fill : cut) += std::fabs(d) * len / n;
    }
    ASSERT_GT(cut, 1);
    ASSERT_GT(fill, 1);
    EXPECT_NEAR(double(p.CutArea), double(cut), 2e-4);
    EXPECT_NEAR(double(p.FillArea), double(fill), 2e-4);
}

// A line along Y at X = 115 (between columns 2 and 3), sections every 5 m,
// 40 m wide: each runs from X = 95 (outside the field, which starts at 100)
// to 135. The design is the level plane 10,1 over the natural ground
// 10 + 0,01 x + 0,02 y (x, y from the first stake): the difference
// 0,1 - 0,01 x - 0,02 y changes sign at x = 10 - 2 y, so
//   y <= 5: fill 0,005 (10 - 2y)², cut 0,005 (25 + 2y)²
//   y >= 5: fill 0, cut 2,625 + 0,7 y.
TEST(Profile, SectionsHandWorked)
{
    TTerreno t(5, 5, 10.0f, 5.0f);
    t.SetOrigin(100, 200);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c)
            t.SetCell(c, r, static_cast<float>(10 + 0.01L * 10 * (c - 1) + 0.02L * 5 * (r - 1)));
    Design(t, 0, 0, 10.1L);
    const TLinePoint line[] = {{115, 200}, {115, 220}};
    const TProfile p = ComputeProfile(t, line, {20, 5, 40});
    // clang-format off
    const struct { double at, fill, cut; } sections[] = {
        {0, 0.5, 3.125}, {5, 0, 6.125}, {10, 0, 9.625}, {15, 0, 13.125}, {20, 0, 16.625},
    };
    const struct { double cut, fill; } volumes[] = {{23.125, 1.25}, {39.375, 0}, {56.875, 0}, {74.375, 0}};
    // clang-format on
    ASSERT_EQ(p.Sections.size(), std::size(sections));
    for (std::size_t k = 0; k < std::size(sections); ++k) {
        SCOPED_TRACE(k);
        const TSection& s = p.Sections[k];
        EXPECT_NEAR(double(s.Distance), sections[k].at, 1e-12);
        EXPECT_NEAR(double(s.Point.Y), 200 + sections[k].at, 1e-12);
        EXPECT_NEAR(double(s.FillArea), sections[k].fill, 2e-5);
        EXPECT_NEAR(double(s.CutArea), sections[k].cut, 2e-5);
        EXPECT_NEAR(double(s.Covered), 35, 1e-9);
        // Walking towards +Y, the left is +X as the grid has Y downwards.
        ASSERT_FALSE(s.Samples.empty());
        EXPECT_NEAR(double(s.Samples.front().Point.X), 135, 1e-9);
        EXPECT_FALSE(s.Samples.back().Natural);
    }
    ASSERT_EQ(p.Volumes.size(), std::size(volumes));
    for (std::size_t k = 0; k < std::size(volumes); ++k) {
        EXPECT_NEAR(double(p.Volumes[k].CutVolume), volumes[k].cut, 1e-4);
        EXPECT_NEAR(double(p.Volumes[k].FillVolume), volumes[k].fill, 1e-4);
    }
    EXPECT_NEAR(double(p.CutVolume), 193.75, 1e-3);
    EXPECT_NEAR(double(p.FillVolume), 1.25, 1e-4);

    // Sections every 6 m: at 0, 6, 12, 18 and the end, 20.
    const TProfile q = ComputeProfile(t, line, {20, 6, 40});
    ASSERT_EQ(q.Sections.size(), 5u);
    EXPECT_NEAR(double(q.Sections[4].Distance), 20, 1e-12);
    EXPECT_NEAR(double(q.Sections[3].CutArea), 2.625 + 0.7 * 18, 2e-5);
    EXPECT_NEAR(double(q.Volumes[3].CutVolume), (2.625 + 0.7 * 18 + 16.625) / 2 * 2, 1e-4);
}

// No value is made up across stakes without elevation: a point is valued
// only from the stakes that weigh on it.
TEST(Profile, GapsAtStakesWithoutElevation)
{
    TTerreno t = Worked({{3, 3}});
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    // clang-format off
    const struct { const char* what; TLinePoint a, b; double gapFrom, gapTo, atGapStart; } cases[] = {
        {"along row 3, through the missing stake", {0, 50}, {100, 50}, 25, 75, 7.86},
        {"between rows 2 and 3", {0, 37.5}, {100, 37.5}, 25, 75, (8.12 + 7.86) / 2},
        {"along row 2: the missing stake never weighs", {0, 25}, {100, 25}, -1, -1, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TLinePoint ab[] = {c.a, c.b};
        const TProfile p = ComputeProfile(t, ab, {20, 0, 40});
        for (const TProfileSample& s : p.Samples) {
            const bool inGap = s.Distance > c.gapFrom + 1e-9 && s.Distance < c.gapTo - 1e-9;
            EXPECT_EQ(bool(s.Natural), !inGap) << double(s.Distance);
            EXPECT_EQ(bool(s.Design), !inGap) << double(s.Distance);
        }
        if (c.gapFrom > 0) {
            const TProfileSample* edge = SampleAt(p, c.gapFrom);
            ASSERT_TRUE(edge && edge->Natural);
            EXPECT_NEAR(double(*edge->Natural), c.atGapStart, 1e-6);
            // The stations at 40 and 60 fall in the gap.
            EXPECT_FALSE(p.Stations[2].Natural);
            EXPECT_FALSE(p.Stations[3].CutFill());
        }
    }
    // Off the field altogether: no values at all.
    const TLinePoint outside[] = {{-50, -10}, {-10, -50}};
    for (const TProfileSample& s : ComputeProfile(t, outside).Samples)
        EXPECT_FALSE(s.Natural);
}

TEST(Profile, GeoreferencedLinesAreInEastingAndNorthing)
{
    for (const bool south : {true, false}) {
        SCOPED_TRACE(south);
        TTerreno t = Worked();
        t.SetOrigin(3, 7);  // the stake coordinates play no part
        t.SetGeoreference(TGeoreference{31982, 312000.5, 7455000, south});
        const double sign = south ? -1 : 1;
        // From stake (2, 1) to stake (2, 4), then to stake (5, 4).
        const std::vector<TLinePoint> line = {{312025.5, 7455000},
                                              {312025.5, 7455000 + sign * 75},
                                              {312100.5, 7455000 + sign * 75}};
        const TProfile p = ComputeProfile(t, line, {25, 0, 40});
        EXPECT_NEAR(double(p.Length), 150, 1e-9);
        ASSERT_EQ(p.Stations.size(), 7u);
        const float expected[] = {8.75f, 8.12f, 7.86f, 7.28f, 7.94f, 8.16f, 7.80f};
        for (std::size_t k = 0; k < 7; ++k) {
            ASSERT_TRUE(p.Stations[k].Natural) << k;
            EXPECT_FLOAT_EQ(float(*p.Stations[k].Natural), expected[k]) << k;
        }
        const TLinePoint shown = ShownPosition(t, 4, 3);
        EXPECT_DOUBLE_EQ(double(shown.X), 312075.5);
        EXPECT_DOUBLE_EQ(double(shown.Y), 7455000 + sign * 50);
        const TLinePoint grid = GridPosition(t, shown);
        EXPECT_DOUBLE_EQ(double(grid.X), 4);
        EXPECT_DOUBLE_EQ(double(grid.Y), 3);
    }
}

TEST(Profile, RefusesLinesAndSpacingsItCannotUse)
{
    TTerreno t = Worked();
    const long double nan = std::nan("");
    // clang-format off
    const struct { const char* what; std::vector<TLinePoint> line; TProfileOptions options; } cases[] = {
        {"one point", {{0, 0}}, {}},
        {"the same point twice", {{10, 10}, {10, 10}}, {}},
        {"not a number", {{0, 0}, {nan, 10}}, {}},
        {"station step 0", {{0, 0}, {100, 0}}, {0, 0, 40}},
        {"negative section step", {{0, 0}, {100, 0}}, {20, -5, 40}},
        {"sections without width", {{0, 0}, {100, 0}}, {20, 5, 0}},
        {"too many stations", {{0, 0}, {1e6L, 0}}, {1e-3L, 0, 40}},
        {"too many sections", {{0, 0}, {100, 0}}, {20, 0.01L, 40}},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_THROW(ComputeProfile(t, c.line, c.options), TProfileError) << c.what;
    // On a large grid: a line zigzagging across it 200 times, and 2000
    // sections each 1000 m wide, are more than the memory should hold.
    TTerreno large(1000, 1000, 1.0f, 1.0f);
    std::vector<TLinePoint> zigzag;
    for (int k = 0; k <= 200; ++k)
        zigzag.push_back({k % 2 ? 999.0L : 0.0L, k % 2 ? 999.0L : 0.0L + k});
    EXPECT_THROW(ComputeProfile(large, zigzag), TProfileError);
    zigzag.resize(50);
    EXPECT_NO_THROW(ComputeProfile(large, zigzag));
    const std::vector<TLinePoint> shortLine = {{0, 500}, {100, 500}};
    EXPECT_THROW(ComputeProfile(large, shortLine, {20, 0.05L, 1000}), TProfileError);
    EXPECT_NO_THROW(ComputeProfile(large, shortLine, {20, 1, 40}));
    // Repeated points are dropped, not refused.
    const std::vector<TLinePoint> repeated = {{0, 0}, {0, 0}, {100, 0}, {100, 0}};
    EXPECT_EQ(ComputeProfile(t, repeated).Legs.size(), 1u);
}

TEST(Profile, CsvListsStationsThenSections)
{
    TTerreno t = Worked();
    ASSERT_TRUE(Systematize(t, false, 0).Computed);
    const TLinePoint line[] = {{0, 0}, {100, 0}};
    const std::string csv = ProfileCsv(ComputeProfile(t, line, {50, 50, 20}), 3, ',');
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF"
                        "Distância (m);X;Y;",
                        0),
              0u);
    EXPECT_NE(csv.find("\r\n50,00;50,000;0,000;9,300;"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nSeção em (m);"), std::string::npos);
    EXPECT_NE(csv.find("\r\nTotal;;;"), std::string::npos);
}
