// The altimetric map: its geometry and transform, the scales, and what the
// drawing steps put on the canvas, read back through a paint device that
// records every operation.

#include "contour/AltimetricMap.h"
#include "calc/CutFillMap.h"
#include "calc/FourStakes.h"
#include "data/NumberUtils.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>

#include <gtest/gtest.h>

#include <cmath>

using namespace nivora;

namespace {

// What reached the canvas, in map units.
struct Op {
    enum Kind { Polyline, Line, Rect, Text, Filled } kind;
    std::vector<QPoint> points;  // polyline points, line ends, or the text's baseline origin
    QRect rect;                  // a rectangle, a filled polygon's or a text's bounds on the device
    QString text;
    int penWidth = 0;
    QFont font;
    QColor brush;
};

class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& s) override
    {
        if (s.state() & DirtyPen)
            pen_ = s.pen();
        if (s.state() & DirtyBrush)
            brush_ = s.brush();
        if (s.state() & DirtyFont)
            font_ = s.font();
        if (s.state() & DirtyTransform)
            transform_ = s.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF* p, int n, PolygonDrawMode mode) override
    {
        Op op{Op::Polyline, {}, {}, {}, pen_.width(), font_, {}};
        for (int i = 0; i < n; ++i)
            op.points.push_back(transform_.map(p[i]).toPoint());
        if (mode == PolylineMode) {
            ops.push_back(op);
        } else {
            op.kind = Op::Filled;
            op.rect = QPolygon(QList<QPoint>(op.points.begin(), op.points.end())).boundingRect();
            ops.push_back(op);
        }
    }
    void drawLines(const QLineF* l, int n) override
    {
        for (int i = 0; i < n; ++i)
            ops.push_back({Op::Line, {l[i].p1().toPoint(), l[i].p2().toPoint()}, {}, {}, pen_.width(), font_, {}});
    }
    void drawRects(const QRectF* r, int n) override
    {
        for (int i = 0; i < n; ++i)
            ops.push_back({Op::Rect, {}, r[i].toRect(), {}, pen_.width(), font_, brush_.color()});
    }
    void drawPath(const QPainterPath& path) override
    {
        ops.push_back({Op::Rect, {}, path.boundingRect().toRect(), {}, pen_.width(), font_, brush_.color()});
    }
    void drawTextItem(const QPointF& p, const QTextItem& t) override
    {
        const QFontMetricsF fm(font_);
        const QRectF box(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(t.text()), fm.height());
        ops.push_back({Op::Text, {p.toPoint()}, transform_.mapRect(box).toRect(), t.text(), pen_.width(), font_, {}});
    }
    std::vector<Op> ops;

private:
    QPen pen_;
    QBrush brush_;
    QFont font_;
    QTransform transform_;
};

class Recorder : public QPaintDevice {
public:
    explicit Recorder(int dpi = 96) : dpi_(dpi) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    std::vector<Op>& ops() { return engine.ops; }
    std::vector<Op> of(Op::Kind kind) const
    {
        std::vector<Op> v;
        for (const Op& op : engine.ops)
            if (op.kind == kind)
                v.push_back(op);
        return v;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight: return 20000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmWidthMM:
        case PdmHeightMM: return 20000 * 254 / 960;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7FFFFFFF;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    mutable RecordingEngine engine;
    int dpi_;
};

// A grid 20 m apart, origin at 0, elevations f(column, row).
template <class F>
std::unique_ptr<TTerreno> Terrain(int cols, int rows, F f)
{
    auto t = std::make_unique<TTerreno>(cols, rows, 20.0f, 20.0f);
    t->SetOrigin(0.0L, 0.0L);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            t->SetCell(c, r, f(c, r));
    t->SetSelection(t->ComputeUsedRect());
    return t;
}

}  // namespace

TEST(MapGeometry, TwoHundredByOneHundredMetres)
{
    const TMapGeometry g = MapGeometry(0.0f, 0.0f, 200.0f, 100.0f);
    EXPECT_EQ(g.W, 10000);
    EXPECT_EQ(g.H, 5000);
    EXPECT_EQ(g.ScaleX, 42.5f);
    EXPECT_EQ(g.ScaleY, 38.34f);
    // The same area as a grid of 10 x 5 stakes 20 m apart: half a spacing
    // beyond the outer stakes.
    const auto t = Terrain(10, 5, [](int, int) { return 100.0f; });
    const TMapGeometry s = MapGeometry(*t, {1, 1, 10, 5});
    EXPECT_EQ(s.XMin, -10.0f);
    EXPECT_EQ(s.XMax, 190.0f);
    EXPECT_EQ(s.W, 10000);
    EXPECT_EQ(s.H, 5000);
    EXPECT_EQ(s.MapX(s.XMin), 1000);
    EXPECT_EQ(s.MapX(s.XMax), 9500);
    EXPECT_EQ(s.MapY(s.YMax), 5000 - 500);
}

TEST(MapGeometry, SquareAndTall)
{
    const TMapGeometry sq = MapGeometry(5.0f, 5.0f, 55.0f, 55.0f);
    EXPECT_EQ(sq.W, 10000);
    EXPECT_EQ(sq.H, 10000);
    const TMapGeometry tall = MapGeometry(0.0f, 0.0f, 100.0f, 200.0f);
    EXPECT_EQ(tall.W, 5000);
    EXPECT_EQ(tall.H, 10000);
    EXPECT_EQ(tall.ScaleX, 35.0f);
}

TEST(MapGeometry, TransformHalvesToEven)
{
    TMapGeometry g = MapGeometry(0.0f, 0.0f, 200.0f, 100.0f);
    EXPECT_EQ(g.MapX(10.0f), 1425);
    g.ScaleX = 1.0f;
    g.ScaleY = 1.0f;
    EXPECT_EQ(g.MapX(2.5f), 1002);
    EXPECT_EQ(g.MapX(3.5f), 1004);
    EXPECT_EQ(g.MapX(-2.5f), 998);
    EXPECT_EQ(g.MapX(2.4999f), 1002);
    EXPECT_EQ(g.MapY(0.5f), 666);
    EXPECT_EQ(g.MapY(1.5f), 668);
    const TMapTransform t = g.Transform();
    EXPECT_EQ(t.MapX(3.5f), 1004);
    EXPECT_EQ(t.MapY(1.5f), 668);
}

// Areas so narrow that the margins would leave no room are drawn at the
// longer side's scale on both axes, never at a zero or negative one.
TEST(MapGeometry, NarrowAreas)
{
    const TMapGeometry flat = MapGeometry(0.0f, 0.0f, 1000.0f, 100.0f);
    EXPECT_EQ(flat.W, 10000);
    EXPECT_EQ(flat.H, 1166 + 850);
    EXPECT_EQ(flat.ScaleX, 8.5f);
    EXPECT_EQ(flat.ScaleY, 8.5f);
    EXPECT_TRUE(flat.Narrow);
    const TMapGeometry thin = MapGeometry(0.0f, 0.0f, 20.0f, 20000.0f);
    EXPECT_EQ(thin.H, 10000);
    EXPECT_GT(thin.W, 1500);
    EXPECT_GT(thin.ScaleX, 0.0f);
    EXPECT_GT(thin.MapX(20.0f), thin.MapX(0.0f));
    // Just wide enough for the margins: as computed, squeezed but positive.
    const TMapGeometry squeezed = MapGeometry(0.0f, 0.0f, 1000.0f, 120.0f);
    EXPECT_EQ(squeezed.H, 1200);
    EXPECT_EQ(squeezed.ScaleY, static_cast<float>(34.0L / 120.0L));
    EXPECT_FALSE(squeezed.Narrow);
    EXPECT_FALSE(MapGeometry(0.0f, 0.0f, 200.0f, 100.0f).Narrow);
}

TEST(MapScales, StartAtTheEdgeAndAccumulateAsSingles)
{
    EXPECT_EQ(ScaleValues(3.5f, 100.0f, 25.0f), (std::vector<float>{3.5f, 28.5f, 53.5f, 78.5f}));
    EXPECT_EQ(MapNumber(3.5f, '.'), "3.5");
    EXPECT_EQ(MapNumber(28.5f, ','), "28,5");
    EXPECT_EQ(MapNumber(250.0f, '.'), "250");
    const std::vector<float> tenths = ScaleValues(0.0f, 0.35f, 0.1f);
    ASSERT_EQ(tenths.size(), 4u);
    EXPECT_EQ(MapNumber(tenths[3], '.'), "0.3000000119");
    // A step that a far coordinate cannot take any more ends the scale.
    EXPECT_EQ(ScaleValues(7455000.0f, 7455010.0f, 0.01f).size(), 1u);
    EXPECT_TRUE(ScaleValues(0.0f, 1.0f, 0.0f).empty());
}

TEST(MapFonts, PointsAtTheScreenResolution)
{
    EXPECT_EQ(MapFont(120, true, 96).pixelSize(), 160);
    EXPECT_TRUE(MapFont(120, true, 96).bold());
    EXPECT_EQ(MapFont(100, false, 96).pixelSize(), 133);
    EXPECT_EQ(MapFont(60, false, 96).pixelSize(), 80);
    EXPECT_EQ(MapFont(60, false, 120).pixelSize(), 100);
    EXPECT_EQ(MapFont(60, false, 96).family(), "Arial");
}

TEST(MapDrawing, TitleAndScales)
{
    const TMapGeometry g = MapGeometry(0.0f, 0.0f, 200.0f, 100.0f);
    Recorder rec;
    {
        QPainter p(&rec);
        DrawTitleAndScales(p, g, {96, ',', {}});
    }
    const std::vector<Op> texts = rec.of(Op::Text);
    const std::vector<Op> ticks = rec.of(Op::Line);
    ASSERT_FALSE(texts.empty());

    // Title: bold, 160 units, top at 50, centred over the area.
    const Op& title = texts[0];
    EXPECT_EQ(title.text, QString::fromUtf8("MAPA ALTIMÉTRICO"));
    EXPECT_EQ(title.font.pixelSize(), 160);
    EXPECT_TRUE(title.font.bold());
    const QFontMetrics tm(title.font);
    EXPECT_EQ(title.points[0].y(), 50 + tm.ascent());
    EXPECT_EQ(title.points[0].x(), 1000 + (9500 - 1000 - tm.horizontalAdvance(title.text)) / 2);

    // Smaller side 100 m: ten divisions of 10 m. Top scale 0..200, left 0..100.
    int count = 0;
    EXPECT_EQ(RoundedStep(6, 10, count, 100.0L), 10.0L);
    ASSERT_EQ(ticks.size(), 21u + 11u);
    ASSERT_EQ(texts.size(), 1u + 21u + 11u);
    const QFontMetrics fm(texts[1].font);
    EXPECT_EQ(texts[1].font.pixelSize(), 133);
    EXPECT_FALSE(texts[1].font.bold());
    for (int k = 0; k <= 20; ++k) {
        const Op& tick = ticks[std::size_t(k)];
        const Op& label = texts[std::size_t(1 + k)];
        const int x = g.MapX(10.0f * float(k));
        EXPECT_EQ(tick.points[0], QPoint(x, 666));
        EXPECT_EQ(tick.points[1], QPoint(x, 616));
        EXPECT_EQ(tick.penWidth, 10);
        EXPECT_EQ(label.text, QString::number(10 * k));
        const int w = fm.horizontalAdvance(label.text), h = fm.height();
        // Centred on the tick, ending half a text height above the edge.
        EXPECT_EQ(label.points[0].x(), x - w / 2);
        EXPECT_EQ(label.points[0].y() - fm.ascent() + h, 666 - (3 * h) / 2 + h);
    }
    for (int k = 0; k <= 10; ++k) {
        const Op& tick = ticks[std::size_t(21 + k)];
        const Op& label = texts[std::size_t(22 + k)];
        const int y = g.MapY(10.0f * float(k));
        EXPECT_EQ(tick.points[0], QPoint(1000, y));
        EXPECT_EQ(tick.points[1], QPoint(950, y));
        const int w = fm.horizontalAdvance(label.text), h = fm.height();
        // Ending half a text height left of the edge, centred on the tick.
        EXPECT_EQ(label.points[0].x() + w, 1000 - h / 2);
        EXPECT_EQ(label.points[0].y() - fm.ascent(), y - h / 2);
    }
}

// A strip 1000 m by 100 m: graduated for its length, 100 m apart, so that its
// top scale stays readable; its left edge gets the first tick only.
TEST(MapDrawing, NarrowAreaScales)
{
    const TMapGeometry g = MapGeometry(0.0f, 0.0f, 1000.0f, 100.0f);
    Recorder rec;
    {
        QPainter p(&rec);
        DrawTitleAndScales(p, g, {96, '.', {}});
    }
    const std::vector<Op> ticks = rec.of(Op::Line);
    ASSERT_EQ(ticks.size(), 11u + 2u);
    EXPECT_EQ(ticks[1].points[0].x(), g.MapX(100.0f));
    EXPECT_EQ(ticks[12].points[0].y(), g.MapY(100.0f));
}

TEST(MapDrawing, CurvesWithLabelsOnWhiteBoxes)
{
    TCurvas curves;
    curves.AddLevel(101.5L);
    curves.AddSegment({2000, 2000}, {2400, 2000});
    curves.AddSegment({2400, 2000}, {2400, 2400});
    curves.AddSegment({2400, 2400}, {2000, 2400});
    curves.AddSegment({2000, 2400}, {2000, 2000});
    curves.AddLevel(110.0L);  // no lines, no label
    curves.AddLevel(99.0L);
    curves.AddSegment({5000, 5000}, {5100, 5000});  // too short: pruned

    Recorder rec;
    {
        QPainter p(&rec);
        p.setFont(MapFont(100, false, 96));
        DrawCurves(curves, p, {96, ',', {}});
        EXPECT_EQ(p.font().pixelSize(), 133);  // given back
    }
    const std::vector<Op> lines = rec.of(Op::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].penWidth, 10);
    EXPECT_EQ(lines[0].points.size(), 5u);
    const std::vector<Op> boxes = rec.of(Op::Rect);
    const std::vector<Op> texts = rec.of(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(texts[0].text, "101,5");
    EXPECT_EQ(texts[0].font.pixelSize(), 80);
    // Half of 1600 is reached at the end of the second side, without being
    // passed: the label is centred on the third point.
    const QFontMetrics fm(texts[0].font);
    const int w = fm.horizontalAdvance("101,5"), h = fm.height();
    EXPECT_EQ(boxes[0].rect, QRect(2400 - w / 2, 2400 - h / 2, w, h));
    EXPECT_EQ(boxes[0].brush, QColor(Qt::white));
    EXPECT_EQ(texts[0].points[0], QPoint(2400 - w / 2, 2400 - h / 2 + fm.ascent()));
    // The box comes before the text, after the line.
    const auto& ops = rec.ops();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].kind, Op::Polyline);
    EXPECT_EQ(ops[1].kind, Op::Rect);
    EXPECT_EQ(ops[2].kind, Op::Text);
}

TEST(MapPicture, BuildAndReplay)
{
    // A tilted plane of 30 x 20 stakes, 20 m apart, with a missing corner.
    auto t =
        Terrain(30, 20, [](int c, int r) { return c + r < 6 ? 0.0f : 100.0f + 0.1f * float(c) + 0.05f * float(r); });
    TContourRequest request;
    request.TakeLimits(t->MapLimits());
    ASSERT_TRUE(SetRequestLevels(request, {"101", "102"}, '.'));
    const TAltimetricMap map = BuildAltimetricMap(*t, request);

    // 600 m by 400 m.
    EXPECT_EQ(map.Geometry.W, 10000);
    EXPECT_EQ(map.Geometry.H, 6667);
    EXPECT_EQ(map.Picture.boundingRect(), QRect(0, 0, 10000, 6667));
    // 10000 x 2540 / 96 = 264583.3 and 6667 x 2540 / 96 = 176397.7, rounded,
    // then divided by 8.
    EXPECT_EQ(map.PhysicalSize, QSize(264583 / 8, 176398 / 8));
    EXPECT_EQ(map.DisplaySize(), QSize(1250, 833));

    Recorder rec;
    {
        QPainter p(&rec);
        p.drawPicture(0, 0, map.Picture);
    }
    // The replayed picture gives its ticks back as two-point polylines.
    std::vector<Op> polylines;
    for (const Op& op : rec.of(Op::Polyline))
        if (op.penWidth == 20 || op.points.size() > 2)
            polylines.push_back(op);
    ASSERT_GE(polylines.size(), 3u);
    // First the outline, pen 20, closed, along the outline nodes.
    EXPECT_EQ(polylines[0].penWidth, 20);
    const std::vector<TPoint> outline = OutlinePoints(*t, t->Selection(), map.Geometry);
    ASSERT_EQ(polylines[0].points.size(), outline.size());
    EXPECT_EQ(polylines[0].points.front(), polylines[0].points.back());
    for (std::size_t i = 0; i < outline.size(); ++i)
        EXPECT_EQ(polylines[0].points[i], QPoint(outline[i].X, outline[i].Y));
    // Then one straight contour per level, labelled.
    EXPECT_EQ(polylines.size(), 3u);
    const std::vector<Op> texts = rec.of(Op::Text);
    EXPECT_EQ(texts[texts.size() - 2].text, "101");
    EXPECT_EQ(texts.back().text, "102");
}

// Stretched into a rectangle an eighth of its size: the same map points on a
// device of twice the screen's resolution, as a PDF page or a printer is.
TEST(MapPicture, DrawnIntoATargetWhateverTheResolution)
{
    auto t = Terrain(30, 20, [](int c, int r) { return 100.0f + 0.1f * float(c) + 0.05f * float(r); });
    TContourRequest request;
    ASSERT_TRUE(SetRequestLevels(request, {"101"}, '.'));
    const TAltimetricMap map = BuildAltimetricMap(*t, request);
    const QRectF target(100, 50, map.Geometry.W / 8.0, map.Geometry.H / 8.0);
    const std::vector<TPoint> outline = OutlinePoints(*t, t->Selection(), map.Geometry);
    for (int dpi : {96, 192}) {
        Recorder rec(dpi);
        {
            QPainter p(&rec);
            DrawMapPicture(p, map, target);
        }
        std::vector<Op> frame;
        for (const Op& op : rec.of(Op::Polyline))
            if (op.penWidth == 20)
                frame.push_back(op);
        ASSERT_EQ(frame.size(), 1u) << dpi;
        ASSERT_EQ(frame[0].points.size(), outline.size());
        for (std::size_t i = 0; i < outline.size(); ++i)
            EXPECT_EQ(frame[0].points[i], QPointF(100 + outline[i].X / 8.0, 50 + outline[i].Y / 8.0).toPoint()) << dpi;
    }
}

TEST(MapPicture, ScaledSize)
{
    EXPECT_EQ(ScaledSize(QSize(1250, 625), 50), QSize(625, 313));
    EXPECT_EQ(ScaledSize(QSize(1250, 833), 25), QSize(313, 208));
    EXPECT_EQ(ScaledSize(QSize(1250, 833), 400), QSize(5000, 3332));
}

TEST(MapPicture, NoElevationsNoOutline)
{
    TTerreno t(10, 10, 20.0f, 20.0f);
    t.SetSelection({1, 1, 10, 10});
    TContourRequest request;
    ASSERT_TRUE(SetRequestLevels(request, {"100"}, '.'));
    const TAltimetricMap map = BuildAltimetricMap(t, request);
    Recorder rec;
    {
        QPainter p(&rec);
        p.drawPicture(0, 0, map.Picture);
    }
    for (const Op& op : rec.of(Op::Polyline))
        EXPECT_EQ(op.points.size(), 2u);     // the ticks only
    EXPECT_FALSE(rec.of(Op::Text).empty());  // title and scales
}

// Tall narrow areas: the title, centred over the area, used to run past the
// drawing's right side ("MAPA ALTIMÉTRIC"). It shows whole on every one, and
// where it fitted it stays centred.
TEST(MapPicture, TitleShowsWholeOnTallNarrowAreas)
{
    for (const int rows : {4, 5, 6, 7, 8, 10, 20, 60, 300}) {
        auto t = Terrain(1, rows, [](int, int r) { return 100.0f + float(r); });
        TContourRequest request;
        ASSERT_TRUE(SetRequestLevels(request, {"101.5"}, '.'));
        const TAltimetricMap map = BuildAltimetricMap(*t, request);
        Recorder rec;
        {
            QPainter p(&rec);
            p.drawPicture(0, 0, map.Picture);
        }
        const std::vector<Op> texts = rec.of(Op::Text);
        ASSERT_FALSE(texts.empty());
        const Op& title = texts[0];
        ASSERT_EQ(title.text, QString::fromUtf8("MAPA ALTIMÉTRICO"));
        const int w = QFontMetrics(title.font).horizontalAdvance(title.text);
        const int left = title.points[0].x();
        EXPECT_GE(left, 0) << rows << " rows";
        EXPECT_LE(left + w, map.Geometry.W) << rows << " rows";
        EXPECT_EQ(map.Picture.boundingRect(), QRect(0, 0, map.Geometry.W, map.Geometry.H));
        const int area = map.Geometry.MapX(map.Geometry.XMin), areaEnd = map.Geometry.MapX(map.Geometry.XMax);
        const int centred = area + (areaEnd - area - w) / 2;
        if (centred >= 0 && centred + w <= map.Geometry.W) {
            EXPECT_EQ(left, centred) << rows << " rows";
        }
    }
}

// A ragged field of 1000 x 1000 stakes with a pond: the map's frame is one
// closed polyline round the whole field, longer than the 4000 steps the walk
// used to be cut off at.
TEST(MapPicture, FrameOfALargeRaggedField)
{
    auto t = Terrain(1000, 1000, [](int c, int r) {
        const int lo = 40 + (r * 37 % 23) + (r % 97 == 0 ? 30 : 0), hi = 960 - (r * 53 % 29);
        const bool pond = (c - 500) * (c - 500) + (r - 500) * (r - 500) < 1600;
        return c >= lo && c <= hi && !pond ? 100.0f + 0.01f * float(c) : 0.0f;
    });
    TContourRequest request;
    ASSERT_TRUE(SetRequestLevels(request, {"105"}, '.'));
    const TAltimetricMap map = BuildAltimetricMap(*t, request);
    Recorder rec;
    {
        QPainter p(&rec);
        p.drawPicture(0, 0, map.Picture);
    }
    std::vector<Op> frame;
    for (const Op& op : rec.of(Op::Polyline))
        if (op.penWidth == 20)
            frame.push_back(op);
    ASSERT_EQ(frame.size(), 1u);
    const std::vector<QPoint>& points = frame[0].points;
    EXPECT_GT(points.size(), 4001u);
    EXPECT_EQ(points.front(), points.back());
    // It reaches the area's top and bottom edges, both sides of the field.
    int top = 1 << 30, bottom = 0;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    EXPECT_EQ(top, map.Geometry.MapY(map.Geometry.YMin));
    EXPECT_EQ(bottom, map.Geometry.MapY(map.Geometry.YMax));
}

// The real coordinates of a georeferenced map: round tick steps and values,
// the ground extent of an area in both row directions, and the framed
// cut-and-fill picture.
TEST(WorldReference, TickStepsAndValues)
{
    const struct {
        double Range;
        int Most;
        double Step;
    } steps[] = {{400, 5, 100}, {1000, 5, 200}, {73, 6, 20}, {0.7, 5, 0.2}, {12345, 4, 5000}, {10, 1, 10}, {0, 5, 0}};
    for (const auto& k : steps)
        EXPECT_DOUBLE_EQ(TickStep(k.Range, k.Most), k.Step) << k.Range << " in " << k.Most;
    EXPECT_EQ(TickValues(712335.5, 712735.5, 100), (std::vector<double>{712400, 712500, 712600, 712700}));
    // Either order, ascending; decimals of the step kept exact.
    EXPECT_EQ(TickValues(7456325.25, 7456025.25, 100), (std::vector<double>{7456100, 7456200, 7456300}));
    EXPECT_EQ(TickValues(0.05, 0.95, 0.2), (std::vector<double>{0.2, 0.4, 0.6, 0.8}));
    EXPECT_EQ(TickValues(-30, 30, 20), (std::vector<double>{-20, 0, 20}));
}

TEST(WorldReference, ExtentOfAnAreaOnTheGround)
{
    TGeoreference geo{31983, 5000.0, 9000.0, true};
    // Columns 2..4, rows 3..5, spacings 20 x 10: half a spacing beyond.
    TWorldExtent w = WorldExtent(geo, {2, 3, 4, 5}, 20, 10);
    EXPECT_DOUBLE_EQ(w.WestEasting, 5010);
    EXPECT_DOUBLE_EQ(w.EastEasting, 5070);
    EXPECT_DOUBLE_EQ(w.TopNorthing, 8985);
    EXPECT_DOUBLE_EQ(w.BottomNorthing, 8955);
    EXPECT_TRUE(w.NorthUp);
    geo.RowsRunSouth = false;
    w = WorldExtent(geo, {2, 3, 4, 5}, 20, 10);
    EXPECT_DOUBLE_EQ(w.TopNorthing, 9015);
    EXPECT_DOUBLE_EQ(w.BottomNorthing, 9045);
    EXPECT_FALSE(w.NorthUp);
}

// The darkest pixels' mean row in a strip of an image: where an arrow's
// weight lies.
double MeanDarkRow(const QImage& image, const QRect& strip)
{
    double sum = 0, count = 0;
    for (int y = strip.top(); y <= strip.bottom(); ++y)
        for (int x = strip.left(); x <= strip.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                sum += y;
                ++count;
            }
    return count ? sum / count : -1;
}

TEST(WorldReference, FramedCutFillMap)
{
    TTerreno t = nivora::testing::SystematizedFourStakes();
    const TCutFillMap plain = BuildCutFillMap(t, nullptr);
    const TFramedMap asItWas = FramedCutFillMap(plain, ',');
    EXPECT_EQ(asItWas.Offset, QPoint(0, 0));
    EXPECT_EQ(asItWas.Image, plain.Bitmap);

    t.SetGeoreference(TGeoreference{31983, 700000.0, 7400000.0, true});
    TCutFillMap south = BuildCutFillMap(t, nullptr);
    ASSERT_TRUE(south.Georeference);
    EXPECT_EQ(south.Bitmap, plain.Bitmap);
    const TFramedMap up = FramedCutFillMap(south, ',');
    ASSERT_GT(up.Offset.y(), 0);
    EXPECT_EQ(up.Image.copy(QRect(up.Offset, plain.Bitmap.size())), plain.Bitmap.convertToFormat(QImage::Format_RGB32));
    t.SetGeoreference(TGeoreference{31983, 700000.0, 7400000.0, false});
    const TFramedMap down = FramedCutFillMap(BuildCutFillMap(t, nullptr), ',');
    // The arrow's filled head: its wide base lies low when it points up,
    // high when it points down.
    const QRect arrow(0, 0, up.Image.width(), up.Offset.y() - 2);
    const double upRow = MeanDarkRow(up.Image, arrow), downRow = MeanDarkRow(down.Image, arrow);
    ASSERT_GT(upRow, 0);
    ASSERT_GT(downRow, 0);
    EXPECT_GT(upRow, downRow + 2);
}

// A georeferenced map records its system and draws more than the same map
// without; the map without draws exactly as before.
TEST(WorldReference, AltimetricMapOfAGeoreferencedField)
{
    auto t = std::make_unique<TTerreno>(nivora::testing::SystematizedFourStakes());
    TContourRequest request;
    request.TakeLimits(t->MapLimits());
    SetRequestLevels(request, {"100"}, '.');
    const TAltimetricMap plain = BuildAltimetricMap(*t, request, {96, ',', "EPSG:31983"});
    EXPECT_FALSE(plain.Georeference);
    t->SetGeoreference(TGeoreference{31983, 700000.0, 7400000.0, true});
    const TAltimetricMap geo = BuildAltimetricMap(*t, request, {96, ',', "EPSG:31983"});
    ASSERT_TRUE(geo.Georeference);
    EXPECT_EQ(geo.CrsName, "EPSG:31983");
    EXPECT_GT(geo.Picture.size(), plain.Picture.size());
    EXPECT_EQ(geo.Geometry.W, plain.Geometry.W);
}

// On a georeferenced map every coordinate written is a surveyed easting or
// northing (the distances from stake (1, 1) along the top and left are left
// out), and the north arrow stands clear of the northings' labels.
TEST(WorldReference, GeoreferencedMapWritesOnlyRealCoordinates)
{
    for (const bool south : {true, false}) {
        SCOPED_TRACE(south ? "rows run south" : "rows run north");
        auto t = Terrain(30, 20, [](int c, int r) { return 100.0f + 0.1f * float(c) + 0.05f * float(r); });
        TContourRequest request;
        request.TakeLimits(t->MapLimits());
        ASSERT_TRUE(SetRequestLevels(request, {"101"}, '.'));
        t->SetGeoreference(TGeoreference{31983, 700000.0, 7400000.0, south});
        const TAltimetricMap map = BuildAltimetricMap(*t, request, {96, ',', "EPSG:31983"});
        Recorder rec;
        {
            QPainter p(&rec);
            p.drawPicture(0, 0, map.Picture);
        }
        QRect labels, arrow;
        int numbers = 0;
        for (const Op& op : rec.of(Op::Text)) {
            bool isNumber = false;
            const double v = QString(op.text).replace(',', '.').toDouble(&isNumber);
            if (!isNumber || op.text == "101")
                continue;
            ++numbers;
            EXPECT_GE(v, 699000) << op.text.toStdString();
            if (v > 7e6)
                labels = labels.united(op.rect);
        }
        EXPECT_GE(numbers, 4);
        for (const Op& op : rec.of(Op::Filled))
            arrow = arrow.united(op.rect);
        ASSERT_FALSE(labels.isEmpty());
        ASSERT_FALSE(arrow.isEmpty());
        EXPECT_FALSE(arrow.intersects(labels)) << "arrow " << arrow.left() << ".." << arrow.right() << ", labels "
                                               << labels.left() << ".." << labels.right();
        EXPECT_LE(arrow.right(), map.Geometry.W);
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
