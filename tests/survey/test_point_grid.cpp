#include "calc/CalcSist.h"
#include "data/SaveOpen.h"
#include "survey/PointGrid.h"
#include "survey/PointImport.h"
#include "survey/UtmProjection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using namespace nivora;

namespace {

constexpr double kE0 = 500000;   // survey coordinates of UTM size: the
constexpr double kN0 = 7400000;  // millimetres must survive them

// n points spread at random over the rectangle, z from the surface, plus
// noise of the given standard deviation.
std::vector<TSurveyPoint> Sample(int n, double w, double h, const std::function<double(double, double)>& z,
                                 double noise = 0, const std::function<bool(double, double)>& keep = {})
{
    std::mt19937 rng(17);
    std::uniform_real_distribution<double> ux(0, w), uy(0, h);
    std::normal_distribution<double> un(0, noise > 0 ? noise : 1);
    std::vector<TSurveyPoint> pts;
    while (static_cast<int>(pts.size()) < n) {
        const double x = ux(rng), y = uy(rng);
        if (keep && !keep(x, y))
            continue;
        pts.push_back({kE0 + x, kN0 + y, z(x, y) + (noise > 0 ? un(rng) : 0)});
    }
    return pts;
}

TGridParams Params(double spacing, TGridMethod method = TGridMethod::Triangulation)
{
    TGridParams p;
    p.Lx = p.Ly = spacing;
    p.OriginX = kE0;
    p.OriginY = kN0;
    p.Method = method;
    p.MaxDistance = 1.5 * spacing;
    p.MaxEdge = 4 * spacing;
    return p;
}

// Calls f(x, y, z) for every stake of the grid, survey coordinates relative
// to (kE0, kN0); the grid's first row is the northern one.
void ForStakes(const TGriddedPoints& g, const TGridParams& p, const std::function<void(double, double, float)>& f)
{
    for (int r = 0; r < g.Rows; ++r)
        for (int c = 0; c < g.Cols; ++c)
            f(p.OriginX - kE0 + p.Lx * c, p.OriginY - kN0 + p.Ly * (g.Rows - 1 - r),
              g.Z[std::size_t(r) * std::size_t(g.Cols) + std::size_t(c)]);
}

TEST(PointGrid, APlaneComesBackWithinATenthOfAMillimetre)
{
    const auto plane = [](double x, double y) { return 100 + 0.01 * x - 0.02 * y; };
    const auto pts = Sample(2000, 200, 150, plane);
    const TPointTriangulation t(pts);
    const TGridParams p = Params(5);
    const TGriddedPoints g = GridPoints(t, p, ',');
    EXPECT_EQ(g.Cols, 40);  // the last stake column, x = 195, lies before the last point
    int checked = 0;
    double worst = 0;
    ForStakes(g, p, [&](double x, double y, float z) {
        if (z == 0.0f)
            return;
        ++checked;
        worst = std::max(worst, std::fabs(z - plane(x, y)));
    });
    EXPECT_LT(worst, 1e-4);
    // Inside the hull everything is covered: only the margins are left.
    EXPECT_GT(checked, 0.9 * g.Cols * g.Rows);
    EXPECT_EQ(checked, g.ValueCount);
}

TEST(PointGrid, AnUndulatingFieldSampledWithNoiseKeepsASmallError)
{
    const auto field = [](double x, double y) { return 100 + 0.004 * x + 0.6 * std::sin(x / 35) * std::cos(y / 25); };
    const double cell = 10, w = 400, h = 300;
    const auto pts = Sample(int(3 * (w / cell) * (h / cell)), w, h, field, 0.01);
    const TPointTriangulation t(pts);
    for (const TGridMethod m : {TGridMethod::Triangulation, TGridMethod::Nearest}) {
        const TGridParams p = Params(cell, m);
        const TGriddedPoints g = GridPoints(t, p, ',');
        double sum = 0;
        int n = 0;
        ForStakes(g, p, [&](double x, double y, float z) {
            if (z != 0.0f)
                sum += (z - field(x, y)) * (z - field(x, y)), ++n;
        });
        const double rms = std::sqrt(sum / n);
        const bool tin = m == TGridMethod::Triangulation;
        ::testing::Test::RecordProperty(tin ? "RmsTriangulationMm" : "RmsNearestMm", std::to_string(rms * 1000));
        // Measured: 8,6 mm with triangles (the noise is 10 mm), 37 mm from
        // the nearest point.
        EXPECT_LT(rms, tin ? 0.012 : 0.05) << (tin ? "triangulation" : "nearest point");
        EXPECT_GT(n, 0.9 * g.Cols * g.Rows);
    }
}

TEST(PointGrid, AConcaveSurveyLeavesItsMissingCornerEmpty)
{
    // An L: the north-east quarter of a 200 m square was not surveyed.
    const auto inL = [](double x, double y) { return x < 100 || y < 100; };
    const auto pts = Sample(
        1200, 200, 200, [](double x, double y) { return 50 + 0.01 * x + 0.005 * y; }, 0, inL);
    const TPointTriangulation t(pts);
    const struct {
        const char* what;
        double maxDistance, maxEdge;
        bool cornerEmpty;
        // clang-format off
    } cases[] = {
        {"edge limit and distance", 15, 40, true},
        {"distance alone", 15, 0, true},
        {"neither: the triangles bridge the bay", 1e6, 0, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TGridParams p = Params(10);
        p.MaxDistance = c.maxDistance;
        p.MaxEdge = c.maxEdge;
        const TGriddedPoints g = GridPoints(t, p, '.');
        int inCorner = 0, inside = 0, insideWith = 0;
        ForStakes(g, p, [&](double x, double y, float z) {
            if (x > 120 && y > 120)
                inCorner += z != 0.0f;
            if (inL(x, y) && x > 15 && x < 185 && y > 15 && y < 185)
                ++inside, insideWith += z != 0.0f;
        });
        EXPECT_EQ(inCorner == 0, c.cornerEmpty);
        EXPECT_EQ(insideWith, inside);
    }
}

TEST(PointGrid, NearestPointWithinTheDistanceOrNothing)
{
    const std::vector<TSurveyPoint> pts = {{0, 0, 10}, {100, 0, 20}, {0, 100, 30}, {100, 100, 40}};
    const TPointTriangulation t(pts);
    TGridParams p;
    p.Lx = p.Ly = 10;
    p.OriginX = p.OriginY = 0;
    p.MaxDistance = 25;
    const struct {
        TGridMethod method;
        int col, row;
        float z;
        // clang-format off
    } cases[] = {
        // Row 11 is the southern one, at y = 0.
        {TGridMethod::Nearest, 1, 11, 10},       {TGridMethod::Nearest, 3, 10, 10},  // (20, 10): 22 m away
        {TGridMethod::Nearest, 11, 2, 40},       {TGridMethod::Nearest, 6, 6, 0},    // the middle: 71 m from all
        {TGridMethod::Nearest, 4, 11, 0},        // (30, 0): 30 m
        {TGridMethod::Nearest, 1, 1, 30},        // (0, 100), the north-west corner
        {TGridMethod::Triangulation, 2, 11, 11}, // on the hull's edge between the first two
        {TGridMethod::Triangulation, 6, 6, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << "," << c.row);
        p.Method = c.method;
        const TGriddedPoints g = GridPoints(t, p, '.');
        ASSERT_EQ(g.Cols, 11);
        EXPECT_FLOAT_EQ(g.Z[std::size_t(c.row - 1) * 11 + std::size_t(c.col - 1)], c.z);
    }
}

TEST(PointGrid, InputThatCannotMakeAGridIsRefusedWithTheReason)
{
    const auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const TPointError& e) {
            return std::string(e.what());
        }
        return std::string("(nenhuma)");
    };
    const std::vector<TSurveyPoint> two = {{0, 0, 1}, {1, 1, 2}};
    EXPECT_EQ(
        message([&] { TPointTriangulation t(two); }),
        "O arquivo tem 2 pontos utilizáveis; são necessários ao menos três pontos que não estejam sobre uma linha.");
    const std::vector<TSurveyPoint> line = {{0, 0, 1}, {1, 1, 2}, {2, 2, 3}, {5, 5, 3}};
    EXPECT_EQ(message([&] { TPointTriangulation t(line); }),
              "Os pontos estão todos sobre uma linha e não descrevem uma superfície.");

    const std::vector<TSurveyPoint> wide = {{0, 0, 1}, {2400, 0, 2}, {0, 1200, 3}};
    const TPointTriangulation t(wide);
    TGridParams p;
    p.Lx = 2, p.Ly = 1;
    EXPECT_EQ(message([&] { GridPoints(t, p, ','); }),
              "Com o espaçamento de 2 × 1 m a grade teria 1201 × 1201 piquetes, mais que o máximo de 1000 × 1000. "
              "Um espaçamento de 2,5 m nas duas direções caberia.");
    p.Lx = p.Ly = 2.5;
    const TGriddedPoints fits = GridPoints(t, p, ',', nullptr, true);
    EXPECT_EQ(fits.Cols, 961);
    EXPECT_EQ(fits.Rows, 481);
    EXPECT_TRUE(fits.Z.empty());
    p.OriginX = 3000;
    EXPECT_EQ(message([&] { GridPoints(t, p, ','); }),
              "A origem da grade fica a leste ou ao norte de todos os pontos; nenhum piquete os alcança.");

    // Spacings and origins a project file cannot hold: a spacing that is 0
    // as a single, one beyond the limit, an origin beyond the 6-byte real.
    const struct {
        double lx, ly, ox;
        const char* message;
        // clang-format off
    } unsavable[] = {
        {1e-40, 2.5, 0, "O espaçamento da grade deve ser um número positivo."},
        {2.5, 1e-39, 0, "O espaçamento da grade deve ser um número positivo."},
        {2e30, 2.5, 0, "O espaçamento da grade deve ser um número positivo."},
        {2.5, 2.5, -1e36, "A origem da grade contém um número inválido."},
    };
    // clang-format on
    for (const auto& c : unsavable) {
        SCOPED_TRACE(c.message);
        p.Lx = c.lx, p.Ly = c.ly, p.OriginX = c.ox, p.OriginY = 0;
        EXPECT_EQ(message([&] { GridPoints(t, p, ','); }), c.message);
    }
}

// The document a points file makes is saved and opened again, whatever
// numbers the file holds.
TEST(PointImport, WhatAFileMakesIsSavedAndReadBack)
{
    const struct {
        const char* what;
        const char* text;
        int refused;
        // clang-format off
    } cases[] = {
        {"an elevation beyond a single", "P1;0;0;10\nP2;100;0;11\nP3;0;100;12\nP4;100;100;1e39\nP5;50;50;11\n", 1},
        {"an elevation far beyond", "P1;0;0;10\nP2;100;0;11\nP3;0;100;12\nP4;100;100;1e300\n", 1},
        {"the largest elevation a single holds", "P1;0;0;10\nP2;100;0;11\nP3;0;100;3.4e38\nP4;100;100;-3.4e38\n", 0},
        {"a coordinate far away", "P1;0;0;10\nP2;100;0;11\nP3;0;100;12\nP4;1e300;100;12\n", 1},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TPointFormat f;
        f.Separator = ';';
        f.ColName = 0, f.ColE = 1, f.ColN = 2, f.ColZ = 3;
        const TPreparedPoints prepared = PreparePoints(c.text, f, false);
        ASSERT_TRUE(prepared.Triangulation) << prepared.Problem;
        EXPECT_EQ(prepared.Set.RefusedCount, c.refused);
        TGridParams p = DefaultGridParams(*prepared.Triangulation);
        p.Lx = p.Ly = 10;
        SnapOrigin(*prepared.Triangulation, p);
        const TGriddedPoints g = GridPoints(*prepared.Triangulation, p, '.');
        for (float z : g.Z)
            ASSERT_TRUE(std::isfinite(z));
        const auto terrain = MakeTerrain(g, p, prepared.ProposedEpsg);
        const auto again = ReadProjectImage(WriteDocument(*terrain, TViewState{}));
        ASSERT_TRUE(again) << "the saved project is refused";
        EXPECT_EQ(again->Terrain->Cells(), terrain->Cells());
        EXPECT_EQ(again->Terrain->ValueCount(), g.ValueCount);
    }
}

// A survey measured at the stakes themselves comes back stake for stake:
// north up (the north-east point in row 1, last column), and every stake's
// easting and northing, from the georeference in double, that of the point
// measured there, to the millimetre, far up the northings where a single
// steps by a metre.
TEST(PointImport, TheTerrainIsNorthUpAndItsGeoreferenceIsTheNorthWestStake)
{
    const struct {
        const char* what;
        double e0, n0;  // the south-west stake
        double lx, ly;
        int cols, rows;
        // clang-format off
    } cases[] = {
        {"narrow columns, tall rows, in the south", 312000.37, 7455000.71, 2.5, 10, 7, 4},
        {"wide columns, short rows, near the equator", 771234.5, 9100003.25, 10, 2.5, 3, 5},
        {"odd spacings, one more row than columns", 500000.125, 7499999.875, 7.5, 5, 4, 5},
        {"a single column's width apart", 201000.0625, 9099990.5, 1.25, 3.75, 9, 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Elevations all different: column, row and a twist.
        const auto z = [](int i, int j) { return 100 + i + 20.0 * j + 0.5 * i * j; };
        std::vector<TSurveyPoint> pts;
        for (int j = 0; j < c.rows; ++j)  // j counts north from the southern row
            for (int i = 0; i < c.cols; ++i)
                pts.push_back({c.e0 + c.lx * i, c.n0 + c.ly * j, z(i, j)});
        const TPointTriangulation t(pts);
        TGridParams p;
        p.Lx = c.lx, p.Ly = c.ly;
        p.OriginX = c.e0, p.OriginY = c.n0;
        p.Method = TGridMethod::Nearest;
        p.MaxDistance = 0.1;
        const TGriddedPoints g = GridPoints(t, p, '.');
        ASSERT_EQ(g.Cols, c.cols);
        ASSERT_EQ(g.Rows, c.rows);
        const auto terrain = MakeTerrain(g, p, 31982);
        // The north-east point in row 1, last column; the south-west one in
        // the last row, column 1.
        EXPECT_FLOAT_EQ(terrain->GetCell(c.cols, 1), z(c.cols - 1, c.rows - 1));
        EXPECT_FLOAT_EQ(terrain->GetCell(1, c.rows), z(0, 0));
        // Local coordinates: stake (1, 1) at 0, 0.
        EXPECT_EQ(static_cast<long double>(terrain->OriginX()), 0.0L);
        EXPECT_EQ(static_cast<long double>(terrain->OriginY()), 0.0L);
        const auto& geo = terrain->Extension().Georeference;
        ASSERT_TRUE(geo);
        EXPECT_EQ(geo->Epsg, 31982);
        EXPECT_TRUE(geo->RowsRunSouth);
        const auto lx = static_cast<double>(terrain->Lx().Value()), ly = static_cast<double>(terrain->Ly().Value());
        for (int j = 0; j < c.rows; ++j)
            for (int i = 0; i < c.cols; ++i) {
                const int col = i + 1, row = c.rows - j;
                SCOPED_TRACE(testing::Message() << "stake " << col << "," << row);
                EXPECT_NEAR(geo->Easting(col, lx), c.e0 + c.lx * i, 1e-3);
                EXPECT_NEAR(geo->Northing(row, ly), c.n0 + c.ly * j, 1e-3);
                EXPECT_FLOAT_EQ(terrain->GetCell(col, row), z(i, j));
            }
        // Saved and read back, the georeference stays.
        const auto again = ReadProjectImage(WriteDocument(*terrain, TViewState{}));
        ASSERT_TRUE(again);
        EXPECT_EQ(again->Terrain->Extension().Georeference, geo);
    }
}

TEST(PointGrid, DefaultsAreRoundAndFitTheGrid)
{
    const auto flat = [](double, double) { return 100.0; };
    const struct {
        int points;
        double w, h;
        double spacing;
        // clang-format off
    } cases[] = {
        {1200, 300, 400, 10},       // one point per 100 m²: 10 m
        {300, 150, 100, 5},         // 50 m² a point: about 7 m, rounded to 5
        {200000, 30000, 1000, 50},  // 12 m apart over 30 km: 50 m is the first that fits
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        const TPointTriangulation t(Sample(c.points, c.w, c.h, flat));
        const TGridParams p = DefaultGridParams(t);
        EXPECT_DOUBLE_EQ(p.Lx, c.spacing);
        EXPECT_DOUBLE_EQ(p.Ly, c.spacing);
        // The limits follow the survey, not the grid: inside the hull of
        // points spread evenly only a few slivers on its edge stay empty,
        // and never for the distance.
        const TGriddedPoints g = GridPoints(t, p, '.', nullptr, true);
        EXPECT_EQ(g.EmptyByDistance, 0);
        EXPECT_LT(g.EmptyByEdge, g.InsideCount / 100);
        EXPECT_LE(p.OriginX, t.MinE());
        EXPECT_GT(p.OriginX + p.Lx, t.MinE());
        EXPECT_DOUBLE_EQ(std::fmod(p.OriginY, p.Ly), 0);
        const TGridSize n = CheckGridParams(t, p, '.');
        EXPECT_LE(n.Cols, 1000);
        EXPECT_LE(n.Rows, 1000);
    }
}

// Transverse Mercator by Krüger's series (to the fourth power of n), written
// out here to check the projection against an independent computation.
void Kruger(double lon, double lat, int zone, bool south, double& e, double& n)
{
    const double a = 6378137, f = 1 / 298.257223563, k0 = 0.9996;
    const double nn = f / (2 - f);
    const double A = a / (1 + nn) * (1 + nn * nn / 4 + std::pow(nn, 4) / 64);
    const double al[4] = {nn / 2 - 2 * nn * nn / 3 + 5 * std::pow(nn, 3) / 16 + 41 * std::pow(nn, 4) / 180,
                          13 * nn * nn / 48 - 3 * std::pow(nn, 3) / 5 + 557 * std::pow(nn, 4) / 1440,
                          61 * std::pow(nn, 3) / 240 - 103 * std::pow(nn, 4) / 140, 49561 * std::pow(nn, 4) / 161280};
    const double phi = lat * M_PI / 180, dl = (lon - (zone * 6 - 183)) * M_PI / 180;
    const double c = 2 * std::sqrt(nn) / (1 + nn);
    const double t = std::sinh(std::atanh(std::sin(phi)) - c * std::atanh(c * std::sin(phi)));
    const double xi = std::atan2(t, std::cos(dl)), eta = std::atanh(std::sin(dl) / std::sqrt(1 + t * t));
    double x = eta, y = xi;
    for (int j = 1; j <= 4; ++j) {
        x += al[j - 1] * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
        y += al[j - 1] * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
    }
    e = 500000 + k0 * A * x;
    n = (south ? 10000000 : 0) + k0 * A * y;
}

TEST(UtmProjection, GnssPointsLandInTheZoneOfTheirMiddleAtTheRightPlace)
{
    const struct {
        const char* what;
        double lon, lat;
        int zone;
        bool south;
        // clang-format off
    } cases[] = {
        {"Brasília", -47.929201, -15.780112, 23, true},
        {"west of 48° W: zone 22", -48.0012, -15.78, 22, true},
        {"Passo Fundo, far from the meridian", -52.4064, -28.2620, 22, true},
        {"Macapá, just north of the equator", -51.0664, 0.0349, 22, false},
        {"Boa Vista", -60.6733, 2.8235, 20, false},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A small survey around the place: its middle picks the zone.
        // clang-format off
        std::vector<TSurveyPoint> pts = {
            {c.lon - 0.001, c.lat - 0.001, 100}, {c.lon + 0.001, c.lat + 0.001, 101}, {c.lon, c.lat, 102}};
        // clang-format on
        const TUtmZone z = ProjectToUtm(pts);
        EXPECT_EQ(z.Zone, c.zone);
        EXPECT_EQ(z.South, c.south);
        double e, n;
        Kruger(c.lon, c.lat, c.zone, c.south, e, n);
        EXPECT_NEAR(pts[2].E, e, 0.001);
        EXPECT_NEAR(pts[2].N, n, 0.001);
        EXPECT_DOUBLE_EQ(pts[2].Z, 102);
    }
    // The central meridian on the equator is the false origin itself.
    std::vector<TSurveyPoint> origin = {{-45, 0, 0}};
    ProjectToUtm(origin, {23, true});
    EXPECT_NEAR(origin[0].E, 500000, 1e-6);
    EXPECT_NEAR(origin[0].N, 10000000, 1e-6);
}

TEST(PointImport, AGnssFileBecomesATerrainInSurveyCoordinates)
{
    // Latitude, longitude and height on a 3 x 3 lattice of 0.0005°, about
    // 55 m apart, on a slope.
    std::string text = "Ponto,Latitude,Longitude,Altitude\n";
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            text.append("P")
                .append(std::to_string(i * 3 + j))
                .append(",")
                .append(std::to_string(-15.781 + 0.0005 * i))
                .append(",")
                .append(std::to_string(-47.930 + 0.0005 * j))
                .append(",")
                .append(std::to_string(1100 + j))
                .append("\n");
    const TPointFormat f = DetectPointFormat(text);
    const TPreparedPoints prepared = PreparePoints(text, f, ReadPoints(text, f).LooksGeographic);
    ASSERT_TRUE(prepared.Triangulation) << prepared.Problem;
    EXPECT_TRUE(prepared.Projected);
    EXPECT_NE(ReadingSummary(prepared).find("projetadas em UTM, fuso 23 Sul"), std::string::npos);
    double e, n;
    Kruger(-47.930, -15.781, 23, true, e, n);
    EXPECT_NEAR(prepared.Set.Points[0].E, e, 0.001);
    EXPECT_NEAR(prepared.Set.Points[0].N, n, 0.001);

    TGridParams p = DefaultGridParams(*prepared.Triangulation);
    EXPECT_DOUBLE_EQ(p.Lx, 50);
    const TGriddedPoints g = GridPoints(*prepared.Triangulation, p, '.');
    const auto terrain = MakeTerrain(g, p, prepared.ProposedEpsg);
    EXPECT_EQ(terrain->ColCount(), g.Cols);
    EXPECT_EQ(terrain->ValueCount(), g.ValueCount);
    EXPECT_GT(g.ValueCount, 0);
    const auto& geo = terrain->Extension().Georeference;
    ASSERT_TRUE(geo);
    EXPECT_EQ(geo->Epsg, 31983);  // SIRGAS 2000 / UTM zone 23S
    EXPECT_EQ(geo->CornerEasting, p.OriginX);
    EXPECT_EQ(geo->CornerNorthing, p.OriginY + 50 * (g.Rows - 1));
    // Origin snapped to the spacing: stakes at the survey's round metres.
    EXPECT_DOUBLE_EQ(std::fmod(p.OriginY, 50), 0);
    EXPECT_FALSE(terrain->Saved());
}

}  // namespace

TEST(PointImport, SummaryAgreesWithTheNumberOfRepeatedPoints)
{
    // Stake P1 measured twice (same E and N, same elevation); P2 three times.
    struct Case {
        const char* repeats;
        const char* expected;
        // clang-format off
    } cases[] = {
        {"P1b;0;0;10\n", "1 ponto repetido (mesmo E e N) foi unido.\n"},
        {"P1b;0;0;10\nP2b;10;0;11\nP2c;10;0;11\n", "3 pontos repetidos (mesmo E e N) foram unidos.\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string text = std::string("P1;0;0;10\nP2;10;0;11\nP3;0;10;12\nP4;10;10;13\n") + c.repeats;
        const TPointFormat f = DetectPointFormat(text);
        const TPreparedPoints prepared = PreparePoints(text, f, false);
        EXPECT_NE(ReadingSummary(prepared).find(c.expected), std::string::npos) << ReadingSummary(prepared);
    }
}
