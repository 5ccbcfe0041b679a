// The altimetric map commands: contours (the assembled contour lines as JSON)
// and contour-map (the map picture as SVG, PNG or PDF).

#include "CliCommon.h"
#include "contour/AltimetricMap.h"
#include "contour/ContourLevels.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>

namespace nivora::cli {

namespace {

// The map screen's resolution the picture is sized for.
constexpr int kPpi = 96;

// The levels as the map dialog would hand them over: --levels in the order
// given, or the equidistant levels its second dialog proposes, in the order
// of its sorted list.
TContourRequest Request(const TArgs& a, TTerreno& t)
{
    TContourRequest request;
    request.TakeLimits(t.MapLimits());
    if (a.Has("--levels") == a.Has("--equidistant"))
        throw TUsageError("informe --levels A,B,... ou --equidistant");
    std::vector<std::string> list;
    if (a.Has("--equidistant")) {
        AddEquidistantLevels(list, DefaultEquidistant(request.MinElevation, request.MaxElevation), '.');
    } else {
        const std::string text = a.Get("--levels");
        for (std::size_t start = 0;;) {
            const std::size_t comma = text.find(',', start);
            list.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            Number(list.back(), "--levels");
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (list.size() > std::size_t(kMaxContourLevels))
            throw TUsageError("no máximo 20 curvas de nível");
    }
    SetRequestLevels(request, list, '.');
    return request;
}

// Loads the file and takes the map area: --area, or the used rectangle as a
// document without a selection has it.
TLoadedProject LoadMapArea(const TArgs& a)
{
    TLoadedProject project = LoadProjectFile(File(a));
    TTerreno& t = *project.Terrain;
    t.Selection = a.Has("--area") ? Area(a.Get("--area")) : t.ComputeUsedRect();
    const TUsedRect area = t.GetSelection();
    for (std::int32_t r = std::max(area.FirstRow, 1); r <= std::min(area.LastRow, t.RowCount); ++r)
        for (std::int32_t c = std::max(area.FirstCol, 1); c <= std::min(area.LastCol, t.ColCount); ++c)
            if (t.GetCell(c, r) != 0.0f)
                return project;
    throw TNothingToCompute("Não há cotas na área do mapa.");
}

void WritePoints(TJson& j, const std::vector<TPoint>& points)
{
    j.BeginArray();
    for (const TPoint& p : points)
        j.BeginArray().Value(p.X).Value(p.Y).EndArray();
    j.EndArray();
}

int Contours(const TArgs& a)
{
    TLoadedProject project = LoadMapArea(a);
    TTerreno& t = *project.Terrain;
    const TContourRequest request = Request(a, t);
    const TUsedRect area = t.GetSelection();
    const TMapGeometry g = MapGeometry(t, area);

    TCurvas curves;
    TraceLevels(curves, t, area, request.LevelList(), g.Transform());
    TJson j;
    j.BeginObject();
    j.Key("W").Value(g.W);
    j.Key("H").Value(g.H);
    j.Key("Curves").BeginArray();
    for (std::size_t k = 0; k < curves.Count(); ++k) {
        TCurva& curve = *curves.Curve(std::ptrdiff_t(k));
        Assemble(curve);
        std::vector<TPoint> labels;
        j.BeginObject().Key("Level").Value(curve.Level.Value());
        j.Key("Lines").BeginArray();
        for (std::size_t i = 0; i < curve.Count(); ++i) {
            WritePoints(j, curve.Line(i).PointList());
            labels.push_back(LabelAnchor(curve.Line(i)));
        }
        j.EndArray();
        j.Key("Labels");
        WritePoints(j, labels);
        j.EndObject();
    }
    j.EndArray();
    j.Key("Outline");
    WritePoints(j, OutlinePoints(t, area, g));
    j.EndObject();
    std::cout << j.Str() << "\n";
    return 0;
}

// Text needs the platform's fonts: a GUI application on the offscreen
// platform unless another is asked for. It lives for the command only, and
// its notice about a missing runtime folder is of no interest here.
std::unique_ptr<QGuiApplication> NeedGuiApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")) && previous)
                previous(type, context, text);
        });
    static int argc = 1;
    static char name[] = "nivora-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

void Render(QPainter& painter, const TAltimetricMap& map, QSizeF size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawMapPicture(painter, map, QRectF(QPointF(0, 0), size));
}

int ContourMap(const TArgs& a)
{
    if (!a.Has("-o"))
        throw TUsageError("contour-map precisa de -o ARQUIVO.svg|.png|.pdf");
    const std::string out = a.Get("-o");
    std::string ext = std::filesystem::path(out).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != ".svg" && ext != ".png" && ext != ".pdf")
        throw TUsageError("-o: a extensão deve ser .svg, .png ou .pdf");
    const std::int32_t zoom = a.Has("--zoom") ? Integer(a.Get("--zoom"), "--zoom") : 100;
    if (zoom < 25 || zoom > 400)
        throw TUsageError("--zoom vai de 25 a 400");

    const auto app = NeedGuiApplication();
    TLoadedProject project = LoadMapArea(a);
    TTerreno& t = *project.Terrain;
    const TContourRequest request = Request(a, t);
    const TAltimetricMap map = BuildAltimetricMap(t, request, {kPpi, LocaleSeparator(a)});
    const QSize scaled = ScaledSize(map.DisplaySize(), zoom);
    const QString file = QString::fromStdString(out);

    bool ok = true;
    if (ext == ".svg") {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(scaled);
        svg.setViewBox(QRect(0, 0, map.Geometry.W, map.Geometry.H));
        svg.setResolution(kPpi);
        svg.setTitle(QStringLiteral("Mapa Altimétrico"));
        QPainter painter(&svg);
        ok = painter.isActive();
        Render(painter, map, QSizeF(map.Geometry.W, map.Geometry.H));
    } else if (ext == ".png") {
        QImage image(scaled, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            Render(painter, map, scaled);
        }
        ok = image.save(file, "PNG");
    } else {
        QPdfWriter pdf(file);
        pdf.setTitle(QStringLiteral("Mapa Altimétrico"));
        pdf.setResolution(kPpi);
        pdf.setPageSize(QPageSize(QSizeF(map.PhysicalSize.width() / 100.0, map.PhysicalSize.height() / 100.0),
                                  QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        ok = painter.isActive();
        Render(painter, map, QSizeF(pdf.width(), pdf.height()));
    }
    if (!ok)
        throw std::runtime_error("Não foi possível gravar " + out);
    return 0;
}

const TRegister contours("contours", "ARQUIVO (--levels A,B,... | --equidistant) [--area C1,R1,C2,R2]", Contours);
const TRegister contourMap("contour-map",
                           "ARQUIVO (--levels A,B,... | --equidistant) [--area C1,R1,C2,R2] [--zoom Z] "
                           "[--locale NOME] -o SAIDA.svg|.png|.pdf",
                           ContourMap);

}  // namespace

}  // namespace nivora::cli
