// Reading a points file of a million points (about 40 MB) from disk, beside a
// plain read of the same bytes, and 128 MB of "1;" on one line; each reports
// the peak of the memory it allocates (every allocation of this program is
// counted), per point kept and in all.

#include "survey/CountingAllocator.h"
#include "survey/PointFile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

using nivora::testing::gInUse;
using nivora::testing::gPeak;

using namespace nivora;

namespace {

constexpr int kPoints = 1000000;

// The file, written once for the run and removed at its end.
const std::filesystem::path& PointFile()
{
    static const struct TFile {
        std::filesystem::path Path =
            std::filesystem::temp_directory_path() / ("nivora_bench_points_" + std::to_string(::getpid()) + ".csv");
        TFile()
        {
            std::ofstream out(Path, std::ios::binary);
            out << "Ponto;Este;Norte;Cota;Codigo\n";
            char line[96];
            for (int i = 0; i < kPoints; ++i) {
                const int n =
                    std::snprintf(line, sizeof line, "P%d;%d,%03d;%d,%03d;%d,%02d;TERRENO\n", i + 1, 500000 + i % 1000,
                                  i % 997, 7400000 + i / 1000, i % 991, 100 + i % 13, i % 97);
                out.write(line, n);
            }
        }
        ~TFile() { std::filesystem::remove(Path); }
    } file;
    return file.Path;
}

double gPlainSeconds = 0;

template <typename F>
void Measure(benchmark::State& state, F run, double* seconds = nullptr)
{
    double total = 0;
    long long peak = 0;
    for (auto _ : state) {
        const long long before = gInUse.load();
        gPeak = before;
        const auto t0 = std::chrono::steady_clock::now();
        run();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        peak = std::max(peak, gPeak.load() - before);
    }
    const double mean = total / double(state.iterations());
    if (seconds)
        *seconds = mean;
    state.counters["peak_MB"] = double(peak) / (1 << 20);
    if (seconds)
        return;
    state.counters["peak_per_point_B"] = double(peak) / kPoints;
    if (gPlainSeconds > 0)
        state.counters["vs_plain_read"] = mean / gPlainSeconds;
}

void BM_PlainReadBaseline(benchmark::State& state)
{
    const std::filesystem::path& path = PointFile();
    std::vector<char> buffer(64 * 1024);
    Measure(
        state,
        [&] {
            TFilePointSource source(path);
            std::size_t lines = 0;
            for (std::size_t n; (n = source.Read(buffer.data(), buffer.size())) > 0;)
                for (std::size_t i = 0; i < n; ++i)
                    lines += buffer[i] == '\n';
            benchmark::DoNotOptimize(lines);
        },
        &gPlainSeconds);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_PlainReadBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadPointFile(benchmark::State& state)
{
    const std::filesystem::path& path = PointFile();
    Measure(state, [&] {
        TFilePointSource source(path);
        const TPointReading r = ReadPointSource(source, std::nullopt);
        if (r.Set.Points.size() != std::size_t(kPoints))
            state.SkipWithError("points lost");
    });
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadPointFile)->Unit(benchmark::kMillisecond);

// 128 MB of "1;" with no line end, made as it is read.
class TOneLongLine : public IPointSource {
public:
    std::size_t Read(char* buffer, std::size_t n) override
    {
        n = std::min<std::size_t>(n, Left) & ~std::size_t(1);
        for (std::size_t i = 0; i < n; i += 2)
            buffer[i] = '1', buffer[i + 1] = ';';
        Left -= n;
        return n;
    }

private:
    std::size_t Left = std::size_t(128) << 20;
};

void BM_ReadOneLongLine(benchmark::State& state)
{
    Measure(state, [&] {
        TOneLongLine source;
        const TPointReading r = ReadPointSource(source, std::nullopt);
        if (r.Set.RefusedCount != 1)
            state.SkipWithError("the line was not refused");
    });
    state.SetBytesProcessed(std::int64_t(state.iterations()) * (std::int64_t(128) << 20));
}
BENCHMARK(BM_ReadOneLongLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
