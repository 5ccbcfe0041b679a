#pragma once
// From scattered survey points to the grid of stakes: a Delaunay
// triangulation of the points, built once, and the elevation of every stake
// read from it, either on the plane of the triangle the stake lies in or from
// the nearest point. Stakes away from the measured area stay without
// elevation (0, as everywhere in the program).

#include "survey/PointFile.h"

#include <memory>
#include <stdexcept>
#include <vector>

namespace nivora {

class IProgress;

// Input the user has to change: the message says what and how.
class TPointError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// Points that lie on one line: they describe no surface.
class TPointsOnALine : public TPointError {
public:
    using TPointError::TPointError;
};

enum class TGridMethod { Triangulation, Nearest };

// The largest spacing a grid of points may have, in metres.
constexpr double kMaxGridSpacing = 1e30;
// A spacing and an origin coordinate a saved project holds and reads back.
bool SpacingFits(double spacing);
bool OriginFits(double coordinate);

struct TGridParams {
    double Lx = 10;
    double Ly = 10;
    // Survey coordinates of the grid's south-west stake: where the grid is
    // aligned. Columns run east. The terrain made from the grid has its rows
    // running south (row 1 is the northern one) and stake (1, 1) at the
    // north-west corner; see MakeTerrain.
    double OriginX = 0;
    double OriginY = 0;
    TGridMethod Method = TGridMethod::Triangulation;
    // A stake farther than this from every point gets no elevation.
    double MaxDistance = 15;
    // A stake in a triangle with a longer edge gets none either, so that the
    // triangulation does not bridge the bays of a concave field. 0: no limit.
    double MaxEdge = 0;
};

struct TGridSize {
    long long Cols = 0;
    long long Rows = 0;
};

class TPointTriangulation {
public:
    // Throws TPointError for fewer than three points or points on a line.
    explicit TPointTriangulation(const std::vector<TSurveyPoint>& points);
    ~TPointTriangulation();
    TPointTriangulation(const TPointTriangulation&) = delete;
    TPointTriangulation& operator=(const TPointTriangulation&) = delete;

    std::size_t PointCount() const;
    double MinE() const { return MinE_; }
    double MaxE() const { return MaxE_; }
    double MinN() const { return MinN_; }
    double MaxN() const { return MaxN_; }
    // Area of the convex hull, and the side of the square each point
    // stands for in it.
    double HullArea() const;
    double MeanSpacing() const;
    // The survey's own spacing: the median, over the triangles, of a
    // triangle's longest side. Points walked along lines (a tractor's
    // passes) are as far apart as the lines are, and a few dense clusters
    // or a bay of the field leave it as it is.
    double SurveySpacing() const { return SurveySpacing_; }

    struct TImpl;

private:
    std::unique_ptr<TImpl> Impl;
    double MinE_ = 0, MaxE_ = 0, MinN_ = 0, MaxN_ = 0;
    double SurveySpacing_ = 0;
    friend struct TGridder;
};

// The stakes needed to cover the points from the origin on.
TGridSize GridSizeFor(const TPointTriangulation& t, const TGridParams& p);
// The round spacing (1, 2, 2.5 or 5 times a power of ten) nearest to the
// given one.
double RoundSpacing(double spacing);
// The smallest round spacing at which the points fit 1000 stakes along both
// directions with the origin at their south-west corner.
double SpacingThatFits(const TPointTriangulation& t);
// The limits that keep the grid to the surveyed area, from the survey's own
// spacing whatever the grid's: triangles with sides of up to three times the
// survey's spacing give elevations (longer ones bridge a bay of the field),
// and a stake gets one up to 0,6 times that side from the nearest point (a
// point inside such a triangle lies at most 1/√3 of it from a corner, so
// that inside the triangles the side alone decides). Both are rounded up to
// two significant digits.
void SetSurveyLimits(const TPointTriangulation& t, TGridParams& p);
// A round spacing near the points' mean spacing (raised to one that fits),
// the origin at the south-west corner snapped to it, the survey's limits.
TGridParams DefaultGridParams(const TPointTriangulation& t);
// The origin at the points' south-west corner, snapped down to the spacing.
void SnapOrigin(const TPointTriangulation& t, TGridParams& p);

struct TGriddedPoints {
    std::int32_t Cols = 0;
    std::int32_t Rows = 0;
    // Row after row from row 1, the northern one, as the terrain holds them;
    // each row from west to east; 0 where no elevation.
    std::vector<float> Z;
    std::int64_t ValueCount = 0;
    // The surveyed area is the triangulation: the points' convex hull, its
    // edge included. Of the stakes in it, those the limits left without an
    // elevation: a triangle's side too long (a stake in a bay of the
    // field), or, the side being short enough, the nearest point too far.
    std::int64_t InsideCount = 0;
    std::int64_t EmptyByEdge = 0;
    std::int64_t EmptyByDistance = 0;
};

// Checks the parameters and the size (TPointError with the program's
// message, in the given decimal mark) without gridding.
TGridSize CheckGridParams(const TPointTriangulation& t, const TGridParams& p, char decimal);
// Grids the points; with countOnly the cells are not kept (for a summary).
TGriddedPoints GridPoints(const TPointTriangulation& t, const TGridParams& p, char decimal,
                          IProgress* progress = nullptr, bool countOnly = false);

}  // namespace nivora
