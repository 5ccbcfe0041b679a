// Planes under slope limits, and the ratio met with earth leaving or entering
// the field, on the worked 4 x 5 grid at 25 m and on random irregular fields
// against a search that knows nothing of the fit's edges.

#include "calc/LimitedPlane.h"
#include "calc/ResultTable.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace nivora;
using namespace nivora::testing;

namespace {

TSlopeRange AtMost(long double s) { return {std::nullopt, s}; }
TSlopeRange Within(long double s) { return {-s, s}; }

double D(const Real48& r) { return static_cast<double>(static_cast<long double>(r)); }

}  // namespace

TEST(LimitedPlane, WorkedGridUnderLimitsAndBalances)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::set<std::pair<int, int>> two = {{5, 1}, {1, 4}};
    const struct {
        const char* what;
        std::set<std::pair<int, int>> missing;
        TSlopeLimits limits;
        long double ratio;
        TEarthBalance balance;
        double sx, sy, slopeTolerance, origin, cut, fill;
        // clang-format off
    } cases[] = {
        {"free", {}, {}, 1, {}, 0.01551, -0.022464, 1e-9, 8.4629, 1313.0625, 1313.0625},
        {"free at 1,3", {}, {}, 1.3L, {}, 0.01551, -0.022464, 1e-9, nan, 1503.9482, 1156.8833},
        {"Sx <= 0,01", {}, {std::nullopt, AtMost(0.01L), {}}, 1, {}, 0.01, -0.022464, 1e-9, 8.7384, 1671, 1671},
        {"Sx <= 0,01 at 1,3", {}, {std::nullopt, AtMost(0.01L), {}}, 1.3L, {}, 0.01, -0.022464, 1e-9, nan,
         1893.3040, 1456.3877},
        {"Sy <= -0,03", {}, {std::nullopt, {}, AtMost(-0.03L)}, 1, {}, 0.01551, -0.03, 1e-9, 8.7455, 1815.3125,
         1815.3125},
        {"two stakes missing", two, {}, 1, {}, 0.0140125806, -0.0206670968, 2e-9, nan, nan, nan},
        {"two stakes missing, Sx <= 0,01: Sy moves", two, {std::nullopt, AtMost(0.01L), {}}, 1, {}, 0.01,
         -0.0194926829, 2e-9, 8.6054200542, nan, nan},
        {"bearing 120: the cross slope moves within its limit", {}, {120.0L, AtMost(-0.03L), Within(0.005L)}, 1, {},
         0.016472, -0.025131, 1e-6, nan, nan, nan},
        {"export 200 at 1,3", {}, {}, 1.3L, {200, 0, 0}, 0.01551, -0.022464, 1e-9, nan, 1603.5938, 1079.6875},
        {"import 200 at 1,3", {}, {}, 1.3L, {0, 200, 0}, 0.01551, -0.022464, 1e-9, nan, 1407.0319, 1236.1784},
        {"compacted import 200 at 1,3", {}, {}, 1.3L, {0, 0, 200}, 0.01551, -0.022464, 1e-9, nan, 1377.9570,
         1259.9670},
    };
    // clang-format on
    // The figures are those of the decimal elevations; the grid holds them
    // as singles (8,26 is 8,2600002...), some 1e-7 m off: slopes move by
    // about 1e-9, volumes by some 1e-4 m3.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTerreno t = Worked(c.missing);
        const TLimitedResult r = DesignLimitedPlan(t, 4, {c.limits, c.ratio, c.balance}, ',');
        ASSERT_TRUE(r.Run.Computed);
        EXPECT_TRUE(r.Run.Adjust.Converged);
        EXPECT_EQ(t.CurrentPlan(), 4);
        const TPlano& p = t.Plans()[4];
        EXPECT_NEAR(D(p.Sx), c.sx, c.slopeTolerance);
        EXPECT_NEAR(D(p.Sy), c.sy, c.slopeTolerance);
        if (!std::isnan(c.origin)) {
            EXPECT_NEAR(D(p.OriginElevation), c.origin, 2e-7);
        }
        if (!std::isnan(c.cut)) {
            EXPECT_NEAR(D(p.CutVolume), c.cut, 1e-3);
            EXPECT_NEAR(D(p.FillVolume), c.fill, 1e-3);
        }
        // The best plan is left as it was fitted.
        EXPECT_NEAR(D(t.Plans()[1].Sx), c.missing.empty() ? 0.01551 : 0.0140125806, 1e-9);

        // The same field at UTM-sized coordinates: the same slopes, and the
        // same design within what the plan record's 6-byte origin elevation
        // holds there (some 1e-7 m at 150 km of elevation at X = Y = 0).
        TTerreno far = Worked(c.missing, 500000, 7000000);
        const TLimitedResult f = DesignLimitedPlan(far, 4, {c.limits, c.ratio, c.balance}, ',');
        ASSERT_TRUE(f.Run.Computed);
        EXPECT_NEAR(double(f.Slopes->Sx), double(r.Slopes->Sx), 1e-12);
        EXPECT_NEAR(double(f.Slopes->Sy), double(r.Slopes->Sy), 1e-12);
        for (int row = 1; row <= 4; ++row)
            for (int col = 1; col <= 5; ++col)
                EXPECT_NEAR(static_cast<double>(far.DesignElevation(4, col, row)),
                            static_cast<double>(t.DesignElevation(4, col, row)), 1e-6);

        // The plan keeps its slopes as texts: recalculating it gives it again.
        const TPlano designed = p;
        ASSERT_TRUE(ParsePlanInputs(t, 4, ','));
        ASSERT_TRUE(RecalculatePlan(t, 4, c.balance).Computed);
        EXPECT_NEAR(D(t.Plans()[4].OriginElevation), D(designed.OriginElevation), 1e-9);
        EXPECT_NEAR(D(t.Plans()[4].CutVolume), D(designed.CutVolume), 1e-6);
    }
}

TEST(LimitedPlane, LimitsThatCannotBeMetAreRefused)
{
    const struct {
        const char* what;
        TSlopeLimits limits;
        bool met;
    } cases[] = {
        {"minimum above maximum", {std::nullopt, {0.02L, 0.01L}, {}}, false},
        {"cross minimum above maximum", {std::nullopt, {}, {0.0L, -0.001L}}, false},
        {"least fall out of the main range", {std::nullopt, Within(0.0004L), {}, 0.0005L}, false},
        {"negative least fall", {std::nullopt, {}, {}, -0.001L}, false},
        {"least fall reached falling only", {std::nullopt, {-0.01L, 0.0001L}, {}, 0.0005L}, true},
        {"equal bounds", {std::nullopt, {0.005L, 0.005L}, {0.0L, 0.0L}}, true},
    };
    TTerreno t = Worked({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckSlopeLimits(c.limits).empty(), c.met);
        const TLimitedResult r = DesignLimitedPlan(t, 3, {c.limits, 1, {}}, ',');
        EXPECT_EQ(r.Slopes.has_value(), c.met);
        EXPECT_EQ(r.Run.Computed, c.met);
        if (c.met) {
            EXPECT_TRUE(c.limits.Main.Contains(r.Slopes->Main));
            EXPECT_TRUE(c.limits.Cross.Contains(r.Slopes->Cross));
            EXPECT_GE(std::fabs(r.Slopes->Main), c.limits.MinFall);
        }
    }
    // Stakes on one line define no plane.
    TTerreno line(5, 4, 10.0f, 10.0f);
    for (int c = 1; c <= 5; ++c)
        line.SetCell(c, 2, 5.0f + 0.1f * float(c));
    EXPECT_FALSE(FitLimitedSlopes(SelectionMoments(line), {}).has_value());
}

namespace {

struct TPoint {
    double x, y, z;
};

// The sum of squared residuals of the slopes with their best intercept,
// straight from the points.
double Residual(const std::vector<TPoint>& pts, double sx, double sy)
{
    double mean = 0;
    for (const TPoint& p : pts)
        mean += p.z - sx * p.x - sy * p.y;
    mean /= double(pts.size());
    double s = 0;
    for (const TPoint& p : pts) {
        const double e = p.z - sx * p.x - sy * p.y - mean;
        s += e * e;
    }
    return s;
}

// Golden-section search of a convex function on [lo, hi].
template <class F>
double Golden(F f, double lo, double hi)
{
    const double g = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 120; ++i) {
        const double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
        (f(a) < f(b) ? hi : lo) = f(a) < f(b) ? b : a;
    }
    return (lo + hi) / 2;
}

}  // namespace

TEST(LimitedPlane, AgreesWithABoundedSearchOnIrregularFields)
{
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> u(0, 1);
    int limited = 0;
    for (int field = 0; field < 60; ++field) {
        SCOPED_TRACE(field);
        const int cols = 3 + int(u(rng) * 6), rows = 3 + int(u(rng) * 6);
        const float lx = 5.0f + float(int(u(rng) * 8)) * 2.5f, ly = 5.0f + float(int(u(rng) * 8)) * 2.5f;
        TTerreno t(cols, rows, lx, ly);
        t.SetOrigin(300000 + 1000 * u(rng), 7400000 + 1000 * u(rng));
        const double a = 0.04 * (u(rng) - 0.5), b = 0.04 * (u(rng) - 0.5);
        std::vector<TPoint> pts;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c) {
                if (u(rng) < 0.2)
                    continue;
                const double x = lx * (c - 1), y = ly * (r - 1);
                const float z = float(100 + a * x + b * y + 0.3 * (u(rng) - 0.5));
                t.SetCell(c, r, z);
                pts.push_back({x, y, double(z)});
            }
        if (pts.size() < 4)
            continue;
        TSlopeLimits limits;
        if (u(rng) < 0.5)
            limits.Bearing = 360 * u(rng);
        const auto range = [&] {
            const double lo = 0.03 * (u(rng) - 0.5), hi = lo + 0.02 * u(rng);
            return TSlopeRange{u(rng) < 0.7 ? std::optional<long double>(lo) : std::nullopt,
                               u(rng) < 0.7 ? std::optional<long double>(hi) : std::nullopt};
        };
        limits.Main = range();
        limits.Cross = range();
        if (u(rng) < 0.25)
            limits.MinFall = 0.01 * u(rng);
        const auto fit = FitLimitedSlopes(SelectionMoments(t), limits);
        if (!CheckSlopeLimits(limits).empty()) {
            EXPECT_FALSE(fit);
            continue;
        }
        ASSERT_TRUE(fit);
        limited += fit->Limited;

        // The search: over main slope p and cross slope q in the limits (a
        // wide box where a side is open), each side of a least fall apart.
        const double th = limits.Bearing ? double(*limits.Bearing) * M_PI / 180 : 0;
        const double c = std::cos(th), s = std::sin(th);
        const auto cost = [&](double p, double q) { return Residual(pts, c * p - s * q, s * p + c * q); };
        const auto lo = [](const TSlopeRange& r) { return r.Min ? double(*r.Min) : -1.0; };
        const auto hi = [](const TSlopeRange& r) { return r.Max ? double(*r.Max) : 1.0; };
        double best = std::numeric_limits<double>::infinity(), bestP = 0, bestQ = 0;
        const double fall = double(limits.MinFall);
        std::vector<std::pair<double, double>> sides = {{lo(limits.Main), hi(limits.Main)}};
        if (fall > 0)
            sides = {{std::max(lo(limits.Main), fall), hi(limits.Main)},
                     {lo(limits.Main), std::min(hi(limits.Main), -fall)}};
        for (const auto& [pLo, pHi] : sides) {
            if (pLo > pHi)
                continue;
            const auto inner = [&](double p) {
                return Golden([&](double q) { return cost(p, q); }, lo(limits.Cross), hi(limits.Cross));
            };
            const double p = Golden([&](double main) { return cost(main, inner(main)); }, pLo, pHi);
            const double q = inner(p);
            if (cost(p, q) < best)
                best = cost(p, q), bestP = p, bestQ = q;
        }
        EXPECT_LE(cost(double(fit->Main), double(fit->Cross)), best * (1 + 1e-9) + 1e-12);
        EXPECT_NEAR(double(fit->Main), bestP, 1e-6);
        EXPECT_NEAR(double(fit->Cross), bestQ, 1e-6);
        EXPECT_TRUE(limits.Main.Contains(fit->Main));
        EXPECT_TRUE(limits.Cross.Contains(fit->Cross));
    }
    // Most fields have the fit held by a limit: the edges are exercised.
    EXPECT_GT(limited, 20);
}

TEST(LimitedPlane, BearingsFromNorthTurnOntoTheGrid)
{
    // clang-format off
    const struct { long double typed; double rowsSouth, rowsNorth; } cases[] = {
        {0,   270, 90},
        {90,  0,   0},
        {120, 30,  330},
        {225, 135, 225},
        {-45, 225, 135},
        {360, 270, 90},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(double(c.typed));
        EXPECT_NEAR(double(GridBearing(c.typed, true)), c.rowsSouth, 1e-12);
        EXPECT_NEAR(double(GridBearing(c.typed, false)), c.rowsNorth, 1e-12);
        TSlopeLimits typed;
        typed.Bearing = c.typed;
        typed.Cross = {-0.001L, 0.004L};
        // Without a georeference the bearing is the fit's own angle.
        const TSlopeLimits plain = LimitsOnGrid(typed, std::nullopt);
        EXPECT_EQ(*plain.Bearing, c.typed);
        EXPECT_EQ(*plain.Cross.Min, -0.001L);
        TGeoreference g;
        g.RowsRunSouth = false;
        const TSlopeLimits north = LimitsOnGrid(typed, g);
        EXPECT_NEAR(double(*north.Bearing), c.rowsNorth, 1e-12);
        EXPECT_EQ(*north.Cross.Min, -0.004L);
        EXPECT_EQ(*north.Cross.Max, 0.001L);
    }
}

TEST(LimitedPlane, TheSameGroundGivesTheSameSlopesWhicheverWayTheRowsRun)
{
    // Ground rising 1 % towards north and 0,3 % towards east, surveyed with
    // row 1 at the north and again with row 1 at the south; the bearing
    // typed is 30 degrees east of north.
    const long double b = 30 * std::numbers::pi_v<long double> / 180;
    const long double along = 0.01L * std::cos(b) + 0.003L * std::sin(b);
    const long double right = -0.01L * std::sin(b) + 0.003L * std::cos(b);
    for (const bool south : {true, false}) {
        SCOPED_TRACE(south ? "rows south" : "rows north");
        TTerreno t(6, 5, 20.0f, 20.0f);
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 6; ++c) {
                const long double north = south ? 80.0L - 20 * (r - 1) : 20.0L * (r - 1);
                t.SetCell(c, r, float(100 + 0.01L * north + 0.003L * 20 * (c - 1)));
            }
        TGeoreference g;
        g.RowsRunSouth = south;
        TSlopeLimits typed;
        typed.Bearing = 30;
        // Limits the best plane meets: the fit keeps it, and says what its
        // slopes are along the bearing and across it.
        typed.Main = {-1, 1};
        const auto fit = FitLimitedSlopes(SelectionMoments(t), LimitsOnGrid(typed, g));
        ASSERT_TRUE(fit);
        EXPECT_NEAR(double(fit->Main), double(along), 1e-6);
        EXPECT_NEAR(double(south ? fit->Cross : -fit->Cross), double(right), 1e-6);
        EXPECT_NEAR(double(fit->Sx), 0.003, 1e-6);
        EXPECT_NEAR(double(fit->Sy), south ? -0.01 : 0.01, 1e-6);
        // The best plane falls to the right; held to a rise of at least
        // 0,1 % to the right, it must tilt the same way on the ground in
        // both surveys.
        ASSERT_LT(right, 0);
        typed.Cross = {0.001L, std::nullopt};
        const auto held = FitLimitedSlopes(SelectionMoments(t), LimitsOnGrid(typed, g));
        ASSERT_TRUE(held);
        EXPECT_NEAR(double(south ? held->Cross : -held->Cross), 0.001, 1e-9);
    }
}

TEST(LimitedPlane, APlanDesignedUnderLimitsKeepsItsMarkAndBalance)
{
    TTerreno t = Worked({});
    t.UpdateUsedRect();
    t.SetSelection(t.UsedRect());
    TLimitedDesign d;
    d.Limits.Main = AtMost(0.01L);
    d.Ratio = 1.3L;
    d.Balance.Export = 200;
    ASSERT_TRUE(DesignLimitedPlan(t, 3, d, ',').Run.Computed);
    ASSERT_TRUE(t.LimitedPlan(3));
    EXPECT_FALSE(t.LimitedPlan(2));
    EXPECT_EQ(ResultCellText(&t, 3, 0, ','), "Plano 2 (limitado)");
    EXPECT_EQ(ResultCellText(&t, 2, 0, ','), "Plano 1");
    EXPECT_EQ(PlanLimitsText(*t.LimitedPlan(3), ','), "Sx no máximo 1 %; corte exportado 200 m³");
    const double cut = D(t.Plans()[3].CutVolume);
    // The file's block brings the record back whole.
    const TExtensionRead back = ReadExtensionBlock(WriteExtensionBlock(t.Extension()));
    ASSERT_EQ(back.State, TExtensionState::Read);
    EXPECT_EQ(back.Extension, t.Extension());
    // Recalculated with its own balance, the plan stays where it was; a
    // ratio typed again keeps the mark, slopes typed again drop it.
    EXPECT_EQ(t.PlanBalance(3).Export, 200);
    ASSERT_TRUE(ParsePlanInputs(t, 3, ','));
    ASSERT_TRUE(RecalculatePlan(t, 3, t.PlanBalance(3)).Computed);
    EXPECT_NEAR(D(t.Plans()[3].CutVolume), cut, 1e-6);
    t.SetPlanText(3, &TPlano::RatioText, "1,3");
    EXPECT_TRUE(t.LimitedPlan(3));
    t.SetPlanText(3, &TPlano::SxText, "0,02");
    EXPECT_FALSE(t.LimitedPlan(3));
    EXPECT_TRUE(t.Extension().Empty());
}
