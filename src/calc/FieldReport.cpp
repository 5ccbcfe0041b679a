#include "FieldReport.h"

#include "calc/CalcSist.h"
#include "calc/LimitedPlane.h"
#include "calc/ResultTable.h"
#include "data/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

// Plans and figures are shown as the results window shows them: ten
// significant digits at most before the separator fall to scientific form.
constexpr int kPrecision = 10;

std::string Fixed(long double v, int decimals, char sep) { return FormatFixed(v, decimals, kPrecision, sep); }

// The area within the grid: LastArea comes from the grid's own rectangles,
// but a report must never walk outside the store.
TUsedRect Clamped(const TTerreno& t, TUsedRect a)
{
    a.FirstCol = std::max(a.FirstCol, 1);
    a.FirstRow = std::max(a.FirstRow, 1);
    a.LastCol = std::min(a.LastCol, t.ColCount());
    a.LastRow = std::min(a.LastRow, t.RowCount());
    return a;
}

std::string CsvField(const std::string& text, char fieldSep)
{
    if (text.find_first_of(std::string{fieldSep, '"', '\r', '\n'}) == std::string::npos)
        return text;
    std::string q = "\"";
    for (char c : text) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

}  // namespace

std::vector<std::pair<std::int32_t, std::int32_t>> WalkOrder(const TUsedRect& area)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> order;
    if (area.IsEmpty())
        return order;
    order.reserve(std::size_t(area.CellCount()));
    bool forward = true;
    for (std::int32_t row = area.FirstRow; row <= area.LastRow; ++row) {
        if (forward)
            for (std::int32_t col = area.FirstCol; col <= area.LastCol; ++col)
                order.emplace_back(col, row);
        else
            for (std::int32_t col = area.LastCol; col >= area.FirstCol; --col)
                order.emplace_back(col, row);
        forward = !forward;
    }
    return order;
}

bool HasFieldReport(const TTerreno& t)
{
    const TUsedRect a = Clamped(t, t.LastArea());
    return t.ResultsValid() && t.Plans()[0].Valid && !a.IsEmpty();
}

TFieldReport BuildFieldReport(const TTerreno& t)
{
    TFieldReport r;
    r.Area = Clamped(t, t.LastArea());
    r.Plan = t.Plans()[0];
    r.PlanName = ResultCellText(&t, t.CurrentPlan(), 0, '.');
    if (const TPlanLimits* limits = t.LimitedPlan(t.CurrentPlan()))
        r.Limits = *limits;
    r.Settlement = SettlementFigures(t, 0);
    r.Lx = t.Lx();
    r.Ly = t.Ly();
    r.OriginX = t.OriginX();
    r.OriginY = t.OriginY();
    r.CellArea = static_cast<long double>(t.Lx()) * static_cast<long double>(t.Ly());
    r.Georeference = t.Extension().Georeference;
    std::int32_t order = 0;
    // Stakes without elevation are walked past, not listed.
    for (const auto& [col, row] : WalkOrder(r.Area)) {
        const float z = t.GetCell(col, row);
        if (z == 0.0f)
            continue;
        TReportLine line;
        line.Order = ++order;
        line.Col = col;
        line.Row = row;
        const TStakePoint at = StakeCoordinates(t, col, row);
        line.X = at.X;
        line.Y = at.Y;
        line.Real = at.Real;
        line.Natural = z;
        line.Design = t.DesignElevation(col, row);
        line.CutFill = t.CutFill(col, row);
        if (line.IsCut()) {
            ++r.CutCount;
            r.CutVolume += -line.CutFill * r.CellArea;
        } else {
            ++r.FillCount;
            r.FillVolume += line.CutFill * r.CellArea;
        }
        r.Lines.push_back(line);
    }
    r.NaturalPonding = Ponding(t, TDrainSurface::Natural, r.Area);
    r.DesignPonding = Ponding(t, TDrainSurface::Design, r.Area);
    // The first stake walked is the first one listed.
    if (!r.Lines.empty())
        r.FirstStake = TFirstStake{r.Lines.front().Col, r.Lines.front().Row, r.Lines.front().Design};
    return r;
}

const std::vector<std::string>& ReportHeadings()
{
    static const std::vector<std::string> headings = {
        "Nº", "Coluna", "Linha", "X (m)", "Y (m)", "Cota Natural (m)", "Cota Calculada (m)", "C/A", "Prof. (m)",
    };
    return headings;
}

std::vector<std::string> ReportLineTexts(const TReportLine& line, int decimals, char sep)
{
    std::vector<std::string> t(kReportColumns);
    t[rcOrder] = std::to_string(line.Order);
    t[rcCol] = std::to_string(line.Col);
    t[rcRow] = std::to_string(line.Row);
    t[rcX] = CoordinateText(line.X, line.Real, sep);
    t[rcY] = CoordinateText(line.Y, line.Real, sep);
    t[rcNatural] = Fixed(line.Natural, decimals, sep);
    t[rcDesign] = Fixed(line.Design, decimals, sep);
    t[rcKind] = std::string(1, line.IsCut() ? 'C' : 'A');
    t[rcDepth] = Fixed(std::fabs(line.CutFill), decimals, sep);
    return t;
}

std::vector<std::pair<std::string, std::string>> ReportSummary(const TFieldReport& r, int decimals, char sep)
{
    const TPlano& p = r.Plan;
    const long double areaHa = (static_cast<long double>(p.CutCount) + p.FillCount) * r.CellArea * 0.0001L;
    const auto perHa = [&](long double v) { return areaHa > 0 ? Fixed(v / areaHa, 1, sep) : std::string("-"); };
    const std::string rect = "colunas " + std::to_string(r.Area.FirstCol) + " a " + std::to_string(r.Area.LastCol)
                             + ", linhas " + std::to_string(r.Area.FirstRow) + " a " + std::to_string(r.Area.LastRow);
    std::vector<std::pair<std::string, std::string>> items = {
        {"Área sistematizada", Fixed(areaHa, 4, sep) + " ha"},
        {"Piquetes", rect},
        {"Espaçamento", "Lx = " + FormatShortest(r.Lx, sep) + " m, Ly = " + FormatShortest(r.Ly, sep) + " m"},
        {"Origem", "X = " + FormatShortest(r.OriginX, sep) + " m, Y = " + FormatShortest(r.OriginY, sep) + " m"},
    };
    if (r.Georeference)
        items.emplace_back(kGeoreferenceCaption, GeoreferenceText(*r.Georeference, sep));
    if (!r.PlanName.empty())
        items.emplace_back("Plano", r.PlanName);
    if (r.Limits)
        items.emplace_back(kPlanLimitsCaption, PlanLimitsText(*r.Limits, sep));
    if (r.Settlement) {
        const TSettlementFigures& s = *r.Settlement;
        items.emplace_back("Compensação de recalque", "aterros acima de " + Fixed(s.Depth, 2, sep) + " m elevados "
                                                          + FormatGeneral(s.Percent, 10, sep)
                                                          + " % da profundidade total");
        items.emplace_back("Superfície construída (m³)",
                           "corte " + Fixed(s.BuiltCut, 1, sep) + ", aterro " + Fixed(s.BuiltFill, 1, sep));
        items.emplace_back("Superfície após o recalque (m³)",
                           "corte " + Fixed(s.SettledCut, 1, sep) + ", aterro " + Fixed(s.SettledFill, 1, sep));
        items.emplace_back("Volume adicional de aterro (m³)",
                           Fixed(s.ExtraVolume, 1, sep) + " em " + std::to_string(s.RaisedStakes) + " piquetes");
    }
    items.insert(items.end(), {
                                  {"Declividade Sx", Fixed(p.Sx, 6, sep)},
                                  {"Declividade Sy", Fixed(p.Sy, 6, sep)},
                                  {"Cota da Origem (m)", Fixed(p.OriginElevation, 3, sep)},
                              });
    if (r.FirstStake)
        items.emplace_back(FirstStakeCaption(*r.FirstStake), Fixed(r.FirstStake->Design, 3, sep) + " m");
    items.insert(items.end(),
                 {
                     {"Rel. corte/aterro",
                      p.RatioDefined() ? Fixed(p.CutFillRatio, 3, sep) : std::string("indefinida")},
                     {"Vol. de Corte (m³)", Fixed(p.CutVolume, 1, sep) + " (" + perHa(p.CutVolume) + " m³/ha)"},
                     {"Vol. de Aterro (m³)", Fixed(p.FillVolume, 1, sep) + " (" + perHa(p.FillVolume) + " m³/ha)"},
                     {"Corte máximo (m)", Fixed(p.MaxCut, decimals, sep)},
                     {"Aterro máximo (m)", Fixed(p.MaxFill, decimals, sep)},
                     {"Piquetes em corte", std::to_string(p.CutCount)},
                     {"Piquetes em aterro", std::to_string(p.FillCount)},
                 });
    return items;
}

std::vector<std::string> ReportTotals(const TFieldReport& r, char sep)
{
    return {
        "Total: " + std::to_string(r.Lines.size()) + " piquetes, " + std::to_string(r.CutCount) + " em corte e "
            + std::to_string(r.FillCount) + " em aterro (" + Fixed(r.AreaHa(), 4, sep) + " ha).",
        "Volume de corte: " + Fixed(r.CutVolume, 1, sep) + " m³. Volume de aterro: " + Fixed(r.FillVolume, 1, sep)
            + " m³.",
        PondingText(r.NaturalPonding, r.DesignPonding, sep) + ".",
    };
}

std::string FieldReportCsv(const TFieldReport& r, int decimals, char sep)
{
    const char fieldSep = sep == ',' ? ';' : ',';
    // The byte order mark tells spreadsheets that the text is UTF-8 ("Nº",
    // "m³"); without it some read it in the system's code page.
    std::string out = "\xEF\xBB\xBF";
    const auto row = [&](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += fieldSep;
            out += CsvField(fields[i], fieldSep);
        }
        out += "\r\n";
    };
    std::vector<std::string> heads = ReportHeadings();
    heads.push_back("Corte/Aterro (m)");
    row(heads);
    for (const TReportLine& line : r.Lines) {
        std::vector<std::string> fields = ReportLineTexts(line, decimals, sep);
        fields.push_back(Fixed(line.CutFill, decimals, sep));
        row(fields);
    }
    return out;
}

}  // namespace nivora
