// The clipboard text of a full 1000 x 1000 grid: pasted (parsed into the
// store) and copied (written from it). Each is timed beside the plain pass
// of the standard conversions over the same cells, in the same iterations:
// std::from_chars over the same text for the paste, std::to_chars of the
// same values into one buffer for the copy. "ratio" is the one to the other;
// both are timed in this thread's processor time.

#include "BenchGrids.h"
#include "grid/GridText.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <numeric>

using namespace nivora;

namespace {

// The time this thread ran: the machine is shared, and its other work must
// not weigh on one pass more than on the other.
struct Clock {
    static double now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }
};

const std::string& FullText()
{
    static const std::string text = [] {
        auto t = bench::FullGrid();
        return CopyText(*t, gvNatural, 3, {1, 1, 1000, 1000}, ',');
    }();
    return text;
}

// from_chars reads only the point.
const std::string& FullTextWithPoints()
{
    static const std::string text = [] {
        std::string s = FullText();
        std::replace(s.begin(), s.end(), ',', '.');
        return s;
    }();
    return text;
}

float FromCharsPass(const std::string& text)
{
    float sum = 0.0f;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        float v = 0.0f;
        const auto r = std::from_chars(p, end, v);
        if (r.ec == std::errc()) {
            sum += v;
            p = r.ptr;
        }
        if (p < end)
            ++p;  // the tab or line break after the field
    }
    return sum;
}

std::size_t ToCharsPass(const TTerreno& t, std::string& buffer)
{
    buffer.resize(std::size_t(t.ColCount()) * std::size_t(t.RowCount()) * 24);
    char* p = buffer.data();
    char* const end = p + buffer.size();
    for (int r = 1; r <= t.RowCount(); ++r) {
        const float* row = t.RowData(r);
        for (int c = 0; c < t.ColCount(); ++c) {
            if (row[c] != 0.0f)
                p = std::to_chars(p, end, row[c], std::chars_format::fixed, 3).ptr;
            *p++ = '\t';
        }
        p[-1] = '\r';
        *p++ = '\n';
    }
    return std::size_t(p - buffer.data());
}

// Each iteration runs the baseline, then the work; the iteration's time is
// the work's, and the counters give the baseline's mean and the ratio.
template <class Baseline, class Work>
void TimeBeside(benchmark::State& state, const char* baselineName, Baseline baseline, Work work)
{
    double worked = 0, based = 0;
    for (auto _ : state) {
        const double t0 = Clock::now();
        baseline();
        const double t1 = Clock::now();
        work();
        const double t2 = Clock::now();
        based += t1 - t0;
        worked += t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    state.counters[baselineName] = based / double(state.iterations()) * 1e3;
    state.counters["ratio"] = worked / based;
}

void BM_Paste(benchmark::State& state)
{
    const std::string& text = FullText();
    const std::string& points = FullTextWithPoints();
    TimeBeside(
        state, "from_chars_ms", [&] { benchmark::DoNotOptimize(FromCharsPass(points)); },
        [&] {
            TTerreno t(20, 20, 20.0f, 20.0f);
            PasteText(t, text, 1, 1, ',');
            benchmark::DoNotOptimize(t.ValueCount());
        });
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_Copy(benchmark::State& state)
{
    auto t = bench::FullGrid();
    std::string buffer;
    TimeBeside(
        state, "to_chars_ms", [&] { benchmark::DoNotOptimize(ToCharsPass(*t, buffer)); },
        [&] {
            benchmark::DoNotOptimize(CopyText(*t, gvNatural, 3, {1, 1, 1000, 1000}, ','));
        });
}
BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
