// The memory a points file takes to read: a small multiple of the points it
// keeps, whatever the file's size and the length of its lines. Every
// allocation of this test program is counted.

#include "CountingAllocator.h"
#include "survey/PointFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>

using nivora::testing::PeakAllocatedDuring;

using namespace nivora;

namespace {

// A file made line by line as it is read, so that the test itself holds
// none of it.
class TMadeSource : public IPointSource {
public:
    TMadeSource(long long lines, std::function<void(long long, std::string&)> make)
        : Lines(lines), Make(std::move(make))
    {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        std::size_t done = 0;
        while (done < n) {
            if (Pending.empty()) {
                if (Next == Lines)
                    break;
                Make(Next++, Pending);
                At = 0;
            }
            const std::size_t k = std::min(n - done, Pending.size() - At);
            std::memcpy(buffer + done, Pending.data() + At, k);
            done += k, At += k;
            if (At == Pending.size())
                Pending.clear();
        }
        return done;
    }

private:
    long long Lines;
    long long Next = 0;
    std::function<void(long long, std::string&)> Make;
    std::string Pending;
    std::size_t At = 0;
};

// A small multiple of the 24 bytes a kept point takes, and a fixed part
// for the buffers of a line and of the first lines.
long long Bound(std::size_t points) { return 96 * static_cast<long long>(points) + (2 << 20); }

TEST(PointMemory, ReadingTakesASmallMultipleOfThePointsKept)
{
    const struct {
        const char* what;
        long long lines;
        std::function<void(long long, std::string&)> line;
        std::size_t points;
    } cases[] = {
        {"a million points with names and codes", 1000000,
         [](long long i, std::string& s) {
             char b[96];
             s.assign(b, std::size_t(std::snprintf(b, sizeof b, "P%lld;%lld,125;%lld,250;%lld,5;CERCA VIVA\n", i,
                                                   500000 + i % 1000, 7400000 + i / 1000, 100 + i % 7)));
         },
         1000000},
        {"128 MB of \"1;\" on one line", 64 << 20, [](long long, std::string& s) { s = "1;"; }, 0},
        {"two million lines of nothing to read", 2000000, [](long long, std::string& s) { s = "lixo;lixo;lixo\n"; }, 0},
        {"lines of 30000 fields", 300,
         [](long long i, std::string& s) {
             s = "P" + std::to_string(i) + ";" + std::to_string(i) + ";" + std::to_string(i * i % 1000) + ";1";
             for (int k = 0; k < 30000; ++k)
                 s += ";0";
             s += "\n";
         },
         300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t kept = 0;
        const long long peak = PeakAllocatedDuring([&] {
            TMadeSource source(c.lines, c.line);
            kept = ReadPointSource(source, std::nullopt).Set.Points.size();
        });
        EXPECT_EQ(kept, c.points);
        EXPECT_LE(peak, Bound(c.points)) << peak / (1 << 20) << " MB";
        std::printf("%s: %.1f MB at the peak, %.1f bytes a point\n", c.what, double(peak) / (1 << 20),
                    c.points ? double(peak) / double(c.points) : 0.0);
    }
}

// The same over a text already in memory: its lines are not split off ahead.
TEST(PointMemory, ATextInMemoryIsNotCopiedNorSplitAhead)
{
    std::string lines;
    for (int i = 0; i < 200000; ++i)
        lines += "lixo\n";
    const std::string& refused = lines;
    const std::string longLine(8 << 20, ';');
    for (const std::string* text : {&refused, &longLine}) {
        const long long peak = PeakAllocatedDuring([&] {
            const TPointFormat f = DetectPointFormat(*text);
            EXPECT_TRUE(ReadPoints(*text, f).Points.empty());
        });
        EXPECT_LE(peak, Bound(0)) << peak / (1 << 20) << " MB";
    }
}

}  // namespace
