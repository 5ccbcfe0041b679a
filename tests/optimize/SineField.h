#pragma once
// The sine test field: a fall along X, a rise along Y and two waves, at
// 5 m, x and y in metres from the first stake.

#include "calc/CalcSist.h"
#include "calc/LimitedPlane.h"
#include "optimize/OptimizedSurface.h"

#include <cmath>
#include <numbers>

namespace nivora::test {

inline TSurfaceField SineField(int cols, int rows, double spacing = 5)
{
    TSurfaceField f;
    f.Cols = cols;
    f.Rows = rows;
    f.Lx = spacing;
    f.Ly = spacing;
    const double pi = std::numbers::pi;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const double x = c * spacing, y = r * spacing;
            f.Z.push_back(float(100 - 0.0008 * x + 0.0003 * y
                                + 0.12 * std::sin(2 * pi * x / 400) * std::cos(2 * pi * y / 300)
                                + 0.05 * std::sin(2 * pi * x / 97 + 1) * std::sin(2 * pi * y / 83)));
        }
    return f;
}

// Fall 0,05 to 0,3 % along +X, cross slope within 0,1 %, ratio 1,2.
inline TSurfaceOptions SineOptions(int step)
{
    TSurfaceOptions o;
    o.Limits.Main = {-0.003L, -0.0005L};
    o.Limits.Cross = {-0.001L, 0.001L};
    o.Ratio = 1.2L;
    o.Step = step;
    return o;
}

// The best plane under the same limits at the same ratio, designed as the
// program designs a limited plan (user plan 2 of a terrain holding the field).
inline TPlano LimitedPlaneOf(const TSurfaceField& f, const TSurfaceOptions& o)
{
    TTerreno t(f.Cols, f.Rows, float(f.Lx), float(f.Ly));
    t.SetAutoExtremes(false);
    for (int r = 0; r < f.Rows; ++r)
        t.SetRowCells(1, r + 1, f.Z.data() + std::size_t(r) * std::size_t(f.Cols), std::size_t(f.Cols));
    t.SetAutoExtremes(true);
    t.UpdateUsedRect();
    t.SetSelection(t.UsedRect());
    if (!Systematize(t, false, -1).Computed)
        return {};
    TLimitedDesign d;
    d.Limits = o.Limits;
    d.Ratio = o.Ratio;
    d.Balance = o.Balance;
    if (!DesignLimitedPlan(t, 2, d, ',').Run.Computed)
        return {};
    return t.Plans()[2];
}

}  // namespace nivora::test
