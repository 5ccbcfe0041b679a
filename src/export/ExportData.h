#pragma once
// What an export writes, whatever the format: the stakes of one area with
// their natural elevation, the design of the working plan and the cut or fill,
// the triangles over them, the natural ground's contour lines and the outline
// of the surveyed area, every place in the coordinates another program reads.
//
// Coordinates. A georeferenced project gives the surveyed easting and northing
// of each stake; one without a georeference gives its own coordinates (X as
// easting, Y as northing). Both are computed in double precision from the
// stored corner or origin and the spacings, never from the single-precision
// stake coordinates, which step by half a metre at a northing of 7 000 000.
//
// Triangles. A cell whose four stakes hold an elevation gives two triangles
// split along its south-west to north-east diagonal; a cell with three gives
// the one triangle of those three. Every triangle runs counter-clockwise seen
// from above, whichever way the project's rows run.

#include "calc/CalcSist.h"
#include "calc/CutFillGeometry.h"
#include "data/Progress.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivora {

enum class TExportFormat { LandXml, GeoTiff, GeoPackage, Dxf, AsciiGrid };

// The format a file name asks for, by its extension in any case (.xml, .tif,
// .tiff, .gpkg, .dxf, .asc); nothing for any other.
std::optional<TExportFormat> ExportFormatFor(const std::string& fileName);
// The formats' extensions as a save dialog lists them.
const char* ExportFormatName(TExportFormat format);
// Whether the format is written through GDAL (the others are plain text).
inline bool NeedsGdal(TExportFormat f) { return f == TExportFormat::GeoTiff || f == TExportFormat::GeoPackage; }

// An export that the project cannot give, in the program's words.
class TExportRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user chose to write. A format writes those of its contents that
// are chosen and that it can hold.
struct TExportContent {
    bool Natural = true;   // the natural surface
    bool Design = true;    // the design surface of the working plan
    bool CutFill = true;   // the depth of cut or fill at each stake
    bool Contours = true;  // the natural ground's contour lines
    bool Outline = true;   // the outline of the surveyed area
};

struct TWorldPoint {
    double E = 0;
    double N = 0;
    double Z = 0;
};

struct TWorldLine {
    double Level = 0;     // the contour's elevation; 0 for an outline
    bool Closed = false;  // the last point is the first again
    std::vector<TWorldPoint> Points;
};

// Three stakes (TStake: column and row) of the grid.
using TTriangle = std::array<TStake, 3>;

class TExportData {
public:
    // The stakes of `area` (inside the grid) of the terrain; the design and
    // the cut or fill come from its working plan when `hasDesign` (the plan is
    // current over that area). The terrain must outlive this.
    TExportData(const TTerreno& terrain, const TUsedRect& area, bool hasDesign);

    const TTerreno& Terrain() const { return terrain_; }
    const TUsedRect& Area() const { return area_; }
    std::int32_t Columns() const { return area_.LastCol - area_.FirstCol + 1; }
    std::int32_t Rows() const { return area_.LastRow - area_.FirstRow + 1; }
    double Lx() const { return lx_; }
    double Ly() const { return ly_; }

    // Whether the coordinates are surveyed ones, and the system's EPSG code
    // (0 when the georeference names none, or there is none).
    bool Georeferenced() const { return georeference_.has_value(); }
    std::int32_t Epsg() const { return georeference_ ? georeference_->Epsg : 0; }
    // Whether the northing grows with the row number.
    bool RowsRunNorth() const { return !georeference_ || !georeference_->RowsRunSouth; }

    // The easting of column `col` and the northing of row `row`; fractional
    // positions lie between the stakes (x.5 is a cell's edge).
    double Easting(double col) const;
    double Northing(double row) const;

    bool Has(std::int32_t col, std::int32_t row) const { return terrain_.GetCell(col, row) != 0.0f; }
    double Natural(std::int32_t col, std::int32_t row) const { return terrain_.GetCell(col, row); }
    bool HasDesign() const { return hasDesign_; }
    // The working plan's design elevation; design less natural (positive a
    // fill, negative a cut, 0 on the plane). Only with HasDesign.
    double Design(std::int32_t col, std::int32_t row) const;
    double CutFill(std::int32_t col, std::int32_t row) const;

    // The stakes with an elevation, and the triangles over them.
    std::int64_t StakeCount() const;
    std::int64_t TriangleCount() const;
    // Calls f(triangle) for the triangles of the cells in rows of the area,
    // one row of cells after the other, from the first row.
    template <class F>
    void ForEachTriangle(F f) const
    {
        for (std::int32_t r = area_.FirstRow; r < area_.LastRow; ++r)
            ForEachTriangleInRow(r, f);
    }
    template <class F>
    void ForEachTriangleInRow(std::int32_t row, F f) const
    {
        std::array<TTriangle, 2> t;
        for (std::int32_t c = area_.FirstCol; c < area_.LastCol; ++c) {
            const int n = CellTriangles(c, row, t);
            for (int i = 0; i < n; ++i)
                f(t[std::size_t(i)]);
        }
    }
    // The triangles of the cell whose first corner is stake (col, row): 0, 1
    // or 2 of them in `out`.
    int CellTriangles(std::int32_t col, std::int32_t row, std::array<TTriangle, 2>& out) const;

    // The contour lines of the natural ground at the levels, in the order of
    // the levels, each level's lines as the altimetric map joins them.
    std::vector<TWorldLine> Contours(std::span<const long double> levels) const;
    // The frames round the stakes of the area: the outer outline first, then
    // one round each part of the field it does not enclose.
    std::vector<TWorldLine> Outlines() const;

    // The plan whose design is written (the working plan).
    const TPlano& Plan() const { return terrain_.Plans()[0]; }

private:
    const TTerreno& terrain_;
    TUsedRect area_;
    bool hasDesign_ = false;
    double lx_ = 0, ly_ = 0;
    std::optional<TGeoreference> georeference_;
    double originX_ = 0, originY_ = 0;
};

// What every written file says besides the stakes: the system's name (from
// the coordinate systems' database; empty when none), the program's version,
// the date and time of the export ("2026-12-08", "17:05:00"), the contour
// levels, the contents chosen, and where progress goes (may be null).
struct TExportInfo {
    std::string CrsName;
    std::string Version;
    std::string Date;
    std::string Time;
    std::vector<long double> Levels;
    TExportContent Content;
    IProgress* Progress = nullptr;
};

// The date and time of now, local, as TExportInfo holds them.
void StampNow(TExportInfo& info);

// Why a project without a georeference is written in its own coordinates,
// told before it is written and on nivora-cli's standard error.
std::string LocalCoordinatesWarning();

}  // namespace nivora
