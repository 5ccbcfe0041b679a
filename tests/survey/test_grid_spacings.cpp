// Gridding with different spacings along the two directions: each direction
// must use its own spacing for the number of stakes and for where they lie.
// The fields are planes sloping along one direction only, so every row (or
// column) of stakes has one elevation that says where it lies; the rows are
// compared as a set, whichever end of the grid row 1 is.

#include "survey/PointGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace nivora;

namespace {

constexpr double kE0 = 650000;  // survey coordinates of UTM size
constexpr double kN0 = 7100000;
constexpr double kWidth = 60;   // east-west extent of the survey, m
constexpr double kHeight = 36;  // north-south extent

// A slope of 5 cm/m along one direction, level along the other.
double Elevation(bool alongNorth, double e, double n) { return 100 + 0.05 * (alongNorth ? n : e); }

// Points on a regular lattice every 3 m: the triangulation of a plane gives
// the plane back at every stake.
std::vector<TSurveyPoint> Lattice(bool alongNorth)
{
    std::vector<TSurveyPoint> pts;
    for (double n = 0; n <= kHeight; n += 3)
        for (double e = 0; e <= kWidth; e += 3)
            pts.push_back({kE0 + e, kN0 + n, Elevation(alongNorth, e, n)});
    return pts;
}

struct TCase {
    const char* name;
    double Lx, Ly;
    double OffsetE, OffsetN;  // of the origin from the survey's south-west corner
    bool AlongNorth;          // which direction the field slopes along
};

// The elevations of the lines of stakes across the slope (rows for a slope
// along north, columns for one along east), each line checked to be level.
std::vector<double> LineElevations(const TGriddedPoints& g, bool rows)
{
    std::vector<double> out;
    const int lines = rows ? g.Rows : g.Cols;
    const int along = rows ? g.Cols : g.Rows;
    for (int i = 0; i < lines; ++i) {
        float first = 0;
        for (int k = 0; k < along; ++k) {
            const int r = rows ? i : k, c = rows ? k : i;
            const float z = g.Z[std::size_t(r) * std::size_t(g.Cols) + std::size_t(c)];
            EXPECT_NE(z, 0.0f) << "no elevation at column " << c + 1 << ", row " << r + 1;
            if (k == 0)
                first = z;
            EXPECT_NEAR(z, first, 1e-4) << "column " << c + 1 << ", row " << r + 1 << " is not level with its line";
        }
        out.push_back(first);
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(GridSpacings, EachDirectionUsesItsOwnSpacing)
{
    const TCase cases[] = {
        {"rows closer than columns", 10, 4, 0, 0, true},
        {"rows farther than columns", 4, 9, 0, 0, true},
        {"rows closer, from an inner origin", 7.5, 2.5, 3, 1.5, true},
        {"columns closer than rows", 2.5, 6, 0, 0, false},
        {"columns farther than rows", 12, 4, 1, 2, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TPointTriangulation t(Lattice(c.AlongNorth));
        TGridParams p;
        p.Lx = c.Lx;
        p.Ly = c.Ly;
        p.OriginX = kE0 + c.OffsetE;
        p.OriginY = kN0 + c.OffsetN;
        p.MaxDistance = 10;
        const TGriddedPoints g = GridPoints(t, p, ',');

        const int cols = static_cast<int>(std::floor((kWidth - c.OffsetE) / c.Lx)) + 1;
        const int rows = static_cast<int>(std::floor((kHeight - c.OffsetN) / c.Ly)) + 1;
        EXPECT_EQ(g.Cols, cols);
        EXPECT_EQ(g.Rows, rows);
        ASSERT_EQ(g.Z.size(), std::size_t(cols) * std::size_t(rows));
        EXPECT_EQ(g.ValueCount, std::int64_t(cols) * rows);

        // The lines across the slope lie one spacing of their own direction
        // apart, from the origin on.
        const double offset = c.AlongNorth ? c.OffsetN : c.OffsetE;
        const double spacing = c.AlongNorth ? c.Ly : c.Lx;
        const std::vector<double> found = LineElevations(g, c.AlongNorth);
        ASSERT_EQ(found.size(), std::size_t(c.AlongNorth ? rows : cols));
        for (std::size_t i = 0; i < found.size(); ++i) {
            const double d = offset + spacing * static_cast<double>(i);
            EXPECT_NEAR(found[i], Elevation(c.AlongNorth, d, d), 1e-4) << "line " << i << " of " << found.size();
        }
    }
}
