#include "ResultsPages.h"

#include "calc/CalcSist.h"
#include "calc/ResultTable.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"
#include "print/PageParts.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace nivora {

using namespace page;

namespace {

class TResultsDocument : public TPrintDocument {
public:
    TResultsDocument(const TTerreno& t, TPrintHeading heading) : Heading(std::move(heading))
    {
        const char sep = Heading.DecimalSeparator;
        for (int row = 0; row < kResultRows; ++row)
            RowSources.push_back(row);
        // Below "Cota da Origem", each plan's design elevation at the first
        // stake of the area its results cover.
        const TUsedRect area = t.LastArea().IsEmpty() ? t.GetSelection() : t.LastArea();
        const auto first = FirstStakeDesign(t, 1, area);
        if (first)
            RowSources.insert(RowSources.begin() + rrOrigin + 1, rrOrigin);
        const auto cellText = [&](int column, std::size_t k) {
            const bool stakeRow = first && k == std::size_t(rrOrigin) + 1;
            if (!stakeRow)
                return Q(ResultCellText(&t, column, RowSources[k], sep));
            if (column == 0)
                return Q(FirstStakeCaption(*first) + " (m)");
            return Q(FormatFixed(FirstStakeDesign(t, column, area)->Design, 3, 10, sep));
        };
        QStringList captions;
        for (std::size_t k = 0; k < RowSources.size(); ++k)
            captions << cellText(0, k);
        Columns.push_back(captions);
        for (int column = 1; column < kResultColumns; ++column) {
            const TPlano& plan = t.Plans()[std::size_t(column)];
            if (!plan.Valid && !HasUndefinedRatio(plan))
                continue;
            QStringList texts;
            for (std::size_t k = 0; k < RowSources.size(); ++k)
                texts << cellText(column, k);
            Columns.push_back(texts);
        }
    }
    QString Title() const override { return "Resultados da Sistematização"; }
    QPageLayout::Orientation Orientation() const override
    {
        return Columns.size() > 6 ? QPageLayout::Landscape : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override
    {
        const TPage pg = PageOf(d);
        double y = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading);
        const QFontMetricsF fm(Font(9), &d);
        const double rowH = fm.height() * 1.8;
        const QFontMetricsF fc(Font(9), &d);
        double captionW = pg.Mm(50);
        for (const QString& caption : Columns[0])
            captionW = std::max(captionW, fc.horizontalAdvance(caption) + pg.Mm(5));
        const int plans = int(Columns.size()) - 1;
        const double planW = plans > 0 ? std::min(pg.Mm(32), (pg.Rect.width() - captionW) / plans) : 0;
        for (int row = 0; row < int(RowSources.size()); ++row) {
            double x = pg.Rect.left();
            for (int c = 0; c <= plans; ++c) {
                const double w = c == 0 ? captionW : planW;
                const QRectF cell(x, y, w, rowH);
                if (row == 0 || c == 0)
                    p.fillRect(cell, QColor(230, 230, 230));
                p.setPen(QPen(Qt::black, pg.Mm(0.2)));
                p.drawRect(cell);
                const unsigned colour = c == 0 ? 0 : ResultCellColour(1, RowSources[std::size_t(row)]);
                p.setPen(QColor::fromRgb(colour));
                p.setFont(Font(9, row == 0));
                const Qt::Alignment align = row == 0 ? Qt::AlignCenter
                                            : c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                     : Qt::AlignRight | Qt::AlignVCenter;
                p.drawText(cell.adjusted(pg.Mm(2), 0, -pg.Mm(2), 0), align, Columns[std::size_t(c)][row]);
                x += w;
            }
            y += rowH;
        }
        p.setPen(Qt::black);
        p.setFont(Font(8.5));
        p.drawText(QRectF(pg.Rect.left(), y + rowH * 0.5, pg.Rect.width(), rowH * 2), Qt::TextWordWrap | Qt::AlignLeft,
                   "Volumes por hectare da área de cada plano. Somente os planos calculados são listados.");
        PageFooter(p, d, pg, Heading, Title(), 1, 1);
        return 1;
    }

private:
    TPrintHeading Heading;
    std::vector<QStringList> Columns;  // the captions, then one column a plan
    // The results table's row each printed row comes from; the first stake's
    // elevation repeats the origin's.
    std::vector<int> RowSources;
};

}  // namespace

std::unique_ptr<TPrintDocument> ResultsDocument(const TTerreno& terrain, const TPrintHeading& heading)
{
    return std::make_unique<TResultsDocument>(terrain, heading);
}

}  // namespace nivora
