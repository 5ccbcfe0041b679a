// Painting one screenful of a full 1000 x 1000 grid document, scrolling it,
// and the memory a full document takes.
// Run with QT_QPA_PLATFORM=offscreen.

#include "BenchGrids.h"
#include "grid/datagrid.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include <fstream>
#include <string>

using namespace nivora;

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

TForm2* FullDocument()
{
    static TForm2* doc = [] {
        auto* d = new TForm2(bench::FullGrid());
        d->resize(1280, 800);
        d->show();
        return d;
    }();
    return doc;
}

void BM_PaintScreenful(benchmark::State& state)
{
    TForm2* doc = FullDocument();
    QImage image(doc->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        doc->findChild<QTableView*>("Grid")->viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["cells"] = double(
        (doc->findChild<QTableView*>("Grid")->viewport()->width() / doc->findChild<QTableView*>("Grid")->columnWidth(0)
         + 1)
        * (doc->findChild<QTableView*>("Grid")->viewport()->height() / doc->findChild<QTableView*>("Grid")->rowHeight(0)
           + 1));
}
BENCHMARK(BM_PaintScreenful)->Unit(benchmark::kMillisecond);

// A scroll by one screen and the repaint of the new cells, far into the grid.
void BM_ScrollAndPaint(benchmark::State& state)
{
    TForm2* doc = FullDocument();
    QImage image(doc->size(), QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        doc->findChild<QTableView*>("Grid")->verticalScrollBar()->setValue((step * 37) % 960);
        doc->findChild<QTableView*>("Grid")->horizontalScrollBar()->setValue((step * 13) % 990);
        doc->findChild<QTableView*>("Grid")->viewport()->render(&image);
        ++step;
    }
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond);

void BM_DocumentMemory(benchmark::State& state)
{
    long added = 0;
    for (auto _ : state) {
        const long before = ResidentKiB();
        auto* d = new TForm2(bench::FullGrid());
        d->resize(1280, 800);
        d->show();
        QImage image(d->size(), QImage::Format_ARGB32_Premultiplied);
        d->findChild<QTableView*>("Grid")->viewport()->render(&image);
        added = ResidentKiB() - before;
        d->Terrain().SetSaved(true);
        delete d;
    }
    state.counters["MiB"] = double(added) / 1024.0;
}
BENCHMARK(BM_DocumentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
