#pragma once
// The frame's "Imprimir..." and "Exportar PDF..." on the active child
// window: an altimetric map window prints its map with a title block, a
// cut-and-fill map window its map with the legend and the plan's figures,
// the results window the table of its computed plans, and a grid document
// its field report (which also goes out as CSV). Printing goes through the
// print preview; both run through the platform layer, so that tests answer
// the dialogs.

#include "print/PrintDocument.h"

#include <QString>

#include <memory>

class QMdiSubWindow;
class QWidget;

namespace nivora {

struct TFieldReport;

// What a window prints. This is the one place that tells the kinds of window
// apart for printing: the frame's menu items and the print and PDF commands
// all go by it.
enum class TPrintKind {
    None,           // no window, a WinSurf listing, any other window
    FieldReport,    // a grid document: its field report
    Results,        // the results window: the active document's plans
    CutFillMap,     // a cut-and-fill map window
    AltimetricMap,  // an altimetric map window
    Profile,        // a profile window
    DrainageMap,    // a drainage map window
    Haul,           // a haul window: its figures and mass curves
};
TPrintKind PrintKindOf(const QMdiSubWindow* window);

// Whether the window is of a kind that prints.
inline bool CanPrint(const QMdiSubWindow* window) { return PrintKindOf(window) != TPrintKind::None; }

// The pages of the window and the file name proposed for its PDF; none, after
// a warning, when the window has nothing to print yet (a document never
// systematized, or results without a computed plan).
struct TPrintRequest {
    std::unique_ptr<TPrintDocument> Document;
    QString ProposedName;
    // A document's field report: it can also be saved as CSV.
    std::unique_ptr<TFieldReport> Report;
    int Decimals = 3;
};
TPrintRequest PrintRequestFor(QMdiSubWindow* window);

// The print preview of the window's pages; printing starts from it.
void PrintWindow(QMdiSubWindow* window);
// The save dialog, then the window's pages as PDF (or a field report as CSV
// when that type is chosen). A file that cannot be written is reported as an
// error and an earlier file of that name stays as it was.
void ExportWindowPdf(QMdiSubWindow* window);

}  // namespace nivora
