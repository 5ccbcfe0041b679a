// libFuzzer target over the project reader, built with clang and
// -DNIVORA_FUZZ=ON (the core is instrumented too), then for example
//   ./fuzz_project_reader -max_total_time=60 corpus/ examples/ tests/data/malformed/
//
// Each input is written to a file and opened as the program and nivora-cli
// open projects. The refusals the reader makes on purpose (a file that is not
// a project of ours, an input/output error) are expected; anything else that
// escapes, a memory error or undefined behaviour is a finding. A file that is
// read must also be read alike by the reader over memory, be written back and
// read again unchanged, and survive what a document does with it at once.

#include "calc/CalcSist.h"
#include "data/SaveOpen.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>

namespace {

namespace fs = std::filesystem;

const fs::path& ScratchFile()
{
    static const fs::path file = [] {
        std::error_code ec;
        const fs::path shm("/dev/shm");
        const fs::path dir = fs::is_directory(shm, ec) ? shm : fs::temp_directory_path();
        return dir / ("nivora_fuzz_" + std::to_string(::getpid()) + ".NVR");
    }();
    return file;
}

[[noreturn]] void Finding(const char* what)
{
    std::fprintf(stderr, "fuzz_project_reader: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nivora;
    const fs::path& file = ScratchFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        if (!out)
            Finding("cannot write the scratch file");
    }
    std::unique_ptr<TLoadedProject> loaded;
    try {
        loaded = std::make_unique<TLoadedProject>(LoadProjectFile(file));
    } catch (const TNotNivora&) {
    } catch (const TFileError&) {
    }

    const auto fromMemory = ReadProjectImage(std::span<const std::uint8_t>(data, size));
    if ((fromMemory != nullptr) != (loaded != nullptr))
        Finding("the file reader and the reader over memory disagree");
    if (!loaded)
        return 0;
    TTerreno& t = *loaded->Terrain;
    if (fromMemory->Terrain->Cells() != t.Cells() || !(fromMemory->View == loaded->View)
        || !(fromMemory->Terrain->Minimum() == t.Minimum()) || !(fromMemory->Terrain->Maximum() == t.Maximum()))
        Finding("the two readers read different documents");

    const auto again = ReadProjectImage(WriteDocument(t, loaded->View));
    if (!again)
        Finding("a document that was read is refused once written back");
    if (again->Terrain->Cells() != t.Cells() || !(again->View == loaded->View) || again->Terrain->Plans() != t.Plans()
        || !(again->Terrain->Minimum() == t.Minimum()) || !(again->Terrain->Maximum() == t.Maximum())
        || again->Terrain->ValueCount() != t.ValueCount())
        Finding("a document written back reads differently");

    if (t.HasComputableBlock()) {
        try {
            Systematize(t, false, 1.3L);
        } catch (const std::overflow_error&) {
            // Absurd elevations overflow the 6-byte real: the program reports it.
        }
    }
    return 0;
}
