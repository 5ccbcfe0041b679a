#include "survey/Crs.h"
#include "survey/PointImport.h"
#include "survey/UtmProjection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

using namespace nivora;

namespace {

// A 5 x 5 lattice of 0,0004° from the given corner, one point a line,
// "P<i><j>;<first>;<second>;<z>" with first and second as the order asks.
std::string Lattice(double lon0, double lat0, bool lonFirst, const std::string& header = "", char sep = ';')
{
    std::string text = header;
    char line[160];
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const double lon = lon0 + 0.0004 * i, lat = lat0 + 0.0004 * j;
            std::snprintf(line, sizeof line, "P%d%d%c%.7f%c%.7f%c%d\n", i, j, sep, lonFirst ? lon : lat, sep,
                          lonFirst ? lat : lon, sep, 600 + i + j);
            text += line;
        }
    return text;
}

TPreparedPoints Prepare(const std::string& text, TPointOptions options = {})
{
    TTextPointSource source(text);
    return PreparePoints(source, options);
}

bool Says(const TPreparedPoints& p, const std::string& what)
{
    return ReadingSummary(p).find(what) != std::string::npos;
}

// References from PROJ's cs2cs (proj-bin), GRS80:
//   echo "-52.4064 -28.2620" | cs2cs -f %.4f +proj=longlat +ellps=GRS80 +to EPSG:31982
constexpr double kPassoFundoE22 = 362047.4058, kPassoFundoN22 = 6872972.1926;
constexpr double kPassoFundoE23 = -227570.9968, kPassoFundoN23 = 6851427.0545;

// The first point of a lattice is (i, j) = (0, 0), the corner.
void ExpectCorner(const TPreparedPoints& p, double e, double n)
{
    ASSERT_FALSE(p.Set.Points.empty());
    EXPECT_NEAR(p.Set.Points[0].E, e, 0.001);
    EXPECT_NEAR(p.Set.Points[0].N, n, 0.001);
}

TEST(PointImport, LongitudeAndLatitudeWithoutAHeaderAreToldApartByWhereTheyFall)
{
    // Passo Fundo, zone 22 S. Every Brazilian longitude is a valid latitude.
    const struct {
        const char* what;
        std::string text;
        const char* order;
    } cases[] = {
        {"longitude first", Lattice(-52.4064, -28.2620, true), "Colunas lidas como longitude, latitude"},
        {"latitude first", Lattice(-52.4064, -28.2620, false), "Colunas lidas como latitude, longitude"},
        {"longitude first, blanks", Lattice(-52.4064, -28.2620, true, "", ' '),
         "Colunas lidas como longitude, latitude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TPreparedPoints p = Prepare(c.text);
        ASSERT_TRUE(p.Triangulation) << p.Problem;
        EXPECT_TRUE(p.Projected);
        EXPECT_EQ(p.Order, TDegreeOrder::InBrazil);
        EXPECT_EQ(p.Zone.Zone, 22);
        EXPECT_TRUE(p.Zone.South);
        EXPECT_EQ(p.ProposedEpsg, 31982);
        EXPECT_TRUE(Says(p, std::string(c.order) + " (a ordem que põe os pontos no Brasil).")) << ReadingSummary(p);
        EXPECT_TRUE(Says(p, "fuso 22 Sul (EPSG 31982, SIRGAS 2000 / UTM zone 22S)")) << ReadingSummary(p);
        ExpectCorner(p, kPassoFundoE22, kPassoFundoN22);
    }
}

TEST(PointImport, AHeaderOrTheUserDecidesTheOrderOfLongitudeAndLatitude)
{
    // Written latitude first but named longitude first: the names are
    // taken at their word (the points fall in the South Atlantic).
    const std::string misnamed = Lattice(-52.4064, -28.2620, false, "Ponto;Longitude;Latitude;Cota\n");
    const TPreparedPoints named = Prepare(misnamed);
    ASSERT_TRUE(named.Triangulation) << named.Problem;
    EXPECT_EQ(named.Order, TDegreeOrder::NotAsked);
    EXPECT_FALSE(Says(named, "Colunas lidas como"));
    EXPECT_EQ(named.Zone.Zone, 26);  // lon -28,26
    // The columns the user names, against where the points would fall.
    TPointOptions options;
    options.Columns = ParsePointColumns("name,lat,lon,z");
    const TPreparedPoints chosen = Prepare(Lattice(-52.4064, -28.2620, true), options);
    ASSERT_TRUE(chosen.Triangulation) << chosen.Problem;
    EXPECT_EQ(chosen.Order, TDegreeOrder::NotAsked);
    EXPECT_EQ(chosen.Zone.Zone, 26);
    // And the right ones.
    options.Columns = ParsePointColumns("nome,lon,lat,cota");
    ExpectCorner(Prepare(Lattice(-52.4064, -28.2620, true), options), kPassoFundoE22, kPassoFundoN22);
    // The layout a reading returns, with its coordinate columns changed by
    // the user (as in the import dialog), is read as changed.
    TPointFormat layout = Prepare(Lattice(-52.4064, -28.2620, true)).Format;
    std::swap(layout.ColE, layout.ColN);
    options = {};
    options.Format = layout;
    const TPreparedPoints changed = Prepare(Lattice(-52.4064, -28.2620, true), options);
    EXPECT_EQ(changed.Order, TDegreeOrder::NotAsked);
    EXPECT_EQ(changed.Zone.Zone, 26);
}

TEST(PointImport, OutsideBrazilTheMoreCompactReadingIsTaken)
{
    // Both readings out of Brazil: (lon 20, lat -35) or (lon -35, lat 20).
    // Near the pole a degree of longitude is shorter: the reading with the
    // larger latitude makes the smaller survey.
    for (const bool lonFirst : {true, false}) {
        SCOPED_TRACE(lonFirst ? "longitude first" : "latitude first");
        const TPreparedPoints p = Prepare(Lattice(20.5, -35.2, lonFirst));
        ASSERT_TRUE(p.Triangulation) << p.Problem;
        EXPECT_EQ(p.Order, TDegreeOrder::Compact);
        EXPECT_TRUE(Says(p, "(a ordem que dá o levantamento mais compacto).")) << ReadingSummary(p);
        EXPECT_EQ(p.Zone.Zone, 34);  // lon 20,5
        EXPECT_TRUE(p.Zone.South);
        // 0,0016° of longitude: 146 m at 35° S, 167 m at 20° N.
        EXPECT_LT(p.Triangulation->MaxE() - p.Triangulation->MinE(), 150);
    }
}

TEST(PointImport, PointsInDegreesGoToTheSystemTheUserNames)
{
    TPointOptions options;
    options.Epsg = 31983;  // zone 23 S, for a survey in zone 22
    const TPreparedPoints p = Prepare(Lattice(-52.4064, -28.2620, true), options);
    ASSERT_TRUE(p.Triangulation) << p.Problem;
    EXPECT_EQ(p.ProposedEpsg, 31983);
    EXPECT_TRUE(Says(p, "projetadas no sistema (EPSG 31983, SIRGAS 2000 / UTM zone 23S).")) << ReadingSummary(p);
    ExpectCorner(p, kPassoFundoE23, kPassoFundoN23);

    // Told they are metres, degrees stay what they are, in no system.
    options = {};
    options.Geographic = false;
    const TPreparedPoints metres = Prepare(Lattice(-52.4064, -28.2620, true), options);
    EXPECT_FALSE(metres.Projected);
    EXPECT_EQ(metres.ProposedEpsg, 0);
    EXPECT_EQ(metres.Order, TDegreeOrder::NotAsked);
}

TEST(UtmProjection, TheZoneIsThatOfTheMeanLongitudeOnTheCircle)
{
    const struct {
        const char* what;
        std::vector<double> lons;
        double lat;
        int zone;
        bool south;
    } cases[] = {
        {"across the 180th meridian, more to the east", {179.9995, -179.9990, -179.9980}, -16.5, 1, true},
        {"across the 180th meridian, more to the west", {179.9980, 179.9990, -179.9995}, -16.5, 60, true},
        {"across the prime meridian", {-0.001, 0.002, 0.0005}, 51.5, 31, false},
        {"across the prime meridian, more to the west", {-0.002, -0.001, 0.0005}, 51.5, 30, false},
        {"Brasília", {-47.93, -47.92}, -15.78, 23, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<TSurveyPoint> pts;
        for (double lon : c.lons)
            pts.push_back({lon, c.lat + 0.0001 * double(pts.size()), 1});
        const TUtmZone z = UtmZoneOfPoints(pts);
        EXPECT_EQ(z.Zone, c.zone);
        EXPECT_EQ(z.South, c.south);
    }
    // A file across the 180th meridian is taken for degrees and lands in a
    // zone next to it, at the place PROJ's cs2cs gives:
    //   echo "179.998 -16.5" | cs2cs -f %.4f +proj=longlat +ellps=WGS84 +to EPSG:32701
    std::string text;
    for (const double lon : {179.998, 179.999, -179.999, -179.998})
        for (const double lat : {-16.5, -16.499, -16.498})
            text += std::to_string(lat) + " " + std::to_string(lon) + " 10\n";
    const TPreparedPoints p = Prepare(text);
    ASSERT_TRUE(p.Triangulation) << p.Problem;
    EXPECT_TRUE(p.Projected);
    EXPECT_EQ(p.Zone.Zone, 1);
    EXPECT_EQ(p.ProposedEpsg, 32701);
    EXPECT_NEAR(p.Set.Points[0].E, 179498.3794, 0.001);
    EXPECT_NEAR(p.Set.Points[0].N, 8173369.8630, 0.001);
}

TEST(PointFile, ColumnListsAreReadOrRefusedWithTheReason)
{
    const struct {
        const char* list;
        int name, e, n, z, code;
        bool degrees;
    } good[] = {
        {"name,e,n,z,code", 0, 1, 2, 3, 4, false}, {"e,n,z", -1, 0, 1, 2, -1, false},
        {"name,lon,lat,z", 0, 1, 2, 3, -1, true},  {"name,lat,lon,z", 0, 2, 1, 3, -1, true},
        {"-,N,E,skip,Z", -1, 2, 1, 4, -1, false},  {"nome,y,x,cota,codigo", 0, 2, 1, 3, 4, false},
    };
    for (const auto& c : good) {
        SCOPED_TRACE(c.list);
        const TPointColumns k = ParsePointColumns(c.list);
        EXPECT_EQ(k.Name, c.name);
        EXPECT_EQ(k.E, c.e);
        EXPECT_EQ(k.N, c.n);
        EXPECT_EQ(k.Z, c.z);
        EXPECT_EQ(k.Code, c.code);
        EXPECT_EQ(k.Degrees, c.degrees);
    }
    const struct {
        const char* list;
        const char* message;
    } bad[] = {
        {"name,e,n", "faltam colunas"},
        {"e,n,z,e", "a coluna \"e\" aparece mais de uma vez"},
        {"x,n,z,e", "a coluna \"e\" aparece mais de uma vez"},
        {"lon,n,z", "lon e lat não vão com e e n"},
        {"e,n,elev", "coluna desconhecida \"elev\""},
        {"e,,n,z", "coluna desconhecida \"\""},
        {"", "coluna desconhecida"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.list);
        try {
            ParsePointColumns(c.list);
            ADD_FAILURE() << "accepted";
        } catch (const TPointError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // Applied on a file: the columns named, the header line detected.
    TPointOptions options;
    options.Columns = ParsePointColumns("z,-,n,e");
    const TPreparedPoints p =
        Prepare("cota;obs;y;x\n10;a;7000000;500000\n11;b;7000000;500010\n12;c;7000010;500000\n", options);
    ASSERT_TRUE(p.Triangulation) << p.Problem;
    EXPECT_EQ(p.Set.Points.size(), 3u);
    EXPECT_DOUBLE_EQ(p.Set.Points[1].E, 500010);
    EXPECT_DOUBLE_EQ(p.Set.Points[2].N, 7000010);
    EXPECT_DOUBLE_EQ(p.Set.Points[2].Z, 12);
}

// The grid at the survey's own limits, whatever its spacing. Stakes are
// (column, row) from the north-west; f gets their survey coordinates
// relative to the south-west stake and the elevation.
TGriddedPoints GridAt(const TPointTriangulation& t, double spacing, TGridParams& p,
                      const std::function<void(double, double, float)>& f)
{
    p = DefaultGridParams(t);
    p.Lx = p.Ly = spacing;
    SnapOrigin(t, p);
    const TGriddedPoints g = GridPoints(t, p, '.');
    for (int r = 0; r < g.Rows; ++r)
        for (int c = 0; c < g.Cols; ++c)
            f(p.Lx * c + p.OriginX - t.MinE(), p.Ly * (g.Rows - 1 - r) + p.OriginY - t.MinN(),
              g.Z[std::size_t(r) * std::size_t(g.Cols) + std::size_t(c)]);
    return g;
}

// The sample survey, an L of 400 x 300 m whose north-east corner (x > 260,
// y > 170) was not surveyed, walked on its edges every 15 m and in between
// at random: at any grid spacing, every stake of the L gets an elevation and
// the corner stays empty, in the north-east.
TEST(PointImport, TheSurveysOwnLimitsCoverItAtAnySpacingAndKeepItsBaysEmpty)
{
    TFilePointSource source(NIVORA_EXAMPLES_DIR "/PONTOS.csv");
    const TPreparedPoints prepared = PreparePoints(source, TPointOptions{});
    ASSERT_TRUE(prepared.Triangulation) << prepared.Problem;
    const TPointTriangulation& t = *prepared.Triangulation;
    for (const double spacing : {20.0, 10.0, 5.0, 2.5, 0.5}) {
        SCOPED_TRACE(spacing);
        long long field = 0, fieldEmpty = 0, bay = 0, bayFilled = 0;
        TGridParams p;
        const TGriddedPoints g = GridAt(t, spacing, p, [&](double x, double y, float z) {
            // A metre inside the walked edges, away from the corners the
            // walk cut (it has no point at the south-east and north-west
            // corners).
            const bool cut = (x > 380 && y < 20) || (x < 20 && y > 280);
            const bool inL = x >= 1 && x <= 399 && y >= 1 && y <= 289 && (x <= 259 || y <= 169) && !cut;
            const bool inBay = x >= 290 && y >= 200;
            field += inL, fieldEmpty += inL && z == 0.0f;
            bay += inBay, bayFilled += inBay && z != 0.0f;
        });
        EXPECT_GT(field, 80000 / (spacing * spacing));
        EXPECT_EQ(fieldEmpty, 0);
        EXPECT_GT(bay, 0);
        EXPECT_EQ(bayFilled, 0);
        EXPECT_EQ(g.EmptyByDistance, 0);
        EXPECT_GT(g.EmptyByEdge, 0);
        EXPECT_LT(g.InsideCount - g.ValueCount - g.EmptyByEdge, 3);
        const std::string summary = GridSummary(t, p, ',', g);
        EXPECT_NE(summary.find(std::to_string(g.EmptyByEdge)
                               + " piquetes entre os pontos (dentro do seu contorno "
                                 "convexo) ficarão sem cota: em triângulos com lado "
                                 "maior que o máximo"),
                  std::string::npos)
            << summary;
    }
}

// A survey driven in passes: a point every 2 m along north-south passes 15 m
// apart. Limits from the grid's spacing or from the points' nearest
// neighbours (2 m) leave stripes between the passes; the survey's spacing
// is the passes'.
TEST(PointGrid, PassesFarApartAreOneSurvey)
{
    std::vector<TSurveyPoint> pts;
    for (int pass = 0; pass <= 8; ++pass)
        for (int k = 0; k <= 60; ++k)
            pts.push_back({500000 + 15.0 * pass, 7400000 + 2.0 * k + (pass % 2), 100 + 0.01 * k});
    const TPointTriangulation t(pts);
    EXPECT_GT(t.SurveySpacing(), 14);
    for (const double spacing : {5.0, 1.0}) {
        SCOPED_TRACE(spacing);
        TGridParams p;
        long long inside = 0, empty = 0;
        const TGriddedPoints g = GridAt(t, spacing, p, [&](double x, double y, float z) {
            if (x > 0.5 && x < 119.5 && y > 1.5 && y < 119.5)
                ++inside, empty += z == 0.0f;
        });
        EXPECT_GT(inside, 0);
        EXPECT_EQ(empty, 0);
        EXPECT_EQ(g.EmptyByEdge + g.EmptyByDistance, 0);
        EXPECT_NE(GridSummary(t, p, ',', g)
                      .find("Todos os piquetes entre os pontos (dentro do seu contorno convexo) "
                            "terão cota."),
                  std::string::npos);
    }
    // Far from the passes, a stake is left out by the distance, and told.
    TGridParams p = DefaultGridParams(t);
    p.Method = TGridMethod::Nearest;
    p.Lx = p.Ly = 1;
    p.MaxDistance = 5;
    SnapOrigin(t, p);
    const TGriddedPoints g = GridPoints(t, p, '.', nullptr, true);
    EXPECT_GT(g.EmptyByDistance, 0);
    EXPECT_EQ(g.EmptyByEdge, 0);
    EXPECT_NE(GridSummary(t, p, ',', g)
                  .find(std::to_string(g.EmptyByDistance)
                        + " piquetes entre os pontos (dentro do seu contorno convexo) ficarão sem "
                          "cota: a mais que a distância máxima (5 m) de um ponto medido."),
              std::string::npos)
        << GridSummary(t, p, ',', g);
}

}  // namespace
