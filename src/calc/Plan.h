#pragma once
// A plan of the terrain (the design plane with its volumes and typed texts)
// and the small results and rules that go with it, apart from the terrain
// that computes them: the windows and reports that show a plan need these
// alone.

#include "data/Real48.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nivora {

class TByteWriter;
class TByteReader;

// A text of at most 18 characters as the plan record keeps it: a length byte
// and the characters in code page 1252. Bytes beyond the length are carried
// along unchanged so that a record reads and writes back byte for byte.
struct TShortText {
    static constexpr std::size_t kCapacity = 18;
    std::uint8_t Length = 0;
    std::array<char, kCapacity> Chars{};

    std::string Str() const;               // the code page 1252 bytes
    void Assign(std::string_view cp1252);  // cut at 18 characters
    bool operator==(const TShortText&) const = default;
};

// One plan: the design plane and its results.
struct TPlano {
    static constexpr std::size_t kSize = 116;

    Real48 Sx;
    Real48 Sy;
    Real48 OriginElevation;
    Real48 CutVolume;
    Real48 FillVolume;
    Real48 CutFillRatio;
    Real48 MaxCut;
    Real48 MaxFill;
    std::int32_t CutCount = 0;
    std::int32_t FillCount = 0;
    TShortText SxText;
    TShortText SyText;
    TShortText RatioText;
    bool Valid = false;
    std::array<std::uint8_t, 2> Reserved{};

    // The ratio has a value only when there is fill to divide by; otherwise
    // CutFillRatio holds 0 and the plan is not left valid.
    bool RatioDefined() const { return FillVolume != 0.0L; }

    void Write(TByteWriter& s) const;
    bool Read(TByteReader& s);
    bool operator==(const TPlano&) const = default;
};

// Outcome of a ratio adjustment.
struct TAdjustResult {
    int Steps = 0;           // passes made (0 when nothing could be done)
    bool Converged = false;  // the ratio is within 0.001 of the request
};

// What a systematization run or a plan's recalculation (below the terrain)
// did: Computed is false when the area held nothing to compute.
struct TSystematizeResult {
    bool Computed = false;
    TAdjustResult Adjust;
};

// A stake's cut or fill is its design elevation less its natural one:
// positive a fill, negative a cut. One rule decides the side for every reader
// (the plan's volumes and counts, the computed views, the cut-and-fill map
// and its readout, the field report and the exports): a stake whose design
// lies within kOnPlaneTolerance of its elevation is on the plane, a fill of
// depth 0, so that the rounding of the computations (some 1e-9 m with the
// coordinates of a survey) never decides it. A field whose elevations lie
// exactly on a plane has every stake on its best plane: no cut, no fill and
// no ratio, a plan that is not a valid result and that no ratio can be
// reached from.
constexpr long double kOnPlaneTolerance = 1e-6L;  // metres: a thousandth of a millimetre
inline long double OnPlane(long double cutFill)
{
    return cutFill <= kOnPlaneTolerance && cutFill >= -kOnPlaneTolerance ? 0.0L : cutFill;
}
// The side of a stake's cut or fill as CutFill gives it (never NoValue).
inline bool IsCutStake(long double cutFill) { return cutFill < 0; }
// The cut or fill of a stake without elevation (TTerreno::NoValue).
constexpr long double kNoCutFill = -9999.99L;

// Earth that leaves or enters the field beside what the plane moves: cut
// exported (wasted), loose soil imported (borrowed) and soil imported already
// compacted, in cubic metres. The ratio adjustment then balances
//   cut - Export + Import = ratio x (fill - ImportCompacted).
struct TEarthBalance {
    long double Export = 0;
    long double Import = 0;
    long double ImportCompacted = 0;
    bool Empty() const { return Export == 0 && Import == 0 && ImportCompacted == 0; }
};

struct TMapLimits {
    float MinElevation = 0.0f;
    float MaxElevation = 0.0f;
    std::int32_t SubdivisionLimitX = 0;
    std::int32_t SubdivisionLimitY = 0;
};

}  // namespace nivora
