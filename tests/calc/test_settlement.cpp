// The settlement allowance on the worked 4 x 5 grid at 25 m: which fills are
// raised, the two surfaces' volumes and the extra earth, the plan's ratio
// met again, and a recalculation that raises the fills again from the
// elevations of the time.

#include "calc/FieldReport.h"
#include "calc/LimitedPlane.h"
#include "calc/ResultTable.h"
#include "calc/Settlement.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace nivora;
using namespace nivora::testing;

namespace {

std::set<std::pair<int, int>> Raised(const TTerreno& t, int slot)
{
    std::set<std::pair<int, int>> raised;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 5; ++c)
            if (t.DesignSurface(slot)->LiftAt(c, r) > 0)
                raised.insert({c, r});
    return raised;
}

double D(const Real48& r) { return static_cast<double>(static_cast<long double>(r)); }

}  // namespace

// The best plane at the ratio asked for; fills deeper than X raised by p %
// of their whole depth measured from that plane; then one shift so that the
// built surface's cut / fill is the ratio again (cut - export = ratio x fill
// with earth exported). The expected surface after settlement is the built
// one less the raise.
TEST(Settlement, WorkedGrid)
{
    const struct {
        const char* what;
        long double depth, percent, ratio;
        TEarthBalance balance;
        std::set<std::pair<int, int>> raised;
        double builtCut, builtFill, settledCut, settledFill, extra;
        // clang-format off
    } cases[] = {
        {"X 0,30 m, 10 % at R 1,3", 0.30L, 10, 1.3L, {}, {{5, 3}, {5, 4}},
         1541.1263, 1185.4817, 1541.1263, 1126.4649, 59.0169},
        {"X 0,45 m: only the deepest", 0.45L, 10, 1.3L, {}, {{5, 4}}, 1523.6869, 1172.0669, 1523.6869, 1140.7334,
         31.3334},
        {"X 0: every fill, 5 %", 0, 5, 1.3L, {}, {{1, 1}, {1, 3}, {1, 4}, {2, 1}, {2, 2}, {4, 1}, {4, 2}, {5, 3}, {5, 4}},
         1540.3875, 1184.9135, 1540.3875, 1127.0693, 57.8442},
        {"with 200 m3 exported", 0.30L, 10, 1.3L, {200, 0, 0}, {{5, 3}, {5, 4}},
         1643.4632, 1110.3563, 1643.4632, 1053.1079, 57.2484},
        {"at R 1", 0.30L, 10, 1, {}, {{5, 3}, {5, 4}}, 1347.4306, 1347.4306, 1347.4306, 1284.9431, 62.4875},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTerreno t = Worked();
        TLimitedDesign design;
        design.Ratio = c.ratio;
        design.Balance = c.balance;
        design.Settlement = TSettlement{c.depth, c.percent};
        const TLimitedResult r = DesignLimitedPlan(t, 3, design, ',');
        ASSERT_TRUE(r.Run.Computed);
        EXPECT_TRUE(r.Run.Adjust.Converged);
        ASSERT_NE(t.DesignSurface(3), nullptr);
        EXPECT_EQ(Raised(t, 3), c.raised);
        const TPlano& p = t.Plans()[3];
        EXPECT_NEAR(D(p.CutVolume), c.builtCut, 1e-3);
        EXPECT_NEAR(D(p.FillVolume), c.builtFill, 1e-3);
        if (c.balance.Empty()) {
            EXPECT_NEAR(D(p.CutFillRatio), double(c.ratio), 1e-4);
        }
        // The slopes stay the plane's.
        EXPECT_NEAR(D(p.Sx), 0.01551, 1e-5);
        EXPECT_NEAR(D(p.Sy), -0.022464, 1e-5);
        const auto f = SettlementFigures(t, 3);
        ASSERT_TRUE(f);
        EXPECT_NEAR(double(f->BuiltCut), c.builtCut, 1e-3);
        EXPECT_NEAR(double(f->SettledCut), c.settledCut, 1e-3);
        EXPECT_NEAR(double(f->SettledFill), c.settledFill, 1e-3);
        EXPECT_NEAR(double(f->ExtraVolume), c.extra, 1e-3);
        EXPECT_EQ(f->RaisedStakes, std::int32_t(c.raised.size()));
        // Each raise is p % of the stake's fill under the plane before the
        // shift: the built design less the plane is that raise.
        for (const auto& [col, row] : c.raised)
            EXPECT_NEAR(double(t.DesignElevation(3, col, row) - t.PlaneElevation(p, col, row)),
                        double(t.DesignSurface(3)->LiftAt(col, row)), 1e-9);

        // Recalculated from its texts, as the results window does, the same
        // plan comes back.
        const TPlano before = p;
        ASSERT_TRUE(ParsePlanInputs(t, 3, ','));
        ASSERT_TRUE(RecalculatePlan(t, 3, c.balance).Computed);
        EXPECT_NEAR(D(t.Plans()[3].CutVolume), D(before.CutVolume), 1e-6);
        EXPECT_NEAR(D(t.Plans()[3].OriginElevation), D(before.OriginElevation), 1e-9);
        EXPECT_EQ(Raised(t, 3), c.raised);
    }
}

// After an edit the recalculation raises the fills of the new ground: a
// stake dug lower becomes a deep fill, and the raise follows its depth.
TEST(Settlement, RecalculationFollowsTheElevations)
{
    TTerreno t = Worked();
    TLimitedDesign design;
    design.Ratio = 1.3L;
    design.Settlement = TSettlement{0.30L, 10};
    ASSERT_TRUE(DesignLimitedPlan(t, 3, design, ',').Run.Computed);
    EXPECT_EQ(Raised(t, 3), (std::set<std::pair<int, int>>{{5, 3}, {5, 4}}));
    t.SetCell(1, 4, 6.0f);  // 0,74 m lower
    t.InvalidateResults();
    ASSERT_TRUE(RecalculatePlan(t, 3).Computed);
    EXPECT_EQ(Raised(t, 3), (std::set<std::pair<int, int>>{{1, 4}, {5, 3}, {5, 4}}));
    EXPECT_NEAR(D(t.Plans()[3].CutFillRatio), 1.3, 1e-3);
    // A new design without the allowance drops it.
    design.Settlement.reset();
    ASSERT_TRUE(DesignLimitedPlan(t, 3, design, ',').Run.Computed);
    EXPECT_EQ(t.DesignSurface(3), nullptr);
    EXPECT_FALSE(SettlementFigures(t, 3));
}

// The results window and the field report name the allowance and give both
// surfaces' figures.
TEST(Settlement, ShownWithThePlan)
{
    TTerreno t = Worked();
    TLimitedDesign design;
    design.Ratio = 1.3L;
    design.Settlement = TSettlement{0.30L, 10};
    ASSERT_TRUE(DesignLimitedPlan(t, 3, design, ',').Run.Computed);
    EXPECT_EQ(ResultCellText(&t, 3, 0, ','), "Plano 2 (limitado, recalque)");
    EXPECT_EQ(SettlementSummary(t, 3, ','),
              "Compensação de recalque: aterros acima de 0,30 m elevados 10 % da profundidade total.\n"
              "Superfície construída: corte 1541,1 m³, aterro 1185,5 m³.\n"
              "Superfície após o recalque: corte 1541,1 m³, aterro 1126,5 m³.\n"
              "Volume adicional de aterro: 59,0 m³ em 2 piquetes.");
    EXPECT_EQ(SettlementSummary(t, 1, ','), "");
    const TFieldReport report = BuildFieldReport(t);
    const auto items = ReportSummary(report, 3, ',');
    const auto value = [&](const std::string& caption) {
        for (const auto& [k, v] : items)
            if (k == caption)
                return v;
        return std::string("(none)");
    };
    EXPECT_EQ(value("Compensação de recalque"), "aterros acima de 0,30 m elevados 10 % da profundidade total");
    EXPECT_EQ(value("Superfície construída (m³)"), "corte 1541,1, aterro 1185,5");
    EXPECT_EQ(value("Superfície após o recalque (m³)"), "corte 1541,1, aterro 1126,5");
    EXPECT_EQ(value("Volume adicional de aterro (m³)"), "59,0 em 2 piquetes");
    // The report's lines are the built surface's: its totals the plan's.
    EXPECT_NEAR(double(report.FillVolume), 1185.4817, 1e-3);
}

TEST(Settlement, ChecksTheAllowance)
{
    // clang-format off
    const struct { long double depth, percent; bool ok; } cases[] = {
        {0.3L, 10, true}, {0, 10, true}, {-0.1L, 10, false}, {0.3L, 0, false}, {0.3L, 100, false}, {0.3L, -5, false},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(CheckSettlement({c.depth, c.percent}).empty(), c.ok) << double(c.depth) << " " << double(c.percent);
    EXPECT_EQ(SettlementText(0.3L, 10, ','),
              "Compensação de recalque: aterros acima de 0,30 m elevados 10 % da "
              "profundidade total");
}
