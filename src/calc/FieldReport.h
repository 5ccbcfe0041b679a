#pragma once
// The field report ("Relatório de Campo"): the cut or fill at every stake of
// the working plan, in the order a crew walks the field, with the plan's
// figures and the totals. This is the content only; the pages are laid out
// by the print layer, and the CSV text for spreadsheets is written here.
//
// The walk goes row by row from the area's first row; the first row runs
// from the first column to the last, the next one back, and so on, so that
// the crew never walks back across the field between two stakes. Stakes
// without elevation are not listed.

#include "calc/Drainage.h"
#include "calc/Plan.h"
#include "calc/Settlement.h"
#include "calc/StakeCoordinates.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nivora {

class TTerreno;

struct TReportLine {
    std::int32_t Order = 0;  // 1, 2, ... in walking order
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    // The stake's coordinates as StakeCoordinates gives them: the surveyed
    // easting and northing when Real.
    double X = 0;
    double Y = 0;
    bool Real = false;
    float Natural = 0.0f;
    long double Design = 0;
    long double CutFill = 0;  // design - natural: positive fills, negative cuts

    // The plan's rule (IsCutStake): a stake on the plane is a fill of depth 0.
    bool IsCut() const { return IsCutStake(CutFill); }
};

struct TFieldReport {
    TUsedRect Area;
    TPlano Plan;  // the working plan
    // Which plan it is ("Plano 3 (limitado)"), and the limits and earth from
    // outside it was designed with (none for a plan without).
    std::string PlanName;
    std::optional<TPlanLimits> Limits;
    // The settlement allowance and both surfaces' figures, for a plan with one.
    std::optional<TSettlementFigures> Settlement;
    long double Lx = 0, Ly = 0, OriginX = 0, OriginY = 0;
    long double CellArea = 0;
    // Where stake (1, 1) is on the ground, for a georeferenced project.
    std::optional<TGeoreference> Georeference;
    // The plan's design elevation at the first stake listed.
    std::optional<TFirstStake> FirstStake;
    std::vector<TReportLine> Lines;

    // Totals of the lines: each stake stands for one cell of Lx x Ly.
    std::int32_t CutCount = 0;
    std::int32_t FillCount = 0;
    long double CutVolume = 0;
    long double FillVolume = 0;
    long double AreaHa() const { return CellArea * (CutCount + FillCount) * 0.0001L; }
    // Where water stands over the area before and after the work, with the
    // water leaving at the border.
    TPonding NaturalPonding;
    TPonding DesignPonding;
};

// The stakes of `area` in walking order (every stake, with elevation or not).
std::vector<std::pair<std::int32_t, std::int32_t>> WalkOrder(const TUsedRect& area);

// Whether the terrain holds a working plan that its views show: a
// systematization has run (LastArea is set), its plan is valid and no
// elevation changed since.
bool HasFieldReport(const TTerreno& terrain);

// The report of the working plan over the terrain's LastArea, the rectangle
// the document's computed views show.
TFieldReport BuildFieldReport(const TTerreno& terrain);

// The report's table: headings, and the texts of one line (metres with
// `decimals` decimals; the cut or fill as "C" or "A" and its depth).
enum TReportColumn { rcOrder, rcCol, rcRow, rcX, rcY, rcNatural, rcDesign, rcKind, rcDepth, kReportColumns };
const std::vector<std::string>& ReportHeadings();
std::vector<std::string> ReportLineTexts(const TReportLine& line, int decimals, char decimalSeparator);

// The plan's figures for the report's head, as caption and value: area,
// spacing, origin (and stake (1, 1) on the ground when georeferenced),
// slopes, origin elevation and the design elevation at the first stake,
// ratio, volumes, deepest cut and fill, counts. The captions are those of the results window where it has them.
std::vector<std::pair<std::string, std::string>> ReportSummary(const TFieldReport& report, int decimals,
                                                               char decimalSeparator);
// The caption of the limits a plan was designed under, a figure of a line
// of its own as the georeference is.
inline constexpr const char* kPlanLimitsCaption = "Limites do plano";

// The closing totals, one text a line.
std::vector<std::string> ReportTotals(const TFieldReport& report, char decimalSeparator);

// The report as CSV: a heading row, then one row a stake in walking order.
// With a decimal comma the fields are separated by ";" as spreadsheets in
// such locales expect, otherwise by ","; UTF-8 with a byte order mark, lines
// ending in CR LF. The signed
// cut/fill is also given as the document's "Cortes e Aterros" view shows it.
std::string FieldReportCsv(const TFieldReport& report, int decimals, char decimalSeparator);

}  // namespace nivora
