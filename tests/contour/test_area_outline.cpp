// The outline of the surveyed area: the walk along the cell edges, where it
// starts, how it passes corners where the border touches itself, and the
// frame it gives on generated fields up to 1000 x 1000.

#include "contour/AreaOutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <set>
#include <string>

using namespace nivora;

namespace {

TCotas Stakes(std::int32_t cols, std::int32_t rows, std::initializer_list<TNode> with)
{
    TCotas g(cols, rows);
    for (const TNode& n : with)
        g.SetCell(n.Col, n.Row, 100.0f);
    return g;
}

// A field drawn as text, one row a line: '#' a stake with an elevation.
TCotas Drawn(const std::vector<std::string>& rows)
{
    TCotas g(std::int32_t(rows[0].size()), std::int32_t(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (rows[r][c] == '#')
                g.SetCell(std::int32_t(c + 1), std::int32_t(r + 1), 100.0f);
    return g;
}

int Direction(const TNode& a, const TNode& b)
{
    for (int d = dEast; d <= dNorth; ++d)
        if (StepNode(a, d) == b)
            return d;
    return 0;
}

using TEdge = std::pair<std::pair<std::int32_t, std::int32_t>, int>;  // node, direction

// What every frame must be: closed, one stake a step, each step between a
// stake of the area (right) and one without (left), no edge twice, every
// stake of the area inside, and every border edge that faces the ground
// round the field taken.
void ExpectFrame(const TCotas& g, const TUsedRect& area, const std::vector<TNode>& outline, const std::string& what)
{
    SCOPED_TRACE(what);
    const TAreaStakes stakes(g, area);
    ASSERT_GE(outline.size(), 5u);
    ASSERT_EQ(outline.front(), outline.back());
    std::set<TEdge> edges;
    for (std::size_t i = 0; i + 1 < outline.size(); ++i) {
        const int d = Direction(outline[i], outline[i + 1]);
        ASSERT_NE(d, 0) << "step " << i << " is not one stake long";
        ASSERT_TRUE(stakes.IsBorderStep(outline[i], d)) << "step " << i << " is not on the border";
        ASSERT_TRUE(edges.insert({{outline[i].Col, outline[i].Row}, d}).second) << "edge " << i << " repeats";
    }

    // Inside: an odd number of the frame's upright edges left of the stake.
    const std::int32_t cols = area.LastCol - area.FirstCol + 3, rows = area.LastRow - area.FirstRow + 3;
    std::vector<std::vector<std::int32_t>> crossings(std::size_t(rows + 2));
    for (std::size_t i = 0; i + 1 < outline.size(); ++i)
        if (outline[i].Col == outline[i + 1].Col)
            crossings[std::size_t(std::min(outline[i].Row, outline[i + 1].Row) - area.FirstRow + 1)].push_back(
                outline[i].Col);
    for (std::int32_t r = area.FirstRow; r <= area.LastRow; ++r) {
        auto& xs = crossings[std::size_t(r - area.FirstRow + 1)];
        std::sort(xs.begin(), xs.end());
        for (std::int32_t c = area.FirstCol; c <= area.LastCol; ++c)
            if (stakes.Has(c, r)) {
                const auto left = std::upper_bound(xs.begin(), xs.end(), c) - xs.begin();
                ASSERT_EQ(left % 2, 1) << "stake (" << c << ", " << r << ") lies outside";
            }
    }

    // The ground round the field: empty stakes reached from beyond the area
    // through edges. Each border edge facing it is on the frame.
    std::vector<char> outside(std::size_t(cols) * std::size_t(rows), 0);
    const auto at = [&](std::int32_t c, std::int32_t r) -> char& {
        return outside[std::size_t(r - area.FirstRow + 1) * std::size_t(cols) + std::size_t(c - area.FirstCol + 1)];
    };
    std::deque<TNode> queue{{area.FirstCol - 1, area.FirstRow - 1}};
    at(area.FirstCol - 1, area.FirstRow - 1) = 1;
    while (!queue.empty()) {
        const TNode s = queue.front();
        queue.pop_front();
        for (const TNode n :
             {TNode{s.Col + 1, s.Row}, TNode{s.Col - 1, s.Row}, TNode{s.Col, s.Row + 1}, TNode{s.Col, s.Row - 1}}) {
            if (n.Col < area.FirstCol - 1 || n.Col > area.LastCol + 1 || n.Row < area.FirstRow - 1
                || n.Row > area.LastRow + 1 || at(n.Col, n.Row) || stakes.Has(n.Col, n.Row))
                continue;
            at(n.Col, n.Row) = 1;
            queue.push_back(n);
        }
    }
    std::size_t facing = 0;
    for (std::int32_t r = area.FirstRow; r <= area.LastRow; ++r)
        for (std::int32_t c = area.FirstCol; c <= area.LastCol; ++c) {
            if (!stakes.Has(c, r))
                continue;
            // The edges of the stake's cell, walked with the stake on the right.
            // clang-format off
            const std::pair<TNode, TEdge> sides[] = {
                {{c, r - 1}, {{c, r}, dEast}},
                {{c + 1, r}, {{c + 1, r}, dSouth}},
                {{c, r + 1}, {{c + 1, r + 1}, dWest}},
                {{c - 1, r}, {{c, r + 1}, dNorth}},
            };
            // clang-format on
            for (const auto& [neighbour, edge] : sides)
                if (at(neighbour.Col, neighbour.Row)) {
                    ++facing;
                    ASSERT_TRUE(edges.count(edge)) << "an edge of stake (" << c << ", " << r << ") is not framed";
                }
        }
    EXPECT_GT(facing, 0u);
}

// A field of rows with wandering ends, each row overlapping the one before;
// ponds (some with an island), and single stakes taken away near the edges
// and inside where that cannot split the field: notches, corners where
// stakes meet only diagonally, and holes touching one another at corners.
TCotas RaggedField(std::int32_t cols, std::int32_t rows, std::uint32_t seed, int ponds, int missing)
{
    TCotas g(cols, rows);
    std::mt19937 rng(seed);
    const auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int wander = std::max(1, cols / 40);
    int lo = 1 + cols / 10, hi = cols - cols / 10;
    std::vector<std::pair<int, int>> ends;
    for (std::int32_t r = 1; r <= rows; ++r) {
        const int prevLo = lo, prevHi = hi;
        lo = std::clamp(lo + uniform(-wander, wander), 1, std::max(1, cols / 3));
        hi = std::clamp(hi + uniform(-wander, wander), std::min(cols, 2 * cols / 3 + 1), cols);
        lo = std::min(lo, prevHi);
        hi = std::max(hi, prevLo);
        ends.emplace_back(lo, hi);
        for (std::int32_t c = lo; c <= hi; ++c)
            g.SetCell(c, r, 50.0f + 0.01f * float(c + r));
    }
    for (int k = 0; k < ponds; ++k) {
        // Within the columns every row covers and off the first and last
        // rows: ponds never reach the ground outside.
        const int radius = uniform(1, std::max(1, std::min(cols, rows) / 12));
        const int c0 = cols / 3 + 1 + radius, c1 = 2 * cols / 3 - radius, r0 = 2 + radius, r1 = rows - 1 - radius;
        if (c0 > c1 || r0 > r1)
            continue;
        const int pc = uniform(c0, c1), pr = uniform(r0, r1);
        for (int r = pr - radius; r <= pr + radius; ++r)
            for (int c = pc - radius; c <= pc + radius; ++c)
                if ((c - pc) * (c - pc) + (r - pr) * (r - pr) <= radius * radius && !(radius > 2 && c == pc && r == pr))
                    g.SetCell(c, r, 0.0f);
    }
    // Single stakes, kept only where their neighbours stay one group.
    const auto has = [&](int c, int r) { return g.GetCell(c, r) != 0.0f; };
    for (int k = 0; k < missing; ++k) {
        const int r = uniform(1, rows);
        const auto [a, b] = ends[std::size_t(r - 1)];
        const int c = uniform(0, 2) == 0 ? uniform(a, b) : (uniform(0, 1) ? a + uniform(0, 2) : b - uniform(0, 2));
        if (!has(c, r))
            continue;
        const int dc[8] = {1, 1, 0, -1, -1, -1, 0, 1}, dr[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        int parent[8];
        for (int i = 0; i < 8; ++i)
            parent[i] = i;
        const auto find = [&](int i) {
            while (parent[i] != i)
                i = parent[i] = parent[parent[i]];
            return i;
        };
        for (int i = 0; i < 8; ++i)
            for (int j = i + 1; j < 8; ++j)
                if (has(c + dc[i], r + dr[i]) && has(c + dc[j], r + dr[j])
                    && std::max(std::abs(dc[i] - dc[j]), std::abs(dr[i] - dr[j])) == 1)
                    parent[find(i)] = find(j);
        int groups = 0;
        for (int i = 0; i < 8; ++i)
            groups += has(c + dc[i], r + dr[i]) && find(i) == i;
        if (groups == 1)
            g.SetCell(c, r, 0.0f);
    }
    return g;
}

}  // namespace

// The cases kept from the first version of the walk, whose frames still hold.
TEST(AreaOutline, SmallFrames)
{
    {
        const TCotas g = Stakes(5, 5, {{3, 3}});
        EXPECT_EQ(TraceOutline(g, {1, 1, 5, 5}), (std::vector<TNode>{{3, 3}, {4, 3}, {4, 4}, {3, 4}, {3, 3}}));
    }
    {
        const TCotas g = Stakes(2, 2, {{1, 1}, {2, 1}, {1, 2}, {2, 2}});
        EXPECT_EQ(TraceOutline(g, {1, 1, 2, 2}),
                  (std::vector<TNode>{{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}, {1, 1}}));
    }
    {
        // Only the area's bottom row holds elevations: the middle row of
        // nodes meets none, and the walk starts on the first stake's cell.
        const TCotas g = Stakes(6, 6, {{2, 6}, {3, 6}});
        EXPECT_EQ(TraceOutline(g, {1, 1, 6, 6}),
                  (std::vector<TNode>{{2, 6}, {3, 6}, {4, 6}, {4, 7}, {3, 7}, {2, 7}, {2, 6}}));
    }
}

// The middle node lies inside: the frame begins at the first node east of it
// with a border step, on the area's right edge, as it always has.
TEST(AreaOutline, BeginsEastOfTheMiddle)
{
    TCotas g(9, 9);
    for (std::int32_t r = 2; r <= 8; ++r)
        for (std::int32_t c = 2; c <= 6; ++c)
            g.SetCell(c, r, 50.0f);
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 9, 9});
    EXPECT_EQ(outline.front(), (TNode{7, 5}));
    EXPECT_EQ(outline.size(), std::size_t(2 * (5 + 7) + 1));
    ExpectFrame(g, {1, 1, 9, 9}, outline, "block");
}

// Stakes (1, 1) and (2, 2) meet at a corner. The walk used to turn onto the
// second cell there and circle it until a bound of 4000 steps stopped it,
// open; it now frames both cells and comes back.
TEST(AreaOutline, StakesMeetingAtACornerAreFramedTogether)
{
    const TCotas g = Stakes(2, 2, {{1, 1}, {2, 2}});
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 2, 2});
    EXPECT_EQ(outline, (std::vector<TNode>{{1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {2, 3}, {2, 2}, {1, 2}, {1, 1}}));
    ExpectFrame(g, {1, 1, 2, 2}, outline, "diagonal");
}

TEST(AreaOutline, AreaWithoutElevationHasNoOutline)
{
    TCotas g(10, 10);
    EXPECT_TRUE(TraceOutline(g, {1, 1, 10, 10}).empty());
    g.SetCell(9, 9, 12.0f);
    EXPECT_TRUE(TraceOutline(g, {1, 1, 5, 5}).empty());  // outside the rectangle
    EXPECT_EQ(TraceOutline(g, {1, 1, 10, 10}).size(), 5u);
}

// Fields that used to be framed wrong: round a hole instead of the field,
// circling until the bound. Each now gets the frame of the whole field, and
// the missing stake at the inside corner of an L is framed as a notch.
TEST(AreaOutline, ShapesThatUsedToGoWrong)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        std::size_t nodes;
        std::vector<TNode> mustPass;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"hole in the middle",
         {"########", "########", "###..###", "###..###", "########", "########"}, 2 * (8 + 6) + 1, {}},
        {"hole touching another at a corner",
         {"#######", "##.####", "###.###", "#######"}, 2 * (7 + 4) + 1, {}},
        // The missing stake (3, 3) touches the ground outside at node (4, 4):
        // the frame goes round its cell.
        {"notch at the inside corner of an L",
         {"######", "######", "##.###", "###...", "###...", "###..."}, 2 * (6 + 6) + 4 + 1, {{3, 3}, {4, 3}, {3, 4}}},
        {"notches in a row along a diagonal",
         {"######", "######", "##.###", "###.##", "####..", "####.."}, 0, {{3, 3}, {4, 4}, {5, 5}}},
        {"two fields meeting at a corner", {"##..", "##..", "..##", "..##"}, 2 * 8 + 1, {{3, 3}}},
    };
    // clang-format on
    for (const Case& k : cases) {
        const TCotas g = Drawn(k.rows);
        const TUsedRect area{1, 1, g.ColCount(), g.RowCount()};
        const std::vector<TNode> outline = TraceOutline(g, area);
        ExpectFrame(g, area, outline, k.what);
        if (k.nodes) {
            EXPECT_EQ(outline.size(), k.nodes) << k.what;
        }
        for (const TNode& n : k.mustPass)
            EXPECT_NE(std::find(outline.begin(), outline.end(), n), outline.end())
                << k.what << ": (" << n.Col << ", " << n.Row << ")";
        EXPECT_EQ(TraceOutline(g, area), outline) << k.what << ": the same every time";
    }
}

// A pond that touches the outside at a corner and holds an island is not
// taken into the frame: the island would fall outside it.
TEST(AreaOutline, PondWithAnIslandStaysInside)
{
    const TCotas g =
        Drawn({"#########", "#########", "##....###", "##.#..###", "##....###", "######...", "######...", "#########"});
    // The pond (3..6, 3..5) touches the empty corner (7..9, 6..7) at node (7, 6).
    const std::vector<TNode> outline = TraceOutline(g, {1, 1, 9, 8});
    ExpectFrame(g, {1, 1, 9, 8}, outline, "pond with an island");
    EXPECT_EQ(std::find(outline.begin(), outline.end(), TNode{3, 3}), outline.end());
    // Without the island it is a bay of the ground outside, and framed.
    TCotas open = g;
    open.SetCell(4, 4, 0.0f);
    const std::vector<TNode> bay = TraceOutline(open, {1, 1, 9, 8});
    ExpectFrame(open, {1, 1, 9, 8}, bay, "pond");
    EXPECT_NE(std::find(bay.begin(), bay.end(), TNode{3, 3}), bay.end());
}

// Generated fields of many sizes and shapes, up to 1000 x 1000.
TEST(AreaOutline, FramesOfGeneratedFields)
{
    struct Kind {
        std::int32_t cols, rows;
        int fields, ponds, missing;
    };
    // clang-format off
    const Kind kinds[] = {
        {4, 4, 60, 0, 3},      {8, 6, 60, 1, 8},        {20, 30, 40, 2, 60},       {60, 40, 20, 4, 400},
        {1, 25, 5, 0, 0},      {25, 1, 5, 0, 0},        {200, 120, 4, 6, 4000},    {1000, 1000, 1, 12, 40000},
    };
    // clang-format on
    std::uint32_t seed = 1;
    for (const Kind& k : kinds)
        for (int i = 0; i < k.fields; ++i, ++seed) {
            const TCotas g = RaggedField(k.cols, k.rows, seed, k.ponds, k.missing);
            const TUsedRect area{1, 1, k.cols, k.rows};
            const std::vector<TNode> outline = TraceOutline(g, area);
            ExpectFrame(g, area, outline,
                        std::to_string(k.cols) + " x " + std::to_string(k.rows) + ", seed " + std::to_string(seed));
            if (HasFatalFailure())
                return;
        }
}

// Fields of one border and no holes keep the frame they always had: the same
// nodes as before, from the same start where that was east of the middle.
TEST(AreaOutline, SimpleFieldsKeepTheirFrame)
{
    // Traced by the first version of the walk.
    const TCotas g = Drawn({"..####..", ".######.", "########", "#######.", ".#####..", "..###..."});
    EXPECT_EQ(TraceOutline(g, {1, 1, 8, 6}),
              (std::vector<TNode>{{8, 3}, {9, 3}, {9, 4}, {8, 4}, {8, 5}, {7, 5}, {7, 6}, {6, 6}, {6, 7}, {5, 7},
                                  {4, 7}, {3, 7}, {3, 6}, {2, 6}, {2, 5}, {1, 5}, {1, 4}, {1, 3}, {2, 3}, {2, 2},
                                  {3, 2}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {7, 2}, {8, 2}, {8, 3}}));
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

// Frames round every part: the outline first, unchanged, then one frame round
// each part it leaves out, taken from the top row down.
TEST(AreaOutline, EveryPartIsFramed)
{
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        std::size_t frames;
    };
    // clang-format off
    const std::vector<Case> cases = {
        {"one field", {"..####..", ".######.", "########", "#######.", ".#####..", "..###..."}, 1},
        {"two parts side by side", {"###...##", "###...##", "###....."}, 2},
        // The walk starts on the right-hand part, which the middle row
        // meets; the one above-left comes after it.
        {"a part above the middle row", {"##.....", "##.....", "....###", "....###", "......."}, 2},
        {"three parts, one a single stake", {"##..#.", "##....", "......", "...###"}, 3},
        {"a part inside a pond is enclosed already", {"#######", "#.....#", "#.###.#", "#.....#", "#######"}, 1},
        {"odd start row, a part in the last row", {"#....", "#....", ".....", ".....", "...##"}, 2},
    };
    // clang-format on
    for (const Case& k : cases) {
        const TCotas g = Drawn(k.rows);
        const TUsedRect area{1, 1, g.ColCount(), g.RowCount()};
        const auto frames = TraceOutlines(g, area);
        ASSERT_EQ(frames.size(), k.frames) << k.what;
        EXPECT_EQ(frames.front(), TraceOutline(g, area)) << k.what;
        // Every stake lies inside some frame, each frame a closed walk along
        // the border.
        const TAreaStakes stakes(g, area);
        for (std::int32_t r = 1; r <= g.RowCount(); ++r)
            for (std::int32_t c = 1; c <= g.ColCount(); ++c) {
                if (!stakes.Has(c, r))
                    continue;
                bool inside = false;
                for (const auto& f : frames) {
                    std::size_t left = 0;
                    for (std::size_t i = 0; i + 1 < f.size(); ++i)
                        left += f[i].Col == f[i + 1].Col && f[i].Col <= c && std::min(f[i].Row, f[i + 1].Row) == r;
                    inside = inside || left % 2 == 1;
                }
                EXPECT_TRUE(inside) << k.what << ": stake (" << c << ", " << r << ")";
            }
        for (const auto& f : frames) {
            ASSERT_GE(f.size(), 5u) << k.what;
            EXPECT_EQ(f.front(), f.back()) << k.what;
            for (std::size_t i = 0; i + 1 < f.size(); ++i)
                EXPECT_TRUE(stakes.IsBorderStep(f[i], Direction(f[i], f[i + 1]))) << k.what << ": step " << i;
        }
    }
    // The parts in order: the outline round the part the middle row meets,
    // then the upper-left part, from its upper-left corner.
    const TCotas two = Drawn({"##.....", "##.....", "....###", "....###", "......."});
    const auto frames = TraceOutlines(two, {1, 1, 7, 5});
    EXPECT_EQ(frames[0].front(), (TNode{5, 3}));
    EXPECT_EQ(frames[1], (std::vector<TNode>{{1, 1}, {2, 1}, {3, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 3}, {1, 2}, {1, 1}}));
    // Within a smaller rectangle only its stakes count.
    EXPECT_EQ(TraceOutlines(two, {1, 1, 3, 5}).size(), 1u);
    EXPECT_TRUE(TraceOutlines(TCotas(4, 4), {1, 1, 4, 4}).empty());
}

// Stakes apart from one another, every other one in every other row: a part
// each, 250000 of them on the largest grid, framed in a bounded time; and a
// checkerboard, whose stakes meet at corners, stays one field.
TEST(AreaOutline, ManySmallPartsEndQuickly)
{
    TCotas apart(1000, 1000);
    for (std::int32_t r = 1; r <= 1000; r += 2)
        for (std::int32_t c = 1; c <= 1000; c += 2)
            apart.SetCell(c, r, 10.0f);
    const auto frames = TraceOutlines(apart, {1, 1, 1000, 1000});
    ASSERT_EQ(frames.size(), 250000u);
    for (const auto& f : frames)
        ASSERT_EQ(f.size(), 5u);

    TCotas board(1000, 1000);
    for (std::int32_t r = 1; r <= 1000; ++r)
        for (std::int32_t c = 1 + (r % 2); c <= 1000; c += 2)
            board.SetCell(c, r, 10.0f);
    EXPECT_EQ(TraceOutlines(board, {1, 1, 1000, 1000}).size(), 1u);
}

// Generated fields broken into parts by empty rows and columns: every stake
// inside some frame.
TEST(AreaOutline, PartsOfGeneratedFields)
{
    std::uint32_t seed = 500;
    for (const auto& [cols, rows] : {std::pair{40, 30}, std::pair{300, 300}}) {
        for (int i = 0; i < 6; ++i, ++seed) {
            TCotas g = RaggedField(cols, rows, seed, 2, cols * 2);
            std::mt19937 rng(seed);
            for (int cut = 0; cut < 3; ++cut) {
                const std::int32_t at = std::int32_t(rng() % std::uint32_t(rows)) + 1;
                for (std::int32_t c = 1; c <= cols; ++c)
                    g.SetCell(c, at, 0.0f);
                const std::int32_t col = std::int32_t(rng() % std::uint32_t(cols)) + 1;
                for (std::int32_t r = 1; r <= rows; ++r)
                    g.SetCell(col, r, 0.0f);
            }
            const TUsedRect area{1, 1, cols, rows};
            const auto frames = TraceOutlines(g, area);
            std::vector<std::vector<std::int32_t>> crossings(std::size_t(rows) + 2);
            std::vector<char> inside(std::size_t(cols + 2) * std::size_t(rows + 2), 0);
            for (const auto& f : frames) {
                for (auto& xs : crossings)
                    xs.clear();
                for (std::size_t k = 0; k + 1 < f.size(); ++k)
                    if (f[k].Col == f[k + 1].Col)
                        crossings[std::size_t(std::min(f[k].Row, f[k + 1].Row))].push_back(f[k].Col);
                for (std::int32_t r = 1; r <= rows; ++r) {
                    auto& xs = crossings[std::size_t(r)];
                    std::sort(xs.begin(), xs.end());
                    for (std::size_t j = 0; j + 1 < xs.size(); j += 2)
                        for (std::int32_t c = xs[j]; c < xs[j + 1]; ++c)
                            inside[std::size_t(r) * std::size_t(cols + 2) + std::size_t(c)] = 1;
                }
            }
            std::size_t outside = 0;
            for (std::int32_t r = 1; r <= rows; ++r)
                for (std::int32_t c = 1; c <= cols; ++c)
                    outside +=
                        g.GetCell(c, r) != 0.0f && !inside[std::size_t(r) * std::size_t(cols + 2) + std::size_t(c)];
            EXPECT_EQ(outside, 0u) << cols << " x " << rows << ", seed " << seed;
            EXPECT_GT(frames.size(), 1u) << cols << " x " << rows << ", seed " << seed;
        }
    }
}
