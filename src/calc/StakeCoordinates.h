#pragma once
// Where a stake is, as the program shows and writes it. A project with a
// georeference shows the surveyed easting and northing of every stake,
// computed in double precision from the georeference: a single-precision
// stake coordinate steps by a whole metre above 8 388 608 (northings of most
// of Brazil), so it never stands for a place on the ground. A project without
// one shows the stake coordinates the computations use, as it always has.
//
// Every view, listing, report, readout and nivora-cli output takes a stake's
// coordinates from StakeCoordinates and writes them with CoordinateText or
// CoordinateFixed.

#include "calc/Plan.h"
#include "data/GridTypes.h"
#include "data/ProjectExtension.h"

#include <cstdint>
#include <optional>
#include <string>

namespace nivora {

class TTerreno;

struct TStakePoint {
    double X = 0;  // the easting of a georeferenced project
    double Y = 0;  // the northing of a georeferenced project
    // Surveyed coordinates from the georeference; false for the stake
    // coordinates of a project without one (StakeX, StakeY, exact in a double).
    bool Real = false;
};

// The coordinates of stake (column, row), both 1-based.
TStakePoint StakeCoordinates(const TTerreno& terrain, std::int32_t column, std::int32_t row);

// A coordinate in the shortest text that reads back to it: a stake coordinate
// as the grid has always shown it (FormatShortest); a surveyed one rounded to
// the millimetre, without trailing zeros ("9100002,5", "312000").
std::string CoordinateText(double value, bool real, char decimalSeparator);

// A coordinate with `decimals` decimals and at most 10 significant digits,
// as the listings write their numbers; a surveyed one with more decimals,
// up to three, where it has millimetres those would not show.
std::string CoordinateFixed(double value, bool real, int decimals, char decimalSeparator);

// How the printed figures give a georeference: the caption, and
// "EPSG:31982, piquete (1, 1) em E = 312000 m, N = 7455000,5 m".
inline constexpr const char* kGeoreferenceCaption = "Georreferência";
std::string GeoreferenceText(const TGeoreference& georeference, char decimalSeparator);

// The design elevation of plan `slot` (0 the working plan) at its area's first stake: the first stake
// with an elevation in the order the field report walks the area (rows from
// its first, the first row from its first column on, each next row back).
// "Cota da Origem" is the plane at X = 0, Y = 0, far from the field when
// the origin is a surveyed coordinate; this is a figure on the ground.
struct TFirstStake {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    long double Design = 0;
};
std::optional<TFirstStake> FirstStakeDesign(const TTerreno& terrain, int slot, const TUsedRect& area);

// "Cota de projeto no piquete (3, 2)": the caption of that figure wherever it
// is printed.
std::string FirstStakeCaption(const TFirstStake& stake);

}  // namespace nivora
