#include "PageParts.h"

#include "data/NumberFormat.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace nivora::page {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

QString Fixed(long double v, int decimals, char sep) { return Q(FormatFixed(v, decimals, 10, sep)); }

QString General(long double v, char sep) { return Q(FormatGeneral(v, 10, sep)); }

TPage PageOf(QPagedPaintDevice& d)
{
    TPage p;
    p.Rect = QRectF(0, 0, d.width(), d.height());
    p.PxPerMm = d.logicalDpiX() / 25.4;
    return p;
}

QSizeF A4Area(QPageLayout::Orientation o)
{
    const double w = 210 - 2 * kPageMarginMm;
    const double h = 297 - 2 * kPageMarginMm;
    return o == QPageLayout::Portrait ? QSizeF(w, h) : QSizeF(h, w);
}

QFont Font(double points, bool bold)
{
    QFont f("Arial");
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

double PageTitle(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QString& title, const TPrintHeading& h)
{
    const QFont big = Font(15, true);
    const QFont small = Font(9);
    const double height = QFontMetricsF(big, &d).height();
    const QRectF r(pg.Rect.left(), pg.Rect.top(), pg.Rect.width(), height);
    p.setPen(Qt::black);
    p.setFont(big);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(small);
    // A long file name gives way, shortened in its middle, rather than run
    // over the title.
    const QFontMetricsF fm(small, &d);
    const double room =
        r.width() - QFontMetricsF(big, &d).horizontalAdvance(title) - pg.Mm(6) - fm.horizontalAdvance("    " + h.Date);
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter,
               fm.elidedText(h.Project, Qt::ElideMiddle, std::max(0.0, room)) + "    " + h.Date);
    p.setPen(QPen(Qt::black, pg.Mm(0.4)));
    p.drawLine(QPointF(r.left(), r.bottom() + pg.Mm(1)), QPointF(r.right(), r.bottom() + pg.Mm(1)));
    return height + pg.Mm(4);
}

void PageFooter(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const TPrintHeading& h, const QString& title,
                int page, int pages)
{
    const QRectF r(pg.Rect.left(), pg.Rect.bottom() - pg.Mm(5), pg.Rect.width(), pg.Mm(5));
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.drawLine(r.topLeft(), r.topRight());
    const QFont font = Font(8);
    p.setFont(font);
    const QString number = QString("Página %1 de %2").arg(page).arg(pages);
    // The file name gives way to the page number, as in the title.
    const QFontMetricsF fm(font, &d);
    const QString before = "Nivora 1.0 - " + title + " - ", after = " - " + h.Date;
    const double room = r.width() - fm.horizontalAdvance(number) - pg.Mm(6) - fm.horizontalAdvance(before + after);
    p.drawText(r, Qt::AlignLeft | Qt::AlignBottom,
               before + fm.elidedText(h.Project, Qt::ElideMiddle, std::max(0.0, room)) + after);
    p.drawText(r, Qt::AlignRight | Qt::AlignBottom, number);
}

double FigureLines(QPainter& p, QPagedPaintDevice& d, const QPointF& at, double width,
                   const std::vector<std::pair<std::string, std::string>>& items, double points)
{
    const QFont regular = Font(points);
    const QFontMetricsF fm(regular, &d);
    double y = at.y();
    for (const auto& [caption, value] : items) {
        const QString text = Q(caption) + ": " + Q(value);
        const QRectF box = fm.boundingRect(QRectF(at.x(), y, width, 1e6), Qt::TextWordWrap, text);
        p.setFont(regular);
        p.drawText(QRectF(at.x(), y, width, box.height()), Qt::TextWordWrap | Qt::AlignLeft, text);
        y += box.height() + fm.height() * 0.15;
    }
    return y - at.y();
}

}  // namespace nivora::page
