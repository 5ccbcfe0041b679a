#pragma once
// Reading a PDF back as a person would: its text through pdftotext, its
// pages as pictures through pdftoppm, its page count and fonts through
// pdfinfo and pdffonts (Debian poppler-utils).

#include <QImage>
#include <QString>
#include <QStringList>

namespace nivora::testing {

// The tool's standard output, UTF-8; empty when it cannot run.
QString RunTool(const QString& tool, const QStringList& args);
// The text of a page (all pages when page is 0), laid out as on paper, runs
// of blanks squeezed to one.
QString PdfText(const QString& pdf, int page = 0);
int PdfPages(const QString& pdf);
// "595 x 842 pts (A4)"
QString PdfPageSize(const QString& pdf);
// The names of the fonts not embedded in the file (none is what a printer
// shop wants); "?" when pdffonts could not read it.
QStringList PdfFontsNotEmbedded(const QString& pdf);
QImage PdfPageImage(const QString& pdf, int page, int dpi);

}  // namespace nivora::testing
