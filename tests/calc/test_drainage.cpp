// Ponding, flow and the design's least fall: small fields worked by hand,
// planes, fields with holes and in two parts, and random fields against a
// fill that knows nothing of priority queues.

#include "calc/CalcSist.h"
#include "calc/Drainage.h"
#include "calc/FieldReport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <utility>

using namespace nivora;

namespace {

using TStakes = std::set<std::pair<int, int>>;

// A terrain of cols x rows stakes, every one at `z(col, row)` except those in
// `missing`.
TTerreno Field(int cols, int rows, float lx, float ly, const std::function<float(int, int)>& z,
               const TStakes& missing = {})
{
    TTerreno t(cols, rows, lx, ly);
    t.SetOrigin(0, 0);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            if (!missing.count({c, r}))
                t.SetCell(c, r, z(c, r));
    return t;
}

TDrainage Drain(const TTerreno& t, const TUsedRect& area = {1, 1, 1000, 1000})
{
    const TDrainGrid g = DrainageSurface(t, TDrainSurface::Natural, area);
    return ComputeDrainage(g, BorderOutlets(g));
}

double DepthAt(const TDrainage& d, int c, int r) { return d.Depth[d.Index(c, r)]; }

// The 5 x 5 field at 10,00 with the hollow at (3,3) and (4,3).
float Hollow(int c, int r)
{
    if (c == 3 && r == 3)
        return 9.0f;
    if (c == 4 && r == 3)
        return 9.4f;
    return 10.0f;
}

}  // namespace

TEST(Drainage, HollowsFilledToTheirSpillLevel)
{
    // clang-format off
    const struct {
        const char* what;
        int cols, rows;
        float lx, ly;
        std::function<float(int, int)> z;
        TStakes missing;
        double level;               // of the largest pond
        std::pair<int, int> spill;  // its rim stake; (0, 0): any
        std::vector<std::pair<std::pair<int, int>, double>> depths;
        double volume;
        int wet, ponds;
    } cases[] = {
        {"hollow", 5, 5, 20, 20, Hollow, {}, 10.0, {0, 0}, {{{3, 3}, 1.0}, {{4, 3}, 0.6}, {{2, 3}, 0}}, 640, 2, 1},
        {"low border stake", 5, 5, 20, 20,
         [](int c, int r) { return c == 5 && r == 3 ? 9.7f : Hollow(c, r); }, {},
         9.7, {5, 3}, {{{3, 3}, 0.7}, {{4, 3}, 0.3}}, 400, 2, 1},
        {"unequal spacings", 5, 5, 20, 10, Hollow, {}, 10.0, {0, 0}, {{{3, 3}, 1.0}, {{4, 3}, 0.6}}, 320, 2, 1},
        // Without (5,3) the hollow's neighbour (4,3) is on the field's edge:
        // water leaves there, and only (3,3) holds it, up to 9,40.
        {"missing stake", 5, 5, 20, 20, Hollow, {{5, 3}}, 9.4, {4, 3}, {{{3, 3}, 0.4}, {{4, 3}, 0}}, 160, 1, 1},
        // Two parts side by side, column 5 empty between them, a hollow each.
        {"two parts", 9, 5, 20, 20,
         [](int c, int r) { return r == 3 && c == 3 ? 9.0f : r == 3 && c == 7 ? 9.5f : 10.0f; }, {{5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}},
         10.0, {0, 0}, {{{3, 3}, 1.0}, {{7, 3}, 0.5}}, 600, 2, 2},
        // Two hollows joined over a saddle at 9,8 spill together at 10.
        {"joined hollows", 7, 5, 10, 10,
         [](int c, int r) { return r == 3 && c == 3 ? 9.0f : r == 3 && c == 5 ? 9.2f : r == 3 && c == 4 ? 9.8f : 10.0f; }, {},
         10.0, {0, 0}, {{{3, 3}, 1.0}, {{4, 3}, 0.2}, {{5, 3}, 0.8}}, 200, 3, 1},
        // A hole diagonal to the hollow: water leaves the field there.
        {"hole beside the hollow", 5, 5, 20, 20, Hollow, {{4, 4}}, 0, {0, 0}, {{{3, 3}, 0}, {{4, 3}, 0}}, 0, 0, 0},
        {"level field", 5, 4, 10, 10, [](int, int) { return 10.0f; }, {}, 0, {0, 0}, {{{3, 2}, 0}}, 0, 0, 0},
    };
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const TDrainage d = Drain(Field(k.cols, k.rows, k.lx, k.ly, k.z, k.missing));
        for (const auto& [stake, depth] : k.depths)
            EXPECT_NEAR(DepthAt(d, stake.first, stake.second), depth, 1e-6) << stake.first << "," << stake.second;
        EXPECT_NEAR(d.Volume, k.volume, 1e-3);
        EXPECT_EQ(d.WetCount, k.wet);
        EXPECT_NEAR(d.WetArea, k.wet * double(k.lx) * k.ly, 1e-9);
        ASSERT_EQ(d.Ponds.size(), std::size_t(k.ponds));
        EXPECT_EQ(d.UndrainedCount, 0);
        if (k.ponds == 0)
            continue;
        EXPECT_NEAR(d.Ponds[0].Level, k.level, 1e-6);
        if (k.spill.first != 0) {
            EXPECT_EQ(std::make_pair(d.Ponds[0].SpillCol, d.Ponds[0].SpillRow), k.spill);
        }
        double sum = 0;
        for (const TPond& p : d.Ponds)
            sum += p.Volume;
        EXPECT_NEAR(sum, d.Volume, 1e-6);
        EXPECT_NEAR(d.MaxDepth, k.depths[0].second, 1e-6);
        EXPECT_EQ(std::make_pair(d.DeepestCol, d.DeepestRow), k.depths[0].first);
    }
}

TEST(Drainage, PlanesHoldNoWater)
{
    // clang-format off
    const struct { float lx, ly; double sx, sy; int cols, rows; } planes[] = {
        {20, 20, 0.002, 0, 5, 5}, {10, 30, 0, -0.001, 6, 4}, {25, 10, -0.0005, 0.003, 7, 3},
        {20, 20, 0.0001, 0.0001, 9, 9}, {5, 40, -0.01, -0.02, 4, 8},
    };
    // clang-format on
    for (const auto& p : planes) {
        SCOPED_TRACE(p.sx);
        const TTerreno t = Field(p.cols, p.rows, p.lx, p.ly, [&](int c, int r) {
            return float(100 + p.sx * p.lx * (c - 1) + p.sy * p.ly * (r - 1));
        });
        const TDrainage d = Drain(t);
        EXPECT_EQ(d.Volume, 0);
        EXPECT_EQ(d.WetCount, 0);
        EXPECT_TRUE(d.Ponds.empty());
        // All the water reaches the outlets.
        std::int64_t out = 0;
        for (std::size_t i = 0; i < d.Direction.size(); ++i)
            if (d.Direction[i] == kLeavesField)
                out += d.Accumulation[i];
        EXPECT_EQ(out, d.StakeCount);
    }
}

TEST(Drainage, FlowDirectionsWeighTheSpacings)
{
    // clang-format off
    const struct {
        const char* what;
        float lx, ly;
        double sx, sy;  // fall per metre along X and Y (positive: falls)
        int dir;        // of every stake off the low edges
    } cases[] = {
        // 0,2 % along +X: east, even though south-east falls as much in metres.
        {"east", 10, 10, 0.002, 0, 0},
        // A little south too: the diagonal falls more but over a longer way.
        {"east, not south-east", 10, 10, 0.01, 0.001, 0},
        {"south-east", 10, 10, 0.01, 0.01, 1},
        // Equal falls per metre, rows four times as far apart: the diagonal.
        {"south-east, long rows", 10, 40, 0.01, 0.01, 1},
        {"south, long columns", 40, 10, 0.001, 0.01, 2},
        {"west", 20, 10, -0.003, 0, 4},
        {"north", 10, 20, 0, -0.003, 6},
    };
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const TTerreno t = Field(6, 4, k.lx, k.ly, [&](int c, int r) {
            return float(50 - k.sx * k.lx * (c - 1) - k.sy * k.ly * (r - 1));
        });
        const TDrainage d = Drain(t);
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 6; ++c) {
                const int nc = c + kD8Col[k.dir], nr = r + kD8Row[k.dir];
                if (nc >= 1 && nc <= 6 && nr >= 1 && nr <= 4) {
                    EXPECT_EQ(d.Direction[d.Index(c, r)], k.dir) << c << "," << r;
                }
            }
    }
}

TEST(Drainage, PlaneFallingEastGathersEachRowAtTheEastColumn)
{
    const TTerreno t = Field(6, 4, 10, 10, [](int c, int) { return float(10 - 0.002 * 10 * (c - 1)); });
    const TDrainage d = Drain(t);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 6; ++c) {
            EXPECT_EQ(d.Accumulation[d.Index(c, r)], c) << c << "," << r;
            EXPECT_EQ(d.Direction[d.Index(c, r)], c == 6 ? kLeavesField : 0) << c << "," << r;
        }
    EXPECT_EQ(d.MaxAccumulation, 6);
}

TEST(Drainage, AreaStartingInsideTheGrid)
{
    // The hollow seen through an area that starts at column 2, row 2: its
    // border is the area's, so (3,3) is an inner stake of a 3 x 3 field.
    TTerreno t = Field(6, 5, 20, 20, Hollow);
    const TDrainage d = Drain(t, {2, 2, 4, 4});
    EXPECT_EQ(d.Width, 3);
    EXPECT_EQ(d.Height, 3);
    EXPECT_NEAR(DepthAt(d, 3, 3), 0.4, 1e-6);  // spills over (4,3) at 9,40
    EXPECT_EQ(d.WetCount, 1);
    EXPECT_EQ(std::make_pair(d.DeepestCol, d.DeepestRow), std::make_pair(3, 3));
    ASSERT_EQ(d.Ponds.size(), 1u);
    EXPECT_EQ(std::make_pair(d.Ponds[0].SpillCol, d.Ponds[0].SpillRow), std::make_pair(4, 3));
}

TEST(Drainage, OutletsGivenByTheUser)
{
    TTerreno t = Field(5, 5, 20, 20, [](int c, int r) { return c == 3 && r == 3 ? 9.0f : 10.0f - 0.01f * float(c); },
                       {{1, 5}, {2, 5}});
    const TDrainGrid g = DrainageSurface(t, TDrainSurface::Natural, {1, 1, 5, 5});
    // clang-format off
    const struct { const char* text; std::vector<std::pair<int, int>> stakes; const char* error; } lists[] = {
        {"5 3\n", {{5, 3}}, ""},
        {"# saídas\n\n5,3\r\n1;1\n  2\t4  \n", {{5, 3}, {1, 1}, {2, 4}}, ""},
        {"5 3", {{5, 3}}, ""},
        {"5\n", {}, "linha 1 do arquivo de saídas: escreva a coluna e a linha de um piquete (recebido: \"5\")"},
        {"5 3\n4 3 1\n", {}, "linha 2 do arquivo de saídas: escreva a coluna e a linha de um piquete (recebido: \"4 3 1\")"},
        {"5.0 3", {}, "linha 1 do arquivo de saídas: escreva a coluna e a linha de um piquete (recebido: \"5.0 3\")"},
        {"\n\n6 1", {}, "linha 3 do arquivo de saídas: o piquete (6, 1) não tem cota no terreno"},
        {"1 5", {}, "linha 1 do arquivo de saídas: o piquete (1, 5) não tem cota no terreno"},
        {"0 0", {}, "linha 1 do arquivo de saídas: o piquete (0, 0) não tem cota no terreno"},
        {"# nada\n", {}, "o arquivo de saídas não indica nenhum piquete"},
    };
    // clang-format on
    for (const auto& k : lists) {
        SCOPED_TRACE(k.text);
        const TOutletList list = ParseOutlets(k.text, g);
        EXPECT_EQ(list.Error, k.error);
        EXPECT_EQ(list.Stakes, k.stakes);
    }

    // One outlet at (5,3): the whole field drains there, every stake but it
    // through a neighbour, and the hollow still fills to 10 less a hair.
    const TDrainage d = ComputeDrainage(g, OutletMask(g, ParseOutlets("5 3", g)));
    EXPECT_EQ(d.OutletCount, 1);
    EXPECT_EQ(d.Direction[d.Index(5, 3)], kLeavesField);
    EXPECT_EQ(d.Accumulation[d.Index(5, 3)], d.StakeCount);
    EXPECT_EQ(d.StakeCount, 23);
    EXPECT_GT(DepthAt(d, 3, 3), 0.95);
    // A corner stake higher than every way out fills to the lowest rim: the
    // west column rises above the outlet, so it stays dry.
    EXPECT_EQ(DepthAt(d, 1, 1), 0);
}

TEST(Drainage, PartWithoutOutletIsLeftOut)
{
    const TTerreno t = Field(7, 3, 10, 10, [](int c, int) { return c == 2 ? 9.0f : 10.0f; }, {{4, 1}, {4, 2}, {4, 3}});
    const TDrainGrid g = DrainageSurface(t, TDrainSurface::Natural, {1, 1, 7, 3});
    const TDrainage d = ComputeDrainage(g, OutletMask(g, ParseOutlets("7 2", g)));
    EXPECT_EQ(d.UndrainedCount, 9);
    EXPECT_EQ(d.Direction[d.Index(2, 2)], kUndrained);
    EXPECT_TRUE(std::isnan(DepthAt(d, 2, 2)));
    EXPECT_EQ(d.Volume, 0);
    EXPECT_EQ(d.Accumulation[d.Index(7, 2)], 9);
}

TEST(Drainage, DesignSurfaceIsTheTerrainsDesign)
{
    TTerreno t = Field(5, 5, 20, 20, Hollow, {{1, 1}});
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    const TDrainGrid g = DrainageSurface(t, TDrainSurface::Design, t.LastArea());
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c) {
            const double z = g.Z[g.Index(c, r)];
            if (c == 1 && r == 1)
                EXPECT_TRUE(std::isnan(z));
            else
                EXPECT_EQ(z, double(t.DesignElevation(c, r)));
        }
    const TDrainage d = ComputeDrainage(g, BorderOutlets(g));
    EXPECT_EQ(d.Volume, 0);
    EXPECT_GT(Drain(t).Volume, 600);
}

TEST(Drainage, RandomFieldsMatchAPlainFill)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const int cols = 3 + int(random() % 9), rows = 3 + int(random() % 9);
        std::uniform_real_distribution<float> height(9.0f, 11.0f);
        TDrainGrid g;
        g.Area = {2, 3, 1 + cols, 2 + rows};
        g.Width = cols;
        g.Height = rows;
        g.Lx = 10 + double(random() % 20);
        g.Ly = 10 + double(random() % 20);
        g.Z.resize(std::size_t(cols * rows));
        for (double& z : g.Z)
            z = random() % 8 == 0 ? std::nan("") : std::round(height(random) * 10) / 10;
        const std::vector<std::uint8_t> outlets = BorderOutlets(g);
        const TDrainage d = ComputeDrainage(g, outlets);

        // The fill as the least surface over the ground that has a way down
        // to an outlet from everywhere: lowered from the top until it holds.
        std::vector<double> w(g.Z.size(), 1e9);
        for (std::size_t i = 0; i < w.size(); ++i)
            if (outlets[i])
                w[i] = g.Z[i];
        for (bool changed = true; changed;) {
            changed = false;
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    const std::size_t i = std::size_t(r * cols + c);
                    if (!g.HasStake(i) || outlets[i])
                        continue;
                    double low = 1e9;
                    for (int k = 0; k < 8; ++k) {
                        const int nc = c + kD8Col[k], nr = r + kD8Row[k];
                        if (nc >= 0 && nc < cols && nr >= 0 && nr < rows && g.HasStake(std::size_t(nr * cols + nc)))
                            low = std::min(low, w[std::size_t(nr * cols + nc)]);
                    }
                    const double v = std::max(g.Z[i], low);
                    if (v < w[i]) {
                        w[i] = v;
                        changed = true;
                    }
                }
        }
        double volume = 0;
        std::int64_t stakes = 0;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (!g.HasStake(i)) {
                EXPECT_EQ(d.Direction[i], kNoStake);
                continue;
            }
            ++stakes;
            EXPECT_EQ(d.Filled[i], w[i]) << i;
            volume += (w[i] - g.Z[i]) * g.Lx * g.Ly;
            // Every stake's water reaches an outlet, never returning.
            std::size_t at = i;
            int steps = 0;
            while (d.Direction[at] >= 0 && steps++ <= cols * rows)
                at = std::size_t(std::ptrdiff_t(at) + kD8Row[d.Direction[at]] * cols + kD8Col[d.Direction[at]]);
            EXPECT_EQ(d.Direction[at], kLeavesField) << i;
            EXPECT_TRUE(outlets[at]);
        }
        EXPECT_NEAR(d.Volume, volume, 1e-6);
        std::int64_t out = 0;
        for (std::size_t i = 0; i < w.size(); ++i)
            if (d.Direction[i] == kLeavesField)
                out += d.Accumulation[i];
        EXPECT_EQ(out, stakes);
    }
}

TEST(Drainage, LeastFallAlongTheMainDirection)
{
    // A design grid over an area that starts at (3, 2), falling along −X and
    // +Y, one stake (4, 3) raised so that its neighbours fall less.
    const auto grid = [](double lx, double ly, const std::function<double(int, int)>& z) {
        TDrainGrid g;
        g.Area = {3, 2, 8, 5};
        g.Width = 6;
        g.Height = 4;
        g.Lx = lx;
        g.Ly = ly;
        for (int r = 2; r <= 5; ++r)
            for (int c = 3; c <= 8; ++c)
                g.Z.push_back(z(c, r));
        return g;
    };
    // Falls 0,2 % along X and 0,1 % along -Y: 0,2236 % along its direction.
    const auto plane = [](double lx, double ly) {
        return [=](int c, int r) { return 10 - 0.002 * lx * c + 0.001 * ly * r; };
    };
    // clang-format off
    const struct { const char* what; double lx, ly, minFall; std::size_t low; } cases[] = {
        {"above", 20, 10, 0.0022, 0},
        {"below", 20, 10, 0.0023, 24},
        {"above, other spacings", 10, 30, 0.0022, 0},
        {"below, other spacings", 10, 30, 0.00224, 24},
    };
    // clang-format on
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        const TFallCheck check = CheckMinimumFall(grid(k.lx, k.ly, plane(k.lx, k.ly)), k.minFall);
        EXPECT_NEAR(check.DirX, 2 / std::sqrt(5.0), 1e-9);
        EXPECT_NEAR(check.DirY, -1 / std::sqrt(5.0), 1e-9);
        EXPECT_EQ(check.Checked, 24);
        EXPECT_EQ(check.Stakes.size(), k.low);
        for (const TLowFall& s : check.Stakes)
            EXPECT_NEAR(s.Fall, std::sqrt(0.002 * 0.002 + 0.001 * 0.001), 1e-9);
    }

    // A flatter strip east of column 6: only its stakes and the one west of
    // it (whose centred slope sees the strip) fall less than 0,15 %.
    const TFallCheck strip =
        CheckMinimumFall(grid(20, 20,
                              [](int c, int) { return c <= 6 ? 10 - 0.04 * c : 10 - 0.04 * 6 - 0.01 * (c - 6); }),
                         0.0015);
    ASSERT_EQ(strip.Stakes.size(), 12u);
    for (const TLowFall& s : strip.Stakes) {
        EXPECT_GE(s.Col, 6);
        EXPECT_LE(s.Fall, 0.0015);
    }

    // A level design has no direction; it falls nowhere.
    const TFallCheck level = CheckMinimumFall(grid(20, 20, [](int, int) { return 10.0; }), 0.001);
    EXPECT_EQ(level.DirX, 0);
    EXPECT_EQ(level.DirY, 0);
    EXPECT_EQ(level.Stakes.size(), 24u);
    EXPECT_EQ(CheckMinimumFall(grid(20, 20, [](int, int) { return 10.0; }), 0).Stakes.size(), 0u);
}

TEST(Drainage, FieldReportTellsThePondingBeforeAndAfter)
{
    TTerreno t = Field(5, 5, 20, 20, Hollow);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    const TFieldReport r = BuildFieldReport(t);
    EXPECT_NEAR(r.NaturalPonding.Volume, 640, 1e-3);
    EXPECT_EQ(r.NaturalPonding.WetCount, 2);
    EXPECT_EQ(r.DesignPonding.Volume, 0);
    const std::vector<std::string> totals = ReportTotals(r, ',');
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[2], "Área alagável: terreno natural 0,0800 ha, 640,0 m³; plano 0,0000 ha, 0,0 m³.");
    EXPECT_EQ(PondingText({3, 1200, 1234.56}, {}, '.'),
              "Área alagável: terreno natural 0.1200 ha, 1234.6 m³; plano 0.0000 ha, 0.0 m³");
}
