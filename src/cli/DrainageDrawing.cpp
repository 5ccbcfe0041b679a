// nivora-cli drainage -o: the JSON, then the drainage map as the program
// draws it, written whole.

#include "DrainageCommands.h"
#include "Drawing.h"
#include "PrintOutput.h"

#include "calc/DrainageMap.h"
#include "contour/CrsCaption.h"
#include "print/DrainagePages.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QSvgGenerator>

#include <iostream>

namespace nivora::cli {

int DrainageMap(const TArgs& a)
{
    const std::string out = a.Get("-o");
    const std::string ext = LowerExtension(out);
    CheckOutput(out);
    const auto app = NeedGuiApplication();
    TDrained d = RunDrainage(a);

    TDrainageMap map;
    map.Result = d.Result;
    map.Surface = d.Surface;
    map.Lx = d.Grid.Lx;
    map.Ly = d.Grid.Ly;
    map.Fall = d.Fall;
    if (d.UserOutlets)
        for (std::int32_t r = d.Grid.Area.FirstRow; r <= d.Grid.Area.LastRow; ++r)
            for (std::int32_t c = d.Grid.Area.FirstCol; c <= d.Grid.Area.LastCol; ++c)
                if (d.Result.Direction[d.Result.Index(c, r)] != kNoStake && d.Outlets[d.Result.Index(c, r)])
                    map.UserOutlets.emplace_back(c, r);
    map.Georeference = d.Project.Terrain().Extension().Georeference;
    map.CrsName = CrsCaption(map.Georeference);
    const char sep = LocaleSeparator(a);

    QByteArray bytes;
    if (ext == ".pdf") {
        const auto page = DrainageDocument(map, PrintHeading(a));
        bytes = PdfBytes(*page, out);
    } else if (ext == ".svg") {
        const QSize size = DrainageLayout(map).Size;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Mapa de Escoamento"));
        QPainter painter(&svg);
        if (!painter.isActive())
            throw std::runtime_error("Não foi possível desenhar o mapa em SVG.");
        DrawDrainageMap(painter, map, sep);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!DrainageImage(map, sep).save(&buffer, "PNG"))
            throw TOutputError("Não foi possível gravar o arquivo " + out + ": o formato PNG não está disponível.");
    }
    WriteOutput(out, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    WriteDrainageJson(std::cout, d);
    return kExitOk;
}

}  // namespace nivora::cli
