#pragma once
// The listing for the surface-plotting program WinSurf: one line per stake
// with a natural elevation, X, Y and Z separated by tabs, column by column and
// within a column from the top row down. Y is mirrored within the used
// rectangle, so the grid's top row gets the largest Y; a georeferenced
// project lists every stake at its surveyed easting and northing.

#include <string>

namespace nivora {

class TTerreno;

// Lines joined by CR LF, no header and no line end after the last line.
// Recomputes the store's used rectangle.
std::string WinSurfListing(TTerreno& terrain, int decimals, char decimalSeparator);

}  // namespace nivora
