#pragma once
// The field report on paper: the plan's figures, the stakes in walk order
// page after page, and the totals.

#include "print/PrintDocument.h"

#include <memory>

namespace nivora {

struct TFieldReport;

// The field report of a document's working plan.
std::unique_ptr<TPrintDocument> FieldReportDocument(TFieldReport report, int decimals, const TPrintHeading& heading);

}  // namespace nivora
