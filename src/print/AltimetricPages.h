#pragma once
// The altimetric map on paper: scaled to the page at a round scale, with a
// title block.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

struct TAltimetricMap;

// The map is read while the pages are painted: it must outlive the
// document.
std::unique_ptr<TPrintDocument> AltimetricDocument(const TAltimetricMap& map, const TPrintHeading& heading);

// The scale 1:N at which a map is printed: the smallest round denominator
// (1, 1.25, 1.5, 2, 2.5, 3, 4, 5 or 7.5 times a power of ten) not below
// `exact`, so that a ruler reads the paper.
long double RoundScale(long double exact);

}  // namespace nivora
