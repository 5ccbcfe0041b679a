#include "CutFillPages.h"

#include "calc/CutFillMap.h"
#include "calc/FieldReport.h"
#include "calc/StakeCoordinates.h"
#include "contour/AltimetricMap.h"
#include "contour/MapGeometry.h"
#include "print/PageParts.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace nivora {

using namespace page;

namespace {

constexpr double kLegendMm = 62;  // the side panel of the legend and figures

class TCutFillDocument : public TPrintDocument {
public:
    TCutFillDocument(const TCutFillMap& map, int decimals, TPrintHeading heading)
        : Map(map), Decimals(decimals), Heading(std::move(heading))
    {}
    QString Title() const override { return "Mapa de Cortes e Aterros"; }
    QPageLayout::Orientation Orientation() const override
    {
        // The sheet on which the map comes out larger.
        const auto fit = [&](QPageLayout::Orientation o) {
            const QSizeF a = A4Area(o);
            const QSizeF room(a.width() - kLegendMm - 10, a.height() - 30);
            return std::min(room.width() / std::max(1, Map.Bitmap.width()),
                            room.height() / std::max(1, Map.Bitmap.height()));
        };
        return fit(QPageLayout::Landscape) > fit(QPageLayout::Portrait) ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    // The bitmap in `target`, enlarged so that its cells stay sharp.
    void PaintBitmap(QPainter& p, const TPage& pg, const QRectF& target) const;
    // Stake numbers along the top and left edges; `scale` is the bitmap's.
    void StakeNumbers(QPainter& p, const TPage& pg, const QRectF& target, double scale) const;
    void Legend(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& panel) const;
    // The legend's colour bar of fills and cuts from `y`; the bottom of its
    // scale.
    double ColourBar(QPainter& p, const TPage& pg, const QRectF& panel, double y) const;
    // A georeferenced map's eastings, northings, north arrow and system.
    void WorldTicks(QPainter& p, const TPage& pg, const QRectF& target) const;

    const TCutFillMap& Map;
    int Decimals;
    TPrintHeading Heading;
};

// A label step of 1, 2, 5, 10, 20, 50... stakes that keeps labels `minimum`
// apart when a stake takes `size`.
int LabelStep(double size, double minimum)
{
    for (int base = 1;; base *= 10)
        for (int m : {1, 2, 5})
            if (size * base * m >= minimum || base * m >= 100000)
                return base * m;
}

int TCutFillDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const double top = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading);
    const double bottom = pg.Rect.bottom() - pg.Mm(kFooterMm);
    const QRectF panel(pg.Rect.right() - pg.Mm(kLegendMm), top, pg.Mm(kLegendMm), bottom - top);
    // Room for the column numbers above the map and the row numbers left of
    // it; on a georeferenced map, for the eastings below it, the northings
    // right of it and the north arrow and the coordinate system above.
    const bool world = Map.Georeference && !Map.Area.IsEmpty();
    const double above = world ? pg.Mm(14) : pg.Mm(5);
    const double below = world ? pg.Mm(6) : 0;
    const double beside = world ? pg.Mm(5) : 0;
    const QRectF room(pg.Rect.left() + pg.Mm(9), top + above,
                      panel.left() - pg.Mm(6) - pg.Rect.left() - pg.Mm(9) - beside, bottom - top - above - below);
    const QImage& bitmap = Map.Bitmap;
    const double scale =
        std::min(room.width() / std::max(1, bitmap.width()), room.height() / std::max(1, bitmap.height()));
    const QRectF target(room.left(), room.top(), bitmap.width() * scale, bitmap.height() * scale);
    PaintBitmap(p, pg, target);
    StakeNumbers(p, pg, target, scale);
    if (world)
        WorldTicks(p, pg, target);
    Legend(p, d, pg, panel);
    PageFooter(p, d, pg, Heading, Title(), 1, 1);
    return 1;
}

void TCutFillDocument::PaintBitmap(QPainter& p, const TPage& pg, const QRectF& target) const
{
    const QImage& bitmap = Map.Bitmap;
    // Cells stay sharp: a reader of the PDF smooths an image it enlarges, so
    // the bitmap goes in already enlarged, stake by stake, to about 150 dots
    // an inch on the paper (a small map would otherwise blur into one wash).
    const double wanted = target.width() / pg.PxPerMm / 25.4 * 150;
    int factor = std::max(1, int(std::ceil(wanted / std::max(1, bitmap.width()))));
    while (factor > 1 && std::int64_t(bitmap.width()) * factor * bitmap.height() * factor > 16'000'000)
        --factor;
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (factor > 1)
        p.drawImage(target, bitmap.scaled(bitmap.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    else
        p.drawImage(target, bitmap);
    p.setPen(QPen(Qt::black, pg.Mm(0.25)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(target);
}

void TCutFillDocument::StakeNumbers(QPainter& p, const TPage& pg, const QRectF& target, double scale) const
{
    const TUsedRect& a = Map.Area;
    if (a.IsEmpty())
        return;
    p.setFont(Font(7));
    const double cw = Map.CellWidth * scale;
    const double ch = Map.CellHeight * scale;
    const int colStep = LabelStep(cw, pg.Mm(7));
    for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
        if (c != a.FirstCol && (c % colStep != 0 || c - a.FirstCol < colStep / 2.0))
            continue;
        const double x = target.left() + (c - a.FirstCol + 0.5) * cw;
        p.drawText(QRectF(x - pg.Mm(6), target.top() - pg.Mm(4.5), pg.Mm(12), pg.Mm(4)),
                   Qt::AlignHCenter | Qt::AlignBottom, QString::number(c));
    }
    const int rowStep = LabelStep(ch, pg.Mm(4));
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
        if (r != a.FirstRow && (r % rowStep != 0 || r - a.FirstRow < rowStep / 2.0))
            continue;
        const double y = target.top() + (r - a.FirstRow + 0.5) * ch;
        p.drawText(QRectF(target.left() - pg.Mm(9), y - pg.Mm(2), pg.Mm(8), pg.Mm(4)),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(r));
    }
}

void TCutFillDocument::WorldTicks(QPainter& p, const TPage& pg, const QRectF& target) const
{
    const char sep = Heading.DecimalSeparator;
    const TWorldExtent world = WorldExtent(*Map.Georeference, Map.Area, Map.Lx, Map.Ly);
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.setFont(Font(7));
    // Labels some 25 mm apart at least.
    const double eastSpan = world.EastEasting - world.WestEasting;
    const double eastStep = TickStep(std::fabs(eastSpan), std::max(1, int(target.width() / pg.Mm(25))));
    for (const double e : TickValues(world.WestEasting, world.EastEasting, eastStep)) {
        const double x = target.left() + (e - world.WestEasting) / eastSpan * target.width();
        p.drawLine(QPointF(x, target.bottom()), QPointF(x, target.bottom() + pg.Mm(1.5)));
        p.drawText(QRectF(x - pg.Mm(15), target.bottom() + pg.Mm(1.7), pg.Mm(30), pg.Mm(4)),
                   Qt::AlignHCenter | Qt::AlignTop, General(e, sep));
    }
    const double northSpan = world.BottomNorthing - world.TopNorthing;
    const double northStep = TickStep(std::fabs(northSpan), std::max(1, int(target.height() / pg.Mm(25))));
    for (const double n : TickValues(world.TopNorthing, world.BottomNorthing, northStep)) {
        const double y = target.top() + (n - world.TopNorthing) / northSpan * target.height();
        p.drawLine(QPointF(target.right(), y), QPointF(target.right() + pg.Mm(1.5), y));
        p.save();
        p.translate(target.right() + pg.Mm(1.7), y);
        p.rotate(-90);
        p.drawText(QRectF(-pg.Mm(15), 0, pg.Mm(30), pg.Mm(4)), Qt::AlignHCenter | Qt::AlignTop, General(n, sep));
        p.restore();
    }
    // The arrow above the map's right corner, the system's name beside it.
    const double length = pg.Mm(6);
    const double tipY = world.NorthUp ? target.top() - pg.Mm(5.5) - length : target.top() - pg.Mm(5.5) - length * 0.55;
    DrawNorthArrow(p, QPointF(target.right() - pg.Mm(3), tipY), length, world.NorthUp);
    if (!Map.CrsName.empty()) {
        p.setPen(Qt::black);
        p.setFont(Font(8));
        p.drawText(QRectF(target.left(), target.top() - pg.Mm(12.5), target.width() - pg.Mm(8), pg.Mm(4)),
                   Qt::AlignLeft | Qt::AlignVCenter, "Sistema de coordenadas: " + Q(Map.CrsName));
    }
}

double TCutFillDocument::ColourBar(QPainter& p, const TPage& pg, const QRectF& panel, double y) const
{
    const char sep = Heading.DecimalSeparator;
    const TPlano& plan = Map.Plan;
    // Fills rise above the zero line and cuts hang below it, as on the side
    // bar of the map window: the deepest fill (pure blue) on top, the deepest
    // cut (pure red) at the bottom.
    const QRectF bar(panel.left(), y, pg.Mm(9), pg.Mm(64));
    const auto& palette = CutFillPalette();
    const double halfH = bar.height() / 2;
    for (int i = 0; i < 128; ++i) {
        const double h = halfH / 128;
        p.fillRect(QRectF(bar.left(), bar.top() + i * h, bar.width(), h + 0.5), QColor::fromRgb(palette[255 - i]));
        p.fillRect(QRectF(bar.left(), bar.top() + halfH + i * h, bar.width(), h + 0.5),
                   QColor::fromRgb(palette[std::max(1, 127 - i)]));
    }
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.drawRect(bar);
    p.drawLine(QPointF(bar.left(), bar.top() + halfH), QPointF(bar.right() + pg.Mm(1.5), bar.top() + halfH));
    p.setFont(Font(8));
    const long double maxFill = plan.MaxFill, maxCut = plan.MaxCut;
    const struct {
        double Y;
        long double Depth;
    } ticks[] = {{0, maxFill}, {0.25, maxFill / 2}, {0.5, 0}, {0.75, maxCut / 2}, {1, maxCut}};
    for (const auto& t : ticks) {
        const double ty = bar.top() + bar.height() * t.Y;
        p.drawLine(QPointF(bar.right(), ty), QPointF(bar.right() + pg.Mm(1.5), ty));
        p.drawText(QRectF(bar.right() + pg.Mm(2.5), ty - pg.Mm(2), panel.width() - bar.width() - pg.Mm(3), pg.Mm(4)),
                   Qt::AlignLeft | Qt::AlignVCenter, Fixed(t.Depth, Decimals, sep));
    }
    return bar.bottom();
}

void TCutFillDocument::Legend(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& panel) const
{
    const char sep = Heading.DecimalSeparator;
    const TPlano& plan = Map.Plan;
    double y = panel.top();
    p.setPen(Qt::black);
    p.setFont(Font(10, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(6)), Qt::AlignLeft | Qt::AlignVCenter, "Legenda");
    y += pg.Mm(7);
    p.setFont(Font(8, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter, "Aterro (m)");
    y += pg.Mm(5);

    y = ColourBar(p, pg, panel, y) + pg.Mm(2.5);
    p.setFont(Font(8, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter, "Corte (m)");
    y += pg.Mm(6);
    const QRectF white(panel.left(), y, pg.Mm(9), pg.Mm(4));
    p.fillRect(white, Qt::white);
    p.drawRect(white);
    p.setFont(Font(8));
    p.drawText(QRectF(white.right() + pg.Mm(2.5), y, panel.width(), pg.Mm(4)), Qt::AlignLeft | Qt::AlignVCenter,
               "Piquete sem cota");
    y += pg.Mm(8);

    // The plan's figures, as the field report gives them.
    TFieldReport figures;
    figures.Area = Map.Area;
    figures.Plan = plan;
    figures.CellArea = Map.CellArea;
    figures.FirstStake = Map.FirstStake;
    std::vector<std::pair<std::string, std::string>> items;
    for (auto& item : ReportSummary(figures, Decimals, sep))
        if (item.first != "Espaçamento" && item.first != "Origem")
            items.push_back(item);
    p.setFont(Font(9, true));
    p.drawText(QRectF(panel.left(), y, panel.width(), pg.Mm(5)), Qt::AlignLeft | Qt::AlignVCenter, "Plano");
    y += pg.Mm(6);
    FigureLines(p, d, QPointF(panel.left(), y), panel.width(), items, 7.5);
}

}  // namespace

std::unique_ptr<TPrintDocument> CutFillDocument(const TCutFillMap& map, int decimals, const TPrintHeading& heading)
{
    return std::make_unique<TCutFillDocument>(map, decimals, heading);
}

}  // namespace nivora
