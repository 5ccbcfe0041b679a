// nivora-cli block: the block diagram of the systematized plan. Its options
// are checked here; it is drawn by the drawing helper (BlockDrawing.cpp).

#include "CliCommon.h"
#include "Commands.h"

namespace nivora::cli {

std::vector<TCommand> BlockCommands()
{
    TOption output{"-o",
                   "SAIDA",
                   "arquivo do desenho: .png, .svg ou .pdf",
                   "",
                   OutputExtension({".png", ".svg", ".pdf"}),
                   true};
    return {
        {.Name = "block",
         .Operand = "ARQUIVO",
         .Summary = "desenha o diagrama de blocos do terreno sistematizado",
         .Description = "Sistematiza o terreno como \"systematize\" e desenha o terreno em vista oblíqua, com as "
                        "alturas exageradas: a superfície natural em malha de arame sobre o projeto colorido em "
                        "cortes (vermelho) e aterros (azul). Terrenos de mais de 250 piquetes de lado são "
                        "desenhados por um a cada k piquetes. O formato vem da extensão de -o.",
         .Options = {AreaOption(),
                     RatioOption("sem ajuste: o plano de melhor ajuste"),
                     {"--exaggeration", "E", "exagero vertical, de 1 a 1000",
                      "o que ergue o relevo a um quarto da "
                      "largura",
                      NumberIn(1, 1000)},
                     output},
         .Draws = true},
    };
}

}  // namespace nivora::cli
