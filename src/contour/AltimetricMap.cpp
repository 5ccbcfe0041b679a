#include "AltimetricMap.h"

#include "calc/CalcSist.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QFontMetricsF>
#include <QPolygon>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace nivora {

namespace {

// The title's top, and the least room it keeps from the drawing's sides.
constexpr std::int32_t kTitleTop = 50;

QString Title(const TMapOptions& o)
{
    return o.Design ? QStringLiteral("MAPA ALTIMÉTRICO DO PROJETO") : QStringLiteral("MAPA ALTIMÉTRICO");
}

// a * b / c rounded, halves away from zero, as the platform's MulDiv.
std::int32_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return static_cast<std::int32_t>(std::llround(static_cast<long double>(a) * b / c));
}

QPolygon Polygon(const std::vector<TPoint>& points)
{
    QPolygon poly;
    poly.reserve(qsizetype(points.size()));
    for (const TPoint& p : points)
        poly.append(QPoint(p.X, p.Y));
    return poly;
}

// Text placed by its top-left corner; with a solid brush its box is filled
// first, so that it blanks out what lies under it.
void TextOut(QPainter& canvas, std::int32_t left, std::int32_t top, const QString& text)
{
    const QFontMetrics fm = canvas.fontMetrics();
    if (canvas.brush().style() != Qt::NoBrush)
        canvas.fillRect(QRect(left, top, fm.horizontalAdvance(text), fm.height()), canvas.brush());
    canvas.drawText(QPoint(left, top + fm.ascent()), text);
}

void SetPenWidth(QPainter& canvas, int width)
{
    QPen pen = canvas.pen();
    pen.setWidth(width);
    canvas.setPen(pen);
}

}  // namespace

QSize TAltimetricMap::DisplaySize() const
{
    return {MulDiv(PhysicalSize.width(), Ppi, 2540), MulDiv(PhysicalSize.height(), Ppi, 2540)};
}

void DrawMapPicture(QPainter& painter, const TAltimetricMap& map, const QRectF& target)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / map.Geometry.W, target.height() / map.Geometry.H);
    if (const QPaintDevice* device = painter.device())
        painter.scale(qreal(map.Picture.logicalDpiX()) / device->logicalDpiX(),
                      qreal(map.Picture.logicalDpiY()) / device->logicalDpiY());
    painter.drawPicture(0, 0, map.Picture);
    painter.restore();
}

QSize ScaledSize(const QSize& size, int zoom)
{
    return {MulDiv(size.width(), zoom, 100), MulDiv(size.height(), zoom, 100)};
}

QFont MapFont(int points, bool bold, int ppi)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, MulDiv(points, ppi, 72)));
    font.setBold(bold);
    return font;
}

std::vector<float> ScaleValues(float from, float to, float step)
{
    std::vector<float> values;
    if (!(step > 0.0f))
        return values;
    for (float v = from; v <= to; v = v + step) {
        if (!values.empty() && v == values.back())
            break;  // a step lost in the rounding of v
        values.push_back(v);
    }
    return values;
}

QString MapNumber(long double v, char decimalSeparator)
{
    return QString::fromStdString(FormatGeneral(v, 10, decimalSeparator));
}

void DrawAreaOutline(QPainter& canvas, const TTerreno& terrain, const TUsedRect& area, const TMapGeometry& g)
{
    const std::vector<std::vector<TPoint>> frames = OutlinesPoints(terrain, area, g);
    if (frames.empty())
        return;
    const int width = canvas.pen().width();
    SetPenWidth(canvas, 20);
    for (const std::vector<TPoint>& points : frames)
        canvas.drawPolyline(Polygon(points));
    SetPenWidth(canvas, width);
}

void DrawTitleAndScales(QPainter& canvas, const TMapGeometry& g, const TMapOptions& o, bool localScales)
{
    // Six to ten divisions of the shorter side; of the longer one on a narrow
    // map, whose shorter side has room for hardly any.
    int count = 0;
    const long double range =
        g.Narrow ? std::max<long double>(g.Width, g.Height) : std::min<long double>(g.Width, g.Height);
    const float step = static_cast<float>(RoundedStep(6, 10, count, range));

    // The title is centred over the area; over a tall narrow one that would
    // take it past the drawing's side, and it is moved in to keep the room it
    // keeps above.
    canvas.setFont(MapFont(120, true, o.Ppi));
    const QString title = Title(o);
    const std::int32_t left = g.MapX(g.XMin), right = g.MapX(g.XMax);
    const std::int32_t titleWidth = canvas.fontMetrics().horizontalAdvance(title);
    std::int32_t titleX = left + (right - left - titleWidth) / 2;
    if (titleX < 0 || titleX + titleWidth > g.W)
        titleX = std::max(std::min(titleX, g.W - kTitleTop - titleWidth), kTitleTop);
    TextOut(canvas, titleX, kTitleTop, title);
    if (!localScales)
        return;

    canvas.setFont(MapFont(100, false, o.Ppi));
    SetPenWidth(canvas, 10);
    const QFontMetrics fm = canvas.fontMetrics();
    for (const float v : ScaleValues(g.XMin, g.XMax, step)) {
        const std::int32_t x = g.MapX(v), y = g.MapY(g.YMin);
        canvas.drawLine(x, y, x, y - 50);
        const QString text = MapNumber(v, o.DecimalSeparator);
        const std::int32_t w = fm.horizontalAdvance(text), h = fm.height();
        TextOut(canvas, x - w / 2, y - (3 * h) / 2, text);
    }
    for (const float v : ScaleValues(g.YMin, g.YMax, step)) {
        const std::int32_t x = g.MapX(g.XMin), y = g.MapY(v);
        canvas.drawLine(x, y, x - 50, y);
        const QString text = MapNumber(v, o.DecimalSeparator);
        const std::int32_t w = fm.horizontalAdvance(text), h = fm.height();
        TextOut(canvas, x - w - h / 2, y - h / 2, text);
    }
}

void DrawCurves(TCurvas& curves, QPainter& canvas, const TMapOptions& o)
{
    const QFont font = canvas.font();
    canvas.setFont(MapFont(60, false, o.Ppi));
    canvas.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    for (std::size_t k = 0; k < curves.Count(); ++k)
        Assemble(*curves.Curve(std::ptrdiff_t(k)));

    const QFontMetrics fm = canvas.fontMetrics();
    for (std::size_t k = 0; k < curves.Count(); ++k) {
        TCurva& curve = *curves.Curve(std::ptrdiff_t(k));
        SetPenWidth(canvas, 10);
        const QString text = MapNumber(curve.Level, o.DecimalSeparator);
        const std::int32_t w = fm.horizontalAdvance(text), h = fm.height();
        for (std::size_t i = 0; i < curve.Count(); ++i) {
            TLine& line = curve.Line(i);
            QPen pen = canvas.pen();
            pen.setColor(Qt::black);
            canvas.setPen(pen);
            canvas.drawPolyline(Polygon(line.PointList()));
            const TPoint at = LabelAnchor(line);
            TextOut(canvas, at.X - w / 2, at.Y - h / 2, text);
        }
    }
    canvas.setFont(font);
}

void DrawNorthArrow(QPainter& canvas, const QPointF& tip, double length, bool up)
{
    // A narrow head, half filled, and an N beyond its tip.
    const double s = up ? 1 : -1;
    const double half = length * 0.3;
    const QPointF base(tip.x(), tip.y() + s * length);
    const QPointF notch(tip.x(), tip.y() + s * length * 0.72);
    const QPointF left(tip.x() - half, base.y()), right(tip.x() + half, base.y());
    canvas.save();
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, length / 40));
    pen.setJoinStyle(Qt::MiterJoin);
    canvas.setPen(pen);
    canvas.setBrush(Qt::black);
    canvas.drawPolygon(QPolygonF({tip, left, notch}));
    canvas.setBrush(Qt::white);
    canvas.drawPolygon(QPolygonF({tip, notch, right}));
    QFont font = canvas.font();
    font.setBold(true);
    font.setPixelSize(std::max(1, int(std::lround(length * 0.45))));
    canvas.setFont(font);
    const QFontMetricsF fm(font);
    const double h = fm.ascent();
    const double w = fm.horizontalAdvance(QStringLiteral("N"));
    const double gap = length * 0.08;
    const double baseline = up ? tip.y() - gap : tip.y() + gap + h;
    canvas.drawText(QPointF(tip.x() - w / 2, baseline), QStringLiteral("N"));
    canvas.restore();
}

namespace {

// Room above the area for the north arrow, in map units.
double NorthArrowRoom(const TMapGeometry& g) { return std::min(420.0, double(std::max(100, g.MapY(g.YMin) - 120))); }

// From the area's right edge past the northings' ticks and labels, with a
// gap of half a line after them.
double NorthingLabelsWidth(int lineHeight) { return 50 + lineHeight / 4 + lineHeight + lineHeight / 2; }

}  // namespace

std::int32_t WorldReferenceWidth(const TMapGeometry& g, const TMapOptions& o)
{
    const QFontMetrics fm(MapFont(80, false, o.Ppi));
    const double length = NorthArrowRoom(g) * 0.62;
    return std::int32_t(std::ceil(NorthingLabelsWidth(fm.height()) + length * 0.6 + 60));
}

void DrawWorldReference(QPainter& canvas, const TMapGeometry& g, const TWorldExtent& world, const TMapOptions& o)
{
    const std::int32_t left = g.MapX(g.XMin), right = g.MapX(g.XMax);
    const std::int32_t top = g.MapY(g.YMin), bottom = g.MapY(g.YMax);
    canvas.save();
    canvas.setBrush(Qt::NoBrush);
    canvas.setFont(MapFont(80, false, o.Ppi));
    SetPenWidth(canvas, 10);
    const QFontMetrics fm = canvas.fontMetrics();
    const std::int32_t h = fm.height();

    // Eastings under the bottom edge, the tick at each value's place.
    const double eastSpan = world.EastEasting - world.WestEasting;
    const double eastStep = TickStep(std::fabs(eastSpan), 5);
    for (const double e : TickValues(world.WestEasting, world.EastEasting, eastStep)) {
        const double x = left + (e - world.WestEasting) / eastSpan * (right - left);
        const std::int32_t xi = std::int32_t(std::lround(x));
        canvas.drawLine(xi, bottom, xi, bottom + 50);
        const QString text = MapNumber(e, o.DecimalSeparator);
        TextOut(canvas, xi - fm.horizontalAdvance(text) / 2, bottom + 50 + h / 4, text);
    }
    // Northings right of the right edge, written upwards along it.
    const double northSpan = world.BottomNorthing - world.TopNorthing;
    const double northStep = TickStep(std::fabs(northSpan), 5);
    for (const double n : TickValues(world.TopNorthing, world.BottomNorthing, northStep)) {
        const double y = top + (n - world.TopNorthing) / northSpan * (bottom - top);
        const std::int32_t yi = std::int32_t(std::lround(y));
        canvas.drawLine(right, yi, right + 50, yi);
        const QString text = MapNumber(n, o.DecimalSeparator);
        canvas.save();
        canvas.translate(right + 50 + h / 4, yi);
        canvas.rotate(-90);
        TextOut(canvas, -fm.horizontalAdvance(text) / 2, 0, text);
        canvas.restore();
    }
    // The arrow in the corner beyond the area's top right, clear of the
    // title and right of the northings written along the edge.
    const double room = NorthArrowRoom(g);
    const double length = room * 0.62;
    const double cx = right + NorthingLabelsWidth(h) + length * 0.3;
    DrawNorthArrow(canvas, QPointF(cx, world.NorthUp ? top - room + length * 0.55 : top - 40 - length * 0.55), length,
                   world.NorthUp);

    // The coordinate system under the eastings, ending at the area's right.
    if (!o.CrsName.empty()) {
        const QString name = QString::fromStdString(o.CrsName);
        TextOut(canvas, right - fm.horizontalAdvance(name), bottom + 50 + h / 4 + h + h / 4, name);
    }
    canvas.restore();
}

TAltimetricMap BuildAltimetricMap(TTerreno& terrain, const TContourRequest& request, const TMapOptions& o)
{
    TAltimetricMap map;
    TCurvas curves;
    const TUsedRect area = terrain.GetSelection();
    TMapGeometry g = MapGeometry(terrain, area);
    // A tall narrow drawing is widened to the title's width, so that the
    // title shows whole; the area keeps its place and scale.
    const int titleWidth = QFontMetrics(MapFont(120, true, o.Ppi), &map.Picture).horizontalAdvance(Title(o));
    map.Design = o.Design;
    g.W = std::max(g.W, titleWidth + 2 * kTitleTop);
    // A georeferenced field's northings and north arrow stand right of it.
    if (terrain.Extension().Georeference)
        g.W = std::max(g.W, g.MapX(g.XMax) + WorldReferenceWidth(g, o));
    map.Geometry = g;
    map.Ppi = o.Ppi;
    map.PhysicalSize = QSize(MulDiv(g.W, 2540, o.Ppi), MulDiv(g.H, 2540, o.Ppi));

    QPainter canvas(&map.Picture);
    canvas.setRenderHint(QPainter::Antialiasing);
    QPen pen(Qt::black);
    pen.setWidth(1);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);

    DrawAreaOutline(canvas, terrain, area, g);
    // A georeferenced field is drawn with its real coordinates instead of
    // distances from stake (1, 1); a field without one draws as it always has.
    const auto& geo = terrain.Extension().Georeference;
    DrawTitleAndScales(canvas, g, o, !geo);
    if (geo) {
        map.Georeference = geo;
        map.CrsName = o.CrsName;
        DrawWorldReference(canvas, g, WorldExtent(*geo, area, double(terrain.Lx()), double(terrain.Ly())), o);
    }
    const std::vector<long double> levels = request.LevelList();
    map.Levels = levels;
    map.Lx = terrain.Lx();
    map.Ly = terrain.Ly();
    TraceLevels(curves, terrain, area, levels, g.Transform());
    DrawCurves(curves, canvas, o);
    canvas.end();

    map.Picture.setBoundingRect(QRect(0, 0, g.W, g.H));
    map.PhysicalSize = QSize(map.PhysicalSize.width() / 8, map.PhysicalSize.height() / 8);
    return map;
}

}  // namespace nivora
