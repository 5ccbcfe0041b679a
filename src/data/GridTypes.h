#pragma once
// The words the elevation grid is spoken of in, apart from the store that
// holds it: a stake's position and value, a rectangle of stakes, the grid's
// size limit and what an elevation may be. Most of the program needs these
// and not the store itself.

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace nivora {

constexpr std::int32_t MaxGridSize = 1000;

struct TCotaPoint {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    float Value = 0.0f;
    bool operator==(const TCotaPoint&) const = default;
};

// A rectangle of stakes, inclusive, 1-based.
struct TUsedRect {
    std::int32_t FirstCol = 0;
    std::int32_t FirstRow = 0;
    std::int32_t LastCol = 0;
    std::int32_t LastRow = 0;
    bool operator==(const TUsedRect&) const = default;
    bool IsEmpty() const { return FirstCol > LastCol || FirstRow > LastRow; }
    std::int64_t CellCount() const
    {
        // In 64 bits before subtracting: a rectangle read from a file may
        // span the whole 32-bit range.
        return IsEmpty() ? 0 : (std::int64_t(LastCol) - FirstCol + 1) * (std::int64_t(LastRow) - FirstRow + 1);
    }
};

constexpr float kMinimumSentinel = 1e10f;
constexpr float kMaximumSentinel = -1e10f;

// Whether the store may hold `value`: a finite single. A project file whose
// cells hold anything else is refused as damaged, so nothing else is ever
// stored; every entry (typing, paste, import, survey points) checks its
// values first and tells the user in its own words.
inline bool IsStorableElevation(float value) { return std::isfinite(value); }

// Thrown by the cell setters for a value that is not storable, before
// anything changes. Its text is for the user: the command's error report
// shows it.
class TElevationError : public std::invalid_argument {
public:
    TElevationError();
};

}  // namespace nivora
