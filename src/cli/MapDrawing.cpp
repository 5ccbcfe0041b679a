// What the map commands draw: the cut-and-fill bitmap and the altimetric map
// picture. Every picture is made in memory and written whole, so that a
// failure leaves no half-written file.

#include "Drawing.h"
#include "MapCommands.h"
#include "PrintOutput.h"
#include "calc/CalcSist.h"
#include "calc/CutFillMap.h"
#include "contour/AltimetricMap.h"
#include "contour/CrsCaption.h"
#include "print/CutFillPages.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <iostream>
#include <memory>
#include <stdexcept>

namespace nivora::cli {

namespace {

// The map screen's resolution the picture is sized for.
constexpr int kPpi = 96;

// The image format Qt writes for an extension that passed the option's check.
const char* ImageFormat(const std::string& ext)
{
    if (ext == ".jpg" || ext == ".jpeg")
        return "JPEG";
    if (ext == ".bmp")
        return "BMP";
    return "PNG";
}

void WriteBytes(const std::string& path, const QByteArray& bytes)
{
    WriteOutput(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
}

QByteArray Encode(const QImage& image, const std::string& ext, const std::string& path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, ImageFormat(ext), ext == ".jpg" || ext == ".jpeg" ? 95 : -1))
        throw TOutputError("Não foi possível gravar o arquivo " + path + ": o formato " + ImageFormat(ext)
                           + " não está disponível.");
    return bytes;
}

void Render(QPainter& painter, const TAltimetricMap& map, QSizeF size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawMapPicture(painter, map, QRectF(QPointF(0, 0), size));
}

}  // namespace

// Text needs the platform's fonts: a GUI application on the offscreen
// platform unless another is asked for. It lives for the command only, and
// its notice about a missing runtime folder is of no interest here.
std::unique_ptr<QGuiApplication> NeedGuiApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) && previous)
                previous(type, context, text);
        });
    static int argc = 1;
    static char name[] = "nivora-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int CutFillMap(const TArgs& a)
{
    const std::string out = a.Get("-o");
    CheckOutput(out);
    TSystematized run = LoadAndSystematize(a);
    TTerreno& t = run.Project.Terrain();
    TCutFillMap map = BuildCutFillMap(t, nullptr);
    map.CrsName = CrsCaption(map.Georeference);
    if (LowerExtension(out) == ".pdf") {
        // The page the program prints: the map, its legend and the plan.
        const auto app = NeedGuiApplication();
        const auto page = CutFillDocument(map, 3, PrintHeading(a));
        WriteBytes(out, PdfBytes(*page, out));
    } else {
        WriteBytes(out, Encode(map.Bitmap, LowerExtension(out), out));
    }

    TJson j;
    j.BeginObject();
    j.Key("Width").Value(map.Bitmap.width());
    j.Key("Height").Value(map.Bitmap.height());
    j.Key("CellWidth").Value(map.CellWidth);
    j.Key("CellHeight").Value(map.CellHeight);
    j.Key("LastArea");
    WriteRect(j, map.Area);
    j.Key("MaxCut").Value(t.Plans()[0].MaxCut.Value());
    j.Key("MaxFill").Value(t.Plans()[0].MaxFill.Value());
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

int ContourMap(const TArgs& a)
{
    const std::string out = a.Get("-o");
    const std::string ext = out == "-" ? ".svg" : LowerExtension(out);
    const std::int32_t zoom = a.Integer("--zoom", 100);
    CheckOutput(out);

    const auto app = NeedGuiApplication();
    TProject project = LoadMapArea(a);
    std::optional<TTerreno> design;
    TTerreno& t = MapSurface(a, project, design);
    const TContourRequest request = Request(a, t);
    const TAltimetricMap map =
        BuildAltimetricMap(t, request,
                           {kPpi, LocaleSeparator(a), CrsCaption(t.Extension().Georeference), design.has_value()});
    const QSize scaled = ScaledSize(map.DisplaySize(), zoom);

    QByteArray bytes;
    if (ext == ".svg") {
        QBuffer buffer(&bytes);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(scaled);
        svg.setViewBox(QRect(0, 0, map.Geometry.W, map.Geometry.H));
        svg.setResolution(kPpi);
        svg.setTitle(map.Design ? QStringLiteral("Mapa Altimétrico do Projeto") : QStringLiteral("Mapa Altimétrico"));
        QPainter painter(&svg);
        if (!painter.isActive())
            throw std::runtime_error("Não foi possível desenhar o mapa em SVG.");
        Render(painter, map, QSizeF(map.Geometry.W, map.Geometry.H));
    } else if (ext == ".pdf") {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setTitle(map.Design ? QStringLiteral("Mapa Altimétrico do Projeto") : QStringLiteral("Mapa Altimétrico"));
        pdf.setResolution(kPpi);
        pdf.setPageSize(QPageSize(QSizeF(map.PhysicalSize.width() / 100.0, map.PhysicalSize.height() / 100.0),
                                  QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        if (!painter.isActive())
            throw std::runtime_error("Não foi possível desenhar o mapa em PDF.");
        Render(painter, map, QSizeF(pdf.width(), pdf.height()));
    } else {
        QImage image(scaled, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            Render(painter, map, scaled);
        }
        bytes = Encode(image, ext, out);
    }
    WriteBytes(out, bytes);
    return kExitOk;
}

}  // namespace nivora::cli
