#include "CliCommon.h"

#include "data/NumberUtils.h"
#include "data/TextCodec.h"

#include <cmath>

namespace nivora::cli {

bool IsFlag(const std::string& option) { return option == "--equidistant"; }

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

char LocaleSeparator(const TArgs& a)
{
    const std::string name = a.Get("--locale", "C");
    if (name == "C" || name == "POSIX" || name.rfind("en", 0) == 0)
        return '.';
    for (const char* comma : {"pt", "de", "fr", "es", "it"})
        if (name.rfind(comma, 0) == 0)
            return ',';
    throw TUsageError("localidade desconhecida: " + name);
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

void WriteRect(TJson& j, const TUsedRect& r)
{
    j.BeginArray().Value(r.FirstCol).Value(r.FirstRow).Value(r.LastCol).Value(r.LastRow).EndArray();
}

TRun LoadAndSystematize(const TArgs& a)
{
    TRun run{LoadProjectFile(File(a)), {}};
    TTerreno& t = *run.Project.Terrain;
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
    run.Result = Systematize(t, selectionOnly, ratio);
    if (!run.Result.Computed)
        throw TNothingToCompute("É impossivel calcular a sistematização por falta de cotas.");
    return run;
}

std::map<std::string, TCommandInfo>& Commands()
{
    static std::map<std::string, TCommandInfo> commands;
    return commands;
}

TRegister::TRegister(const std::string& name, const std::string& usage, TCommand run)
{
    Commands()[name] = {std::move(run), usage};
}

}  // namespace nivora::cli
