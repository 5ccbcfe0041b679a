#include "Settlement.h"

#include "data/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

// The area the plan's volumes cover, inside the grid.
TUsedRect Area(const TTerreno& t)
{
    const TUsedRect s = t.GetSelection();
    return {std::max(s.FirstCol, 1), std::max(s.FirstRow, 1), std::min(s.LastCol, t.ColCount()),
            std::min(s.LastRow, t.RowCount())};
}

}  // namespace

std::string CheckSettlement(const TSettlement& s)
{
    if (!(s.Depth >= 0) || !std::isfinite(s.Depth))
        return "A profundidade a partir da qual o aterro recalca deve ser zero ou positiva.";
    if (!(s.Percent > 0) || !(s.Percent < 100))
        return "O recalque deve ser maior que 0 % e menor que 100 % da profundidade do aterro.";
    return {};
}

TAdjustResult RaiseSettlingFills(TTerreno& t, TDesignSurface layer, long double ratio, const TEarthBalance& balance)
{
    const int slot = t.CurrentPlan();
    const TPlano& p = t.Plans()[0];
    const long double share = static_cast<long double>(layer.SettlePercent) / 100;
    const long double depth = layer.SettleDepth;
    layer.Kind = TDesignSurface::TKind::Settled;
    layer.Ratio = double(ratio);
    layer.Reset(t.ColCount(), t.RowCount());
    const TUsedRect a = Area(t);
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r)
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            const float z = t.GetCell(c, r);
            if (z == 0.0f)
                continue;
            // The fill of the plane, by the rule every reader uses.
            const long double fill = OnPlane(Real48::Round(t.PlaneElevation(p, c, r) - z));
            if (fill > depth && fill > 0)
                layer.Heights[std::size_t(r - 1) * std::size_t(layer.Columns) + std::size_t(c - 1)] =
                    static_cast<float>(share * fill);
        }
    t.SetDesignSurface(slot, std::move(layer));
    return t.AdjustRatio(ratio, balance);
}

TSystematizeResult SettlePlan(TTerreno& t, int slot, const TSettlement& s, const TEarthBalance& balance)
{
    if (slot < 2 || slot >= TTerreno::kPlanCount || !CheckSettlement(s).empty())
        return {};
    // The allowance without heights: the recalculation balances the plane,
    // then raises the fills from it (RaiseSettlingFills).
    TDesignSurface layer;
    layer.Kind = TDesignSurface::TKind::Settled;
    layer.SettleDepth = double(s.Depth);
    layer.SettlePercent = double(s.Percent);
    t.SetDesignSurface(slot, layer);
    return RecalculatePlan(t, slot, balance);
}

std::optional<TSettlementFigures> SettlementFigures(const TTerreno& t, int slot)
{
    const TDesignSurface* layer = t.DesignSurface(slot);
    if (!layer || layer->Kind != TDesignSurface::TKind::Settled || slot < 0 || slot >= TTerreno::kPlanCount)
        return std::nullopt;
    const TPlano& p = t.Plans()[std::size_t(slot)];
    TSettlementFigures f;
    f.Depth = layer->SettleDepth;
    f.Percent = layer->SettlePercent;
    f.BuiltCut = p.CutVolume;
    f.BuiltFill = p.FillVolume;
    const long double cell = static_cast<long double>(t.Lx()) * static_cast<long double>(t.Ly());
    long double cut = 0, fill = 0, extra = 0;
    const TUsedRect a = Area(t);
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r)
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            const float z = t.GetCell(c, r);
            if (z == 0.0f)
                continue;
            const long double settled = OnPlane(Real48::Round(t.PlaneElevation(p, c, r) - z));
            (IsCutStake(settled) ? cut : fill) += std::fabs(settled);
            const long double raise = layer->LiftAt(c, r);
            extra += raise;
            f.RaisedStakes += raise > 0;
        }
    f.SettledCut = cut * cell;
    f.SettledFill = fill * cell;
    f.ExtraVolume = extra * cell;
    return f;
}

std::string SettlementText(long double depth, long double percent, char sep)
{
    return "Compensação de recalque: aterros acima de " + FormatFixed(depth, 2, 10, sep) + " m elevados "
           + FormatGeneral(percent, 10, sep) + " % da profundidade total";
}

std::string SettlementSummary(const TTerreno& t, int slot, char sep)
{
    const auto f = SettlementFigures(t, slot);
    if (!f)
        return {};
    const auto m3 = [&](long double v) { return FormatFixed(v, 1, 10, sep) + " m³"; };
    return SettlementText(f->Depth, f->Percent, sep) + ".\nSuperfície construída: corte " + m3(f->BuiltCut)
           + ", aterro " + m3(f->BuiltFill) + ".\nSuperfície após o recalque: corte " + m3(f->SettledCut) + ", aterro "
           + m3(f->SettledFill) + ".\nVolume adicional de aterro: " + m3(f->ExtraVolume) + " em "
           + std::to_string(f->RaisedStakes) + " piquetes.";
}

}  // namespace nivora
