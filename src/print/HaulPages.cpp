#include "print/HaulPages.h"

#include "calc/HaulChart.h"
#include "print/PageParts.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace nivora {

namespace {

class THaulDocument : public TPrintDocument {
public:
    THaulDocument(const THaulResult& haul, std::vector<std::pair<std::string, std::string>> figures,
                  const TPrintHeading& heading)
        : Haul(haul), Figures(std::move(figures)), Heading(heading)
    {}
    QString Title() const override { return "Distância de Transporte"; }
    int Paint(QPainter& p, QPagedPaintDevice& d) override
    {
        const page::TPage pg = page::PageOf(d);
        double y = pg.Rect.top() + page::PageTitle(p, d, pg, Title(), Heading);
        y += pg.Mm(3);
        y += page::FigureLines(p, d, QPointF(pg.Rect.left(), y), pg.Rect.width(), Figures, 10);
        y += pg.Mm(6);
        const double bottom = pg.Rect.bottom() - pg.Mm(page::kFooterMm);
        const double height = std::min(bottom - y, pg.Rect.width() * 0.6);
        if (height > pg.Mm(30))
            DrawMassCurves(p, QRectF(pg.Rect.left(), y, pg.Rect.width(), height), Haul, Heading.DecimalSeparator, 9);
        page::PageFooter(p, d, pg, Heading, Title(), 1, 1);
        return 1;
    }

private:
    const THaulResult& Haul;
    std::vector<std::pair<std::string, std::string>> Figures;
    TPrintHeading Heading;
};

}  // namespace

std::unique_ptr<TPrintDocument> HaulDocument(const THaulResult& haul,
                                             std::vector<std::pair<std::string, std::string>> figures,
                                             const TPrintHeading& heading)
{
    return std::make_unique<THaulDocument>(haul, std::move(figures), heading);
}

}  // namespace nivora
