// The commands on the grid and the plans: info, import, grid, winsurf,
// systematize, plan.

#include "CliCommon.h"
#include "Commands.h"
#include "calc/CalcSist.h"
#include "data/NumberFormat.h"
#include "grid/GridText.h"
#include "grid/TextImport.h"
#include "grid/WinSurfText.h"

#include <filesystem>
#include <fstream>
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
    TProject project = LoadProject(File(a));
    TTerreno& t = project.Terrain();
    const TViewState& v = project.View;
    TJson j;
    j.BeginObject();
    j.Key("ColCount").Value(t.ColCount());
    j.Key("RowCount").Value(t.RowCount());
    j.Key("Lx").Value(t.Lx().Value());
    j.Key("Ly").Value(t.Ly().Value());
    j.Key("FileSize").Value(static_cast<std::int64_t>(std::filesystem::file_size(File(a))));
    j.Key("ValueCount").Value(t.ValueCount());
    j.Key("Minimum");
    WritePoint(j, t.Minimum());
    j.Key("Maximum");
    WritePoint(j, t.Maximum());
    j.Key("UsedRect");
    WriteRect(j, t.UsedRect());
    j.Key("ExtremesValid").Value(t.ExtremesValid());
    j.Key("ResultsValid").Value(t.ResultsValid());
    j.Key("Modified").Value(t.Modified());
    j.Key("PlaneComputed").Value(t.PlaneComputed());
    j.Key("OriginX").Value(t.OriginX().Value());
    j.Key("OriginY").Value(t.OriginY().Value());
    j.Key("CellArea").Value(t.CellArea().Value());
    j.Key("CurrentPlan").Value(t.CurrentPlan());
    j.Key("KeepPlans").Value(t.KeepPlans());
    j.Key("Plans").BeginArray();
    for (const TPlano& p : t.Plans())
        WritePlan(j, p);
    j.EndArray();
    j.Key("View").BeginObject();
    j.Key("Col").Value(v.Col).Key("Row").Value(v.Row).Key("LeftCol").Value(v.LeftCol).Key("TopRow").Value(v.TopRow);
    j.Key("Selection").BeginArray().Value(v.SelLeft).Value(v.SelTop).Value(v.SelRight).Value(v.SelBottom).EndArray();
    j.EndObject();
    j.Key("Georeference");
    WriteGeoreference(j, t.Extension().Georeference);
    j.Key("Extension")
        .Value(project.ExtensionState == TExtensionState::None   ? "none"
               : project.ExtensionState == TExtensionState::Read ? "read"
                                                                 : "damaged");
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

TTextLayout ImportLayout(const TArgs& a)
{
    TTextLayout layout = kDetectLayout;
    const std::string separator = a.Get("--separator", "auto");
    layout.Separator = separator == "tab"                             ? '\t'
                       : separator == "semicolon" || separator == ";" ? ';'
                       : separator == "comma" || separator == ","     ? ','
                                                                      : 0;
    const std::string decimal = a.Get("--decimal", "auto");
    layout.DecimalMark = decimal == "point" || decimal == "." ? '.' : decimal == "comma" || decimal == "," ? ',' : 0;
    const std::string header = a.Get("--header", "auto");
    layout.Header = header == "skip"   ? TTextLayout::hSkip
                    : header == "none" ? TTextLayout::hNone
                                       : TTextLayout::hDetect;
    return layout;
}

std::string SeparatorName(char c) { return c == ';' ? "semicolon" : c == ',' ? "comma" : "tab"; }

int Import(const TArgs& a)
{
    const std::string& textPath = File(a);
    const std::string out = a.Get("-o");
    const long double lx = a.Number("--lx", 0);
    const long double ly = a.Number("--ly", lx);
    const std::int32_t nx = a.Integer("--nx", 1);
    const std::int32_t ny = a.Integer("--ny", 1);
    if (a.Get("--separator") == "comma" || a.Get("--separator") == ",")
        if (a.Get("--decimal") == "comma" || a.Get("--decimal") == ",")
            throw TUsageError("--decimal: a vírgula não pode ser a marca decimal com --separator comma");
    // "-" is standard input, as other tools read it.
    const bool standardInput = textPath == "-";
    if (!standardInput)
        CheckInput(textPath);
    CheckOutput(out);

    TDocument document(std::make_unique<TTerreno>(20, 20, static_cast<float>(lx), static_cast<float>(ly)));
    TTerreno& t = document.Terrain();
    t.SetOrigin(OriginForStake(nx, static_cast<float>(lx)), OriginForStake(ny, static_cast<float>(ly)));
    std::ifstream file;
    if (!standardInput) {
        file.open(textPath, std::ios::binary);
        if (!file)
            throw TInputError("Não foi possível abrir o arquivo " + textPath + ".");
    }
    std::istream& in = standardInput ? std::cin : file;
    const TTextReadResult r = ReadElevationText(t, in, 1, 1, ImportLayout(a), '.');
    if (in.bad())
        throw TInputError("Erro de leitura no arquivo " + textPath + ".");
    if (r.Elevations == 0)
        throw TInputError("O arquivo " + textPath + " não contém nenhuma cota legível; nada foi gravado.");
    // More fields that are not numbers than elevations: the text is most
    // likely read with the wrong separator or decimal mark.
    if (r.Unreadable > r.Elevations)
        throw TInputError("O arquivo " + textPath + " tem " + std::to_string(r.Unreadable)
                          + " campos que não são números e só " + std::to_string(r.Elevations)
                          + " cotas; confira --separator e --decimal. Nada foi gravado.");
    SaveProject(out, document, TViewState{});
    // Unreadable fields left their stakes without elevation, as a paste
    // does; the project is written and the loss is told.
    if (r.Unreadable == 1)
        std::cerr << "nivora-cli: aviso: 1 campo de " << textPath << " não é um número e ficou sem cota.\n";
    else if (r.Unreadable > 1)
        std::cerr << "nivora-cli: aviso: " << r.Unreadable << " campos de " << textPath
                  << " não são números e ficaram sem cota.\n";
    if (r.Outside == 1)
        std::cerr << "nivora-cli: aviso: 1 campo ficou fora da grade (além da coluna ou da linha 1000) e foi "
                     "ignorado.\n";
    else if (r.Outside > 1)
        std::cerr << "nivora-cli: aviso: " << r.Outside
                  << " campos ficaram fora da grade (além da coluna ou da linha 1000) e foram ignorados.\n";

    TJson j;
    j.BeginObject().Key("ColCount").Value(t.ColCount()).Key("RowCount").Value(t.RowCount());
    j.Key("ValueCount").Value(t.ValueCount()).Key("UsedRect");
    WriteRect(j, t.UsedRect());
    j.Key("Separator").Value(SeparatorName(r.Layout.Separator));
    j.Key("DecimalMark");
    if (r.Layout.DecimalMark)
        j.Value(std::string(1, r.Layout.DecimalMark));
    else
        j.Null();
    j.Key("HeaderSkipped").Value(r.HeaderSkipped);
    j.Key("Lines").Value(r.Lines).Key("Fields").Value(r.Fields).Key("Elevations").Value(r.Elevations);
    j.Key("Unreadable").Value(r.Unreadable).Key("Outside").Value(r.Outside);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

int Grid(const TArgs& a)
{
    const std::string& path = File(a);
    TProject project = LoadProject(path);
    TTerreno& t = project.Terrain();
    const std::string viewName = a.Get("--view", "natural");
    const TGridView view = viewName == "design" ? gvDesign : viewName == "cutfill" ? gvCutFill : gvNatural;
    const TUsedRect used = t.ComputeUsedRect();
    if (used.IsEmpty())
        throw TNothingToCompute("O arquivo " + path + " não tem cotas.");
    // A file keeps its plans but not the area of the run that made them: the
    // computed views cover the used area of a file whose results are current.
    if (view != gvNatural) {
        if (!t.ResultsValid())
            throw TNothingToCompute("O arquivo " + path + " não tem resultados válidos de sistematização; grave-os"
                                    " com nivora-cli systematize " + path + " -o SAIDA.NVR.");
        t.RestoreLastArea();
    }
    const int decimals = a.Integer("--decimals", 3);
    std::cout << (a.Has("--coordinates") ? CopyTextWithCoordinates(t, view, decimals, used, LocaleSeparator(a))
                                         : CopyText(t, view, decimals, used, LocaleSeparator(a)));
    return kExitOk;
}

int WinSurfCommand(const TArgs& a)
{
    const std::string& path = File(a);
    TProject project = LoadProject(path);
    const std::string text = WinSurfListing(project.Terrain(), a.Integer("--decimals", 3), LocaleSeparator(a));
    if (text.empty())
        throw TNothingToCompute("O arquivo " + path + " não tem cotas.");
    std::cout << text << "\r\n";
    return kExitOk;
}

void WriteRun(TJson& j, TTerreno& t, const TSystematizeResult& r)
{
    const TPlano& p = t.Plans()[0];
    const long double area = t.AreaHa();
    const long double undefined = std::numeric_limits<long double>::quiet_NaN();
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("AreaHa").Value(area);
    j.Key("CellArea").Value(t.CellArea().Value());
    j.Key("ValueCount").Value(p.CutCount + p.FillCount);
    j.Key("Plan");
    WritePlan(j, p);
    j.Key("CutVolumePerHa").Value(area > 0 ? p.CutVolume / area : undefined);
    j.Key("FillVolumePerHa").Value(area > 0 ? p.FillVolume / area : undefined);
    j.Key("Steps").Value(r.Adjust.Steps);
    j.Key("Converged").Value(r.Adjust.Steps == 0 || r.Adjust.Converged);
    j.Key("CurrentPlan").Value(t.CurrentPlan());
    j.EndObject();
}

int SystematizeCommand(const TArgs& a)
{
    if (a.Has("-o"))
        CheckOutput(a.Get("-o"));
    TSystematized run = LoadAndSystematize(a);
    TTerreno& t = run.Project.Terrain();
    if (a.Has("-o"))
        SaveProject(a.Get("-o"), *run.Project.Document, run.Project.View);
    TJson j;
    WriteRun(j, t, run.Result);
    std::cout << j.Str() << "\n";
    return kExitOk;
}

int Plan(const TArgs& a)
{
    if (a.Has("-o"))
        CheckOutput(a.Get("-o"));
    TProject project = LoadProject(File(a));
    TTerreno& t = project.Terrain();
    const std::int32_t slot = a.Integer("--slot", 2);
    // The texts as the results window would hold them; a comma typed as the
    // decimal separator is kept as the point the file's texts are read with.
    const auto text = [&](const std::string& option) {
        std::string s = a.Get(option);
        if (s.find('.') == std::string::npos)
            for (char& c : s)
                if (c == ',')
                    c = '.';
        return s;
    };
    t.SetPlanText(slot, &TPlano::SxText, text("--sx"));
    t.SetPlanText(slot, &TPlano::SyText, text("--sy"));
    t.SetPlanText(slot, &TPlano::RatioText, text("--ratio"));
    if (!ParsePlanInputs(t, slot, '.'))
        throw TUsageError("--sx, --sy, --ratio: até 18 caracteres cada");
    // The recalculation works on the whole used area with current results,
    // as after a systematization in the program.
    t.UpdateUsedRect();
    t.SetSelection(t.UsedRect());
    t.RestoreLastArea();
    // Stale results are computed again by the recalculation itself, with
    // the ratio of the run that made them.
    const TSystematizeResult r = RecalculatePlan(t, slot);
    if (!r.Computed)
        throw TNothingToCompute(kNoElevationsMessage);
    if (a.Has("-o"))
        SaveProject(a.Get("-o"), *project.Document, project.View);
    TJson j;
    WriteRun(j, t, r);
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<TCommand> ProjectCommands()
{
    return {
        {.Name = "info",
         .Operand = "ARQUIVO",
         .Summary = "mostra o conteúdo de um projeto em JSON",
         .Description = "Lê o projeto (.NVR) e escreve em JSON, com os nomes de campo do programa, o cabeçalho, as "
                        "cotas (quantidade, mínima, máxima, retângulo usado), o terreno com os 11 planos e o estado "
                        "da grade.",
         .Run = Info},
        {.Name = "import",
         .Operand = "TEXTO",
         .Summary = "cria um projeto a partir de um texto de cotas",
         .Description = "Cria um projeto novo com as cotas de um arquivo de texto (o que uma planilha ou um programa "
                        "de topografia grava): uma linha da grade por linha do texto, a partir do piquete (1,1), "
                        "campos separados por tabulação, ponto e vírgula ou vírgula, com vírgula ou ponto decimal e "
                        "uma linha de títulos opcional; campo vazio é piquete sem cota. A origem vem de --nx e --ny "
                        "como na caixa \"Novo\". Campos que não são números ficam sem cota e são contados num aviso; "
                        "um texto sem nenhuma cota, ou com mais campos ilegíveis que cotas, é recusado e nada é "
                        "gravado. Com TEXTO igual a -, lê o texto da entrada padrão.",
         .Options =
             {{"--lx", "A", "distância entre piquetes ao longo de X, em metros", "", Spacing(), true},
              {"--ly", "B", "distância entre piquetes ao longo de Y, em metros", "a de --lx", Spacing()},
              {"--nx", "N", "número do piquete da origem ao longo de X, de -1000 a 1000", "1", IntegerIn(-1000, 1000)},
              {"--ny", "M", "número do piquete da origem ao longo de Y, de -1000 a 1000", "1", IntegerIn(-1000, 1000)},
              {"--separator", "SEP", "separador dos campos: auto, tab, semicolon (;) ou comma (,)",
               "auto: o que as primeiras linhas mostram", OneOf({"auto", "tab", "semicolon", ";", "comma", ","})},
              {"--decimal", "MARCA", "marca decimal: auto, point (.) ou comma (,)", "auto: ponto e vírgula",
               OneOf({"auto", "point", ".", "comma", ","})},
              {"--header", "TITULO", "linha de títulos: auto, skip (a primeira linha é pulada) ou none",
               "auto: pulada quando nenhum campo dela é número", OneOf({"auto", "skip", "none"})},
              ProjectOutputOption("o projeto a criar", true)},
         .Run = Import},
        {.Name = "grid",
         .Operand = "ARQUIVO",
         .Summary = "escreve a grade como texto separado por tabulações",
         .Description = "Escreve o retângulo usado da grade como a cópia do programa o daria: linhas terminadas em "
                        "CR LF, piquetes separados por tabulações, campo vazio onde não há cota. As vistas design e "
                        "cutfill precisam de um projeto gravado com resultados de sistematização.",
         .Options = {{"--view", "VISTA",
                      "natural (Cotas Naturais), design (Cotas Calculadas) ou cutfill (Cortes e Aterros)", "natural",
                      OneOf({"natural", "design", "cutfill"})},
                     {"--coordinates", "",
                      "antecede as linhas com a linha das coordenadas X dos piquetes e cada "
                      "linha com a sua coordenada Y, como os cabeçalhos da grade (E e N de um projeto "
                      "georreferenciado)"},
                     DecimalsOption(),
                     LocaleOption()},
         .Run = Grid},
        {.Name = "winsurf",
         .Operand = "ARQUIVO",
         .Summary = "escreve a listagem X Y Z para o WinSurf",
         .Description = "Escreve uma linha por piquete com cota: X, Y e Z separados por tabulações, como a janela "
                        "\"Cotas Legíveis pelo WinSurf\". Num projeto georreferenciado, X e Y são as coordenadas E "
                        "e N de cada piquete no terreno, com as casas decimais que o milímetro pedir.",
         .Options = {DecimalsOption(), LocaleOption()},
         .Run = WinSurfCommand},
        {.Name = "systematize",
         .Operand = "ARQUIVO",
         .Summary = "sistematiza o terreno e escreve o plano em JSON",
         .Description = "Calcula o plano de melhor ajuste por mínimos quadrados, as cotas de projeto, os cortes e "
                        "aterros e seus volumes, como \"Sistematizar...\" (F9); com --ratio desloca o plano até a "
                        "razão corte/aterro pedida. Escreve em JSON o plano de trabalho, a área, os volumes por "
                        "hectare e os passos do ajuste.",
         .Options = {AreaOption(), RatioOption("sem ajuste: o plano de melhor ajuste"),
                     ProjectOutputOption("grava o projeto com os planos calculados", false)},
         .Run = SystematizeCommand},
        {.Name = "plan",
         .Operand = "ARQUIVO",
         .Summary = "calcula um plano do usuário a partir de declividades e razão",
         .Description = "Calcula um plano com as declividades e a razão dadas, como \"Recalcular\" na janela de "
                        "resultados, sobre toda a área com cotas, e escreve-o em JSON.",
         .Options = {{"--sx", "A", "declividade ao longo de X, em m/m", "", IsNumber(), true},
                     {"--sy", "B", "declividade ao longo de Y, em m/m", "", IsNumber(), true},
                     {"--ratio", "R", "razão entre os volumes de corte e de aterro, de 0,01 a 100", "",
                      NumberIn(kMinRatio, kMaxRatio), true},
                     {"--slot", "K", "coluna do plano na tabela de resultados, de 2 a 10", "2", IntegerIn(2, 10)},
                     ProjectOutputOption("grava o projeto com o plano calculado", false)},
         .Run = Plan},
    };
}

}  // namespace nivora::cli
