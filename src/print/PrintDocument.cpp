#include "PrintDocument.h"

#include <QDate>
#include <QIODevice>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace nivora {

QString PrintDate() { return QDate::currentDate().toString("dd/MM/yyyy"); }

int WritePdf(TPrintDocument& document, QIODevice& out, QString* error)
{
    QPdfWriter writer(&out);
    writer.setCreator("Nivora 1.0");
    writer.setTitle(document.Title());
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), document.Orientation(),
                                     QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = out.errorString();
        return 0;
    }
    const int pages = document.Paint(painter, writer);
    if (!painter.end()) {
        if (error)
            *error = out.errorString();
        return 0;
    }
    return pages;
}

}  // namespace nivora
