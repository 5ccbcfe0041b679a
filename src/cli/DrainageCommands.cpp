// nivora-cli drainage: where water stands on the natural surface or on the
// design, and where it runs. The JSON is written here; with -o the command
// runs in the drawing helper, which draws the map too (DrainageDrawing.cpp).

#include "DrainageCommands.h"

#include "Commands.h"
#include "Json.h"

#include "calc/CalcSist.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

namespace nivora::cli {

namespace {

// The lists in the JSON stop here; their counts are whole.
constexpr std::size_t kMostPonds = 100;
constexpr std::size_t kMostLowFall = 1000;

std::string ReadOutletFile(const std::string& path)
{
    CheckInput(path);
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file && !file.eof())
        throw TInputError("Erro de leitura no arquivo " + path + ".");
    return text.str();
}

// The JSON writer takes extended reals; a double converts exactly.
long double Metres(double v) { return v; }

void WriteStake(TJson& j, std::int32_t col, std::int32_t row) { j.BeginArray().Value(col).Value(row).EndArray(); }

int Drainage(const TArgs& a)
{
    WriteDrainageJson(std::cout, RunDrainage(a));
    return kExitOk;
}

}  // namespace

TDrained RunDrainage(const TArgs& a)
{
    TDrained d;
    d.Project = LoadProject(File(a));
    TTerreno& t = d.Project.Terrain();
    d.Surface = a.Get("--surface", "natural") == "design" ? TDrainSurface::Design : TDrainSurface::Natural;
    TUsedRect area = AreaIn(a, t);
    if (d.Surface == TDrainSurface::Design) {
        // The plan the file holds; a file without one gets the plane F9 would
        // give it.
        t.RestoreLastArea();
        if (DrainageArea(t, d.Surface).IsEmpty()) {
            if (!Systematize(t, false, -1).Computed)
                throw TNothingToCompute(kNoElevationsMessage);
            d.Systematized = true;
        }
        const TUsedRect last = DrainageArea(t, d.Surface);
        area = {std::max(area.FirstCol, last.FirstCol), std::max(area.FirstRow, last.FirstRow),
                std::min(area.LastCol, last.LastCol), std::min(area.LastRow, last.LastRow)};
    }
    d.Grid = DrainageSurface(t, d.Surface, area);
    if (std::none_of(d.Grid.Z.begin(), d.Grid.Z.end(), [](double z) { return z == z; }))
        throw TNothingToCompute(a.Has("--area") ? "Não há cotas na área pedida."
                                                : "O arquivo " + File(a) + " não tem cotas.");

    const std::string outlets = a.Get("--outlets", "border");
    std::vector<std::uint8_t>& mask = d.Outlets;
    if (outlets == "border") {
        mask = BorderOutlets(d.Grid);
    } else {
        const TOutletList list = ParseOutlets(ReadOutletFile(outlets), d.Grid);
        if (!list.Error.empty())
            throw TInputError(outlets + ": " + list.Error + ".");
        mask = OutletMask(d.Grid, list);
        d.UserOutlets = true;
    }
    d.Result = ComputeDrainage(d.Grid, mask);
    if (d.Surface == TDrainSurface::Design)
        d.Fall = CheckMinimumFall(d.Grid, double(a.Number("--min-fall", 0.001L)));
    return d;
}

void WriteDrainageJson(std::ostream& out, const TDrained& d)
{
    const TDrainage& r = d.Result;
    TJson j;
    j.BeginObject();
    j.Key("Surface").Value(d.Surface == TDrainSurface::Design ? "design" : "natural");
    j.Key("Systematized").Value(d.Systematized);
    j.Key("Area");
    WriteRect(j, r.Area);
    j.Key("CellArea").Value(Metres(r.CellArea));
    j.Key("StakeCount").Value(r.StakeCount);
    j.Key("Outlets").Value(d.UserOutlets ? "file" : "border");
    j.Key("OutletCount").Value(r.OutletCount);
    j.Key("UndrainedCount").Value(r.UndrainedCount);
    j.Key("WetCount").Value(r.WetCount);
    j.Key("WetArea").Value(Metres(r.WetArea));
    j.Key("WetAreaHa").Value(Metres(r.WetArea / 10000));
    j.Key("PondedVolume").Value(Metres(r.Volume));
    j.Key("Deepest");
    if (r.WetCount == 0)
        j.Null();
    else
        j.BeginObject()
            .Key("Col")
            .Value(r.DeepestCol)
            .Key("Row")
            .Value(r.DeepestRow)
            .Key("Depth")
            .Value(Metres(r.MaxDepth))
            .EndObject();
    j.Key("MaxAccumulation").Value(std::int64_t(r.MaxAccumulation));
    j.Key("MaxAccumulationArea").Value(Metres(double(r.MaxAccumulation) * r.CellArea));
    j.Key("PondCount").Value(std::int64_t(r.Ponds.size()));
    j.Key("Ponds").BeginArray();
    for (std::size_t k = 0; k < std::min(r.Ponds.size(), kMostPonds); ++k) {
        const TPond& p = r.Ponds[k];
        j.BeginObject();
        j.Key("SpillLevel").Value(Metres(p.Level));
        j.Key("Count").Value(p.Count);
        j.Key("Area").Value(Metres(p.Area));
        j.Key("Volume").Value(Metres(p.Volume));
        j.Key("MaxDepth").Value(Metres(p.MaxDepth));
        j.Key("Deepest");
        WriteStake(j, p.DeepestCol, p.DeepestRow);
        j.Key("Spill");
        WriteStake(j, p.SpillCol, p.SpillRow);
        j.EndObject();
    }
    j.EndArray();
    if (d.Fall) {
        const TFallCheck& f = *d.Fall;
        j.Key("LowFall").BeginObject();
        j.Key("MinFall").Value(Metres(f.MinFall));
        j.Key("Direction");
        if (f.DirX == 0 && f.DirY == 0)
            j.Null();
        else
            j.BeginArray().Value(Metres(f.DirX)).Value(Metres(f.DirY)).EndArray();
        j.Key("Checked").Value(f.Checked);
        j.Key("Count").Value(std::int64_t(f.Stakes.size()));
        j.Key("Stakes").BeginArray();
        for (std::size_t k = 0; k < std::min(f.Stakes.size(), kMostLowFall); ++k)
            j.BeginArray().Value(f.Stakes[k].Col).Value(f.Stakes[k].Row).Value(Metres(f.Stakes[k].Fall)).EndArray();
        j.EndArray();
        j.EndObject();
    }
    j.EndObject();
    out << j.Str() << "\n";
}

std::vector<TCommand> DrainageCommands()
{
    return {
        {.Name = "drainage",
         .Operand = "ARQUIVO",
         .Summary = "mostra onde a água empoça e por onde escoa",
         .Description = "Enche as depressões do terreno natural ou do plano atual a partir das saídas de água (os "
                        "piquetes da borda do terreno, ou os de um arquivo), até a cota em que transbordam, e escreve "
                        "em JSON a área alagável, o volume empoçado, os piquetes alagados, o mais fundo e cada poça "
                        "com sua cota de transbordo; com o plano, também os piquetes em que ele cai menos que a queda "
                        "mínima na sua direção principal. Com -o, desenha o mapa de escoamento: lâmina d'água, "
                        "direções do escoamento e área de contribuição. O arquivo de saídas tem a coluna e a linha de "
                        "um piquete por linha.",
         .Options = {{"--surface", "natural|design", "a superfície: o terreno natural ou o plano atual (design)",
                      "natural", OneOf({"natural", "design"})},
                     {"--outlets",
                      "border|ARQUIVO",
                      "as saídas de água: os piquetes da borda, ou os piquetes listados no arquivo",
                      "border",
                      {}},
                     AreaOption(),
                     {"--min-fall", "S", "queda mínima do plano, em m/m, na sua direção principal", "0.001",
                      NumberIn(0, 1)},
                     LocaleOption(),
                     {"-o", "MAPA.png", "desenha também o mapa de escoamento: .png, .svg, ou .pdf (a página impressa)",
                      "", OutputExtension({".png", ".svg", ".pdf"})}},
         .Run = Drainage,
         .DrawsWith = "-o"},
    };
}

}  // namespace nivora::cli
