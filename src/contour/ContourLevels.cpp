#include "ContourLevels.h"

#include "data/NumberFormat.h"
#include "data/NumberUtils.h"

#include <algorithm>
#include <cmath>

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
    // Level k is Min + k x Step, each from the bounds so that no error of
    // earlier additions gathers, rounded to the tenth significant digit of
    // the larger bound, the last the list can show: 41,25 + 6 x 0,15 is
    // 42,15 and a level meant to be 0 is 0. A level within half a unit of
    // that digit above Max still counts as reaching it. An interval too small
    // to move the level ends the list, and so does a bound on the passes.
    const long double min = e.Min, max = e.Max, step = e.Step;
    const long double scale = std::max(std::fabs(min), std::fabs(max));
    const long double unit =
        scale > 0 && std::isfinite(scale) ? std::pow(10.0L, std::floor(std::log10(scale)) - 9) : 0.0L;
    const auto shown = [&](long double v) { return unit > 0 ? std::nearbyint(v / unit) * unit : v; };
    Real48 previous;
    for (long k = 0; k < 1000000 && list.size() < std::size_t(kMaxContourLevels); ++k) {
        const long double exact = min + static_cast<long double>(k) * step;
        const Real48 level = shown(exact);
        if (k > 0 && (!(step > 0) || exact > max + unit / 2 || level == previous))
            break;
        const std::string text = FormatGeneral(level, 10, sep);
        const auto at = std::lower_bound(list.begin(), list.end(), text);
        if (at == list.end() || *at != text)
            list.insert(at, text);
        previous = level;
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
