#pragma once
// nivora-cli drainage: what the part that writes JSON and the part that draws
// the map share.

#include "CliCommon.h"

#include "calc/Drainage.h"

#include <optional>

namespace nivora::cli {

struct TDrained {
    TProject Project;
    TDrainSurface Surface = TDrainSurface::Natural;
    bool UserOutlets = false;
    // Whether the design had to be computed first (the file held no plan).
    bool Systematized = false;
    TDrainGrid Grid;
    std::vector<std::uint8_t> Outlets;  // one byte a stake of Grid
    TDrainage Result;
    std::optional<TFallCheck> Fall;  // for the design
};

// Loads the file, takes the surface and the outlets and computes. Throws
// TNothingToCompute when the area holds no elevation, TInputError for an
// outlet file that cannot be read or names a stake without elevation.
TDrained RunDrainage(const TArgs& a);
void WriteDrainageJson(std::ostream& out, const TDrained& d);

}  // namespace nivora::cli
