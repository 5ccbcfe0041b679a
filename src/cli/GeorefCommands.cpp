// georef: sets or clears where a project's stakes are on the ground.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"

namespace nivora::cli {

namespace {

// Either --clear, or --epsg with --corner.
void SetOrClear(const TArgs& a)
{
    if (a.Has("--clear")) {
        if (a.Has("--epsg") || a.Has("--corner") || a.Has("--rows"))
            throw TUsageError("--clear não vai com --epsg, --corner ou --rows");
        return;
    }
    if (!a.Has("--epsg") || !a.Has("--corner"))
        throw TUsageError("faltam --epsg CODIGO e --corner E,N (ou --clear)");
}

}  // namespace

std::vector<TCommand> GeorefCommands()
{
    return {
        {.Name = "georef",
         .Operand = "ARQUIVO",
         .Summary = "define ou apaga o sistema de coordenadas e a posição do projeto",
         .Description =
             "Define o sistema de coordenadas (código EPSG de um sistema projetado em metros, por exemplo 31982 "
             "para SIRGAS 2000 / UTM zona 22S) e as coordenadas E e N do piquete (1,1), ou apaga-os com --clear, "
             "e grava o projeto em -o. As colunas seguem para leste; as linhas, para o sul (a linha 1 é a do "
             "norte) ou para o norte com --rows north. Escreve em JSON a georreferência gravada.",
         .Options = {{"--epsg", "CODIGO", "código EPSG do sistema de coordenadas", "", IntegerIn(1, 999999)},
                     {"--corner", "E,N", "coordenadas do piquete (1,1), em metros, com ponto decimal", "",
                      MetrePairText("E,N")},
                     {"--rows", "DIR", "south (a linha 1 é a do norte) ou north", "south", OneOf({"south", "north"})},
                     {"--clear", "", "apaga a georreferência"},
                     ProjectOutputOption("o projeto a gravar", true)},
#ifdef NIVORA_CLI_POINTS_IN_HELPER
         // The coordinate systems' database comes with the projection library,
         // which runs in the helper (see points).
         .Draws = true,
#else
         .Run = Georef,
#endif
         .UsageOverride = "(--epsg CODIGO --corner E,N [--rows south|north] | --clear) -o SAIDA.NVR",
         .CheckTogether = SetOrClear},
    };
}

}  // namespace nivora::cli
