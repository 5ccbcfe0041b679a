#pragma once
// The profile on paper: the chart across a landscape sheet with the line's
// figures under it, then the table of sections, on as many sheets as it takes.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

struct TProfile;

// The profile is read while the pages are painted: it must outlive the
// document. `exaggeration` as the window shows it (0: fitted to the sheet).
std::unique_ptr<TPrintDocument> ProfileDocument(const TProfile& profile, double exaggeration,
                                                const TPrintHeading& heading);

}  // namespace nivora
