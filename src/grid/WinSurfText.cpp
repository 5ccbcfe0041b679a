#include "WinSurfText.h"

#include "data/NumberFormat.h"

namespace nivora {

std::string WinSurfListing(TTerreno& t, int decimals, char sep)
{
    const TUsedRect r = t.ComputeUsedRect();
    std::string out;
    out.reserve(std::size_t(t.ValueCount()) * 32);
    for (std::int32_t c = r.FirstCol; c <= r.LastCol; ++c) {
        const std::string x = FormatFixed(t.StakeX(c), decimals, 10, sep);
        for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row) {
            const float z = t.GetCell(c, row);
            if (z == 0.0f)
                continue;
            if (!out.empty())
                out += "\r\n";
            out += x;
            out += '\t';
            out += FormatFixed(t.StakeY(r.FirstRow + r.LastRow - row), decimals, 10, sep);
            out += '\t';
            out += FormatFixed(z, decimals, 10, sep);
        }
    }
    return out;
}

}  // namespace nivora
