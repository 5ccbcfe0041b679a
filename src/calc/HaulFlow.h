#pragma once
// The least haul of a field of supplies, as a minimum-cost flow between
// neighbouring stakes. The network flow library behind it builds as C++17
// only (its maps use allocator members that C++20 removed), so this header
// keeps to what both standards read.

#include <cstdint>
#include <vector>

namespace nivora {

enum class THaulSolver { NetworkSimplex, CostScaling };

// The earth each stake of a rectangle gives (positive, m3 of cut) or takes
// (negative), row by row, and the volumes it comes from.
struct THaulField {
    std::int32_t Cols = 0;
    std::int32_t Rows = 0;
    long double Lx = 0;
    long double Ly = 0;
    std::vector<long double> Supply;  // Cols x Rows, row by row
    long double CutVolume = 0;        // m3
    long double FillVolume = 0;       // m3
    std::int64_t StakeCount = 0;      // stakes with elevation
};

// The least haul moment (m3 x m) of the supplies as a flow between
// neighbouring stakes. The supplies are scaled to integers of about 2^-36 of
// the cut and balanced before solving; the moment is summed from the flows
// at the real spacings.
long double LeastHaulMoment(const THaulField& field, THaulSolver solver = THaulSolver::NetworkSimplex);

}  // namespace nivora
