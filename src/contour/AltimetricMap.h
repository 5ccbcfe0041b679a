#pragma once
// The altimetric map as a recorded vector picture: the outline of the surveyed
// area, the title, graduated scales along the top and left edges of the area,
// and the contour lines of the requested levels, each line labelled with its
// level.
//
// The picture's coordinates are map units: 10000 on the longer side of the
// drawing, the area placed between margins of 1000 (left), 500 (right), 666
// (top) and 500 (bottom); x grows to the right with the grid's x, y downwards
// with the grid's y. Font sizes are points at the screen's resolution (ppi),
// so text is sized as on a screen W x H pixels large; the picture's physical
// size is that screen size divided by 8, which shows it about 1250 pixels
// long at 100 %.

#include "contour/ContourLevels.h"
#include "contour/ContourTrace.h"
#include "contour/MapGeometry.h"

#include <QFont>
#include <QPicture>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace nivora {

struct TMapOptions {
    int Ppi = 96;                 // the screen's logical resolution
    char DecimalSeparator = '.';  // of the labels
    // The name of a georeferenced project's coordinate system, as the
    // projection database gives it ("EPSG:31982 - SIRGAS 2000 / UTM zone
    // 22S"); written under the map's real coordinates.
    std::string CrsName;
    // The contours are the design's (a DesignSurface): the title says so.
    bool Design = false;
};

struct TAltimetricMap {
    QPicture Picture;  // map units, bounding rectangle 0,0 .. W,H
    TMapGeometry Geometry;
    QSize PhysicalSize;  // hundredths of a millimetre
    int Ppi = 96;
    // The levels drawn, in the request's order, and the stake spacing, m:
    // the title block of a printed map names them.
    std::vector<long double> Levels;
    long double Lx = 0, Ly = 0;
    // Where the area lies on the ground, for a georeferenced project, and the
    // name of its coordinate system: a printed map names it.
    std::optional<TGeoreference> Georeference;
    std::string CrsName;
    // A map of the design surface (TMapOptions::Design).
    bool Design = false;
    // The size at 100 %, pixels of the screen.
    QSize DisplaySize() const;
};

// The map of the terrain's selection for the request's levels.
TAltimetricMap BuildAltimetricMap(TTerreno& terrain, const TContourRequest& request,
                                  const TMapOptions& options = TMapOptions());

// The map stretched into `target` of a painter's device. A picture replays
// scaled by its device's resolution over the screen's; that is undone here, so
// that the map fills the target on a printer or a PDF page as on the screen.
void DrawMapPicture(QPainter& painter, const TAltimetricMap& map, const QRectF& target);
// A size at a zoom percentage, halves away from zero.
QSize ScaledSize(const QSize& size, int zoom);

// "Arial" at `points` points: its character height in map units.
QFont MapFont(int points, bool bold, int ppi);
// The values of a scale: from `from` while not beyond `to`, in steps of
// `step`, accumulated as 32-bit floats.
std::vector<float> ScaleValues(float from, float to, float step);
// The text of a value on the map: general format, 10 significant digits.
QString MapNumber(long double v, char decimalSeparator);

// The drawing steps, on a painter over map units.
void DrawAreaOutline(QPainter& canvas, const TTerreno& terrain, const TUsedRect& area, const TMapGeometry& g);
// The title, and with localScales the area's coordinates along its top and
// left edges.
void DrawTitleAndScales(QPainter& canvas, const TMapGeometry& g, const TMapOptions& options, bool localScales = true);
void DrawCurves(TCurvas& curves, QPainter& canvas, const TMapOptions& options);
// The width right of the area that DrawWorldReference's northings and
// arrow take.
std::int32_t WorldReferenceWidth(const TMapGeometry& g, const TMapOptions& options);
// A georeferenced area's real coordinates: eastings ticked along the bottom
// edge and northings along the right edge, at round values, a north arrow
// beside the top right corner and the coordinate system's name below.
void DrawWorldReference(QPainter& canvas, const TMapGeometry& g, const TWorldExtent& world, const TMapOptions& options);
// A north arrow with its tip at `tip`, `length` long, pointing up or down.
void DrawNorthArrow(QPainter& canvas, const QPointF& tip, double length, bool up);

}  // namespace nivora
