#include "AreaOutline.h"

#include <algorithm>

namespace nivora {

std::int32_t TOutlineRandom::Next(std::int32_t n)
{
    seed_ = seed_ * 0x08088405u + 1u;
    if (n <= 0)
        return 0;
    return static_cast<std::int32_t>((std::uint64_t(seed_) * std::uint64_t(n)) >> 32);
}

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

int Reverse(int d) { return d <= 2 ? d + 2 : d - 2; }

}  // namespace

bool TAreaStakes::IsBorderStep(const TNode& n, int d) const
{
    const TStepRule& s = kRules[d];
    return !Has(n.Col + s.ec, n.Row + s.er) && Has(n.Col + s.hc, n.Row + s.hr);
}

TNode StepNode(const TNode& n, int d) { return {n.Col + kRules[d].dc, n.Row + kRules[d].dr}; }

std::vector<TNode> TraceOutline(const TCotas& grid, const TUsedRect& area, TOutlineRandom random)
{
    std::vector<TNode> outline;
    const TAreaStakes stakes(grid, area);

    // Without a stake of the area the search would never end.
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, grid.ColCount);
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, grid.RowCount);
    bool any = false;
    for (std::int32_t r = r0; r <= r1 && !any; ++r)
        for (std::int32_t c = c0; c <= c1 && !any; ++c)
            any = grid.GetCell(c, r) != 0.0f;
    if (!any)
        return outline;

    const auto firstBorderStep = [&](const TNode& n) {
        for (int d = dEast; d <= dNorth; ++d)
            if (stakes.IsBorderStep(n, d))
                return d;
        return 0;
    };

    // Start search. The random jumps never reach the last row of nodes: when
    // only the area's bottom row holds elevations they could go on for good,
    // so after a generous number of looks every node is tried in order.
    TNode node{(area.FirstCol + area.LastCol) / 2, (area.FirstRow + area.LastRow) / 2};
    const std::int64_t nodes = std::int64_t(area.LastCol - area.FirstCol + 2) * (area.LastRow - area.FirstRow + 2);
    std::int64_t looks = 16 * nodes + 4096;
    int dir = 0;
    while ((dir = firstBorderStep(node)) == 0 && --looks > 0) {
        ++node.Col;
        if (node.Col > area.LastCol) {
            node.Row = area.FirstRow + random.Next(area.LastRow - area.FirstRow);
            node.Col = area.FirstCol + random.Next(area.LastCol - area.FirstCol);
        }
    }
    for (std::int32_t r = area.FirstRow; dir == 0 && r <= area.LastRow + 1; ++r)
        for (std::int32_t c = area.FirstCol; dir == 0 && c <= area.LastCol + 1; ++c) {
            node = {c, r};
            dir = firstBorderStep(node);
        }

    // The walk.
    const TNode start = node;
    int previous = dir;
    outline.reserve(64);
    do {
        int next = 0;
        for (int d = dEast; d <= dNorth && next == 0; ++d)
            if (d != Reverse(previous) && stakes.IsBorderStep(node, d))
                next = d;
        if (next == 0)
            break;  // cannot happen on a border: a step in always has a step out
        outline.push_back(node);
        node = StepNode(node, next);
        previous = next;
    } while (!(node == start) && outline.size() < std::size_t(kOutlineSteps));
    outline.push_back(node);
    return outline;
}

}  // namespace nivora
