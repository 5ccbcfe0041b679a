#include "calc/HaulChart.h"

#include "data/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

const QColor kAlongX(0xC0, 0x30, 0x30);
const QColor kAlongY(0x20, 0x50, 0xB0);

// A round step for about `count` ticks over `span`.
long double TickStep(long double span, int count)
{
    if (span <= 0)
        return 1;
    const long double raw = span / count;
    const long double power = std::pow(10.0L, std::floor(std::log10(raw)));
    for (long double m : {1.0L, 2.0L, 2.5L, 5.0L})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

QString Text(long double v, int decimals, char separator)
{
    return QString::fromStdString(FormatFixed(v, decimals, 15, separator));
}

}  // namespace

void DrawMassCurves(QPainter& painter, const QRectF& target, const THaulResult& haul, char separator, qreal points)
{
    painter.save();
    QFont font("Arial");
    font.setPointSizeF(points);
    painter.setFont(font);
    const QFontMetricsF fm(font, painter.device());
    const qreal line = fm.height();

    // The curves run from 0 at the first stake through each line between
    // stakes (half a spacing past a stake) back to 0 at the last.
    const auto curve = [](const std::vector<long double>& mass, long double spacing) {
        std::vector<std::pair<long double, long double>> pts{{0, 0}};
        for (std::size_t i = 0; i < mass.size(); ++i)
            pts.emplace_back((static_cast<long double>(i) + 0.5L) * spacing, mass[i]);
        pts.emplace_back(static_cast<long double>(mass.size()) * spacing, 0);
        return pts;
    };
    const auto x = curve(haul.MassX, haul.Lx), y = curve(haul.MassY, haul.Ly);
    long double lo = 0, hi = 0, far = 1;
    for (const auto* c : {&x, &y})
        for (const auto& [d, v] : *c) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            far = std::max(far, d);
        }
    if (hi - lo <= 0)
        hi = lo + 1;
    const long double vStep = TickStep(hi - lo, 5), dStep = TickStep(far, 6);
    lo = std::floor(lo / vStep) * vStep;
    hi = std::ceil(hi / vStep) * vStep;

    const qreal left =
        target.left() + fm.horizontalAdvance(Text(-std::max(std::fabs(lo), std::fabs(hi)), 0, separator)) + line;
    const QRectF plot(left, target.top() + line * 1.5, target.right() - left - line * 0.5,
                      target.height() - line * 5.5);
    if (plot.width() <= 0 || plot.height() <= 0) {
        painter.restore();
        return;
    }
    const auto px = [&](long double d) { return plot.left() + qreal(d / far) * plot.width(); };
    const auto py = [&](long double v) { return plot.bottom() - qreal((v - lo) / (hi - lo)) * plot.height(); };

    painter.setPen(QPen(Qt::black, 0));
    painter.drawText(QRectF(target.left(), target.top(), target.width(), line), Qt::AlignLeft, "Curvas de massa (m³)");
    // The grid and the scales.
    painter.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 0));
    for (long double v = lo; v <= hi + vStep / 2; v += vStep) {
        painter.drawLine(QPointF(plot.left(), py(v)), QPointF(plot.right(), py(v)));
        painter.save();
        painter.setPen(Qt::black);
        painter.drawText(QRectF(target.left(), py(v) - line / 2, plot.left() - target.left() - line / 3, line),
                         Qt::AlignRight | Qt::AlignVCenter, Text(v, 0, separator));
        painter.restore();
    }
    for (long double d = 0; d <= far + dStep / 2; d += dStep) {
        painter.drawLine(QPointF(px(d), plot.top()), QPointF(px(d), plot.bottom()));
        painter.save();
        painter.setPen(Qt::black);
        painter.drawText(QRectF(px(d) - line * 3, plot.bottom() + line / 4, line * 6, line), Qt::AlignHCenter,
                         Text(d, 0, separator));
        painter.restore();
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(plot);
    if (lo < 0 && hi > 0)
        painter.drawLine(QPointF(plot.left(), py(0)), QPointF(plot.right(), py(0)));
    painter.drawText(QRectF(plot.left(), plot.bottom() + line * 1.25, plot.width(), line), Qt::AlignHCenter,
                     "Distância a partir do primeiro piquete (m)");

    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const auto& [points_, colour] : {std::pair{&x, kAlongX}, std::pair{&y, kAlongY}}) {
        QPainterPath path;
        for (std::size_t i = 0; i < points_->size(); ++i) {
            const QPointF p(px((*points_)[i].first), py((*points_)[i].second));
            if (i == 0)
                path.moveTo(p);
            else
                path.lineTo(p);
        }
        painter.setPen(QPen(colour, std::max<qreal>(1, line / 8)));
        painter.drawPath(path);
    }
    // The legend.
    const qreal ly = target.bottom() - line;
    qreal lx = plot.left();
    for (const auto& [name, colour] : {std::pair{"ao longo de X", kAlongX}, std::pair{"ao longo de Y", kAlongY}}) {
        painter.setPen(QPen(colour, std::max<qreal>(1, line / 8)));
        painter.drawLine(QPointF(lx, ly + line / 2), QPointF(lx + line * 2, ly + line / 2));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(lx + line * 2.5, ly, line * 10, line), Qt::AlignLeft | Qt::AlignVCenter, name);
        lx += line * 2.5 + fm.horizontalAdvance(name) + line * 1.5;
    }
    painter.restore();
}

}  // namespace nivora
