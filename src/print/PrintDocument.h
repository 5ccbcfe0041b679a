#pragma once
// A printable document: pages painted on any paged device, the printer of
// the print preview or a PDF writer. The kinds the program prints are in
// FieldReportPages.h, ResultsPages.h, CutFillPages.h and AltimetricPages.h.

#include "data/Progress.h"

#include <QPageLayout>
#include <QString>

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

// Writes the document as an A4 PDF in its orientation, fonts embedded, and
// returns its number of pages; 0, with the reason in `error`, when the
// device cannot be written.
int WritePdf(TPrintDocument& document, QIODevice& out, QString* error = nullptr);

}  // namespace nivora
