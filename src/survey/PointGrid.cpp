#include "survey/PointGrid.h"

#include "data/NumberFormat.h"
#include "data/Progress.h"
#include "data/SaveOpen.h"
#include "data/GridTypes.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace nivora {

namespace {

// Exact predicates keep the triangulation valid for points nearly on a line
// or a circle; constructions (the interpolation) are plain doubles.
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<double, Kernel>;
using Tds = CGAL::Triangulation_data_structure_2<VertexBase>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, Tds>;
using Point = Kernel::Point_2;
using Face = Delaunay::Face_handle;
using Vertex = Delaunay::Vertex_handle;

constexpr double kRoundMantissas[] = {1, 2, 2.5, 5};

std::string Text(double v, char decimal) { return FormatGeneral(v, 10, decimal); }

double Sq(double x) { return x * x; }

}  // namespace

bool SpacingFits(double s)
{
    // The terrain keeps its spacings as singles and in its 6-byte real: a
    // spacing too small for either would be saved as 0, which no project
    // reader takes.
    return std::isfinite(s) && s <= kMaxGridSpacing && SpacingInRange(s);
}

bool OriginFits(double v)
{
    // The origin goes into the 6-byte real (below 1,7e38) and the stakes'
    // coordinates, up to a thousand spacings on, into singles.
    return std::isfinite(v) && std::fabs(v) <= 1e35;
}

struct TPointTriangulation::TImpl {
    Delaunay T;
    // Points are held relative to the middle of their box: survey
    // coordinates of millions of metres keep their millimetres then.
    double CE = 0;
    double CN = 0;
    double Area = 0;
};

TPointTriangulation::TPointTriangulation(const std::vector<TSurveyPoint>& points) : Impl(std::make_unique<TImpl>())
{
    if (points.size() < 3)
        throw TPointError("O arquivo tem " + std::to_string(points.size())
                          + (points.size() == 1 ? " ponto utilizável" : " pontos utilizáveis")
                          + "; são necessários ao menos três pontos que não estejam sobre uma linha.");
    MinE_ = MaxE_ = points[0].E;
    MinN_ = MaxN_ = points[0].N;
    for (const TSurveyPoint& p : points) {
        MinE_ = std::min(MinE_, p.E), MaxE_ = std::max(MaxE_, p.E);
        MinN_ = std::min(MinN_, p.N), MaxN_ = std::max(MaxN_, p.N);
    }
    Impl->CE = 0.5 * (MinE_ + MaxE_);
    Impl->CN = 0.5 * (MinN_ + MaxN_);
    std::vector<std::pair<Point, double>> input;
    input.reserve(points.size());
    for (const TSurveyPoint& p : points)
        input.emplace_back(Point(p.E - Impl->CE, p.N - Impl->CN), p.Z);
    // The range insertion sorts the points along a space-filling curve first.
    Impl->T.insert(input.begin(), input.end());
    if (Impl->T.dimension() < 2)
        throw TPointsOnALine("Os pontos estão todos sobre uma linha e não descrevem uma superfície.");
    std::vector<float> longest;
    longest.reserve(Impl->T.number_of_faces());
    for (auto f = Impl->T.finite_faces_begin(); f != Impl->T.finite_faces_end(); ++f) {
        Impl->Area += Impl->T.triangle(f).area();
        const Point& a = f->vertex(0)->point();
        const Point& b = f->vertex(1)->point();
        const Point& c = f->vertex(2)->point();
        longest.push_back(static_cast<float>(std::sqrt(
            std::max({CGAL::squared_distance(a, b), CGAL::squared_distance(b, c), CGAL::squared_distance(c, a)}))));
    }
    if (!longest.empty()) {
        const auto middle = longest.begin() + std::ptrdiff_t(longest.size() / 2);
        std::nth_element(longest.begin(), middle, longest.end());
        SurveySpacing_ = *middle;
    }
}

TPointTriangulation::~TPointTriangulation() = default;

std::size_t TPointTriangulation::PointCount() const { return Impl->T.number_of_vertices(); }
double TPointTriangulation::HullArea() const { return Impl->Area; }
double TPointTriangulation::MeanSpacing() const { return std::sqrt(Impl->Area / double(PointCount())); }

double RoundSpacing(double spacing)
{
    if (!(spacing > 0) || !std::isfinite(spacing))
        return 1;
    const double e = std::floor(std::log10(spacing));
    double best = 1, bestGap = std::numeric_limits<double>::infinity();
    for (double k = e - 1; k <= e + 1; ++k)
        for (double m : kRoundMantissas) {
            const double c = m * std::pow(10.0, k);
            const double gap = std::fabs(std::log(c / spacing));
            if (gap < bestGap)
                best = c, bestGap = gap;
        }
    return best;
}

namespace {

// Round spacings from the given one upwards.
double NextRoundSpacing(double s)
{
    const double e = std::floor(std::log10(s) + 1e-12);
    for (double k = e; k <= e + 1; ++k)
        for (double m : kRoundMantissas) {
            const double c = m * std::pow(10.0, k);
            if (c > s * (1 + 1e-12))
                return c;
        }
    return 10 * s;
}

double RoundSpacingAtLeast(double s)
{
    double c = RoundSpacing(s);
    while (c < s)
        c = NextRoundSpacing(c);
    return c;
}

double SnapDown(double v, double step) { return std::floor(v / step) * step; }

long long Stakes(double from, double to, double step)
{
    if (to < from)
        return 0;
    const double n = std::floor((to - from) / step);
    return n > 1e12 ? (long long)1e12 : (long long)n + 1;
}

}  // namespace

void SnapOrigin(const TPointTriangulation& t, TGridParams& p)
{
    p.OriginX = SnapDown(t.MinE(), p.Lx);
    p.OriginY = SnapDown(t.MinN(), p.Ly);
}

TGridSize GridSizeFor(const TPointTriangulation& t, const TGridParams& p)
{
    return {Stakes(p.OriginX, t.MaxE(), p.Lx), Stakes(p.OriginY, t.MaxN(), p.Ly)};
}

double SpacingThatFits(const TPointTriangulation& t)
{
    const double extent = std::max(t.MaxE() - t.MinE(), t.MaxN() - t.MinN());
    double s = RoundSpacingAtLeast(std::max(extent / (MaxGridSize - 1), 1e-6));
    for (int guard = 0; guard < 100; ++guard) {
        TGridParams p;
        p.Lx = p.Ly = s;
        SnapOrigin(t, p);
        const TGridSize n = GridSizeFor(t, p);
        if (n.Cols <= MaxGridSize && n.Rows <= MaxGridSize)
            break;
        s = NextRoundSpacing(s);
    }
    return s;
}

namespace {

// Up to two significant digits, rounded up: a limit the user reads at once.
double TwoDigitsUp(double v)
{
    if (!(v > 0) || !std::isfinite(v))
        return v;
    const double unit = std::pow(10.0, std::floor(std::log10(v)) - 1);
    return std::ceil(v / unit * (1 - 1e-12)) * unit;
}

}  // namespace

void SetSurveyLimits(const TPointTriangulation& t, TGridParams& p)
{
    p.MaxEdge = TwoDigitsUp(3 * t.SurveySpacing());
    p.MaxDistance = TwoDigitsUp(0.6 * p.MaxEdge);
}

TGridParams DefaultGridParams(const TPointTriangulation& t)
{
    TGridParams p;
    p.Lx = p.Ly = std::max(RoundSpacing(t.MeanSpacing()), SpacingThatFits(t));
    SnapOrigin(t, p);
    p.Method = TGridMethod::Triangulation;
    SetSurveyLimits(t, p);
    return p;
}

TGridSize CheckGridParams(const TPointTriangulation& t, const TGridParams& p, char decimal)
{
    const auto positive = [](double v) { return v > 0 && std::isfinite(v); };
    if (!SpacingFits(p.Lx) || !SpacingFits(p.Ly))
        throw TPointError("O espaçamento da grade deve ser um número positivo.");
    if (!positive(p.MaxDistance))
        throw TPointError("A distância máxima a um ponto medido deve ser um número positivo.");
    if (!(p.MaxEdge >= 0) || !std::isfinite(p.MaxEdge))
        throw TPointError("O lado máximo de um triângulo deve ser um número positivo.");
    if (!OriginFits(p.OriginX) || !OriginFits(p.OriginY))
        throw TPointError("A origem da grade contém um número inválido.");
    const TGridSize n = GridSizeFor(t, p);
    if (n.Cols == 0 || n.Rows == 0)
        throw TPointError("A origem da grade fica a leste ou ao norte de todos os pontos; nenhum piquete os alcança.");
    if (n.Cols > MaxGridSize || n.Rows > MaxGridSize) {
        // The smallest round spacing that fits from this origin.
        const double need =
            std::max((t.MaxE() - p.OriginX) / (MaxGridSize - 1), (t.MaxN() - p.OriginY) / (MaxGridSize - 1));
        double s = RoundSpacingAtLeast(need);
        while (Stakes(p.OriginX, t.MaxE(), s) > MaxGridSize || Stakes(p.OriginY, t.MaxN(), s) > MaxGridSize)
            s = NextRoundSpacing(s);
        const auto count = [](long long v) {
            return v >= 1000000000000LL ? std::string("mais de um trilhão de") : std::to_string(v);
        };
        throw TPointError("Com o espaçamento de " + Text(p.Lx, decimal) + " × " + Text(p.Ly, decimal)
                          + " m a grade teria " + count(n.Cols) + " × " + count(n.Rows)
                          + " piquetes, mais que o máximo de 1000 × 1000. Um espaçamento de " + Text(s, decimal)
                          + " m nas duas direções caberia.");
    }
    return n;
}

struct TGridder {
    static TGriddedPoints Run(const TPointTriangulation& t, const TGridParams& p, char decimal, IProgress* progress,
                              bool countOnly)
    {
        const TGridSize size = CheckGridParams(t, p, decimal);
        const Delaunay& T = t.Impl->T;
        TGriddedPoints out;
        out.Cols = static_cast<std::int32_t>(size.Cols);
        out.Rows = static_cast<std::int32_t>(size.Rows);
        if (!countOnly)
            out.Z.assign(std::size_t(out.Cols) * std::size_t(out.Rows), 0.0f);
        // The document keeps its spacings as singles: the stakes lie where
        // the document will say they do.
        const double lx = static_cast<float>(p.Lx);
        const double ly = static_cast<float>(p.Ly);
        const double x0 = p.OriginX - t.Impl->CE;
        const double y0 = p.OriginY - t.Impl->CN;
        const double maxDist2 = Sq(p.MaxDistance);
        const double maxEdge2 = p.MaxEdge > 0 ? Sq(p.MaxEdge) : std::numeric_limits<double>::infinity();
        const bool tin = p.Method == TGridMethod::Triangulation;

        Face hint;
        if (progress)
            progress->Start("Calculando as cotas dos piquetes...");
        for (std::int32_t r = 0; r < out.Rows; ++r) {
            // Row 1 is the northern one.
            const double y = y0 + ly * (out.Rows - 1 - r);
            // Rows go back and forth, so each stake starts its search in the
            // triangle of its neighbour.
            for (std::int32_t k = 0; k < out.Cols; ++k) {
                const std::int32_t c = (r % 2 == 0) ? k : out.Cols - 1 - k;
                const Point q(x0 + lx * c, y);
                Delaunay::Locate_type lt;
                int li;
                Face f = T.locate(q, lt, li, hint);
                hint = f;
                const bool inside = lt != Delaunay::OUTSIDE_CONVEX_HULL && lt != Delaunay::OUTSIDE_AFFINE_HULL;
                out.InsideCount += inside;
                if (tin && !inside)
                    continue;
                if (T.is_infinite(f)) {
                    // On the hull's edge or corner: the finite side.
                    const int inf = f->index(T.infinite_vertex());
                    f = f->neighbor(inf);
                    if (T.is_infinite(f))
                        continue;
                }
                // In a triangle with too long a side: a bay of the field.
                const Point& a = f->vertex(0)->point();
                const Point& b = f->vertex(1)->point();
                const Point& d = f->vertex(2)->point();
                const bool longSide = CGAL::squared_distance(a, b) > maxEdge2 || CGAL::squared_distance(b, d) > maxEdge2
                                      || CGAL::squared_distance(d, a) > maxEdge2;
                if (tin && longSide) {
                    ++out.EmptyByEdge;
                    continue;
                }
                const Vertex nearest = Nearest(T, q, f);
                if (CGAL::squared_distance(q, nearest->point()) > maxDist2) {
                    out.EmptyByDistance += inside;
                    continue;
                }
                double z;
                if (tin) {
                    z = Interpolate(f, q);
                } else {
                    z = nearest->info();
                }
                const float zf = static_cast<float>(z);
                if (zf == 0.0f)
                    continue;
                ++out.ValueCount;
                if (!countOnly)
                    out.Z[std::size_t(r) * std::size_t(out.Cols) + std::size_t(c)] = zf;
            }
            if (progress)
                progress->Set(r + 1, out.Rows);
        }
        return out;
    }

    // From the face's closest corner downhill along Delaunay edges: the
    // walk ends at the nearest point of all.
    static Vertex Nearest(const Delaunay& T, const Point& q, Face f)
    {
        Vertex best;
        double bestD = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 3; ++i) {
            const Vertex v = f->vertex(i);
            if (T.is_infinite(v))
                continue;
            const double d = CGAL::squared_distance(q, v->point());
            if (d < bestD)
                best = v, bestD = d;
        }
        for (bool moved = true; moved;) {
            moved = false;
            auto w = T.incident_vertices(best), done = w;
            do {
                if (!T.is_infinite(w)) {
                    const double d = CGAL::squared_distance(q, w->point());
                    if (d < bestD) {
                        best = w, bestD = d, moved = true;
                        break;
                    }
                }
            } while (++w != done);
        }
        return best;
    }

    // The plane through the triangle's three points, at q.
    static double Interpolate(Face f, const Point& q)
    {
        const Point& a = f->vertex(0)->point();
        const Point& b = f->vertex(1)->point();
        const Point& c = f->vertex(2)->point();
        const double det = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
        const double wb = ((q.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (q.y() - a.y())) / det;
        const double wc = ((b.x() - a.x()) * (q.y() - a.y()) - (q.x() - a.x()) * (b.y() - a.y())) / det;
        const double wa = 1 - wb - wc;
        const double za = f->vertex(0)->info(), zb = f->vertex(1)->info(), zc = f->vertex(2)->info();
        // Inside the triangle the plane lies between its corners' elevations;
        // the weights of a thin sliver lose their precision, so the result
        // is held to that range.
        const double z = wa * za + wb * zb + wc * zc;
        return std::clamp(std::isnan(z) ? za : z, std::min({za, zb, zc}), std::max({za, zb, zc}));
    }
};

TGriddedPoints GridPoints(const TPointTriangulation& t, const TGridParams& p, char decimal, IProgress* progress,
                          bool countOnly)
{
    return TGridder::Run(t, p, decimal, progress, countOnly);
}

}  // namespace nivora
