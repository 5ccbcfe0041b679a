// A million survey points over a square kilometre to a 1000 x 1000 grid of
// 1 m: reading the file, the triangulation, the gridding, and the whole way
// together; beside a plain sort of the same points, the least any
// triangulation does with them.

#include "survey/PointFile.h"
#include "survey/PointGrid.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

using namespace nivora;

namespace {

const std::vector<TSurveyPoint>& Points()
{
    static const std::vector<TSurveyPoint> points = [] {
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> u(0, 1000);
        std::normal_distribution<double> noise(0, 0.01);
        std::vector<TSurveyPoint> p(1000000);
        for (TSurveyPoint& q : p) {
            const double x = u(rng), y = u(rng);
            q = {500000 + x, 7400000 + y, 100 + 0.002 * x + 0.5 * std::sin(x / 60) * std::cos(y / 45) + noise(rng)};
        }
        return p;
    }();
    return points;
}

const std::string& Text()
{
    static const std::string text = [] {
        std::string t = "Ponto;E;N;Z\n";
        char line[96];
        int i = 0;
        for (const TSurveyPoint& p : Points()) {
            const int n = std::snprintf(line, sizeof line, "P%d;%.3f;%.3f;%.3f\n", ++i, p.E, p.N, p.Z);
            t.append(line, std::size_t(n));
        }
        std::replace(t.begin(), t.end(), '.', ',');
        return t;
    }();
    return text;
}

TGridParams Params()
{
    TGridParams p;
    p.Lx = p.Ly = 1;
    p.OriginX = 500000;
    p.OriginY = 7400000;
    p.MaxDistance = 1.5;
    p.MaxEdge = 4;
    return p;
}

void BM_SortBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<TSurveyPoint> p = Points();
        std::sort(p.begin(), p.end(),
                  [](const TSurveyPoint& a, const TSurveyPoint& b) { return a.E < b.E || (a.E == b.E && a.N < b.N); });
        benchmark::DoNotOptimize(p.data());
    }
}
BENCHMARK(BM_SortBaseline)->Unit(benchmark::kMillisecond);

void BM_ReadPointFile(benchmark::State& state)
{
    const std::string& text = Text();
    for (auto _ : state) {
        const TPointFormat f = DetectPointFormat(text);
        benchmark::DoNotOptimize(ReadPoints(text, f).Points.size());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_ReadPointFile)->Unit(benchmark::kMillisecond);

void BM_Triangulate(benchmark::State& state)
{
    for (auto _ : state) {
        TPointTriangulation t(Points());
        benchmark::DoNotOptimize(t.HullArea());
    }
}
BENCHMARK(BM_Triangulate)->Unit(benchmark::kMillisecond);

void BM_GridFromTriangulation(benchmark::State& state)
{
    const TPointTriangulation t(Points());
    const TGridParams p = Params();
    const auto method = state.range(0) == 0 ? TGridMethod::Triangulation : TGridMethod::Nearest;
    for (auto _ : state) {
        TGridParams q = p;
        q.Method = method;
        const TGriddedPoints g = GridPoints(t, q, '.');
        state.counters["stakes"] = double(g.ValueCount);
    }
}
BENCHMARK(BM_GridFromTriangulation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PointsToGrid(benchmark::State& state)
{
    for (auto _ : state) {
        TPointTriangulation t(Points());
        const TGriddedPoints g = GridPoints(t, Params(), '.');
        benchmark::DoNotOptimize(g.ValueCount);
    }
}
BENCHMARK(BM_PointsToGrid)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
