// Contour tracing: the triangle rules, the cell sweep, chaining, joining,
// closing and pruning, on grids small enough to draw.

#include "contour/ContourTrace.h"

#include "calc/CalcSist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace nivora;

namespace {

using Line = std::vector<TPoint>;

// Ten map units per metre from the origin: a grid 20 m apart has its stakes
// 200 units apart.
TMapTransform Tenfold()
{
    return {[](float x) { return std::int32_t(std::lrint(x * 10.0f)); },
            [](float y) { return std::int32_t(std::lrint(y * 10.0f)); }};
}

// A grid 20 m apart, origin at (0, 0), rows of elevations from the top.
TTerreno Grid(std::vector<std::vector<float>> rows)
{
    TTerreno t(std::int32_t(rows[0].size()), std::int32_t(rows.size()), 20.0f, 20.0f);
    t.SetOrigin(0.0L, 0.0L);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            t.SetCell(std::int32_t(c + 1), std::int32_t(r + 1), rows[r][c]);
    return t;
}

std::vector<Line> Trace(const TTerreno& t, float level)
{
    TCurvas curves;
    curves.AddLevel(level);
    TraceLevel(curves, t, {1, 1, t.ColCount(), t.RowCount()}, level, Tenfold());
    std::vector<Line> lines;
    for (const TLine& l : curves.Current()->Lines())
        lines.push_back(l.PointList());
    return lines;
}

TLine MakeLine(const Line& points)
{
    TLine line(points[0], points[1]);
    for (std::size_t i = 2; i < points.size(); ++i)
        line.AddLast(points[i]);
    return line;
}

std::vector<Line> Lines(const TCurva& c)
{
    std::vector<Line> v;
    for (const TLine& l : c.Lines())
        v.push_back(l.PointList());
    return v;
}

}  // namespace

// 10 ---- 10
//  |  15  |     the centre lies on the level: the triangles along the top and
// 20 ---- 20    the bottom give a segment of no length at it
TEST(ContourTrace, FlatCentreGivesOneStraightLine)
{
    const TTerreno t = Grid({{10, 10}, {20, 20}});
    const TPoint left{0, 100}, centre{100, 100}, right{200, 100};
    EXPECT_EQ(Trace(t, 15.0f), (std::vector<Line>{{left, centre, centre, centre, right}}));
}

TEST(ContourTrace, LevelAtTheHighestElevationGivesNothing)
{
    const TTerreno t = Grid({{10, 11, 12}, {11, 12, 13}, {12, 13, 14}});
    EXPECT_TRUE(Trace(t, 14.0f).empty());
    EXPECT_TRUE(Trace(t, 10.0f).empty());
    EXPECT_FALSE(Trace(t, 13.5f).empty());
}

TEST(ContourTrace, MissingCornerSkipsTheCell)
{
    EXPECT_TRUE(Trace(Grid({{10, 0}, {20, 20}}), 15.0f).empty());
    EXPECT_TRUE(Trace(Grid({{10, 12}, {0, 20}}), 15.0f).empty());
    EXPECT_EQ(Trace(Grid({{10, 12}, {14, 20}}), 15.0f).size(), 1u);
}

// 10 ---- 11
//  |  11  |     level 11: the triangle (P1, P2, M) stops at its flat edge P2-M
// 11 ---- 12
TEST(ContourTrace, FlatEdgeIsTheSegment)
{
    const TSurfacePoint p1{0, 0, 10}, p2{20, 0, 11}, m{10, 10, 11};
    TSurfacePoint a, b;
    ASSERT_TRUE(IntersectTriangle(p1, p2, m, 11.0f, a, b));
    EXPECT_EQ(a.x, 20.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(b.x, 10.0f);
    EXPECT_EQ(b.y, 10.0f);

    // The whole cell: P2-M from the first triangle, then what the others add.
    const TTerreno t = Grid({{10, 11}, {11, 12}});
    const std::vector<Line> lines = Trace(t, 11.0f);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0][0], (TPoint{200, 0}));
    EXPECT_EQ(lines[0][1], (TPoint{100, 100}));
}

TEST(ContourTrace, TriangleCrossings)
{
    TSurfacePoint a, b;
    // Two crossings, in the order of the edges A-B, B-C, C-A.
    ASSERT_TRUE(IntersectTriangle({0, 0, 10}, {20, 0, 20}, {0, 20, 10}, 15.0f, a, b));
    EXPECT_EQ(a.x, 10.0f);  // on A-B
    EXPECT_EQ(b.x, 10.0f);  // on B-C
    EXPECT_EQ(b.y, 10.0f);
    // Only a vertex on the level: both its edges give it, no length.
    ASSERT_TRUE(IntersectTriangle({0, 0, 15}, {20, 0, 20}, {0, 20, 18}, 15.0f, a, b));
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(b.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(b.y, 0.0f);
    // A vertex on the level and the others on both sides: the segment runs
    // from the vertex to the crossing of the opposite edge, not to the vertex
    // again (which would leave a gap in the line at the stake).
    ASSERT_TRUE(IntersectTriangle({0, 0, 10}, {20, 0, 15}, {0, 20, 20}, 15.0f, a, b));
    EXPECT_EQ(a.x, 20.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(b.x, 0.0f);
    EXPECT_EQ(b.y, 10.0f);
    // The vertex between two first crossings that differ: the third is not used.
    ASSERT_TRUE(IntersectTriangle({0, 0, 10}, {20, 0, 20}, {0, 20, 15}, 15.0f, a, b));
    EXPECT_EQ(a.x, 10.0f);  // on A-B
    EXPECT_EQ(b.x, 0.0f);   // C itself, through B-C
    EXPECT_EQ(b.y, 20.0f);
    EXPECT_FALSE(IntersectTriangle({0, 0, 10}, {20, 0, 11}, {0, 20, 12}, 15.0f, a, b));
}

TEST(ContourTrace, AttachOrder)
{
    const TPoint a{0, 0}, b{10, 0}, c{20, 0}, d{30, 0};
    TLine line(b, c);
    EXPECT_EQ(TryAttach(line, c, d), TAttach::AppendQ);        // P is the last point
    EXPECT_EQ(TryAttach(line, {40, 0}, d), TAttach::AppendP);  // Q is the last point
    EXPECT_EQ(TryAttach(line, b, a), TAttach::PrependQ);       // P is the first point
    EXPECT_EQ(TryAttach(line, {-10, 0}, a), TAttach::PrependP);
    EXPECT_EQ(TryAttach(line, {5, 5}, {6, 6}), TAttach::Refused);
    EXPECT_EQ(line.PointList(), (Line{{-10, 0}, a, b, c, d, {40, 0}}));
    // Both ends touch: the last point wins.
    TLine loop(a, b);
    loop.AddLast(c);
    EXPECT_EQ(TryAttach(loop, a, c), TAttach::AppendP);
    EXPECT_TRUE(loop.IsClosed());
}

TEST(ContourTrace, JoinOrder)
{
    const TPoint a{0, 0}, z{100, 0}, y{200, 0};
    {
        TLine p = MakeLine({a, z}), q = MakeLine({z, y});
        EXPECT_EQ(TryJoin(p, q), TJoin::Tail);
        EXPECT_EQ(p.PointList(), (Line{a, z, y}));
    }
    {
        TLine p = MakeLine({a, z}), q = MakeLine({y, z});
        EXPECT_EQ(TryJoin(p, q), TJoin::ReverseB);
        EXPECT_EQ(p.PointList(), (Line{a, z, y}));
    }
    {
        TLine p = MakeLine({a, z}), q = MakeLine({a, y});
        EXPECT_EQ(TryJoin(p, q), TJoin::ReverseA);
        EXPECT_EQ(p.PointList(), (Line{z, a, y}));
    }
    {
        TLine p = MakeLine({a, z}), q = MakeLine({y, a});
        EXPECT_EQ(TryJoin(p, q), TJoin::ReverseBoth);
        EXPECT_EQ(p.PointList(), (Line{z, a, y}));
    }
    {
        TLine p = MakeLine({a, z}), q = MakeLine({{1, 1}, y});
        EXPECT_EQ(TryJoin(p, q), TJoin::None);
        EXPECT_EQ(p.PointList(), (Line{a, z}));
    }
}

// A segment from the end of line 0 to the start of line 1 goes to line 0 only;
// the assembly then joins line 1 onto line 0.
TEST(ContourTrace, SegmentBetweenTwoLinesThenJoin)
{
    TCurva curve(1.0L);
    curve.AddSegment({0, 0}, {1000, 0});
    curve.AddSegment({3000, 0}, {4000, 0});
    curve.AddSegment({1000, 0}, {3000, 0});
    EXPECT_EQ(Lines(curve), (std::vector<Line>{{{0, 0}, {1000, 0}, {3000, 0}}, {{3000, 0}, {4000, 0}}}));
    Assemble(curve);
    // Joined; its ends, 4000 apart, are not under three mean segments (3000).
    ASSERT_EQ(curve.Count(), 1u);
    EXPECT_EQ(curve.Line(0).PointList(), (Line{{0, 0}, {1000, 0}, {3000, 0}, {4000, 0}}));
}

TEST(ContourTrace, ClosingRule)
{
    // Ten points, 1000 units long: ends 250 apart are closed (250 < 300), ends
    // 350 apart are not.
    const Line near{{0, 0},     {0, 125},   {0, 250},   {0, 300},   {0, 375},
                    {125, 375}, {250, 375}, {250, 250}, {250, 125}, {250, 0}};
    const Line far{{0, 0},     {0, 100},   {0, 200},   {0, 325},  {175, 325},
                   {350, 325}, {350, 200}, {350, 100}, {350, 50}, {350, 0}};
    TLine n = MakeLine(near), f = MakeLine(far);
    EXPECT_EQ(n.LineLength(), 1000.0L);
    EXPECT_EQ(n.EndGap(), 250.0L);
    EXPECT_EQ(f.LineLength(), 1000.0L);
    EXPECT_EQ(f.EndGap(), 350.0L);

    TCurva curve(1.0L);
    curve.AddLine(MakeLine(near));
    Line shifted = far;
    for (TPoint& p : shifted)
        p.X += 5000;
    curve.AddLine(MakeLine(shifted));
    Assemble(curve);
    ASSERT_EQ(curve.Count(), 2u);
    EXPECT_TRUE(curve.Line(0).IsClosed());
    EXPECT_EQ(curve.Line(0).Count(), 11u);
    EXPECT_FALSE(curve.Line(1).IsClosed());
    EXPECT_EQ(curve.Line(1).Count(), 10u);
}

TEST(ContourTrace, PruningAt500)
{
    // Straight lines of ten points stay open: their gap is their length.
    auto straight = [](std::int32_t y, std::int32_t length) {
        Line l;
        for (int i = 0; i < 9; ++i)
            l.push_back({50 * i, y});
        l.push_back({length, y});
        return MakeLine(l);
    };
    TCurva curve(1.0L);
    curve.AddLine(straight(0, 499));
    curve.AddLine(straight(100, 500));
    curve.AddLine(straight(200, 499));
    Assemble(curve);
    ASSERT_EQ(curve.Count(), 1u);
    EXPECT_EQ(curve.Line(0).First(), (TPoint{0, 100}));
    EXPECT_EQ(curve.Line(0).Length, 500.0L);
}

TEST(ContourTrace, LabelAnchor)
{
    // A closed square, 400 a side: the running sum reaches half the length
    // (800) at the end of the second side without passing it, so the label
    // sits at the start of the third.
    TLine square = MakeLine({{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}});
    EXPECT_EQ(LabelAnchor(square), (TPoint{400, 400}));
    EXPECT_EQ(square.Length, 1600.0L);
    TLine open = MakeLine({{0, 0}, {100, 0}, {1000, 0}});
    EXPECT_EQ(LabelAnchor(open), (TPoint{100, 0}));
}

TEST(ContourTrace, ReversedLinesReadBackwards)
{
    TLine line = MakeLine({{0, 0}, {3, 4}, {3, 10}});
    line.Reverse();
    line.AddLast({0, 20});
    line.AddFirst({9, 10});
    EXPECT_EQ(line.PointList(), (Line{{9, 10}, {3, 10}, {3, 4}, {0, 0}, {0, 20}}));
    EXPECT_EQ(line.First(), (TPoint{9, 10}));
    EXPECT_EQ(line.Last(), (TPoint{0, 20}));
    EXPECT_EQ(line[1], (TPoint{3, 10}));
    EXPECT_EQ(line.LineLength(), 6.0L + 6.0L + 5.0L + 20.0L);
}

TEST(ContourTrace, CurveSet)
{
    TCurvas curves;
    EXPECT_EQ(curves.Curve(0), nullptr);
    curves.AddLevel(100.0L);
    curves.AddLevel(102.5L);
    EXPECT_EQ(curves.Current()->Level, 102.5L);
    curves.AddSegment({0, 0}, {1, 1});
    EXPECT_EQ(curves.Curve(1)->Count(), 1u);
    EXPECT_EQ(curves.Curve(0)->Count(), 0u);
    EXPECT_EQ(curves.Curve(-1), nullptr);
    EXPECT_EQ(curves.Curve(2), nullptr);
}

// A hill: rings of closed lines, traced for several levels in one sweep.
TEST(ContourTrace, HillGivesClosedRings)
{
    std::vector<std::vector<float>> rows(9, std::vector<float>(9));
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            rows[std::size_t(r)][std::size_t(c)] = 100.0f - float((r - 4) * (r - 4) + (c - 4) * (c - 4)) * 0.25f;
    const TTerreno t = Grid(rows);
    TCurvas curves;
    const long double levels[] = {99.1L, 97.3L, 96.5L};
    TraceLevels(curves, t, {1, 1, 9, 9}, levels, Tenfold());
    for (std::size_t k = 0; k < 3; ++k) {
        TCurva& c = *curves.Curve(std::ptrdiff_t(k));
        Assemble(c);
        ASSERT_EQ(c.Count(), 1u) << double(levels[k]);
        EXPECT_TRUE(c.Line(0).IsClosed());
    }
}

// 11 ---- 12     level 12 touches the stake at the top right. The line comes
//  | 12.5 |      in through the left edge, crosses towards the centre and
// 13 ---- 14     runs on to that stake: it must reach it, not stop short
TEST(ContourTrace, LineReachesAStakeOnTheLevel)
{
    const TTerreno t = Grid({{11.0f, 12.0f}, {13.0f, 14.0f}});
    TCurvas curves;
    curves.AddLevel(12.0L);
    // A hundred units a metre, so that the line outlives the pruning.
    const TMapTransform hundredfold{[](float x) { return std::int32_t(std::lrint(x * 100.0f)); },
                                    [](float y) { return std::int32_t(std::lrint(y * 100.0f)); }};
    TraceLevel(curves, t, {1, 1, 2, 2}, 12.0f, hundredfold);
    TCurva& c = *curves.Current();
    Assemble(c);
    ASSERT_EQ(c.Count(), 1u);
    const Line line = c.Line(0).PointList();
    // From the stake on the level to the middle of the left edge.
    EXPECT_EQ(line.front(), (TPoint{2000, 0}));
    EXPECT_EQ(line.back(), (TPoint{0, 1000}));
}
