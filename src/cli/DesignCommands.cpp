// nivora-cli design: a plan under slope limits, with earth exported or
// imported in its balance.

#include "CliCommon.h"
#include "Commands.h"
#include "Json.h"
#include "SlopeRanges.h"

#include "calc/LimitedPlane.h"
#include "data/NumberUtils.h"

#include <iostream>

namespace nivora::cli {

// "MIN,MAX" with the decimal point; either side may be left empty for no
// limit on that side (",0.01": at most 0,01).
TSlopeRange ReadRange(const std::string& option, const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos)
        throw TUsageError(option + ": escreva MIN,MAX com ponto decimal, um dos lados vazio para nenhum limite"
                          " (recebido: " + text + ")");
    TSlopeRange r;
    const auto side = [&](const std::string& part) -> std::optional<long double> {
        if (part.empty())
            return std::nullopt;
        long double v = 0;
        if (!ParseNumber(part, v, '.'))
            throw TUsageError(option + ": \"" + part + "\" não é um número (use ponto decimal)");
        return v;
    };
    r.Min = side(text.substr(0, comma));
    r.Max = side(text.substr(comma + 1));
    if (!r.Min && !r.Max)
        throw TUsageError(option + ": falta ao menos um dos limites MIN,MAX");
    return r;
}

// "X,P": fills deeper than X metres raised by P per cent of their depth.
TSettlement ReadSettlement(const std::string& option, const std::string& text)
{
    const std::size_t comma = text.find(',');
    long double depth = 0, percent = 0;
    if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), depth, '.')
        || !ParseNumber(text.substr(comma + 1), percent, '.'))
        throw TUsageError(option + ": escreva X,P com ponto decimal: a profundidade em m a partir da qual o aterro "
                                   "é elevado e o percentual da profundidade (recebido: "
                          + text + ")");
    const TSettlement s{depth, percent};
    if (const std::string why = CheckSettlement(s); !why.empty())
        throw TUsageError(option + ": " + why);
    return s;
}

TCheck RangeText()
{
    return [](const std::string& option, const std::string& value) { (void)ReadRange(option, value); };
}

TSlopeLimits ReadSlopeLimits(const TArgs& a)
{
    TSlopeLimits limits;
    if (a.Has("--bearing"))
        limits.Bearing = a.Number("--bearing", 0);
    const char* along = a.Has("--bearing") ? "--main" : "--sx";
    const char* across = a.Has("--bearing") ? "--cross" : "--sy";
    if (a.Has(along))
        limits.Main = ReadRange(along, a.Get(along));
    if (a.Has(across))
        limits.Cross = ReadRange(across, a.Get(across));
    return limits;
}

void CheckLimitAxes(const TArgs& a)
{
    if (a.Has("--bearing") && (a.Has("--sx") || a.Has("--sy")))
        throw TUsageError("--sx e --sy limitam as declividades ao longo de X e Y; com --bearing use --main e --cross");
    if (!a.Has("--bearing") && (a.Has("--main") || a.Has("--cross")))
        throw TUsageError("--main e --cross precisam de --bearing, a direção principal");
}

TEarthBalance ReadEarthBalance(const TArgs& a)
{
    return {a.Number("--export", 0), a.Number("--import", 0), a.Number("--import-compacted", 0)};
}

namespace {

TLimitedDesign DesignOf(const TArgs& a)
{
    TLimitedDesign d;
    d.Limits = ReadSlopeLimits(a);
    d.Limits.MinFall = a.Number("--min-fall", 0);
    d.Ratio = a.Number("--ratio", 1);
    d.Balance = ReadEarthBalance(a);
    if (a.Has("--settle"))
        d.Settlement = ReadSettlement("--settle", a.Get("--settle"));
    return d;
}

void CheckDesign(const TArgs& a)
{
    CheckLimitAxes(a);
    if (const std::string why = CheckSlopeLimits(DesignOf(a).Limits); !why.empty())
        throw TUsageError(why);
}

int Design(const TArgs& a)
{
    if (a.Has("-o"))
        CheckOutput(a.Get("-o"));
    TProject project = LoadProject(File(a));
    TTerreno& t = project.Terrain();
    const TLimitedDesign design = DesignOf(a);
    const std::int32_t slot = a.Integer("--slot", 2);
    // Over the whole used area, as the plan command and the program's
    // recalculation after a systematization.
    t.UpdateUsedRect();
    t.SetSelection(t.UsedRect());
    t.RestoreLastArea();
    const TLimitedResult r = DesignLimitedPlan(t, slot, design, '.');
    if (!r.Run.Computed)
        throw TNothingToCompute(kNoElevationsMessage);
    if (a.Has("-o"))
        SaveProject(a.Get("-o"), *project.Document, project.View);

    const TPlano& p = t.Plans()[std::size_t(slot)];
    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("AreaHa").Value(t.AreaHa().Value());
    j.Key("Slot").Value(slot);
    j.Key("Plan");
    WritePlan(j, p);
    j.Key("Limited").Value(r.Slopes->Limited);
    j.Key("MainSlope").Value(r.Slopes->Main);
    j.Key("CrossSlope").Value(r.Slopes->Cross);
    j.Key("ExportVolume").Value(design.Balance.Export);
    j.Key("ImportVolume").Value(design.Balance.Import);
    j.Key("ImportCompactedVolume").Value(design.Balance.ImportCompacted);
    if (const auto s = SettlementFigures(t, slot)) {
        // What the blade builds (the plan's figures above) and what is
        // expected once the raised fills have settled (the plan's plane).
        j.Key("Settlement").BeginObject();
        j.Key("Depth").Value(s->Depth);
        j.Key("Percent").Value(s->Percent);
        j.Key("RaisedStakes").Value(s->RaisedStakes);
        j.Key("ExtraVolume").Value(s->ExtraVolume);
        j.Key("Built").BeginObject();
        j.Key("CutVolume").Value(s->BuiltCut);
        j.Key("FillVolume").Value(s->BuiltFill);
        j.EndObject();
        j.Key("Settled").BeginObject();
        j.Key("CutVolume").Value(s->SettledCut);
        j.Key("FillVolume").Value(s->SettledFill);
        j.EndObject();
        j.EndObject();
    }
    j.Key("Steps").Value(r.Run.Adjust.Steps);
    j.Key("Converged").Value(r.Run.Adjust.Steps == 0 || r.Run.Adjust.Converged);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<TCommand> DesignCommands()
{
    const TCheck volume = NumberIn(0, 1e12L);
    TOption ratio = RatioOption("");
    ratio.Required = true;
    return {
        {.Name = "design",
         .Operand = "ARQUIVO",
         .Summary = "calcula um plano com declividades limitadas e importação ou exportação de terra",
         .Description = "Calcula o plano de mínimos quadrados com as declividades limitadas (ao longo de X e Y, ou "
                        "ao longo de uma direção principal e através dela), desloca-o até a razão pedida contando a "
                        "terra exportada e importada (corte - exportação + importação = razão x (aterro - "
                        "importação compactada)) e grava-o numa coluna de plano do usuário, com as declividades "
                        "como textos, de modo que \"Recalcular\" o reproduz. Escreve o plano em JSON. Os limites "
                        "são MIN,MAX em m/m com ponto decimal; um lado vazio não limita. Com --settle, os aterros "
                        "mais profundos que X são elevados P % da profundidade total (a profundidade inteira, como "
                        "fazem os outros programas) e o projeto é deslocado de novo até a razão; o JSON dá as duas "
                        "superfícies, a construída e a esperada após o recalque, e o volume adicional.",
         .Options =
             {ratio,
              {"--sx", "MIN,MAX", "limites da declividade ao longo de X", "sem limite", RangeText()},
              {"--sy", "MIN,MAX", "limites da declividade ao longo de Y", "sem limite", RangeText()},
              {"--bearing", "GRAUS", "direção principal, em graus a partir do eixo X no sentido do eixo Y", "",
               NumberIn(-360, 360)},
              {"--main", "MIN,MAX", "limites da declividade ao longo da direção principal", "sem limite", RangeText()},
              {"--cross", "MIN,MAX", "limites da declividade através da direção principal", "sem limite", RangeText()},
              {"--min-fall", "S", "queda mínima, em m/m, ao longo da direção principal (ou de X)", "0", NumberIn(0, 1)},
              {"--export", "E", "volume de corte levado para fora do terreno, em m³", "0", volume},
              {"--import", "I", "volume de terra solta trazida de fora, em m³", "0", volume},
              {"--import-compacted", "IC", "volume de terra já compactada trazida de fora, em m³", "0", volume},
              {"--settle", "X,P",
               "compensação de recalque: aterros mais profundos que X m elevados P % da profundidade total, depois "
               "o plano é deslocado de novo até a razão",
               "sem compensação",
               [](const std::string& option, const std::string& value) { (void)ReadSettlement(option, value); }},
              {"--slot", "K", "coluna do plano na tabela de resultados, de 2 a 10", "2", IntegerIn(2, 10)},
              ProjectOutputOption("grava o projeto com o plano calculado", false)},
         .Run = Design,
         .CheckTogether = CheckDesign},
    };
}

}  // namespace nivora::cli
