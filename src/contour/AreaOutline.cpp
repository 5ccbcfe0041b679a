#include "AreaOutline.h"

#include <algorithm>
#include <unordered_set>

namespace nivora {

namespace {

struct TStepRule {
    std::int32_t dc, dr;        // the step
    std::int32_t ec, er;        // the stake that must be empty, from the node
    std::int32_t hc, hr;        // the stake that must hold an elevation
};

// Indexed by direction, 1..4.
constexpr TStepRule kRules[5] = {
    {0, 0, 0, 0, 0, 0},
    {+1, 0, 0, -1, 0, 0},    // east
    {0, +1, 0, 0, -1, 0},    // south
    {-1, 0, -1, 0, -1, -1},  // west
    {0, -1, -1, -1, 0, -1},  // north
};

// With rows growing downwards, left of east is north and so on round.
int LeftOf(int d) { return d == dEast ? dNorth : d - 1; }
int RightOf(int d) { return d == dNorth ? dEast : d + 1; }

int FirstBorderStep(const TAreaStakes& stakes, const TNode& n)
{
    for (int d = dEast; d <= dNorth; ++d)
        if (stakes.IsBorderStep(n, d))
            return d;
    return 0;
}

std::uint64_t Key(const TNode& n)
{
    return (std::uint64_t(std::uint32_t(n.Col)) << 32) | std::uint32_t(n.Row);
}
std::uint64_t Key(const TNode& n, int d) { return Key(n) * 5u + std::uint64_t(d); }

// The walks round the rims of stretches of empty ground. At a corner where
// the border touches itself two steps lead on, one to each side: the walk
// turns left there, keeping to the rim it is on, except at the corners listed
// in `rightAt`, where it turns right, onto the rim of the ground that touches
// that one at the corner.
class TRimWalk {
public:
    TRimWalk(const TAreaStakes& stakes, std::int64_t bound) : stakes_(stakes), bound_(bound) {}

    std::unordered_set<std::uint64_t> RightAt;

    // The nodes of the walk that leaves `start` along `first`, up to its
    // return there (the last node is the first again); each corner where two
    // steps lead on goes to `onCorner` with the step taken.
    template <typename OnCorner>
    std::vector<TNode> Walk(const TNode& start, int first, OnCorner&& onCorner) const
    {
        std::vector<TNode> nodes;
        TNode node = start;
        int d = first;
        do {
            nodes.push_back(node);
            node = StepNode(node, d);
            d = Next(node, d, onCorner);
        } while (d != 0 && !(node == start && d == first) && std::int64_t(nodes.size()) < bound_);
        nodes.push_back(node);
        return nodes;
    }

private:
    template <typename OnCorner>
    int Next(const TNode& n, int d, OnCorner&& onCorner) const
    {
        const int left = LeftOf(d), right = RightOf(d);
        const bool l = stakes_.IsBorderStep(n, left);
        if (l && stakes_.IsBorderStep(n, right)) {
            const int next = !RightAt.empty() && RightAt.count(Key(n)) ? right : left;
            onCorner(n, next);
            return next;
        }
        if (l)
            return left;
        if (stakes_.IsBorderStep(n, d))
            return d;
        return stakes_.IsBorderStep(n, right) ? right : 0;
    }

    const TAreaStakes& stakes_;
    std::int64_t bound_;
};

// Whether a closed walk round a stretch of empty ground has a stake with an
// elevation inside it: an island in a pond.
bool HoldsStake(const TAreaStakes& stakes, const std::vector<TNode>& rim)
{
    std::int32_t top = rim[0].Row, bottom = rim[0].Row;
    for (const TNode& n : rim) {
        top = std::min(top, n.Row);
        bottom = std::max(bottom, n.Row);
    }
    // The columns where the rim crosses each row of stakes.
    std::vector<std::vector<std::int32_t>> crossings(std::size_t(bottom - top) + 1);
    for (std::size_t i = 0; i + 1 < rim.size(); ++i) {
        const TNode& a = rim[i];
        const TNode& b = rim[i + 1];
        if (a.Col == b.Col && a.Row != b.Row)
            crossings[std::size_t(std::min(a.Row, b.Row) - top)].push_back(a.Col);
    }
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        std::vector<std::int32_t>& xs = crossings[k];
        std::sort(xs.begin(), xs.end());
        for (std::size_t j = 0; j + 1 < xs.size(); j += 2)
            for (std::int32_t c = xs[j]; c < xs[j + 1]; ++c)
                if (stakes.Has(c, top + std::int32_t(k)))
                    return true;
    }
    return false;
}

}  // namespace

bool TAreaStakes::IsBorderStep(const TNode& n, int d) const
{
    const TStepRule& s = kRules[d];
    return !Has(n.Col + s.ec, n.Row + s.er) && Has(n.Col + s.hc, n.Row + s.hr);
}

TNode StepNode(const TNode& n, int d) { return {n.Col + kRules[d].dc, n.Row + kRules[d].dr}; }

std::vector<TNode> TraceOutline(const TCotas& grid, const TUsedRect& area)
{
    std::vector<TNode> outline;
    const TAreaStakes stakes(grid, area);
    if (area.FirstCol > area.LastCol || area.FirstRow > area.LastRow)
        return outline;

    // The start: the middle row of nodes from the right edge, else the first
    // stake from the top (see the header).
    TNode start{0, 0};
    int first = 0;
    const std::int32_t middle = (area.FirstRow + area.LastRow) / 2;
    for (std::int32_t c = area.LastCol + 1; c >= area.FirstCol && first == 0; --c) {
        start = {c, middle};
        first = FirstBorderStep(stakes, start);
    }
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, grid.ColCount());
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, grid.RowCount());
    for (std::int32_t r = r0; r <= r1 && first == 0; ++r)
        for (std::int32_t c = c0; c <= c1 && first == 0; ++c)
            if (grid.GetCell(c, r) != 0.0f) {
                start = {c, r};
                first = dEast;
            }
    if (first == 0)
        return outline;  // no elevation: no frame

    // Every border edge is one of the area's cell edges, and a walk passes
    // each at most once.
    const std::int64_t cols = std::int64_t(area.LastCol) - area.FirstCol + 1;
    const std::int64_t rows = std::int64_t(area.LastRow) - area.FirstRow + 1;
    const std::int64_t edges = cols * (rows + 1) + (cols + 1) * rows;
    TRimWalk rims(stakes, edges);

    // The rim of the ground round the field. At its corners that a hole
    // touches (a notch cut into the field at a corner: the missing stake's
    // four neighbours hold elevations) it takes in the hole's rim too, unless
    // an island lies in the hole, which it would leave outside. The holes
    // taken in may touch further holes at their corners, and so on.
    std::unordered_set<std::uint64_t> taken;  // steps out of corners on the frame
    std::vector<TNode> corners;
    const auto onCorner = [&](const TNode& n, int d) {
        taken.insert(Key(n, d));
        corners.push_back(n);
    };
    std::vector<TNode> frame = rims.Walk(start, first, onCorner);
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const TNode n = corners[k];
        for (const int d : {dEast, dSouth, dWest, dNorth}) {
            if (!stakes.IsBorderStep(n, d) || taken.count(Key(n, d)))
                continue;
            std::vector<std::pair<TNode, int>> holeCorners;
            const std::vector<TNode> hole =
                rims.Walk(n, d, [&](const TNode& m, int e) { holeCorners.emplace_back(m, e); });
            if (HoldsStake(stakes, hole))
                continue;
            rims.RightAt.insert(Key(n));
            taken.insert(Key(n, d));
            for (const auto& [m, e] : holeCorners) {
                taken.insert(Key(m, e));
                corners.push_back(m);
            }
        }
    }
    if (!rims.RightAt.empty())
        frame = rims.Walk(start, first, [](const TNode&, int) {});
    outline = std::move(frame);

    // The frame has always begun at the first border node east of the middle
    // of the area; where that node lies on the frame, the list begins there,
    // so that maps drawn before keep their frame point for point.
    const std::int32_t centre = (area.FirstCol + area.LastCol) / 2;
    for (std::int32_t c = centre; c <= area.LastCol; ++c) {
        const TNode from{c, middle};
        const int d = FirstBorderStep(stakes, from);
        if (d == 0)
            continue;
        const TNode to = StepNode(from, d);
        for (std::size_t i = 1; i + 1 < outline.size(); ++i)
            if (outline[i] == from && outline[i + 1] == to) {
                outline.pop_back();
                std::rotate(outline.begin(), outline.begin() + std::ptrdiff_t(i), outline.end());
                outline.push_back(from);
                break;
            }
        break;
    }
    return outline;
}

}  // namespace nivora
