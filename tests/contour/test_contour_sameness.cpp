// The fast contour lines against the plain algorithm: the same lines, points
// and order, before and after assembly, on many random grids and on random
// segment streams that crowd many line ends onto few points.

#include "PlainContours.h"

#include "calc/CalcSist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

using namespace nivora;

namespace {

std::vector<std::vector<TPoint>> Points(std::span<const TLine> lines)
{
    std::vector<std::vector<TPoint>> v;
    for (const TLine& l : lines)
        v.push_back(l.PointList());
    return v;
}

std::string Show(const std::vector<std::vector<TPoint>>& lines)
{
    std::string s;
    for (const auto& l : lines) {
        s += "[";
        for (const TPoint& p : l)
            s.append("(").append(std::to_string(p.X)).append(",").append(std::to_string(p.Y)).append(")");
        s += "]\n";
    }
    return s;
}

struct RandomCase {
    std::unique_ptr<TTerreno> terrain;
    TUsedRect area;
    std::vector<long double> levels;
    TMapTransform transform;
};

// Grids that make the rules work: small integer elevations (corners and
// centres on the level, flat edges), plateaus, holes, coarse transforms that
// round different crossings onto the same map point, areas that leave the
// grid, repeated levels.
RandomCase MakeCase(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    auto uni = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };

    const int cols = uni(2, 36), rows = uni(2, 36);
    const float spacings[] = {1.0f, 2.5f, 20.0f, 0.3f, 7.0f};
    RandomCase rc;
    rc.terrain = std::make_unique<TTerreno>(cols, rows, spacings[uni(0, 4)], spacings[uni(0, 4)]);
    TTerreno& t = *rc.terrain;
    if (uni(0, 2) == 0) {
        t.SetOrigin(312000.0L, 7455000.0L);
    }
    const int kind = uni(0, 2);
    const double holes = real(0.0, 0.3);
    const double fx = real(0.05, 0.6), fy = real(0.05, 0.6);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            if (real(0, 1) < holes)
                continue;
            double z = 0;
            if (kind == 0)
                z = uni(1, 6);
            else if (kind == 1)
                z = 100 + 3 * std::sin(c * fx) * std::cos(r * fy) + 0.1 * c + real(-0.05, 0.05);
            else
                z = std::round(10 + 4 * std::sin(c * fx + r * fy));
            t.SetCell(c, r, static_cast<float>(z));
        }

    rc.area = {1, 1, cols, rows};
    if (uni(0, 2) == 0)
        rc.area = {uni(1, cols), uni(1, rows), uni(1, cols + 3), uni(1, rows + 3)};
    if (rc.area.FirstCol > rc.area.LastCol)
        std::swap(rc.area.FirstCol, rc.area.LastCol);
    if (rc.area.FirstRow > rc.area.LastRow)
        std::swap(rc.area.FirstRow, rc.area.LastRow);

    const float lo = kind == 1 ? 96.0f : 1.0f, hi = kind == 1 ? 106.0f : 14.0f;
    const int n = uni(1, 25);
    for (int k = 0; k < n; ++k) {
        const int how = uni(0, 3);
        if (how == 0 && !rc.levels.empty())
            rc.levels.push_back(rc.levels[std::size_t(uni(0, int(rc.levels.size()) - 1))]);
        else if (how == 1)
            rc.levels.push_back(std::round(real(lo, hi) * 2) / 2);
        else
            rc.levels.push_back(real(lo, hi));
    }

    const float x0 = t.StakeX(1), y0 = t.StakeY(1);
    const long double unitsPerCell = real(0.7, 120.0);
    const float sx = static_cast<float>(unitsPerCell / static_cast<long double>(t.Lx()));
    const float sy = static_cast<float>(unitsPerCell / static_cast<long double>(t.Ly()));
    rc.transform.MapX = [=](float x) {
        return std::int32_t(std::llrint((static_cast<long double>(x) - x0) * sx)) + 1000;
    };
    rc.transform.MapY = [=](float y) {
        return std::int32_t(std::llrint((static_cast<long double>(y) - y0) * sy)) + 666;
    };
    return rc;
}

}  // namespace

TEST(ContourSameness, RandomGrids)
{
    int lines = 0, gone = 0;
    for (std::uint32_t seed = 1; seed <= 1500; ++seed) {
        RandomCase rc = MakeCase(seed);
        TCurvas curves;
        TraceLevels(curves, *rc.terrain, rc.area, rc.levels, rc.transform);
        ASSERT_EQ(curves.Count(), rc.levels.size());
        for (std::size_t k = 0; k < rc.levels.size(); ++k) {
            std::vector<TLine> plain;
            plain::TraceLevel(plain, *rc.terrain, rc.area, static_cast<float>(rc.levels[k]), rc.transform);
            TCurva& fast = *curves.Curve(std::ptrdiff_t(k));
            ASSERT_EQ(Points(fast.Lines()), Points(plain))
                << "traced, seed " << seed << " level " << double(rc.levels[k]) << "\nfast\n"
                << Show(Points(fast.Lines())) << "plain\n"
                << Show(Points(plain));
            const std::size_t before = plain.size();
            plain::Assemble(plain);
            Assemble(fast);
            ASSERT_EQ(Points(fast.Lines()), Points(plain))
                << "assembled, seed " << seed << " level " << double(rc.levels[k]);
            lines += int(plain.size());
            gone += int(before - plain.size());
        }
    }
    // The cases must exercise something.
    EXPECT_GT(lines, 3000);
    EXPECT_GT(gone, 3000);
    std::printf("%d lines kept, %d joined or pruned away\n", lines, gone);
}

TEST(ContourSameness, OneLevelAtATime)
{
    for (std::uint32_t seed = 5000; seed < 5200; ++seed) {
        RandomCase rc = MakeCase(seed);
        TCurvas all, single;
        TraceLevels(all, *rc.terrain, rc.area, rc.levels, rc.transform);
        for (const long double level : rc.levels) {
            single.AddLevel(level);
            TraceLevel(single, *rc.terrain, rc.area, static_cast<float>(level), rc.transform);
        }
        for (std::size_t k = 0; k < rc.levels.size(); ++k)
            ASSERT_EQ(Points(all.Curve(std::ptrdiff_t(k))->Lines()), Points(single.Curve(std::ptrdiff_t(k))->Lines()))
                << "seed " << seed;
    }
}

// More levels than one sweep counts in a byte: they are traced in batches.
TEST(ContourSameness, ManyLevels)
{
    RandomCase rc = MakeCase(77);
    rc.levels.clear();
    for (int k = 0; k < 600; ++k)
        rc.levels.push_back(1.0L + 0.02L * k);
    rc.levels.push_back(3.0L);  // and a repeated one
    TCurvas all;
    TraceLevels(all, *rc.terrain, rc.area, rc.levels, rc.transform);
    std::size_t traced = 0;
    for (std::size_t k = 0; k < rc.levels.size(); ++k) {
        std::vector<TLine> plain;
        plain::TraceLevel(plain, *rc.terrain, rc.area, static_cast<float>(rc.levels[k]), rc.transform);
        ASSERT_EQ(Points(all.Curve(std::ptrdiff_t(k))->Lines()), Points(plain)) << "level " << double(rc.levels[k]);
        traced += plain.size();
    }
    EXPECT_GT(traced, 100u);
}

// Segments between a handful of points: many lines end on the same point,
// lines close, join both ways round and are joined again in later passes.
TEST(ContourSameness, CrowdedSegments)
{
    for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
        std::mt19937 rng(seed);
        const int span = std::uniform_int_distribution<int>(1, 6)(rng);
        const int count = std::uniform_int_distribution<int>(1, 120)(rng);
        auto coord = [&] { return std::uniform_int_distribution<int>(0, span)(rng) * 170; };
        TCurva fast(1.0L);
        std::vector<TLine> plain;
        for (int s = 0; s < count; ++s) {
            const TPoint p{coord(), coord()}, q{coord(), coord()};
            fast.AddSegment(p, q);
            plain::AddSegment(plain, p, q);
        }
        ASSERT_EQ(Points(fast.Lines()), Points(plain)) << "chained, seed " << seed;
        plain::Assemble(plain);
        Assemble(fast);
        ASSERT_EQ(Points(fast.Lines()), Points(plain)) << "assembled, seed " << seed << "\nfast\n"
                                                       << Show(Points(fast.Lines())) << "plain\n"
                                                       << Show(Points(plain));
    }
}
