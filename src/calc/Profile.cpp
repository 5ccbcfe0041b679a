#include "Profile.h"

#include "calc/CalcSist.h"
#include "data/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nivora {

namespace {

// Points drawn inside each cell a line crosses, besides its crossings of the
// grid lines: enough for the bilinear surface's curve to look smooth.
constexpr int kCellSubdivisions = 4;

// A fractional column or row this close to a whole one is on that grid line.
// Stake coordinates are singles, so a stake drawn or typed at its shown
// coordinate may be a single's step away from where the spacing puts it.
long double SnapTolerance(long double shown, long double spacing)
{
    const long double floatStep = std::fabs(shown) * std::numeric_limits<float>::epsilon();
    return std::max(1e-9L, floatStep / spacing);
}

struct TCellPosition {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    long double Fc = 0;  // weight of the next column
    long double Fr = 0;  // weight of the next row
};

TCellPosition CellOf(long double col, long double row, long double tolCol, long double tolRow)
{
    const auto split = [](long double v, long double tol, std::int32_t& whole, long double& part) {
        const long double nearest = std::nearbyint(v);
        if (std::fabs(v - nearest) <= tol) {
            whole = static_cast<std::int32_t>(std::clamp(nearest, -1e9L, 1e9L));
            part = 0;
            return;
        }
        const long double f = std::floor(v);
        whole = static_cast<std::int32_t>(std::clamp(f, -1e9L, 1e9L));
        part = v - f;
    };
    TCellPosition p;
    split(col, tolCol, p.Col, p.Fc);
    split(row, tolRow, p.Row, p.Fr);
    return p;
}

class TSurfaces {
public:
    explicit TSurfaces(const TTerreno& t) : T_(t)
    {
        HasDesign_ = t.PlaneComputed() && t.ResultsValid() && !t.LastArea().IsEmpty();
        Area_ = t.LastArea();
    }
    bool HasDesign() const { return HasDesign_; }

    void Value(const TCellPosition& p, std::optional<long double>& natural, std::optional<long double>& design) const
    {
        natural.reset();
        design.reset();
        long double zn = 0, zd = 0;
        bool designed = HasDesign_;
        const long double wc[2] = {1 - p.Fc, p.Fc};
        const long double wr[2] = {1 - p.Fr, p.Fr};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                const long double w = wc[i] * wr[j];
                if (w == 0)
                    continue;
                const std::int32_t c = p.Col + i, r = p.Row + j;
                if (c < 1 || r < 1 || c > T_.ColCount() || r > T_.RowCount())
                    return;
                const float z = T_.GetCell(c, r);
                if (z == 0.0f)
                    return;
                zn += w * z;
                if (designed) {
                    if (c < Area_.FirstCol || c > Area_.LastCol || r < Area_.FirstRow || r > Area_.LastRow)
                        designed = false;
                    else
                        zd += w * T_.DesignElevation(c, r);
                }
            }
        natural = zn;
        if (designed)
            design = zd;
    }

private:
    const TTerreno& T_;
    bool HasDesign_ = false;
    TUsedRect Area_;
};

// The integral over [0, 1] of the positive and negative parts of the
// quadratic through (0, d0), (1/2, dm), (1, d1).
void QuadraticParts(long double d0, long double dm, long double d1, long double& positive, long double& negative)
{
    const long double a = 2 * d0 - 4 * dm + 2 * d1;
    const long double b = -3 * d0 + 4 * dm - d1;
    const long double c = d0;
    std::vector<long double> cuts = {0, 1};
    const auto root = [&](long double s) {
        if (s > 0 && s < 1)
            cuts.push_back(s);
    };
    const long double scale = std::max({std::fabs(d0), std::fabs(dm), std::fabs(d1)});
    if (std::fabs(a) > 1e-15L * std::max(scale, 1e-30L)) {
        const long double disc = b * b - 4 * a * c;
        if (disc > 0) {
            const long double sq = std::sqrt(disc);
            // The stable pair of roots.
            const long double q = -0.5L * (b + (b >= 0 ? sq : -sq));
            root(q / a);
            if (q != 0)
                root(c / q);
        }
    } else if (b != 0) {
        root(-c / b);
    }
    std::sort(cuts.begin(), cuts.end());
    const auto integral = [&](long double s) { return ((a / 3 * s + b / 2) * s + c) * s; };
    positive = negative = 0;
    for (std::size_t k = 1; k < cuts.size(); ++k) {
        const long double s0 = cuts[k - 1], s1 = cuts[k];
        if (s1 <= s0)
            continue;
        const long double part = integral(s1) - integral(s0);
        const long double mid = (s0 + s1) / 2;
        if ((a * mid + b) * mid + c >= 0)
            positive += std::max(part, 0.0L);
        else
            negative += std::max(-part, 0.0L);
    }
}

class TSampler {
public:
    explicit TSampler(const TTerreno& t) : T_(t), Surfaces_(t)
    {
        Lx_ = static_cast<long double>(t.Lx());
        Ly_ = static_cast<long double>(t.Ly());
    }
    bool HasDesign() const { return Surfaces_.HasDesign(); }

    TProfileSample At(const TLinePoint& shown, long double distance) const
    {
        TProfileSample s;
        s.Distance = distance;
        s.Point = shown;
        const TLinePoint g = GridPosition(T_, shown);
        Surfaces_.Value(CellOf(g.X, g.Y, SnapTolerance(shown.X, Lx_), SnapTolerance(shown.Y, Ly_)), s.Natural,
                        s.Design);
        return s;
    }

    // Samples the straight line from a to b, its first point at distance
    // `start`, appending to `out` (without a repeated first point when `out`
    // already ends there); adds the cut and fill areas between the two
    // surfaces under it.
    void Line(const TLinePoint& a, const TLinePoint& b, long double start, std::vector<TProfileSample>& out,
              long double& cutArea, long double& fillArea, long double* covered = nullptr) const
    {
        const long double length = std::hypot(b.X - a.X, b.Y - a.Y);
        const TLinePoint ga = GridPosition(T_, a), gb = GridPosition(T_, b);
        // The fractions of the line where it crosses a grid line.
        std::vector<long double> breaks = {0, 1};
        const auto crossings = [&](long double from, long double to, std::int32_t stakes) {
            if (from == to)
                return;
            const long double lo = std::min(from, to), hi = std::max(from, to);
            // Only the grid's own lines: outside it there is nothing to value.
            const long double first = std::max(std::ceil(lo), 1.0L);
            const long double last = std::min(std::floor(hi), static_cast<long double>(stakes));
            for (long double k = first; k <= last; ++k) {
                const long double f = (k - from) / (to - from);
                if (f > 0 && f < 1)
                    breaks.push_back(f);
            }
        };
        crossings(ga.X, gb.X, T_.ColCount());
        crossings(ga.Y, gb.Y, T_.RowCount());
        std::sort(breaks.begin(), breaks.end());
        breaks.erase(std::unique(breaks.begin(), breaks.end(),
                                 [&](long double p, long double q) { return (q - p) * length < 1e-9L; }),
                     breaks.end());
        if (breaks.back() != 1)
            breaks.back() = 1;
        const auto point = [&](long double f) { return TLinePoint{a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f}; };
        const auto sample = [&](long double f) { return At(point(f), start + length * f); };

        TProfileSample previous = sample(0);
        if (out.empty() || out.back().Point != a)
            out.push_back(previous);
        for (std::size_t k = 1; k < breaks.size(); ++k) {
            const long double f0 = breaks[k - 1], f1 = breaks[k];
            std::vector<TProfileSample> inner;
            for (int i = 1; i < kCellSubdivisions; ++i)
                inner.push_back(sample(f0 + (f1 - f0) * i / kCellSubdivisions));
            const TProfileSample next = sample(f1);
            // The middle of the piece: the second of three inner points.
            const TProfileSample& mid = inner[kCellSubdivisions / 2 - 1];
            const auto d0 = previous.CutFill(), dm = mid.CutFill(), d1 = next.CutFill();
            if (d0 && dm && d1) {
                long double fill = 0, cut = 0;
                QuadraticParts(*d0, *dm, *d1, fill, cut);
                const long double piece = length * (f1 - f0);
                fillArea += fill * piece;
                cutArea += cut * piece;
                if (covered)
                    *covered += piece;
            }
            out.insert(out.end(), inner.begin(), inner.end());
            out.push_back(next);
            previous = next;
        }
    }

private:
    const TTerreno& T_;
    TSurfaces Surfaces_;
    long double Lx_ = 1, Ly_ = 1;
};

// How many pieces the grid's lines cut the straight line from a to b into.
long double PieceCount(const TTerreno& t, const TLinePoint& a, const TLinePoint& b)
{
    const TLinePoint ga = GridPosition(t, a), gb = GridPosition(t, b);
    const auto lines = [](long double from, long double to, std::int32_t stakes) {
        const long double first = std::max(std::ceil(std::min(from, to)), 1.0L);
        const long double last = std::min(std::floor(std::max(from, to)), static_cast<long double>(stakes));
        return std::max(last - first + 1, 0.0L);
    };
    return 1 + lines(ga.X, gb.X, t.ColCount()) + lines(ga.Y, gb.Y, t.RowCount());
}

bool Finite(const TLinePoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

// The distances start, start + step, ... below `length`, then `length`.
std::vector<long double> Marks(long double length, long double step, std::size_t most, const char* what)
{
    const long double count = std::floor(length / step);
    if (count + 2 > static_cast<long double>(most))
        throw TProfileError(std::string("O espaçamento das ") + what + " é pequeno demais para uma linha de "
                            + FormatShortest(static_cast<double>(length), ',') + " m.");
    std::vector<long double> marks;
    for (long double k = 0; k <= count; ++k) {
        const long double d = k * step;
        if (length - d > 1e-9L * std::max(length, 1.0L))
            marks.push_back(d);
    }
    marks.push_back(length);
    return marks;
}

}  // namespace

TLinePoint GridPosition(const TTerreno& t, const TLinePoint& p)
{
    const long double lx = static_cast<long double>(t.Lx()), ly = static_cast<long double>(t.Ly());
    if (const auto& geo = t.Extension().Georeference) {
        const long double down = geo->RowsRunSouth ? geo->CornerNorthing - p.Y : p.Y - geo->CornerNorthing;
        return {1 + (p.X - geo->CornerEasting) / lx, 1 + down / ly};
    }
    return {1 + (p.X - static_cast<long double>(t.OriginX())) / lx,
            1 + (p.Y - static_cast<long double>(t.OriginY())) / ly};
}

TLinePoint ShownPosition(const TTerreno& t, long double column, long double row)
{
    const long double lx = static_cast<long double>(t.Lx()), ly = static_cast<long double>(t.Ly());
    if (const auto& geo = t.Extension().Georeference) {
        const long double down = (row - 1) * ly;
        return {geo->CornerEasting + (column - 1) * lx,
                geo->RowsRunSouth ? geo->CornerNorthing - down : geo->CornerNorthing + down};
    }
    return {static_cast<long double>(t.OriginX()) + (column - 1) * lx,
            static_cast<long double>(t.OriginY()) + (row - 1) * ly};
}

TProfile ComputeProfile(const TTerreno& t, std::span<const TLinePoint> vertices, const TProfileOptions& o)
{
    if (vertices.size() > kMaxProfileVertices)
        throw TProfileError("A linha do perfil tem pontos demais.");
    std::vector<TLinePoint> line;
    for (const TLinePoint& p : vertices) {
        if (!Finite(p))
            throw TProfileError("A linha do perfil tem uma coordenada que não é um número.");
        if (line.empty() || line.back() != p)
            line.push_back(p);
    }
    if (line.size() < 2)
        throw TProfileError("O perfil precisa de uma linha com dois pontos distintos.");
    const auto positive = [](long double v) { return std::isfinite(v) && v > 0; };
    if (!positive(o.StationStep) || !(o.SectionStep == 0 || positive(o.SectionStep))
        || (o.SectionStep > 0 && !positive(o.SectionWidth)))
        throw TProfileError("Os espaçamentos e a largura das seções devem ser positivos.");

    long double pieces = 0;
    for (std::size_t k = 1; k < line.size(); ++k)
        pieces += PieceCount(t, line[k - 1], line[k]);
    if (pieces > static_cast<long double>(kMaxPieces))
        throw TProfileError(
            "A linha do perfil cruza a grade vezes demais; use uma linha mais curta ou com menos pontos.");

    const TSampler sampler(t);
    TProfile p;
    p.HasDesign = sampler.HasDesign();
    for (std::size_t k = 1; k < line.size(); ++k) {
        TProfileLeg leg;
        leg.Start = p.Length;
        leg.Length = std::hypot(line[k].X - line[k - 1].X, line[k].Y - line[k - 1].Y);
        const std::size_t first = p.Samples.size() == 0 ? 0 : p.Samples.size() - 1;
        sampler.Line(line[k - 1], line[k], p.Length, p.Samples, p.CutArea, p.FillArea);
        const TProfileSample* a = nullptr;
        const TProfileSample* b = nullptr;
        for (std::size_t i = first; i < p.Samples.size(); ++i)
            if (p.Samples[i].Design) {
                if (!a)
                    a = &p.Samples[i];
                b = &p.Samples[i];
            }
        if (a && b && b->Distance > a->Distance)
            leg.DesignSlope = (*b->Design - *a->Design) / (b->Distance - a->Distance);
        p.Legs.push_back(leg);
        p.Length += leg.Length;
    }

    // Where distance d lies: the leg (the later one at a vertex) and the point.
    const auto locate = [&](long double d, TLinePoint& point, std::size_t& legIndex) {
        legIndex = p.Legs.size() - 1;
        for (std::size_t k = 0; k + 1 < p.Legs.size(); ++k)
            if (d < p.Legs[k + 1].Start) {
                legIndex = k;
                break;
            }
        const TProfileLeg& leg = p.Legs[legIndex];
        const long double f = leg.Length > 0 ? std::clamp((d - leg.Start) / leg.Length, 0.0L, 1.0L) : 0;
        const TLinePoint& a = line[legIndex];
        const TLinePoint& b = line[legIndex + 1];
        point = {a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f};
    };

    for (const long double d : Marks(p.Length, o.StationStep, kMaxStations, "estacas")) {
        TLinePoint point;
        std::size_t leg = 0;
        locate(d, point, leg);
        p.Stations.push_back(sampler.At(point, d));
    }

    if (o.SectionStep > 0) {
        const std::vector<long double> marks = Marks(p.Length, o.SectionStep, kMaxSections, "seções");
        // A section crosses at most as many grid lines as its width spans
        // along either axis.
        const long double spacingX = static_cast<long double>(t.Lx()), spacingY = static_cast<long double>(t.Ly());
        const long double perSection =
            1 + std::min(o.SectionWidth / spacingX + 1, static_cast<long double>(t.ColCount()))
            + std::min(o.SectionWidth / spacingY + 1, static_cast<long double>(t.RowCount()));
        if (perSection * static_cast<long double>(marks.size()) > static_cast<long double>(kMaxPieces))
            throw TProfileError(
                "Seções demais, ou largas demais, para esta grade: aumente o espaçamento ou diminua a "
                "largura das seções.");
        for (const long double d : marks) {
            TSection s;
            s.Distance = d;
            std::size_t leg = 0;
            locate(d, s.Point, leg);
            const TLinePoint& a = line[leg];
            const TLinePoint& b = line[leg + 1];
            // Left and right as seen on the maps, which draw the first row at
            // the top whatever way the shown Y runs: the direction in metres
            // across columns and down rows, turned a quarter clockwise.
            const long double lx = static_cast<long double>(t.Lx()), ly = static_cast<long double>(t.Ly());
            const TLinePoint ga = GridPosition(t, a), gb = GridPosition(t, b), gs = GridPosition(t, s.Point);
            const long double ex = (gb.X - ga.X) * lx, ey = (gb.Y - ga.Y) * ly;
            const long double len = std::hypot(ex, ey);
            const long double half = o.SectionWidth / 2;
            const long double rc = -ey / len * half / lx, rr = ex / len * half / ly;
            const TLinePoint left = ShownPosition(t, gs.X - rc, gs.Y - rr);
            const TLinePoint right = ShownPosition(t, gs.X + rc, gs.Y + rr);
            sampler.Line(left, right, 0, s.Samples, s.CutArea, s.FillArea, &s.Covered);
            if (!p.Sections.empty()) {
                const TSection& prev = p.Sections.back();
                TSectionVolume v{prev.Distance, d, (prev.CutArea + s.CutArea) / 2 * (d - prev.Distance),
                                 (prev.FillArea + s.FillArea) / 2 * (d - prev.Distance)};
                p.CutVolume += v.CutVolume;
                p.FillVolume += v.FillVolume;
                p.Volumes.push_back(v);
            }
            p.Sections.push_back(std::move(s));
        }
    }
    return p;
}

std::string ProfileCsv(const TProfile& p, int decimals, char sep)
{
    const char fieldSep = sep == ',' ? ';' : ',';
    std::string out = "\xEF\xBB\xBF";
    const auto row = [&](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += fieldSep;
            out += fields[i];
        }
        out += "\r\n";
    };
    const auto fixed = [&](long double v, int d) { return FormatFixed(static_cast<double>(v), d, 15, sep); };
    const auto maybe = [&](const std::optional<long double>& v) { return v ? fixed(*v, decimals) : std::string(); };
    row({"Distância (m)", "X", "Y", "Cota natural (m)", "Cota de projeto (m)", "Corte/Aterro (m)"});
    for (const TProfileSample& s : p.Stations)
        row({fixed(s.Distance, 2), fixed(s.Point.X, 3), fixed(s.Point.Y, 3), maybe(s.Natural), maybe(s.Design),
             maybe(s.CutFill())});
    if (!p.Sections.empty()) {
        out += "\r\n";
        row({"Seção em (m)", "Área de corte (m²)", "Área de aterro (m²)", "Volume de corte (m³)",
             "Volume de aterro (m³)"});
        for (std::size_t k = 0; k < p.Sections.size(); ++k) {
            const TSection& s = p.Sections[k];
            const bool first = k == 0;
            row({fixed(s.Distance, 2), fixed(s.CutArea, 2), fixed(s.FillArea, 2),
                 first ? std::string() : fixed(p.Volumes[k - 1].CutVolume, 2),
                 first ? std::string() : fixed(p.Volumes[k - 1].FillVolume, 2)});
        }
        row({"Total", "", "", fixed(p.CutVolume, 2), fixed(p.FillVolume, 2)});
    }
    return out;
}

}  // namespace nivora
