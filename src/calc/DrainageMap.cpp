#include "calc/DrainageMap.h"

#include "calc/CalcSist.h"
#include "contour/AltimetricMap.h"
#include "contour/MapGeometry.h"
#include "data/NumberFormat.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

constexpr int kMargin = 8;
constexpr int kTitleHeight = 26;
constexpr int kLegendGap = 16;
constexpr int kLegendWidth = 210;
constexpr int kSwatch = 12;
constexpr int kLine = 16;
// The map's larger side, in pixels, for a field of few stakes; a stake is
// never less than a pixel.
constexpr double kMapSide = 640;
constexpr int kMostCell = 32;
// Arrows at least this many pixels apart.
constexpr int kArrowSpacing = 18;

QFont Font(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Fixed(double v, int decimals, char sep) { return FormatFixed(v, decimals, 15, sep); }

// The legend's entries: a swatch and its text.
struct TEntry {
    QColor Colour;
    QString Text;
};

std::vector<TEntry> DepthEntries(char sep)
{
    std::vector<TEntry> e;
    for (int k = 0; k < kDepthClasses; ++k) {
        QString text;
        if (k == 0)
            text = "até " + Q(Fixed(kDepthLimits[0], 2, sep));
        else if (k == kDepthClasses - 1)
            text = "acima de " + Q(Fixed(kDepthLimits[k - 1], 2, sep));
        else
            text = Q(Fixed(kDepthLimits[k - 1], 2, sep)) + " a " + Q(Fixed(kDepthLimits[k], 2, sep));
        e.push_back({DepthColour(k), text});
    }
    return e;
}

std::vector<TEntry> AccumulationEntries()
{
    return {{AccumulationColour(0), "1 a 9 piquetes"},
            {AccumulationColour(1), "10 a 99 piquetes"},
            {AccumulationColour(2), "100 a 999 piquetes"},
            {AccumulationColour(3), "1000 piquetes ou mais"}};
}

// The legend's height for its entries and figures.
int LegendHeight(const TDrainageMap& map)
{
    int lines = 1 + kDepthClasses + 1 + kAccumulationClasses + 1 + 1;  // headings, entries, the stake's area
    lines += 1;                                                        // the arrow
    if (map.Result.UndrainedCount > 0)
        ++lines;
    if (!map.UserOutlets.empty())
        ++lines;
    lines += 1 + int(DrainageFigures(map, ',').size());
    return lines * kLine + kLine;
}

void DrawArrow(QPainter& p, const QPointF& from, const QPointF& to)
{
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 0)
        return;
    const QPointF u = d / length, n(-u.y(), u.x());
    const double head = std::min(4.0, length * 0.45);
    QPainterPath path(to);
    path.lineTo(to - u * head + n * head * 0.6);
    path.lineTo(to - u * head - n * head * 0.6);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

}  // namespace

TDrainageMap BuildDrainageMap(const TTerreno& terrain, TDrainSurface surface, double minFall,
                              const std::vector<std::pair<std::int32_t, std::int32_t>>& outlets)
{
    TDrainageMap map;
    map.Surface = surface;
    map.Lx = static_cast<double>(static_cast<long double>(terrain.Lx()));
    map.Ly = static_cast<double>(static_cast<long double>(terrain.Ly()));
    map.Georeference = terrain.Extension().Georeference;
    const TDrainGrid g = DrainageSurface(terrain, surface, DrainageArea(terrain, surface));
    std::vector<std::uint8_t> mask;
    if (outlets.empty()) {
        mask = BorderOutlets(g);
    } else {
        TOutletList list;
        list.Stakes = outlets;
        mask = OutletMask(g, list);
        map.UserOutlets = outlets;
    }
    map.Result = ComputeDrainage(g, mask);
    if (surface == TDrainSurface::Design)
        map.Fall = CheckMinimumFall(g, minFall);
    return map;
}

int DepthClass(double depth)
{
    if (!(depth > 0))
        return -1;
    for (int k = 0; k < kDepthClasses - 1; ++k)
        if (depth <= kDepthLimits[k])
            return k;
    return kDepthClasses - 1;
}

int AccumulationClass(std::int32_t stakes) { return stakes < 10 ? 0 : stakes < 100 ? 1 : stakes < 1000 ? 2 : 3; }

QColor DepthColour(int k)
{
    // From a pale to a deep blue.
    static const QColor colours[kDepthClasses] = {{189, 215, 238}, {140, 188, 226}, {90, 156, 212},
                                                  {49, 120, 190},  {20, 84, 160},   {8, 48, 107}};
    return colours[std::clamp(k, 0, kDepthClasses - 1)];
}

QColor AccumulationColour(int k)
{
    // Dry ground, darker where more water runs over it.
    static const QColor colours[kAccumulationClasses] = {{246, 240, 214},
                                                         {222, 226, 170},
                                                         {180, 206, 130},
                                                         {110, 170, 90}};
    return colours[std::clamp(k, 0, kAccumulationClasses - 1)];
}

QColor StakeColour(const TDrainageMap& map, std::size_t i)
{
    const TDrainage& d = map.Result;
    if (d.Direction[i] == kNoStake)
        return kNoStakeColour;
    if (d.Direction[i] == kUndrained)
        return kUndrainedColour;
    const int depth = DepthClass(d.Depth[i]);
    return depth >= 0 ? DepthColour(depth) : AccumulationColour(AccumulationClass(d.Accumulation[i]));
}

TDrainageLayout DrainageLayout(const TDrainageMap& map)
{
    TDrainageLayout l;
    const TDrainage& d = map.Result;
    const double width = std::max(1, d.Width) * std::max(map.Lx, 1e-9);
    const double height = std::max(1, d.Height) * std::max(map.Ly, 1e-9);
    const double scale = kMapSide / std::max(width, height);  // pixels a metre
    l.CellWidth = std::clamp(int(std::floor(scale * map.Lx)), 1, kMostCell);
    l.CellHeight = std::clamp(int(std::floor(scale * map.Ly)), 1, kMostCell);
    l.ArrowStep = std::max(1, int(std::ceil(double(kArrowSpacing) / std::min(l.CellWidth, l.CellHeight))));
    const int top = kMargin + kTitleHeight + (map.Georeference ? 34 : 0);
    l.Map = QRect(kMargin, top, d.Width * l.CellWidth, d.Height * l.CellHeight);
    l.Legend = QRect(l.Map.right() + 1 + kLegendGap, top, kLegendWidth, LegendHeight(map));
    l.Size = QSize(l.Legend.right() + 1 + kMargin, std::max(l.Map.bottom(), l.Legend.bottom()) + 1 + kMargin);
    return l;
}

std::vector<std::string> DrainageFigures(const TDrainageMap& map, char sep)
{
    const TDrainage& d = map.Result;
    std::vector<std::string> lines;
    lines.push_back("Área alagável: " + Fixed(d.WetArea / 10000, 4, sep) + " ha");
    lines.push_back("Volume empoçado: " + Fixed(d.Volume, 1, sep) + " m³");
    lines.push_back("Piquetes alagados: " + std::to_string(d.WetCount));
    if (d.WetCount > 0) {
        lines.push_back("Maior lâmina: " + Fixed(d.MaxDepth, 2, sep) + " m em (" + std::to_string(d.DeepestCol) + ", "
                        + std::to_string(d.DeepestRow) + ")");
        lines.push_back("Poças: " + std::to_string(d.Ponds.size()) + "; a maior transborda a "
                        + Fixed(d.Ponds.front().Level, 2, sep) + " m");
    }
    if (d.UndrainedCount > 0)
        lines.push_back("Piquetes sem saída: " + std::to_string(d.UndrainedCount));
    if (map.Fall)
        lines.push_back("Queda abaixo de " + Fixed(map.Fall->MinFall * 100, 2, sep)
                        + " %: " + std::to_string(map.Fall->Stakes.size()) + " piquetes");
    return lines;
}

void DrawDrainageMap(QPainter& p, const TDrainageMap& map, char sep)
{
    const TDrainage& d = map.Result;
    const TDrainageLayout l = DrainageLayout(map);
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);

    // The title.
    p.setPen(Qt::black);
    p.setFont(Font(15, true));
    p.drawText(QPointF(kMargin, kMargin + 16), map.Surface == TDrainSurface::Design
                                                   ? "Mapa de Escoamento - plano"
                                                   : "Mapa de Escoamento - terreno natural");

    // The stakes: one pixel each, drawn at the cells' size.
    if (d.Width > 0 && d.Height > 0) {
        QImage cells(d.Width, d.Height, QImage::Format_RGB32);
        for (std::int32_t r = 0; r < d.Height; ++r) {
            auto* line = reinterpret_cast<QRgb*>(cells.scanLine(r));
            for (std::int32_t c = 0; c < d.Width; ++c)
                line[c] = StakeColour(map, std::size_t(r) * std::size_t(d.Width) + std::size_t(c)).rgb();
        }
        p.drawImage(QRectF(l.Map), cells);
    }
    p.setRenderHint(QPainter::Antialiasing);
    // The arrows, one every ArrowStep stakes, from the middle of the stake
    // toward the one it drains to.
    const QPen dark(QColor(60, 60, 60), 1), light(QColor(235, 235, 235), 1);
    const double arrow = 0.42 * l.ArrowStep * std::min(l.CellWidth, l.CellHeight);
    const int first = l.ArrowStep / 2;
    for (std::int32_t r = first; r < d.Height; r += l.ArrowStep)
        for (std::int32_t c = first; c < d.Width; c += l.ArrowStep) {
            const std::size_t i = std::size_t(r) * std::size_t(d.Width) + std::size_t(c);
            const int dir = d.Direction[i];
            if (dir < 0)
                continue;
            // Light over the deeper blues, where a dark arrow would not show.
            p.setPen(DepthClass(d.Depth[i]) >= 3 ? light : dark);
            const QPointF centre(l.Map.left() + (c + 0.5) * l.CellWidth, l.Map.top() + (r + 0.5) * l.CellHeight);
            QPointF way(kD8Col[dir] * double(l.CellWidth), kD8Row[dir] * double(l.CellHeight));
            way /= std::hypot(way.x(), way.y());
            DrawArrow(p, centre - way * arrow * 0.5, centre + way * arrow * 0.5);
        }
    // The outlets the user gave.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    const double dot = std::max(3.0, std::min(l.CellWidth, l.CellHeight) * 0.6);
    for (const auto& [col, row] : map.UserOutlets)
        p.drawEllipse(QPointF(l.Map.left() + (col - d.Area.FirstCol + 0.5) * l.CellWidth,
                              l.Map.top() + (row - d.Area.FirstRow + 0.5) * l.CellHeight),
                      dot / 2, dot / 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(l.Map).adjusted(-0.5, -0.5, 0.5, 0.5));

    // North, for a field that lies somewhere.
    if (map.Georeference && !d.Area.IsEmpty()) {
        const TWorldExtent world = WorldExtent(*map.Georeference, d.Area, map.Lx, map.Ly);
        const double length = 26;
        DrawNorthArrow(p, QPointF(l.Map.right() - 8, world.NorthUp ? l.Map.top() - 4 - length : l.Map.top() - 4),
                       length, world.NorthUp);
        p.setFont(Font(11));
        if (!map.CrsName.empty())
            p.drawText(QPointF(l.Map.left(), l.Map.top() - 8), Q(map.CrsName));
    }

    // The legend.
    double y = l.Legend.top();
    const double x = l.Legend.left();
    const auto heading = [&](const QString& text) {
        p.setPen(Qt::black);
        p.setFont(Font(12, true));
        p.drawText(QPointF(x, y + 12), text);
        y += kLine;
    };
    const auto entry = [&](const QColor& colour, const QString& text) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colour);
        p.drawRect(QRectF(x + 0.5, y + 2.5, kSwatch, kSwatch));
        p.setBrush(Qt::NoBrush);
        p.setFont(Font(11));
        p.drawText(QPointF(x + kSwatch + 6, y + 13), text);
        y += kLine;
    };
    heading("Lâmina d'água (m)");
    for (const TEntry& e : DepthEntries(sep))
        entry(e.Colour, e.Text);
    heading("Área de contribuição");
    for (const TEntry& e : AccumulationEntries())
        entry(e.Colour, e.Text);
    p.setFont(Font(11));
    p.drawText(QPointF(x, y + 13), "1 piquete = " + Q(FormatGeneral(map.Lx * map.Ly, 10, sep)) + " m²");
    y += kLine;
    if (d.UndrainedCount > 0)
        entry(kUndrainedColour, "sem saída de água");
    if (!map.UserOutlets.empty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(QPointF(x + kSwatch / 2.0 + 0.5, y + 8.5), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        p.drawText(QPointF(x + kSwatch + 6, y + 13), "saída de água");
        y += kLine;
    }
    p.setPen(QPen(QColor(60, 60, 60), 1));
    DrawArrow(p, QPointF(x, y + 8.5), QPointF(x + kSwatch + 2, y + 8.5));
    p.setPen(Qt::black);
    p.drawText(QPointF(x + kSwatch + 6, y + 13), "direção do escoamento");
    y += kLine * 2;
    for (const std::string& line : DrainageFigures(map, sep)) {
        p.drawText(QPointF(x, y + 13), Q(line));
        y += kLine;
    }
    p.restore();
}

QImage DrainageImage(const TDrainageMap& map, char sep)
{
    const TDrainageLayout l = DrainageLayout(map);
    QImage image(l.Size, QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(Qt::white);
    QPainter p(&image);
    DrawDrainageMap(p, map, sep);
    return image;
}

}  // namespace nivora
