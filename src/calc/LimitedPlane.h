#pragma once
// The least-squares plane under limits on its slopes: along X and Y, or
// along a main direction and across it, each limit optional, and a least
// fall along the main direction. The fit minimises the same sum of squared
// residuals as the best plane; where the best plane breaks a limit, the
// answer lies on the limit, and the other slope is the best one given it
// (on an irregular field or along a turned direction the two are coupled:
// holding one moves the other).

#include "calc/CalcSist.h"
#include "calc/Settlement.h"
#include "data/ProjectExtension.h"

#include <optional>
#include <string>

namespace nivora {

// The sums the fit needs, over the stakes with elevation of the terrain's
// selection, centred on their means and in extended precision: a survey's
// coordinates (hundreds of kilometres) cost no precision.
struct TPlaneMoments {
    long long Count = 0;
    long double MeanX = 0, MeanY = 0, MeanZ = 0;
    long double Sxx = 0, Sxy = 0, Syy = 0, Sxz = 0, Syz = 0;
};
TPlaneMoments SelectionMoments(const TTerreno& terrain);

// A slope's limits in metres per metre; an empty side has no limit.
struct TSlopeRange {
    std::optional<long double> Min;
    std::optional<long double> Max;
    bool Contains(long double s) const { return (!Min || s >= *Min) && (!Max || s <= *Max); }
    long double Clamp(long double s) const;
};

struct TSlopeLimits {
    // The main direction in degrees from the X axis towards the Y axis; none
    // for limits along X (Main) and along Y (Cross).
    std::optional<long double> Bearing;
    TSlopeRange Main;
    TSlopeRange Cross;
    // The plane falls or rises at least this much along the main direction
    // (|main slope| >= MinFall); 0 for no such limit.
    long double MinFall = 0;
};

struct TLimitedSlopes {
    long double Sx = 0;
    long double Sy = 0;
    // The slopes along the main direction and across it (Sx and Sy when
    // there is no bearing).
    long double Main = 0;
    long double Cross = 0;
    // Some limit holds the plane away from the best one.
    bool Limited = false;
};

// A georeferenced project takes the main direction as a bearing: degrees
// from north, clockwise, with the cross slope rising to the right of a
// person facing that way. The fit takes it from the X axis towards the Y
// axis, with the cross slope towards Y: columns run east, and the row number
// grows southwards when the rows run south, northwards otherwise.
long double GridBearing(long double degreesFromNorth, bool rowsRunSouth);
// Limits typed with such a bearing, in the fit's terms; a project without a
// georeference, or limits along X and Y, are taken as they are.
TSlopeLimits LimitsOnGrid(TSlopeLimits typed, const std::optional<TGeoreference>& georeference);

// What is wrong with the limits as typed (a minimum above its maximum, a
// least fall no slope within the limits reaches); empty when they can be met.
std::string CheckSlopeLimits(const TSlopeLimits& limits);

// The slopes of the plane closest to the stakes in the least-squares sense
// among those the limits allow. None when the moments define no plane (fewer
// than three stakes off one line) or the limits cannot be met.
std::optional<TLimitedSlopes> FitLimitedSlopes(const TPlaneMoments& moments, const TSlopeLimits& limits);

// A plan designed under limits: its slopes are fitted under Limits over the
// area of the last run, then the plane is moved to Ratio with Balance.
struct TLimitedDesign {
    TSlopeLimits Limits;
    long double Ratio = 1;
    TEarthBalance Balance;
    // Deep fills raised to settle to the plane (see calc/Settlement.h).
    std::optional<TSettlement> Settlement = {};
};

struct TLimitedResult {
    TSystematizeResult Run;
    // The slopes fitted; none when the limits cannot be met or the area
    // holds no plane (Run.Computed is then false).
    std::optional<TLimitedSlopes> Slopes;
};

// The record a project keeps of a design, and its text for the reports:
// "Sx no máximo 1 %; corte exportado 200 m³".
TPlanLimits PlanLimitsOf(const TLimitedDesign& design);
std::string PlanLimitsText(const TPlanLimits& limits, char decimalSeparator);

// Designs the plan of `slot` (2 to 10, the user's plans) under limits over
// the terrain's selection: the slot's slope and ratio texts take the values
// found, written with `decimalSeparator`, and the plan is recalculated
// (RecalculatePlan), so that recalculating it again gives the same plane;
// the terrain records the design with the plan (SetLimitedPlan), whose
// recalculation then meets the same balance. A layer the plan had is
// replaced: by the settlement allowance when the design has one, by none
// otherwise.
TLimitedResult DesignLimitedPlan(TTerreno& terrain, int slot, const TLimitedDesign& design, char decimalSeparator);

}  // namespace nivora
