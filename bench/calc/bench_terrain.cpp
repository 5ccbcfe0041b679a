// Best plane + volumes and a ratio adjustment on a full 1000 x 1000 grid,
// each pass beside a plain summing loop over the same million floats.

#include "BenchGrids.h"

#include <benchmark/benchmark.h>

using namespace nivora;

namespace {

TTerreno& Grid()
{
    static auto t = bench::FullGrid();
    return *t;
}

void BM_PlainSum(benchmark::State& state)
{
    const auto& cells = Grid().Cells();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::PlainSum(cells));
    state.counters["passes"] = 1;
}
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMillisecond);

// The best plane is one pass; its volumes another.
void BM_BestPlaneAndVolumes(benchmark::State& state)
{
    TTerreno& t = Grid();
    for (auto _ : state) {
        t.SetSelection(t.ComputeUsedRect());
        benchmark::DoNotOptimize(t.ComputeBestPlane());
    }
    state.counters["passes"] = 2;
}
BENCHMARK(BM_BestPlaneAndVolumes)->Unit(benchmark::kMillisecond);

void BM_VolumesPass(benchmark::State& state)
{
    TTerreno& t = Grid();
    if (!t.ComputeBestPlane()) {
        state.SkipWithError("the grid has no plane");
        return;
    }
    for (auto _ : state)
        t.ComputeVolumes(false);
    state.counters["passes"] = 1;
}
BENCHMARK(BM_VolumesPass)->Unit(benchmark::kMillisecond);

// A ratio adjustment from the best plane to 1.3.
void BM_AdjustRatio(benchmark::State& state)
{
    TTerreno& t = Grid();
    if (!t.ComputeBestPlane()) {
        state.SkipWithError("the grid has no plane");
        return;
    }
    const TPlano best = t.Plans()[0];
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        t.ComputePlane(best.Sx, best.Sy, best.OriginElevation);
        state.ResumeTiming();
        steps = t.AdjustRatio(1.3L).Steps;
    }
    state.counters["passes"] = steps;
}
BENCHMARK(BM_AdjustRatio)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
