#pragma once
// GNSS receivers often write longitude and latitude. The grid needs metres:
// the points go to UTM on WGS 84 (SIRGAS 2000 agrees with it to the
// centimetre), in the zone of the middle of the survey.

#include "survey/PointFile.h"

#include <vector>

namespace nivora {

struct TUtmZone {
    int Zone = 0;       // 1..60
    bool South = false;
};

// The zone of a longitude and latitude in degrees; the southern hemisphere
// for negative latitudes.
TUtmZone UtmZoneOf(double longitude, double latitude);

// Takes E as longitude and N as latitude, in degrees, and projects them in
// place to the zone of the middle of their box, which it returns. Throws
// TPointError when the projection fails.
TUtmZone ProjectToUtm(std::vector<TSurveyPoint>& points);
void ProjectToUtm(std::vector<TSurveyPoint>& points, TUtmZone zone);

}  // namespace nivora
