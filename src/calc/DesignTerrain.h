#pragma once
// The design as a surface of its own: a terrain whose elevations are the
// working plan's design elevations, so that everything drawn from a terrain's
// elevations (contour lines, the altimetric map, its outline) draws the
// design instead. Design elevations are read only through
// TTerreno::DesignElevation, whatever the design is made of.

#include "calc/CalcSist.h"

#include <optional>

namespace nivora {

// A copy of the terrain's geometry and georeference holding, at each stake
// with an elevation inside the area of the last run, its design elevation
// rounded to a single (as elevations are kept); every other stake is empty.
// Its selection is that area. None while the terrain has no current results.
//
// A design elevation of exactly 0 would read as an empty stake: it is kept
// as the smallest positive single instead.
std::optional<TTerreno> DesignTerrain(const TTerreno& terrain);

}  // namespace nivora
