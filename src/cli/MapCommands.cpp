// The map commands: cutfill-map, contours and contour-map. Their options are
// checked here, and contours, which draws nothing, runs here; what the others
// draw is in MapDrawing.cpp, run by the drawing helper.

#include "MapCommands.h"

#include "Commands.h"
#include "calc/CalcSist.h"
#include "calc/DesignTerrain.h"
#include "contour/MapGeometry.h"

#include <iostream>

namespace nivora::cli {

TProject LoadMapArea(const TArgs& a)
{
    const std::string& path = File(a);
    TProject project = LoadProject(path);
    TTerreno& t = project.Terrain();
    t.SetSelection(AreaIn(a, t));
    const TUsedRect area = t.GetSelection();
    for (std::int32_t r = std::max(area.FirstRow, 1); r <= std::min(area.LastRow, t.RowCount()); ++r)
        for (std::int32_t c = std::max(area.FirstCol, 1); c <= std::min(area.LastCol, t.ColCount()); ++c)
            if (t.GetCell(c, r) != 0.0f)
                return project;
    throw TNothingToCompute(a.Has("--area") ? "Não há cotas na área do mapa."
                                            : "O arquivo " + path + " não tem cotas.");
}

TContourRequest Request(const TArgs& a, TTerreno& t)
{
    TContourRequest request;
    request.TakeLimits(t.MapLimits());
    std::vector<std::string> list;
    if (a.Has("--equidistant")) {
        AddEquidistantLevels(list, DefaultEquidistant(request.MinElevation, request.MaxElevation), '.');
    } else {
        const std::string text = a.Get("--levels");
        for (std::size_t start = 0;;) {
            const std::size_t comma = text.find(',', start);
            list.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    SetRequestLevels(request, list, '.');
    return request;
}

TTerreno& MapSurface(const TArgs& a, TProject& project, std::optional<TTerreno>& design)
{
    TTerreno& t = project.Terrain();
    if (a.Get("--surface", "natural") != "design")
        return t;
    if (!Systematize(t, a.Has("--area"), a.Number("--ratio", -1)).Computed)
        throw TNothingToCompute(kNoElevationsMessage);
    design = DesignTerrain(t);
    if (!design)
        throw TNothingToCompute(kNoElevationsMessage);
    return *design;
}

namespace {

void WritePoints(TJson& j, const std::vector<TPoint>& points)
{
    j.BeginArray();
    for (const TPoint& p : points)
        j.BeginArray().Value(p.X).Value(p.Y).EndArray();
    j.EndArray();
}

int Contours(const TArgs& a)
{
    TProject project = LoadMapArea(a);
    std::optional<TTerreno> design;
    TTerreno& t = MapSurface(a, project, design);
    const TContourRequest request = Request(a, t);
    const TUsedRect area = t.GetSelection();
    const TMapGeometry g = MapGeometry(t, area);

    TCurvas curves;
    TraceLevels(curves, t, area, request.LevelList(), g.Transform());
    TJson j;
    j.BeginObject();
    j.Key("W").Value(g.W);
    j.Key("H").Value(g.H);
    j.Key("Curves").BeginArray();
    for (std::size_t k = 0; k < curves.Count(); ++k) {
        TCurva& curve = *curves.Curve(std::ptrdiff_t(k));
        Assemble(curve);
        std::vector<TPoint> labels;
        j.BeginObject().Key("Level").Value(curve.Level.Value());
        j.Key("Lines").BeginArray();
        for (std::size_t i = 0; i < curve.Count(); ++i) {
            WritePoints(j, curve.Line(i).PointList());
            labels.push_back(LabelAnchor(curve.Line(i)));
        }
        j.EndArray();
        j.Key("Labels");
        WritePoints(j, labels);
        j.EndObject();
    }
    j.EndArray();
    // Outline: the frame maps have always drawn; Outlines: every frame, that
    // one first, then one round each part of the field it does not enclose.
    const std::vector<std::vector<TPoint>> frames = OutlinesPoints(t, area, g);
    j.Key("Outline");
    WritePoints(j, frames.empty() ? std::vector<TPoint>() : frames.front());
    j.Key("Outlines").BeginArray();
    for (const std::vector<TPoint>& frame : frames)
        WritePoints(j, frame);
    j.EndArray();
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

// --levels and --equidistant: exactly one of them.
void OneLevelChoice(const TArgs& a)
{
    if (a.Has("--levels") == a.Has("--equidistant"))
        throw TUsageError(a.Has("--levels") ? "--levels e --equidistant: use só uma das duas"
                                            : "falta a opção --levels A,B,... ou --equidistant");
    if (a.Has("--ratio") && a.Get("--surface") != "design")
        throw TUsageError("--ratio ajusta o projeto: use-o com --surface design");
}

std::vector<TOption> LevelOptions()
{
    return {{"--levels", "A,B,...",
             "cotas das curvas de nível, em metros, separadas por vírgula, com ponto decimal (até 20)", "",
             NumberList(kMaxContourLevels)},
            {"--equidistant", "", "as curvas equidistantes que a caixa do programa propõe", "", {}}};
}

}  // namespace

std::vector<TCommand> MapCommands()
{
    std::vector<TOption> contours = LevelOptions();
    contours.push_back(AreaOption());
    contours.push_back({"--surface", "natural|design",
                        "a superfície das curvas: o terreno natural, ou o projeto (o plano da sistematização da "
                        "área, como o comando systematize o calcula)",
                        "natural", OneOf({"natural", "design"})});
    contours.push_back(RatioOption("sem ajuste: o plano de melhor ajuste (só com --surface design)"));
    std::vector<TOption> map = contours;
    map.push_back({"--zoom", "Z", "ampliação da imagem, em %, de 25 a 400", "100", IntegerIn(25, 400)});
    map.push_back(LocaleOption());
    map.push_back({"-o", "SAIDA.svg",
                   "o mapa a gravar: .svg, .png, .jpg, .jpeg ou .pdf; - escreve o SVG na saída padrão", "",
                   OutputExtension({".svg", ".png", ".jpg", ".jpeg", ".pdf"}, ".svg"), true});
    return {
        {.Name = "cutfill-map",
         .Operand = "ARQUIVO",
         .Summary = "desenha o mapa de cortes e aterros",
         .Description = "Sistematiza o terreno como o comando systematize e grava o mapa colorido de cortes "
                        "(vermelho) e aterros (azul), um bloco de pixels por piquete, no formato dado pela extensão "
                        "de -o; em PDF, uma folha A4 com a legenda das profundidades e os números do plano. "
                        "Escreve em JSON o tamanho da imagem e os extremos.",
         .Options = {AreaOption(),
                     RatioOption("sem ajuste: o plano de melhor ajuste"),
                     LocaleOption(),
                     {"-o", "SAIDA.png",
                      "a imagem a gravar: .png, .jpg, .jpeg ou .bmp; ou .pdf, a página com a legenda e o plano", "",
                      OutputExtension({".png", ".jpg", ".jpeg", ".bmp", ".pdf"}), true}},
         .Draws = true},
        {.Name = "contours",
         .Operand = "ARQUIVO",
         .Summary = "traça as curvas de nível e escreve-as em JSON",
         .Description = "Traça as curvas de nível pedidas pelas cotas naturais da área e escreve em JSON as linhas "
                        "montadas, em unidades do mapa (10000 no lado maior), a posição dos rótulos e o contorno da "
                        "área levantada (Outline); em Outlines, esse contorno e um contorno a mais para cada parte "
                        "do terreno que ele não cerca.",
         .Options = contours,
         .Run = Contours,
         .UsageOverride =
             "(--levels A,B,... | --equidistant) [--area C1,R1,C2,R2] [--surface natural|design] [--ratio R]",
         .CheckTogether = OneLevelChoice},
        {.Name = "contour-map",
         .Operand = "ARQUIVO",
         .Summary = "desenha o mapa altimétrico",
         .Description = "Desenha o mapa altimétrico da área, com título, escalas, contorno da área levantada e as "
                        "curvas de nível rotuladas, como a janela do mapa do programa, e grava-o no formato dado "
                        "pela extensão de -o.",
         .Options = map,
         .Draws = true,
         .UsageOverride = "(--levels A,B,... | --equidistant) [--area C1,R1,C2,R2] [--surface natural|design] "
                          "[--ratio R] [--zoom Z] [--locale NOME] -o SAIDA.svg",
         .CheckTogether = OneLevelChoice},
    };
}

}  // namespace nivora::cli
