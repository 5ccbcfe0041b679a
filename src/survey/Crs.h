#pragma once
// Coordinate systems by EPSG code: what the projection library's database
// says of a code, and the system the import proposes for a UTM zone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nivora {

struct TCrsInfo {
    std::string Name;        // "SIRGAS 2000 / UTM zone 22S"
    bool Projected = false;  // a projected system (easting and northing)
    bool Metres = false;     // both axes in metres
};

// The database's entry for EPSG:code; nothing when there is no such system.
std::optional<TCrsInfo> LookUpEpsg(std::int32_t code);

// Whether a project's stakes, spaced in metres, can be placed in the system:
// a projected system in metres. The reason when not, in the program's words.
std::optional<std::string> EpsgRefusal(std::int32_t code);

// The system proposed for points projected to UTM zone `zone` (1..60): SIRGAS
// 2000, the datum Brazilian surveys are delivered in, for the zones that cover
// Brazil south of the equator (17S to 25S: EPSG 31977 to 31985); WGS 84 / UTM
// (326nn north, 327nn south) elsewhere.
std::int32_t ProposedUtmEpsg(int zone, bool south);

struct TSurveyPoint;
// Takes E as longitude and N as latitude, in degrees on the system's own
// datum, and projects them in place to EPSG:code, a system EpsgRefusal
// takes. Throws TPointError when a point cannot be projected.
void ProjectToCrs(std::vector<TSurveyPoint>& points, std::int32_t code);

}  // namespace nivora
