#pragma once
// What the printed pages share: the printable area of a page, the fonts, the
// title along the top and the footer with the page number, and lines of
// figures.

#include "print/PrintDocument.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <string>
#include <utility>
#include <vector>

namespace nivora::page {

QString Q(const std::string& utf8);
// A number in fixed or general format, ten significant digits.
QString Fixed(long double v, int decimals, char sep);
QString General(long double v, char sep);

// The printable area of a page in the painter's units (device pixels, the
// origin at the top-left margin) and millimetres in those units.
struct TPage {
    QRectF Rect;
    double PxPerMm = 1;
    double Mm(double v) const { return v * PxPerMm; }
};

TPage PageOf(QPagedPaintDevice& d);

// The printable area of an A4 sheet in an orientation, millimetres.
QSizeF A4Area(QPageLayout::Orientation o);

// "Arial" resolves to a metric-compatible face through fontconfig; the PDF
// writer embeds the subset it uses.
QFont Font(double points, bool bold = false);

// The title at the top left, the project and the date at the right; the
// height taken.
double PageTitle(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QString& title, const TPrintHeading& h);

// The height the footer takes at the bottom of a page, millimetres.
constexpr double kFooterMm = 7;

// The program, the title, the project and the date, and "Página k de n".
void PageFooter(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const TPrintHeading& h, const QString& title,
                int page, int pages);

// Caption and value pairs as "caption: value" lines wrapped within `width`;
// returns the height used.
double FigureLines(QPainter& p, QPagedPaintDevice& d, const QPointF& at, double width,
                   const std::vector<std::pair<std::string, std::string>>& items, double points);

}  // namespace nivora::page
