#include "FieldReportPages.h"

#include "calc/FieldReport.h"
#include "print/PageParts.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <string>
#include <vector>

namespace nivora {

using namespace page;

namespace {

class TFieldReportDocument : public TPrintDocument {
public:
    TFieldReportDocument(TFieldReport report, int decimals, TPrintHeading heading)
        : Report(std::move(report)), Decimals(decimals), Heading(std::move(heading))
    {}
    QString Title() const override { return "Relatório de Campo"; }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    // Relative widths of the table's columns.
    static constexpr double kWidths[kReportColumns] = {7, 9, 9, 12, 12, 16, 16, 7, 12};

    using TFigures = std::vector<std::pair<std::string, std::string>>;
    // The sizes every page is laid out with.
    struct TLayout {
        TPage Page;
        QFont Body;
        double RowH = 0;    // a line of the table or of the figures
        double HeadH = 0;   // the table's heads
        double TitleH = 0;  // the page's title
        double Bottom = 0;  // above the footer
    };
    // The lines of the report each page holds; the last page may hold only
    // the totals.
    struct TSlice {
        std::size_t First = 0, Count = 0;
        bool Table = true;
    };

    TLayout Measure(QPagedPaintDevice& d) const;
    std::vector<TSlice> Slices(const TLayout& l, double figuresH) const;
    // The first page's figures and legend; the height taken.
    double PaintFigures(QPainter& p, QPagedPaintDevice& d, const TLayout& l, double y, const TFigures& summary,
                        const TFigures& wide) const;
    double TableHead(QPainter& p, QPagedPaintDevice& d, const TPage& pg, double y, double height) const;
    double PaintLines(QPainter& p, const TLayout& l, double y, const TSlice& s) const;
    void PaintTotals(QPainter& p, const TLayout& l, double y) const;
    QRectF Cell(const TPage& pg, int column, double y, double height) const;

    TFieldReport Report;
    int Decimals;
    TPrintHeading Heading;
};

QRectF TFieldReportDocument::Cell(const TPage& pg, int column, double y, double height) const
{
    double x = pg.Rect.left();
    for (int c = 0; c < column; ++c)
        x += pg.Rect.width() * kWidths[c] / 100;
    const double w = pg.Rect.width() * kWidths[column] / 100;
    return QRectF(x + pg.Mm(1), y, w - pg.Mm(2), height);
}

Qt::Alignment ColumnAlignment(int column)
{
    return (column == rcKind ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter;
}

double TFieldReportDocument::TableHead(QPainter& p, QPagedPaintDevice&, const TPage& pg, double y, double height) const
{
    p.setFont(Font(8.5, true));
    p.setPen(Qt::black);
    const auto& heads = ReportHeadings();
    for (int c = 0; c < kReportColumns; ++c)
        p.drawText(Cell(pg, c, y, height),
                   Qt::TextWordWrap | (ColumnAlignment(c) & Qt::AlignHorizontal_Mask) | Qt::AlignBottom,
                   Q(heads[std::size_t(c)]));
    p.setPen(QPen(Qt::black, pg.Mm(0.4)));
    p.drawLine(QPointF(pg.Rect.left(), y + height + pg.Mm(0.8)), QPointF(pg.Rect.right(), y + height + pg.Mm(0.8)));
    return height + pg.Mm(1.6);
}

TFieldReportDocument::TLayout TFieldReportDocument::Measure(QPagedPaintDevice& d) const
{
    TLayout l;
    l.Page = PageOf(d);
    l.Body = Font(9);
    l.RowH = QFontMetricsF(l.Body, &d).height() * 1.3;
    l.HeadH = QFontMetricsF(Font(8.5, true), &d).height() * 2;
    l.TitleH = QFontMetricsF(Font(15, true), &d).height();
    l.Bottom = l.Page.Rect.bottom() - l.Page.Mm(kFooterMm);
    return l;
}

std::vector<TFieldReportDocument::TSlice> TFieldReportDocument::Slices(const TLayout& l, double figuresH) const
{
    const TPage& pg = l.Page;
    const double legendH = l.RowH * 2.5;
    const double firstHead = l.TitleH + pg.Mm(4) + figuresH + legendH;
    const double nextHead = l.TitleH + pg.Mm(4);
    const double tableHeadH = l.HeadH + pg.Mm(1.6);
    const std::size_t rowsFirst = std::max<std::size_t>(1, std::size_t((l.Bottom - firstHead - tableHeadH) / l.RowH));
    const std::size_t rowsNext = std::max<std::size_t>(1, std::size_t((l.Bottom - nextHead - tableHeadH) / l.RowH));
    std::vector<TSlice> slices;
    const std::size_t n = Report.Lines.size();
    std::size_t next = 0;
    do {
        const std::size_t room = slices.empty() ? rowsFirst : rowsNext;
        const std::size_t count = std::min(room, n - next);
        slices.push_back({next, count, true});
        next += count;
    } while (next < n);
    // The totals go on a page of their own when they do not fit on the last.
    const double totalsH = l.RowH * 3;
    const std::size_t room = slices.size() == 1 ? rowsFirst : rowsNext;
    if (double(room - slices.back().Count) * l.RowH < totalsH)
        slices.push_back({n, 0, false});
    return slices;
}

double TFieldReportDocument::PaintFigures(QPainter& p, QPagedPaintDevice& d, const TLayout& l, double y,
                                          const TFigures& summary, const TFigures& wide) const
{
    const TPage& pg = l.Page;
    const double rowH = l.RowH;
    const std::size_t half = (summary.size() + 1) / 2;
    // The plan's figures in two columns; a caption longer than the column's
    // moves its own value along.
    p.setPen(Qt::black);
    const QFontMetricsF fb(Font(9, true), &d);
    const auto captionW = [&](const std::string& caption) {
        return std::min(std::max(pg.Mm(38), fb.horizontalAdvance(Q(caption)) + pg.Mm(2)), pg.Rect.width() * 0.35);
    };
    for (std::size_t i = 0; i < summary.size(); ++i) {
        const double x = pg.Rect.left() + (i < half ? 0 : pg.Rect.width() / 2);
        const double yy = y + rowH * double(i < half ? i : i - half);
        const double w = captionW(summary[i].first);
        p.setFont(Font(9, true));
        p.drawText(QRectF(x, yy, w, rowH), Qt::AlignLeft | Qt::AlignVCenter, Q(summary[i].first));
        p.setFont(l.Body);
        p.drawText(QRectF(x + w, yy, pg.Rect.width() / 2 - w, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(summary[i].second));
    }
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const double yy = y + rowH * double(half + i);
        p.setFont(Font(9, true));
        const double w = captionW(wide[i].first);
        p.drawText(QRectF(pg.Rect.left(), yy, w, rowH), Qt::AlignLeft | Qt::AlignVCenter, Q(wide[i].first));
        p.setFont(l.Body);
        p.drawText(QRectF(pg.Rect.left() + w, yy, pg.Rect.width() - w, rowH), Qt::AlignLeft | Qt::AlignVCenter,
                   Q(wide[i].second));
    }
    const double summaryH = rowH * double(half + wide.size());
    p.setFont(Font(8.5));
    p.drawText(QRectF(pg.Rect.left(), y + summaryH + rowH * 0.5, pg.Rect.width(), rowH * 2),
               Qt::TextWordWrap | Qt::AlignLeft,
               "C = corte (rebaixar o terreno), A = aterro (elevar o terreno); profundidades em metros. "
               "Piquetes na ordem de caminhamento: linha a linha, alternando o sentido a cada linha.");
    return summaryH + rowH * 2.5;
}

double TFieldReportDocument::PaintLines(QPainter& p, const TLayout& l, double y, const TSlice& s) const
{
    const TPage& pg = l.Page;
    for (std::size_t i = 0; i < s.Count; ++i) {
        const TReportLine& line = Report.Lines[s.First + i];
        if (i % 2 == 1)
            p.fillRect(QRectF(pg.Rect.left(), y, pg.Rect.width(), l.RowH), QColor(235, 235, 235));
        // The walk turns into a new row of stakes here.
        if (i > 0 && line.Row != Report.Lines[s.First + i - 1].Row) {
            p.setPen(QPen(Qt::black, pg.Mm(0.25)));
            p.drawLine(QPointF(pg.Rect.left(), y), QPointF(pg.Rect.right(), y));
        }
        const std::vector<std::string> texts = ReportLineTexts(line, Decimals, Heading.DecimalSeparator);
        p.setPen(Qt::black);
        for (int c = 0; c < kReportColumns; ++c) {
            p.setFont(c == rcKind ? Font(9, true) : l.Body);
            p.drawText(Cell(pg, c, y, l.RowH), ColumnAlignment(c), Q(texts[std::size_t(c)]));
        }
        y += l.RowH;
    }
    return y;
}

void TFieldReportDocument::PaintTotals(QPainter& p, const TLayout& l, double y) const
{
    const TPage& pg = l.Page;
    y += l.RowH * 0.5;
    p.setPen(QPen(Qt::black, pg.Mm(0.4)));
    p.drawLine(QPointF(pg.Rect.left(), y), QPointF(pg.Rect.right(), y));
    p.setFont(Font(9, true));
    for (const std::string& t : ReportTotals(Report, Heading.DecimalSeparator)) {
        p.drawText(QRectF(pg.Rect.left(), y, pg.Rect.width(), l.RowH), Qt::AlignLeft | Qt::AlignVCenter, Q(t));
        y += l.RowH;
    }
}

int TFieldReportDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TLayout l = Measure(d);
    // The plan's figures in two columns; the georeference, too long for a
    // column, on a line of its own below them.
    TFigures summary, wide;
    for (auto& item : ReportSummary(Report, Decimals, Heading.DecimalSeparator))
        (item.first == kGeoreferenceCaption || item.first == kPlanLimitsCaption ? wide : summary)
            .push_back(std::move(item));
    const std::vector<TSlice> slices = Slices(l, l.RowH * double((summary.size() + 1) / 2 + wide.size()));
    const int pages = int(slices.size());
    if (Progress)
        Progress->Start("Preparando o relatório de campo.");
    for (int k = 0; k < pages; ++k) {
        if (k > 0)
            d.newPage();
        const TSlice& s = slices[std::size_t(k)];
        double y = l.Page.Rect.top() + PageTitle(p, d, l.Page, Title(), Heading);
        if (k == 0)
            y += PaintFigures(p, d, l, y, summary, wide);
        if (s.Table) {
            y += TableHead(p, d, l.Page, y, l.HeadH);
            y = PaintLines(p, l, y, s);
        }
        if (k == pages - 1)
            PaintTotals(p, l, y);
        PageFooter(p, d, l.Page, Heading, Title(), k + 1, pages);
        if (Progress)
            Progress->Set(k + 1, pages);
    }
    return pages;
}

}  // namespace

std::unique_ptr<TPrintDocument> FieldReportDocument(TFieldReport report, int decimals, const TPrintHeading& heading)
{
    return std::make_unique<TFieldReportDocument>(std::move(report), decimals, heading);
}

}  // namespace nivora
