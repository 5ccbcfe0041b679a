// The altimetric map window on the map of a 1000 x 1000 field with 20 levels:
//   scroll     one step of 8 pixels down (the arrow key), repainted, at
//              zooms over the zoom box's range, in a client area of half the
//              scaled map, at most 1024 x 700;
//   scroll while drawing
//              the same step just after a change of zoom, before the map
//              drawn at the new zoom has arrived from the window's thread;
//   open       the map built and its window shown and painted, beside the
//              batch front end's work for the same map: built and written as
//              SVG (the file left out of both);
//   draw       the whole map drawn at a zoom, which the window does on a
//              thread of its own after opening and after a change of zoom.
// Run with QT_QPA_PLATFORM=offscreen. The figures to read are the CPU times
// (the paint runs on the one thread): on a loaded machine the wall clock
// mostly measures the wait for a processor.

#include "BenchGrids.h"
#include "contour/uShowCurvas.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QScrollBar>
#include <QSvgGenerator>
#include <QThread>

#include <ctime>

using namespace nivora;

namespace {

void Settle() { QApplication::processEvents(); }

double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

TTerreno& Field()
{
    static auto t = bench::RaggedField(20.0f);
    return *t;
}

TContourRequest Request()
{
    TContourRequest request;
    std::vector<std::string> list;
    for (const long double v : bench::Levels(Field()))
        list.push_back(std::to_string(double(v)));
    SetRequestLevels(request, list, '.');
    return request;
}

const TAltimetricMap& Map()
{
    static const TAltimetricMap map = BuildAltimetricMap(Field(), Request());
    return map;
}

// What nivora-cli contour-map does after loading the file: the map built and
// drawn into an SVG generator.
double BatchSeconds()
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double t0 = ThreadSeconds();
        const TAltimetricMap map = BuildAltimetricMap(Field(), Request());
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(map.DisplaySize());
        svg.setViewBox(QRect(0, 0, map.Geometry.W, map.Geometry.H));
        svg.setResolution(96);
        {
            QPainter painter(&svg);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            DrawMapPicture(painter, map, QRectF(0, 0, map.Geometry.W, map.Geometry.H));
        }
        benchmark::DoNotOptimize(out.data().size());
        best = std::min(best, ThreadSeconds() - t0);
    }
    return best;
}

void BM_ScrollStep(benchmark::State& state)
{
    auto* w = new TShowCurvas(Map(), int(state.range(0)));
    auto* view = static_cast<QAbstractScrollArea*>(w->widget());
    const QSize client(std::min(1024, w->ScaledSize().width() / 2), std::min(700, w->ScaledSize().height() / 2));
    w->show();
    w->resize(client + (w->size() - view->viewport()->size()));
    w->UpdateScrollRanges();
    Settle();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum() / 3);
    // Once the map at the zoom is drawn.
    for (int i = 0; i < 2000 && !w->MapRendered(); ++i) {
        Settle();
        QThread::msleep(5);
    }
    Settle();
    const int replays = w->Replays();
    for (auto _ : state) {
        if (bar->value() + 8 > bar->maximum())
            bar->setValue(0);
        w->ScrollBy(TScrollStep::None(), TScrollStep::By(8));
        Settle();
    }
    state.counters["replays"] = w->Replays() - replays;
    state.counters["client_w"] = view->viewport()->width();
    state.counters["client_h"] = view->viewport()->height();
    delete w;
}
BENCHMARK(BM_ScrollStep)->Arg(25)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

// A scroll step while the map at the zoom is still being drawn: the zoom
// set and the client area painted whole (the picture replayed) outside the
// timing, then one step with only the paint requests delivered, so the
// drawing, which comes through the event loop, cannot arrive in between.
void BM_ScrollStepWhileDrawing(benchmark::State& state)
{
    const int zoom = int(state.range(0));
    const int other = zoom == 400 ? 200 : 400;
    auto* w = new TShowCurvas(Map(), zoom);
    auto* view = static_cast<QAbstractScrollArea*>(w->widget());
    const QSize client(std::min(1024, w->ScaledSize().width() / 2), std::min(700, w->ScaledSize().height() / 2));
    w->show();
    w->resize(client + (w->size() - view->viewport()->size()));
    Settle();
    QScrollBar* bar = view->verticalScrollBar();
    int replays = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w->ShowZoom(other);
        w->ShowZoom(zoom);
        bar->setValue(bar->maximum() / 3);
        view->viewport()->repaint();
        const int before = w->Replays();
        state.ResumeTiming();
        w->ScrollBy(TScrollStep::None(), TScrollStep::By(8));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        replays += w->Replays() - before;
    }
    state.counters["replays"] = replays;
    state.counters["drawn"] = w->MapRendered();
    state.counters["client_h"] = view->viewport()->height();
    delete w;
    Settle();
}
BENCHMARK(BM_ScrollStepWhileDrawing)->Arg(25)->Arg(100)->Arg(400)->Iterations(20)->Unit(benchmark::kMillisecond);

// Opening: the map built for the screen and its window shown and painted.
void BM_OpenMap(benchmark::State& state)
{
    const TContourRequest request = Request();
    double seconds = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        TShowCurvas* w = CreateMapWindow(nullptr, BuildAltimetricMap(Field(), request));
        Settle();
        seconds += ThreadSeconds() - t0;
        state.PauseTiming();
        delete w;
        Settle();
        state.ResumeTiming();
    }
    const double batch = BatchSeconds();
    state.counters["open_cpu_ms"] = seconds / double(state.iterations()) * 1000.0;
    state.counters["batch_cpu_ms"] = batch * 1000.0;
    state.counters["x_batch"] = seconds / double(state.iterations()) / batch;
}
BENCHMARK(BM_OpenMap)->Unit(benchmark::kMillisecond)->Iterations(5);

// Drawing the whole map at a zoom, as the window does on its drawing thread
// after opening and after each change of zoom.
void BM_DrawMapAtZoom(benchmark::State& state)
{
    const QSize size = ScaledSize(Map().DisplaySize(), int(state.range(0)));
    for (auto _ : state) {
        QImage image(size, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawMapPicture(p, Map(), QRectF(0, 0, size.width(), size.height()));
    }
    state.counters["MiB"] = double(size.width()) * size.height() / 1048576.0;
}
BENCHMARK(BM_DrawMapAtZoom)->Arg(50)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
