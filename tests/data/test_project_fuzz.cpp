// The reader against damaged files: random byte mutations, truncations and a
// small corpus of hand-made malformed files. It must refuse or read, never
// crash, hang or allocate from an unchecked number (the suite also runs
// under AddressSanitizer).

#include "ProjectFixtures.h"

#include "calc/CalcSist.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

using namespace nivora;
using namespace nivora::testing;

namespace {

// Whatever is read back must be a sane document.
void ExpectSane(const TLoadedProject& p)
{
    const TTerreno& t = *p.Terrain;
    ASSERT_GE(t.ColCount(), 1);
    ASSERT_LE(t.ColCount(), MaxGridSize);
    ASSERT_GE(t.RowCount(), 1);
    ASSERT_LE(t.RowCount(), MaxGridSize);
    ASSERT_EQ(t.Cells().size(), std::size_t(t.ColCount()) * std::size_t(t.RowCount()));
    ASSERT_GE(t.CurrentPlan(), 1);
    ASSERT_LE(t.CurrentPlan(), 10);
    ASSERT_GT(static_cast<long double>(t.Lx()), 0.0L);
    ASSERT_GT(static_cast<long double>(t.Ly()), 0.0L);
    int counted = 0;
    for (float v : t.Cells())
        counted += v != 0.0f;
    ASSERT_EQ(counted, t.ValueCount());
}

// Exercise what a document does right after opening: computations over the
// loaded grid must not fault either.
void UseIt(TLoadedProject& p)
{
    TTerreno& t = *p.Terrain;
    // The elevations read lie in the grid, inside their used rectangle.
    const TUsedRect used = t.ComputeUsedRect();
    if (t.ValueCount() == 0) {
        EXPECT_TRUE(used.IsEmpty());
    } else {
        EXPECT_TRUE(used.FirstCol >= 1 && used.FirstRow >= 1 && used.LastCol <= t.ColCount()
                    && used.LastRow <= t.RowCount())
            << used.FirstCol << "," << used.FirstRow << "," << used.LastCol << "," << used.LastRow << " in "
            << t.ColCount() << " x " << t.RowCount();
        EXPECT_LE(t.ValueCount(), used.CellCount());
    }
    if (t.HasComputableBlock()) {
        try {
            Systematize(t, false, 1.3L);
        } catch (const std::overflow_error&) {
            // Absurd elevations may overflow the 6-byte real: reported, not a crash.
        }
    }
}

}  // namespace

TEST(ProjectFuzz, RandomMutationsNeverCrash)
{
    const std::vector<std::vector<std::uint8_t>> seeds = {SampleImage(), EmptyImage()};
    std::mt19937 rng(20261207);
    int accepted = 0, refused = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int iteration = 0; iteration < 40000; ++iteration) {
        auto b = seeds[std::size_t(iteration) % seeds.size()];
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 0) {
            // Flip a few bytes anywhere.
            for (int k = 0, n = 1 + static_cast<int>(rng() % 4); k < n; ++k)
                b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        } else if (kind == 1) {
            // Truncate.
            b.resize(rng() % (b.size() + 1));
        } else if (kind == 2) {
            // Overwrite one 32-bit field of the header or the store section
            // with an interesting number.
            static const std::int32_t interesting[] = {0,    -1,   1,         2,         20,  21,  999,
                                                       1000, 1001, INT32_MAX, INT32_MIN, 204, 1604};
            const std::size_t fields[] = {160,      164,      196,      204 + 2,  204 + 6,  204 + 10,
                                          204 + 14, 204 + 18, 204 + 38, 204 + 42, 204 + 46, 204 + 50};
            const std::size_t at = fields[rng() % std::size(fields)];
            if (at + 4 <= b.size())
                PutI32(b, at, interesting[rng() % std::size(interesting)]);
        } else {
            // Grow with garbage and fix the recorded size so the header passes.
            const std::size_t extra = rng() % 64;
            for (std::size_t k = 0; k < extra; ++k)
                b.push_back(static_cast<std::uint8_t>(rng()));
            b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
            if (b.size() >= 204) {
                PutI32(b, 196, static_cast<std::int32_t>(b.size()));
            }
        }
        auto p = ReadProjectImage(b);
        if (p) {
            ++accepted;
            ExpectSane(*p);
            UseIt(*p);
        } else {
            ++refused;
        }
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(accepted, 0);  // some mutations hit nothing the reader checks
    EXPECT_GT(refused, 5000);
    EXPECT_LT(seconds, 30.0);
}

TEST(ProjectFuzz, MalformedCorpus)
{
    // Each of these once looked plausible enough to get past the header.
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> corpus;
    const auto good = SampleImage();
    const auto empty = EmptyImage();
    {
        auto b = empty;  // 1000 x 1000 in the header, 20 x 20 in the body
        PutI32(b, 160, 1000);
        PutI32(b, 164, 1000);
        corpus.push_back({"header grid larger than body", b});
    }
    {
        auto b = empty;  // both claim 1000 x 1000, the used rectangle covers it all, no cells follow
        PutI32(b, 160, 1000);
        PutI32(b, 164, 1000);
        PutI32(b, 204 + 2, 1000);
        PutI32(b, 204 + 6, 1000);
        PutI32(b, 204 + 38, 1);
        PutI32(b, 204 + 42, 1);
        PutI32(b, 204 + 46, 1000);
        PutI32(b, 204 + 50, 1000);
        corpus.push_back({"huge rectangle without cells", b});
    }
    {
        auto b = empty;  // an empty rectangle that is not the canonical one
        PutI32(b, 204 + 38, 5);
        PutI32(b, 204 + 42, -7);
        corpus.push_back({"odd empty rectangle", b});
    }
    {
        auto b = good;  // rectangle corners far outside
        PutI32(b, 204 + 38, INT32_MIN);
        PutI32(b, 204 + 46, INT32_MAX);
        corpus.push_back({"rectangle overflow", b});
    }
    {
        auto b = good;  // size field negative
        PutI32(b, 196, INT32_MIN);
        corpus.push_back({"negative size", b});
    }
    {
        std::vector<std::uint8_t> b(204, 0);  // header only
        PutI32(b, 192, 204);
        PutI32(b, 196, 204);
        corpus.push_back({"header without body", b});
    }
    {
        auto b = good;  // all-zero terrain section: spacing 0, current plan 0
        const std::size_t cells = std::size_t(GetI32(b, 196)) - 1604;
        std::memset(b.data() + 204 + 55 + cells, 0, 1313);
        corpus.push_back({"zero terrain", b});
    }
    for (const auto& [name, bytes] : corpus)
        EXPECT_EQ(ReadProjectImage(bytes), nullptr) << name;

    // Extremes that point outside the grid are not trusted, only rescanned.
    auto b = good;
    PutI32(b, 204 + 14, 500);  // Minimum.Col
    auto p = ReadProjectImage(b);
    ASSERT_TRUE(p);
    EXPECT_LE(p->Terrain->Minimum().Col, p->Terrain->ColCount());
    EXPECT_EQ(p->Terrain->Minimum().Value, ReadProjectImage(good)->Terrain->Minimum().Value);
}

TEST(ProjectFuzz, FileReaderAgreesWithImageReader)
{
    // Files are read in place, images from memory: both must accept and
    // refuse the same files and read the same documents.
    namespace fs = std::filesystem;
    // A folder of this run's own, removed at the end: runs side by side never
    // write the same file.
    std::string folder = (fs::temp_directory_path() / "nivora_fuzz_XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr) << folder;
    struct RemoveFolder {
        fs::path dir;
        ~RemoveFolder()
        {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    } const removeFolder{folder};
    const fs::path file = removeFolder.dir / "mutante.NVR";
    std::mt19937 rng(99);
    const std::vector<std::vector<std::uint8_t>> seeds = {SampleImage(), EmptyImage()};
    int agreedAccepted = 0;
    for (int iteration = 0; iteration < 400; ++iteration) {
        auto b = seeds[std::size_t(iteration) % seeds.size()];
        if (iteration % 3 == 0)
            b.resize(rng() % (b.size() + 1));
        else
            for (int k = 0, n = 1 + static_cast<int>(rng() % 3); k < n; ++k)
                b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        }
        const auto fromImage = ReadProjectImage(b);
        std::unique_ptr<TLoadedProject> fromFile;
        bool ioError = false;
        try {
            fromFile = std::make_unique<TLoadedProject>(LoadProjectFile(file));
        } catch (const TNotNivora&) {
        } catch (const TFileError&) {
            ioError = true;
        }
        if (ioError) {
            EXPECT_LT(b.size(), 204u) << iteration;  // only a file shorter than a header
            continue;
        }
        ASSERT_EQ(fromImage != nullptr, fromFile != nullptr) << iteration;
        if (fromImage) {
            ++agreedAccepted;
            EXPECT_EQ(fromImage->Terrain->Cells(), fromFile->Terrain->Cells());
            EXPECT_EQ(fromImage->View, fromFile->View);
            EXPECT_EQ(fromImage->Terrain->Plans(), fromFile->Terrain->Plans());
            EXPECT_EQ(fromImage->Terrain->Minimum(), fromFile->Terrain->Minimum());
        }
    }
    EXPECT_GT(agreedAccepted, 20);
}
