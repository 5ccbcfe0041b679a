#include "MapGeometry.h"

#include "calc/CalcSist.h"
#include "contour/AreaOutline.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nivora {

namespace {

constexpr std::int32_t kExtent = 10000;
constexpr std::int32_t kLeftMargin = 1000, kRightMargin = 500;
constexpr std::int32_t kTopMargin = 666, kBottomMargin = 500;
constexpr std::int32_t kMarginsX = kLeftMargin + kRightMargin;
constexpr std::int32_t kMarginsY = kTopMargin + kBottomMargin;

// To the nearest integer, halves to even: adding 2^63 leaves no fraction bits
// in the extended significand, so the addition itself rounds (in the default
// rounding mode). Inline, where the library call costs as much as the rest of
// the transform; map values are far inside the range where this holds.
std::int32_t RoundEven(long double v)
{
    static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended precision expected");
    constexpr long double kShift = 0x1p63L;
    const long double r = v >= 0 ? (v + kShift) - kShift : -((kShift - v) - kShift);
    // Through double: an extended-to-integer conversion switches the x87
    // rounding mode, the double one does not.
    return static_cast<std::int32_t>(static_cast<double>(r));
}

}  // namespace

std::int32_t TMapGeometry::MapX(float x) const
{
    return RoundEven((static_cast<long double>(x) - XMin) * ScaleX) + kLeftMargin;
}

std::int32_t TMapGeometry::MapY(float y) const
{
    return RoundEven((static_cast<long double>(y) - YMin) * ScaleY) + kTopMargin;
}

TMapTransform TMapGeometry::Transform() const
{
    return {[g = *this](float x) { return g.MapX(x); }, [g = *this](float y) { return g.MapY(y); }};
}

TMapGeometry MapGeometry(float x0, float y0, float x1, float y1)
{
    TMapGeometry g;
    g.XMin = std::min(x0, x1);
    g.YMin = std::min(y0, y1);
    g.XMax = std::max(x0, x1);
    g.YMax = std::max(y0, y1);
    g.Width = static_cast<long double>(g.XMax) - g.XMin;
    g.Height = static_cast<long double>(g.YMax) - g.YMin;
    const long double width = g.Width, height = g.Height;
    if (width > height) {
        g.W = kExtent;
        g.H = RoundEven(kExtent * height / width);
        // Too flat for the margins: the area is drawn at the scale of its
        // width on both axes.
        g.Narrow = g.H <= kMarginsY;
        if (g.Narrow)
            g.H = kMarginsY + std::max(1, RoundEven((kExtent - kMarginsX) * height / width));
    } else {
        g.H = kExtent;
        g.W = RoundEven(kExtent * width / height);
        g.Narrow = g.W <= kMarginsX;
        if (g.Narrow)
            g.W = kMarginsX + std::max(1, RoundEven((kExtent - kMarginsY) * width / height));
    }
    g.ScaleX = static_cast<float>((g.W - kMarginsX) / width);
    g.ScaleY = static_cast<float>((g.H - kMarginsY) / height);
    return g;
}

TMapGeometry MapGeometry(const TTerreno& t, const TUsedRect& area)
{
    const long double lx = t.Lx(), ly = t.Ly();
    return MapGeometry(static_cast<float>(t.StakeX(area.FirstCol) - lx / 2),
                       static_cast<float>(t.StakeY(area.FirstRow) - ly / 2),
                       static_cast<float>(t.StakeX(area.LastCol) + lx / 2),
                       static_cast<float>(t.StakeY(area.LastRow) + ly / 2));
}

namespace {

std::vector<TPoint> NodePoints(const TTerreno& t, const std::vector<TNode>& nodes, const TMapGeometry& g)
{
    const long double lx = t.Lx(), ly = t.Ly();
    std::vector<TPoint> points;
    points.reserve(nodes.size());
    for (const TNode& n : nodes)
        points.push_back({g.MapX(static_cast<float>(t.StakeX(n.Col) - lx / 2)),
                          g.MapY(static_cast<float>(t.StakeY(n.Row) - ly / 2))});
    return points;
}

}  // namespace

std::vector<TPoint> OutlinePoints(const TTerreno& t, const TUsedRect& area, const TMapGeometry& g)
{
    return NodePoints(t, TraceOutline(t, area), g);
}

std::vector<std::vector<TPoint>> OutlinesPoints(const TTerreno& t, const TUsedRect& area, const TMapGeometry& g)
{
    std::vector<std::vector<TPoint>> frames;
    for (const std::vector<TNode>& nodes : TraceOutlines(t, area))
        frames.push_back(NodePoints(t, nodes, g));
    return frames;
}

double TickStep(double range, int most)
{
    if (!(range > 0) || !std::isfinite(range) || most < 1)
        return 0;
    double base = std::pow(10.0, std::floor(std::log10(range / most)));
    for (;;) {
        for (const double m : {1.0, 2.0, 5.0})
            if (range / (m * base) <= most * (1 + 1e-12))
                return m * base;
        base *= 10;
    }
}

std::vector<double> TickValues(double from, double to, double step)
{
    std::vector<double> values;
    if (!(step > 0) || !std::isfinite(from) || !std::isfinite(to))
        return values;
    const double lo = std::min(from, to), hi = std::max(from, to);
    // Decimals of the step: a value is its multiple rounded to them, so that
    // 0.1 steps read 0.3 and not 0.30000000000000004.
    const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
    const double unit = std::pow(10.0, decimals);
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9 && values.size() < 1000; ++k)
        values.push_back(std::nearbyint(k * step * unit) / unit);
    return values;
}

TWorldExtent WorldExtent(const TGeoreference& geo, const TUsedRect& area, double lx, double ly)
{
    TWorldExtent w;
    w.WestEasting = geo.Easting(area.FirstCol, lx) - lx / 2;
    w.EastEasting = geo.Easting(area.LastCol, lx) + lx / 2;
    w.NorthUp = geo.RowsRunSouth;
    // Rows run south: the first row is the northernmost, its edge half a
    // spacing north of it.
    const double half = geo.RowsRunSouth ? ly / 2 : -ly / 2;
    w.TopNorthing = geo.Northing(area.FirstRow, ly) + half;
    w.BottomNorthing = geo.Northing(area.LastRow, ly) - half;
    return w;
}

}  // namespace nivora
