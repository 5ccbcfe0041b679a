// nivora-cli haul: how far the earth of the systematized plan travels, and
// what moving it costs.

#include "CliCommon.h"
#include "Commands.h"
#include "Json.h"

#include "calc/CalcSist.h"
#include "calc/Haul.h"

#include <iostream>

namespace nivora::cli {

namespace {

void WriteList(TJson& j, const std::vector<long double>& values)
{
    j.BeginArray();
    for (long double v : values)
        j.Value(v);
    j.EndArray();
}

int Haul(const TArgs& a)
{
    TSystematized run = LoadAndSystematize(a);
    TTerreno& t = run.Project.Terrain();
    const THaulSolver solver =
        a.Get("--solver", "network-simplex") == "cost-scaling" ? THaulSolver::CostScaling : THaulSolver::NetworkSimplex;
    const THaulResult h = ComputeHaul(t, t.LastArea(), solver);
    if (!h.Computed)
        throw TNothingToCompute(kNoElevationsMessage);
    const long double volumePrice = a.Number("--price-volume", 0);
    const long double haulPrice = a.Number("--price-haul", 0);
    const THaulCost cost = HaulCost(h, volumePrice, haulPrice);

    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("Plan");
    WritePlan(j, t.Plans()[0]);
    j.Key("CutVolume").Value(h.CutVolume);
    j.Key("FillVolume").Value(h.FillVolume);
    j.Key("Ratio").Value(h.Ratio);
    j.Key("HaulMoment").Value(h.Moment);
    j.Key("MeanHaul").Value(h.MeanHaul);
    j.Key("MassX");
    WriteList(j, h.MassX);
    j.Key("MassY");
    WriteList(j, h.MassY);
    j.Key("PriceVolume").Value(volumePrice);
    j.Key("PriceHaul").Value(haulPrice);
    j.Key("VolumeCost").Value(cost.Volume);
    j.Key("HaulCost").Value(cost.Haul);
    j.Key("TotalCost").Value(cost.Total);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<TCommand> HaulCommands()
{
    const TCheck price = NumberIn(0, 1e9L);
    return {
        {.Name = "haul",
         .Operand = "ARQUIVO",
         .Summary = "calcula a distância média de transporte da terra e o seu custo",
         .Description = "Sistematiza o terreno como \"systematize\" e calcula o transporte de menor momento do "
                        "corte até o aterro, com distâncias medidas ao longo de X e de Y (cada aterro recebe o seu "
                        "volume vezes a razão corte/aterro do plano): o momento de transporte em m³·m, a distância "
                        "média de transporte, as curvas de massa ao longo de X e de Y (o saldo de corte antes de "
                        "cada linha entre piquetes) e o custo pelos preços dados. Escreve tudo em JSON.",
         .Options = {AreaOption(),
                     RatioOption("sem ajuste: o plano de melhor ajuste"),
                     {"--price-volume", "P", "preço da escavação, em R$/m³", "0", price},
                     {"--price-haul", "P", "preço do transporte, em R$/m³·km", "0", price},
                     {"--solver", "NOME", "algoritmo do fluxo de custo mínimo: network-simplex ou cost-scaling",
                      "network-simplex", OneOf({"network-simplex", "cost-scaling"})}},
         .Run = Haul},
    };
}

}  // namespace nivora::cli
