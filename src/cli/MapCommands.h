#pragma once
// What the map commands share between the part that checks their options and
// the part that draws.

#include "CliCommon.h"
#include "contour/ContourLevels.h"

#include <optional>

namespace nivora::cli {

// Loads the file and takes the map area: --area (inside the grid), or the used
// rectangle as a document without a selection has it. Throws
// TNothingToCompute when the area holds no elevation.
TProject LoadMapArea(const TArgs& a);
// The levels as the map dialog would hand them over: --levels in the order
// given, or the equidistant levels its second dialog proposes, in the order
// of its sorted list.
TContourRequest Request(const TArgs& a, TTerreno& terrain);
// The surface the map is drawn from: the project's terrain, or with
// --surface design the design of the systematization of the map area (with
// --ratio when given), kept in `design`. Throws TNothingToCompute when the
// area holds no 2 x 2 block of stakes with elevation.
TTerreno& MapSurface(const TArgs& a, TProject& project, std::optional<TTerreno>& design);

}  // namespace nivora::cli
