#pragma once
// The outline of the surveyed area: a walk along the cell edges of the grid,
// from corner node to corner node, that keeps the stakes with an elevation on
// its right. Node (c, r) is the upper-left corner of the cell of stake (c, r);
// rows grow downwards, so the outer border is walked clockwise on the map.
//
// Where the walk starts. The frame is the outer border of the field, so the
// start must lie on it and never on the border of a hole (a pond, a building:
// stakes without elevation inside the field). The middle row of nodes is
// scanned from the area's right edge inwards: the first node met that has a
// border step touches the empty ground east of the field, which reaches the
// area's edge along that row, so its border is the outer one. When the middle
// row crosses no stake, the walk starts at the upper-left corner of the first
// stake met scanning the rows from the top, whose cell has nothing above it.
// Both starts are found in a fixed order: the same grid always gives the same
// frame. The frame used to begin at the first border node east of the middle
// of the area, and on the fields where that node lies on the outer border it
// still does: the closed walk is turned round to begin there, and the map of
// such a field is the same as it has always been.
//
// How it turns. At most nodes one border step leads on. Where the border
// touches itself at a corner, two stakes of the area meeting only there, two
// lead on, one to each side. The walk turns left there, before going straight
// on and before turning right, and so keeps the same empty stake on its left:
// it follows the rim of one stretch of empty ground, and the stakes that meet
// at a corner stay one field, framed together. Ground that touches the rim
// only at a corner is a hole, then: a notch, one stake missing at an inside
// corner of the field with its four neighbours in place, would be left out of
// the frame. Such holes are taken in. The walk round the field notes the
// corners it passes; where another rim touches it there, that rim is walked
// too, and unless an island of stakes lies inside it (which would end up
// outside the frame) the walk turns right at that corner from then on, round
// the hole and back. The holes taken in may touch further holes, and so on.
//
// Every border edge lies on one rim, and the walk passes each at most once.
// It ends when it comes back to its first step, which it always does; the
// number of cell edges of the area bounds it all the same.

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

// The outer border of the area's stakes as a closed list of nodes (the last
// node is the first again). Empty when the area holds no elevation. A field
// of several parts that do not touch even at a corner is framed round the
// part the start lies on.
std::vector<TNode> TraceOutline(const TCotas& grid, const TUsedRect& area);

// Frames round every stake of the area: the outline above first, then one
// frame round each part of the field that no frame before encloses, the
// parts taken from the top row down, each row from the left. A field the
// outline encloses whole gets that outline alone. Empty without elevations.
std::vector<std::vector<TNode>> TraceOutlines(const TCotas& grid, const TUsedRect& area);

}  // namespace nivora
