// nivora-cli profile: the ground and the design along a line, stations,
// slopes and sections with their earth, in JSON, and the stations and
// sections as CSV.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"
#include "Json.h"

#include "calc/CalcSist.h"
#include "calc/Profile.h"
#include "data/NumberUtils.h"

#include <iostream>

namespace nivora::cli {

namespace {

// "X1,Y1,X2,Y2,..." with the decimal point: pairs of coordinates.
bool ReadPath(const std::string& text, std::vector<TLinePoint>& points)
{
    std::vector<long double> values;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        long double v = 0;
        if (!ParseNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), v, '.')
            || !std::isfinite(v))
            return false;
        values.push_back(v);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() < 4 || values.size() % 2 != 0)
        return false;
    points.clear();
    for (std::size_t k = 0; k < values.size(); k += 2)
        points.push_back({values[k], values[k + 1]});
    return true;
}

TCheck PathText()
{
    return [](const std::string& option, const std::string& value) {
        std::vector<TLinePoint> points;
        if (!ReadPath(value, points))
            throw TUsageError(option + ": espera X1,Y1,X2,Y2,... (ao menos dois pontos) em metros, com ponto decimal"
                                       " (recebido: \"" + value + "\")");
        if (points.size() > kMaxProfileVertices)
            throw TUsageError(option + ": no máximo " + std::to_string(kMaxProfileVertices) + " pontos");
    };
}

std::vector<TLinePoint> LineOf(const TArgs& a)
{
    std::vector<TLinePoint> line;
    if (a.Has("--path")) {
        ReadPath(a.Get("--path"), line);
        return line;
    }
    for (const char* option : {"--from", "--to"}) {
        double x = 0, y = 0;
        ReadOrigin(a.Get(option), x, y);
        line.push_back({x, y});
    }
    return line;
}

TProfileOptions OptionsOf(const TArgs& a)
{
    return {a.Number("--step", 20), a.Number("--sections", 0), a.Number("--width", 40)};
}

void CheckLine(const TArgs& a)
{
    if (a.Has("--path") && (a.Has("--from") || a.Has("--to")))
        throw TUsageError("--path dá a linha inteira; não use --from e --to com ela");
    if (!a.Has("--path") && !(a.Has("--from") && a.Has("--to")))
        throw TUsageError("falta a linha: --from X,Y e --to X,Y, ou --path X1,Y1,X2,Y2,...");
    if (a.Has("--width") && !a.Has("--sections"))
        throw TUsageError("--width é a largura das seções; dê também --sections D");
    // The line and the spacings alone decide whether the profile can be
    // made: refuse here, before the file is read.
    TTerreno empty(1, 1, 1, 1);
    try {
        (void)ComputeProfile(empty, LineOf(a), OptionsOf(a));
    } catch (const TProfileError& e) {
        throw TUsageError(e.what());
    }
}

void WriteOptional(TJson& j, const std::optional<long double>& v)
{
    if (v)
        j.Value(*v);
    else
        j.Null();
}

void WriteSample(TJson& j, const TProfileSample& s)
{
    j.BeginObject();
    j.Key("Distance").Value(s.Distance);
    j.Key("X").Value(s.Point.X);
    j.Key("Y").Value(s.Point.Y);
    j.Key("Natural");
    WriteOptional(j, s.Natural);
    j.Key("Design");
    WriteOptional(j, s.Design);
    j.Key("CutFill");
    WriteOptional(j, s.CutFill());
    j.EndObject();
}

// The command line again, for the drawing helper: the options, then the file
// after "--" so that no name reads as an option.
std::vector<std::string> CommandLine(const TArgs& a)
{
    std::vector<std::string> args = {"nivora-cli", a.Command->Name};
    for (const auto& [name, value] : a.Options) {
        if (name.rfind("--", 0) == 0)
            args.push_back(name + "=" + value);
        else
            args.insert(args.end(), {name, value});
    }
    args.push_back("--");
    args.insert(args.end(), a.Positional.begin(), a.Positional.end());
    return args;
}

int Profile(const TArgs& a)
{
    if (LowerExtension(a.Get("-o")) == ".svg") {
        // The chart is drawn by the helper linked with Qt.
        std::vector<std::string> args = CommandLine(a);
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        return RunDrawing(*a.Command, a, argv.data());
    }
    return ProfileCommand(a, {});
}

}  // namespace

int ProfileCommand(const TArgs& a, const TProfilePicture& picture)
{
    const std::string out = a.Get("-o");
    if (!out.empty() && out != "-")
        CheckOutput(out);
    TSystematized run = LoadAndSystematize(a);
    TTerreno& t = run.Project.Terrain();
    TProfile p;
    try {
        p = ComputeProfile(t, LineOf(a), OptionsOf(a));
    } catch (const TProfileError& e) {
        // What the line asks of this grid is more than can be computed.
        throw TNothingToCompute(e.what());
    }
    bool anyNatural = false;
    for (const TProfileSample& s : p.Samples)
        anyNatural = anyNatural || s.Natural.has_value();
    if (!anyNatural)
        throw TNothingToCompute("A linha do perfil não passa por cotas do terreno.");
    if (picture) {
        WriteOutput(out, picture(p));
    } else if (!out.empty()) {
        const std::string csv = ProfileCsv(p, a.Integer("--decimals", 3), LocaleSeparator(a));
        WriteOutput(out, {reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()});
    }

    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("Plan");
    WritePlan(j, t.Plans()[0]);
    j.Key("Georeferenced").Value(t.Extension().Georeference.has_value());
    j.Key("Length").Value(p.Length);
    j.Key("Legs").BeginArray();
    for (const TProfileLeg& leg : p.Legs) {
        j.BeginObject();
        j.Key("Start").Value(leg.Start);
        j.Key("Length").Value(leg.Length);
        j.Key("DesignSlope");
        WriteOptional(j, leg.DesignSlope);
        j.EndObject();
    }
    j.EndArray();
    j.Key("Stations").BeginArray();
    for (const TProfileSample& s : p.Stations)
        WriteSample(j, s);
    j.EndArray();
    j.Key("CutArea").Value(p.CutArea);
    j.Key("FillArea").Value(p.FillArea);
    j.Key("Sections").BeginArray();
    for (std::size_t k = 0; k < p.Sections.size(); ++k) {
        const TSection& s = p.Sections[k];
        j.BeginObject();
        j.Key("Distance").Value(s.Distance);
        j.Key("X").Value(s.Point.X);
        j.Key("Y").Value(s.Point.Y);
        j.Key("CutArea").Value(s.CutArea);
        j.Key("FillArea").Value(s.FillArea);
        j.Key("Covered").Value(s.Covered);
        // The earth between this section and the one before it.
        j.Key("CutVolume");
        k == 0 ? j.Null() : j.Value(p.Volumes[k - 1].CutVolume);
        j.Key("FillVolume");
        k == 0 ? j.Null() : j.Value(p.Volumes[k - 1].FillVolume);
        j.EndObject();
    }
    j.EndArray();
    j.Key("CutVolume").Value(p.CutVolume);
    j.Key("FillVolume").Value(p.FillVolume);
    j.EndObject();
    SummaryStream(out) << j.Str() << "\n";
    return kExitOk;
}

std::vector<TCommand> ProfileCommands()
{
    return {
        {.Name = "profile",
         .Operand = "ARQUIVO",
         .Summary = "perfil do terreno e do projeto ao longo de uma linha, com seções transversais",
         .Description =
             "Sistematiza o terreno como o comando systematize e traça o perfil ao longo da linha dada, nas "
             "coordenadas dos piquetes (E e N num projeto georreferenciado): a cota natural interpolada em cada "
             "quadra, a cota de projeto, a declividade do projeto em cada trecho, estacas a cada --step metros e, "
             "com --sections, seções transversais com suas áreas de corte e aterro e os volumes entre elas pela "
             "média das áreas. Onde um piquete sem cota pesa, o perfil fica sem valor (null). Escreve em JSON; "
             "-o grava as estacas e as seções em CSV, ou o gráfico do perfil em SVG.",
         .Options = {{"--from", "X,Y", "início da linha, em metros, com ponto decimal", "", MetrePairText("X,Y")},
                     {"--to", "X,Y", "fim da linha", "", MetrePairText("X,Y")},
                     {"--path", "X1,Y1,X2,Y2,...", "uma linha quebrada, no lugar de --from e --to", "", PathText()},
                     {"--step", "S", "distância entre estacas, em metros", "20", NumberIn(0.01L, 1e9L)},
                     {"--sections", "D", "distância entre seções transversais, em metros", "sem seções",
                      NumberIn(0.01L, 1e9L)},
                     {"--width", "W", "largura de cada seção, centrada na linha, em metros", "40",
                      NumberIn(0.01L, 1e6L)},
                     AreaOption(),
                     RatioOption("sem ajuste: o plano de melhor ajuste"),
                     DecimalsOption(),
                     LocaleOption(),
                     {"-o", "SAIDA.csv",
                      "grava as estacas e as seções em .csv, ou o gráfico em .svg; - escreve o CSV na saída padrão", "",
                      OutputExtension({".csv", ".svg"}, ".csv")}},
         .Run = Profile,
         .UsageOverride = "(--from X,Y --to X,Y | --path X1,Y1,X2,Y2,...) [--step S] [--sections D [--width W]] "
                          "[--area C1,R1,C2,R2] [--ratio R] [-o SAIDA.csv|SAIDA.svg]",
         .CheckTogether = CheckLine},
    };
}

}  // namespace nivora::cli
