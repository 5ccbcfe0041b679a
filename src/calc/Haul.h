#pragma once
// The haul of a plan's earthwork: how far the cut must travel to the fill.
// Every stake stands for its cell of Lx x Ly; a cut stake gives its cut
// volume, a fill stake takes its fill volume times the plan's cut/fill ratio
// (the cut that, shrunk, fills it), so that the field balances. Earth moves
// between neighbouring stakes at the spacing's cost, which makes the
// cheapest movement of all the cut a transport with Manhattan distances,
// solved exactly as a minimum-cost flow on the stake grid. Stakes without
// elevation give and take nothing but the earth may cross them: they are
// ground that was not surveyed, and the distance stays the Manhattan one.
//
// This header is standard C++; the solver behind it lives in a target of its
// own (nivora_haul) with the network flow library.

#include "calc/HaulFlow.h"
#include "data/GridTypes.h"

#include <cstdint>
#include <vector>

namespace nivora {

class TTerreno;

// The supplies of the terrain's current design over `area` (clipped to the
// grid), read through the terrain's CutFill. The ratio is the design's own,
// cut over fill, so that the supplies sum to zero.
THaulField HaulFieldOf(const TTerreno& terrain, const TUsedRect& area);

struct THaulResult {
    bool Computed = false;  // false when the area has no stake with elevation
    TUsedRect Area;
    long double CutVolume = 0;   // m3
    long double FillVolume = 0;  // m3
    long double Ratio = 0;       // cut over fill; 0 without fill
    long double Moment = 0;      // m3 x m
    long double MeanHaul = 0;    // m: the moment over the cut moved; 0 when nothing moves
    // The mass curves: the net cut (cut less ratio x fill) west of each line
    // between two columns, and north of each line between two rows; Cols - 1
    // and Rows - 1 values. A positive value crosses the line eastwards (or
    // southwards, towards the higher rows), a negative one back.
    std::vector<long double> MassX;
    std::vector<long double> MassY;
    long double Lx = 0;
    long double Ly = 0;
};

THaulResult ComputeHaul(const TTerreno& terrain, const TUsedRect& area,
                        THaulSolver solver = THaulSolver::NetworkSimplex);

// The price of the earthwork: every m3 of cut at `volumePrice` (R$/m3) and
// its haul at `haulPrice` (R$ per m3 x km).
struct THaulCost {
    long double Volume = 0;
    long double Haul = 0;
    long double Total = 0;
};
THaulCost HaulCost(const THaulResult& haul, long double volumePrice, long double haulPrice);

}  // namespace nivora
