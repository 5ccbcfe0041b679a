// The extension block after the given content: a project without one keeps
// its bytes, one with a georeference reads back through both readers, and a
// damaged, torn or foreign tail never stops the given content from opening.

#include "ProjectFixtures.h"
#include "calc/CalcSist.h"
#include "data/ProjectExtension.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace nivora;
using namespace nivora::testing;
namespace fs = std::filesystem;

namespace {

const TGeoreference kSirgas22S{31982, 500000.0, 7000000.25, true};

fs::path TempFile(const std::string& name)
{
    const fs::path d = fs::temp_directory_path()
                       / ("nivora_ext_" + std::to_string(::getpid()) + "_"
                          + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(d);
    return d / name;
}

void WriteBytes(const fs::path& p, const std::vector<std::uint8_t>& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// The sample as a document with changes to save, as setting a georeference
// leaves it (the store's flags are part of the given bytes).
std::vector<std::uint8_t> PlainImage()
{
    auto t = SampleTerrain();
    t->SetSaved(false);
    return WriteDocument(*t, TViewState{});
}

std::vector<std::uint8_t> GeoreferencedImage()
{
    auto t = SampleTerrain();
    t->SetGeoreference(kSirgas22S);
    return WriteDocument(*t, TViewState{});
}

// Both readers, the in-memory one and the one on a file, on the same bytes.
struct TBothReads {
    std::unique_ptr<TLoadedProject> Memory;
    TLoadedProject File;
};
TBothReads ReadBoth(const std::vector<std::uint8_t>& image)
{
    const fs::path p = TempFile("P.NVR");
    WriteBytes(p, image);
    return {ReadProjectImage(image), LoadProjectFile(p)};
}

}  // namespace

TEST(ProjectExtension, Crc32MatchesTheZlibCheckValue)
{
    const std::string text = "123456789";
    EXPECT_EQ(Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
    EXPECT_EQ(Crc32({}), 0u);
}

TEST(ProjectExtension, WithoutGeoreferenceTheBytesAreTheGivenFormat)
{
    const auto plain = PlainImage();
    EXPECT_TRUE(WriteExtensionBlock(TProjectExtension{}).empty());
    EXPECT_EQ(std::size_t(GetI32(plain, 196)), plain.size());

    // Cleared again, a georeferenced terrain writes the plain bytes.
    auto t = SampleTerrain();
    t->SetGeoreference(kSirgas22S);
    t->SetGeoreference(std::nullopt);
    EXPECT_EQ(WriteDocument(*t, TViewState{}), plain);
}

TEST(ProjectExtension, GeoreferenceFollowsTheRecordedSize)
{
    const auto plain = PlainImage();
    const auto image = GeoreferencedImage();
    // The given content is unchanged and its header records only that part,
    // so a reader of the given format reads it as before.
    ASSERT_GT(image.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), image.begin()));
    EXPECT_EQ(GetI32(image, 196), GetI32(plain, 196));
    EXPECT_EQ(std::memcmp(image.data() + plain.size(), "NVRX", 4), 0);
    EXPECT_EQ(image.size() - plain.size(), kExtensionFrameSize + 8 + 24);

    const TBothReads r = ReadBoth(image);
    for (const TLoadedProject* p : {static_cast<const TLoadedProject*>(r.Memory.get()), &r.File}) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->ExtensionState, TExtensionState::Read);
        ASSERT_TRUE(p->Terrain->Extension().Georeference);
        EXPECT_EQ(*p->Terrain->Extension().Georeference, kSirgas22S);
        // Written again, the same bytes.
        EXPECT_EQ(WriteDocument(*p->Terrain, p->View), image);
    }
}

TEST(ProjectExtension, SettingTheGeoreferenceLeavesTheDocumentToSave)
{
    auto t = SampleTerrain();
    t->SetSaved(true);
    t->SetGeoreference(kSirgas22S);
    EXPECT_FALSE(t->Saved());
    t->SetSaved(true);
    t->SetGeoreference(kSirgas22S);  // the same: nothing changes
    EXPECT_TRUE(t->Saved());
}

TEST(ProjectExtension, StakeCoordinatesFromTheCornerInDoublePrecision)
{
    // North of 14,6 degrees south a single steps by a whole metre; the
    // coordinates of a 2,5 m grid must not.
    const TGeoreference g{31983, 312000.5, 9100002.5, true};
    EXPECT_EQ(g.Easting(1, 2.5), 312000.5);
    EXPECT_EQ(g.Easting(4, 2.5), 312008.0);
    EXPECT_EQ(g.Northing(1, 2.5), 9100002.5);
    EXPECT_EQ(g.Northing(3, 2.5), 9099997.5);
    TGeoreference north = g;
    north.RowsRunSouth = false;
    EXPECT_EQ(north.Northing(3, 2.5), 9100007.5);
}

// Tails that are not a sound block of ours: the given content opens, the
// extension is empty and the state says so.
TEST(ProjectExtension, DamagedTailsAreIgnored)
{
    const auto image = GeoreferencedImage();
    const std::size_t given = std::size_t(GetI32(image, 196));
    struct TCase {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<TCase> cases;
    auto flip = [&](std::size_t at) {
        auto b = image;
        b[at] ^= 0x40;
        return b;
    };
    cases.push_back({"torn inside the block", {image.begin(), image.end() - 5}});
    cases.push_back({"torn in the frame", {image.begin(), image.begin() + std::ptrdiff_t(given + 6)}});
    cases.push_back({"tag altered", flip(given)});
    cases.push_back({"easting altered (check fails)", flip(given + 12 + 8 + 9)});
    cases.push_back({"check altered", flip(image.size() - 1)});
    auto future = image;
    future[given + 4] = 9;  // version 9
    cases.push_back({"version from the future", future});
    auto trailing = image;
    trailing.push_back(0);
    cases.push_back({"a byte after the block", trailing});
    auto foreign = SampleImage();
    const std::string text = "bytes some other program appended\n";
    foreign.insert(foreign.end(), text.begin(), text.end());
    cases.push_back({"foreign text", foreign});

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TBothReads r = ReadBoth(c.Bytes);
        for (const TLoadedProject* p : {static_cast<const TLoadedProject*>(r.Memory.get()), &r.File}) {
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->ExtensionState, TExtensionState::Damaged);
            EXPECT_TRUE(p->Terrain->Extension().Empty());
            EXPECT_EQ(p->Terrain->ValueCount(), SampleTerrain()->ValueCount());
        }
    }
}

TEST(ProjectExtension, BadSectionsDamageTheBlock)
{
    // Sections are checked one by one even under a sound frame and check.
    auto block = [](const std::vector<std::uint8_t>& sections) {
        std::vector<std::uint8_t> b{'N', 'V', 'R', 'X', 1, 0, 0, 0};
        const auto n = std::uint32_t(sections.size());
        for (int i = 0; i < 4; ++i)
            b.push_back(std::uint8_t(n >> (8 * i)));
        b.insert(b.end(), sections.begin(), sections.end());
        const std::uint32_t c = Crc32(b);
        for (int i = 0; i < 4; ++i)
            b.push_back(std::uint8_t(c >> (8 * i)));
        return b;
    };
    const std::vector<std::uint8_t> shortGeoreference{'G', 'E', 'O', 'R', 4, 0, 0, 0, 1, 0, 1, 0};
    EXPECT_EQ(ReadExtensionBlock(block(shortGeoreference)).State, TExtensionState::Damaged);
    const std::vector<std::uint8_t> overlong{'G', 'E', 'O', 'R', 200, 0, 0, 0, 1, 0};
    EXPECT_EQ(ReadExtensionBlock(block(overlong)).State, TExtensionState::Damaged);
    std::vector<std::uint8_t> infinite(WriteExtensionBlock({kSirgas22S, {}}));
    infinite = {infinite.begin() + 12, infinite.end() - 4};
    for (int i = 0; i < 8; ++i)
        infinite[8 + 8 + std::size_t(i)] = i == 7 ? 0x7F : i == 6 ? 0xF0 : 0;  // +inf easting
    EXPECT_EQ(ReadExtensionBlock(block(infinite)).State, TExtensionState::Damaged);
    EXPECT_EQ(ReadExtensionBlock(block({})).State, TExtensionState::Read);
}

TEST(ProjectExtension, UnknownSectionsSurviveASave)
{
    TProjectExtension e;
    e.Georeference = kSirgas22S;
    e.Unknown.push_back({"LAYR", {1, 2, 3, 4, 5}});
    const auto bytes = WriteExtensionBlock(e);
    const TExtensionRead r = ReadExtensionBlock(bytes);
    ASSERT_EQ(r.State, TExtensionState::Read);
    EXPECT_EQ(r.Extension, e);
    EXPECT_EQ(WriteExtensionBlock(r.Extension), bytes);
}

TEST(ProjectExtension, SavedAndReopenedThroughTheFile)
{
    const fs::path p = TempFile("G.NVR");
    auto t = SampleTerrain();
    t->SetGeoreference(kSirgas22S);
    SaveProjectFile(p, *t, TViewState{});
    const TLoadedProject back = LoadProjectFile(p);
    ASSERT_TRUE(back.Terrain->Extension().Georeference);
    EXPECT_EQ(*back.Terrain->Extension().Georeference, kSirgas22S);
    EXPECT_TRUE(CheckProjectFile(p));
}
