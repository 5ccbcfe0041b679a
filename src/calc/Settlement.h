#pragma once
// The settlement allowance of a plane design: the fills deeper than a depth
// are built higher by a share of their whole depth, so that once the earth
// has settled they lie on the plane; the design is then moved by one common
// shift to meet its ratio again. The plan keeps its plane (what is expected
// after settlement) and a layer with the raise of each stake (plane + raise
// is what the blade builds).

#include "calc/CalcSist.h"

#include <optional>

namespace nivora {

// Fills deeper than Depth metres are raised by Percent per cent of their
// whole depth (not only of the part below Depth).
struct TSettlement {
    long double Depth = 0;
    long double Percent = 0;
};

// What is wrong with an allowance as typed; empty when it can be used.
std::string CheckSettlement(const TSettlement& settlement);

// Computes user plan `slot` (2..10) again as RecalculatePlan does (its
// slopes, its ratio, `balance`), then raises its deep fills and meets the
// ratio again by one shift. The plan keeps the allowance, so that its
// recalculation does the same on the elevations of the time.
TSystematizeResult SettlePlan(TTerreno& terrain, int slot, const TSettlement& settlement,
                              const TEarthBalance& balance = {});

// The raise of the working plan's (plan terrain.CurrentPlan()'s) deep fills,
// measured from its plane as it stands, and the one shift back to `ratio`;
// `layer` gives the kind and the allowance. The terrain's recalculation calls
// it on a settled plan once its plane is balanced.
TAdjustResult RaiseSettlingFills(TTerreno& terrain, TDesignSurface layer, long double ratio,
                                 const TEarthBalance& balance);

// Both surfaces of a settled plan: what the blade builds (the plan's own
// volumes) and what is expected once the fills have settled (its plane),
// with the extra earth the raise puts in.
struct TSettlementFigures {
    long double Depth = 0;
    long double Percent = 0;
    long double BuiltCut = 0, BuiltFill = 0;
    long double SettledCut = 0, SettledFill = 0;
    long double ExtraVolume = 0;
    std::int32_t RaisedStakes = 0;
};
// None for a plan without an allowance.
std::optional<TSettlementFigures> SettlementFigures(const TTerreno& terrain, int slot);

// "Compensação de recalque: aterros acima de 0,30 m elevados 10 % da
// profundidade total".
std::string SettlementText(long double depth, long double percent, char decimalSeparator);
// The allowance of plan `slot` and both surfaces' figures in a few lines, as
// the results window shows them over the plan; empty for a plan without.
std::string SettlementSummary(const TTerreno& terrain, int slot, char decimalSeparator);

}  // namespace nivora
