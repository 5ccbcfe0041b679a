#pragma once
// A realistic full grid for the benchmarks: 1000 x 1000 stakes, 20 m apart,
// a sloping plane with undulations and a centimetre of noise.

#include "calc/CalcSist.h"

#include <cmath>
#include <memory>
#include <random>

namespace nivora::bench {

inline std::unique_ptr<TTerreno> FullGrid(int size = 1000)
{
    auto t = std::make_unique<TTerreno>(size, size, 20.0f, 20.0f);
    t->OriginX = 312000.0L;
    t->OriginY = 7455000.0L;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> noise(-0.01f, 0.01f);
    t->SetAutoExtremes(false);
    for (int r = 1; r <= size; ++r)
        for (int c = 1; c <= size; ++c)
            t->SetCell(c, r, 534.0f + 0.07f * c - 0.024f * r + 0.6f * std::sin(c / 45.0f) * std::cos(r / 35.0f)
                                 + noise(rng));
    t->SetAutoExtremes(true);
    return t;
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
