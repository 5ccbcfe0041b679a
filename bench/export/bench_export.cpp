// The exports of a full 1000 x 1000 project (10^6 stakes, 2 x 10^6
// triangles) in each format, and the safe save of as many bytes as the
// largest of them, the floor any writer stands on.

#include "BenchGrids.h"
#include "contour/ContourLevels.h"
#include "data/FileAccess.h"
#include "export/FileExport.h"
#include "export/TextExports.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace nivora;

struct TFixture {
    std::unique_ptr<TTerreno> Terrain = bench::FullGrid();
    TExportInfo Info;
    TFixture()
    {
        Terrain->SetGeoreference(TGeoreference{31982, 312000.0, 7455000.0, false});
        if (!Terrain->ComputeBestPlane())
            std::abort();
        TContourRequest request;
        request.TakeLimits(Terrain->MapLimits());
        std::vector<std::string> list;
        AddEquidistantLevels(list, DefaultEquidistant(request.MinElevation, request.MaxElevation), '.');
        SetRequestLevels(request, list, '.');
        Info.Levels = request.LevelList();
        Info.Version = "bench";
    }
    TExportData Data() const { return TExportData(*Terrain, Terrain->ComputeUsedRect(), true); }
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

template <class F>
void Run(benchmark::State& state, F make)
{
    const TExportData data = Fixture().Data();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto out = make(data, Fixture().Info);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_LandXml(benchmark::State& s) { Run(s, LandXmlText); }
void BM_Dxf(benchmark::State& s) { Run(s, DxfText); }
void BM_AsciiGrid(benchmark::State& s) { Run(s, AsciiGridText); }
void BM_GeoTiff(benchmark::State& s) { Run(s, GeoTiffBytes); }
void BM_GeoPackage(benchmark::State& s) { Run(s, GeoPackageBytes); }

// Saving the LandXML's size of bytes: the temporary file, flushed, renamed.
void BM_SafeSaveOfTheSameBytes(benchmark::State& state)
{
    const std::string text = LandXmlText(Fixture().Data(), Fixture().Info);
    const auto file = std::filesystem::temp_directory_path() / ("nivora-bench-export-" + std::to_string(::getpid()));
    for (auto _ : state)
        ReplaceFileContents(file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    std::filesystem::remove(file);
    state.counters["MB"] = double(text.size()) / 1e6;
}

// The whole of an export, as the program and nivora-cli run it.
void BM_WriteExportFile(benchmark::State& state, const char* extension)
{
    const auto file =
        std::filesystem::temp_directory_path() / ("nivora-bench-export-" + std::to_string(::getpid()) + extension);
    const TExportData data = Fixture().Data();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteExportFile(file, data, Fixture().Info).Bytes);
    std::filesystem::remove(file);
    std::filesystem::path prj = file;
    std::filesystem::remove(prj.replace_extension(".prj"));
}

}  // namespace

BENCHMARK(BM_LandXml)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Dxf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_AsciiGrid)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GeoTiff)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GeoPackage)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SafeSaveOfTheSameBytes)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_WriteExportFile, xml, ".xml")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_WriteExportFile, tif, ".tif")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_WriteExportFile, gpkg, ".gpkg")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_WriteExportFile, dxf, ".dxf")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_WriteExportFile, asc, ".asc")->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
