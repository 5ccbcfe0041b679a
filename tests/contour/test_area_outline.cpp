// The outline of the surveyed area: the walk along the cell edges, its start
// search, the 4000-step bound and areas without a start.

#include "contour/AreaOutline.h"

#include <gtest/gtest.h>

using namespace nivora;

namespace {

TCotas Stakes(std::int32_t cols, std::int32_t rows, std::initializer_list<TNode> with)
{
    TCotas g(cols, rows);
    for (const TNode& n : with)
        g.SetCell(n.Col, n.Row, 100.0f);
    return g;
}

}  // namespace

TEST(AreaOutline, SingleStakeIsItsCellClockwise)
{
    const TCotas g = Stakes(5, 5, {{3, 3}});
    EXPECT_EQ(TraceOutline(g, {1, 1, 5, 5}), (std::vector<TNode>{{3, 3}, {4, 3}, {4, 4}, {3, 4}, {3, 3}}));
}

TEST(AreaOutline, FullBlock)
{
    const TCotas g = Stakes(2, 2, {{1, 1}, {2, 1}, {1, 2}, {2, 2}});
    EXPECT_EQ(TraceOutline(g, {1, 1, 2, 2}),
              (std::vector<TNode>{{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}, {1, 1}}));
}

// Two stakes meeting at a corner: the walk turns onto the second cell and
// circles it until the bound stops it.
TEST(AreaOutline, DiagonalStakesCircleUntilTheBound)
{
    const TCotas g = Stakes(2, 2, {{1, 1}, {2, 2}});
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 2, 2});
    ASSERT_EQ(outline.size(), 4001u);
    EXPECT_EQ(outline[0], (TNode{1, 1}));
    EXPECT_EQ(outline[1], (TNode{2, 1}));
    EXPECT_EQ(outline[2], (TNode{2, 2}));
    EXPECT_EQ(outline[3], (TNode{3, 2}));
    EXPECT_EQ(outline[4], (TNode{3, 3}));
    EXPECT_EQ(outline[5], (TNode{2, 3}));
    EXPECT_EQ(outline[6], (TNode{2, 2}));
    EXPECT_NE(outline.back(), outline.front());
}

// The middle node lies inside: the search moves east to the first node with a
// border step, on the area's right edge (node column 6 holds no stakes on its
// east side).
TEST(AreaOutline, SearchMovesEastFromTheMiddle)
{
    TCotas g(9, 9);
    for (std::int32_t r = 2; r <= 8; ++r)
        for (std::int32_t c = 2; c <= 6; ++c)
            g.SetCell(c, r, 50.0f);
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 9, 9});
    // Middle (5, 5); east of it (7, 5) is the first node with a border step:
    // north, between the stakes of column 6 and the empty column 7.
    EXPECT_EQ(outline.front(), (TNode{7, 5}));
    EXPECT_EQ(outline.front(), outline.back());
    EXPECT_EQ(outline.size(), std::size_t(2 * (5 + 7) + 1));
}

TEST(AreaOutline, AreaWithoutElevationHasNoOutline)
{
    TCotas g(10, 10);
    EXPECT_TRUE(TraceOutline(g, {1, 1, 10, 10}).empty());
    g.SetCell(9, 9, 12.0f);
    EXPECT_TRUE(TraceOutline(g, {1, 1, 5, 5}).empty());  // outside the rectangle
    EXPECT_EQ(TraceOutline(g, {1, 1, 10, 10}).size(), 5u);
}

// Only the bottom row of the area holds elevations: the random jumps never
// reach its nodes, and the search ends by trying every node in order.
TEST(AreaOutline, BottomRowOnlyStillEnds)
{
    const TCotas g = Stakes(6, 6, {{2, 6}, {3, 6}});
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 6, 6});
    EXPECT_EQ(outline, (std::vector<TNode>{{2, 6}, {3, 6}, {4, 6}, {4, 7}, {3, 7}, {2, 7}, {2, 6}}));
}

// A field of several parts: which border is met first depends on the random
// jumps, and the same seed gives the same outline every time.
TEST(AreaOutline, SeededJumpsAreReproducible)
{
    TCotas g(40, 40);
    for (std::int32_t r = 1; r <= 40; ++r)
        for (std::int32_t c = 1; c <= 40; ++c)
            if ((c / 7 + r / 9) % 3 == 0)
                g.SetCell(c, r, 10.0f + float(c));
    const std::vector<TNode> a = TraceOutline(g, {1, 1, 40, 40}, TOutlineRandom(7));
    EXPECT_EQ(a, TraceOutline(g, {1, 1, 40, 40}, TOutlineRandom(7)));
    EXPECT_FALSE(a.empty());
}

TEST(AreaOutline, RandomNumbers)
{
    TOutlineRandom r;
    EXPECT_EQ(r.Next(0), 0);
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t v = r.Next(7);
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 7);
    }
}

TEST(AreaOutline, BorderSteps)
{
    const TCotas g = Stakes(5, 5, {{3, 3}});
    const TAreaStakes s(g, {1, 1, 5, 5});
    EXPECT_TRUE(s.IsBorderStep({3, 3}, dEast));
    EXPECT_TRUE(s.IsBorderStep({4, 3}, dSouth));
    EXPECT_TRUE(s.IsBorderStep({4, 4}, dWest));
    EXPECT_TRUE(s.IsBorderStep({3, 4}, dNorth));
    EXPECT_FALSE(s.IsBorderStep({3, 3}, dSouth));  // the stake is on the left
    EXPECT_EQ(StepNode({3, 3}, dNorth), (TNode{3, 2}));
    // A stake outside the rectangle counts as empty.
    const TAreaStakes inner(g, {1, 1, 2, 2});
    EXPECT_FALSE(inner.IsBorderStep({3, 3}, dEast));
}
