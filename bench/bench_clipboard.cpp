// The clipboard text of a full 1000 x 1000 grid: pasted (parsed into the
// store) and copied (written from it), beside a plain pass over the same
// bytes.

#include "BenchGrids.h"
#include "grid/GridText.h"

#include <benchmark/benchmark.h>

#include <numeric>

using namespace nivora;

namespace {

const std::string& FullText()
{
    static const std::string text = [] {
        auto t = bench::FullGrid();
        return CopyText(*t, gvNatural, 3, {1, 1, 1000, 1000}, ',');
    }();
    return text;
}

void BM_PlainScan(benchmark::State& state)
{
    const std::string& text = FullText();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::accumulate(text.begin(), text.end(), 0u));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);

void BM_Paste(benchmark::State& state)
{
    const std::string& text = FullText();
    for (auto _ : state) {
        TTerreno t(20, 20, 20.0f, 20.0f);
        PasteText(t, text, 1, 1, ',');
        benchmark::DoNotOptimize(t.ValueCount);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["cells"] = 1e6;
}
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond);

void BM_Copy(benchmark::State& state)
{
    auto t = bench::FullGrid();
    for (auto _ : state)
        benchmark::DoNotOptimize(CopyText(*t, gvNatural, 3, {1, 1, 1000, 1000}, ','));
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
