#pragma once
// A realistic full grid for the benchmarks: 1000 x 1000 stakes, 20 m apart,
// a sloping plane with undulations and a centimetre of noise.

#include "calc/CalcSist.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace nivora::bench {

inline std::unique_ptr<TTerreno> FullGrid(int size = 1000)
{
    auto t = std::make_unique<TTerreno>(size, size, 20.0f, 20.0f);
    t->SetOrigin(312000.0L, 7455000.0L);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> noise(-0.01f, 0.01f);
    t->SetAutoExtremes(false);
    for (int r = 1; r <= size; ++r)
        for (int c = 1; c <= size; ++c)
            t->SetCell(c, r,
                       534.0f + 0.07f * c - 0.024f * r + 0.6f * std::sin(c / 45.0f) * std::cos(r / 35.0f) + noise(rng));
    t->SetAutoExtremes(true);
    return t;
}

// The field of the contour and map benchmarks: the large example's relief
// (per metre) on a full grid whose rows keep a stretch of columns with
// wandering ends, narrower near the top and bottom; about 15 % of the stakes
// are missing beyond that ragged boundary.
inline std::unique_ptr<TTerreno> RaggedField(float spacing)
{
    const int size = 1000;
    auto t = std::make_unique<TTerreno>(size, size, spacing, spacing);
    t->SetOrigin(312000.0L, 7455000.0L);
    std::mt19937 rng(20261207);
    std::normal_distribution<double> noise(0.0, 0.01), wander(0.0, 2.5);
    double left = 55, right = 945;
    t->SetAutoExtremes(false);
    for (int r = 1; r <= size; ++r) {
        left = std::clamp(left + wander(rng) + 0.02 * (55 - left), 1.0, 180.0);
        right = std::clamp(right + wander(rng) + 0.02 * (945 - right), 820.0, 1000.0);
        const double edge = std::min(r, size + 1 - r);
        const int lo = static_cast<int>(left + (edge < 100 ? (100 - edge) * 2.2 : 0));
        const int hi = static_cast<int>(right - (edge < 100 ? (100 - edge) * 1.6 : 0));
        for (int c = lo; c <= hi; ++c) {
            const double x = spacing * (c - 1.0), y = spacing * (r - 1.0);
            const double z = 534.0 + 0.0035 * x - 0.0012 * y + 0.6 * std::sin(x / 900.0) * std::cos(y / 700.0)
                             + 0.25 * std::sin(x / 260.0 + y / 410.0);
            t->SetCell(c, r, static_cast<float>(std::round((z + noise(rng)) * 1000.0) / 1000.0));
        }
    }
    t->SetAutoExtremes(true);
    t->SetSelection(t->ComputeUsedRect());
    return t;
}

// 20 levels evenly inside the elevation range.
inline std::vector<long double> Levels(const TTerreno& t)
{
    const long double lo = t.Minimum().Value, hi = t.Maximum().Value;
    std::vector<long double> v;
    for (int k = 1; k <= 20; ++k)
        v.push_back(std::round((lo + (hi - lo) * k / 21.0L) * 100.0L) / 100.0L);
    return v;
}

// The baseline every pass is measured against: a plain summing loop over the
// same floats.
inline double PlainSum(const std::vector<float>& cells)
{
    double s = 0;
    for (float v : cells)
        s += v;
    return s;
}

}  // namespace nivora::bench
