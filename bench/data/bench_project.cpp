// Project load and save of a full 1000 x 1000 grid, beside plainly reading
// and writing the same number of bytes; and a million SetCell calls inside
// one AutoExtremes bracket.

#include "BenchGrids.h"
#include "data/SaveOpen.h"
#include "data/UCotas.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace nivora;
namespace fs = std::filesystem;

namespace {

fs::path Folder()
{
    static const fs::path d = [] {
        fs::path p = fs::temp_directory_path() / "nivora_bench";
        fs::create_directories(p);
        return p;
    }();
    return d;
}

const std::vector<std::uint8_t>& FullImage()
{
    static const std::vector<std::uint8_t> image = [] {
        auto t = bench::FullGrid();
        return WriteDocument(*t, TViewState{});
    }();
    return image;
}

void BM_SaveProject(benchmark::State& state)
{
    auto t = bench::FullGrid();
    const fs::path file = Folder() / "save.NVR";
    for (auto _ : state)
        SaveProjectFile(file, *t, TViewState{});
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fs::file_size(file)));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_PlainWrite(benchmark::State& state)
{
    const auto& bytes = FullImage();
    const fs::path file = Folder() / "plain.bin";
    for (auto _ : state) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state)
{
    const fs::path file = Folder() / "load.NVR";
    WriteFileAtomically(file, FullImage());
    for (auto _ : state) {
        TLoadedProject p = LoadProjectFile(file);
        benchmark::DoNotOptimize(p.Terrain->ValueCount());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(FullImage().size()));
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

// The plain read a load is measured against: open, allocate a buffer of the
// file's size, read it. (Into a buffer kept warm across iterations the read
// is a bare memcpy from the page cache: BM_PlainReadWarm shows that too.)
void BM_PlainRead(benchmark::State& state)
{
    const fs::path file = Folder() / "load.NVR";
    WriteFileAtomically(file, FullImage());
    const std::size_t size = FullImage().size();
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        std::unique_ptr<char[]> buffer(new char[size]);
        in.read(buffer.get(), std::streamsize(size));
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

void BM_PlainReadWarm(benchmark::State& state)
{
    const fs::path file = Folder() / "load.NVR";
    WriteFileAtomically(file, FullImage());
    std::vector<char> buffer(FullImage().size());
    for (auto _ : state) {
        std::ifstream in(file, std::ios::binary);
        in.read(buffer.data(), std::streamsize(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(buffer.size()));
}
BENCHMARK(BM_PlainReadWarm)->Unit(benchmark::kMillisecond);

// n SetCell calls inside one bracket: linear in n, one rescan at the end.
void BM_SetCellBracket(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TCotas c(side, side);
        c.SetAutoExtremes(false);
        for (int r = 1; r <= side; ++r)
            for (int col = 1; col <= side; ++col)
                c.SetCell(col, r, static_cast<float>(100 + ((r * 31 + col * 17) % 97)));
        c.SetAutoExtremes(true);
        benchmark::DoNotOptimize(c.Minimum().Value);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * side * side);
    state.SetComplexityN(std::int64_t(side) * side);
}
BENCHMARK(BM_SetCellBracket)->Arg(250)->Arg(500)->Arg(1000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
