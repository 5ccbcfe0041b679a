#pragma once
// The drainage map on paper: its picture scaled to the page, below the
// page's title.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

struct TDrainageMap;

// The map is read while the pages are painted: it must outlive the
// document.
std::unique_ptr<TPrintDocument> DrainageDocument(const TDrainageMap& map, const TPrintHeading& heading);

}  // namespace nivora
