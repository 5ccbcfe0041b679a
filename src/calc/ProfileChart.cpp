#include "ProfileChart.h"

#include "data/NumberFormat.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace nivora {

namespace {

QString Number(long double v, int decimals, char sep)
{
    return QString::fromStdString(FormatFixed(v, decimals, 15, sep));
}

// The elevations the chart must hold: both lines, wherever they have values.
bool ElevationRange(const TProfile& p, long double& lowest, long double& highest)
{
    lowest = 1e300L, highest = -1e300L;
    for (const TProfileSample& s : p.Samples)
        for (const auto& v : {s.Natural, s.Design})
            if (v) {
                lowest = std::min(lowest, *v);
                highest = std::max(highest, *v);
            }
    return lowest <= highest;
}

// A round step (1, 2 or 5 times a power of ten) giving about `count` steps.
double RoundStep(double range, int count)
{
    if (!(range > 0))
        return 1;
    const double raw = range / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

struct TLayout {
    QRectF Plot;
    double PxPerMetre = 1;  // across
    double PxPerElevationMetre = 1;
    double Bottom = 0;  // the elevation at the plot's bottom edge
    double X(long double d) const { return Plot.left() + double(d) * PxPerMetre; }
    double Y(long double z) const { return Plot.bottom() - (double(z) - Bottom) * PxPerElevationMetre; }
};

QFont ChartFont(const QRectF& target, int ppi)
{
    QFont f(QStringLiteral("Arial"));
    // About 9 points on a window 800 pixels wide, in proportion elsewhere.
    const double points = std::clamp(target.width() / 800.0 * 9.0 * 96.0 / ppi, 4.0, 60.0);
    f.setPointSizeF(points);
    return f;
}

TLayout Layout(const TProfile& p, const QRectF& target, const TProfileChartOptions& o, const QFontMetricsF& fm)
{
    TLayout l;
    const double line = fm.height();
    l.Plot = target.adjusted(fm.horizontalAdvance(QStringLiteral("00000,00")) + line, 3 * line, -line, -2.5 * line);
    if (l.Plot.width() < 1 || l.Plot.height() < 1)
        l.Plot = target;
    l.PxPerMetre = p.Length > 0 ? l.Plot.width() / double(p.Length) : 1;
    long double lo = 0, hi = 0;
    if (!ElevationRange(p, lo, hi))
        lo = 0, hi = 1;
    const double middle = double(lo + hi) / 2;
    const double range = std::max(double(hi - lo), 0.01);
    if (o.Exaggeration > 0) {
        l.PxPerElevationMetre = l.PxPerMetre * o.Exaggeration;
    } else {
        // A tenth of the height free above and below the lines.
        l.PxPerElevationMetre = l.Plot.height() / (range * 1.2);
    }
    l.Bottom = middle - l.Plot.height() / 2 / l.PxPerElevationMetre;
    return l;
}

// The lines of one surface, broken where it has no value.
std::vector<QPolygonF> Lines(const TProfile& p, const TLayout& l, bool design)
{
    std::vector<QPolygonF> lines;
    QPolygonF current;
    for (const TProfileSample& s : p.Samples) {
        const auto& v = design ? s.Design : s.Natural;
        if (!v) {
            if (current.size() > 1)
                lines.push_back(current);
            current.clear();
            continue;
        }
        current << QPointF(l.X(s.Distance), l.Y(*v));
    }
    if (current.size() > 1)
        lines.push_back(current);
    return lines;
}

// The cut and the fill between the lines, sample to sample, split where the
// lines cross.
void Earth(QPainter& painter, const TProfile& p, const TLayout& l)
{
    QPainterPath cut, fill;
    for (std::size_t k = 1; k < p.Samples.size(); ++k) {
        const TProfileSample& a = p.Samples[k - 1];
        const TProfileSample& b = p.Samples[k];
        const auto da = a.CutFill(), db = b.CutFill();
        if (!da || !db)
            continue;
        const auto piece = [&](long double d0, long double d1, long double n0, long double n1, long double e0,
                               long double e1, bool isFill) {
            QPolygonF q;
            q << QPointF(l.X(d0), l.Y(n0)) << QPointF(l.X(d1), l.Y(n1)) << QPointF(l.X(d1), l.Y(e1))
              << QPointF(l.X(d0), l.Y(e0));
            (isFill ? fill : cut).addPolygon(q);
        };
        if ((*da >= 0) == (*db >= 0) || *da == 0 || *db == 0) {
            piece(a.Distance, b.Distance, *a.Natural, *b.Natural, *a.Design, *b.Design, *da + *db > 0);
            continue;
        }
        const long double f = *da / (*da - *db);
        const long double dm = a.Distance + (b.Distance - a.Distance) * f;
        const long double zm = *a.Natural + (*b.Natural - *a.Natural) * f;
        piece(a.Distance, dm, *a.Natural, zm, *a.Design, zm, *da > 0);
        piece(dm, b.Distance, zm, *b.Natural, zm, *b.Design, *db > 0);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kProfileCutColour);
    painter.drawPath(cut);
    painter.setBrush(kProfileFillColour);
    painter.drawPath(fill);
}

}  // namespace

QString SlopeText(long double slope, char sep)
{
    QString text = Number(slope * 100, 3, sep) + QStringLiteral(" %");
    if (text.startsWith('-'))
        text.replace(0, 1, QChar(0x2212));
    return text;
}

double ProfileExaggeration(const TProfile& p, const QRectF& target, const TProfileChartOptions& o)
{
    QFont font = ChartFont(target, o.Ppi);
    const QFontMetricsF fm(font);
    const TLayout l = Layout(p, target, o, fm);
    return l.PxPerElevationMetre / l.PxPerMetre;
}

void DrawProfileChart(QPainter& painter, const TProfile& p, const QRectF& target, const TProfileChartOptions& o)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(target);
    painter.fillRect(target, Qt::white);
    const QFont font = ChartFont(target, o.Ppi);
    painter.setFont(font);
    const QFontMetricsF fm(font, painter.device());
    const TLayout l = Layout(p, target, o, fm);
    const double line = fm.height();
    const char sep = o.DecimalSeparator;
    const double thin = std::max(1.0, line / 14);

    // Elevations along the left edge and their grid lines.
    const double top = l.Bottom + l.Plot.height() / l.PxPerElevationMetre;
    const double zStep = RoundStep(top - l.Bottom, 6);
    const int zDecimals = std::clamp(int(std::ceil(-std::log10(zStep))), 0, 4);
    painter.setPen(QPen(QColor(200, 200, 200), thin / 2));
    for (double z = std::ceil(l.Bottom / zStep) * zStep; z <= top + 1e-9; z += zStep) {
        const double y = l.Y(z);
        painter.setPen(QPen(QColor(210, 210, 210), thin / 2));
        painter.drawLine(QPointF(l.Plot.left(), y), QPointF(l.Plot.right(), y));
        painter.setPen(Qt::black);
        const QString text = Number(z, zDecimals, sep);
        painter.drawText(QRectF(target.left(), y - line / 2, l.Plot.left() - target.left() - line / 3, line),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }

    // Stations: a tick and the distance, as many labels as fit.
    const double labelWidth = fm.horizontalAdvance(Number(p.Length, 0, sep)) + line;
    double lastLabel = -1e300;
    for (std::size_t k = 0; k < p.Stations.size(); ++k) {
        const TProfileSample& s = p.Stations[k];
        const double x = l.X(s.Distance);
        painter.setPen(QPen(QColor(210, 210, 210), thin / 2));
        painter.drawLine(QPointF(x, l.Plot.top()), QPointF(x, l.Plot.bottom()));
        painter.setPen(QPen(Qt::black, thin));
        painter.drawLine(QPointF(x, l.Plot.bottom()), QPointF(x, l.Plot.bottom() + line / 3));
        const bool last = k + 1 == p.Stations.size();
        if (x - lastLabel >= labelWidth && (last || l.X(p.Length) - x >= labelWidth)) {
            const double decimals = std::fmod(double(s.Distance), 1.0) == 0 ? 0 : 2;
            painter.drawText(QRectF(x - labelWidth / 2, l.Plot.bottom() + line / 3, labelWidth, line), Qt::AlignCenter,
                             Number(s.Distance, int(decimals), sep));
            lastLabel = x;
        }
    }

    Earth(painter, p, l);

    // The vertices of a polyline.
    painter.setPen(QPen(Qt::gray, thin, Qt::DashLine));
    for (std::size_t k = 1; k < p.Legs.size(); ++k) {
        const double x = l.X(p.Legs[k].Start);
        painter.drawLine(QPointF(x, l.Plot.top()), QPointF(x, l.Plot.bottom()));
    }

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kProfileNaturalColour, 2 * thin));
    for (const QPolygonF& poly : Lines(p, l, false))
        painter.drawPolyline(poly);
    painter.setPen(QPen(kProfileDesignColour, 2 * thin));
    for (const QPolygonF& poly : Lines(p, l, true))
        painter.drawPolyline(poly);

    // The design's slope over each leg.
    painter.setPen(kProfileDesignColour);
    for (const TProfileLeg& leg : p.Legs) {
        if (!leg.DesignSlope)
            continue;
        const QRectF room(l.X(leg.Start), l.Plot.top() - 1.2 * line, leg.Length * l.PxPerMetre, line);
        painter.drawText(room, Qt::AlignCenter, QStringLiteral("i = ") + SlopeText(*leg.DesignSlope, sep));
    }

    painter.setPen(QPen(Qt::black, thin));
    painter.drawRect(l.Plot);

    // The caption: what is drawn and at which exaggeration.
    const double exaggeration = l.PxPerElevationMetre / l.PxPerMetre;
    QString caption = QStringLiteral("Perfil: %1 m").arg(Number(p.Length, 2, sep));
    caption += QStringLiteral("    Exagero vertical: %1×").arg(Number(exaggeration, exaggeration < 10 ? 1 : 0, sep));
    painter.drawText(QRectF(l.Plot.left(), target.top() + line / 4, l.Plot.width(), line), Qt::AlignLeft, caption);
    // The legend at the right of the caption.
    double x = l.Plot.right();
    const auto key = [&](const QString& text, const QColor& colour, bool area) {
        const double w = fm.horizontalAdvance(text);
        x -= w;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x, target.top() + line / 4, w, line), Qt::AlignLeft, text);
        x -= line * 1.6;
        const QRectF sample(x, target.top() + line / 4 + line * 0.25, line * 1.3, line * 0.5);
        if (area)
            painter.fillRect(sample, colour);
        else {
            painter.setPen(QPen(colour, 2 * thin));
            painter.drawLine(QPointF(sample.left(), sample.center().y()), QPointF(sample.right(), sample.center().y()));
        }
        x -= line;
    };
    key(QStringLiteral("Aterro"), kProfileFillColour, true);
    key(QStringLiteral("Corte"), kProfileCutColour, true);
    if (p.HasDesign)
        key(QStringLiteral("Projeto"), kProfileDesignColour, false);
    key(QStringLiteral("Terreno"), kProfileNaturalColour, false);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(l.Plot.left(), l.Plot.bottom() + 1.3 * line, l.Plot.width(), line), Qt::AlignCenter,
                     QStringLiteral("Distância (m)"));
    painter.restore();
}

}  // namespace nivora
