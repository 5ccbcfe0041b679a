#pragma once
// The cut-and-fill map of a document's working plan: one cell per stake of the
// area of the last systematization run, in an 8-bit indexed bitmap with the
// palette below. The map window shows it and puts it on the clipboard;
// nivora-cli writes it as PNG.

#include "calc/Plan.h"
#include "calc/StakeCoordinates.h"
#include "calc/CutFillGeometry.h"
#include "data/Progress.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <optional>
#include <string>
#include <vector>

namespace nivora {

class TTerreno;

// The 256 colours: 0 white (no elevation), 1..127 the cuts from pure red
// (deepest) to 129, 0, 0, 128..255 the fills from 0, 0, 128 to pure blue
// (deepest).
const QList<QRgb>& CutFillPalette();

// Sets every pixel of `cell`, both corners inclusive, to the palette index;
// the part of the rectangle outside the bitmap is left alone. The bitmap has
// 8 bits a pixel.
void FillCell(QImage& bitmap, const QRect& cell, uchar index);

struct TCutFillMap {
    QImage Bitmap;  // Format_Indexed8 with CutFillPalette
    int CellWidth = MapCellSize;
    int CellHeight = MapCellSize;
    // The stakes drawn: the terrain's LastArea when the map was built. The
    // window finds the stake under the pointer in it.
    TUsedRect Area;
    // The working plan the map was drawn for and the area of a stake, m²:
    // the figures printed beside the map.
    TPlano Plan;
    long double CellArea = 0;
    // What the window reads under the pointer, as it was when the map was
    // drawn: the plan's deepest cut and fill, the stakes' coordinates and
    // their cut or fill. A map reads no document, so it tells what it shows
    // whichever document is active, after later plans and after its document
    // has closed.
    long double MaxCut = 0;
    long double MaxFill = 0;
    // The stakes' coordinates as StakeCoordinates gives them: surveyed
    // eastings and northings when RealCoordinates.
    std::vector<double> StakeX;  // one a column of Area
    std::vector<double> StakeY;  // one a row of Area
    bool RealCoordinates = false;
    std::vector<double> CutFills;  // row by row over Area; NaN without elevation
    // Where the stakes lie on the ground, for a georeferenced project: the
    // georeference, the stake spacing and the coordinate system's name
    // (which the caller, knowing the projection database, fills in).
    std::optional<TGeoreference> Georeference;
    double Lx = 0, Ly = 0;
    std::string CrsName;
    // The plan's design elevation at the area's first stake, printed beside
    // "Cota da Origem".
    std::optional<TFirstStake> FirstStake;

    // The cut or fill drawn for a stake of Area (NoValue without elevation or
    // outside the area).
    long double CutFill(std::int32_t col, std::int32_t row) const;
    // The status-line readout for a stake of Area, as CutFillReadout gives it.
    std::string Readout(std::int32_t col, std::int32_t row, char decimalSeparator) const;
};

// Draws the map of terrain.Plans()[0] over terrain.LastArea(), reporting one step
// a row. A terrain not systematized since it was read has LastArea
// (0, 0, 0, 0): a single white cell. An area of more than MaxGridSize stakes a
// side (or an inverted one) cannot come from a grid: std::invalid_argument.
// std::bad_alloc when the bitmap cannot be had.
TCutFillMap BuildCutFillMap(const TTerreno& terrain, IProgress* progress);

// The picture of a georeferenced map as the window shows it and the clipboard
// takes it: the bitmap in a white frame, with eastings ticked below it and
// northings right of it at round values, a north arrow above its right
// corner and the coordinate system's name above its left. Offset: where the
// bitmap's top-left pixel lies in it. A map without a georeference is its
// bitmap, at offset (0, 0).
struct TFramedMap {
    QImage Image;
    QPoint Offset;
};
TFramedMap FramedCutFillMap(const TCutFillMap& map, char decimalSeparator);

}  // namespace nivora
