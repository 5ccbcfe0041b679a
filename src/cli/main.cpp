// nivora-cli: the batch front end. It runs the program's own computations on
// project files, for scripting and measurement; the program itself reads no
// arguments.

#include "Json.h"
#include "calc/CalcSist.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "data/SaveOpen.h"
#include "data/TextCodec.h"
#include "grid/GridText.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace nivora;
using nivora::cli::TJson;

namespace {

const char* kUsage =
    "uso: nivora-cli COMANDO ARQUIVO [opções]\n"
    "  info ARQUIVO\n"
    "  import TEXTO --lx A [--ly B] [--nx N --ny M] -o ARQUIVO\n"
    "  grid ARQUIVO [--view natural|design|cutfill] [--decimals D] [--locale pt_BR|C]\n"
    "  systematize ARQUIVO [--area C1,R1,C2,R2] [--ratio R] [-o SAIDA]\n"
    "  plan ARQUIVO --sx A --sy B --ratio R [--slot K] [-o SAIDA]\n";

class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TArgs {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool Has(const std::string& k) const { return options.count(k) != 0; }
    std::string Get(const std::string& k, const std::string& fallback = {}) const
    {
        auto it = options.find(k);
        return it == options.end() ? fallback : it->second;
    }
};

TArgs ParseArgs(int argc, char** argv)
{
    TArgs a;
    if (argc < 2)
        throw TUsageError("falta o comando");
    a.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s == "--equidistant") {
            a.options[s] = "1";
        } else if (s.size() > 1 && s[0] == '-' && !(s.size() > 1 && (std::isdigit(static_cast<unsigned char>(s[1])) || s[1] == '.'))) {
            if (i + 1 >= argc)
                throw TUsageError("falta o valor de " + s);
            a.options[s] = argv[++i];
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

// Numbers on the command line are read with ".", as scripts write them.
long double Number(const std::string& text, const std::string& what)
{
    long double v = 0;
    if (!ParseNumber(text, v, '.'))
        throw TUsageError("número inválido em " + what + ": " + text);
    return v;
}

std::int32_t Integer(const std::string& text, const std::string& what)
{
    const long double v = Number(text, what);
    if (v != std::trunc(v) || v < -2147483648.0L || v > 2147483647.0L)
        throw TUsageError("inteiro inválido em " + what + ": " + text);
    return static_cast<std::int32_t>(v);
}

TUsedRect Area(const std::string& text)
{
    std::vector<std::int32_t> v;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        v.push_back(Integer(part, "--area"));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (v.size() != 4 || v[0] > v[2] || v[1] > v[3] || v[0] < 1 || v[1] < 1)
        throw TUsageError("--area espera C1,R1,C2,R2 com C1 <= C2 e R1 <= R2");
    return {v[0], v[1], v[2], v[3]};
}

const std::string& File(const TArgs& a)
{
    if (a.positional.size() != 1)
        throw TUsageError("informe um arquivo");
    return a.positional[0];
}

void WritePlan(TJson& j, const TPlano& p)
{
    j.BeginObject();
    j.Key("Sx").Value(p.Sx.Value());
    j.Key("Sy").Value(p.Sy.Value());
    j.Key("OriginElevation").Value(p.OriginElevation.Value());
    j.Key("CutVolume").Value(p.CutVolume.Value());
    j.Key("FillVolume").Value(p.FillVolume.Value());
    j.Key("CutFillRatio");
    if (p.RatioDefined() || (!p.Valid && p.CutFillRatio != 0.0L))
        j.Value(p.CutFillRatio.Value());  // a computed ratio, or the one typed for a plan not computed yet
    else
        j.Null();
    j.Key("MaxCut").Value(p.MaxCut.Value());
    j.Key("MaxFill").Value(p.MaxFill.Value());
    j.Key("CutCount").Value(p.CutCount);
    j.Key("FillCount").Value(p.FillCount);
    j.Key("SxText").Value(Cp1252ToUtf8(p.SxText.Str()));
    j.Key("SyText").Value(Cp1252ToUtf8(p.SyText.Str()));
    j.Key("RatioText").Value(Cp1252ToUtf8(p.RatioText.Str()));
    j.Key("Valid").Value(p.Valid);
    j.EndObject();
}

void WritePoint(TJson& j, const TCotaPoint& p)
{
    j.BeginObject().Key("Col").Value(p.Col).Key("Row").Value(p.Row).Key("Value").Value(p.Value).EndObject();
}

void WriteRect(TJson& j, const TUsedRect& r)
{
    j.BeginArray().Value(r.FirstCol).Value(r.FirstRow).Value(r.LastCol).Value(r.LastRow).EndArray();
}

TLoadedProject Load(const std::string& path) { return LoadProjectFile(path); }

int Info(const TArgs& a)
{
    const std::string& path = File(a);
    TLoadedProject project = Load(path);
    TTerreno& t = *project.Terrain;
    const TViewState& v = project.View;
    TJson j;
    j.BeginObject();
    j.Key("ColCount").Value(t.ColCount);
    j.Key("RowCount").Value(t.RowCount);
    j.Key("Lx").Value(t.Lx.Value());
    j.Key("Ly").Value(t.Ly.Value());
    j.Key("FileSize").Value(static_cast<std::int64_t>(fs::file_size(path)));
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
    TViewState view;
    SaveProjectFile(a.Get("-o"), t, view);
    TJson j;
    j.BeginObject().Key("ColCount").Value(t.ColCount).Key("RowCount").Value(t.RowCount);
    j.Key("ValueCount").Value(t.ValueCount).Key("UsedRect");
    WriteRect(j, t.UsedRect);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return 0;
}

char LocaleSeparator(const TArgs& a)
{
    const std::string name = a.Get("--locale", "C");
    if (name == "C" || name == "POSIX" || name.rfind("en", 0) == 0)
        return '.';
    if (name.rfind("pt", 0) == 0 || name.rfind("de", 0) == 0 || name.rfind("fr", 0) == 0 || name.rfind("es", 0) == 0
        || name.rfind("it", 0) == 0)
        return ',';
    throw TUsageError("localidade desconhecida: " + name);
}

int Grid(const TArgs& a)
{
    TLoadedProject project = Load(File(a));
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

void WriteRun(TJson& j, TTerreno& t, const TSystematizeResult& r)
{
    const TPlano& p = t.Plans[0];
    const long double area = t.AreaHa;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea);
    j.Key("AreaHa").Value(area);
    j.Key("CellArea").Value(t.CellArea.Value());
    j.Key("ValueCount").Value(p.CutCount + p.FillCount);
    j.Key("Plan");
    WritePlan(j, p);
    j.Key("CutVolumePerHa").Value(area > 0 ? p.CutVolume / area : std::numeric_limits<long double>::quiet_NaN());
    j.Key("FillVolumePerHa").Value(area > 0 ? p.FillVolume / area : std::numeric_limits<long double>::quiet_NaN());
    j.Key("Steps").Value(r.Adjust.Steps);
    j.Key("Converged").Value(r.Adjust.Steps == 0 || r.Adjust.Converged);
    j.Key("CurrentPlan").Value(t.CurrentPlan);
    j.EndObject();
}

int Systematize(const TArgs& a)
{
    TLoadedProject project = Load(File(a));
    TTerreno& t = *project.Terrain;
    long double ratio = -1;
    if (a.Has("--ratio")) {
        ratio = Number(a.Get("--ratio"), "--ratio");
        if (ratio < 0.01L || ratio > 100)
            throw TUsageError("--ratio vai de 0.01 a 100");
    }
    bool selectionOnly = false;
    if (a.Has("--area")) {
        t.Selection = Area(a.Get("--area"));
        selectionOnly = true;
    }
    const TSystematizeResult r = nivora::Systematize(t, selectionOnly, ratio);
    if (!r.Computed) {
        std::cerr << "É impossivel calcular a sistematização por falta de cotas.\n";
        return 2;
    }
    if (a.Has("-o"))
        SaveProjectFile(a.Get("-o"), t, project.View);
    TJson j;
    WriteRun(j, t, r);
    std::cout << j.Str() << "\n";
    return 0;
}

int Plan(const TArgs& a)
{
    TLoadedProject project = Load(File(a));
    TTerreno& t = *project.Terrain;
    if (!a.Has("--sx") || !a.Has("--sy") || !a.Has("--ratio"))
        throw TUsageError("plan precisa de --sx, --sy e --ratio");
    const std::int32_t slot = a.Has("--slot") ? Integer(a.Get("--slot"), "--slot") : 2;
    if (slot < 2 || slot > 10)
        throw TUsageError("--slot vai de 2 a 10 (planos do usuário)");
    // The texts as the results window would hold them, with the ratio brought
    // into 0.01..100 as its commit does.
    long double ratio = Number(a.Get("--ratio"), "--ratio");
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
    if (!t.ResultsValid) {
        // The recalculation needs current results, as in the program: a
        // systematization of the whole area first.
        const TSystematizeResult first = nivora::Systematize(t, false, -1);
        if (!first.Computed) {
            std::cerr << "É impossivel calcular a sistematização por falta de cotas.\n";
            return 2;
        }
    } else {
        t.Selection = t.ComputeUsedRect();
        t.LastArea = t.Selection;
    }
    const TSystematizeResult r = RecalculatePlan(t, slot);
    if (!r.Computed) {
        std::cerr << "É impossivel calcular a sistematização por falta de cotas.\n";
        return 2;
    }
    if (a.Has("-o"))
        SaveProjectFile(a.Get("-o"), t, project.View);
    TJson j;
    WriteRun(j, t, r);
    std::cout << j.Str() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const TArgs a = ParseArgs(argc, argv);
        if (a.command == "info")
            return Info(a);
        if (a.command == "import")
            return Import(a);
        if (a.command == "grid")
            return Grid(a);
        if (a.command == "systematize")
            return Systematize(a);
        if (a.command == "plan")
            return Plan(a);
        if (a.command == "-h" || a.command == "--help" || a.command == "help") {
            std::cout << kUsage;
            return 0;
        }
        throw TUsageError("comando desconhecido: " + a.command);
    } catch (const TUsageError& e) {
        std::cerr << "nivora-cli: " << e.what() << "\n" << kUsage;
        return 64;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
