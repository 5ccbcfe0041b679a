// points: a grid project from a file of scattered survey points, as
// "Importar Pontos..." makes it with what it detects and proposes.

#include "CliCommon.h"
#include "Commands.h"
#include "data/NumberUtils.h"
#include "survey/PointImport.h"

#include <cmath>
#include <iostream>

namespace nivora::cli {

namespace {

// "X,Y" in metres, with a decimal point (the comma parts them).
bool ReadOrigin(const std::string& text, double& x, double& y)
{
    const auto comma = text.find(',');
    long double a = 0, b = 0;
    if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), a, '.') ||
        !ParseNumber(text.substr(comma + 1), b, '.'))
        return false;
    x = double(a), y = double(b);
    return std::isfinite(x) && std::isfinite(y);
}

TCheck OriginText()
{
    return [](const std::string& option, const std::string& value) {
        double x, y;
        if (!ReadOrigin(value, x, y))
            throw TUsageError(option + ": espera X,Y em metros, com ponto decimal (recebido: \"" + value + "\")");
    };
}

int Points(const TArgs& a)
{
    const std::string& path = File(a);
    const std::string out = a.Get("-o");
    TGridParams p;
    p.Lx = double(a.Number("--lx", 0));
    p.Ly = double(a.Number("--ly", p.Lx));
    p.Method = a.Get("--method", "tin") == "nearest" ? TGridMethod::Nearest : TGridMethod::Triangulation;
    const double spacing = std::max(p.Lx, p.Ly);
    p.MaxDistance = double(a.Number("--max-dist", 1.5 * spacing));
    p.MaxEdge = double(a.Number("--max-edge", 4 * spacing));
    CheckInput(path);
    CheckOutput(out);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const TFileError& e) {
        throw TInputError(e.what());
    }
    const std::string text(bytes.begin(), bytes.end());
    const TPointFormat format = DetectPointFormat(text);
    const TPreparedPoints prepared = PreparePoints(text, format, ReadPoints(text, format).LooksGeographic);
    // What was read and refused goes to stderr, as the dialog's summary shows it.
    std::cerr << ReadingSummary(prepared);
    if (!prepared.Triangulation)
        throw TInputError(prepared.Problem);
    if (a.Has("--origin"))
        ReadOrigin(a.Get("--origin"), p.OriginX, p.OriginY);
    else
        SnapOrigin(*prepared.Triangulation, p);
    TGriddedPoints grid;
    try {
        grid = GridPoints(*prepared.Triangulation, p, '.');
    } catch (const TPointError& e) {
        throw TNothingToCompute(e.what());
    }
    if (grid.ValueCount == 0)
        throw TNothingToCompute("Nenhum piquete da grade fica perto dos pontos: aumente a distância máxima.");
    const auto terrain = MakeTerrain(grid, p);
    SaveProject(out, *terrain, TViewState{});

    const TPointSet& s = prepared.Set;
    TJson j;
    j.BeginObject();
    j.Key("Points").Value(static_cast<std::int64_t>(s.Points.size()));
    j.Key("DataLines").Value(s.DataLines);
    j.Key("Refused").Value(s.RefusedCount);
    j.Key("Repeated").Value(s.RepeatedCount);
    j.Key("Conflicts").Value(s.ConflictCount);
    j.Key("Projected").Value(prepared.Projected);
    j.Key("UtmZone");
    if (prepared.Projected)
        j.Value(prepared.Zone.Zone);
    else
        j.Null();
    j.Key("South").Value(prepared.Projected && prepared.Zone.South);
    j.Key("ColCount").Value(grid.Cols);
    j.Key("RowCount").Value(grid.Rows);
    j.Key("Lx").Value(terrain->Lx.Value());
    j.Key("Ly").Value(terrain->Ly.Value());
    j.Key("OriginX").Value(terrain->OriginX.Value());
    j.Key("OriginY").Value(terrain->OriginY.Value());
    j.Key("ValueCount").Value(static_cast<std::int64_t>(terrain->ValueCount));
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace

std::vector<TCommand> PointsCommands()
{
    return {
        {.Name = "points",
         .Operand = "PONTOS",
         .Summary = "cria um projeto a partir de pontos levantados (GNSS, estação total)",
         .Description =
             "Cria um projeto novo a partir de um arquivo de pontos esparsos (nome, E, N, Z, código), como "
             "\"Importar Pontos...\": reconhece as colunas, o separador e o separador decimal, projeta em UTM os "
             "pontos em latitude e longitude, e dá a cada piquete a cota da triangulação (interpolação linear) ou "
             "do ponto mais próximo. Piquetes fora da área levantada ficam sem cota. Escreve em JSON o que foi "
             "lido e a grade; as linhas recusadas e os pontos repetidos vão para a saída de erros.",
         .Options = {{"--lx", "A", "distância entre piquetes ao longo de X (leste), em metros", "", Positive(), true},
                     {"--ly", "B", "distância entre piquetes ao longo de Y (norte), em metros", "a de --lx",
                      Positive()},
                     {"--method", "M", "tin (triangulação) ou nearest (ponto mais próximo)", "tin",
                      OneOf({"tin", "nearest"})},
                     {"--max-dist", "D", "distância máxima de um piquete ao ponto mais próximo, em metros",
                      "1,5 vez o espaçamento", Positive()},
                     {"--max-edge", "E", "lado máximo de um triângulo que dá cota, em metros; 0 sem limite",
                      "4 vezes o espaçamento", NumberIn(0, 1e30L)},
                     {"--origin", "X,Y", "coordenadas do piquete (1,1), em metros",
                      "o canto sudoeste dos pontos, arredondado ao espaçamento", OriginText()},
                     ProjectOutputOption("o projeto a criar", true)},
         .Run = Points},
    };
}

}  // namespace nivora::cli
