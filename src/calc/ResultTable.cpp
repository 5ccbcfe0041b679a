#include "ResultTable.h"

#include "calc/CalcSist.h"
#include "data/DesignSurface.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "data/TextCodec.h"

namespace nivora {

namespace {

const char* const kRowCaptions[kResultRows] = {
    "Parâmetro",          "Declividade Sx",        "Declividade Sy",
    "Cota da Origem (m)", "Vol. de Corte (m³/ha)", "Vol. de Aterro (m³/ha)",
    "Rel. corte/aterro",  "Corte máximo (m)",      "Aterro máximo (m)",
};

constexpr int kRowDecimals[kResultRows] = {0, 6, 6, 3, 1, 1, 3, 3, 3};

// A plan kept as an optimised surface, not a plane.
bool IsOptimised(const TTerreno* t, int column)
{
    const TDesignSurface* surface = t->DesignSurface(column);
    return surface && surface->Kind == TDesignSurface::TKind::Optimised;
}

}  // namespace

TShortText TPlano::*TypedField(int row)
{
    if (row == rrSx)
        return &TPlano::SxText;
    if (row == rrSy)
        return &TPlano::SyText;
    return &TPlano::RatioText;
}

const TShortText& TypedText(const TPlano& plan, int row) { return plan.*TypedField(row); }

bool HasUndefinedRatio(const TPlano& plan)
{
    return !plan.Valid && !plan.RatioDefined() && plan.CutCount + plan.FillCount > 0;
}

std::string ResultCellText(const TTerreno* t, int column, int row, char sep)
{
    if (!t || column < 0 || column >= kResultColumns || row < 0 || row >= kResultRows)
        return {};
    if (column == 0)
        return kRowCaptions[row];
    if (row == 0) {
        if (column == 1)
            return "Melhor Plano";
        const std::string name = "Plano " + std::to_string(column - 1);
        if (IsOptimised(t, column))
            return name + " (Superfície otimizada)";
        const TDesignSurface* layer = t->DesignSurface(column);
        const bool settled = layer && layer->Kind == TDesignSurface::TKind::Settled;
        if (t->LimitedPlan(column))
            return name + (settled ? " (limitado, recalque)" : " (limitado)");
        return settled ? name + " (recalque)" : name;
    }
    const TPlano& p = t->Plans()[std::size_t(column)];
    const bool computed = p.Valid || HasUndefinedRatio(p);
    if (!computed) {
        if (!IsTypedRow(row))
            return {};
        return Cp1252ToUtf8(TypedText(p, row).Str());
    }
    const long double areaHa =
        (static_cast<long double>(p.CutCount) + p.FillCount) * static_cast<long double>(t->CellArea()) * 0.0001L;
    long double v = 0;
    switch (row) {
    case rrSx: v = p.Sx; break;
    case rrSy: v = p.Sy; break;
    case rrOrigin: v = p.OriginElevation; break;
    case rrCut:
    case rrFill:
        if (!(areaHa > 0))
            return {};
        v = (row == rrCut ? static_cast<long double>(p.CutVolume) : static_cast<long double>(p.FillVolume)) / areaHa;
        break;
    case rrRatio:
        // Nothing lies below the plane: no ratio to show.
        if (!p.RatioDefined())
            return "indefinida";
        v = p.CutFillRatio;
        break;
    case rrMaxCut: v = p.MaxCut; break;
    case rrMaxFill: v = p.MaxFill; break;
    default: return {};
    }
    return FormatFixed(v, kRowDecimals[row], 10, sep);
}

unsigned ResultCellColour(int column, int row) { return column >= 1 && IsTypedRow(row) ? 0x0000FFu : 0x000000u; }

std::string TidyRatioText(const std::string& text, char sep)
{
    long double v = 0;
    if (text.empty() || !ParseNumber(text, v, sep))
        return text;
    if (v < kMinRatio)
        return FormatGeneral(kMinRatio, 10, sep);
    if (v > kMaxRatio)
        return FormatGeneral(kMaxRatio, 10, sep);
    return text;
}

void TidyPlanTexts(TPlano& plan, bool loneMinus, char sep)
{
    if (loneMinus) {
        for (TShortText* t : {&plan.SxText, &plan.SyText, &plan.RatioText})
            if (t->Str() == "-") {
                t->Assign("");
                break;
            }
    }
    const std::string ratio = plan.RatioText.Str();
    const std::string tidied = TidyRatioText(ratio, sep);
    if (tidied != ratio)
        plan.RatioText.Assign(tidied);
}

void TidyPlanTexts(TTerreno& t, int column, bool loneMinus, char sep)
{
    if (column < 2 || column >= TTerreno::kPlanCount)
        return;
    TPlano typed = t.Plans()[std::size_t(column)];
    TidyPlanTexts(typed, loneMinus, sep);
    for (int row : {rrSx, rrSy, rrRatio})
        t.SetPlanText(column, TypedField(row), (typed.*TypedField(row)).Str());
}

bool PlanInputsComplete(const TTerreno& t, int column, char sep)
{
    if (column < 2 || column >= TTerreno::kPlanCount)
        return false;
    const TPlano& p = t.Plans()[std::size_t(column)];
    long double v = 0;
    return ParseNumber(p.SxText.Str(), v, sep) && ParseNumber(p.SyText.Str(), v, sep)
           && ParseNumber(p.RatioText.Str(), v, sep);
}

}  // namespace nivora
