#include "calc/LimitedPlane.h"

#include "data/NumberFormat.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace nivora {

long double TSlopeRange::Clamp(long double s) const
{
    if (Min && s < *Min)
        s = *Min;
    if (Max && s > *Max)
        s = *Max;
    return s;
}

TPlaneMoments SelectionMoments(const TTerreno& t)
{
    const TUsedRect sel = t.GetSelection();
    const std::int32_t firstCol = std::max(sel.FirstCol, 1), lastCol = std::min(sel.LastCol, t.ColCount());
    const std::int32_t firstRow = std::max(sel.FirstRow, 1), lastRow = std::min(sel.LastRow, t.RowCount());
    TPlaneMoments m;
    if (firstCol > lastCol || firstRow > lastRow)
        return m;
    std::vector<long double> xs(std::size_t(lastCol - firstCol + 1));
    for (std::int32_t c = firstCol; c <= lastCol; ++c)
        xs[std::size_t(c - firstCol)] = t.StakeX(c);
    // Two passes: the means, then the sums about them.
    long double sx = 0, sy = 0, sz = 0;
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const float* row = t.RowData(r);
        const long double y = t.StakeY(r);
        for (std::int32_t c = firstCol; c <= lastCol; ++c)
            if (const float z = row[c - 1]; z != 0.0f) {
                ++m.Count;
                sx += xs[std::size_t(c - firstCol)];
                sy += y;
                sz += z;
            }
    }
    if (m.Count == 0)
        return m;
    const long double n = static_cast<long double>(m.Count);
    m.MeanX = sx / n, m.MeanY = sy / n, m.MeanZ = sz / n;
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const float* row = t.RowData(r);
        const long double y = t.StakeY(r) - m.MeanY;
        for (std::int32_t c = firstCol; c <= lastCol; ++c)
            if (const float z = row[c - 1]; z != 0.0f) {
                const long double x = xs[std::size_t(c - firstCol)] - m.MeanX;
                const long double dz = z - m.MeanZ;
                m.Sxx += x * x;
                m.Sxy += x * y;
                m.Syy += y * y;
                m.Sxz += x * dz;
                m.Syz += y * dz;
            }
    }
    return m;
}

long double GridBearing(long double degreesFromNorth, bool rowsRunSouth)
{
    // Facing the bearing b, a step goes sin b east and cos b north; east is
    // +X, and north is -Y when the rows run south, +Y otherwise.
    long double angle = rowsRunSouth ? degreesFromNorth - 90 : 90 - degreesFromNorth;
    angle = std::fmod(angle, 360.0L);
    if (angle < 0)
        angle += 360;
    return angle;
}

TSlopeLimits LimitsOnGrid(TSlopeLimits typed, const std::optional<TGeoreference>& georeference)
{
    if (!typed.Bearing || !georeference)
        return typed;
    typed.Bearing = GridBearing(*typed.Bearing, georeference->RowsRunSouth);
    // The fit's cross direction is a quarter turn from the main one towards
    // +Y: to the right of the bearing when the rows run south, to its left
    // when they run north, where a rise to the right is a fall towards +Y.
    if (!georeference->RowsRunSouth) {
        const TSlopeRange cross = typed.Cross;
        typed.Cross.Min = cross.Max ? std::optional<long double>(-*cross.Max) : std::nullopt;
        typed.Cross.Max = cross.Min ? std::optional<long double>(-*cross.Min) : std::nullopt;
    }
    return typed;
}

std::string CheckSlopeLimits(const TSlopeLimits& l)
{
    const auto inverted = [](const TSlopeRange& r) { return r.Min && r.Max && *r.Min > *r.Max; };
    if (inverted(l.Main) || inverted(l.Cross))
        return "A declividade mínima é maior que a máxima.";
    if (!(l.MinFall >= 0) || !std::isfinite(l.MinFall))
        return "A queda mínima deve ser um número positivo.";
    if (l.MinFall > 0 && !(!l.Main.Max || *l.Main.Max >= l.MinFall) && !(!l.Main.Min || *l.Main.Min <= -l.MinFall))
        return "Nenhuma declividade dentro dos limites alcança a queda mínima.";
    return {};
}

namespace {

// The fit in the turned axes u (main) and v (cross): minimise
//   Suu p^2 + 2 Suv p q + Svv q^2 - 2 Suz p - 2 Svz q
// over the box of the two ranges. The function is convex: its least lies at
// the free minimum when that is inside the box, otherwise on an edge, where
// the other slope is the free one along the edge held to its range.
struct TQuadratic {
    long double Suu, Suv, Svv, Suz, Svz;
    long double operator()(long double p, long double q) const
    {
        return Suu * p * p + 2 * Suv * p * q + Svv * q * q - 2 * Suz * p - 2 * Svz * q;
    }
};

std::optional<std::pair<long double, long double>> FitInBox(const TQuadratic& f, const TSlopeRange& main,
                                                            const TSlopeRange& cross)
{
    const long double det = f.Suu * f.Svv - f.Suv * f.Suv;
    std::vector<std::pair<long double, long double>> candidates;
    const long double p0 = (f.Suz * f.Svv - f.Svz * f.Suv) / det;
    const long double q0 = (f.Svz * f.Suu - f.Suz * f.Suv) / det;
    if (main.Contains(p0) && cross.Contains(q0))
        return std::pair{p0, q0};
    for (const auto& bound : {main.Min, main.Max})
        if (bound)
            candidates.emplace_back(*bound, cross.Clamp((f.Svz - f.Suv * *bound) / f.Svv));
    for (const auto& bound : {cross.Min, cross.Max})
        if (bound)
            candidates.emplace_back(main.Clamp((f.Suz - f.Suv * *bound) / f.Suu), *bound);
    std::optional<std::pair<long double, long double>> best;
    for (const auto& [p, q] : candidates)
        if (main.Contains(p) && cross.Contains(q) && (!best || f(p, q) < f(best->first, best->second)))
            best = std::pair{p, q};
    return best;
}

}  // namespace

std::optional<TLimitedSlopes> FitLimitedSlopes(const TPlaneMoments& m, const TSlopeLimits& limits)
{
    if (m.Count < 3 || !CheckSlopeLimits(limits).empty())
        return std::nullopt;
    const long double angle = limits.Bearing ? *limits.Bearing * std::numbers::pi_v<long double> / 180 : 0;
    const long double c = limits.Bearing ? std::cos(angle) : 1, s = limits.Bearing ? std::sin(angle) : 0;
    // u = c x + s y along the main direction, v = -s x + c y across it.
    const TQuadratic f{c * c * m.Sxx + 2 * c * s * m.Sxy + s * s * m.Syy,
                       c * s * (m.Syy - m.Sxx) + (c * c - s * s) * m.Sxy,
                       s * s * m.Sxx - 2 * c * s * m.Sxy + c * c * m.Syy, c * m.Sxz + s * m.Syz,
                       -s * m.Sxz + c * m.Syz};
    const long double det = f.Suu * f.Svv - f.Suv * f.Suv;
    // Stakes on one line leave the plane undefined (the determinant is then
    // zero up to rounding of sums of its size).
    if (!(det > 1e-18L * f.Suu * f.Svv) || !std::isfinite(det))
        return std::nullopt;

    std::optional<std::pair<long double, long double>> fit;
    if (limits.MinFall > 0) {
        // |p| >= s is two fields, p >= s and p <= -s: the better of the two.
        for (const bool rising : {true, false}) {
            TSlopeRange side = limits.Main;
            if (rising)
                side.Min = side.Min ? std::max(*side.Min, limits.MinFall) : limits.MinFall;
            else
                side.Max = side.Max ? std::min(*side.Max, -limits.MinFall) : -limits.MinFall;
            if (side.Min && side.Max && *side.Min > *side.Max)
                continue;
            const auto one = FitInBox(f, side, limits.Cross);
            if (one && (!fit || f(one->first, one->second) < f(fit->first, fit->second)))
                fit = one;
        }
    } else {
        fit = FitInBox(f, limits.Main, limits.Cross);
    }
    if (!fit)
        return std::nullopt;
    TLimitedSlopes out;
    out.Main = fit->first;
    out.Cross = fit->second;
    out.Sx = c * out.Main - s * out.Cross;
    out.Sy = s * out.Main + c * out.Cross;
    const TLimitedSlopes free = [&] {
        TLimitedSlopes b;
        b.Main = (f.Suz * f.Svv - f.Svz * f.Suv) / det;
        b.Cross = (f.Svz * f.Suu - f.Suz * f.Suv) / det;
        return b;
    }();
    out.Limited = out.Main != free.Main || out.Cross != free.Cross;
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

TPlanLimits PlanLimitsOf(const TLimitedDesign& d)
{
    const auto value = [](const std::optional<long double>& v) {
        return v ? std::optional<double>(double(*v)) : std::nullopt;
    };
    TPlanLimits l;
    l.Bearing = value(d.Limits.Bearing);
    l.MainMin = value(d.Limits.Main.Min);
    l.MainMax = value(d.Limits.Main.Max);
    l.CrossMin = value(d.Limits.Cross.Min);
    l.CrossMax = value(d.Limits.Cross.Max);
    l.MinFall = double(d.Limits.MinFall);
    l.Export = double(d.Balance.Export);
    l.Import = double(d.Balance.Import);
    l.ImportCompacted = double(d.Balance.ImportCompacted);
    return l;
}

std::string PlanLimitsText(const TPlanLimits& l, char sep)
{
    const auto percent = [&](double v) { return FormatGeneral(v * 100, 10, sep) + " %"; };
    const auto range = [&](const std::string& name, const std::optional<double>& min,
                           const std::optional<double>& max) -> std::string {
        if (min && max)
            return name + " de " + percent(*min) + " a " + percent(*max);
        if (min)
            return name + " no mínimo " + percent(*min);
        if (max)
            return name + " no máximo " + percent(*max);
        return {};
    };
    std::vector<std::string> parts;
    if (l.Bearing)
        parts.push_back("direção principal a " + FormatGeneral(*l.Bearing, 10, sep) + "° do eixo X");
    for (std::string part : {range(l.Bearing ? "principal" : "Sx", l.MainMin, l.MainMax),
                             range(l.Bearing ? "transversal" : "Sy", l.CrossMin, l.CrossMax)})
        if (!part.empty())
            parts.push_back(std::move(part));
    if (l.MinFall > 0)
        parts.push_back("queda mínima " + percent(l.MinFall));
    const auto volume = [&](const char* name, double v) {
        if (v > 0)
            parts.push_back(std::string(name) + " " + FormatGeneral(v, 10, sep) + " m³");
    };
    volume("corte exportado", l.Export);
    volume("importação solta", l.Import);
    volume("importação compactada", l.ImportCompacted);
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text.empty() ? std::string("sem limites") : text;
}

TLimitedResult DesignLimitedPlan(TTerreno& t, int slot, const TLimitedDesign& design, char decimalSeparator)
{
    TLimitedResult out;
    if (slot < 2 || slot >= TTerreno::kPlanCount || !(design.Ratio > 0))
        return out;
    out.Slopes = FitLimitedSlopes(SelectionMoments(t), design.Limits);
    if (!out.Slopes)
        return out;
    t.SetPlanText(slot, &TPlano::SxText, PlanText(out.Slopes->Sx, decimalSeparator));
    t.SetPlanText(slot, &TPlano::SyText, PlanText(out.Slopes->Sy, decimalSeparator));
    t.SetPlanText(slot, &TPlano::RatioText, PlanText(design.Ratio, decimalSeparator));
    if (!ParsePlanInputs(t, slot, decimalSeparator))
        return out;
    // The balance is kept as the file keeps it, so that this run and every
    // later recalculation meet the same volumes.
    const TPlanLimits record = PlanLimitsOf(design);
    const TEarthBalance balance{record.Export, record.Import, record.ImportCompacted};
    t.SetDesignSurface(slot, std::nullopt);
    out.Run = design.Settlement ? SettlePlan(t, slot, *design.Settlement, balance) : RecalculatePlan(t, slot, balance);
    t.SetLimitedPlan(slot, record);
    return out;
}

}  // namespace nivora
