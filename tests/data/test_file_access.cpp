// Project files on disk as a user meets them: permissions and owners that a
// save keeps or respects, links it follows, saves killed halfway, names near
// the length limit, and things that are not files at all.
//
// Some cases need a second, unprivileged user: when the suite runs as root
// they run in a child process that drops to user and group 65534 (nobody);
// otherwise the suite's own user is the unprivileged one and the cases that
// need a file of another owner are skipped.

#include "ProjectFixtures.h"

#include "calc/CalcSist.h"
#include "data/UCotas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nivora;
using namespace nivora::testing;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

bool IsRoot() { return ::geteuid() == 0; }

fs::path TempDir()
{
    const fs::path d = fs::temp_directory_path()
                       / ("nivora_disk_" + std::to_string(::getpid()) + "_"
                          + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(d);
    fs::create_directories(d);
    fs::permissions(d, fs::perms::all);  // the unprivileged child writes here too
    return d;
}

void WriteBytes(const fs::path& p, const std::vector<std::uint8_t>& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::vector<std::uint8_t> ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct stat StatOf(const fs::path& p)
{
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
}

// Runs fn in a child process, within a time limit, as the unprivileged user
// when asked and possible. Returns fn's result, or 100 + the signal that
// ended the child (SIGALRM: it hung).
int InChild(const std::function<int()>& fn, bool unprivileged = false, unsigned seconds = 20)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        if (unprivileged && IsRoot()) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
                || ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(99);
        }
        int rc = 98;
        try {
            rc = fn();
        } catch (...) {
            rc = 97;
        }
        ::_exit(rc);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A save's outcome as a child's exit code.
enum : int { kSaved = 0, kRefused = 1, kOtherError = 2 };
int TrySave(const fs::path& file, float marker)
{
    auto t = SampleTerrain();
    t->SetCell(1, 1, marker);
    try {
        SaveProjectFile(file, *t, TViewState{});
        return kSaved;
    } catch (const TFileError&) {
        return kRefused;
    } catch (...) {
        return kOtherError;
    }
}

int TemporaryFilesIn(const fs::path& dir)
{
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        n += e.path().filename().string().find(".tmp") != std::string::npos;
    return n;
}

// A project of some size, so that a save takes many writes.
std::vector<std::uint8_t> LargeImage()
{
    TTerreno t(200, 200, 10.0f, 10.0f);
    for (int r = 1; r <= 200; ++r)
        for (int c = 1; c <= 200; ++c)
            t.SetCell(c, r, 100.0f + 0.01f * float(c + r));
    return WriteDocument(t, TViewState{});
}

}  // namespace

TEST(SaveToDisk, PermissionsAreRespectedAndKept)
{
    struct Case {
        const char* what;
        bool othersFile;  // owned by root, not by the user who saves
        fs::perms mode;
        bool saved;
    };
    using P = fs::perms;
    const Case cases[] = {
        {"own read-only file", false, P::owner_read | P::group_read | P::others_read, false},
        {"own file for the owner only", false, P::owner_read | P::owner_write, true},
        {"own file, group may read", false, P::owner_read | P::owner_write | P::group_read, true},
        {"another user's file", true, P::owner_read | P::owner_write | P::group_read | P::others_read, false},
        {"another user's file that all may write", true, P::all & ~(P::owner_exec | P::group_exec | P::others_exec),
         true},
    };
    const fs::path dir = TempDir();
    const auto old = SampleImage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.othersFile && !IsRoot())
            continue;  // needs a file of another owner
        const fs::path file = dir / "campo.NVR";
        fs::remove(file);
        WriteBytes(file, old);
        if (!c.othersFile && IsRoot()) {
            ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        }
        fs::permissions(file, c.mode);

        ASSERT_EQ(InChild([&] { return TrySave(file, 77.0f); }, true), c.saved ? kSaved : kRefused);
        const struct stat st = StatOf(file);
        EXPECT_EQ(st.st_mode & 07777, unsigned(c.mode));
        if (c.saved) {
            EXPECT_EQ(LoadProjectFile(file).Terrain->GetCell(1, 1), 77.0f);
        } else {
            EXPECT_EQ(ReadBytes(file), old);
            EXPECT_EQ(st.st_uid, c.othersFile ? 0u : (IsRoot() ? kNobody : ::geteuid()));
        }
        EXPECT_EQ(TemporaryFilesIn(dir), 0);
    }
    fs::remove_all(dir);
}

TEST(SaveToDisk, OwnerAndGroupCarryOverWherePermitted)
{
    if (!IsRoot())
        GTEST_SKIP() << "only a privileged user may save a file that another user owns and keep its owner";
    const fs::path dir = TempDir();
    const fs::path file = dir / "alheio.NVR";
    WriteBytes(file, SampleImage());
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(TrySave(file, 5.0f), kSaved);
    const struct stat st = StatOf(file);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    fs::remove_all(dir);
}

TEST(SaveToDisk, SavesThroughLinks)
{
    const fs::path dir = TempDir();
    fs::create_directories(dir / "projetos");
    fs::create_directories(dir / "atalhos");
    const fs::path real = dir / "projetos" / "real.NVR";
    struct Case {
        const char* what;
        std::vector<std::pair<fs::path, fs::path>> links;  // link, what it points at; the first is saved to
        bool exists;
    };
    const Case cases[] = {
        {"relative link", {{dir / "atalhos" / "a.NVR", "../projetos/real.NVR"}}, true},
        {"absolute link", {{dir / "atalhos" / "a.NVR", real}}, true},
        {"link to a link",
         {{dir / "atalhos" / "a.NVR", "b.NVR"}, {dir / "atalhos" / "b.NVR", "../projetos/real.NVR"}},
         true},
        {"link to a file not yet made", {{dir / "atalhos" / "a.NVR", "../projetos/real.NVR"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(real);
        for (const auto& [link, to] : c.links) {
            fs::remove(link);
            fs::create_symlink(to, link);
        }
        if (c.exists)
            WriteBytes(real, EmptyImage());
        const fs::path saved = c.links.front().first;
        ASSERT_EQ(TrySave(saved, 33.0f), kSaved);
        for (const auto& [link, to] : c.links) {
            ASSERT_TRUE(fs::is_symlink(link));
            EXPECT_EQ(fs::read_symlink(link), to);
        }
        EXPECT_EQ(LoadProjectFile(real).Terrain->GetCell(1, 1), 33.0f);
        EXPECT_EQ(LoadProjectFile(saved).Terrain->GetCell(1, 1), 33.0f);
        EXPECT_EQ(TemporaryFilesIn(dir / "atalhos") + TemporaryFilesIn(dir / "projetos"), 0);
        for (const auto& [link, to] : c.links)
            fs::remove(link);
    }
    // Links in a circle are a failed save, not a hang.
    fs::create_symlink("y.NVR", dir / "x.NVR");
    fs::create_symlink("x.NVR", dir / "y.NVR");
    EXPECT_EQ(TrySave(dir / "x.NVR", 1.0f), kRefused);
    fs::remove_all(dir);
}

TEST(SaveToDisk, InterruptedSavesLeaveOneTemporaryFileAtMost)
{
    const fs::path dir = TempDir();
    const fs::path file = dir / "grande.NVR";
    const auto old = SampleImage();
    WriteBytes(file, old);
    const auto image = LargeImage();
    // The writer is killed while it writes the temporary file: the system
    // ends a process that writes past its file size limit.
    const auto killedSave = [&] {
        const rlimit core{0, 0};
        ::setrlimit(RLIMIT_CORE, &core);
        const rlimit size{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &size);
        WriteFileAtomically(file, image);
        return 0;
    };
    // Each save removes what the one killed before it left.
    for (int attempt = 0; attempt < 3; ++attempt) {
        ASSERT_EQ(InChild(killedSave), 100 + SIGXFSZ);
        EXPECT_EQ(ReadBytes(file), old);
        ASSERT_EQ(TemporaryFilesIn(dir), 1);
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path() != file) {
                EXPECT_TRUE(IsTemporaryNameOf(e.path(), file)) << e.path();
                EXPECT_EQ(fs::file_size(e.path()), 64u * 1024u);
            }
    }
    WriteFileAtomically(file, image);
    EXPECT_EQ(ReadBytes(file), image);
    EXPECT_EQ(TemporaryFilesIn(dir), 0);
    fs::remove_all(dir);
}

TEST(SaveToDisk, OnlyLeftoversOfDeadSavesAreRemoved)
{
    const fs::path dir = TempDir();
    const fs::path file = dir / "campo.NVR";
    WriteBytes(file, SampleImage());
    // Held: a save under way holds its temporary file locked.
    const int held = ::open((dir / "campo.NVR.emandamento1.tmp").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    struct Case {
        const char* name;
        bool removed;
        bool othersFile = false;
    };
    const Case cases[] = {
        {"campo.NVR.abandonado12.tmp", true},
        {"campo.NVR.0123456789az.tmp", true},
        {"campo.NVR.emandamento1.tmp", false},        // locked above
        {"campo.NVR.dealguemmais.tmp", false, true},  // another user's
        {"campo.NVR.tmp", false},                     // not of the form
        {"campo.NVR.ABANDONADO12.tmp", false},
        {"campo.NVR.abandonado1.tmp", false},
        {"campo.NVR.abandonado123.tmp", false},
        {"campo.NVR.abandonado12.bak", false},
        {"outro.NVR.abandonado12.tmp", false},  // another project's
        {"xcampo.NVR.abandonado12.tmp", false},
    };
    for (const Case& c : cases) {
        if (!fs::exists(dir / c.name))
            WriteBytes(dir / c.name, {1, 2, 3});
        if (c.othersFile && IsRoot()) {
            ASSERT_EQ(::chown((dir / c.name).c_str(), kNobody, kNobody), 0);
        }
    }
    ASSERT_EQ(TrySave(file, 12.0f), kSaved);
    EXPECT_EQ(LoadProjectFile(file).Terrain->GetCell(1, 1), 12.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.othersFile && !IsRoot())
            continue;  // it is the user's own without a second user
        EXPECT_EQ(fs::exists(dir / c.name), !c.removed);
    }
    ::close(held);
    fs::remove_all(dir);
}

TEST(SaveToDisk, AnotherUsersTemporaryFileDoesNotStopASave)
{
    if (!IsRoot())
        GTEST_SKIP() << "needs files of two users";
    // A shared folder where anyone may create files but remove only their
    // own; another user left files under the names of a temporary file.
    const fs::path dir = TempDir();
    fs::permissions(dir, fs::perms::all | fs::perms::sticky_bit);
    const fs::path file = dir / "P.NVR";
    WriteBytes(file, SampleImage());
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    for (const char* foreign : {"P.NVR.tmp", "P.NVR.deoutrapessoa.tmp"})
        WriteBytes(dir / foreign, {1});
    ASSERT_EQ(InChild([&] { return TrySave(file, 21.0f); }, true), kSaved);
    EXPECT_EQ(LoadProjectFile(file).Terrain->GetCell(1, 1), 21.0f);
    EXPECT_EQ(StatOf(file).st_uid, kNobody);
    EXPECT_TRUE(fs::exists(dir / "P.NVR.tmp"));
    EXPECT_TRUE(fs::exists(dir / "P.NVR.deoutrapessoa.tmp"));
    fs::remove_all(dir);
}

TEST(SaveToDisk, SavesAtTheSameTimeEachReplaceTheFileWhole)
{
    const fs::path dir = TempDir();
    const fs::path file = dir / "T.NVR";
    WriteBytes(file, SampleImage());
    // Saves of one file by many processes at once, some killed as they write:
    // the others succeed, and the file is always one whole project.
    constexpr int kSaves = 20;
    std::vector<pid_t> children;
    for (int i = 0; i < kSaves; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            TTerreno t(200, 200, 10.0f, 10.0f);
            for (int r = 1; r <= 200; ++r)
                for (int c = 1; c <= 200; ++c)
                    t.SetCell(c, r, float(1000 + i));
            try {
                for (int round = 0; round < 5; ++round)
                    SaveProjectFile(file, t, TViewState{});
            } catch (const std::exception& e) {
                std::fprintf(stderr, "save %d: %s\n", i, e.what());
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (int i = 0; i < kSaves; i += 4)
        ::kill(children[std::size_t(i)], SIGKILL);
    for (int i = 0; i < kSaves; ++i) {
        int status = 0;
        ::waitpid(children[std::size_t(i)], &status, 0);
        if (i % 4 == 0) {
            EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << i;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "save " << i << " failed";
        }
    }
    const float cell = LoadProjectFile(file).Terrain->GetCell(1, 1);
    EXPECT_TRUE(cell >= 1000.0f && cell < 1000.0f + kSaves) << cell;
    ASSERT_EQ(TrySave(file, 5.0f), kSaved);
    EXPECT_EQ(TemporaryFilesIn(dir), 0);
    fs::remove_all(dir);
}

TEST(SaveToDisk, NamesUpToTheLimitCanBeSaved)
{
    const fs::path dir = TempDir();
    const std::string accents = "ção";  // 5 bytes in UTF-8
    const std::string names[] = {
        std::string(250, 'a') + ".NVR",
        std::string(251, 'b') + ".NVR",  // 255 bytes, the longest a folder takes
        std::string(246, 'c') + accents + ".NVR",
        std::string(240, 'd') + accents + "x.NVR",
    };
    std::set<fs::path> temporaries;
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        const fs::path temp = TemporaryNameFor(dir / name);
        EXPECT_LE(temp.filename().string().size(), 255u);
        EXPECT_EQ(temp.parent_path(), dir);
        EXPECT_TRUE(IsTemporaryNameOf(temp, dir / name));
        for (const std::string& other : names)
            EXPECT_EQ(IsTemporaryNameOf(temp, dir / other), other == name) << other.size();
        temporaries.insert(temp);
        ASSERT_EQ(TrySave(dir / name, 8.0f), kSaved);
        EXPECT_EQ(LoadProjectFile(dir / name).Terrain->GetCell(1, 1), 8.0f);
    }
    EXPECT_EQ(temporaries.size(), std::size(names));
    EXPECT_EQ(TemporaryFilesIn(dir), 0);
    fs::remove_all(dir);
}

// The one range of spacings that every place a spacing comes in checks: a
// spacing inside it gives a project that reads back, with the grid grown to
// 1000 stakes and the origin of the farthest stake number; one outside it is
// refused, as the reader would refuse what it makes.
TEST(Spacings, WhatIsInRangeReadsBack)
{
    const float below = std::nextafter(MinSpacing(), 0.0f);
    const struct {
        long double Spacing;
        bool InRange;
    } cases[] = {
        {0.0L, false},
        {-20.0L, false},
        {1e-40L, false},
        {1e-999L, false},
        {below, false},
        {MinSpacing(), true},
        {1e-38L, true},
        {0.5L, true},
        {20.0L, true},
        {1e30L, true},
        {kMaxSpacing, true},
        {std::nextafter(kMaxSpacing, 2 * kMaxSpacing), false},
        {1e31L, false},
        {1e300L, false},
        {std::numeric_limits<long double>::infinity(), false},
        {std::numeric_limits<long double>::quiet_NaN(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(double(c.Spacing));
        EXPECT_EQ(SpacingInRange(c.Spacing), c.InRange);
        const float held = static_cast<float>(c.Spacing);
        if (!std::isfinite(held) || !(held > 0))
            continue;
        TTerreno t(1000, 1000, held, 2 * held <= kMaxSpacing ? 2 * held : held);
        t.SetOrigin(OriginForStake(-1000, held), OriginForStake(1000, held));
        t.SetCell(1, 1, 10.0f);
        t.SetCell(1000, 1000, 12.0f);
        const bool readsBack = ReadProjectImage(WriteDocument(t, TViewState{})) != nullptr;
        if (c.InRange) {
            EXPECT_TRUE(readsBack);
        } else if (held < MinSpacing()) {
            EXPECT_FALSE(readsBack);
        }
    }
}

TEST(ReadFromDisk, OnlyRegularFilesAreOpened)
{
    const fs::path dir = TempDir();
    const fs::path fifo = dir / "fila.NVR";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(dir / "pasta.NVR");
    for (const fs::path& p : {fifo, dir / "pasta.NVR", fs::path("/dev/zero")}) {
        SCOPED_TRACE(p);
        // In a child with a time limit: a reader that blocks ends the child.
        EXPECT_EQ(InChild(
                      [&] {
                          try {
                              LoadProjectFile(p);
                          } catch (const TFileError& e) {
                              return std::string(e.what()).find("não é um arquivo comum") != std::string::npos ? 0 : 3;
                          }
                          return 4;
                      },
                      false, 10),
                  0);
        EXPECT_EQ(InChild(
                      [&] {
                          try {
                              CheckProjectFile(p);
                          } catch (const TFileError&) {
                              return 0;
                          }
                          return 4;
                      },
                      false, 10),
                  0);
    }
    // Nor is anything but a regular file replaced by a save.
    EXPECT_EQ(InChild([&] { return TrySave(fifo, 1.0f); }, false, 10), kRefused);
    EXPECT_TRUE(fs::is_fifo(fifo));
    fs::remove_all(dir);
}

TEST(ReadFromDisk, CraftedFiles)
{
    // Each file of the corpus, through the reader the program uses and the
    // one over memory: both refuse it, or both read it with the extremes
    // counted from its cells.
    const TCotaPoint none{};
    struct Expected {
        TCotaPoint Minimum, Maximum;  // both empty: refused
    };
    const std::map<std::string, Expected> expected = {
        {"espacamento-2e127.NVR", {none, none}},
        {"espacamento-maximo.NVR", {none, none}},
        {"espacamento-subnormal.NVR", {none, none}},
        {"retangulo-32-bits.NVR", {none, none}},
        {"tamanho-negativo.NVR", {none, none}},
        {"so-cabecalho.NVR", {none, none}},
        {"maximo-falso.NVR", {{20, 1, 98.547f}, {5, 5, 500.0f}}},
        {"minimo-falso.NVR", {{6, 6, 50.0f}, {1, 15, 100.683f}}},
    };
    std::set<std::string> seen;
    for (const auto& entry : fs::directory_iterator(NIVORA_MALFORMED_DIR)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".NVR")
            continue;
        SCOPED_TRACE(name);
        seen.insert(name);
        ASSERT_TRUE(expected.count(name)) << "a file of the corpus without its expectation";
        const Expected& e = expected.at(name);
        const auto image = ReadBytes(entry.path());
        const auto fromImage = ReadProjectImage(image);
        if (e.Minimum == none) {
            try {
                LoadProjectFile(entry.path());
                ADD_FAILURE() << "accepted";
            } catch (const TNotNivora& refusal) {
                EXPECT_EQ(refusal.what(), NotNivoraMessage(name));
            }
            EXPECT_EQ(fromImage, nullptr);
            continue;
        }
        const TLoadedProject p = LoadProjectFile(entry.path());
        ASSERT_NE(fromImage, nullptr);
        for (const TCotas* t : {&p.Terrain->Store(), &fromImage->Terrain->Store()}) {
            EXPECT_EQ(t->Minimum(), e.Minimum);
            EXPECT_EQ(t->Maximum(), e.Maximum);
            EXPECT_TRUE(t->ExtremesValid());
        }
    }
    EXPECT_EQ(seen.size(), expected.size());
}

TEST(ReadFromDisk, StoredExtremesAmongEqualValuesStand)
{
    // Recounting keeps the file's own point when it holds the extreme value:
    // among equal values the older point, not the first in row order, stays.
    auto t = SampleTerrain();
    t->SetCell(10, 10, 9.0f);
    t->SetCell(1, 1, 9.0f);  // the same lowest value, first in row order
    ASSERT_EQ(t->Minimum(), (TCotaPoint{10, 10, 9.0f}));
    const auto p = ReadProjectImage(WriteDocument(*t, TViewState{}));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Terrain->Minimum(), (TCotaPoint{10, 10, 9.0f}));
}
