#include "ContourLevels.h"

#include "data/NumberFormat.h"
#include "data/NumberUtils.h"

#include <algorithm>

namespace nivora {

void TContourRequest::TakeLimits(const TMapLimits& limits)
{
    MinElevation = limits.MinElevation;
    MaxElevation = limits.MaxElevation;
    SubdivisionLimitX = static_cast<float>(limits.SubdivisionLimitX);
    SubdivisionLimitY = static_cast<float>(limits.SubdivisionLimitY);
}

std::vector<long double> TContourRequest::LevelList() const
{
    const int n = std::clamp(LevelCount, 0, kMaxContourLevels);
    return {Levels.begin(), Levels.begin() + n};
}

TEquidistant DefaultEquidistant(float lowest, float highest)
{
    int count = 0;
    const Real48 step = RoundedStep(5, 10, count, static_cast<long double>(highest) - lowest);
    if (!(step > 0.0L))
        return {lowest, lowest, 1.0L};
    TEquidistant e;
    e.Step = step;
    e.Min = static_cast<long double>(CeilInt(lowest / step)) * step;
    e.Max = static_cast<long double>(FloorInt(highest / step)) * step;
    return e;
}

void AddEquidistantLevels(std::vector<std::string>& list, const TEquidistant& e, char sep)
{
    // The running level is a 6-byte real. An interval too small to move it
    // ends the list, and so does a bound on the passes for one that moves it
    // without ever changing the text.
    Real48 level = e.Min;
    for (int pass = 0; pass < 1000000 && list.size() < std::size_t(kMaxContourLevels); ++pass) {
        const std::string text = FormatGeneral(level, 10, sep);
        const auto at = std::lower_bound(list.begin(), list.end(), text);
        if (at == list.end() || *at != text)
            list.insert(at, text);
        const Real48 next = level + e.Step;
        if (next == level || next > e.Max)
            break;
        level = next;
    }
}

bool SetRequestLevels(TContourRequest& request, const std::vector<std::string>& list, char sep)
{
    if (list.empty() || list.size() > std::size_t(kMaxContourLevels))
        return false;
    std::array<Real48, kMaxContourLevels> levels{};
    for (std::size_t i = 0; i < list.size(); ++i) {
        long double v = 0;
        if (!ParseNumber(list[i], v, sep))
            return false;
        levels[i] = v;
    }
    request.Levels = levels;
    request.LevelCount = static_cast<std::int32_t>(list.size());
    return true;
}

}  // namespace nivora
