// The project file: header bytes, sections, sizes, acceptance and refusal,
// and saving that never destroys the previous file.

#include "ProjectFixtures.h"
#include "calc/CalcSist.h"
#include "data/ByteStream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace nivora;
using namespace nivora::testing;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kStore = 204;  // the store section starts after the header

fs::path TempDir()
{
    fs::path d = fs::temp_directory_path()
                 / ("nivora_test_" + std::to_string(::getpid()) + "_"
                    + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

void WriteBytes(const fs::path& p, const std::vector<std::uint8_t>& b)
{
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace

TEST(ProjectFile, NewDocumentBytes)
{
    const auto b = EmptyImage();
    ASSERT_EQ(b.size(), 1604u);
    EXPECT_EQ(GetI32(b, 196), 1604);
    EXPECT_EQ(GetI32(b, 200), 1672);
    EXPECT_EQ(GetI32(b, 192), 204);
    EXPECT_EQ(GetI32(b, 160), 20);
    EXPECT_EQ(GetI32(b, 164), 20);
    float lx;
    std::memcpy(&lx, b.data() + 168, 4);
    EXPECT_EQ(lx, 10.0f);
    for (std::size_t i = 176; i < 192; ++i)
        EXPECT_EQ(b[i], 0) << "reserved byte " << i;
    // The three texts: a carriage return, 68 / 17 / 33 characters, zero fill,
    // and a carriage return after the third.
    EXPECT_EQ(b[0], 13);
    EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 69), HeaderText1());
    EXPECT_EQ(b[69], 0);
    EXPECT_EQ(b[90], 13);
    EXPECT_EQ(std::string(b.begin() + 91, b.begin() + 108), HeaderText2());
    EXPECT_EQ(b[108], 0);
    EXPECT_EQ(b[120], 13);
    EXPECT_EQ(std::string(b.begin() + 121, b.begin() + 154), HeaderText3());
    EXPECT_EQ(b[154], 13);
    EXPECT_EQ(b[155], 0);
    EXPECT_EQ(HeaderText1().size(), 68u);
    EXPECT_EQ(HeaderText2().size(), 17u);
    EXPECT_EQ(HeaderText3().size(), 33u);
    // Store section: used rectangle (21, 21, 0, 0) and no cells after it.
    EXPECT_EQ(GetI32(b, kStore + 2), 20);
    EXPECT_EQ(GetI32(b, kStore + 38), 21);
    EXPECT_EQ(GetI32(b, kStore + 42), 21);
    EXPECT_EQ(GetI32(b, kStore + 46), 0);
    EXPECT_EQ(GetI32(b, kStore + 50), 0);
    // Terrain section right after: ResultsValid, PlaneComputed, then reals;
    // CurrentPlan 1 and KeepPlans 1 in a new terrain.
    const std::size_t terrain = kStore + 55;
    EXPECT_EQ(GetI32(b, terrain + 2 + 5 * 6), 1);
    EXPECT_EQ(b[terrain + 2 + 5 * 6 + 4], 1);
    // Lx as a 6-byte real: 10 = 1.25 * 2^3.
    EXPECT_EQ(b[terrain + 2 + 12], 0x84);
}

TEST(ProjectFile, UsedRectangleCells)
{
    TTerreno t(20, 20, 20.0f, 20.0f);
    t.SetCell(3, 2, 1.0f);
    t.SetCell(5, 4, 2.0f);
    const auto b = WriteDocument(t, TViewState{});
    ASSERT_EQ(b.size(), 1604u + 9 * 4);
    EXPECT_EQ(GetI32(b, kStore + 38), 3);
    EXPECT_EQ(GetI32(b, kStore + 42), 2);
    EXPECT_EQ(GetI32(b, kStore + 46), 5);
    EXPECT_EQ(GetI32(b, kStore + 50), 4);
    float cells[9];
    std::memcpy(cells, b.data() + kStore + 55, sizeof cells);
    const float expected[9] = {1, 0, 0, 0, 0, 0, 0, 0, 2};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(cells[i], expected[i]) << i;
    EXPECT_FALSE(t.Saved());  // bytes made are not a file written
}

TEST(ProjectFile, RoundTripKeepsEverything)
{
    auto original = SampleTerrain();
    const TViewState view{4, 3, 2, 1, 3, 2, 5, 4};
    const auto image = WriteDocument(*original, view);
    auto loaded = ReadProjectImage(image);
    ASSERT_TRUE(loaded);
    const TTerreno& t = *loaded->Terrain;
    EXPECT_EQ(loaded->View, view);
    EXPECT_EQ(t.Cells(), original->Cells());
    EXPECT_EQ(t.ValueCount(), original->ValueCount());
    EXPECT_EQ(t.Minimum(), original->Minimum());
    EXPECT_EQ(t.Maximum(), original->Maximum());
    EXPECT_EQ(t.OriginX(), original->OriginX());
    EXPECT_EQ(t.OriginY(), original->OriginY());
    EXPECT_EQ(t.Lx(), original->Lx());
    EXPECT_EQ(t.CellArea(), original->CellArea());
    EXPECT_EQ(t.CurrentPlan(), original->CurrentPlan());
    EXPECT_EQ(t.KeepPlans(), original->KeepPlans());
    EXPECT_EQ(t.PlaneComputed(), true);
    EXPECT_EQ(t.ResultsValid(), true);
    EXPECT_EQ(t.Modified(), false);
    EXPECT_TRUE(t.Saved());
    for (int i = 0; i < TTerreno::kPlanCount; ++i)
        EXPECT_EQ(t.Plans()[std::size_t(i)], original->Plans()[std::size_t(i)]) << "plan " << i;
    EXPECT_EQ(t.Plans()[3].RatioText.Str(), "1,5");
    // The area of the last run is not kept.
    EXPECT_EQ(t.LastArea(), (TUsedRect{0, 0, 0, 0}));
    // Written again, the same bytes.
    TTerreno copy = t;
    EXPECT_EQ(WriteDocument(copy, loaded->View), image);
}

TEST(ProjectFile, HeaderAcceptance)
{
    auto b = SampleImage();
    const auto size = std::uint64_t(GetI32(b, 196));
    ASSERT_EQ(size, b.size());
    EXPECT_TRUE(CheckProjectHeader(ParseHeader(b), size));
    EXPECT_FALSE(CheckProjectHeader(ParseHeader(b), size - 1));
    EXPECT_TRUE(CheckProjectHeader(ParseHeader(b), size + 1));
    // One byte short is refused; one byte more is accepted.
    std::vector<std::uint8_t> shorter(b.begin(), b.end() - 1);
    EXPECT_FALSE(ReadProjectImage(shorter));
    auto longer = b;
    longer.push_back(0x5A);
    EXPECT_TRUE(ReadProjectImage(longer));
    // A wrong check word does not matter.
    auto badCheck = b;
    PutI32(badCheck, 200, 12345);
    EXPECT_TRUE(ReadProjectImage(badCheck));
    // A wrong marker does.
    auto badMarker = b;
    PutI32(badMarker, 192, 205);
    EXPECT_FALSE(ReadProjectImage(badMarker));
}

TEST(ProjectFile, RefusesWhatDoesNotHoldTogether)
{
    const auto good = SampleImage();
    ASSERT_TRUE(ReadProjectImage(good));
    const auto refused = [&](auto mutate) {
        auto b = good;
        mutate(b);
        return ReadProjectImage(b) == nullptr;
    };
    auto putSingle = [](std::vector<std::uint8_t>& b, std::size_t at, float f) { std::memcpy(b.data() + at, &f, 4); };
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 160, 0); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 160, 1001); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 164, -5); }));
    EXPECT_TRUE(refused([&](auto& b) { putSingle(b, 168, 0.0f); }));
    EXPECT_TRUE(refused([&](auto& b) { putSingle(b, 172, -3.0f); }));
    EXPECT_TRUE(refused([&](auto& b) { putSingle(b, 168, NAN); }));
    EXPECT_TRUE(refused([&](auto& b) { putSingle(b, 172, INFINITY); }));
    // Header and body disagree on the dimensions.
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 160, 21); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, kStore + 6, 19); }));
    // Used rectangle outside the grid, or with its corners swapped.
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, kStore + 46, 21); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, kStore + 38, 0); }));
    EXPECT_TRUE(refused([](auto& b) {
        PutI32(b, kStore + 38, 2);  // one column wider: the sections no longer add up
    }));
    // Recorded size larger or smaller than the sections.
    EXPECT_TRUE(refused([](auto& b) {
        b.push_back(0);
        PutI32(b, 196, GetI32(b, 196) + 1);
    }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 196, GetI32(b, 196) - 4); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 196, -1); }));
    EXPECT_TRUE(refused([](auto& b) { PutI32(b, 196, 100); }));
    // A current plan outside 1..10.
    EXPECT_TRUE(refused([](auto& b) {
        const std::size_t cells = std::size_t(GetI32(b, 196)) - 1604;
        PutI32(b, kStore + 55 + cells + 2 + 30, 11);
    }));
    EXPECT_TRUE(refused([](auto& b) {
        const std::size_t cells = std::size_t(GetI32(b, 196)) - 1604;
        PutI32(b, kStore + 55 + cells + 2 + 30, 0);
    }));
    // A spacing of zero in the body.
    EXPECT_TRUE(refused([](auto& b) {
        const std::size_t cells = std::size_t(GetI32(b, 196)) - 1604;
        std::memset(b.data() + kStore + 55 + cells + 2 + 12, 0, 6);
    }));
}

TEST(ProjectFile, FilesOnDisk)
{
    const fs::path dir = TempDir();
    // A missing file is refused with the message; a short one is an I/O error.
    EXPECT_FALSE(CheckProjectFile(dir / "nada.NVR"));
    EXPECT_THROW(LoadProjectFile(dir / "nada.NVR"), TNotNivora);
    WriteBytes(dir / "curto.NVR", std::vector<std::uint8_t>(203, 0));
    EXPECT_THROW(CheckProjectFile(dir / "curto.NVR"), TFileError);
    EXPECT_THROW(LoadProjectFile(dir / "curto.NVR"), TFileError);
    EXPECT_THROW(LoadProjectFile(dir), TFileError);  // a directory cannot be read

    auto bad = SampleImage();
    PutI32(bad, 192, 0);
    WriteBytes(dir / "ALHEIO.NVR", bad);
    try {
        LoadProjectFile(dir / "ALHEIO.NVR");
        FAIL() << "accepted a file without the marker";
    } catch (const TNotNivora& e) {
        EXPECT_STREQ(e.what(), "O arquivo ALHEIO.NVR não foi gerado pelo Nivora ou teve sua estrutura alterada.");
    }

    auto t = SampleTerrain();
    SaveProjectFile(dir / "AREA-01.NVR", *t, TViewState{});
    EXPECT_TRUE(t->Saved());
    const TLoadedProject p = LoadProjectFile(dir / "AREA-01.NVR");
    EXPECT_EQ(p.Terrain->Cells(), t->Cells());
}

TEST(ProjectFile, FailedSaveKeepsTheOldFile)
{
    const fs::path dir = TempDir();
    const fs::path target = dir / "campo.NVR";
    const auto oldBytes = SampleImage();
    WriteBytes(target, oldBytes);

    // The name is taken by a directory: the write fails, nothing is lost.
    const fs::path blocked = dir / "pasta.NVR";
    fs::create_directory(blocked);
    fs::path inside = blocked / "x";
    WriteBytes(inside, {1, 2, 3});
    auto t = SampleTerrain();
    t->SetCell(1, 1, 99.0f);
    EXPECT_THROW(SaveProjectFile(blocked, *t, TViewState{}), TFileError);
    EXPECT_FALSE(t->Saved());
    EXPECT_TRUE(fs::is_directory(blocked));
    EXPECT_TRUE(fs::exists(inside));
    // A folder that does not exist.
    EXPECT_THROW(SaveProjectFile(dir / "nao" / "existe.NVR", *t, TViewState{}), TFileError);
    EXPECT_FALSE(t->Saved());

    // No temporary file is left behind, and the old file is untouched.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
    EXPECT_EQ(ReadFileBytes(target), oldBytes);

    // A successful save replaces it whole.
    SaveProjectFile(target, *t, TViewState{});
    EXPECT_TRUE(t->Saved());
    const auto loaded = LoadProjectFile(target);
    EXPECT_EQ(loaded.Terrain->GetCell(1, 1), 99.0f);
    // A saved terrain whose next save fails is still the one on disk.
    EXPECT_THROW(SaveProjectFile(blocked, *t, TViewState{}), TFileError);
    EXPECT_TRUE(t->Saved());
}
