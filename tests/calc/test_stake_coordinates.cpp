// A georeferenced project shows every stake at its surveyed easting and
// northing, to the millimetre, in every output that writes coordinates: the
// grid headers, the WinSurf listing, the field report's lines and CSV and the
// cut-and-fill readout. And the design elevation at the area's first stake.

#include "calc/CalcSist.h"
#include "calc/CutFillGeometry.h"
#include "calc/FieldReport.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"
#include "grid/GridText.h"
#include "grid/WinSurfText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

using namespace nivora;

namespace {

// Elevation of stake (c, r): unique for every stake of the fields below, so
// a line that pairs an elevation with another stake's coordinates shows.
float Z(int c, int r) { return 100.0f + float(c) + float(r) * 0.1f + float((c * 3 + r * 5) % 7) * 0.01f; }

std::vector<std::string> Lines(const std::string& text, const std::string& end)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t k; (k = text.find(end, start)) != std::string::npos; start = k + end.size())
        lines.push_back(text.substr(start, k - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

// Fields at northings where a single steps by a whole metre, with fractional
// corners, both row directions, unequal spacings and areas that start on odd
// and even rows and columns. Each stake named must come out at its surveyed
// coordinates, written as the texts give them, from every output.
TEST(StakeCoordinates, EveryOutputWritesTheSurveyedEastingAndNorthing)
{
    const struct {
        const char* name;
        float lx, ly;
        double cornerE, cornerN;
        bool rowsSouth;
        TUsedRect area;  // the stakes with elevations
        std::int32_t col, row;
        const char* e;  // the stake's easting and northing, to the millimetre
        const char* n;
        const char* winsurfE;  // at 1 decimal in the listing
        const char* winsurfN;
        // clang-format off
    } cases[] = {
        {"2,5 m, rows south", 2.5f, 2.5f, 512345.25, 9100010.0, true, {3, 3, 6, 7}, 4, 4,
         "512352,75", "9100002,5", "512352,75", "9100002,5"},
        {"2,5 m, rows north", 2.5f, 2.5f, 512345.25, 9100010.0, false, {3, 3, 6, 7}, 4, 4,
         "512352,75", "9100017,5", "512352,75", "9100017,5"},
        {"Lx 2,5, Ly 4, even row, rows south", 2.5f, 4.0f, 300000.125, 9099990.4, true, {2, 2, 5, 7}, 3, 6,
         "300005,125", "9099970,4", "300005,125", "9099970,4"},
        {"Lx 10, Ly 2,5, rows north, near 7 500 000", 10.0f, 2.5f, 699999.995, 7499999.95, false, {5, 3, 7, 5}, 5, 3,
         "700039,995", "7500004,95", "700039,995", "7500004,95"},
        {"whole coordinates keep the listing's decimals", 10.0f, 10.0f, 312000.0, 9100000.0, true, {1, 1, 3, 3}, 2, 3,
         "312010", "9099980", "312010,0", "9099980,0"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(10, 10, c.lx, c.ly);
        for (std::int32_t r = c.area.FirstRow; r <= c.area.LastRow; ++r)
            for (std::int32_t col = c.area.FirstCol; col <= c.area.LastCol; ++col)
                t.SetCell(col, r, Z(col, r));
        t.SetGeoreference(TGeoreference{31982, c.cornerE, c.cornerN, c.rowsSouth});

        EXPECT_EQ(CellText(t, gvNatural, 3, c.col, 0, ','), c.e);
        EXPECT_EQ(CellText(t, gvNatural, 3, 0, c.row, ','), c.n);

        // The listing pairs the stake's own elevation with its coordinates.
        const std::string z = FormatFixed(Z(c.col, c.row), 1, 10, ',');
        const std::string wanted = std::string(c.winsurfE) + "\t" + c.winsurfN + "\t" + z;
        const auto listing = Lines(WinSurfListing(t, 1, ','), "\r\n");
        EXPECT_EQ(listing.size(), std::size_t(c.area.CellCount()));
        EXPECT_NE(std::find(listing.begin(), listing.end(), wanted), listing.end()) << WinSurfListing(t, 1, ',');

        t.SetSelection(c.area);
        ASSERT_TRUE(Systematize(t, true, -1).Computed);
        EXPECT_EQ(CutFillReadout(t, c.col, c.row, ',').rfind("|X = " + std::string(c.e) + "    Y = " + c.n, 0), 0u)
            << CutFillReadout(t, c.col, c.row, ',');
        const TFieldReport report = BuildFieldReport(t);
        bool listed = false;
        for (const TReportLine& line : report.Lines)
            if (line.Col == c.col && line.Row == c.row) {
                listed = true;
                const auto texts = ReportLineTexts(line, 3, ',');
                EXPECT_EQ(texts[rcX], c.e);
                EXPECT_EQ(texts[rcY], c.n);
            }
        EXPECT_TRUE(listed);
        const std::string csv = FieldReportCsv(report, 3, ',');
        std::string field = ";";
        field.append(c.e).append(";").append(c.n).append(";");
        EXPECT_NE(csv.find(field), std::string::npos);
        const std::string csvPoint = FieldReportCsv(report, 3, '.');
        std::string e = c.e, n = c.n;
        std::replace(e.begin(), e.end(), ',', '.');
        std::replace(n.begin(), n.end(), ',', '.');
        field = ",";
        field.append(e).append(",").append(n).append(",");
        EXPECT_NE(csvPoint.find(field), std::string::npos);
    }
}

// The same field without a georeference keeps the stake coordinates as the
// grid has always shown them, the listing mirrored within the used rectangle.
TEST(StakeCoordinates, WithoutAGeoreferenceTheStakeCoordinatesStay)
{
    TTerreno t(10, 10, 2.5f, 4.0f);
    t.SetOrigin(1000, 2000);
    t.SetCell(3, 2, 10.5f);
    t.SetCell(3, 4, 11.5f);
    EXPECT_EQ(CellText(t, gvNatural, 3, 3, 0, ','), "1005");
    EXPECT_EQ(CellText(t, gvNatural, 3, 0, 4, ','), "2012");
    EXPECT_EQ(WinSurfListing(t, 1, '.'), "1005.0\t2012.0\t10.5\r\n1005.0\t2004.0\t11.5");
    const TStakePoint p = StakeCoordinates(t, 3, 4);
    EXPECT_FALSE(p.Real);
    EXPECT_EQ(p.X, 1005.0);
    EXPECT_EQ(p.Y, 2012.0);
    // A stake of a far origin is what the single holds, as the computations use it.
    t.SetOrigin(0, 9100000);
    EXPECT_EQ(CellText(t, gvNatural, 3, 0, 2, ','), "9100004");
}

TEST(StakeCoordinates, SurveyedCoordinatesAreWrittenToTheMillimetre)
{
    const struct {
        double value;
        int decimals;
        const char* text;   // CoordinateText
        const char* fixed;  // CoordinateFixed with `decimals`
        // clang-format off
    } cases[] = {
        {9100002.5, 3, "9100002,5", "9100002,500"},
        {9100002.5, 0, "9100002,5", "9100002,5"},
        {312000.0, 0, "312000", "312000"},
        {312000.0, 2, "312000", "312000,00"},
        {312000.1 + 7.5, 1, "312007,6", "312007,6"},  // no binary tail
        {7455000.0004, 3, "7455000", "7455000,000"},
        {7455000.0016, 1, "7455000,002", "7455000,002"},
        {10000000.125, 1, "10000000,125", "10000000,125"},  // more than ten digits
        {-0.0004, 0, "0", "0"},
        {-12.25, 1, "-12,25", "-12,25"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CoordinateText(c.value, true, ','), c.text);
        EXPECT_EQ(CoordinateFixed(c.value, true, c.decimals, ','), c.fixed);
    }
    EXPECT_EQ(CoordinateText(9100002.5, true, '.'), "9100002.5");
    // Stake coordinates keep their own forms.
    EXPECT_EQ(CoordinateText(0.05f, false, ','), "0,05");
    EXPECT_EQ(CoordinateFixed(1060.0f, false, 1, ','), "1060,0");
}

TEST(StakeCoordinates, GeoreferenceTextNamesTheSystemAndStakeOneOne)
{
    EXPECT_EQ(GeoreferenceText(TGeoreference{31982, 312000.5, 9100002.5, true}, ','),
              "EPSG:31982, piquete (1, 1) em E = 312000,5 m, N = 9100002,5 m");
    EXPECT_EQ(GeoreferenceText(TGeoreference{0, 1, 2, false}, '.'),
              "EPSG não informado, piquete (1, 1) em E = 1 m, N = 2 m");
}

// The first stake is the first one the field report walks that has an
// elevation: rows from the area's first, the first row forwards, the next
// back. Its design elevation is the plan's at that stake.
TEST(FirstStakeDesign, IsTheFirstStakeTheReportWalks)
{
    const struct {
        const char* name;
        TUsedRect area;
        std::vector<std::pair<int, int>> stakes;  // with elevations
        int col, row;
        // clang-format off
    } cases[] = {
        {"first stake of the area", {2, 3, 5, 6}, {{2, 3}, {3, 3}, {3, 4}}, 2, 3},
        {"hole at the corner, first row forwards", {2, 3, 5, 6}, {{4, 3}, {5, 3}, {2, 4}}, 4, 3},
        {"first row empty, second walked back", {2, 3, 5, 6}, {{3, 4}, {4, 4}, {2, 5}}, 4, 4},
        {"area from an even row", {1, 2, 4, 5}, {{1, 4}, {2, 4}, {3, 5}, {4, 5}}, 1, 4},
        {"third row forwards again", {1, 1, 4, 5}, {{2, 3}, {3, 3}, {2, 4}}, 2, 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t(8, 8, 10.0f, 5.0f);
        for (const auto& [col, row] : c.stakes)
            t.SetCell(col, row, 40.0f + float(col) + float(row));
        t.SetSelection(c.area);
        t.ComputePlane(0.01L, 0.02L, 50.0L);
        const auto first = FirstStakeDesign(t, 0, c.area);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->Col, c.col);
        EXPECT_EQ(first->Row, c.row);
        // X = 10 (col - 1), Y = 5 (row - 1).
        EXPECT_NEAR(double(first->Design), 50.0 + 0.1 * (c.col - 1) + 0.1 * (c.row - 1), 1e-9);
        // Another plan at the same stake: the user plan not computed is
        // the plane z = 0.
        EXPECT_EQ(FirstStakeDesign(t, 3, c.area)->Design, 0.0L);
    }
    TTerreno empty(5, 5, 10.0f, 10.0f);
    EXPECT_FALSE(FirstStakeDesign(empty, 0, {1, 1, 5, 5}));
    EXPECT_FALSE(FirstStakeDesign(empty, 0, {0, 0, 0, 0}));
}

// The report prints the design elevation at its first line's stake beside
// "Cota da Origem", and where stake (1, 1) is on the ground.
TEST(FirstStakeDesign, TheReportHeadPrintsItWithTheStake)
{
    TTerreno t(10, 10, 2.5f, 2.5f);
    t.SetOrigin(512000, 9100000);
    for (int r = 3; r <= 6; ++r)
        for (int c = 2; c <= 5; ++c)
            if (!(r == 3 && c < 4))
                t.SetCell(c, r, Z(c, r));
    t.SetSelection({2, 3, 5, 6});
    ASSERT_TRUE(Systematize(t, true, -1).Computed);
    TFieldReport report = BuildFieldReport(t);
    ASSERT_TRUE(report.FirstStake);
    EXPECT_EQ(report.FirstStake->Col, 4);
    EXPECT_EQ(report.FirstStake->Row, 3);
    EXPECT_EQ(report.FirstStake->Design, t.DesignElevation(4, 3));
    const auto summary = ReportSummary(report, 3, ',');
    std::vector<std::string> captions;
    for (const auto& item : summary)
        captions.push_back(item.first);
    const auto at = std::find(captions.begin(), captions.end(), "Cota de projeto no piquete (4, 3)");
    ASSERT_NE(at, captions.end());
    EXPECT_EQ(*(at - 1), "Cota da Origem (m)");
    EXPECT_EQ(summary[std::size_t(at - captions.begin())].second,
              FormatFixed(t.DesignElevation(4, 3), 3, 10, ',') + " m");
    EXPECT_EQ(std::find(captions.begin(), captions.end(), kGeoreferenceCaption), captions.end());

    t.SetGeoreference(TGeoreference{31982, 512000.25, 9100010.5, true});
    report = BuildFieldReport(t);
    const auto geo = ReportSummary(report, 3, ',');
    const std::map<std::string, std::string> head(geo.begin(), geo.end());
    EXPECT_EQ(head.at(kGeoreferenceCaption), "EPSG:31982, piquete (1, 1) em E = 512000,25 m, N = 9100010,5 m");
}

// grid --coordinates: the copy of the used rectangle headed by the eastings
// of its columns and each line by its row's northing; a missing elevation
// stays an empty field.
TEST(StakeCoordinates, CopyWithCoordinatesHeadsColumnsAndRows)
{
    TTerreno t(10, 10, 2.5f, 4.0f);
    t.SetCell(3, 5, 10.25f);
    t.SetCell(4, 6, 11.5f);
    const TUsedRect used{3, 5, 4, 6};
    EXPECT_EQ(CopyTextWithCoordinates(t, gvNatural, 2, used, ','), "\t5\t7,5\r\n16\t10,25\t\r\n20\t\t11,50\r\n");
    t.SetGeoreference(TGeoreference{31982, 512345.25, 9100010.1, true});
    EXPECT_EQ(CopyTextWithCoordinates(t, gvNatural, 1, used, '.'),
              "\t512350.25\t512352.75\r\n9099994.1\t10.3\t\r\n9099990.1\t\t11.5\r\n");
}
