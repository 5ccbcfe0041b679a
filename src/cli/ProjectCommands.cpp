// The commands on the grid and the plans: info, import, grid, systematize,
// plan.

#include "CliCommon.h"
#include "data/NumberFormat.h"
#include "grid/GridText.h"
#include "grid/WinSurfText.h"

#include <filesystem>
#include <iostream>
#include <limits>

namespace nivora::cli {

namespace {

void WritePoint(TJson& j, const TCotaPoint& p)
{
    j.BeginObject().Key("Col").Value(p.Col).Key("Row").Value(p.Row).Key("Value").Value(p.Value).EndObject();
}

int Info(const TArgs& a)
{
    const std::string& path = File(a);
    TLoadedProject project = LoadProjectFile(path);
    TTerreno& t = *project.Terrain;
    const TViewState& v = project.View;
    TJson j;
    j.BeginObject();
    j.Key("ColCount").Value(t.ColCount);
    j.Key("RowCount").Value(t.RowCount);
    j.Key("Lx").Value(t.Lx.Value());
    j.Key("Ly").Value(t.Ly.Value());
    j.Key("FileSize").Value(static_cast<std::int64_t>(std::filesystem::file_size(path)));
    j.Key("ValueCount").Value(t.ValueCount);
    j.Key("Minimum");
    WritePoint(j, t.Minimum);
    j.Key("Maximum");
    WritePoint(j, t.Maximum);
    j.Key("UsedRect");
    WriteRect(j, t.UsedRect);
    j.Key("ExtremesValid").Value(t.ExtremesValid);
    j.Key("ResultsValid").Value(t.ResultsValid);
    j.Key("Modified").Value(t.Modified);
    j.Key("PlaneComputed").Value(t.PlaneComputed);
    j.Key("OriginX").Value(t.OriginX.Value());
    j.Key("OriginY").Value(t.OriginY.Value());
    j.Key("CellArea").Value(t.CellArea.Value());
    j.Key("CurrentPlan").Value(t.CurrentPlan);
    j.Key("KeepPlans").Value(t.KeepPlans);
    j.Key("Plans").BeginArray();
    for (const TPlano& p : t.Plans)
        WritePlan(j, p);
    j.EndArray();
    j.Key("View").BeginObject();
    j.Key("Col").Value(v.Col).Key("Row").Value(v.Row).Key("LeftCol").Value(v.LeftCol).Key("TopRow").Value(v.TopRow);
    j.Key("Selection").BeginArray().Value(v.SelLeft).Value(v.SelTop).Value(v.SelRight).Value(v.SelBottom).EndArray();
    j.EndObject();
    j.EndObject();
    std::cout << j.Str() << "\n";
    return 0;
}

int Import(const TArgs& a)
{
    const std::string& textPath = File(a);
    if (!a.Has("--lx") || !a.Has("-o"))
        throw TUsageError("import precisa de --lx e -o");
    const long double lx = Number(a.Get("--lx"), "--lx");
    const long double ly = a.Has("--ly") ? Number(a.Get("--ly"), "--ly") : lx;
    if (!(lx > 0) || !(ly > 0) || lx > 1e30L || ly > 1e30L)
        throw TUsageError("A caixa de edição deve conter um número positivo.");
    const std::int32_t nx = a.Has("--nx") ? Integer(a.Get("--nx"), "--nx") : 1;
    const std::int32_t ny = a.Has("--ny") ? Integer(a.Get("--ny"), "--ny") : 1;
    if (nx < -1000 || nx > 1000 || ny < -1000 || ny > 1000)
        throw TUsageError("--nx e --ny vão de -1000 a 1000");
    const auto bytes = ReadFileBytes(textPath);
    const std::string text(bytes.begin(), bytes.end());

    TTerreno t(20, 20, static_cast<float>(lx), static_cast<float>(ly));
    t.OriginX = OriginForStake(nx, static_cast<float>(lx));
    t.OriginY = OriginForStake(ny, static_cast<float>(ly));
    // Text from a spreadsheet may use either separator; the paste reads both.
    PasteText(t, text, 1, 1, '.');
    SaveProjectFile(a.Get("-o"), t, TViewState{});
    TJson j;
    j.BeginObject().Key("ColCount").Value(t.ColCount).Key("RowCount").Value(t.RowCount);
    j.Key("ValueCount").Value(t.ValueCount).Key("UsedRect");
    WriteRect(j, t.UsedRect);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return 0;
}

int Grid(const TArgs& a)
{
    TLoadedProject project = LoadProjectFile(File(a));
    TTerreno& t = *project.Terrain;
    const std::string viewName = a.Get("--view", "natural");
    TGridView view = gvNatural;
    if (viewName == "design")
        view = gvDesign;
    else if (viewName == "cutfill")
        view = gvCutFill;
    else if (viewName != "natural")
        throw TUsageError("--view: natural, design ou cutfill");
    const std::int32_t decimals = a.Has("--decimals") ? Integer(a.Get("--decimals"), "--decimals") : 3;
    if (decimals < 0 || decimals > 8)
        throw TUsageError("--decimals vai de 0 a 8");
    const TUsedRect used = t.ComputeUsedRect();
    // A file keeps its plans but not the area of the run that made them: the
    // computed views cover the used area of a file whose results are current.
    if (t.ResultsValid)
        t.LastArea = used;
    std::cout << CopyText(t, view, decimals, used, LocaleSeparator(a));
    return 0;
}

int WinSurfCommand(const TArgs& a)
{
    TLoadedProject project = LoadProjectFile(File(a));
    const std::int32_t decimals = a.Has("--decimals") ? Integer(a.Get("--decimals"), "--decimals") : 3;
    if (decimals < 0 || decimals > 8)
        throw TUsageError("--decimals vai de 0 a 8");
    const std::string text = WinSurfListing(*project.Terrain, decimals, LocaleSeparator(a));
    std::cout << text;
    if (!text.empty())
        std::cout << "\r\n";
    return 0;
}

void WriteRun(TJson& j, TTerreno& t, const TSystematizeResult& r)
{
    const TPlano& p = t.Plans[0];
    const long double area = t.AreaHa;
    const long double undefined = std::numeric_limits<long double>::quiet_NaN();
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea);
    j.Key("AreaHa").Value(area);
    j.Key("CellArea").Value(t.CellArea.Value());
    j.Key("ValueCount").Value(p.CutCount + p.FillCount);
    j.Key("Plan");
    WritePlan(j, p);
    j.Key("CutVolumePerHa").Value(area > 0 ? p.CutVolume / area : undefined);
    j.Key("FillVolumePerHa").Value(area > 0 ? p.FillVolume / area : undefined);
    j.Key("Steps").Value(r.Adjust.Steps);
    j.Key("Converged").Value(r.Adjust.Steps == 0 || r.Adjust.Converged);
    j.Key("CurrentPlan").Value(t.CurrentPlan);
    j.EndObject();
}

int SystematizeCommand(const TArgs& a)
{
    TRun run = LoadAndSystematize(a);
    TTerreno& t = *run.Project.Terrain;
    if (a.Has("-o"))
        SaveProjectFile(a.Get("-o"), t, run.Project.View);
    TJson j;
    WriteRun(j, t, run.Result);
    std::cout << j.Str() << "\n";
    return 0;
}

int Plan(const TArgs& a)
{
    TLoadedProject project = LoadProjectFile(File(a));
    TTerreno& t = *project.Terrain;
    if (!a.Has("--sx") || !a.Has("--sy") || !a.Has("--ratio"))
        throw TUsageError("plan precisa de --sx, --sy e --ratio");
    const std::int32_t slot = a.Has("--slot") ? Integer(a.Get("--slot"), "--slot") : 2;
    if (slot < 2 || slot > 10)
        throw TUsageError("--slot vai de 2 a 10 (planos do usuário)");
    // The texts as the results window would hold them, with the ratio brought
    // into 0.01..100 as its commit does.
    const long double ratio = Number(a.Get("--ratio"), "--ratio");
    std::string ratioText = a.Get("--ratio");
    if (ratio < 0.01L)
        ratioText = FormatGeneral(0.01L, 10, '.');
    else if (ratio > 100)
        ratioText = FormatGeneral(100, 10, '.');
    Number(a.Get("--sx"), "--sx");
    Number(a.Get("--sy"), "--sy");
    TPlano& p = t.Plans[std::size_t(slot)];
    p.SxText.Assign(a.Get("--sx"));
    p.SyText.Assign(a.Get("--sy"));
    p.RatioText.Assign(ratioText);
    if (!ParsePlanInputs(t, slot, '.'))
        throw TUsageError("textos do plano inválidos (até 18 caracteres cada)");
    // The recalculation works on the whole used area with current results,
    // as after a systematization in the program.
    t.Selection = t.ComputeUsedRect();
    t.LastArea = t.Selection;
    if (!t.ResultsValid && !Systematize(t, false, -1).Computed)
        throw TNothingToCompute("É impossivel calcular a sistematização por falta de cotas.");
    const TSystematizeResult r = RecalculatePlan(t, slot);
    if (!r.Computed)
        throw TNothingToCompute("É impossivel calcular a sistematização por falta de cotas.");
    if (a.Has("-o"))
        SaveProjectFile(a.Get("-o"), t, project.View);
    TJson j;
    WriteRun(j, t, r);
    std::cout << j.Str() << "\n";
    return 0;
}

const TRegister kInfo("info", "ARQUIVO", Info);
const TRegister kImport("import", "TEXTO --lx A [--ly B] [--nx N --ny M] -o ARQUIVO", Import);
const TRegister kGrid("grid", "ARQUIVO [--view natural|design|cutfill] [--decimals D] [--locale pt_BR|C]", Grid);
const TRegister kSystematize("systematize", "ARQUIVO [--area C1,R1,C2,R2] [--ratio R] [-o SAIDA]",
                             SystematizeCommand);
const TRegister kWinSurf("winsurf", "ARQUIVO [--decimals D] [--locale pt_BR|C]", WinSurfCommand);
const TRegister kPlan("plan", "ARQUIVO --sx A --sy B --ratio R [--slot K] [-o SAIDA]", Plan);

}  // namespace

}  // namespace nivora::cli
