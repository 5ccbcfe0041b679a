#pragma once
// The worked field the design tests share: four rows of five stakes 25 m
// apart, whose best plane, limited planes, settlement, profile and haul have
// figures worked out by hand and by outside tools.

#include "calc/CalcSist.h"

#include <set>
#include <utility>

namespace nivora::testing {

// clang-format off
inline constexpr float kWorked[4][5] = {{8.26f, 8.75f, 9.30f, 9.52f, 10.44f},
                                        {7.94f, 8.12f, 8.90f, 8.80f, 9.62f},
                                        {7.12f, 7.86f, 8.35f, 8.60f, 8.42f},
                                        {6.74f, 7.28f, 7.94f, 8.16f, 7.80f}};
// clang-format on

// The worked field with its stake (1, 1) at (x0, y0), less the stakes
// (column, row) in `missing`.
inline TTerreno Worked(const std::set<std::pair<int, int>>& missing = {}, long double x0 = 0, long double y0 = 0)
{
    TTerreno t(5, 4, 25.0f, 25.0f);
    t.SetOrigin(x0, y0);
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 5; ++c)
            if (!missing.count({c, r}))
                t.SetCell(c, r, kWorked[r - 1][c - 1]);
    return t;
}

}  // namespace nivora::testing
