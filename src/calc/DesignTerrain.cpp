#include "DesignTerrain.h"

#include <limits>

namespace nivora {

std::optional<TTerreno> DesignTerrain(const TTerreno& t)
{
    const TUsedRect area = t.LastArea();
    if (!t.PlaneComputed() || !t.ResultsValid() || area.IsEmpty())
        return std::nullopt;
    TTerreno design(t.ColCount(), t.RowCount(), float(t.Lx()), float(t.Ly()));
    design.SetOrigin(static_cast<long double>(t.OriginX()), static_cast<long double>(t.OriginY()));
    design.SetExtension(t.Extension());
    const std::int32_t lastCol = std::min(area.LastCol, t.ColCount());
    const std::int32_t lastRow = std::min(area.LastRow, t.RowCount());
    for (std::int32_t r = std::max(area.FirstRow, 1); r <= lastRow; ++r)
        for (std::int32_t c = std::max(area.FirstCol, 1); c <= lastCol; ++c) {
            if (t.GetCell(c, r) == 0.0f)
                continue;
            const float z = static_cast<float>(t.DesignElevation(c, r));
            design.SetCell(c, r, z == 0.0f ? std::numeric_limits<float>::denorm_min() : z);
        }
    design.UpdateUsedRect();
    design.RecomputeExtremes();
    design.SetSelection(area);
    return design;
}

}  // namespace nivora
