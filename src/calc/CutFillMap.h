#pragma once
// The cut-and-fill map of a document's working plan: one cell per stake of the
// area of the last systematization run, in an 8-bit indexed bitmap with the
// palette below. The map window shows it and puts it on the clipboard;
// nivora-cli writes it as PNG.

#include "calc/CalcSist.h"
#include "calc/CutFillGeometry.h"
#include "data/Progress.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRgb>

namespace nivora {

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
};

// Draws the map of terrain.Plans[0] over terrain.LastArea, reporting one step
// a row. A terrain not systematized since it was read has LastArea
// (0, 0, 0, 0): a single white cell. An area of more than MaxGridSize stakes a
// side (or an inverted one) cannot come from a grid: std::invalid_argument.
// std::bad_alloc when the bitmap cannot be had.
TCutFillMap BuildCutFillMap(const TTerreno& terrain, IProgress* progress);

}  // namespace nivora
