// The optimised surface: worked cases solved by hand, the sine test field
// against its known optimum and the best slope-limited plane, and the
// surface's own promises (slopes, depths, bounds, ratio) checked stake by
// stake on coarse grids with unequal spacings, holes and odd sizes.

#include "SineField.h"

#include "calc/CalcSist.h"
#include "calc/LimitedPlane.h"
#include "optimize/OptimizedSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <numbers>

using namespace nivora;
using nivora::test::SineField;
using nivora::test::SineOptions;

namespace {

double At(const std::vector<double>& v, const TSurfaceField& f, int x, int y) { return v[std::size_t(y * f.Cols + x)]; }

// How far the design's slope between neighbouring stakes (both with
// elevation) goes past its range; along a bearing, how far the slope along
// it and across it at each corner of each cell of stakes does.
long double WorstExcess(const TSurfaceField& f, const std::vector<double>& h, const TSlopeLimits& l)
{
    const auto excess = [](const TSlopeRange& r, long double s) {
        long double e = 0;
        if (r.Min)
            e = std::max(e, *r.Min - s);
        if (r.Max)
            e = std::max(e, s - *r.Max);
        return e;
    };
    const auto has = [&](int x, int y) { return !std::isnan(At(h, f, x, y)); };
    long double worst = 0;
    if (!l.Bearing) {
        for (int y = 0; y < f.Rows; ++y)
            for (int x = 0; x < f.Cols; ++x) {
                if (x + 1 < f.Cols && has(x, y) && has(x + 1, y))
                    worst = std::max(worst, excess(l.Main, (At(h, f, x + 1, y) - At(h, f, x, y)) / f.Lx));
                if (y + 1 < f.Rows && has(x, y) && has(x, y + 1))
                    worst = std::max(worst, excess(l.Cross, (At(h, f, x, y + 1) - At(h, f, x, y)) / f.Ly));
            }
        return worst;
    }
    const long double angle = *l.Bearing * std::numbers::pi_v<long double> / 180;
    const long double c = std::cos(angle), s = std::sin(angle);
    for (int y = 0; y + 1 < f.Rows; ++y)
        for (int x = 0; x + 1 < f.Cols; ++x)
            for (int b = 0; b < 2; ++b)
                for (int a = 0; a < 2; ++a) {
                    if (!has(x, y + b) || !has(x + 1, y + b) || !has(x + a, y) || !has(x + a, y + 1))
                        continue;
                    const long double gx = (At(h, f, x + 1, y + b) - At(h, f, x, y + b)) / f.Lx;
                    const long double gy = (At(h, f, x + a, y + 1) - At(h, f, x + a, y)) / f.Ly;
                    worst = std::max(worst, excess(l.Main, c * gx + s * gy));
                    worst = std::max(worst, excess(l.Cross, -s * gx + c * gy));
                }
    return worst;
}

TSurfaceField Row(std::vector<float> z, double lx, double ly)
{
    TSurfaceField f;
    f.Cols = int(z.size());
    f.Rows = 1;
    f.Lx = lx;
    f.Ly = ly;
    f.Z = std::move(z);
    return f;
}

}  // namespace

// Three stakes in a row, 10 m apart, each standing for a square metre, the
// middle one 0,3 m high, slopes within 1 %: the hump is cut down to 0,1 m
// above its neighbours, which are filled so that the earth balances.
TEST(OptimizedSurface, ThreeStakesByHand)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        long double ratio;
        TEarthBalance balance;
        double cut, fill, end;  // end: the design of the outer stakes above 10 m
        // clang-format off
    } cases[] = {
        {"R 1", 1, {}, 2.0 / 15, 2.0 / 15, 1.0 / 15},
        {"R 1,5", 1.5L, {}, 0.15, 0.10, 0.05},
        // Below one the fill is the larger: cut 0,2 - a = R 2a.
        {"R 2/3, mirrored", 2.0L / 3, {}, 0.8 / 7, 1.2 / 7, 0.6 / 7},
        // 0,1 m3 of the cut leaves the field: cut - 0,1 = fill.
        {"R 1, export 0,1", 1, {0.1L, 0, 0}, 1.0 / 6, 1.0 / 15, nan},
        // 0,1 m3 of loose soil comes in: cut + 0,1 = 1,5 fill.
        {"R 1,5, import 0,1", 1.5L, {0, 0.1L, 0}, 0.125, 0.15, 0.075},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Elevations near 10 m keep the singles' rounding (2e-7 m) small.
        const TSurfaceField f = Row({10.0f, 10.3f, 10.0f}, 10, 0.1);
        TSurfaceOptions o;
        o.Limits.Main = {-0.01L, 0.01L};
        o.Ratio = c.ratio;
        o.Balance = c.balance;
        o.Step = 1;
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_TRUE(r.Solved()) << r.Message;
        EXPECT_NEAR(double(r.CutVolume), c.cut, 1e-6);
        EXPECT_NEAR(double(r.FillVolume), c.fill, 1e-6);
        EXPECT_EQ(r.NodeCount, 3);
        EXPECT_EQ(r.CutAndFilled, 0);
        if (!std::isnan(c.end)) {
            EXPECT_NEAR(r.Design[0] - 10, c.end, 1e-6);
            EXPECT_NEAR(r.Design[1] - 10, c.end + 0.1, 1e-6);
            EXPECT_NEAR(r.Design[2] - 10, c.end, 1e-6);
        }
        EXPECT_LE(WorstExcess(f, r.Design, o.Limits), 1e-9L);
    }
}

// The sine test field at K = 1 against its known optimum, and the best
// slope-limited plane of the same field and limits beside it.
TEST(OptimizedSurface, SineFieldAgainstItsOptimumAndThePlane)
{
    const struct {
        int cols, rows;
        double cut, fill, planeCut, planeFill;
        // clang-format off
    } cases[] = {
        {30, 20, 177.49, 147.91, 200.18, 166.82},
        {60, 40, 1054.40, 878.67, 1700.13, 1416.77},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.cols) + " x " + std::to_string(c.rows));
        const TSurfaceField f = SineField(c.cols, c.rows);
        const TSurfaceOptions o = SineOptions(1);
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_TRUE(r.Solved()) << r.Message;
        EXPECT_EQ(r.Step, 1);
        EXPECT_EQ(r.NodeCount, c.cols * c.rows);
        EXPECT_NEAR(double(r.CutVolume), c.cut, c.cut * 1e-3);
        EXPECT_NEAR(double(r.FillVolume), c.fill, c.fill * 1e-3);
        EXPECT_NEAR(double(r.CutVolume / r.FillVolume), 1.2, 1e-9);
        EXPECT_LE(WorstExcess(f, r.Design, o.Limits), 1e-9L);
        EXPECT_EQ(r.CutAndFilled, 0);
        // At K = 1 the programme's ratio is already exact.
        EXPECT_NEAR(double(r.Shift), 0, 1e-9);

        const TPlano p = test::LimitedPlaneOf(f, o);
        EXPECT_NEAR(double(static_cast<long double>(p.CutVolume)), c.planeCut, c.planeCut * 1e-3);
        EXPECT_NEAR(double(static_cast<long double>(p.FillVolume)), c.planeFill, c.planeFill * 1e-3);
    }
}

// Coarse design grids: the stakes between the nodes keep every slope within
// its range, the ratio is met exactly by the shift, and the earthwork stays
// near that of K = 1; with unequal spacings, a last cell narrower than the
// others, stakes missing, a ratio below one and earth brought in.
TEST(OptimizedSurface, CoarseGridsKeepEveryStakePairWithinLimits)
{
    const struct {
        const char* what;
        int cols, rows, step;
        double lx, ly;
        bool holes;
        long double ratio;
        TEarthBalance balance;
        int nodes;
        // clang-format off
    } cases[] = {
        {"K 2, even sides", 61, 41, 2, 5, 5, false, 1.2L, {}, 31 * 21},
        {"K 3, narrow last cell, unequal spacings", 62, 43, 3, 5, 7.5, false, 1.2L, {}, 22 * 15},
        {"K 4, holes", 57, 38, 4, 6, 4, true, 1.2L, {}, -1},
        {"K 3, ratio 0,8 mirrored, import", 50, 35, 3, 5, 5, false, 0.8L, {0, 50, 0}, 18 * 13},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSurfaceField f = SineField(c.cols, c.rows);
        f.Lx = c.lx;
        f.Ly = c.ly;
        if (c.holes)
            for (int y = 0; y < f.Rows; ++y)
                for (int x = 0; x < f.Cols; ++x)
                    if ((x - 20) * (x - 20) + (y - 15) * (y - 15) < 30 || (x > 45 && y < 5))
                        f.Z[std::size_t(y * f.Cols + x)] = 0;
        TSurfaceOptions o = SineOptions(c.step);
        o.Ratio = c.ratio;
        o.Balance = c.balance;
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_TRUE(r.Solved()) << r.Message;
        if (c.nodes > 0) {
            EXPECT_EQ(r.NodeCount, c.nodes);
        }
        EXPECT_LE(WorstExcess(f, r.Design, o.Limits), 1e-9L);
        const long double met =
            (r.CutVolume - c.balance.Export + c.balance.Import) / (r.FillVolume - c.balance.ImportCompacted);
        EXPECT_NEAR(double(met), double(c.ratio), 1e-9);
        EXPECT_TRUE(r.RatioMet);
        EXPECT_EQ(r.CutAndFilled, 0);
        for (std::size_t i = 0; i < f.Z.size(); ++i)
            EXPECT_EQ(std::isnan(r.Design[i]), f.Z[i] == 0.0f) << i;

        o.Step = 1;
        const TSurfaceResult exact = OptimizeSurface(f, o);
        ASSERT_TRUE(exact.Solved());
        const long double coarse = r.CutVolume + r.FillVolume, fine = exact.CutVolume + exact.FillVolume;
        EXPECT_GE(coarse, fine * (1 - 1e-9L));
        EXPECT_LE(coarse, fine * 1.05L);
    }
}

// Limits along a bearing hold at every corner of every cell of stakes; along
// the X axis (0°) or the Y axis (90°, the cross slope then towards -X) they
// are the same programme as limits along X and Y.
TEST(OptimizedSurface, BearingLimits)
{
    const TSurfaceField f = SineField(40, 30);
    const TSurfaceOptions axes = SineOptions(1);
    const TSurfaceResult free = OptimizeSurface(f, axes);
    ASSERT_TRUE(free.Solved());

    TSurfaceOptions along = axes;
    along.Limits.Bearing = 0;
    const TSurfaceResult zero = OptimizeSurface(f, along);
    ASSERT_TRUE(zero.Solved());
    EXPECT_NEAR(double(zero.CutVolume), double(free.CutVolume), 1e-6 * double(free.CutVolume));

    TSurfaceOptions turned;
    turned.Limits.Bearing = 90;
    turned.Limits.Main = axes.Limits.Cross;
    turned.Limits.Cross = {-*axes.Limits.Main.Max, -*axes.Limits.Main.Min};
    turned.Ratio = axes.Ratio;
    turned.Step = 1;
    const TSurfaceResult ninety = OptimizeSurface(f, turned);
    ASSERT_TRUE(ninety.Solved());
    EXPECT_NEAR(double(ninety.CutVolume), double(free.CutVolume), 1e-6 * double(free.CutVolume));

    for (const int step : {1, 3}) {
        TSurfaceOptions o;
        o.Limits.Bearing = 30;
        o.Limits.Main = {-0.003L, -0.0005L};
        o.Limits.Cross = {-0.0008L, 0.0008L};
        o.Ratio = 1.2L;
        o.Step = step;
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_TRUE(r.Solved()) << step;
        EXPECT_LE(WorstExcess(f, r.Design, o.Limits), 1e-9L) << step;
        // The same surface read along X and Y breaks those limits: the
        // bearing's rows are not the axes' rows.
        EXPECT_GT(WorstExcess(f, r.Design, SineOptions(1).Limits), 1e-6L) << step;
    }
}

// Depth limits, bounds on the design and fixed stakes hold at every stake
// at K = 1; a fixed stake keeps its elevation at any K (no ratio shift moves
// it).
TEST(OptimizedSurface, DepthsBoundsAndFixedStakes)
{
    const TSurfaceField f = SineField(30, 20);
    const struct {
        const char* what;
        int step;
        std::optional<long double> maxCut, maxFill, low, high;
        std::vector<TFixedStake> fixed;
        // clang-format off
    } cases[] = {
        // The free surface cuts 8,3 cm and fills 7,1 cm at most, and lies
        // between 99,903 and 100,071 m.
        {"cut at most 7 cm", 1, 0.07L, {}, {}, {}, {}},
        {"fill at most 6 cm", 1, {}, 0.06L, {}, {}, {}},
        {"design at least 99,92 m", 1, {}, {}, 99.92L, {}, {}},
        {"design at most 100,05 m", 1, {}, {}, {}, 100.05L, {}},
        {"outlet at column 30, row 11", 1, {}, {}, {}, {}, {{30, 11, 99.93L}}},
        {"two gates", 1, {}, {}, {}, {}, {{1, 1, 100.06L}, {16, 20, 99.96L}}},
        // Between the nodes of K = 3, where no shift may move it.
        {"outlet at column 29, row 11, K 3", 3, {}, {}, {}, {}, {{29, 11, 99.93L}}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TSurfaceResult free = OptimizeSurface(f, SineOptions(c.step));
        ASSERT_TRUE(free.Solved());
        TSurfaceOptions o = SineOptions(c.step);
        o.MaxCut = c.maxCut;
        o.MaxFill = c.maxFill;
        o.MinElevation = c.low;
        o.MaxElevation = c.high;
        o.Fixed = c.fixed;
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_TRUE(r.Solved()) << r.Message;
        EXPECT_LE(WorstExcess(f, r.Design, o.Limits), 1e-9L);
        // Every option costs earth against the free surface.
        EXPECT_GT(r.CutVolume + r.FillVolume, free.CutVolume + free.FillVolume + 1e-3L);
        for (std::size_t i = 0; i < f.Z.size(); ++i) {
            const double d = f.Z[i] - r.Design[i];
            EXPECT_LE(d, double(c.maxCut.value_or(1e9L)) + 1e-9) << i;
            EXPECT_LE(-d, double(c.maxFill.value_or(1e9L)) + 1e-9) << i;
            EXPECT_GE(r.Design[i], double(c.low.value_or(-1e9L)) - 1e-9) << i;
            EXPECT_LE(r.Design[i], double(c.high.value_or(1e9L)) + 1e-9) << i;
        }
        for (const TFixedStake& s : c.fixed)
            EXPECT_NEAR(At(r.Design, f, s.Col - 1, s.Row - 1), double(s.Elevation), 1e-9);
        // Between nodes only a shift meets the ratio exactly, and a fixed
        // stake forbids it: the programme's ratio on the nodes is what is left.
        const bool shifted = c.fixed.empty() || c.step == 1;
        EXPECT_EQ(r.RatioMet, shifted);
        EXPECT_NEAR(double(r.CutVolume / r.FillVolume), 1.2, shifted ? 1e-6 : 0.05);
    }
}

// Bounds that leave only cut (or only fill) cannot meet a ratio. With cut
// at least R times the fill, a surface held below every stake is designed
// with its ratio not met, and one held above every stake has no answer; at
// R < 1 the roles turn. Neither is reached by cutting and filling one node.
TEST(OptimizedSurface, RatioBeyondTheBounds)
{
    const TSurfaceField f = SineField(12, 8);
    const struct {
        const char* what;
        long double ratio;
        std::optional<long double> low, high;
        bool solved;
        // clang-format off
    } cases[] = {
        {"R 2, below every stake", 2, {}, 99.5L, true},
        {"R 2, above every stake", 2, 100.5L, {}, false},
        {"R 0,5, above every stake", 0.5L, 100.5L, {}, true},
        {"R 0,5, below every stake", 0.5L, {}, 99.5L, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSurfaceOptions o = SineOptions(1);
        o.Ratio = c.ratio;
        o.MinElevation = c.low;
        o.MaxElevation = c.high;
        const TSurfaceResult r = OptimizeSurface(f, o);
        ASSERT_EQ(r.Solved(), c.solved) << r.Message;
        if (!c.solved) {
            EXPECT_EQ(int(r.Status), int(TSurfaceStatus::Infeasible));
            continue;
        }
        EXPECT_FALSE(r.RatioMet);
        EXPECT_EQ(r.CutAndFilled, 0);
        EXPECT_NEAR(double(r.Shift), 0, 0);
        for (std::size_t i = 0; i < f.Z.size(); ++i) {
            EXPECT_GE(r.Design[i], double(c.low.value_or(-1e9L)) - 1e-9) << i;
            EXPECT_LE(r.Design[i], double(c.high.value_or(1e9L)) + 1e-9) << i;
        }
    }
}

TEST(OptimizedSurface, RefusalsAndFailures)
{
    const TSurfaceField f = SineField(12, 8);
    const TSlopeLimits sine = SineOptions(1).Limits;
    const struct {
        const char* what;
        std::function<void(TSurfaceOptions&)> set;
        TSurfaceStatus status;
        // clang-format off
    } cases[] = {
        {"least fall", [](TSurfaceOptions& o) { o.Limits.MinFall = 0.001L; }, TSurfaceStatus::BadOptions},
        {"minimum above maximum", [](TSurfaceOptions& o) { o.Limits.Main = {0.01L, 0.001L}; }, TSurfaceStatus::BadOptions},
        {"ratio 0", [](TSurfaceOptions& o) { o.Ratio = 0; }, TSurfaceStatus::BadOptions},
        {"bounds crossed", [](TSurfaceOptions& o) { o.MinElevation = 101; o.MaxElevation = 100; }, TSurfaceStatus::BadOptions},
        {"negative depth", [](TSurfaceOptions& o) { o.MaxCut = -0.1L; }, TSurfaceStatus::BadOptions},
        {"fixed outside the field", [](TSurfaceOptions& o) { o.Fixed = {{13, 1, 100}}; }, TSurfaceStatus::BadOptions},
        // Two stakes 55 m apart cannot differ by 1 m within 0,3 %.
        {"fixed against the slopes", [&](TSurfaceOptions& o) { o.Limits = sine; o.Fixed = {{1, 1, 100}, {12, 1, 101}}; },
         TSurfaceStatus::Infeasible},
        {"no cut and no fill on an uneven field", [&](TSurfaceOptions& o) { o.Limits = sine; o.MaxCut = 0; o.MaxFill = 0; },
         TSurfaceStatus::Infeasible},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSurfaceOptions o;
        c.set(o);
        const TSurfaceResult r = OptimizeSurface(f, o);
        EXPECT_EQ(int(r.Status), int(c.status));
        EXPECT_FALSE(r.Message.empty());
    }

    TSurfaceField one = f;
    std::fill(one.Z.begin(), one.Z.end(), 0.0f);
    one.Z[5] = 100;
    EXPECT_EQ(int(OptimizeSurface(one, SineOptions(1)).Status), int(TSurfaceStatus::NoStakes));

    TSurfaceOptions bearing = SineOptions(1);
    bearing.Limits.Bearing = 45;
    EXPECT_EQ(int(OptimizeSurface(Row({1, 2, 3}, 5, 5), bearing).Status), int(TSurfaceStatus::BadOptions));

    const std::atomic<bool> cancelled{true};
    EXPECT_EQ(int(OptimizeSurface(f, SineOptions(1), nullptr, &cancelled).Status), int(TSurfaceStatus::Cancelled));
}

// The ratio shift is exact on the piecewise-linear volumes: stakes 1 to 4 m
// above a level design, each a square metre.
TEST(OptimizedSurface, RatioShiftIsExact)
{
    const TSurfaceField f = Row({1, 2, 3, 4}, 1, 1);
    const std::vector<double> level(4, 0.0);
    const struct {
        long double ratio;
        TEarthBalance balance;
        double shift;
        // clang-format off
    } cases[] = {
        {1, {}, 2.5},             // cut 2 = fill 2
        {3, {}, 2},               // cut 3 = 3 x fill 1
        {1, {1, 0, 0}, 2.25},     // cut 2,5 - 1 = fill 1,5
        {1, {0, 0, 1}, 2.75},     // cut 1,5 = fill 2,5 - 1
        {0.25L, {}, 22.0 / 7},    // cut 6/7 = fill 24/7 / 4
        {100, {}, 109.0 / 103},   // a sliver of fill at the lowest stake
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto s = RatioShift(f, level, c.ratio, c.balance);
        ASSERT_TRUE(s);
        EXPECT_NEAR(double(*s), c.shift, 1e-12) << double(c.ratio);
        const TSurfaceVolumes v = SurfaceVolumes(f, level, *s);
        EXPECT_NEAR(double((v.Cut - c.balance.Export + c.balance.Import) / (v.Fill - c.balance.ImportCompacted)),
                    double(c.ratio), 1e-9);
    }
}

TEST(OptimizedSurface, DesignGridSize)
{
    // clang-format off
    const struct { int count, step, nodes; } along[] = {
        {1, 1, 1}, {2, 5, 2}, {7, 2, 4}, {10, 3, 4}, {11, 3, 5}, {1000, 6, 168},
    };
    const struct { int cols, rows, step; } steps[] = {
        {1000, 1000, 6}, {300, 200, 2}, {200, 200, 1}, {201, 200, 2}, {1, 1, 1}, {1000, 1, 1}, {1000, 41, 2},
    };
    // clang-format on
    for (const auto& c : along)
        EXPECT_EQ(NodesAlong(c.count, c.step), c.nodes) << c.count << " / " << c.step;
    for (const auto& c : steps)
        EXPECT_EQ(DefaultStep(c.cols, c.rows), c.step) << c.cols << " x " << c.rows;
}
