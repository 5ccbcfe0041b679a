#pragma once
// The outline of the surveyed area: a walk along the cell edges of the grid,
// from corner node to corner node, that keeps the stakes with an elevation on
// its right. Node (c, r) is the upper-left corner of the cell of stake (c, r);
// rows grow downwards, so the outer border is walked clockwise on the map.
//
// The walk starts from the first border step found from the middle of the
// area, moving east and jumping to random nodes when it runs out of the area;
// at a node it takes the first border step of east, south, west, north that
// does not turn straight back, and it stops when it is back at the start or
// after 4000 steps. Where two stakes of the area meet only at a corner, the
// first direction wins, which may lead the walk round another part of the
// border for good: the 4000 steps end it, and the outline stays open.

#include "data/UCotas.h"

#include <cstdint>
#include <vector>

namespace nivora {

struct TNode {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    bool operator==(const TNode&) const = default;
};

// 1 east, 2 south, 3 west, 4 north.
enum TDirection : int { dEast = 1, dSouth = 2, dWest = 3, dNorth = 4 };

constexpr int kOutlineSteps = 4000;

// The random numbers of the start search: a 32-bit linear congruential
// generator, the same sequence on every machine for the same seed.
class TOutlineRandom {
public:
    explicit TOutlineRandom(std::uint32_t seed = 0) : seed_(seed) {}
    // Uniform in 0 .. n - 1; 0 when n is 0.
    std::int32_t Next(std::int32_t n);

private:
    std::uint32_t seed_;
};

// The stakes of the area: inside the rectangle and holding an elevation.
class TAreaStakes {
public:
    TAreaStakes(const TCotas& grid, const TUsedRect& area) : grid_(grid), area_(area) {}
    // The elevation inside the rectangle, 0 outside.
    float ElevationInArea(std::int32_t col, std::int32_t row) const
    {
        if (col < area_.FirstCol || col > area_.LastCol || row < area_.FirstRow || row > area_.LastRow)
            return 0.0f;
        return grid_.GetCell(col, row);
    }
    bool Has(std::int32_t col, std::int32_t row) const { return ElevationInArea(col, row) != 0.0f; }
    // A step along d is a border step: the stake on its left empty, the one on
    // its right with an elevation.
    bool IsBorderStep(const TNode& node, int d) const;

private:
    const TCotas& grid_;
    TUsedRect area_;
};

TNode StepNode(const TNode& node, int d);

// The outline, at most 4001 nodes; closed (last node = first) when the walk
// came back to its start. Empty when the area holds no elevation.
std::vector<TNode> TraceOutline(const TCotas& grid, const TUsedRect& area, TOutlineRandom random = TOutlineRandom());

}  // namespace nivora
