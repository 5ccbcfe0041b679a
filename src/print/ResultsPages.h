#pragma once
// The results table on paper: the valid plans side by side.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

class TTerreno;

// The results table: the valid plans side by side.
std::unique_ptr<TPrintDocument> ResultsDocument(const TTerreno& terrain, const TPrintHeading& heading);

}  // namespace nivora
