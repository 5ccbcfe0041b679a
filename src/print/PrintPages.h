#pragma once
// The pages the program prints and exports as PDF: the altimetric map with
// its title block, the cut-and-fill map with its legend and the plan's
// figures, the results table and a document's field report. Each kind is a
// TPrintDocument that paints its pages on any paged device: the printer of
// the print preview, or a PDF writer.

#include "calc/CutFillMap.h"
#include "calc/FieldReport.h"
#include "contour/AltimetricMap.h"
#include "data/Progress.h"

#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QIODevice;
class QPagedPaintDevice;
class QPainter;

namespace nivora {

// Where the page's text comes from besides the content: the project's name
// (the file name as the window caption shows it), the date of the printout
// and the user's decimal separator.
struct TPrintHeading {
    QString Project;
    QString Date;  // dd/mm/yyyy
    char DecimalSeparator = ',';
};

// Today's date as the pages show it.
QString PrintDate();

class TPrintDocument {
public:
    virtual ~TPrintDocument() = default;
    // The print job's and the PDF's title.
    virtual QString Title() const = 0;
    virtual QPageLayout::Orientation Orientation() const { return QPageLayout::Portrait; }
    // Paints every page on the device the painter is active on, starting a
    // new page between them. Returns the number of pages.
    virtual int Paint(QPainter& painter, QPagedPaintDevice& device) = 0;

    IProgress* Progress = nullptr;  // not owned; one step a page where pages are many
};

// Page margins, millimetres, on every side.
constexpr double kPageMarginMm = 12.0;

// The field report of a document's working plan.
std::unique_ptr<TPrintDocument> FieldReportDocument(TFieldReport report, int decimals, const TPrintHeading& heading);
// The results table: the valid plans side by side.
std::unique_ptr<TPrintDocument> ResultsDocument(const TTerreno& terrain, const TPrintHeading& heading);
// The maps are read while the pages are painted: they must outlive the
// document.
// The cut-and-fill map with its legend and the figures of its plan.
std::unique_ptr<TPrintDocument> CutFillDocument(const TCutFillMap& map, int decimals, const TPrintHeading& heading);
// The altimetric map scaled to the page, with a title block.
std::unique_ptr<TPrintDocument> AltimetricDocument(const TAltimetricMap& map, const TPrintHeading& heading);

// The scale 1:N at which a map is printed: the smallest round denominator
// (1, 1.25, 1.5, 2, 2.5, 3, 4, 5 or 7.5 times a power of ten) not below
// `exact`, so that a ruler reads the paper.
long double RoundScale(long double exact);

// Writes the document as an A4 PDF in its orientation, fonts embedded, and
// returns its number of pages; 0, with the reason in `error`, when the
// device cannot be written.
int WritePdf(TPrintDocument& document, QIODevice& out, QString* error = nullptr);

}  // namespace nivora
