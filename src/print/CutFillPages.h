#pragma once
// The cut-and-fill map on paper, with its legend and the figures of its plan.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

struct TCutFillMap;

// The map is read while the pages are painted: it must outlive the
// document.
std::unique_ptr<TPrintDocument> CutFillDocument(const TCutFillMap& map, int decimals, const TPrintHeading& heading);

}  // namespace nivora
