#pragma once
// Where water stands and where it runs on the field: depressions filled from
// the outlets (priority flood without epsilon, so that a filled depression is
// a flat at its spill level), the ponding depth of every stake, the wet area
// and the ponded volume; the D8 direction each stake drains to on the filled
// surface and the stakes that drain through it; and the stakes where a
// design falls less than a chosen minimum along its main direction.
//
// The computations work on a rectangle of stakes taken from the terrain
// (DrainageSurface): the natural elevations, or the design elevations of the
// current plan at the stakes with elevation. A stake without elevation is not
// part of the field; water reaching the field's edge next to one leaves it.

#include "data/GridTypes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nivora {

class TTerreno;

enum class TDrainSurface { Natural, Design };

// A surface over a rectangle of stakes, row by row from Area's first row;
// NaN where there is no stake of the field.
struct TDrainGrid {
    TUsedRect Area;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    double Lx = 0;
    double Ly = 0;
    std::vector<double> Z;

    std::size_t Index(std::int32_t col, std::int32_t row) const
    {
        return std::size_t(row - Area.FirstRow) * std::size_t(Width) + std::size_t(col - Area.FirstCol);
    }
    bool Inside(std::int32_t col, std::int32_t row) const
    {
        return col >= Area.FirstCol && col <= Area.LastCol && row >= Area.FirstRow && row <= Area.LastRow;
    }
    bool HasStake(std::size_t i) const { return Z[i] == Z[i]; }
};

// The surface over `area` (clipped to the grid): natural elevations, or the
// terrain's design elevations (DesignElevation) at the stakes with elevation.
TDrainGrid DrainageSurface(const TTerreno& terrain, TDrainSurface surface, const TUsedRect& area);
// The stakes a surface is looked at over: the whole used area for the
// natural surface, the area of the last run for the design (empty, IsEmpty,
// when no plan has been computed or its area is not known).
TUsedRect DrainageArea(const TTerreno& terrain, TDrainSurface surface);

// The eight neighbours in the order the directions are numbered: east,
// south-east, south, south-west, west, north-west, north, north-east, with
// columns growing east and rows growing south as the grid shows them.
inline constexpr std::int32_t kD8Col[8] = {1, 1, 0, -1, -1, -1, 0, 1};
inline constexpr std::int32_t kD8Row[8] = {0, 1, 1, 1, 0, -1, -1, -1};

// A stake's direction besides 0..7.
inline constexpr std::int8_t kLeavesField = -1;  // an outlet lower than its neighbours
inline constexpr std::int8_t kNoStake = -2;
inline constexpr std::int8_t kUndrained = -3;  // in a part of the field with no outlet

// The stakes water leaves the field at by default: every stake with
// elevation next to (of its eight neighbours) one without, or to the grid's
// edge. One byte a stake of the grid, 1 for an outlet.
std::vector<std::uint8_t> BorderOutlets(const TDrainGrid& grid);

// A list of outlet stakes as a text file gives them: a column and a row a
// line, separated by spaces, tabs, a comma or a semicolon; blank lines and
// lines starting with # are skipped. An error names the line and what is
// wrong with it (not two whole numbers, or not a stake with elevation of the
// grid); on success it is empty.
struct TOutletList {
    std::vector<std::pair<std::int32_t, std::int32_t>> Stakes;
    std::string Error;
};
TOutletList ParseOutlets(const std::string& text, const TDrainGrid& grid);
// The outlet bytes of a list that ParseOutlets accepted.
std::vector<std::uint8_t> OutletMask(const TDrainGrid& grid, const TOutletList& list);

// One pond: the wet stakes, connected through their eight neighbours, that
// stand at the same spill level.
struct TPond {
    double Level = 0;  // the spill level, m
    std::int64_t Count = 0;
    double Area = 0;    // m²
    double Volume = 0;  // m³
    double MaxDepth = 0;
    std::int32_t DeepestCol = 0, DeepestRow = 0;
    // The stake over which it spills (the lowest of its rim on the way out).
    std::int32_t SpillCol = 0, SpillRow = 0;
};

// Below this depth a stake counts as dry: only the rounding of the surface
// could leave less.
inline constexpr double kWetDepth = 1e-6;

struct TDrainage {
    TUsedRect Area;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    double CellArea = 0;  // Lx · Ly, the area one stake stands for
    // The filled surface (the natural one where water does not stand); NaN
    // without a stake and in a part with no outlet.
    std::vector<double> Filled;
    // The ponding depth: Filled − Z, 0 for a dry stake, NaN where Filled is.
    std::vector<double> Depth;
    // 0..7 (kD8Col/kD8Row), kLeavesField, kNoStake or kUndrained.
    std::vector<std::int8_t> Direction;
    // The stakes whose water runs through each stake, itself included; 0
    // without a stake or where it does not drain.
    std::vector<std::int32_t> Accumulation;

    std::int64_t StakeCount = 0;
    std::int64_t OutletCount = 0;
    std::int64_t WetCount = 0;
    double WetArea = 0;  // m²
    double Volume = 0;   // m³
    double MaxDepth = 0;
    std::int32_t DeepestCol = 0, DeepestRow = 0;  // 0 when nothing is wet
    std::int64_t UndrainedCount = 0;
    std::int32_t MaxAccumulation = 0;
    // Largest volume first.
    std::vector<TPond> Ponds;

    std::size_t Index(std::int32_t col, std::int32_t row) const
    {
        return std::size_t(row - Area.FirstRow) * std::size_t(Width) + std::size_t(col - Area.FirstCol);
    }
};

// Fills the depressions of `grid` from the stakes `outlets` marks (one byte
// a stake of the grid) and finds where every stake drains. Stakes that no
// outlet can be reached from (a part of the field with none) are left out
// and counted in UndrainedCount.
TDrainage ComputeDrainage(const TDrainGrid& grid, const std::vector<std::uint8_t>& outlets);

// The wet area and ponded volume of a surface over `area` with the water
// leaving at the border stakes, as the results window and the field report
// give them.
struct TPonding {
    std::int64_t WetCount = 0;
    double WetArea = 0;  // m²
    double Volume = 0;   // m³
};
TPonding Ponding(const TTerreno& terrain, TDrainSurface surface, const TUsedRect& area);
// "Área alagável: terreno natural 0,0800 ha, 640,0 m³; plano 0,0000 ha, 0,0 m³"
std::string PondingText(const TPonding& natural, const TPonding& design, char decimalSeparator);

// A stake where the design falls less than the minimum along its main
// direction.
struct TLowFall {
    std::int32_t Col = 0, Row = 0;
    double Fall = 0;  // m/m along the direction; negative where it rises
};
struct TFallCheck {
    // The main direction as a unit vector in the stake coordinates (X grows
    // with the column, Y with the row): where the design falls most on the
    // whole. Zero for a level design, whose fall is 0 in every direction.
    double DirX = 0, DirY = 0;
    double MinFall = 0;
    std::int64_t Checked = 0;  // stakes whose fall could be measured
    std::vector<TLowFall> Stakes;
};
// The fall at a stake comes from its neighbours along X and Y (centred where
// it has both, one-sided at an edge); a stake with neither along a needed
// axis is not measured.
TFallCheck CheckMinimumFall(const TDrainGrid& design, double minFall);

}  // namespace nivora
