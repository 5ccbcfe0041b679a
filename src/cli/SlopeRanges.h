#pragma once
// The slope limits and earth balance that design and optimize read: "MIN,MAX" in m/m with the decimal
// point, either side empty for no limit on that side.

#include "Options.h"

#include "calc/LimitedPlane.h"

#include <string>

namespace nivora::cli {

// Throws TUsageError naming `option`.
TSlopeRange ReadRange(const std::string& option, const std::string& text);
TCheck RangeText();

// The limits the options name: --sx and --sy along the axes, or --main and
// --cross along and across --bearing.
TSlopeLimits ReadSlopeLimits(const TArgs& a);
// Refuses --sx or --sy beside --bearing, and --main or --cross without it.
void CheckLimitAxes(const TArgs& a);
// The earth of --export, --import and --import-compacted.
TEarthBalance ReadEarthBalance(const TArgs& a);

}  // namespace nivora::cli
