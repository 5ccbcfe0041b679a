#include "AltimetricPages.h"

#include "contour/AltimetricMap.h"
#include "data/NumberFormat.h"
#include "print/PageParts.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace nivora {

using namespace page;

namespace {

constexpr double kTitleBlockMm = 30;

class TAltimetricDocument : public TPrintDocument {
public:
    TAltimetricDocument(const TAltimetricMap& map, TPrintHeading heading) : Map(map), Heading(std::move(heading)) {}
    QString Title() const override { return Map.Design ? "Mapa Altimétrico do Projeto" : "Mapa Altimétrico"; }
    QPageLayout::Orientation Orientation() const override
    {
        const auto fit = [&](QPageLayout::Orientation o) {
            const QSizeF a = A4Area(o);
            return std::min(a.width() / std::max(1, Map.Geometry.W),
                            (a.height() - kTitleBlockMm - kFooterMm - 4) / std::max(1, Map.Geometry.H));
        };
        return fit(QPageLayout::Landscape) > fit(QPageLayout::Portrait) ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override;

private:
    // The scale the map is drawn at: 1:X across and 1:Y down, 0 for a map
    // without a scale; millimetres of paper a unit of the picture takes.
    struct TScale {
        long double X = 0, Y = 0;
        double MmPerUnit = 0;
    };
    TScale ScaleToFit(const QRectF& room, double pxPerMm) const;
    // The title block below the map: project and date; spacing and levels;
    // the scale.
    void PaintTitleBlock(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& block,
                         const TScale& scale) const;
    void PaintScale(QPainter& p, const TPage& pg, const QRectF& box, const TScale& scale) const;

    const TAltimetricMap& Map;
    TPrintHeading Heading;
};

TAltimetricDocument::TScale TAltimetricDocument::ScaleToFit(const QRectF& room, double pxPerMm) const
{
    // The largest size that fits, then down to a round scale along X.
    const TMapGeometry& g = Map.Geometry;
    TScale s;
    s.MmPerUnit = std::min(room.width() / std::max(1, g.W), room.height() / std::max(1, g.H)) / pxPerMm;
    if (g.ScaleX > 0 && g.ScaleY > 0) {
        s.X = RoundScale(1000.0L / (g.ScaleX * s.MmPerUnit));
        s.MmPerUnit = double(1000.0L / (g.ScaleX * s.X));
        s.Y = std::nearbyint(1000.0L / (g.ScaleY * s.MmPerUnit));
    }
    return s;
}

int TAltimetricDocument::Paint(QPainter& p, QPagedPaintDevice& d)
{
    const TPage pg = PageOf(d);
    const TMapGeometry& g = Map.Geometry;
    const double blockTop = pg.Rect.bottom() - pg.Mm(kFooterMm) - pg.Mm(kTitleBlockMm);
    const QRectF room(pg.Rect.left(), pg.Rect.top(), pg.Rect.width(), blockTop - pg.Mm(3) - pg.Rect.top());
    const TScale scale = ScaleToFit(room, pg.PxPerMm);
    const QSizeF size(g.W * scale.MmPerUnit * pg.PxPerMm, g.H * scale.MmPerUnit * pg.PxPerMm);
    const QRectF target(room.left() + (room.width() - size.width()) / 2, room.top(), size.width(), size.height());
    DrawMapPicture(p, Map, target);
    PaintTitleBlock(p, d, pg, QRectF(pg.Rect.left(), blockTop, pg.Rect.width(), pg.Mm(kTitleBlockMm)), scale);
    PageFooter(p, d, pg, Heading, Title(), 1, 1);
    return 1;
}

void TAltimetricDocument::PaintTitleBlock(QPainter& p, QPagedPaintDevice& d, const TPage& pg, const QRectF& block,
                                          const TScale& scale) const
{
    const char sep = Heading.DecimalSeparator;
    const double c1 = block.width() * 0.30, c2 = block.width() * 0.42;
    p.setPen(QPen(Qt::black, pg.Mm(0.35)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(block);
    p.drawLine(QPointF(block.left() + c1, block.top()), QPointF(block.left() + c1, block.bottom()));
    p.drawLine(QPointF(block.left() + c1 + c2, block.top()), QPointF(block.left() + c1 + c2, block.bottom()));
    const double pad = pg.Mm(2);
    p.setFont(Font(12, true));
    p.drawText(QRectF(block.left() + pad, block.top() + pad, c1 - 2 * pad, pg.Mm(7)), Qt::AlignLeft | Qt::AlignVCenter,
               "MAPA ALTIMÉTRICO");
    FigureLines(p, d, QPointF(block.left() + pad, block.top() + pg.Mm(11)), c1 - 2 * pad,
                {{"Projeto", Heading.Project.toStdString()}, {"Data", Heading.Date.toStdString()}}, 8.5);

    std::string levels;
    for (long double v : Map.Levels)
        levels += (levels.empty() ? "" : (sep == ',' ? "; " : ", ")) + FormatGeneral(v, 10, sep);
    std::vector<std::pair<std::string, std::string>> figures = {{"Espaçamento",
                                                                 "Lx = " + FormatGeneral(Map.Lx, 10, sep) + " m, Ly = "
                                                                     + FormatGeneral(Map.Ly, 10, sep) + " m"},
                                                                {"Curvas de nível (m)",
                                                                 levels.empty() ? std::string("nenhuma") : levels}};
    if (Map.Georeference && !Map.CrsName.empty())
        figures.emplace_back("Sistema de coordenadas", Map.CrsName);
    FigureLines(p, d, QPointF(block.left() + c1 + pad, block.top() + pad), c2 - 2 * pad, figures, 8.5);
    if (scale.X > 0)
        PaintScale(p, pg, QRectF(block.left() + c1 + c2 + pad, block.top(), block.width() - c1 - c2 - 2 * pad, 0),
                   scale);
}

void TAltimetricDocument::PaintScale(QPainter& p, const TPage& pg, const QRectF& box, const TScale& scale) const
{
    const char sep = Heading.DecimalSeparator;
    const double pad = pg.Mm(2);
    const long double scaleN = scale.X;
    QString text = "Escala 1:" + QString::number(double(scaleN), 'f', 0);
    // The margins of the map differ across and down, so the two scales
    // may differ a little: then both are given.
    if (std::fabs(double(scale.Y - scaleN)) > 0.005 * double(scaleN))
        text = "Escala 1:" + QString::number(double(scaleN), 'f', 0)
               + " (X); 1:" + QString::number(double(scale.Y), 'f', 0) + " (Y)";
    p.setFont(Font(11, true));
    p.drawText(QRectF(box.left(), box.top() + pad, box.width(), pg.Mm(7)), Qt::AlignLeft | Qt::AlignVCenter, text);
    // A bar scale along X, about 40 mm long, in round metres.
    const long double wanted = 40.0L * scaleN / 1000.0L;
    long double metres = std::pow(10.0L, std::floor(std::log10(wanted)));
    for (long double m : {5.0L, 2.0L})
        if (metres * m <= wanted) {
            metres *= m;
            break;
        }
    const double lengthMm = double(metres * 1000.0L / scaleN);
    const QRectF bar(box.left(), box.top() + pg.Mm(13), pg.Mm(lengthMm), pg.Mm(2.5));
    for (int i = 0; i < 4; ++i) {
        const QRectF part(bar.left() + bar.width() * i / 4, bar.top(), bar.width() / 4, bar.height());
        p.fillRect(part, i % 2 ? Qt::white : Qt::black);
    }
    p.setPen(QPen(Qt::black, pg.Mm(0.2)));
    p.drawRect(bar);
    p.setFont(Font(8));
    const QString ends[] = {"0", General(metres / 2, sep), General(metres, sep) + " m"};
    for (int i = 0; i < 3; ++i) {
        const double x = bar.left() + bar.width() * i / 2;
        p.drawText(QRectF(x - pg.Mm(10), bar.bottom() + pg.Mm(0.5), pg.Mm(20), pg.Mm(4)),
                   Qt::AlignHCenter | Qt::AlignTop, ends[i]);
    }
}

}  // namespace

long double RoundScale(long double exact)
{
    if (!(exact > 1))
        return 1;
    long double base = std::pow(10.0L, std::floor(std::log10(exact)));
    for (;;) {
        for (long double m : {1.0L, 1.25L, 1.5L, 2.0L, 2.5L, 3.0L, 4.0L, 5.0L, 7.5L})
            if (m * base >= exact * (1 - 1e-9L))
                return m * base;
        base *= 10;
    }
}

std::unique_ptr<TPrintDocument> AltimetricDocument(const TAltimetricMap& map, const TPrintHeading& heading)
{
    return std::make_unique<TAltimetricDocument>(map, heading);
}

}  // namespace nivora
