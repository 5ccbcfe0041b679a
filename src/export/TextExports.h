#pragma once
// The exports written as plain text, with nothing but the standard library:
// LandXML 1.2 surfaces for machine-control and civil software, DXF R12 for
// CAD programs and field controllers, and the ESRI ASCII grid for older GIS
// and plotting programs. Each returns the whole file; the caller saves it the
// way the program saves every file.
//
// Numbers use the point as the decimal separator, as each format requires:
// coordinates to the millimetre, elevations to a tenth of a millimetre.

#include "export/ExportData.h"

#include <string>

namespace nivora {

// <LandXML> with its units (metric), the coordinate system when the project
// has one, the application, and the surfaces "Natural" and "Projeto" as
// chosen: each point "northing easting elevation", each face three point ids
// counter-clockwise seen from above. Point ids number the stakes with an
// elevation from 1, row by row from the area's first row and column, the
// same in both surfaces.
std::string LandXmlText(const TExportData& data, const TExportInfo& info);

// An R12 ASCII drawing: layers NATURAL (a POINT at each stake's natural
// elevation), PROJETO (the design triangles as 3DFACEs), CORTE_ATERRO (a TEXT
// at each stake with its signed depth, positive a fill), CURVAS (a POLYLINE
// at each contour's elevation) and CONTORNO (the outline), as chosen; the
// coordinate system named in a comment at the head.
std::string DxfText(const TExportData& data, const TExportInfo& info);

// The design surface as an ESRI ASCII grid (the natural one when no design is
// chosen or there is none): rows from north to south, one cell per stake
// centred on it, -9999 where a stake has no elevation. Square cells only:
// throws TExportRefused when Lx and Ly differ.
std::string AsciiGridText(const TExportData& data, const TExportInfo& info);

}  // namespace nivora
