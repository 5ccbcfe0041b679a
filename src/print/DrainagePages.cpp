#include "DrainagePages.h"

#include "calc/DrainageMap.h"
#include "print/PageParts.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace nivora {

using namespace page;

namespace {

class TDrainageDocument : public TPrintDocument {
public:
    TDrainageDocument(const TDrainageMap& map, TPrintHeading heading) : Map(map), Heading(std::move(heading)) {}
    QString Title() const override { return "Mapa de Escoamento"; }
    QPageLayout::Orientation Orientation() const override
    {
        const QSize size = DrainageLayout(Map).Size;
        return size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
    }
    int Paint(QPainter& p, QPagedPaintDevice& d) override
    {
        const TPage pg = PageOf(d);
        const double top = pg.Rect.top() + PageTitle(p, d, pg, Title(), Heading) + pg.Mm(4);
        const QRectF room(pg.Rect.left(), top, pg.Rect.width(), pg.Rect.bottom() - pg.Mm(kFooterMm) - pg.Mm(2) - top);
        const QSize size = DrainageLayout(Map).Size;
        const double scale =
            std::min(room.width() / std::max(1, size.width()), room.height() / std::max(1, size.height()));
        p.save();
        p.translate(room.left(), room.top());
        p.scale(scale, scale);
        DrawDrainageMap(p, Map, Heading.DecimalSeparator);
        p.restore();
        PageFooter(p, d, pg, Heading, Title(), 1, 1);
        return 1;
    }

private:
    const TDrainageMap& Map;
    TPrintHeading Heading;
};

}  // namespace

std::unique_ptr<TPrintDocument> DrainageDocument(const TDrainageMap& map, const TPrintHeading& heading)
{
    return std::make_unique<TDrainageDocument>(map, heading);
}

}  // namespace nivora
