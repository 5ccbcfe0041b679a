// report: the field report of a systematization run. Its options are checked
// here; the pages are made in ReportDrawing.cpp, run by the drawing helper.

#include "CliCommon.h"
#include "Commands.h"

namespace nivora::cli {

std::vector<TCommand> ReportCommands()
{
    return {
        {.Name = "report",
         .Operand = "ARQUIVO",
         .Summary = "grava o relatório de campo em PDF ou CSV",
         .Description = "Sistematiza o terreno como o comando systematize e grava o relatório de campo do plano: "
                        "uma linha por piquete com cota (coluna, linha, X, Y, cota natural, cota calculada, C para "
                        "corte ou A para aterro e a profundidade), na ordem de caminhamento (linha a linha, "
                        "alternando o sentido), com o cabeçalho do plano (e nele a cota de projeto no primeiro "
                        "piquete) e os totais; num projeto georreferenciado, X e Y são as coordenadas E e N dos "
                        "piquetes no terreno. Em PDF, folhas A4 numeradas; em CSV, uma linha por piquete, campos "
                        "separados por ponto e vírgula quando o separador decimal é a vírgula. Escreve em JSON as "
                        "contagens, os volumes e a cota de projeto no primeiro piquete (FirstStake).",
         .Options =
             {AreaOption(),
              RatioOption("sem ajuste: o plano de melhor ajuste"),
              DecimalsOption(),
              LocaleOption(),
              {"-o", "SAIDA.pdf",
               "o relatório a gravar: .pdf ou .csv; - escreve o CSV na saída padrão (e o JSON na saída de erros)", "",
               OutputExtension({".pdf", ".csv"}, ".csv"), true}},
         .Draws = true},
    };
}

}  // namespace nivora::cli
