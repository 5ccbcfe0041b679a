// Survey points in, true coordinates out. Points sampled from a known plane
// and a known undulating surface at UTM coordinates (northings near 7 500 000
// and 9 100 000, spacings of 10 and 2,5 m, corners off the metre) are turned
// into a project by nivora-cli points; then winsurf, report's CSV and grid
// --coordinates must give every stake at its surveyed easting and northing
// to the millimetre, with the elevation of the surface there, the grid north
// up (row 1 the northern row). An L-shaped survey leaves its missing
// north-east corner empty.
//
// Arguments: the nivora-cli binary and a work folder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string gCli;
fs::path gWork;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs nivora-cli; its exit status, with its standard output in `out`.
int RunCli(std::vector<std::string> args, std::string& out)
{
    args.insert(args.begin(), gCli);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const fs::path outFile = gWork / "stdout.txt", errFile = gWork / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, gCli.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    if (started && waitpid(pid, &status, 0) == pid)
        status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    out = ReadAll(outFile);
    if (status != 0)
        ADD_FAILURE() << args[1] << ": status " << status << "\n" << ReadAll(errFile);
    return status;
}

std::vector<std::string> Split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream s(text);
    while (std::getline(s, part, by))
        parts.push_back(part);
    return parts;
}

std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::string line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

double Number(const std::string& s)
{
    std::size_t used = 0;
    const double v = std::stod(s, &used);
    EXPECT_EQ(used, s.size()) << "not a number: " << s;
    return v;
}

// A millimetre as the outputs round it, with room for the double's last bit.
constexpr double kMm = 0.0005 + 1e-7;

struct TSurveyCase {
    const char* Name;
    double Lx, Ly;
    double West, South;  // easting and northing of the south-west stake, off the metre
    int Columns, Rows;   // stakes of the grid the points span
    bool AtStakes;       // points at the stakes; otherwise scattered between them (a plane only)
    bool LShaped;        // no points north-east of the middle
    std::function<double(double de, double dn)> Surface;  // elevation from the south-west stake
};

void PrintTo(const TSurveyCase& c, std::ostream* os) { *os << c.Name; }

double Plane(double de, double dn) { return 512.25 + 0.0125 * de - 0.0075 * dn; }
double Undulating(double de, double dn)
{
    return 498.5 + 0.01 * de + 0.004 * dn + 0.35 * std::sin(de / 17.0) * std::cos(dn / 23.0);
}

// The north-east quarter an L-shaped survey leaves out, with a stake's margin.
bool InMissingCorner(const TSurveyCase& c, double de, double dn)
{
    return de > (c.Columns - 1) * c.Lx / 2 + c.Lx / 2 && dn > (c.Rows - 1) * c.Ly / 2 + c.Ly / 2;
}

// The quarters of the field, leaving out a band of four spacings (the
// longest triangle side that gives an elevation) along the middle lines, so
// that the triangles across the inner corner of the L do not count.
enum TQuarter { qNone, qNorthWest, qNorthEast, qSouthWest, qSouthEast };
TQuarter Quarter(const TSurveyCase& c, double de, double dn)
{
    const double midE = (c.Columns - 1) * c.Lx / 2 + c.Lx / 2, midN = (c.Rows - 1) * c.Ly / 2 + c.Ly / 2;
    const bool east = de > midE + 4 * c.Lx, west = de < midE - 4 * c.Lx;
    const bool north = dn > midN + 4 * c.Ly, south = dn < midN - 4 * c.Ly;
    return north && east   ? qNorthEast
           : north && west ? qNorthWest
           : south && east ? qSouthEast
           : south && west ? qSouthWest
                           : qNone;
}

std::string WritePoints(const TSurveyCase& c, const fs::path& file)
{
    std::ofstream out(file, std::ios::binary);
    char line[160];
    int n = 0;
    const auto point = [&](double de, double dn) {
        if (c.LShaped && InMissingCorner(c, de, dn))
            return;
        std::snprintf(line, sizeof line, "P%d,%.4f,%.4f,%.4f\n", ++n, c.West + de, c.South + dn, c.Surface(de, dn));
        out << line;
    };
    if (c.AtStakes) {
        for (int j = 0; j < c.Rows; ++j)
            for (int i = 0; i < c.Columns; ++i)
                point(i * c.Lx, j * c.Ly);
    } else {
        // Rows of points 1,7 spacings apart, shifted from row to row, from
        // the south-west stake to the far edge: none lies on a stake.
        const double width = (c.Columns - 1) * c.Lx, height = (c.Rows - 1) * c.Ly;
        for (int j = 0; j * 1.7 * c.Ly <= height; ++j)
            for (int i = 0; i * 1.7 * c.Lx + (j % 2) * 0.6 * c.Lx <= width; ++i)
                point(i * 1.7 * c.Lx + (j % 2) * 0.6 * c.Lx + 0.13, j * 1.7 * c.Ly + 0.29);
    }
    return file.string();
}

// What every output must agree on: the stake (column, row) of the grid,
// north up, is at E = West + (column - 1) Lx, N = North - (row - 1) Ly.
struct TExpect {
    const TSurveyCase& Case;
    double North = 0;  // the northing of row 1

    void Stake(double e, double n, double z, const std::string& where) const
    {
        const double de = e - Case.West, dn = n - Case.South;
        // On the lattice of stakes, to the millimetre.
        EXPECT_NEAR(de / Case.Lx, std::round(de / Case.Lx), kMm / Case.Lx) << where << " E " << e;
        EXPECT_NEAR(dn / Case.Ly, std::round(dn / Case.Ly), kMm / Case.Ly) << where << " N " << n;
        EXPECT_GE(de, -kMm) << where;
        EXPECT_GE(dn, -kMm) << where;
        // The surface at that place (elevations are singles: a millimetre).
        EXPECT_NEAR(z, Case.Surface(std::round(de / Case.Lx) * Case.Lx, std::round(dn / Case.Ly) * Case.Ly), 0.001)
            << where << " at " << e << ", " << n;
    }
    void Position(int col, int row, double e, double n, const std::string& where) const
    {
        EXPECT_NEAR(e, Case.West + (col - 1) * Case.Lx, kMm) << where << " column " << col;
        EXPECT_NEAR(n, North - (row - 1) * Case.Ly, kMm) << where << " row " << row;
    }
};

class SurveyRoundTrip : public ::testing::TestWithParam<TSurveyCase> {};

TEST_P(SurveyRoundTrip, EveryStakeComesBackAtItsSurveyedPlace)
{
    const TSurveyCase& c = GetParam();
    const std::string points = WritePoints(c, gWork / (std::string(c.Name) + ".txt"));
    const std::string project = (gWork / (std::string(c.Name) + ".NVR")).string();
    char origin[80], lx[32], ly[32];
    std::snprintf(origin, sizeof origin, "%.4f,%.4f", c.West, c.South);
    std::snprintf(lx, sizeof lx, "%g", c.Lx);
    std::snprintf(ly, sizeof ly, "%g", c.Ly);
    std::string out;
    ASSERT_EQ(RunCli({"points", points, "--columns", "name,e,n,z", "--metres", "--epsg", "31982", "--lx", lx, "--ly",
                      ly, "--origin", origin, "-o", project},
                     out),
              0);

    // Row 1 is the north: the northing of row 1 is that of the grid's top.
    ASSERT_EQ(RunCli({"info", project}, out), 0);
    const auto cornerAt = out.find("\"CornerNorthing\":");
    ASSERT_NE(cornerAt, std::string::npos) << out;
    TExpect expect{c, std::stod(out.substr(cornerAt + 17))};
    const double rowsUp = (expect.North - c.South) / c.Ly;
    EXPECT_NEAR(rowsUp, std::round(rowsUp), 1e-6);
    if (c.AtStakes) {
        EXPECT_EQ(std::round(rowsUp), c.Rows - 1);
    }

    // WinSurf: X, Y, Z a line.
    ASSERT_EQ(RunCli({"winsurf", project, "--decimals", "3"}, out), 0);
    const auto listing = TextLines(out);
    int inside = 0;
    std::map<TQuarter, int> quarters;
    for (const std::string& line : listing) {
        const auto f = Split(line, '\t');
        ASSERT_EQ(f.size(), 3u) << line;
        expect.Stake(Number(f[0]), Number(f[1]), Number(f[2]), "winsurf");
        ++quarters[Quarter(c, Number(f[0]) - c.West, Number(f[1]) - c.South)];
        ++inside;
    }
    // The L's missing corner stays empty in the north-east, where it is on
    // the ground; the other three corners have their stakes.
    if (c.LShaped) {
        EXPECT_EQ(quarters[qNorthEast], 0);
        EXPECT_GT(quarters[qNorthWest], 0);
        EXPECT_GT(quarters[qSouthEast], 0);
        EXPECT_GT(quarters[qSouthWest], 0);
    }
    if (c.AtStakes && !c.LShaped) {
        EXPECT_EQ(inside, c.Columns * c.Rows);
    }
    EXPECT_GT(inside, c.Columns * c.Rows / 4);

    // The field report's CSV: column, row, E, N, natural elevation.
    const std::string csv = (gWork / (std::string(c.Name) + ".csv")).string();
    ASSERT_EQ(RunCli({"report", project, "-o", csv}, out), 0);
    const auto rows = TextLines(ReadAll(csv));
    ASSERT_EQ(rows.size(), listing.size() + 1);
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const auto f = Split(rows[k], ',');
        ASSERT_GE(f.size(), 6u) << rows[k];
        const int col = std::stoi(f[1]), row = std::stoi(f[2]);
        const double e = Number(f[3]), n = Number(f[4]);
        expect.Position(col, row, e, n, "report");
        expect.Stake(e, n, Number(f[5]), "report");
    }

    // The grid headed by its coordinates: eastings across, northings down.
    ASSERT_EQ(RunCli({"grid", project, "--coordinates", "--decimals", "4"}, out), 0);
    const auto grid = TextLines(out);
    ASSERT_GE(grid.size(), 2u);
    const auto eastings = Split(grid[0], '\t');
    int cells = 0;
    for (std::size_t r = 1; r < grid.size(); ++r) {
        const auto f = Split(grid[r], '\t');
        const double n = Number(f.at(0));
        for (std::size_t k = 1; k < f.size(); ++k) {
            if (f[k].empty())
                continue;
            expect.Stake(Number(eastings.at(k)), n, Number(f[k]), "grid");
            ++cells;
        }
    }
    EXPECT_EQ(cells, inside);
}

const TSurveyCase kCases[] = {
    {"plane_10m_7500000", 10, 10, 699987.35, 7499993.85, 24, 18, false, false, Plane},
    {"plane_2_5m_9100000", 2.5, 2.5, 512345.3, 9100001.7, 30, 22, false, false, Plane},
    {"undulating_2_5m_9100000", 2.5, 2.5, 512345.3, 9100001.7, 36, 28, true, false, Undulating},
    {"undulating_10m_7500000", 10, 10, 300000.45, 7499990.15, 25, 20, true, false, Undulating},
    {"undulating_10x2_5m_9100000", 10, 2.5, 734567.85, 9100002.35, 20, 31, true, false, Undulating},
    // A plane, which the triangles across the inner corner give exactly.
    {"l_shaped_2_5m_9100000", 2.5, 2.5, 512345.3, 9100001.7, 30, 26, true, true, Plane},
};

INSTANTIATE_TEST_SUITE_P(Surveys, SurveyRoundTrip, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.Name); });

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: survey_round_trip NIVORA-CLI PASTA\n");
        return 2;
    }
    gCli = argv[1];
    gWork = argv[2];
    fs::remove_all(gWork);
    fs::create_directories(gWork);
    return RUN_ALL_TESTS();
}
