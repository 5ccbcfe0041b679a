#pragma once
// The slope limits of design and optimize: "MIN,MAX" in m/m with the decimal
// point, either side empty for no limit on that side.

#include "Options.h"

#include "calc/LimitedPlane.h"

#include <string>

namespace nivora::cli {

// Throws TUsageError naming `option`.
TSlopeRange ReadRange(const std::string& option, const std::string& text);
TCheck RangeText();

}  // namespace nivora::cli
