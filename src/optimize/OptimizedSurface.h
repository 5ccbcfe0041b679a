#pragma once
// The optimised land-forming surface: the design that moves the least earth
// while every stake-to-stake slope stays within its limits, found as a linear
// programme. Each design node i has a cut c_i >= 0 and a fill f_i >= 0, its
// design h_i = z_i - c_i + f_i; neighbouring nodes keep
//   L * min <= h_j - h_i <= L * max
// along X and along Y; the balance row
//   sum A c - R sum A f >= E - I - R Ic
// with the objective min sum A c is tight at the optimum, so that the cut is
// R times the fill and no node is both cut and filled (for R < 1 the roles of
// cut and fill are mirrored).
//
// Nodes are every K-th stake (and the last row and column); each takes its
// elevation and area from the stakes around it with bilinear weights, and the
// design reaches every stake by bilinear interpolation, which keeps each
// stake-to-stake slope a convex combination of the node-to-node ones. At
// K = 1 the nodes are the stakes. A last vertical shift on the full grid then
// meets the ratio exactly.
//
// Limits along a bearing cannot be held by pairs of stakes along X and Y
// alone: there each cell of nodes keeps the slope along the bearing and
// across it within limits at its four corners, where the gradient of the
// bilinear surface is made of one X edge and one Y edge of the cell. Inside
// the cell the gradient is a convex combination of those four, so the limits
// hold everywhere on the surface.
//
// This target links COIN-OR CLP; the core does not.

#include "calc/LimitedPlane.h"
#include "calc/Plan.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nivora {

class IProgress;

// A stake whose design elevation is given (an outlet, a gate); columns and
// rows of the grid.
struct TFixedStake {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    long double Elevation = 0;
};

struct TSurfaceOptions {
    // Main and Cross along X and Y, or along a bearing in the grid's terms
    // (degrees from +X towards +Y, see LimitsOnGrid). A least fall cannot be
    // met by a linear programme and is refused.
    TSlopeLimits Limits;
    long double Ratio = 1;
    TEarthBalance Balance;
    // Depth limits in metres, at the design nodes.
    std::optional<long double> MaxCut, MaxFill;
    // Bounds on the design elevation, in metres.
    std::optional<long double> MinElevation, MaxElevation;
    std::vector<TFixedStake> Fixed;
    // Every K-th stake is a node; 0 chooses K (DefaultStep).
    std::int32_t Step = 0;
};

// The stakes the design covers: a rectangle of the grid, row by row, 0 for
// a stake without elevation.
struct TSurfaceField {
    std::int32_t FirstCol = 1, FirstRow = 1;
    std::int32_t Cols = 0, Rows = 0;
    long double Lx = 1, Ly = 1;
    std::vector<float> Z;
    float At(std::int32_t col, std::int32_t row) const
    {
        return Z[std::size_t(row - FirstRow) * std::size_t(Cols) + std::size_t(col - FirstCol)];
    }
};

// The field of the terrain's selection.
TSurfaceField FieldOfSelection(const TTerreno& terrain);

enum class TSurfaceStatus {
    Solved,
    NoStakes,    // fewer than two stakes with elevation
    BadOptions,  // limits or options that make no sense (Message says which)
    Infeasible,  // no surface meets every limit
    Cancelled,
    SolverFailed  // the solver stopped without an answer
};

struct TSurfaceResult {
    TSurfaceStatus Status = TSurfaceStatus::NoStakes;
    std::string Message;  // what went wrong, in the program's words
    std::int32_t Step = 1;
    std::int32_t NodeCount = 0;  // nodes with area (the programme's nodes)
    std::int32_t LpColumns = 0, LpRows = 0;
    std::int64_t LpElements = 0;
    std::int32_t Iterations = 0;  // barrier and crossover iterations
    // Nodes the programme both cut and filled (more than a nanometre each):
    // none at an optimum, where that earth would be moved for nothing.
    std::int32_t CutAndFilled = 0;
    double Seconds = 0;  // processor time of the whole design
    // The design elevation of each stake of the field, as its Z; NaN for a
    // stake without elevation.
    std::vector<double> Design;
    // The shift the exact ratio took after the interpolation, and whether the
    // ratio was met: limits that force more cut than the ratio asks for
    // leave the surface where they hold it (no shift breaks a bound, a depth
    // limit at K = 1 or a fixed stake).
    long double Shift = 0;
    bool RatioMet = false;
    long double CutVolume = 0, FillVolume = 0;
    long double MaxCut = 0, MaxFill = 0;
    std::int32_t CutCount = 0, FillCount = 0;
    // The mean slopes of the surface along X and Y over the stake pairs.
    long double MeanSx = 0, MeanSy = 0;
    bool Solved() const { return Status == TSurfaceStatus::Solved; }
};

// The K that keeps the design grid of a cols x rows field at about 40 000
// nodes (a few seconds of solving).
std::int32_t DefaultStep(std::int32_t cols, std::int32_t rows);
// The nodes along a side of `count` stakes with step K: every K-th and the last.
std::int32_t NodesAlong(std::int32_t count, std::int32_t step);

// What is wrong with the options for this field; empty when they can be used.
std::string CheckSurfaceOptions(const TSurfaceField& field, const TSurfaceOptions& options);

// Designs the surface. `progress` (may be null) sees the phases; `cancel`
// (may be null) stops the run as soon as the solver looks at it.
TSurfaceResult OptimizeSurface(const TSurfaceField& field, const TSurfaceOptions& options,
                               IProgress* progress = nullptr, const std::atomic<bool>* cancel = nullptr);

// The volumes of a design over the field, per stake as the plans' volumes
// are: A x depth, a stake within the plane tolerance neither cut nor fill.
struct TSurfaceVolumes {
    long double Cut = 0, Fill = 0, MaxCut = 0, MaxFill = 0;
    std::int32_t CutCount = 0, FillCount = 0;
};
TSurfaceVolumes SurfaceVolumes(const TSurfaceField& field, const std::vector<double>& design, long double shift = 0);

// The vertical shift that brings the design to the ratio with the balance:
//   cut - E + I = R (fill - Ic)
// found exactly on the piecewise-linear volumes; none when no shift can.
std::optional<long double> RatioShift(const TSurfaceField& field, const std::vector<double>& design, long double ratio,
                                      const TEarthBalance& balance);

// Puts a solved surface into user plan `slot` (2 to 10) and makes it the
// current plan: the plan keeps the surface's mean plane as its slopes (their
// texts written with `decimalSeparator`, so that "Recalcular" keeps them) and
// the rest as its design layer, its limits and balance as a limited plan's,
// and its volumes those of the surface at its exact ratio. False, with the
// terrain as it was, when the surface cannot be kept.
bool StoreOptimizedSurface(TTerreno& terrain, int slot, const TSurfaceField& field, const TSurfaceOptions& options,
                           const TSurfaceResult& result, char decimalSeparator);

}  // namespace nivora
