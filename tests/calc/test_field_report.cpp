// The field report: the walk over the stakes, the lines against the plan,
// the totals and the CSV text.

#include "calc/CutFillGeometry.h"
#include "calc/FieldReport.h"
#include "grid/GridText.h"
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
        {{3, 1, 2, 1}, ""},  // inverted: nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.Area), c.Expected);
}

// The report's lines from an area that starts on an even row, with unequal
// spacings and an origin away from 0: the first row still runs forwards,
// X follows Lx and the columns, Y follows Ly and the rows.
TEST(FieldReport, LinesWalkTheAreaOfTheRunWithItsOwnSpacings)
{
    const struct {
        const char* name;
        TUsedRect selection;
        float lx, ly;
        const char* walk;
        float firstX, firstY, lastX, lastY;
    } cases[] = {
        {"even first row, Lx > Ly", {2, 2, 4, 3}, 20, 12.5f, "2,2 3,2 4,2 4,3 3,3 2,3 ", 120, 212.5f, 120, 225},
        {"odd first row, Lx < Ly", {3, 3, 4, 5}, 10, 25, "3,3 4,3 4,4 3,4 3,5 4,5 ", 120, 250, 130, 300},
        {"even first row, three rows", {1, 4, 2, 6}, 5, 40, "1,4 2,4 2,5 1,5 1,6 2,6 ", 100, 320, 105, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(5, 6, c.lx, c.ly);
        t.SetOrigin(100, 200);
        for (int row = 1; row <= 6; ++row)
            for (int col = 1; col <= 5; ++col)
                t.SetCell(col, row, 50.0f + float((col * 5 + row * 3) % 7) * 0.1f);
        t.SetSelection(c.selection);
        ASSERT_TRUE(Systematize(t, true, -1).Computed);
        const TFieldReport r = BuildFieldReport(t);
        std::ostringstream walk;
        for (const TReportLine& line : r.Lines)
            walk << line.Col << "," << line.Row << " ";
        EXPECT_EQ(walk.str(), c.walk);
        ASSERT_FALSE(r.Lines.empty());
        EXPECT_EQ(r.Lines.front().X, c.firstX);
        EXPECT_EQ(r.Lines.front().Y, c.firstY);
        EXPECT_EQ(r.Lines.back().X, c.lastX);
        EXPECT_EQ(r.Lines.back().Y, c.lastY);
        EXPECT_EQ(r.CellArea, static_cast<long double>(c.lx) * c.ly);
    }
}

// Every reader of a stake's cut or fill takes the plan's side: the plan's
// counts and volumes, the report's lines and totals, the map's shade and
// readout and the "Cortes e Aterros" view. A field that lies exactly on a
// plane has every stake on its best plane: fills of depth 0, no cut, no
// ratio, and one adjustment step that says the ratio cannot be reached.
TEST(FieldReport, EveryReaderTakesThePlansSideOfEachStake)
{
    const struct {
        const char* name;
        std::int32_t cols, rows;
        float lx, ly;
        long double originX, originY;
        bool plane;           // elevations exactly on a plane
        TUsedRect selection;  // {0,0,0,0}: the whole field
        long double ratio;
    } cases[] = {
        {"15 x 12 on a plane", 15, 12, 20, 20, 0, 0, true, {0, 0, 0, 0}, 1},
        {"15 x 12 on a plane, survey coordinates, Lx != Ly", 15, 12, 20, 25, 312000, 7455980, true, {0, 0, 0, 0}, 1},
        {"on a plane, from an even row", 15, 12, 10, 30, 500, 800, true, {3, 2, 14, 11}, 1.3L},
        {"bumpy, Lx != Ly", 15, 12, 20, 25, 312000, 7455980, false, {0, 0, 0, 0}, 1.3L},
        {"bumpy, from an even row", 15, 12, 25, 10, 0, 0, false, {2, 4, 13, 9}, 0.6L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(c.cols, c.rows, c.lx, c.ly);
        t.SetOrigin(c.originX, c.originY);
        for (int row = 1; row <= c.rows; ++row)
            for (int col = 1; col <= c.cols; ++col) {
                const float bump = c.plane ? 0.0f : float((col * 7 + row * 11) % 9) * 0.05f;
                t.SetCell(col, row, 100.0f + 0.5f * float(col - 1) - 0.25f * float(row - 1) + bump);
            }
        const bool selection = c.selection != TUsedRect{0, 0, 0, 0};
        if (selection)
            t.SetSelection(c.selection);
        const TSystematizeResult run = Systematize(t, selection, c.ratio);
        ASSERT_TRUE(run.Computed);
        const TPlano& p = t.Plans()[0];
        const TFieldReport r = BuildFieldReport(t);
        EXPECT_EQ(r.CutCount, p.CutCount);
        EXPECT_EQ(r.FillCount, p.FillCount);
        EXPECT_NEAR(double(r.CutVolume), double(static_cast<long double>(p.CutVolume)), 1e-6);
        EXPECT_NEAR(double(r.FillVolume), double(static_cast<long double>(p.FillVolume)), 1e-6);
        std::int32_t cuts = 0;
        for (const TReportLine& line : r.Lines) {
            const long double v = t.CutFill(line.Col, line.Row);
            const bool cut = line.IsCut();
            cuts += cut;
            EXPECT_EQ(cut, CutFillIndex(v, p.MaxCut, p.MaxFill) < 128) << line.Col << "," << line.Row;
            EXPECT_EQ(cut, CutFillReadout(t, line.Col, line.Row, ',').find("Corte") != std::string::npos);
            EXPECT_EQ(cut, CellText(t, gvCutFill, 3, line.Col, line.Row, ',').front() == '-');
            EXPECT_EQ(ReportLineTexts(line, 3, ',')[rcKind], cut ? "C" : "A");
        }
        EXPECT_EQ(cuts, p.CutCount);
        const auto summary = ReportSummary(r, 3, ',');
        const std::map<std::string, std::string> head(summary.begin(), summary.end());
        EXPECT_EQ(head.at("Piquetes em corte"), std::to_string(r.CutCount));
        if (c.plane) {
            EXPECT_EQ(p.CutCount, 0);
            EXPECT_EQ(p.FillCount, std::int32_t(r.Lines.size()));
            for (const TReportLine& line : r.Lines)
                EXPECT_EQ(line.CutFill, 0.0L);
            EXPECT_FALSE(p.RatioDefined());
            EXPECT_FALSE(p.Valid);
            EXPECT_FALSE(HasFieldReport(t));
            EXPECT_EQ(run.Adjust.Steps, 1);
            EXPECT_FALSE(run.Adjust.Converged);
        } else {
            EXPECT_GT(p.CutCount, 0);
            EXPECT_TRUE(run.Adjust.Converged);
            EXPECT_TRUE(HasFieldReport(t));
        }
    }
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
              "Volume de corte: 600,0 m³. Volume de aterro: 600,0 m³.|"
              "Área alagável: terreno natural 0,0000 ha, 0,0 m³; plano 0,0000 ha, 0,0 m³.");
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
