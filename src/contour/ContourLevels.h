#pragma once
// The contour levels of an altimetric map: the request the map dialog hands to
// the map builder, and the equidistant levels that the second dialog proposes
// (an interval rounded for five to ten divisions of the elevation range, the
// lowest and highest multiples of it inside the range).

#include "calc/Plan.h"
#include "data/Real48.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nivora {

constexpr int kMaxContourLevels = 20;

struct TContourRequest {
    float MinElevation = 0.0f;
    float MaxElevation = 0.0f;
    float SubdivisionLimitX = 0.0f;
    float SubdivisionLimitY = 0.0f;
    std::array<Real48, kMaxContourLevels> Levels{};
    std::int32_t LevelCount = 0;
    std::int32_t Smoothing = 0;

    // The first four fields, from the terrain's map limits.
    void TakeLimits(const TMapLimits& limits);
    // The levels in request order.
    std::vector<long double> LevelList() const;
};

// The equidistant defaults, kept between the dialogs.
struct TEquidistant {
    long double Min = 0.0L;
    long double Max = 0.0L;
    long double Step = 0.0L;
};

// What the equidistant-levels dialog proposes for elevations from `lowest` to
// `highest`. Equal extremes have no interval to round: the proposal is the one
// elevation, with an interval of 1.
TEquidistant DefaultEquidistant(float lowest, float highest);

// Adds Min, Min + Step, Min + 2 x Step, ... up to Max (each level from the
// bounds, as the list shows it) to the level list as texts (general format,
// 10 significant digits), each unless listed already, until the list holds
// 20 entries. The list is kept in text order, as the dialog's sorted
// list shows it; the first level is added even when Max is below Min.
void AddEquidistantLevels(std::vector<std::string>& list, const TEquidistant& e, char decimalSeparator);

// Fills the request's levels from the list (in list order); false, request
// unchanged, when the list is empty, too long or holds a text that is no
// number.
bool SetRequestLevels(TContourRequest& request, const std::vector<std::string>& list, char decimalSeparator);

}  // namespace nivora
