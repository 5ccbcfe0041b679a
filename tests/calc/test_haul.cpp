// The haul of a plan's earth: the worked 4 x 5 grid at 25 m, small fields
// against a transport of every cut stake to every fill stake solved here
// independently, and the cost.

#include "calc/CalcSist.h"
#include "calc/Haul.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

using namespace nivora;
using namespace nivora::testing;

namespace {

constexpr THaulSolver kSolvers[] = {THaulSolver::NetworkSimplex, THaulSolver::CostScaling};

// The least cost of moving every cut stake's earth to the fill stakes over
// Manhattan distances, by successive shortest paths on the transport
// problem itself: no grid, no neighbours, no integers.
long double DirectTransport(const std::vector<long double>& supply, int cols, long double lx, long double ly)
{
    struct TArc {
        int to;
        long double cap, cost;
    };
    const int n = int(supply.size());
    const int source = n, sink = n + 1;
    std::vector<TArc> arcs;
    std::vector<std::vector<int>> out(std::size_t(n) + 2);
    const auto add = [&](int from, int to, long double cap, long double cost) {
        out[std::size_t(from)].push_back(int(arcs.size()));
        arcs.push_back({to, cap, cost});
        out[std::size_t(to)].push_back(int(arcs.size()));
        arcs.push_back({from, 0, -cost});
    };
    for (int i = 0; i < n; ++i) {
        if (supply[std::size_t(i)] > 0) {
            add(source, i, supply[std::size_t(i)], 0);
            for (int k = 0; k < n; ++k)
                if (supply[std::size_t(k)] < 0)
                    add(i, k, 1e30L, std::abs(i % cols - k % cols) * lx + std::abs(i / cols - k / cols) * ly);
        } else if (supply[std::size_t(i)] < 0) {
            add(i, sink, -supply[std::size_t(i)], 0);
        }
    }
    long double total = 0;
    for (int round = 0; round < 4 * n + 4; ++round) {
        std::vector<long double> dist(std::size_t(n) + 2, 1e300L);
        std::vector<int> via(std::size_t(n) + 2, -1);
        dist[std::size_t(source)] = 0;
        for (int pass = 0; pass < n + 2; ++pass)
            for (int u = 0; u < n + 2; ++u)
                for (int a : out[std::size_t(u)])
                    if (arcs[std::size_t(a)].cap > 1e-12L
                        && dist[std::size_t(u)] + arcs[std::size_t(a)].cost
                               < dist[std::size_t(arcs[std::size_t(a)].to)] - 1e-12L) {
                        dist[std::size_t(arcs[std::size_t(a)].to)] = dist[std::size_t(u)] + arcs[std::size_t(a)].cost;
                        via[std::size_t(arcs[std::size_t(a)].to)] = a;
                    }
        if (via[std::size_t(sink)] < 0)
            break;
        long double push = 1e30L;
        for (int v = sink; v != source; v = arcs[std::size_t(via[std::size_t(v)] ^ 1)].to)
            push = std::min(push, arcs[std::size_t(via[std::size_t(v)])].cap);
        for (int v = sink; v != source; v = arcs[std::size_t(via[std::size_t(v)] ^ 1)].to) {
            arcs[std::size_t(via[std::size_t(v)])].cap -= push;
            arcs[std::size_t(via[std::size_t(v)] ^ 1)].cap += push;
        }
        total += push * dist[std::size_t(sink)];
    }
    return total;
}

}  // namespace

TEST(Haul, WorkedGridAtTwoRatios)
{
    // clang-format off
    const struct {
        const char* what;
        long double ratio;
        double cut, moment, mean;
        std::vector<double> massX, massY;
    } cases[] = {
        {"best plane", -1, 1313.0625, 55648.4375, 42.380646,
         {-263.75, -278.125, 288.125, 253.75}, {48.75, 46.25, -95.0}},
        {"at 1,3", 1.3L, 1503.9482, 60939.7309, 40.519833, {}, {}},
    };
    // clang-format on
    for (const auto& c : cases)
        for (THaulSolver solver : kSolvers) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(solver == THaulSolver::NetworkSimplex ? "network simplex" : "cost scaling");
            TTerreno t = Worked();
            ASSERT_TRUE(Systematize(t, false, c.ratio).Computed);
            const THaulResult h = ComputeHaul(t, t.LastArea(), solver);
            ASSERT_TRUE(h.Computed);
            EXPECT_NEAR(double(h.CutVolume), c.cut, 2e-3);
            EXPECT_NEAR(double(h.Moment), c.moment, 0.05);
            EXPECT_NEAR(double(h.MeanHaul), c.mean, 5e-5);
            // The mass curves end where the ratio balances the field.
            ASSERT_EQ(h.MassX.size(), 4u);
            ASSERT_EQ(h.MassY.size(), 3u);
            for (std::size_t i = 0; i < c.massX.size(); ++i)
                EXPECT_NEAR(double(h.MassX[i]), c.massX[i], 2e-3) << i;
            for (std::size_t i = 0; i < c.massY.size(); ++i)
                EXPECT_NEAR(double(h.MassY[i]), c.massY[i], 2e-3) << i;
        }
}

TEST(Haul, SmallFieldsAsFlowsBetweenNeighbours)
{
    // clang-format off
    const struct {
        const char* what;
        int cols;
        long double lx, ly;
        std::vector<long double> supply;
        double moment;
    } cases[] = {
        {"across a stake without earth", 3, 10, 99, {5, 0, -5}, 100},
        {"along Y only", 1, 99, 7, {5, 0, -5}, 70},
        {"diagonal at unequal spacings", 2, 10, 30, {4, 0, 0, -4}, 160},
        {"spacings in millimetres", 2, 12.5L, 20.3L, {1, 0, 0, -1}, 32.8},
        {"neighbour before the far one", 3, 12.5L, 20.3L, {1, -1, 0, 0, 0, -2, 2, 0, 0}, 12.5 + 2 * (25 + 20.3)},
        {"thirds that do not round to units", 3, 1, 1, {1.0L / 3, 1.0L / 3, -2.0L / 3}, 1},
        {"nothing to move", 2, 10, 10, {0, 0, 0, 0}, 0},
    };
    // clang-format on
    for (const auto& c : cases)
        for (THaulSolver solver : kSolvers) {
            SCOPED_TRACE(c.what);
            THaulField f;
            f.Cols = c.cols;
            f.Rows = int(c.supply.size()) / c.cols;
            f.Lx = c.lx;
            f.Ly = c.ly;
            f.Supply = c.supply;
            EXPECT_NEAR(double(LeastHaulMoment(f, solver)), c.moment, 1e-6);
        }
}

TEST(Haul, RandomFieldsAgainstDirectTransport)
{
    std::mt19937 random(30);
    for (int k = 0; k < 40; ++k) {
        const int cols = 3 + int(random() % 6), rows = 3 + int(random() % 5);
        const float lx = float(5 + random() % 40) + 0.25f, ly = float(5 + random() % 40) + 0.5f;
        TTerreno t(cols, rows, lx, ly);
        t.SetOrigin(0, 0);
        std::uniform_real_distribution<float> z(5.0f, 9.0f);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                if (random() % 7 != 0)  // some stakes without elevation
                    t.SetCell(c, r, z(random));
        // An area that starts at an odd column and row, with stakes outside it.
        const TUsedRect area{1 + int(random() % 2), 1 + int(random() % 2), cols, rows};
        t.SetSelection(area);
        const long double ratio = k % 2 ? 1.0L : 0.8L + 0.1L * (k % 5);
        if (!Systematize(t, true, ratio).Computed)
            continue;
        SCOPED_TRACE(k);
        ASSERT_EQ(t.LastArea(), area);

        // Each stake's earth straight from its cut or fill.
        const int w = area.LastCol - area.FirstCol + 1, h = area.LastRow - area.FirstRow + 1;
        std::vector<long double> supply;
        long double cut = 0, fill = 0;
        for (int r = area.FirstRow; r <= area.LastRow; ++r)
            for (int c = area.FirstCol; c <= area.LastCol; ++c) {
                const long double d = t.CutFill(c, r);
                supply.push_back(d == TTerreno::NoValue ? 0 : -d * lx * ly);
                (d < 0 ? cut : fill) += d == TTerreno::NoValue ? 0 : std::fabs(d) * lx * ly;
            }
        for (long double& s : supply)
            if (s < 0)
                s *= cut / fill;
        const long double expected = DirectTransport(supply, w, lx, ly);
        std::vector<long double> massX(std::size_t(w) - 1, 0), massY(std::size_t(h) - 1, 0);
        for (int i = 0; i < w * h; ++i) {
            for (int line = i % w; line < w - 1; ++line)
                massX[std::size_t(line)] += supply[std::size_t(i)];
            for (int line = i / w; line < h - 1; ++line)
                massY[std::size_t(line)] += supply[std::size_t(i)];
        }

        for (THaulSolver solver : kSolvers) {
            const THaulResult r = ComputeHaul(t, area, solver);
            ASSERT_TRUE(r.Computed);
            EXPECT_NEAR(double(r.Moment), double(expected), 1e-6 * double(expected) + 1e-6);
            EXPECT_NEAR(double(r.MeanHaul), double(expected / cut), 1e-6 * double(expected / cut));
            EXPECT_NEAR(double(r.Ratio), double(cut / fill), 1e-12);
            ASSERT_EQ(r.MassX.size(), massX.size());
            ASSERT_EQ(r.MassY.size(), massY.size());
            for (std::size_t i = 0; i < massX.size(); ++i)
                EXPECT_NEAR(double(r.MassX[i]), double(massX[i]), 1e-6);
            for (std::size_t i = 0; i < massY.size(); ++i)
                EXPECT_NEAR(double(r.MassY[i]), double(massY[i]), 1e-6);
        }
    }
}

TEST(Haul, CostFromPrices)
{
    THaulResult h;
    h.CutVolume = 1313.0625L;
    h.Moment = 55648.4375L;
    const struct {
        long double volume, haul;
        double expected;
    } cases[] = {{0, 0, 0}, {10, 0, 13130.625}, {0, 2, 111.296875}, {8.5, 3.2, 11161.03125 + 178.075}};
    for (const auto& c : cases) {
        const THaulCost cost = HaulCost(h, c.volume, c.haul);
        EXPECT_NEAR(double(cost.Total), c.expected, 1e-6);
        EXPECT_NEAR(double(cost.Volume + cost.Haul), c.expected, 1e-6);
    }
}

TEST(Haul, AreaWithoutElevations)
{
    TTerreno t = Worked();
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    TTerreno empty(5, 4, 25.0f, 25.0f);
    EXPECT_FALSE(ComputeHaul(empty, {1, 1, 5, 4}).Computed);
    // All cut or all fill: nothing moves within the field.
    THaulField f;
    f.Cols = 2;
    f.Rows = 1;
    f.Lx = f.Ly = 10;
    f.Supply = {3, 0};
    EXPECT_EQ(LeastHaulMoment(f), 0);
}
