// The cut-and-fill bitmap of a full 1000 x 1000 grid (8000 x 8000 pixels)
// beside a plain memset of the same 64 million bytes, into a buffer already
// in hand and into a fresh one as the bitmap is; and the per-stake part alone
// (cut/fill and palette index of a million stakes, no pixels).

#include "BenchGrids.h"
#include "calc/CutFillMap.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace nivora;

namespace {

TTerreno& Grid()
{
    static auto t = [] {
        auto g = bench::FullGrid();
        Systematize(*g, false, 1.3L);
        return g;
    }();
    return *t;
}

constexpr std::size_t kBytes = std::size_t{8000} * 8000;

void BM_MemsetReused(benchmark::State& state)
{
    std::vector<unsigned char> buffer(kBytes, 1);
    for (auto _ : state) {
        std::memset(buffer.data(), static_cast<int>(state.iterations() & 0xFF), kBytes);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_MemsetReused)->Unit(benchmark::kMillisecond);

void BM_MemsetFresh(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBytes]);
        std::memset(buffer.get(), 7, kBytes);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_MemsetFresh)->Unit(benchmark::kMillisecond);

void BM_StakeIndexes(benchmark::State& state)
{
    const TTerreno& t = Grid();
    const TPlano& p = t.Plans()[0];
    for (auto _ : state) {
        unsigned sum = 0;
        for (int r = 1; r <= t.RowCount(); ++r)
            for (int c = 1; c <= t.ColCount(); ++c)
                sum += CutFillIndex(t.CutFill(c, r), p.MaxCut, p.MaxFill);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_StakeIndexes)->Unit(benchmark::kMillisecond);

void BM_BuildCutFillMap(benchmark::State& state)
{
    const TTerreno& t = Grid();
    for (auto _ : state) {
        TCutFillMap m = BuildCutFillMap(t, nullptr);
        benchmark::DoNotOptimize(m.Bitmap.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBytes));
}
BENCHMARK(BM_BuildCutFillMap)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
