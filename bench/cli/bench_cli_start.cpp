// Whole processes of nivora-cli on a full 1000 x 1000 project: info and
// --version, which must start without Qt's GUI libraries, beside a plain C++
// program that reads the same 4 MB file; and the import of the 8 MB text of
// that grid into a project, beside a plain program that converts the text
// with std::from_chars and writes the grid's 4 MB as a safe save does. All
// run in turn in the same run.
// Arguments: the nivora-cli binary and the baseline program, then the
// benchmark's own options.

#include "BenchGrids.h"
#include "data/SaveOpen.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

using namespace nivora;
namespace fs = std::filesystem;

namespace {

std::string gCli, gBaseline;

const std::string& FullProject()
{
    static const std::string path = [] {
        const fs::path p = fs::temp_directory_path() / "nivora_bench_cli" / "CHEIO.NVR";
        fs::create_directories(p.parent_path());
        SaveProjectFile(p, *bench::FullGrid(), TViewState{});
        return p.string();
    }();
    return path;
}

// The grid's text as a spreadsheet saves it: tab-separated, CRLF, three
// decimals.
const std::string& FullText()
{
    static const std::string path = [] {
        const fs::path p = fs::temp_directory_path() / "nivora_bench_cli" / "CHEIO.txt";
        fs::create_directories(p.parent_path());
        const auto grid = bench::FullGrid();
        const TTerreno& t = *grid;
        std::ofstream out(p, std::ios::binary);
        char field[32];
        for (std::int32_t r = 1; r <= t.RowCount(); ++r)
            for (std::int32_t c = 1; c <= t.ColCount(); ++c) {
                std::snprintf(field, sizeof field, "%.3f%s", double(t.GetCell(c, r)), c < t.ColCount() ? "\t" : "\r\n");
                out << field;
            }
        return p.string();
    }();
    return path;
}

std::string ImportTarget() { return (fs::temp_directory_path() / "nivora_bench_cli" / "IMPORTADO.NVR").string(); }

// Runs the program to its end, its output thrown away.
void RunProcess(benchmark::State& state, std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0)
        state.SkipWithError(("failed: " + args[0]).c_str());
}

void BM_Baseline_ReadFile(benchmark::State& state)
{
    const std::string file = FullProject();
    for (auto _ : state)
        RunProcess(state, {gBaseline, file});
}

void BM_Info(benchmark::State& state)
{
    const std::string file = FullProject();
    for (auto _ : state)
        RunProcess(state, {gCli, "info", file});
}

void BM_Baseline_ConvertAndWrite(benchmark::State& state)
{
    const std::string text = FullText();
    for (auto _ : state)
        RunProcess(state, {gBaseline, text, ImportTarget()});
}

void BM_Import(benchmark::State& state)
{
    const std::string text = FullText();
    for (auto _ : state)
        RunProcess(state, {gCli, "import", text, "--lx", "20", "-o", ImportTarget()});
}

void BM_Version(benchmark::State& state)
{
    for (auto _ : state)
        RunProcess(state, {gCli, "--version"});
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_cli_start NIVORA_CLI READ_WHOLE_FILE [benchmark options]\n");
        return 2;
    }
    gCli = argv[1];
    gBaseline = argv[2];
    argv[2] = argv[0];
    argc -= 2;
    argv += 2;
    benchmark::RegisterBenchmark("BM_Baseline_ReadFile", BM_Baseline_ReadFile)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Info", BM_Info)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Version", BM_Version)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_Baseline_ConvertAndWrite", BM_Baseline_ConvertAndWrite)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Import", BM_Import)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
