#include "PlainContours.h"

#include "calc/CalcSist.h"

#include <algorithm>

namespace nivora::plain {

void AddSegment(std::vector<TLine>& lines, TPoint p, TPoint q)
{
    for (TLine& line : lines)
        if (TryAttach(line, p, q) != TAttach::Refused)
            return;
    lines.emplace_back(p, q);
}

void TraceLevel(std::vector<TLine>& lines, const TTerreno& t, const TUsedRect& area, float level,
                const TMapTransform& transform)
{
    for (std::int32_t c = area.FirstCol + 1; c <= area.LastCol; ++c)
        for (std::int32_t r = area.FirstRow + 1; r <= area.LastRow; ++r) {
            const std::int32_t cols[4] = {c - 1, c, c, c - 1};
            const std::int32_t rows[4] = {r - 1, r - 1, r, r};
            TSurfacePoint p[4];
            bool complete = true;
            for (int k = 0; k < 4; ++k) {
                p[k] = {t.StakeX(cols[k]), t.StakeY(rows[k]), t.GetCell(cols[k], rows[k])};
                complete = complete && p[k].z != 0.0f;
            }
            if (!complete)
                continue;
            const float lo = std::min({p[0].z, p[1].z, p[2].z, p[3].z});
            const float hi = std::max({p[0].z, p[1].z, p[2].z, p[3].z});
            if (!(lo < level && level < hi))
                continue;
            const TSurfacePoint m{static_cast<float>((static_cast<long double>(t.StakeX(c - 1)) + t.StakeX(c)) * 0.5L),
                                  static_cast<float>((static_cast<long double>(t.StakeY(r - 1)) + t.StakeY(r)) * 0.5L),
                                  static_cast<float>((static_cast<long double>(p[0].z) + p[1].z + p[2].z + p[3].z)
                                                     * 0.25L)};
            for (int k = 0; k < 4; ++k) {
                TSurfacePoint a, b;
                if (IntersectTriangle(p[k], p[(k + 1) % 4], m, level, a, b))
                    AddSegment(lines, {transform.MapX(a.x), transform.MapY(a.y)},
                               {transform.MapX(b.x), transform.MapY(b.y)});
            }
        }
}

void Assemble(std::vector<TLine>& lines)
{
    for (bool changed = true; changed;) {
        changed = false;
        const std::size_t n = lines.size();
        if (n > 1) {
            std::vector<bool> removed(n, false);
            for (std::size_t i = 0; i < n; ++i) {
                if (removed[i])
                    continue;
                for (std::size_t j = i + 1; j < n; ++j) {
                    if (removed[j])
                        continue;
                    if (TryJoin(lines[i], lines[j]) != TJoin::None) {
                        removed[j] = true;
                        changed = true;
                    }
                }
            }
            std::vector<TLine> kept;
            for (std::size_t i = 0; i < n; ++i)
                if (!removed[i])
                    kept.push_back(std::move(lines[i]));
            lines.swap(kept);
        }
    }
    for (TLine& line : lines)
        if (!line.IsClosed()) {
            const long double gap = line.EndGap();
            const long double len = line.LineLength();
            if (gap < 3 * len / static_cast<long double>(line.Count()))
                line.AddLast(line.First());
        }
    for (std::size_t i = lines.size(); i-- > 0;)
        if (lines[i].LineLength() < 500)
            lines.erase(lines.begin() + std::ptrdiff_t(i));
}

}  // namespace nivora::plain
