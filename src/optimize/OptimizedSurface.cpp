#include "optimize/OptimizedSurface.h"

#include "calc/CalcSist.h"
#include "data/DesignSurface.h"
#include "data/NumberFormat.h"
#include "data/Progress.h"
#include "optimize/SurfaceLp.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <map>
#include <numbers>

namespace nivora {

namespace {

constexpr std::int32_t kNodeBudget = 40000;
constexpr double kInf = std::numeric_limits<double>::infinity();

// The nodes along one side of the field and where each stake falls between
// two of them: the lower node and the weight of the upper one.
struct TAxis {
    std::vector<std::int32_t> Nodes;  // stake offsets from the first stake
    std::vector<std::int32_t> Lower;  // per stake: index of the node at or before it
    std::vector<long double> Upper;   // per stake: weight of the node after it

    TAxis(std::int32_t count, std::int32_t step)
    {
        for (std::int32_t x = 0; x < count - 1; x += step)
            Nodes.push_back(x);
        Nodes.push_back(count - 1);
        Lower.resize(std::size_t(count));
        Upper.resize(std::size_t(count));
        std::size_t k = 0;
        for (std::int32_t x = 0; x < count; ++x) {
            while (k + 2 < Nodes.size() && Nodes[k + 1] <= x)
                ++k;
            Lower[std::size_t(x)] = std::int32_t(k);
            if (Nodes.size() == 1) {
                Upper[std::size_t(x)] = 0;
                continue;
            }
            Upper[std::size_t(x)] =
                static_cast<long double>(x - Nodes[k]) / static_cast<long double>(Nodes[k + 1] - Nodes[k]);
        }
    }
    std::int32_t Size() const { return std::int32_t(Nodes.size()); }
    // The node after the stake's lower one (the lower itself on a side of one node).
    std::int32_t UpperNode(std::int32_t lower) const { return std::min(lower + 1, Size() - 1); }
};

// Calls f(node, weight) for the (up to) four nodes a stake is interpolated
// from, skipping zero weights.
template <class F>
void ForStakeNodes(const TAxis& ax, const TAxis& ay, std::int32_t x, std::int32_t y, F&& f)
{
    const std::int32_t kx = ax.Lower[std::size_t(x)], ky = ay.Lower[std::size_t(y)];
    const long double tx = ax.Upper[std::size_t(x)], ty = ay.Upper[std::size_t(y)];
    const std::int32_t nx = ax.Size();
    const long double wx[2] = {1 - tx, tx}, wy[2] = {1 - ty, ty};
    const std::int32_t ix[2] = {kx, ax.UpperNode(kx)}, iy[2] = {ky, ay.UpperNode(ky)};
    for (int b = 0; b < 2; ++b)
        for (int a = 0; a < 2; ++a)
            if (const long double w = wx[a] * wy[b]; w > 0)
                f(iy[b] * nx + ix[a], w);
}

long double Seconds(std::clock_t from) { return static_cast<long double>(std::clock() - from) / CLOCKS_PER_SEC; }

}  // namespace

TSurfaceField FieldOfSelection(const TTerreno& t)
{
    TSurfaceField field;
    const TUsedRect sel = t.GetSelection();
    const std::int32_t firstCol = std::max(sel.FirstCol, 1), lastCol = std::min(sel.LastCol, t.ColCount());
    const std::int32_t firstRow = std::max(sel.FirstRow, 1), lastRow = std::min(sel.LastRow, t.RowCount());
    field.Lx = t.Lx();
    field.Ly = t.Ly();
    if (firstCol > lastCol || firstRow > lastRow)
        return field;
    field.FirstCol = firstCol;
    field.FirstRow = firstRow;
    field.Cols = lastCol - firstCol + 1;
    field.Rows = lastRow - firstRow + 1;
    field.Z.reserve(std::size_t(field.Cols) * std::size_t(field.Rows));
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const float* row = t.RowData(r);
        field.Z.insert(field.Z.end(), row + (firstCol - 1), row + lastCol);
    }
    return field;
}

std::int32_t NodesAlong(std::int32_t count, std::int32_t step)
{
    if (count <= 1)
        return 1;
    return (count - 1) / step + 1 + ((count - 1) % step != 0 ? 1 : 0);
}

std::int32_t DefaultStep(std::int32_t cols, std::int32_t rows)
{
    for (std::int32_t k = 1;; ++k)
        if (std::int64_t(NodesAlong(cols, k)) * NodesAlong(rows, k) <= kNodeBudget || (k >= cols && k >= rows))
            return k;
}

std::string CheckSurfaceOptions(const TSurfaceField& field, const TSurfaceOptions& o)
{
    if (const std::string why = CheckSlopeLimits(o.Limits); !why.empty())
        return why;
    if (o.Limits.MinFall > 0)
        return "A superfície otimizada não aceita queda mínima; limite a declividade principal.";
    if (!(o.Ratio >= kMinRatio && o.Ratio <= kMaxRatio))
        return "A relação corte/aterro deve estar entre 0,01 e 100.";
    if (o.Step < 0)
        return "O passo da malha de projeto deve ser um número inteiro positivo.";
    for (const auto& depth : {o.MaxCut, o.MaxFill})
        if (depth && !(*depth >= 0))
            return "A profundidade máxima de corte ou de aterro não pode ser negativa.";
    if (o.MinElevation && o.MaxElevation && *o.MinElevation > *o.MaxElevation)
        return "A cota mínima do projeto é maior que a máxima.";
    if (o.Limits.Bearing && (field.Cols < 2 || field.Rows < 2))
        return "Com direção principal, o terreno precisa de ao menos duas linhas e duas colunas de estacas.";
    for (const TFixedStake& s : o.Fixed) {
        const bool inside = s.Col >= field.FirstCol && s.Col < field.FirstCol + field.Cols && s.Row >= field.FirstRow
                            && s.Row < field.FirstRow + field.Rows;
        if (!inside || field.At(s.Col, s.Row) == 0.0f)
            return "A estaca fixada na coluna " + std::to_string(s.Col) + ", linha " + std::to_string(s.Row)
                   + " não tem cota na área do projeto.";
    }
    return {};
}

TSurfaceVolumes SurfaceVolumes(const TSurfaceField& field, const std::vector<double>& design, long double shift)
{
    TSurfaceVolumes v;
    long double cut = 0, fill = 0;
    for (std::size_t i = 0; i < field.Z.size(); ++i) {
        const float z = field.Z[i];
        if (z == 0.0f)
            continue;
        const long double d = OnPlane(static_cast<long double>(z) - (design[i] + shift));
        if (d > 0) {
            cut += d;
            ++v.CutCount;
            v.MaxCut = std::max(v.MaxCut, d);
        } else {
            fill -= d;
            ++v.FillCount;
            v.MaxFill = std::max(v.MaxFill, -d);
        }
    }
    const long double area = field.Lx * field.Ly;
    v.Cut = cut * area;
    v.Fill = fill * area;
    return v;
}

std::optional<long double> RatioShift(const TSurfaceField& field, const std::vector<double>& design, long double ratio,
                                      const TEarthBalance& balance)
{
    // With d the depth of cut of a stake (natural less design) and m the
    // stakes whose d lies at or below the shift s, the balance
    //   A sum(d - s, d > s) - E + I = R (A sum(s - d, d <= s) - Ic)
    // is linear in s between two neighbouring depths: the one segment whose
    // root lies inside it holds the shift (the left side falls, the right
    // rises with s).
    std::vector<long double> d;
    for (std::size_t i = 0; i < field.Z.size(); ++i)
        if (field.Z[i] != 0.0f)
            d.push_back(static_cast<long double>(field.Z[i]) - design[i]);
    if (d.empty() || !(ratio > 0))
        return std::nullopt;
    std::sort(d.begin(), d.end());
    const std::size_t n = d.size();
    long double total = 0;
    for (const long double x : d)
        total += x;
    const long double area = field.Lx * field.Ly;
    const long double rest = (balance.Export - balance.Import - ratio * balance.ImportCompacted) / area;
    long double below = 0;  // sum of d over the m lowest
    for (std::size_t m = 0; m <= n; ++m) {
        const long double s = ((total - below) + ratio * below - rest)
                              / (static_cast<long double>(n - m) + ratio * static_cast<long double>(m));
        const bool aboveLow = m == 0 || s >= d[m - 1];
        const bool belowHigh = m == n || s <= d[m];
        if (aboveLow && belowHigh)
            return s;
        if (m < n)
            below += d[m];
    }
    return std::nullopt;
}

TSurfaceResult OptimizeSurface(const TSurfaceField& field, const TSurfaceOptions& o, IProgress* progress,
                               const std::atomic<bool>* cancel)
{
    const std::clock_t started = std::clock();
    TSurfaceResult out;
    std::size_t stakes = 0;
    for (const float z : field.Z)
        stakes += z != 0.0f;
    if (stakes < 2 || field.Cols < 1 || field.Rows < 1) {
        out.Status = TSurfaceStatus::NoStakes;
        out.Message = kNoElevationsMessage;
        return out;
    }
    if (std::string why = CheckSurfaceOptions(field, o); !why.empty()) {
        out.Status = TSurfaceStatus::BadOptions;
        out.Message = std::move(why);
        return out;
    }
    if (progress)
        progress->Start("Montando a superfície otimizada.");

    const std::int32_t step = o.Step > 0 ? o.Step : DefaultStep(field.Cols, field.Rows);
    out.Step = step;
    const TAxis ax(field.Cols, step), ay(field.Rows, step);
    const std::int32_t nx = ax.Size(), ny = ay.Size();
    const std::size_t nodes = std::size_t(nx) * std::size_t(ny);

    // Each stake's area goes to the nodes around it with its bilinear
    // weights, and so does its elevation (weighted by that area).
    std::vector<long double> weight(nodes, 0), zSum(nodes, 0);
    for (std::int32_t y = 0; y < field.Rows; ++y)
        for (std::int32_t x = 0; x < field.Cols; ++x)
            if (const float z = field.Z[std::size_t(y) * std::size_t(field.Cols) + std::size_t(x)]; z != 0.0f)
                ForStakeNodes(ax, ay, x, y, [&](std::int32_t n, long double w) {
                    weight[std::size_t(n)] += w;
                    zSum[std::size_t(n)] += w * z;
                });
    // The programme's columns: a cut and a fill for each node with area.
    std::vector<std::int32_t> column(nodes, -1);
    std::vector<long double> zNode(nodes, 0);
    std::int32_t active = 0;
    for (std::size_t n = 0; n < nodes; ++n)
        if (weight[n] > 0) {
            column[n] = active++;
            zNode[n] = zSum[n] / weight[n];
        }
    out.NodeCount = active;

    TLinearProgramme lp;
    lp.ColLower.assign(std::size_t(2 * active), 0);
    lp.ColUpper.assign(std::size_t(2 * active), kInf);
    lp.Objective.assign(std::size_t(2 * active), 0);
    // Minimise the cut, or the fill for a ratio below one (mirrored): either
    // way the other follows from the balance row, tight at the optimum.
    const bool mirrored = o.Ratio < 1;
    for (std::size_t n = 0; n < nodes; ++n)
        if (const std::int32_t c = column[n]; c >= 0) {
            lp.Objective[std::size_t(2 * c + (mirrored ? 1 : 0))] = static_cast<double>(weight[n]);
            if (o.MaxCut)
                lp.ColUpper[std::size_t(2 * c)] = static_cast<double>(*o.MaxCut);
            if (o.MaxFill)
                lp.ColUpper[std::size_t(2 * c + 1)] = static_cast<double>(*o.MaxFill);
        }

    // A row on design elevations, sum k_n h_n in [lo, hi]: h_n = z_n - c_n + f_n
    // puts the natural part on the bounds.
    std::vector<std::pair<std::int32_t, long double>> terms;
    const auto addDesignRow = [&](std::optional<long double> lo, std::optional<long double> hi) {
        std::vector<std::pair<std::int32_t, long double>> given;
        given.swap(terms);
        std::sort(given.begin(), given.end());
        std::vector<std::pair<std::int32_t, long double>> merged;
        for (const auto& t : given)
            if (!merged.empty() && merged.back().first == t.first)
                merged.back().second += t.second;
            else
                merged.push_back(t);
        long double natural = 0;
        std::size_t first = lp.Index.size();
        for (const auto& [n, k] : merged) {
            if (std::fabs(k) < 1e-12L)
                continue;
            natural += k * zNode[std::size_t(n)];
            const std::int32_t c = column[std::size_t(n)];
            lp.Index.push_back(2 * c);
            lp.Value.push_back(static_cast<double>(-k));
            lp.Index.push_back(2 * c + 1);
            lp.Value.push_back(static_cast<double>(k));
        }
        if (lp.Index.size() == first)
            return;
        lp.RowStart.push_back(std::int64_t(lp.Index.size()));
        lp.RowLower.push_back(lo ? static_cast<double>(*lo - natural) : -kInf);
        lp.RowUpper.push_back(hi ? static_cast<double>(*hi - natural) : kInf);
    };
    lp.RowStart.push_back(0);
    const auto node = [&](std::int32_t kx, std::int32_t ky) { return ky * nx + kx; };
    const auto isActive = [&](std::int32_t n) { return column[std::size_t(n)] >= 0; };
    const auto scaled = [](const std::optional<long double>& v, long double by) {
        return v ? std::optional<long double>(*v * by) : std::nullopt;
    };
    const TSlopeRange& main = o.Limits.Main;
    const TSlopeRange& cross = o.Limits.Cross;
    const auto limited = [](const TSlopeRange& r) { return r.Min || r.Max; };
    if (!o.Limits.Bearing) {
        // Neighbouring nodes along X and along Y, in metres of height.
        if (limited(main))
            for (std::int32_t ky = 0; ky < ny; ++ky)
                for (std::int32_t kx = 0; kx + 1 < nx; ++kx) {
                    const std::int32_t a = node(kx, ky), b = node(kx + 1, ky);
                    if (!isActive(a) || !isActive(b))
                        continue;
                    const long double length = field.Lx * (ax.Nodes[std::size_t(kx + 1)] - ax.Nodes[std::size_t(kx)]);
                    terms = {{b, 1.0L}, {a, -1.0L}};
                    addDesignRow(scaled(main.Min, length), scaled(main.Max, length));
                }
        if (limited(cross))
            for (std::int32_t ky = 0; ky + 1 < ny; ++ky)
                for (std::int32_t kx = 0; kx < nx; ++kx) {
                    const std::int32_t a = node(kx, ky), b = node(kx, ky + 1);
                    if (!isActive(a) || !isActive(b))
                        continue;
                    const long double length = field.Ly * (ay.Nodes[std::size_t(ky + 1)] - ay.Nodes[std::size_t(ky)]);
                    terms = {{b, 1.0L}, {a, -1.0L}};
                    addDesignRow(scaled(cross.Min, length), scaled(cross.Max, length));
                }
    } else {
        // Each cell's four corners: the X edge through the corner's row and
        // the Y edge through its column give the gradient there; the slopes
        // along and across the bearing are held at each, in metres over the
        // cell's X side.
        const long double angle = *o.Limits.Bearing * std::numbers::pi_v<long double> / 180;
        const long double cs = std::cos(angle), sn = std::sin(angle);
        for (std::int32_t ky = 0; ky + 1 < ny; ++ky)
            for (std::int32_t kx = 0; kx + 1 < nx; ++kx) {
                const long double wx = field.Lx * (ax.Nodes[std::size_t(kx + 1)] - ax.Nodes[std::size_t(kx)]);
                const long double wy = field.Ly * (ay.Nodes[std::size_t(ky + 1)] - ay.Nodes[std::size_t(ky)]);
                for (int b = 0; b < 2; ++b)
                    for (int a = 0; a < 2; ++a) {
                        const std::int32_t x0 = node(kx, ky + b), x1 = node(kx + 1, ky + b);
                        const std::int32_t y0 = node(kx + a, ky), y1 = node(kx + a, ky + 1);
                        if (!isActive(x0) || !isActive(x1) || !isActive(y0) || !isActive(y1))
                            continue;
                        // gx wx = h(x1) - h(x0); gy wx = (h(y1) - h(y0)) wx / wy.
                        const long double r = wx / wy;
                        if (limited(main)) {
                            terms = {{x1, cs}, {x0, -cs}, {y1, sn * r}, {y0, -sn * r}};
                            addDesignRow(scaled(main.Min, wx), scaled(main.Max, wx));
                        }
                        if (limited(cross)) {
                            terms = {{x1, -sn}, {x0, sn}, {y1, cs * r}, {y0, -cs * r}};
                            addDesignRow(scaled(cross.Min, wx), scaled(cross.Max, wx));
                        }
                    }
            }
    }
    if (o.MinElevation || o.MaxElevation)
        for (std::int32_t n = 0; n < std::int32_t(nodes); ++n)
            if (isActive(n)) {
                terms = {{n, 1.0L}};
                addDesignRow(o.MinElevation, o.MaxElevation);
            }
    for (const TFixedStake& s : o.Fixed) {
        ForStakeNodes(ax, ay, s.Col - field.FirstCol, s.Row - field.FirstRow,
                      [&](std::int32_t n, long double w) { terms.emplace_back(n, w); });
        addDesignRow(s.Elevation, s.Elevation);
    }
    // The balance, in cubic metres over the stake's area:
    //   sum w c - R sum w f >= (E - I - R Ic) / A, or mirrored
    //   sum w f - sum w c / R >= (Ic + (I - E) / R) / A.
    {
        const long double area = field.Lx * field.Ly;
        const TEarthBalance& e = o.Balance;
        const long double cutSide = mirrored ? -1 / o.Ratio : 1, fillSide = mirrored ? 1 : -o.Ratio;
        const long double rhs = mirrored ? (e.ImportCompacted + (e.Import - e.Export) / o.Ratio) / area
                                         : (e.Export - e.Import - o.Ratio * e.ImportCompacted) / area;
        for (std::size_t n = 0; n < nodes; ++n)
            if (const std::int32_t c = column[n]; c >= 0) {
                lp.Index.push_back(2 * c);
                lp.Value.push_back(static_cast<double>(cutSide * weight[n]));
                lp.Index.push_back(2 * c + 1);
                lp.Value.push_back(static_cast<double>(fillSide * weight[n]));
            }
        lp.RowStart.push_back(std::int64_t(lp.Index.size()));
        lp.RowLower.push_back(static_cast<double>(rhs));
        lp.RowUpper.push_back(kInf);
    }
    out.LpColumns = 2 * active;
    out.LpRows = std::int32_t(lp.RowLower.size());
    out.LpElements = std::int64_t(lp.Index.size());

    if (progress)
        progress->Start("Resolvendo a superfície otimizada (" + std::to_string(active) + " nós).");
    const TLpSolution solution = SolveLinearProgramme(lp, progress, cancel);
    out.Iterations = solution.Iterations;
    switch (solution.Status) {
    case TLpStatus::Optimal: break;
    case TLpStatus::Infeasible:
        out.Status = TSurfaceStatus::Infeasible;
        out.Message =
            "Nenhuma superfície atende a todos os limites (declividades, profundidades, cotas e estacas "
            "fixadas) com a relação pedida.";
        out.Seconds = double(Seconds(started));
        return out;
    case TLpStatus::Cancelled:
        out.Status = TSurfaceStatus::Cancelled;
        out.Message = "Cálculo cancelado.";
        out.Seconds = double(Seconds(started));
        return out;
    case TLpStatus::Failed:
        out.Status = TSurfaceStatus::SolverFailed;
        out.Message = "O cálculo da superfície otimizada não chegou a uma solução.";
        out.Seconds = double(Seconds(started));
        return out;
    }

    if (progress)
        progress->Start("Interpolando a superfície otimizada.");
    std::vector<long double> h(nodes, 0);
    for (std::size_t n = 0; n < nodes; ++n)
        if (const std::int32_t c = column[n]; c >= 0) {
            const double cut = solution.X[std::size_t(2 * c)], fill = solution.X[std::size_t(2 * c + 1)];
            h[n] = zNode[n] - cut + fill;
            out.CutAndFilled += cut > 1e-9 && fill > 1e-9;
        }
    out.Design.assign(field.Z.size(), std::numeric_limits<double>::quiet_NaN());
    for (std::int32_t y = 0; y < field.Rows; ++y) {
        for (std::int32_t x = 0; x < field.Cols; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(field.Cols) + std::size_t(x);
            if (field.Z[i] == 0.0f)
                continue;
            long double v = 0;
            ForStakeNodes(ax, ay, x, y, [&](std::int32_t n, long double w) { v += w * h[std::size_t(n)]; });
            out.Design[i] = static_cast<double>(v);
        }
        if (progress)
            progress->Set(y, field.Rows);
    }
    // Between the nodes the ratio is only near the one asked for: one shift
    // of the whole surface meets it exactly and keeps every slope, unless it
    // would break what the user holds the surface to.
    const auto holds = [&](long double shift) {
        constexpr long double kSlack = 1e-9L;
        for (std::size_t i = 0; i < field.Z.size(); ++i) {
            if (field.Z[i] == 0.0f)
                continue;
            const long double at = out.Design[i] + shift, d = static_cast<long double>(field.Z[i]) - at;
            if ((o.MinElevation && at < *o.MinElevation - kSlack) || (o.MaxElevation && at > *o.MaxElevation + kSlack))
                return false;
            // Between nodes the depths are held only where the nodes are.
            if (step == 1 && ((o.MaxCut && d > *o.MaxCut + kSlack) || (o.MaxFill && -d > *o.MaxFill + kSlack)))
                return false;
        }
        for (const TFixedStake& s : o.Fixed) {
            const std::size_t i =
                std::size_t(s.Row - field.FirstRow) * std::size_t(field.Cols) + std::size_t(s.Col - field.FirstCol);
            if (std::fabs(out.Design[i] + shift - s.Elevation) > kSlack)
                return false;
        }
        return true;
    };
    if (const auto shift = RatioShift(field, out.Design, o.Ratio, o.Balance); shift && holds(*shift)) {
        out.Shift = *shift;
        for (double& v : out.Design)
            v = static_cast<double>(v + out.Shift);
    }
    const TSurfaceVolumes v = SurfaceVolumes(field, out.Design);
    out.CutVolume = v.Cut;
    out.FillVolume = v.Fill;
    out.MaxCut = v.MaxCut;
    out.MaxFill = v.MaxFill;
    out.CutCount = v.CutCount;
    out.FillCount = v.FillCount;
    {
        const TEarthBalance& e = o.Balance;
        const long double fill = v.Fill - e.ImportCompacted;
        out.RatioMet = fill > 0 && std::fabs((v.Cut - e.Export + e.Import) / fill - o.Ratio) <= 1e-6L * o.Ratio;
    }
    long double sx = 0, sy = 0;
    std::int64_t px = 0, py = 0;
    for (std::int32_t y = 0; y < field.Rows; ++y)
        for (std::int32_t x = 0; x < field.Cols; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(field.Cols) + std::size_t(x);
            if (std::isnan(out.Design[i]))
                continue;
            if (x + 1 < field.Cols && !std::isnan(out.Design[i + 1])) {
                sx += (static_cast<long double>(out.Design[i + 1]) - out.Design[i]) / field.Lx;
                ++px;
            }
            if (y + 1 < field.Rows && !std::isnan(out.Design[i + std::size_t(field.Cols)])) {
                sy += (static_cast<long double>(out.Design[i + std::size_t(field.Cols)]) - out.Design[i]) / field.Ly;
                ++py;
            }
        }
    out.MeanSx = px ? sx / static_cast<long double>(px) : 0;
    out.MeanSy = py ? sy / static_cast<long double>(py) : 0;
    out.Status = TSurfaceStatus::Solved;
    out.Seconds = double(Seconds(started));
    return out;
}

namespace {

// The longest text of the value a plan's 18 characters hold.
std::string PlanText(long double value, char decimalSeparator)
{
    for (int digits = 16;; --digits)
        if (std::string text = FormatGeneral(value, digits, decimalSeparator);
            text.size() <= TShortText::kCapacity || digits == 1)
            return text;
}

}  // namespace

bool StoreOptimizedSurface(TTerreno& t, int slot, const TSurfaceField& field, const TSurfaceOptions& o,
                           const TSurfaceResult& r, char sep)
{
    if (!r.Solved() || slot < 2 || slot >= TTerreno::kPlanCount || r.Design.size() != field.Z.size())
        return false;
    const std::size_t cols = std::size_t(t.ColCount());
    std::vector<double> elevations(cols * std::size_t(t.RowCount()), std::numeric_limits<double>::quiet_NaN());
    for (std::int32_t y = 0; y < field.Rows; ++y)
        for (std::int32_t x = 0; x < field.Cols; ++x) {
            const std::size_t col = std::size_t(field.FirstCol + x - 1), row = std::size_t(field.FirstRow + y - 1);
            if (col >= cols || row >= std::size_t(t.RowCount()))
                return false;
            elevations[row * cols + col] = r.Design[std::size_t(y) * std::size_t(field.Cols) + std::size_t(x)];
        }
    TDesignSurface surface;
    surface.Kind = TDesignSurface::TKind::Optimised;
    surface.Ratio = static_cast<double>(o.Ratio);
    if (!t.SetDesignElevations(slot, surface, elevations))
        return false;
    // Typed slopes drop a layer: the texts first, then the layer again on
    // the same plane.
    const TPlano typed = t.Plans()[std::size_t(slot)];
    t.SetPlanText(slot, &TPlano::SxText, PlanText(typed.Sx, sep));
    t.SetPlanText(slot, &TPlano::SyText, PlanText(typed.Sy, sep));
    t.SetPlanText(slot, &TPlano::RatioText, PlanText(o.Ratio, sep));
    if (!t.DesignSurface(slot) && !t.SetDesignElevations(slot, surface, elevations))
        return false;
    const TPlano exact = t.Plans()[std::size_t(slot)];
    TLimitedDesign record;
    record.Limits = o.Limits;
    record.Ratio = o.Ratio;
    record.Balance = o.Balance;
    t.SetLimitedPlan(slot, PlanLimitsOf(record));
    // The recalculation makes it the current plan and moves it to the ratio
    // within the adjustment's tolerance; the surface's own origin meets it
    // exactly.
    if (!RecalculatePlan(t, slot, o.Balance).Computed || t.CurrentPlan() != slot)
        return false;
    t.ComputePlane(exact.Sx, exact.Sy, exact.OriginElevation);
    return true;
}

}  // namespace nivora
