// Contour tracing and assembly of 20 levels on two 1000 x 1000 fields, each
// beside a plain summing pass over the same million floats:
//   realistic  20 m apart: plane, undulations, 1 cm of survey noise, about
//              15 % of the stakes missing beyond an irregular boundary;
//   rough      the same relief at 1 m spacing, where the centimetre of noise
//              outweighs the slope and the levels break into tens of
//              thousands of short lines.
// Also the area outline of the realistic field, closed round the whole of it.

#include "BenchGrids.h"
#include "contour/AltimetricMap.h"
#include "contour/AreaOutline.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <random>

using namespace nivora;

namespace {

TTerreno& Realistic()
{
    static auto t = bench::RaggedField(20.0f);
    return *t;
}

TTerreno& Rough()
{
    static auto t = bench::RaggedField(1.0f);
    return *t;
}

double PlainSeconds(const std::vector<float>& cells)
{
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench::PlainSum(cells));
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void PlainPass(benchmark::State& state, TTerreno& t)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::PlainSum(t.Cells()));
}

void TraceAndAssemble(benchmark::State& state, TTerreno& t)
{
    const TUsedRect area = t.GetSelection();
    const TMapGeometry g = MapGeometry(t, area);
    const TMapTransform transform = g.Transform();
    const std::vector<long double> levels = bench::Levels(t);
    std::size_t traced = 0, lines = 0, points = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        TCurvas curves;
        TraceLevels(curves, t, area, levels, transform);
        traced = 0;
        for (std::size_t k = 0; k < curves.Count(); ++k)
            traced += curves.Curve(std::ptrdiff_t(k))->Count();
        for (std::size_t k = 0; k < curves.Count(); ++k)
            Assemble(*curves.Curve(std::ptrdiff_t(k)));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        lines = points = 0;
        for (std::size_t k = 0; k < curves.Count(); ++k)
            for (const TLine& l : curves.Curve(std::ptrdiff_t(k))->Lines()) {
                ++lines;
                points += l.Count();
            }
    }
    state.counters["traced_lines"] = double(traced);
    state.counters["lines"] = double(lines);
    state.counters["points"] = double(points);
    state.counters["x_plain"] = seconds / double(state.iterations()) / PlainSeconds(t.Cells());
    state.counters["missing_pct"] = 100.0 * (1.0 - double(t.ValueCount()) / double(t.Cells().size()));
}

void BM_PlainPassRealistic(benchmark::State& s) { PlainPass(s, Realistic()); }
void BM_TraceAndAssembleRealistic(benchmark::State& s) { TraceAndAssemble(s, Realistic()); }
void BM_PlainPassRough(benchmark::State& s) { PlainPass(s, Rough()); }
void BM_TraceAndAssembleRough(benchmark::State& s) { TraceAndAssemble(s, Rough()); }

void BM_AreaOutlineRealistic(benchmark::State& state)
{
    TTerreno& t = Realistic();
    std::vector<TNode> outline;
    for (auto _ : state)
        outline = TraceOutline(t, t.GetSelection());
    state.counters["nodes"] = double(outline.size());
    state.counters["closed"] = !outline.empty() && outline.front() == outline.back();
}

// Every frame the map draws: the outline and one round each part it leaves
// out.
void BM_AreaOutlinesRealistic(benchmark::State& state)
{
    TTerreno& t = Realistic();
    std::size_t frames = 0;
    for (auto _ : state)
        frames = TraceOutlines(t, t.GetSelection()).size();
    state.counters["frames"] = double(frames);
}

// The worst shapes on the largest grid: a checkerboard, whose stakes meet at
// corners and leave a hole at every other cell, and stakes apart from one
// another, a part each.
TCotas Pattern(bool apart)
{
    TCotas g(MaxGridSize, MaxGridSize);
    for (std::int32_t r = 1; r <= MaxGridSize; ++r)
        for (std::int32_t c = 1; c <= MaxGridSize; ++c)
            if (apart ? (r % 2 == 1 && c % 2 == 1) : (r + c) % 2 == 1)
                g.SetCell(c, r, 10.0f);
    return g;
}

void BM_AreaOutlinesCheckerboard(benchmark::State& state)
{
    static const TCotas g = Pattern(false);
    std::size_t nodes = 0;
    for (auto _ : state)
        nodes = TraceOutlines(g, {1, 1, MaxGridSize, MaxGridSize}).front().size();
    state.counters["nodes"] = double(nodes);
}

void BM_AreaOutlinesApart(benchmark::State& state)
{
    static const TCotas g = Pattern(true);
    std::size_t frames = 0;
    for (auto _ : state)
        frames = TraceOutlines(g, {1, 1, MaxGridSize, MaxGridSize}).size();
    state.counters["frames"] = double(frames);
}

BENCHMARK(BM_PlainPassRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceAndAssembleRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPassRough)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceAndAssembleRough)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaOutlineRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaOutlinesRealistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaOutlinesCheckerboard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaOutlinesApart)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
