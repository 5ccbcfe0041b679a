// points: a grid project from a file of scattered survey points, as
// "Importar Pontos..." makes it with what it detects and proposes.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"
#include "data/NumberUtils.h"

#include <cmath>
#include <iostream>

namespace nivora::cli {

// "X,Y" in metres, with a decimal point (the comma parts them).
bool ReadOrigin(const std::string& text, double& x, double& y)
{
    const auto comma = text.find(',');
    long double a = 0, b = 0;
    if (comma == std::string::npos || !ParseNumber(text.substr(0, comma), a, '.')
        || !ParseNumber(text.substr(comma + 1), b, '.'))
        return false;
    x = double(a), y = double(b);
    return std::isfinite(x) && std::isfinite(y);
}

TCheck MetrePairText(const std::string& names)
{
    return [names](const std::string& option, const std::string& value) {
        double x, y;
        if (!ReadOrigin(value, x, y))
            throw TUsageError(option + ": espera " + names + " em metros, com ponto decimal (recebido: \"" + value
                              + "\")");
    };
}

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
             "do ponto mais próximo. Piquetes fora da área levantada ficam sem cota; os limites seguem o espaçamento "
             "dos "
             "pontos, não o da grade, e a saída de erros diz quantos piquetes dentro da área ficam sem cota e por "
             "quê. A grade fica com o norte "
             "para cima: a linha 1 é a do norte e o piquete (1,1) o do canto noroeste, na origem local 0, 0; o "
             "projeto guarda o sistema de coordenadas (--epsg) e as coordenadas E e N desse piquete "
             "(georreferência). Escreve em JSON o que foi "
             "lido e a grade; as linhas recusadas e os pontos repetidos vão para a saída de erros. Recusa as "
             "linhas de mais de 65536 caracteres e os números que um projeto não guarda. Com PONTOS igual a -, "
             "lê os pontos da entrada padrão. Num arquivo em graus sem cabeçalho, em que latitude e longitude "
             "caberiam em qualquer ordem, vale a ordem que põe os pontos no Brasil, ou, se as duas ou nenhuma o "
             "fazem, a que dá o levantamento mais compacto; o fuso UTM é o da longitude média dos pontos. Com "
             "--epsg, os pontos em graus são projetados no sistema indicado.",
         .Options =
             {{"--lx", "A", "distância entre piquetes ao longo de X (leste), em metros", "", Spacing(), true},
              {"--ly", "B", "distância entre piquetes ao longo de Y (norte), em metros", "a de --lx", Spacing()},
              {"--method", "M", "tin (triangulação) ou nearest (ponto mais próximo)", "tin", OneOf({"tin", "nearest"})},
              {"--max-dist", "D", "distância máxima de um piquete ao ponto mais próximo, em metros",
               "0,6 vez o lado máximo", Positive()},
              {"--max-edge", "E", "lado máximo de um triângulo que dá cota, em metros; 0 sem limite",
               "3 vezes o espaçamento dos pontos (a mediana do maior lado de cada triângulo)", NumberIn(0, 1e30L)},
              {"--origin", "X,Y", "coordenadas E e N do piquete do canto sudoeste da grade, que a alinha, em metros",
               "o canto sudoeste dos pontos, arredondado ao espaçamento", MetrePairText("X,Y")},
              {"--columns", "LISTA",
               "as colunas do arquivo, na ordem, separadas por vírgulas: name, e, n, z, code, lon, lat, "
               "ou - (ou skip) para uma coluna ignorada; por exemplo name,e,n,z,code ou name,lat,lon,z",
               "reconhecidas pelo cabeçalho ou pelo conteúdo"},
              {"--degrees", "", "as coordenadas são longitude e latitude em graus"},
              {"--metres", "", "as coordenadas são E e N em metros"},
              {"--epsg", "CODIGO", "código EPSG do sistema de coordenadas dos pontos (projetado, em metros)",
               "o do fuso UTM dos pontos em graus (SIRGAS 2000 no Brasil), para o qual são projetados; 0 "
               "(não informado) para pontos em metros",
               IntegerIn(1, 999999)},
              ProjectOutputOption("o projeto a criar", true)},
#ifdef NIVORA_CLI_POINTS_IN_HELPER
         // PROJ and its libraries take longer to load than most commands take
         // to run: the command runs in the helper, as the drawing ones do.
         .Draws = true,
#else
         .Run = Points,
#endif
         .CheckTogether =
             [](const TArgs& a) {
                 if (a.Has("--degrees") && a.Has("--metres"))
                     throw TUsageError("--degrees não vai com --metres");
             }},
    };
}

}  // namespace nivora::cli
