#include "WinSurfText.h"

#include "calc/CalcSist.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"

namespace nivora {

std::string WinSurfListing(TTerreno& t, int decimals, char sep)
{
    const TUsedRect r = t.ComputeUsedRect();
    const bool real = t.Extension().Georeference.has_value();
    std::string out;
    out.reserve(std::size_t(t.ValueCount()) * 32);
    for (std::int32_t c = r.FirstCol; c <= r.LastCol; ++c) {
        const std::string x = CoordinateFixed(StakeCoordinates(t, c, r.FirstRow).X, real, decimals, sep);
        for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row) {
            const float z = t.GetCell(c, row);
            if (z == 0.0f)
                continue;
            if (!out.empty())
                out += "\r\n";
            out += x;
            out += '\t';
            // A georeferenced stake is listed at its own northing (the top
            // row is the north when rows run south); otherwise Y is mirrored
            // within the used rectangle.
            const std::int32_t yRow = real ? row : r.FirstRow + r.LastRow - row;
            out += CoordinateFixed(StakeCoordinates(t, c, yRow).Y, real, decimals, sep);
            out += '\t';
            out += FormatFixed(z, decimals, 10, sep);
        }
    }
    return out;
}

}  // namespace nivora
