// What every export writes: stake coordinates in double precision, triangles
// counter-clockwise over the stakes with elevations, contour lines and
// outlines placed on the ground, and the text formats built from them.

#include "export/ExportData.h"
#include "export/TextExports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace nivora;

namespace {

// Elevations that differ at every stake, never 0.
float Z(std::int32_t c, std::int32_t r) { return 10.0f + 0.5f * float(c) + 0.25f * float(r * r); }

void Fill(TTerreno& t, const TUsedRect& area)
{
    for (std::int32_t r = area.FirstRow; r <= area.LastRow; ++r)
        for (std::int32_t c = area.FirstCol; c <= area.LastCol; ++c)
            t.SetCell(c, r, Z(c, r));
}

// Twice the signed area of the triangle on the ground: positive when it runs
// counter-clockwise seen from above.
double Turn(const TExportData& d, const TTriangle& t)
{
    const auto e = [&](int i) { return d.Easting(t[std::size_t(i)].Col); };
    const auto n = [&](int i) { return d.Northing(t[std::size_t(i)].Row); };
    return (e(1) - e(0)) * (n(2) - n(0)) - (e(2) - e(0)) * (n(1) - n(0));
}

}  // namespace

TEST(ExportData, CoordinatesComeFromTheCornerInDoublePrecision)
{
    struct TCase {
        const char* name;
        float lx, ly;
        std::optional<TGeoreference> georeference;
        long double originX, originY;
        std::int32_t col, row;
        double e, n;
    };
    // clang-format off
    const TCase cases[] = {
        // A single steps by a whole metre here: 9100002.5 would print 9100002.
        {"rows south at N 9 100 000", 2.5f, 2.5f, TGeoreference{31982, 312000.37, 9100010.0, true}, 0, 0, 4, 4,
         312007.87, 9100002.5},
        {"rows north, unequal spacings", 10.0f, 2.5f, TGeoreference{31982, 699999.995, 7499999.95, false}, 0, 0, 5, 3,
         700039.995, 7500004.95},
        {"no system named", 25.0f, 20.0f, TGeoreference{0, 500000.0, 7000000.0, true}, 0, 0, 2, 3,
         500025.0, 6999960.0},
        {"local, from the stored origin", 25.0f, 20.0f, std::nullopt, 1000.5L, 2000.25L, 3, 2, 1050.5, 2020.25},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(6, 6, c.lx, c.ly);
        Fill(t, {1, 1, 6, 6});
        t.SetOrigin(c.originX, c.originY);
        t.SetGeoreference(c.georeference);
        const TExportData d(t, {1, 1, 6, 6}, false);
        EXPECT_EQ(d.Georeferenced(), c.georeference.has_value());
        EXPECT_NEAR(d.Easting(c.col), c.e, 1e-6);
        EXPECT_NEAR(d.Northing(c.row), c.n, 1e-6);
        EXPECT_EQ(d.RowsRunNorth(), !c.georeference || !c.georeference->RowsRunSouth);
    }
}

TEST(ExportData, TrianglesCoverTheCellsCounterClockwise)
{
    struct TCase {
        const char* name;
        std::optional<TGeoreference> georeference;
        TUsedRect area;
        std::vector<std::pair<std::int32_t, std::int32_t>> empty;
        std::int64_t stakes, triangles;
    };
    // clang-format off
    const TCase cases[] = {
        {"rows north", TGeoreference{31982, 500000, 7000000, false}, {1, 1, 5, 4}, {}, 20, 24},
        {"rows south", TGeoreference{31982, 500000, 7000075, true}, {1, 1, 5, 4}, {}, 20, 24},
        {"local, odd start row", std::nullopt, {2, 3, 6, 7}, {}, 25, 32},
        {"one inner stake missing", TGeoreference{31982, 500000, 7000075, true}, {1, 1, 5, 4}, {{3, 2}}, 19, 20},
        {"a corner missing", std::nullopt, {1, 1, 5, 4}, {{1, 1}}, 19, 23},
        {"two neighbours missing", std::nullopt, {1, 1, 5, 4}, {{2, 2}, {3, 2}}, 18, 16},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(8, 8, 25.0f, 20.0f);
        Fill(t, c.area);
        for (const auto& [col, row] : c.empty)
            t.SetCell(col, row, 0.0f);
        t.SetGeoreference(c.georeference);
        const TExportData d(t, c.area, false);
        EXPECT_EQ(d.StakeCount(), c.stakes);
        EXPECT_EQ(d.TriangleCount(), c.triangles);
        d.ForEachTriangle([&](const TTriangle& tri) {
            EXPECT_GT(Turn(d, tri), 0) << tri[0].Col << "," << tri[0].Row;
            for (const TStake& s : tri)
                EXPECT_TRUE(d.Has(s.Col, s.Row));
        });
    }
}

TEST(ExportData, FullCellsSplitFromSouthWestToNorthEast)
{
    for (const bool south : {false, true}) {
        SCOPED_TRACE(south ? "rows south" : "rows north");
        TTerreno t(2, 2, 25.0f, 25.0f);
        Fill(t, {1, 1, 2, 2});
        t.SetGeoreference(TGeoreference{31982, 500000, south ? 7000025.0 : 7000000.0, south});
        const TExportData d(t, {1, 1, 2, 2}, false);
        std::array<TTriangle, 2> tri;
        ASSERT_EQ(d.CellTriangles(1, 1, tri), 2);
        const std::int32_t southRow = south ? 2 : 1, northRow = south ? 1 : 2;
        // Both triangles hold the south-west and the north-east stakes.
        for (const TTriangle& x : tri) {
            EXPECT_EQ(x[0].Col, 1);
            EXPECT_EQ(x[0].Row, southRow);
            EXPECT_TRUE((x[1].Col == 2 && x[1].Row == northRow) || (x[2].Col == 2 && x[2].Row == northRow));
        }
    }
}

TEST(ExportData, ContoursLieWhereTheGroundCrossesTheirLevel)
{
    // The ground rises 0,04 m per metre eastwards only: level L lies on the
    // easting corner + (L - 10) / 0,04, whatever the northing.
    struct TCase {
        const char* name;
        float lx, ly;
        std::optional<TGeoreference> georeference;
        double cornerE;
    };
    // clang-format off
    const TCase cases[] = {
        {"rows south, unequal spacings", 25.0f, 20.0f, TGeoreference{31982, 500000.5, 7000100.0, true}, 500000.5},
        {"rows north at N 9 100 000", 10.0f, 2.5f, TGeoreference{31982, 312000.37, 9100002.5, false}, 312000.37},
        {"local", 25.0f, 20.0f, std::nullopt, 0.0},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(6, 5, c.lx, c.ly);
        for (std::int32_t r = 1; r <= 5; ++r)
            for (std::int32_t col = 1; col <= 6; ++col)
                t.SetCell(col, r, 10.0f + 0.04f * c.lx * float(col - 1));
        t.SetGeoreference(c.georeference);
        const TExportData d(t, {1, 1, 6, 5}, false);
        const long double levels[] = {10.5L, 11.25L};
        const auto lines = d.Contours(levels);
        ASSERT_EQ(lines.size(), 2u);
        double lowN = 1e18, highN = -1e18;
        for (const TWorldLine& line : lines)
            for (const TWorldPoint& p : line.Points) {
                EXPECT_NEAR(p.E, c.cornerE + (line.Level - 10) / 0.04, 2e-3);
                EXPECT_EQ(p.Z, line.Level);
                lowN = std::min(lowN, p.N), highN = std::max(highN, p.N);
            }
        // From the first row's northing to the last's.
        EXPECT_NEAR(std::min(d.Northing(1), d.Northing(5)), lowN, 2e-3);
        EXPECT_NEAR(std::max(d.Northing(1), d.Northing(5)), highN, 2e-3);
    }
}

TEST(ExportData, OutlinesFrameTheStakesHalfASpacingOut)
{
    TTerreno t(8, 8, 25.0f, 20.0f);
    Fill(t, {2, 3, 4, 5});
    Fill(t, {7, 7, 8, 8});  // a second part of the field
    t.SetGeoreference(TGeoreference{31982, 500000, 7000000, true});
    const TExportData d(t, {2, 3, 8, 8}, false);
    const auto frames = d.Outlines();
    ASSERT_EQ(frames.size(), 2u);
    // The frame of the larger part, whichever comes first.
    const TWorldLine& part = frames[0].Points.size() > frames[1].Points.size() ? frames[0] : frames[1];
    double minE = 1e18, maxE = -1e18, minN = 1e18, maxN = -1e18;
    for (const TWorldPoint& p : part.Points)
        minE = std::min(minE, p.E), maxE = std::max(maxE, p.E), minN = std::min(minN, p.N), maxN = std::max(maxN, p.N);
    EXPECT_TRUE(part.Closed);
    EXPECT_EQ(part.Points.front().E, part.Points.back().E);
    EXPECT_EQ(part.Points.front().N, part.Points.back().N);
    EXPECT_DOUBLE_EQ(minE, 500025 - 12.5);
    EXPECT_DOUBLE_EQ(maxE, 500075 + 12.5);
    EXPECT_DOUBLE_EQ(maxN, 7000000 - 40 + 10);
    EXPECT_DOUBLE_EQ(minN, 7000000 - 80 - 10);
}

TEST(TextExports, AsciiGridRunsFromTheNorthAndRefusesOblongCells)
{
    for (const bool south : {false, true}) {
        SCOPED_TRACE(south ? "rows south" : "rows north");
        TTerreno t(4, 3, 10.0f, 10.0f);
        Fill(t, {1, 1, 4, 3});
        t.SetCell(2, 3, 0.0f);
        t.SetGeoreference(TGeoreference{31982, 1000, 2000, south});
        TExportInfo info;
        const std::string text = AsciiGridText(TExportData(t, {1, 1, 4, 3}, false), info);
        // The north row first: row 1 when rows run south, row 3 otherwise.
        const std::string north = south ? "10.7500 11.2500 11.7500 12.2500" : "12.7500 -9999 13.7500 14.2500";
        EXPECT_NE(text.find("ncols 4\nnrows 3\nxllcorner 995.000\nyllcorner " + std::string(south ? "1975" : "1995")
                            + ".000\ncellsize 10.000\nNODATA_value -9999\n" + north + "\n"),
                  std::string::npos)
            << text;
    }
    TTerreno oblong(3, 3, 10.0f, 12.5f);
    Fill(oblong, {1, 1, 3, 3});
    EXPECT_THROW(AsciiGridText(TExportData(oblong, {1, 1, 3, 3}, false), {}), TExportRefused);
}

TEST(TextExports, LandXmlNumbersTheStakesOnceForBothSurfaces)
{
    TTerreno t(4, 4, 25.0f, 25.0f);
    Fill(t, {2, 2, 4, 4});
    t.SetCell(3, 3, 0.0f);
    t.ComputePlane(0.01L, -0.02L, 5.0L);
    t.SetGeoreference(TGeoreference{31982, 500000, 7000000, false});
    TExportInfo info;
    info.CrsName = "SIRGAS 2000 / UTM zone 22S & more";
    const std::string xml = LandXmlText(TExportData(t, {2, 2, 4, 4}, true), info);
    EXPECT_NE(xml.find("name=\"SIRGAS 2000 / UTM zone 22S &amp; more\" epsgCode=\"31982\""), std::string::npos);
    // Stake (2, 2) is point 1, northing first; stake (4, 4) is point 8.
    EXPECT_NE(xml.find("<P id=\"1\">7000025.000 500025.000 12.0000</P>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<P id=\"8\">7000075.000 500075.000 16.0000</P>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<P id=\"1\">7000025.000 500025.000 4.7500</P>"), std::string::npos);  // 5 + 0.25 - 0.5
    EXPECT_EQ(xml.find("id=\"9\""), std::string::npos);
}
