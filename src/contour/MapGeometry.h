#pragma once
// Where the altimetric map puts the surveyed area: map units, 10000 on the
// longer side of the drawing, the area placed between margins of 1000 (left),
// 500 (right), 666 (top) and 500 (bottom); x grows to the right with the
// grid's x, y downwards with the grid's y. Plain arithmetic, shared by the
// map picture and by nivora-cli's contours, which draws nothing.

#include "data/GridTypes.h"
#include "data/ProjectExtension.h"
#include "contour/ContourTrace.h"

#include <cstdint>
#include <vector>

namespace nivora {

class TTerreno;

// The map's extent and its transform from metres to map units.
struct TMapGeometry {
    float XMin = 0.0f, YMin = 0.0f, XMax = 0.0f, YMax = 0.0f;
    Real48 Width, Height;                // metres
    std::int32_t W = 0, H = 0;           // drawing extent, map units
    float ScaleX = 0.0f, ScaleY = 0.0f;  // map units per metre
    // Too narrow for the margins: drawn at one scale on both axes, its scales
    // graduated for the longer side.
    bool Narrow = false;

    // round((x - XMin) * ScaleX) + 1000, halves to even.
    std::int32_t MapX(float x) const;
    // round((y - YMin) * ScaleY) + 666, halves to even.
    std::int32_t MapY(float y) const;
    TMapTransform Transform() const;
};

// The geometry for an area from (x0, y0) to (x1, y1), metres. A very narrow
// area, whose shorter side the fixed margins would leave no room for, is
// drawn at the longer side's scale on both axes instead, the drawing as much
// larger than the margins as the area needs.
TMapGeometry MapGeometry(float x0, float y0, float x1, float y1);
// The geometry of a terrain's area of stakes: half a spacing beyond the outer
// stakes on every side.
TMapGeometry MapGeometry(const TTerreno& terrain, const TUsedRect& area);

// The outline nodes of the area as map points.
std::vector<TPoint> OutlinePoints(const TTerreno& terrain, const TUsedRect& area, const TMapGeometry& g);
// Every frame of the area (the outline first, then the parts of the field it
// does not enclose) as map points.
std::vector<std::vector<TPoint>> OutlinesPoints(const TTerreno& terrain, const TUsedRect& area, const TMapGeometry& g);

// The step of a map's coordinate ticks: 1, 2 or 5 times a power of ten, the
// smallest that parts `range` into at most `most` steps. 0 for a range that
// is not positive and finite.
double TickStep(double range, int most);
// The multiples of `step` from `from` to `to` (either order), ascending,
// each rounded to the step's decimals.
std::vector<double> TickValues(double from, double to, double step);

// Where a georeferenced area lies on the ground: the eastings of its left
// and right edges and the northings of its top and bottom edges (half a
// spacing beyond the outer stakes, as the map's area), and whether north is
// up on the maps, which draw the first row at the top.
struct TWorldExtent {
    double WestEasting = 0, EastEasting = 0;
    double TopNorthing = 0, BottomNorthing = 0;
    bool NorthUp = true;
};
TWorldExtent WorldExtent(const TGeoreference& georeference, const TUsedRect& area, double lx, double ly);

}  // namespace nivora
