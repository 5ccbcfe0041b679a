#pragma once
// A profile along a line the user draws over the field, and sections across
// it, as surveyors report them.
//
// The line is a polyline in the coordinates the program shows for the stakes
// (StakeCoordinates: the stake coordinates, or the easting and northing of a
// georeferenced project). Along it the natural ground is the bilinear surface
// of each cell's four stakes, and the design the same surface of the design
// elevations at those stakes, read through TTerreno::DesignElevation (for a
// plane, bilinear interpolation gives the plane itself). A point is valued
// only from the stakes that weigh on it: inside a cell all four, on a grid
// line the two stakes of that edge, on a stake the stake alone. Where one of
// them has no elevation (or the design does not cover it) the point has no
// value, and the profile has a gap there: nothing is drawn, counted or
// guessed across stakes that were not surveyed.
//
// Cut and fill areas are integrated exactly: along a straight line the
// difference of two bilinear surfaces is a quadratic inside each cell, whose
// positive (fill) and negative (cut) parts are summed piece by piece. The
// volumes between sections are the end areas' mean times the distance along
// the line.

#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivora {

class TTerreno;

// A point in shown coordinates (metres).
struct TLinePoint {
    long double X = 0;
    long double Y = 0;
    bool operator==(const TLinePoint&) const = default;
};

// The line cannot be profiled: too few points, not finite, or spacings that
// would give more stations or sections than anyone can read.
class TProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TProfileSample {
    long double Distance = 0;  // along the line (for a section: across it, from its left end), metres
    TLinePoint Point;
    std::optional<long double> Natural;
    std::optional<long double> Design;
    // Design less natural (positive: fill), when both are known.
    std::optional<long double> CutFill() const
    {
        if (!Natural || !Design)
            return std::nullopt;
        return *Design - *Natural;
    }
};

// One straight piece of the polyline.
struct TProfileLeg {
    long double Start = 0;  // distance of its first point
    long double Length = 0;
    // The design's rise per metre along the direction of drawing, between the
    // first and the last point of the leg the design covers.
    std::optional<long double> DesignSlope;
};

// A section across the line at one distance, from its left end to its right
// end (left and right as one walks the line as drawn).
struct TSection {
    long double Distance = 0;
    TLinePoint Point;
    long double CutArea = 0;   // m²
    long double FillArea = 0;  // m²
    // The metres of the section where both surfaces are known; less than the
    // width where it leaves the field or crosses stakes without elevation.
    long double Covered = 0;
    std::vector<TProfileSample> Samples;
};

// The earth between two neighbouring sections by the end-area rule.
struct TSectionVolume {
    long double From = 0;
    long double To = 0;
    long double CutVolume = 0;  // m³
    long double FillVolume = 0;
};

struct TProfileOptions {
    long double StationStep = 20;   // metres between stations
    long double SectionStep = 0;    // metres between sections; 0 for none
    long double SectionWidth = 40;  // the whole width of a section, centred on the line
};

struct TProfile {
    long double Length = 0;
    // Whether the terrain has a design to compare (current results).
    bool HasDesign = false;
    // In order of distance: every crossing of a grid line, and points inside
    // each cell close enough to draw the curved bilinear surface.
    std::vector<TProfileSample> Samples;
    std::vector<TProfileLeg> Legs;
    // Every StationStep metres from the start, and the end.
    std::vector<TProfileSample> Stations;
    // The area between the two lines along the profile itself, m².
    long double CutArea = 0;
    long double FillArea = 0;
    // Every SectionStep metres from the start, and the end.
    std::vector<TSection> Sections;
    std::vector<TSectionVolume> Volumes;
    long double CutVolume = 0;
    long double FillVolume = 0;
};

// The limits that keep a profile readable and its computation short.
inline constexpr std::size_t kMaxProfileVertices = 1000;
inline constexpr std::size_t kMaxStations = 20000;
inline constexpr std::size_t kMaxSections = 2000;
// The pieces (a line's stretches between grid lines) the line, and the
// sections together, may be cut into: a line that zigzags across a large grid
// or many wide sections would otherwise take more memory than a desktop has.
inline constexpr std::size_t kMaxPieces = 200000;

// The profile of the polyline `vertices` (consecutive repeated points are
// dropped). Throws TProfileError when fewer than two distinct points remain,
// a coordinate or an option is not finite or not positive, or the spacings
// would give more stations or sections, or more pieces, than the limits above.
TProfile ComputeProfile(const TTerreno& terrain, std::span<const TLinePoint> vertices,
                        const TProfileOptions& options = {});

// Where a point in shown coordinates lies in the grid: 1-based fractional
// column and row (stake (c, r) is at exactly (c, r)).
TLinePoint GridPosition(const TTerreno& terrain, const TLinePoint& shown);
// The shown coordinates of a fractional column and row.
TLinePoint ShownPosition(const TTerreno& terrain, long double column, long double row);

// The profile as CSV, laid out as the field report's: the stations, then the
// sections with their areas and volumes. Decimal comma: ";" between fields.
std::string ProfileCsv(const TProfile& profile, int decimals, char decimalSeparator);

}  // namespace nivora
