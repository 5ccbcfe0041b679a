// Ponding and flow on full 1000 x 1000 fields: the rolling field of the other
// benchmarks, whose noise leaves many small hollows, and the ragged field
// with its missing stakes, and a level field full of hollows; beside a plain summing loop over the same floats.

#include "BenchGrids.h"

#include "calc/Drainage.h"

#include <benchmark/benchmark.h>

using namespace nivora;

namespace {

// 0: the rolling field; 1: the ragged one; 2: a level field with five
// centimetres of noise, nearly all hollows.
const TDrainGrid& Surface(std::int64_t which)
{
    static const TDrainGrid full = [] {
        const auto t = bench::FullGrid();
        return DrainageSurface(*t, TDrainSurface::Natural, t->ComputeUsedRect());
    }();
    static const TDrainGrid rough = [] {
        const auto t = bench::RaggedField(20.0f);
        return DrainageSurface(*t, TDrainSurface::Natural, t->ComputeUsedRect());
    }();
    static const TDrainGrid level = [] {
        TDrainGrid g = full;
        std::mt19937 rng(8);
        std::uniform_real_distribution<double> noise(-0.05, 0.05);
        for (double& z : g.Z)
            z = 100 + noise(rng);
        return g;
    }();
    return which == 0 ? full : which == 1 ? rough : level;
}

void BM_PlainSum(benchmark::State& state)
{
    const auto t = bench::FullGrid();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::PlainSum(t->Cells()));
}
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMillisecond);

// Border outlets, the fill, the directions, the accumulation and the ponds.
void BM_Drainage(benchmark::State& state)
{
    const TDrainGrid& g = Surface(state.range(0));
    TDrainage d;
    for (auto _ : state) {
        d = ComputeDrainage(g, BorderOutlets(g));
        benchmark::DoNotOptimize(d.Volume);
    }
    state.counters["stakes"] = double(d.StakeCount);
    state.counters["wet"] = double(d.WetCount);
    state.counters["ponds"] = double(d.Ponds.size());
}
BENCHMARK(BM_Drainage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Taking the surface from the terrain.
void BM_DrainageSurface(benchmark::State& state)
{
    const auto t = bench::FullGrid();
    for (auto _ : state)
        benchmark::DoNotOptimize(DrainageSurface(*t, TDrainSurface::Natural, t->ComputeUsedRect()).Z.data());
}
BENCHMARK(BM_DrainageSurface)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
