#include "ProfilePages.h"

#include "calc/Profile.h"
#include "calc/ProfileChart.h"
#include "print/PageParts.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace nivora {

using namespace page;

namespace {

class TProfileDocument : public TPrintDocument {
public:
    TProfileDocument(const TProfile& profile, double exaggeration, TPrintHeading heading)
        : Profile(profile), Exaggeration(exaggeration), Heading(std::move(heading))
    {}
    QString Title() const override { return "Perfil"; }
    QPageLayout::Orientation Orientation() const override { return QPageLayout::Landscape; }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    const TProfile& Profile;
    double Exaggeration = 0;
    TPrintHeading Heading;
};

int TProfileDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const char sep = Heading.DecimalSeparator;
    const QFontMetricsF fm(Font(9), &d);
    const double rowH = fm.height() * 1.6;
    const double bottom = pg.Rect.bottom() - pg.Mm(kFooterMm);
    // The chart and the figures on the first sheet; the sections, with the
    // total, on the sheets after it, each under the table's heads.
    const double chartH = (bottom - pg.Rect.top()) * 0.7;
    const std::size_t rows = Profile.Sections.empty() ? 0 : Profile.Sections.size() + 1;
    const double top = pg.Rect.top() + pg.Mm(16);
    const std::size_t perSheet = std::max<std::size_t>(1, std::size_t((bottom - top) / rowH) - 1);
    const int pages = 1 + int((rows + perSheet - 1) / perSheet);

    std::size_t next = 0;  // the next section to print
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            d.newPage();
        double y = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading);
        if (page == 1) {
            TProfileChartOptions o;
            o.Exaggeration = Exaggeration;
            o.DecimalSeparator = sep;
            o.Ppi = d.logicalDpiX();
            DrawProfileChart(p, Profile, QRectF(pg.Rect.left(), y, pg.Rect.width(), chartH), o);
            y += chartH + rowH * 0.5;
            std::vector<std::pair<std::string, std::string>> figures = {
                {"Comprimento", Fixed(Profile.Length, 2, sep).toStdString() + " m"}};
            if (Profile.HasDesign) {
                figures.push_back({"Corte ao longo da linha", Fixed(Profile.CutArea, 2, sep).toStdString() + " m²"});
                figures.push_back({"Aterro ao longo da linha", Fixed(Profile.FillArea, 2, sep).toStdString() + " m²"});
                for (std::size_t k = 0; k < Profile.Legs.size(); ++k)
                    if (Profile.Legs[k].DesignSlope)
                        figures.push_back({"Declividade do trecho " + std::to_string(k + 1),
                                           SlopeText(*Profile.Legs[k].DesignSlope, sep).toStdString()});
            }
            y += FigureLines(p, d, QPointF(pg.Rect.left(), y), pg.Rect.width(), figures, 9) + rowH * 0.5;
        }
        if (page > 1) {
            const QStringList heads = {"Seção (m)", "Corte (m²)", "Aterro (m²)", "Volume de corte (m³)",
                                       "Volume de aterro (m³)"};
            const double w = std::min(pg.Mm(45), pg.Rect.width() / heads.size());
            const auto row = [&](const QStringList& texts, bool bold) {
                p.setFont(Font(9, bold));
                for (int c = 0; c < texts.size(); ++c) {
                    const QRectF cell(pg.Rect.left() + c * w, y, w, rowH);
                    if (bold)
                        p.fillRect(cell, QColor(230, 230, 230));
                    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
                    p.drawRect(cell);
                    p.drawText(cell.adjusted(pg.Mm(2), 0, -pg.Mm(2), 0),
                               bold ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter, texts[c]);
                }
                y += rowH;
            };
            row(heads, true);
            for (std::size_t printed = 0; printed < perSheet && next <= Profile.Sections.size(); ++printed) {
                if (next == Profile.Sections.size()) {
                    row({"Total", "", "", Fixed(Profile.CutVolume, 2, sep), Fixed(Profile.FillVolume, 2, sep)}, false);
                    ++next;
                    break;
                }
                const TSection& s = Profile.Sections[next];
                const bool first = next == 0;
                row({Fixed(s.Distance, 2, sep), Fixed(s.CutArea, 2, sep), Fixed(s.FillArea, 2, sep),
                     first ? QString() : Fixed(Profile.Volumes[next - 1].CutVolume, 2, sep),
                     first ? QString() : Fixed(Profile.Volumes[next - 1].FillVolume, 2, sep)},
                    false);
                ++next;
            }
        }
        PageFooter(p, d, pg, Heading, Title(), page, pages);
        if (Progress)
            Progress->Set(page, pages);
    }
    return pages;
}

}  // namespace

std::unique_ptr<TPrintDocument> ProfileDocument(const TProfile& profile, double exaggeration,
                                                const TPrintHeading& heading)
{
    return std::make_unique<TProfileDocument>(profile, exaggeration, heading);
}

}  // namespace nivora
