// The field report: the walk over the stakes, the lines against the plan,
// the totals and the CSV text.

#include "calc/FieldReport.h"
#include "data/SaveOpen.h"

#include "FourStakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

using namespace nivora;
using nivora::testing::SystematizedFourStakes;

namespace {

std::string Walk(const TUsedRect& area)
{
    std::ostringstream s;
    for (const auto& [col, row] : WalkOrder(area))
        s << col << "," << row << " ";
    return s.str();
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string s;
    for (const std::string& t : texts)
        s += (s.empty() ? "" : "|") + t;
    return s;
}

}  // namespace

TEST(FieldReport, WalksRowByRowTurningAtEachEnd)
{
    const struct {
        TUsedRect Area;
        const char* Expected;
    } cases[] = {
        {{1, 1, 3, 3}, "1,1 2,1 3,1 3,2 2,2 1,2 1,3 2,3 3,3 "},
        {{2, 5, 3, 6}, "2,5 3,5 3,6 2,6 "},  // an area away from the origin
        {{1, 1, 4, 1}, "1,1 2,1 3,1 4,1 "},  // one row
        {{2, 1, 2, 3}, "2,1 2,2 2,3 "},      // one column: straight down
        {{0, 0, 0, 0}, "0,0 "},
        {{3, 1, 2, 1}, ""},                  // inverted: nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.Area), c.Expected);
}

TEST(FieldReport, LinesFollowThePlanOfTheFourStakeExample)
{
    const TTerreno t = SystematizedFourStakes();
    ASSERT_TRUE(HasFieldReport(t));
    const TFieldReport r = BuildFieldReport(t);
    ASSERT_EQ(r.Lines.size(), 4u);
    const char* expected[] = {
        "1|1|1|0|0|10,000|10,750|A|0,750",
        "2|2|1|20|0|11,000|10,250|C|0,750",
        "3|2|2|20|20|10,000|10,750|A|0,750",
        "4|1|2|0|20|12,000|11,250|C|0,750",
    };
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(Joined(ReportLineTexts(r.Lines[i], 3, ',')), expected[i]) << i;
    EXPECT_EQ(Joined(ReportLineTexts(r.Lines[1], 1, '.')), "2|2|1|20|0|11.0|10.3|C|0.8");
    EXPECT_EQ(r.CutCount, 2);
    EXPECT_EQ(r.FillCount, 2);
    EXPECT_NEAR(double(r.CutVolume), 600.0, 1e-6);
    EXPECT_NEAR(double(r.FillVolume), 600.0, 1e-6);
    EXPECT_EQ(Joined(ReportTotals(r, ',')),
              "Total: 4 piquetes, 2 em corte e 2 em aterro (0,1600 ha).|"
              "Volume de corte: 600,0 m³. Volume de aterro: 600,0 m³.");
}

TEST(FieldReport, SummaryShowsThePlanAndTheArea)
{
    TTerreno t = SystematizedFourStakes();
    t.AdjustRatio(2);
    const auto summary = ReportSummary(BuildFieldReport(t), 3, ',');
    std::map<std::string, std::string> s(summary.begin(), summary.end());
    EXPECT_EQ(s["Área sistematizada"], "0,1600 ha");
    EXPECT_EQ(s["Piquetes"], "colunas 1 a 2, linhas 1 a 2");
    EXPECT_EQ(s["Espaçamento"], "Lx = 20 m, Ly = 20 m");
    EXPECT_EQ(s["Declividade Sx"], "-0,025000");
    EXPECT_EQ(s["Cota da Origem (m)"], "10,500");
    EXPECT_EQ(s["Rel. corte/aterro"], "2,000");
    EXPECT_EQ(s["Vol. de Corte (m³)"], "800,0 (5000,0 m³/ha)");
    EXPECT_EQ(s["Vol. de Aterro (m³)"], "400,0 (2500,0 m³/ha)");
    EXPECT_EQ(s["Corte máximo (m)"], "1,000");
    EXPECT_EQ(s["Aterro máximo (m)"], "0,500");
}

TEST(FieldReport, SkipsStakesWithoutElevationAndStaysInTheArea)
{
    // 3 x 2 with a hole at (2,1); the run over columns 1..3 but LastArea
    // narrowed to columns 2..3 as a later selection run would leave it.
    TTerreno t(3, 2, 10.0f, 10.0f);
    const float z[2][3] = {{10, 0, 11}, {12, 10, 11}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            t.SetCell(c + 1, r + 1, z[r][c]);
    Systematize(t, false, -1);
    TFieldReport r = BuildFieldReport(t);
    ASSERT_EQ(r.Lines.size(), 5u);
    EXPECT_EQ(r.Lines[0].Col, 1);
    EXPECT_EQ(r.Lines[1].Col, 3);  // (2,1) has no elevation
    EXPECT_EQ(r.Lines[2].Col, 3);
    EXPECT_EQ(r.Lines[2].Row, 2);
    EXPECT_EQ(r.Lines[4].Order, 5);
    EXPECT_EQ(r.CutCount + r.FillCount, 5);

    // A run whose area reaches beyond the grid (it finds no 2 x 2 block and
    // keeps the plan): the report clamps the area to the grid.
    t.SetSelection({2, 1, 9, 9});
    Systematize(t, true, -1);
    r = BuildFieldReport(t);
    ASSERT_EQ(r.Lines.size(), 3u);
    EXPECT_EQ(r.Area, (TUsedRect{2, 1, 3, 2}));
}

TEST(FieldReport, OnlyAfterASystematizationWhoseDataStillHold)
{
    TTerreno t = nivora::testing::FourStakes();
    EXPECT_FALSE(HasFieldReport(t));  // never systematized
    Systematize(t, false, -1);
    EXPECT_TRUE(HasFieldReport(t));
    t.SetCell(1, 1, 10.5f);  // the plan no longer fits the data
    EXPECT_FALSE(HasFieldReport(t));
    // Read from a file: current results, but not the area of their run.
    const auto loaded = ReadProjectImage(WriteDocument(SystematizedFourStakes(), TViewState{}));
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(loaded->Terrain->ResultsValid());
    EXPECT_FALSE(HasFieldReport(*loaded->Terrain));
}

TEST(FieldReport, CsvUsesTheSeparatorThatFitsTheDecimalPoint)
{
    const TFieldReport r = BuildFieldReport(SystematizedFourStakes());
    const std::string comma = FieldReportCsv(r, 3, ',');
    EXPECT_EQ(comma.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(comma.find("Nº;Coluna;Linha;X (m);Y (m);Cota Natural (m);Cota Calculada (m);C/A;Prof. (m);"
                         "Corte/Aterro (m)\r\n"),
              std::string::npos);
    EXPECT_NE(comma.find("\r\n2;2;1;20;0;11,000;10,250;C;0,750;-0,750\r\n"), std::string::npos);
    const std::string point = FieldReportCsv(r, 2, '.');
    EXPECT_NE(point.find("\r\n4,1,2,0,20,12.00,11.25,C,0.75,-0.75\r\n"), std::string::npos);
    // Five lines: the heading and four stakes.
    EXPECT_EQ(std::count(point.begin(), point.end(), '\n'), 5);
}
