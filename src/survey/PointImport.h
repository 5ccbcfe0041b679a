#pragma once
// The whole way from a point file to a terrain, as the import dialog and
// nivora-cli points take it: read with a layout, project when the points are
// in degrees, triangulate; then grid with the chosen parameters and fill a
// terrain of the grid's size. The texts that tell the user what happened
// are made here, so that both front ends say the same.

#include "data/ProjectExtension.h"
#include "survey/PointFile.h"
#include "survey/PointGrid.h"
#include "survey/UtmProjection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nivora {

class TTerreno;

// How the import reads a file; what is not given is detected.
struct TPointOptions {
    std::optional<TPointFormat> Format;
    // Columns the user named, set on the detected (or given) layout.
    std::optional<TPointColumns> Columns;
    // Degrees (true) or metres (false); otherwise degrees when the columns
    // say lon and lat or the points look geographic.
    std::optional<bool> Geographic;
    // Points in degrees are projected to this system (EpsgRefusal takes it);
    // 0: to UTM in the zone of their middle.
    std::int32_t Epsg = 0;
};

// Which order a file in degrees without a header was read in, when both
// were possible: the one that puts the survey in Brazil, where one does,
// otherwise the one that makes the more compact survey.
enum class TDegreeOrder { NotAsked, InBrazil, Compact };

struct TPreparedPoints {
    // The layout the file was read with.
    TPointFormat Format;
    TPointSet Set;
    bool Projected = false;
    TUtmZone Zone;
    // The coordinate system proposed for the points: the UTM one they were
    // projected to (ProposedUtmEpsg), or 0 for points already in metres,
    // whose system only the user can name.
    std::int32_t ProposedEpsg = 0;
    // The points went to the system the options named.
    bool ProjectedToNamed = false;
    // How the longitude and latitude columns were told apart (Format's ColE
    // is the longitude).
    TDegreeOrder Order = TDegreeOrder::NotAsked;
    // Empty when the points cannot make a surface; Problem says why.
    std::unique_ptr<TPointTriangulation> Triangulation;
    std::string Problem;
    // The problem is points on one line (not too few of them).
    bool OnALine = false;
};

// Reads the source once, with the format or the layout detected on its first
// lines; projects to UTM when geographic, or, when that is not given, when
// the points look geographic. Throws TFileError when the source cannot be
// read.
TPreparedPoints PreparePoints(IPointSource& source, const TPointOptions& options);
TPreparedPoints PreparePoints(IPointSource& source, const std::optional<TPointFormat>& format,
                              std::optional<bool> geographic);
// The same over a text in memory.
TPreparedPoints PreparePoints(std::string_view text, const TPointFormat& format, bool geographic);

// What was read, what was refused and why, repeated points, the projection;
// then the problem, unless the caller tells it on its own.
std::string ReadingSummary(const TPreparedPoints& prepared, bool withProblem = true);
// "Grade de C × R piquetes ..." or the reason the grid cannot be made.
std::string GridSummary(const TPointTriangulation& t, const TGridParams& p, char decimal, std::int64_t valueCount);
// The same from the grid (made with countOnly or not), saying too how many
// stakes inside the surveyed area stay without an elevation and which limit
// left them so.
std::string GridSummary(const TPointTriangulation& t, const TGridParams& p, char decimal, const TGriddedPoints& grid);

// A terrain of the grid's size holding its elevations, north up: row 1 is
// the northern row, columns run east. Its stake coordinates are local, with
// the origin 0, 0 at stake (1, 1), so that they are exact in single
// precision and the plane's elevation at the origin is the one at that
// stake; where the stakes are on the ground is its georeference: the system
// `epsg` (0 when not known), the easting and northing of stake (1, 1) (the
// grid's north-west stake) and rows running south. Like a new document, it
// is not saved. Throws TPointError for a grid a project file could not hold.
std::unique_ptr<TTerreno> MakeTerrain(const TGriddedPoints& grid, const TGridParams& p, std::int32_t epsg);
// The georeference MakeTerrain gives the terrain of the grid.
TGeoreference GridGeoreference(const TGriddedPoints& grid, const TGridParams& p, std::int32_t epsg);

}  // namespace nivora
