#pragma once
// The contour algorithm done plainly, with no index: every segment tries
// every line, every joining pass compares every pair. Quadratic, and only
// here to show that the fast one gives the same lines in the same order.

#include "contour/ContourTrace.h"

#include <vector>

namespace nivora::plain {

void AddSegment(std::vector<TLine>& lines, TPoint p, TPoint q);
// Column by column, row by row, every cell tested on its own.
void TraceLevel(std::vector<TLine>& lines, const TTerreno& terrain, const TUsedRect& area, float level,
                const TMapTransform& transform);
void Assemble(std::vector<TLine>& lines);

}  // namespace nivora::plain
