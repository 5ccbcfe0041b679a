#include "calc/Haul.h"

#include "calc/CalcSist.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace nivora {

THaulField HaulFieldOf(const TTerreno& terrain, const TUsedRect& area)
{
    THaulField f;
    const TUsedRect r{std::max(area.FirstCol, 1), std::max(area.FirstRow, 1),
                      std::min(area.LastCol, terrain.ColCount()), std::min(area.LastRow, terrain.RowCount())};
    if (r.IsEmpty())
        return f;
    f.Cols = r.LastCol - r.FirstCol + 1;
    f.Rows = r.LastRow - r.FirstRow + 1;
    f.Lx = static_cast<long double>(terrain.Lx());
    f.Ly = static_cast<long double>(terrain.Ly());
    const long double cell = f.Lx * f.Ly;
    f.Supply.assign(static_cast<std::size_t>(f.Cols) * static_cast<std::size_t>(f.Rows), 0);
    std::size_t k = 0;
    for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row)
        for (std::int32_t col = r.FirstCol; col <= r.LastCol; ++col, ++k) {
            const long double d = terrain.CutFill(col, row);
            if (d == TTerreno::NoValue)
                continue;
            ++f.StakeCount;
            f.Supply[k] = -d * cell;
            if (d < 0)
                f.CutVolume -= d * cell;
            else
                f.FillVolume += d * cell;
        }
    // Each fill takes the cut that fills it at the design's ratio.
    const long double ratio = f.FillVolume > 0 ? f.CutVolume / f.FillVolume : 0;
    for (long double& s : f.Supply)
        if (s < 0)
            s *= ratio;
    return f;
}

THaulResult ComputeHaul(const TTerreno& terrain, const TUsedRect& area, THaulSolver solver)
{
    THaulResult h;
    const THaulField f = HaulFieldOf(terrain, area);
    h.Area = {std::max(area.FirstCol, 1), std::max(area.FirstRow, 1), std::min(area.LastCol, terrain.ColCount()),
              std::min(area.LastRow, terrain.RowCount())};
    if (f.StakeCount == 0)
        return h;
    h.Computed = true;
    h.Lx = f.Lx;
    h.Ly = f.Ly;
    h.CutVolume = f.CutVolume;
    h.FillVolume = f.FillVolume;
    h.Ratio = f.FillVolume > 0 ? f.CutVolume / f.FillVolume : 0;
    std::vector<long double> perCol(std::size_t(f.Cols), 0), perRow(std::size_t(f.Rows), 0);
    for (std::int32_t j = 0; j < f.Rows; ++j)
        for (std::int32_t i = 0; i < f.Cols; ++i) {
            const long double s = f.Supply[std::size_t(j) * std::size_t(f.Cols) + std::size_t(i)];
            perCol[std::size_t(i)] += s;
            perRow[std::size_t(j)] += s;
        }
    // Only the lines between stakes: past the last one the sum is zero.
    perCol.pop_back();
    perRow.pop_back();
    std::partial_sum(perCol.begin(), perCol.end(), std::back_inserter(h.MassX));
    std::partial_sum(perRow.begin(), perRow.end(), std::back_inserter(h.MassY));
    // Without fill (or without cut) nothing moves within the field.
    if (f.CutVolume > 0 && f.FillVolume > 0) {
        h.Moment = LeastHaulMoment(f, solver);
        h.MeanHaul = h.Moment / f.CutVolume;
    }
    return h;
}

THaulCost HaulCost(const THaulResult& haul, long double volumePrice, long double haulPrice)
{
    THaulCost c;
    c.Volume = haul.CutVolume * volumePrice;
    c.Haul = haul.Moment / 1000 * haulPrice;
    c.Total = c.Volume + c.Haul;
    return c;
}

}  // namespace nivora
