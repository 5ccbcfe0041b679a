// nivora-cli block, in the drawing helper.

#include "CliCommon.h"
#include "Drawing.h"
#include "Json.h"

#include "calc/BlockDiagram.h"
#include "calc/CalcSist.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace nivora::cli {

std::unique_ptr<QGuiApplication> NeedGuiApplication();

int Block(const TArgs& a)
{
    const std::string out = a.Get("-o");
    const std::string ext = LowerExtension(out);
    CheckOutput(out);
    const auto app = NeedGuiApplication();
    TSystematized run = LoadAndSystematize(a);
    const TTerreno& t = run.Project.Terrain();
    const TBlockOptions options{static_cast<double>(a.Number("--exaggeration", 0))};
    const QSize size(kBlockWidth, kBlockHeight);
    double exaggeration = 0;
    const auto draw = [&](QPainter& painter, QSizeF target) {
        if (!painter.isActive())
            throw std::runtime_error("Não foi possível desenhar o diagrama de blocos.");
        painter.setRenderHint(QPainter::Antialiasing);
        if (!DrawBlockDiagram(painter, target, t, t.LastArea(), options, &exaggeration))
            throw TNothingToCompute(kNoElevationsMessage);
    };

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (ext == ".svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Diagrama de Blocos"));
        QPainter painter(&svg);
        draw(painter, size);
    } else if (ext == ".pdf") {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("Diagrama de Blocos"));
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size.width() * 25.4 / 96, size.height() * 25.4 / 96), QPageSize::Millimeter,
                                  QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        draw(painter, QSizeF(pdf.width(), pdf.height()));
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            draw(painter, size);
        }
        if (!image.save(&buffer, "PNG"))
            throw TOutputError("Não foi possível gravar o arquivo " + out + ".");
    }
    buffer.close();
    WriteOutput(out, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));

    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, t.LastArea());
    j.Key("Exaggeration").Value(static_cast<long double>(exaggeration));
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace nivora::cli
