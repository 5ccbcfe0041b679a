// nivora-cli optimize: the optimised surface, the least earth moved with
// every stake-to-stake slope within its limits, into a user plan.

#include "CliCommon.h"
#include "Commands.h"
#include "Json.h"
#include "SlopeRanges.h"

#include "calc/CalcSist.h"
#include "data/NumberUtils.h"
#include "optimize/OptimizedSurface.h"

#include <cmath>
#include <iostream>

namespace nivora::cli {

namespace {

// "C,R,Z[,C,R,Z...]": stakes whose design elevation is given.
std::vector<TFixedStake> ReadFixed(const std::string& text)
{
    std::vector<long double> numbers;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        long double v = 0;
        const std::string part = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (!ParseNumber(part, v, '.'))
            throw TUsageError("--fix: \"" + part + "\" não é um número (use ponto decimal)");
        numbers.push_back(v);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    if (numbers.size() % 3 != 0)
        throw TUsageError("--fix: escreva COLUNA,LINHA,COTA para cada estaca fixada (recebido: " + text + ")");
    std::vector<TFixedStake> fixed;
    for (std::size_t i = 0; i < numbers.size(); i += 3) {
        const long double col = numbers[i], row = numbers[i + 1];
        if (col != std::floor(col) || row != std::floor(row) || col < 1 || row < 1 || col > 1000 || row > 1000)
            throw TUsageError("--fix: a coluna e a linha de uma estaca são inteiros de 1 a 1000 (recebido: " + text
                              + ")");
        fixed.push_back({std::int32_t(col), std::int32_t(row), numbers[i + 2]});
    }
    return fixed;
}

TSurfaceOptions OptionsOf(const TArgs& a)
{
    TSurfaceOptions o;
    o.Limits = ReadSlopeLimits(a);
    o.Ratio = a.Number("--ratio", 1);
    o.Balance = ReadEarthBalance(a);
    const auto optional = [&](const char* name) {
        return a.Has(name) ? std::optional<long double>(a.Number(name, 0)) : std::nullopt;
    };
    o.MaxCut = optional("--max-cut");
    o.MaxFill = optional("--max-fill");
    o.MinElevation = optional("--min-elevation");
    o.MaxElevation = optional("--max-elevation");
    if (a.Has("--fix"))
        o.Fixed = ReadFixed(a.Get("--fix"));
    o.Step = a.Integer("--step", 0);
    return o;
}

void CheckOptimize(const TArgs& a)
{
    CheckLimitAxes(a);
    if (!a.Has("--sx") && !a.Has("--sy") && !a.Has("--main") && !a.Has("--cross"))
        throw TUsageError("falta ao menos um limite de declividade: --sx, --sy, ou --main e --cross com --bearing");
    const TSurfaceOptions o = OptionsOf(a);
    if (const std::string why = CheckSlopeLimits(o.Limits); !why.empty())
        throw TUsageError(why);
    if (o.MinElevation && o.MaxElevation && *o.MinElevation > *o.MaxElevation)
        throw TUsageError("--min-elevation é maior que --max-elevation");
}

int Optimize(const TArgs& a)
{
    if (a.Has("-o"))
        CheckOutput(a.Get("-o"));
    TProject project = LoadProject(File(a));
    TTerreno& t = project.Terrain();
    const TSurfaceOptions options = OptionsOf(a);
    const std::int32_t slot = a.Integer("--slot", 2);
    // Over the whole used area, as design and the program's recalculation.
    t.UpdateUsedRect();
    t.SetSelection(t.UsedRect());
    t.RestoreLastArea();
    const TSurfaceField field = FieldOfSelection(t);
    const TSurfaceResult r = OptimizeSurface(field, options);
    switch (r.Status) {
    case TSurfaceStatus::Solved: break;
    case TSurfaceStatus::BadOptions: throw TUsageError(r.Message);
    case TSurfaceStatus::NoStakes:
    case TSurfaceStatus::Infeasible: throw TNothingToCompute(r.Message);
    default: throw std::runtime_error(r.Message);
    }
    if (!StoreOptimizedSurface(t, slot, field, options, r, '.'))
        throw TNothingToCompute(kNoElevationsMessage);
    if (a.Has("-o"))
        SaveProject(a.Get("-o"), *project.Document, project.View);

    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("AreaHa").Value(t.AreaHa().Value());
    j.Key("Slot").Value(slot);
    j.Key("Plan");
    WritePlan(j, t.Plans()[std::size_t(slot)]);
    j.Key("Step").Value(r.Step);
    j.Key("NodeCount").Value(r.NodeCount);
    j.Key("LpColumns").Value(r.LpColumns);
    j.Key("LpRows").Value(r.LpRows);
    j.Key("LpElements").Value(r.LpElements);
    j.Key("Iterations").Value(r.Iterations);
    j.Key("Seconds").Value(static_cast<long double>(r.Seconds));
    j.Key("CutVolume").Value(r.CutVolume);
    j.Key("FillVolume").Value(r.FillVolume);
    j.Key("MaxCut").Value(r.MaxCut);
    j.Key("MaxFill").Value(r.MaxFill);
    j.Key("MeanSx").Value(r.MeanSx);
    j.Key("MeanSy").Value(r.MeanSy);
    j.Key("Shift").Value(r.Shift);
    j.Key("RatioMet").Value(r.RatioMet);
    j.Key("ExportVolume").Value(options.Balance.Export);
    j.Key("ImportVolume").Value(options.Balance.Import);
    j.Key("ImportCompactedVolume").Value(options.Balance.ImportCompacted);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<TCommand> OptimizeCommands()
{
    const TCheck volume = NumberIn(0, 1e12L);
    const TCheck depth = NumberIn(0, 1e4L);
    const TCheck elevation = NumberIn(-1e6L, 1e6L);
    TOption ratio = RatioOption("");
    ratio.Required = true;
    return {
        {.Name = "optimize",
         .Operand = "ARQUIVO",
         .Summary = "calcula a superfície otimizada: o menor movimento de terra com as declividades limitadas",
         .Description =
             "Calcula a superfície de projeto que move a menor quantidade de terra mantendo a declividade entre "
             "estacas vizinhas dentro dos limites (ao longo de X e Y, ou ao longo de uma direção principal e através "
             "dela), com a razão pedida contando a terra exportada e importada. O problema é resolvido numa malha "
             "de projeto com um nó a cada K estacas (e a última linha e coluna) e interpolado a todas as estacas; "
             "um deslocamento final atinge a razão exatamente. O resultado é gravado numa coluna de plano do "
             "usuário como \"Superfície otimizada\". Escreve as figuras em JSON. Os limites são MIN,MAX em m/m com "
             "ponto decimal; um lado vazio não limita.",
         .Options =
             {ratio,
              {"--sx", "MIN,MAX", "limites da declividade ao longo de X", "sem limite", RangeText()},
              {"--sy", "MIN,MAX", "limites da declividade ao longo de Y", "sem limite", RangeText()},
              {"--bearing", "GRAUS", "direção principal, em graus a partir do eixo X no sentido do eixo Y", "",
               NumberIn(-360, 360)},
              {"--main", "MIN,MAX", "limites da declividade ao longo da direção principal", "sem limite", RangeText()},
              {"--cross", "MIN,MAX", "limites da declividade através da direção principal", "sem limite", RangeText()},
              {"--max-cut", "D", "profundidade máxima de corte, em metros", "sem limite", depth},
              {"--max-fill", "D", "altura máxima de aterro, em metros", "sem limite", depth},
              {"--min-elevation", "Z", "cota mínima do projeto, em metros", "sem limite", elevation},
              {"--max-elevation", "Z", "cota máxima do projeto, em metros", "sem limite", elevation},
              {"--fix", "C,L,Z[,...]", "estacas de cota fixada (coluna, linha, cota), como uma saída ou comporta",
               "nenhuma", NumberList(300)},
              {"--export", "E", "volume de corte levado para fora do terreno, em m³", "0", volume},
              {"--import", "I", "volume de terra solta trazida de fora, em m³", "0", volume},
              {"--import-compacted", "IC", "volume de terra já compactada trazida de fora, em m³", "0", volume},
              {"--step", "K", "um nó da malha de projeto a cada K estacas",
               "o que mantém a malha em cerca de "
               "40 000 nós",
               IntegerIn(1, 1000)},
              {"--slot", "S", "coluna do plano na tabela de resultados, de 2 a 10", "2", IntegerIn(2, 10)},
              ProjectOutputOption("grava o projeto com a superfície calculada", false)},
         .Run = Optimize,
         .CheckTogether = CheckOptimize},
    };
}

}  // namespace nivora::cli
