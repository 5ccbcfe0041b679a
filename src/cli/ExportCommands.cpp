// export: the design and the ground for other programs. Its options are
// checked here; it runs where GDAL and the coordinate systems' database are
// linked (ExportRun.cpp), in the helper as points and georef do.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"
#include "contour/ContourLevels.h"

namespace nivora::cli {

namespace {

const std::vector<std::string>& ExportContentWords()
{
    static const std::vector<std::string> words = {"natural", "design", "cutfill", "contours", "outline"};
    return words;
}

TCheck ContentList()
{
    return [](const std::string& option, const std::string& value) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = value.find(',', start);
            const std::string word =
                value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            bool known = false;
            for (const std::string& w : ExportContentWords())
                known = known || w == word;
            if (!known)
                throw TUsageError(option + ": conteúdo desconhecido: \"" + word
                                  + "\" (natural, design, cutfill, contours, outline)");
            if (comma == std::string::npos)
                return;
            start = comma + 1;
        }
    };
}

void CheckOptions(const TArgs& a)
{
    if ((a.Has("--corner") || a.Has("--rows")) && !a.Has("--epsg"))
        throw TUsageError("--corner e --rows vão com --epsg CODIGO");
    if (a.Has("--levels") && a.Has("--equidistant"))
        throw TUsageError("--levels e --equidistant: use só uma das duas");
}

}  // namespace

std::vector<TCommand> ExportCommands()
{
    return {
        {.Name = "export",
         .Operand = "ARQUIVO",
         .Summary = "exporta o terreno e o projeto (LandXML, GeoTIFF, GeoPackage, DXF, ASCII Grid)",
         .Description =
             "Grava o terreno natural, a superfície de projeto do plano de trabalho, os cortes e aterros, as curvas "
             "de nível e o contorno da área no formato dado pela extensão de -o: .xml (LandXML 1.2, superfícies "
             "\"Natural\" e \"Projeto\" em triângulos), .tif (GeoTIFF de três bandas: natural, projeto e "
             "corte/aterro), .gpkg (GeoPackage com as camadas piquetes, curvas e contorno), .dxf (DXF R12 com as "
             "camadas NATURAL, PROJETO, CORTE_ATERRO, CURVAS e CONTORNO) ou .asc (ESRI ASCII Grid do projeto, só "
             "com Lx igual a Ly). Sem --ratio usa o plano gravado no projeto; com --ratio sistematiza antes, como o "
             "comando report. As coordenadas são as E e N reais dos piquetes num projeto georreferenciado, com o "
             "código EPSG (e um .prj ao lado do .dxf e do .asc); num projeto sem georreferência, as coordenadas "
             "locais, com um aviso, salvo se --epsg e --corner a derem. Escreve em JSON os arquivos gravados e as "
             "contagens.",
         .Options = {RatioOption("sem ajuste: o plano gravado no projeto"),
                     {"--epsg", "CODIGO", "código EPSG do sistema de coordenadas, no lugar do gravado no projeto", "",
                      IntegerIn(1, 999999)},
                     {"--corner", "E,N", "coordenadas do piquete (1,1), em metros, com ponto decimal (com --epsg)",
                      "as do projeto", MetrePairText("E,N")},
                     {"--rows", "DIR", "south (a linha 1 é a do norte) ou north (com --corner)", "south",
                      OneOf({"south", "north"})},
                     {"--levels", "A,B,...", "cotas das curvas de nível, em metros, com ponto decimal (até 20)",
                      "as equidistantes que o programa propõe", NumberList(kMaxContourLevels)},
                     {"--equidistant", "", "as curvas equidistantes que a caixa do programa propõe", "", {}},
                     {"--content", "LISTA",
                      "o que gravar, separado por vírgula: natural, design, cutfill, contours, outline", "tudo",
                      ContentList()},
                     {"-o", "SAIDA.xml", "o arquivo a gravar: .xml, .tif, .tiff, .gpkg, .dxf ou .asc", "",
                      OutputExtension({".xml", ".tif", ".tiff", ".gpkg", ".dxf", ".asc"}), true}},
#ifdef NIVORA_CLI_POINTS_IN_HELPER
         // GDAL and the coordinate systems' database load as slowly as Qt.
         .Draws = true,
#else
         .Run = Export,
#endif
         .CheckTogether = CheckOptions},
    };
}

}  // namespace nivora::cli
