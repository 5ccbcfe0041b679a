#pragma once
// The haul of a plan on paper: its figures, the costs at the prices typed,
// and the mass curves.

#include "print/PrintDocument.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nivora {

struct THaulResult;

// The result is read while the pages are painted: it must outlive the
// document. `figures` are caption and value pairs as the window shows them.
std::unique_ptr<TPrintDocument> HaulDocument(const THaulResult& haul,
                                             std::vector<std::pair<std::string, std::string>> figures,
                                             const TPrintHeading& heading);

}  // namespace nivora
