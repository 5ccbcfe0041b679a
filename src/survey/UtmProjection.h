#pragma once
// GNSS receivers often write longitude and latitude. The grid needs metres:
// the points go to UTM on WGS 84 (SIRGAS 2000 agrees with it to the
// centimetre), in the zone of the middle of the survey.

#include "survey/PointFile.h"

#include <vector>

namespace nivora {

struct TUtmZone {
    int Zone = 0;  // 1..60
    bool South = false;
};

// The zone of a longitude and latitude in degrees; the southern hemisphere
// for negative latitudes.
TUtmZone UtmZoneOf(double longitude, double latitude);

// The zone of the points' middle (E longitude, N latitude, in degrees): the
// circular mean of the longitudes, so that a survey across the 180th
// meridian falls in zone 60 or 1; the hemisphere of the mean latitude.
TUtmZone UtmZoneOfPoints(const std::vector<TSurveyPoint>& points);

// Takes E as longitude and N as latitude, in degrees, and projects them in
// place to the zone of their middle (UtmZoneOfPoints), which it returns.
// Throws TPointError when the projection fails.
TUtmZone ProjectToUtm(std::vector<TSurveyPoint>& points);
void ProjectToUtm(std::vector<TSurveyPoint>& points, TUtmZone zone);

}  // namespace nivora
