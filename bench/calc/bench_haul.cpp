// The least haul of full grids of 250 x 250 and 1000 x 1000 stakes with
// either network algorithm (the larger takes minutes), and beside them the
// reading of the supplies alone.

#include "BenchGrids.h"
#include "calc/Haul.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace nivora;

namespace {

TTerreno& Grid(int size)
{
    static std::map<int, std::unique_ptr<TTerreno>> grids;
    auto& g = grids[size];
    if (!g) {
        g = bench::FullGrid(size);
        (void)Systematize(*g, false, 1.3L);
    }
    return *g;
}

void BM_HaulSupplies(benchmark::State& state)
{
    TTerreno& t = Grid(1000);
    for (auto _ : state)
        benchmark::DoNotOptimize(HaulFieldOf(t, t.LastArea()).CutVolume);
}

void BM_Haul(benchmark::State& state)
{
    TTerreno& t = Grid(int(state.range(1)));
    const THaulSolver solver = state.range(0) == 0 ? THaulSolver::NetworkSimplex : THaulSolver::CostScaling;
    long double mean = 0;
    for (auto _ : state) {
        mean = ComputeHaul(t, t.LastArea(), solver).MeanHaul;
        benchmark::DoNotOptimize(mean);
    }
    state.counters["MeanHaul"] = static_cast<double>(mean);
}

}  // namespace

BENCHMARK(BM_HaulSupplies)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Haul)
    ->ArgNames({"cost_scaling", "size"})
    ->Args({0, 250})
    ->Args({1, 250})
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_MAIN();
