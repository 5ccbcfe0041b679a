#include "survey/UtmProjection.h"

#include "survey/PointGrid.h"

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>

namespace nivora {

TUtmZone UtmZoneOf(double longitude, double latitude)
{
    TUtmZone z;
    z.Zone = std::clamp(static_cast<int>(std::floor((longitude + 180.0) / 6.0)) + 1, 1, 60);
    z.South = latitude < 0;
    return z;
}

TUtmZone UtmZoneOfPoints(const std::vector<TSurveyPoint>& points)
{
    if (points.empty())
        return {};
    // Longitudes are angles: their mean is the direction of the sum of their
    // unit vectors, which does not jump at the 180th meridian.
    double s = 0, c = 0, lat = 0;
    for (const TSurveyPoint& p : points) {
        const double l = p.E * std::numbers::pi / 180;
        s += std::sin(l), c += std::cos(l);
        lat += p.N;
    }
    double lon = std::atan2(s, c) * 180 / std::numbers::pi;
    if (lon >= 180)
        lon -= 360;
    return UtmZoneOf(lon, lat / double(points.size()));
}

TUtmZone ProjectToUtm(std::vector<TSurveyPoint>& points)
{
    if (points.empty())
        return {};
    const TUtmZone zone = UtmZoneOfPoints(points);
    ProjectToUtm(points, zone);
    return zone;
}

void ProjectToUtm(std::vector<TSurveyPoint>& points, TUtmZone zone)
{
    // The projection alone, from the ellipsoid's geographic coordinates in
    // radians: no CRS database is looked up, so nothing depends on the
    // data files being where PROJ expects them.
    const std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> ctx(proj_context_create(), proj_context_destroy);
    const std::string definition =
        "+proj=utm +zone=" + std::to_string(zone.Zone) + (zone.South ? " +south" : "") + " +ellps=WGS84 +units=m";
    const std::unique_ptr<PJ, decltype(&proj_destroy)> pj(proj_create(ctx.get(), definition.c_str()), proj_destroy);
    if (!pj)
        throw TPointError("Não foi possível preparar a projeção UTM (fuso " + std::to_string(zone.Zone) + ").");
    for (TSurveyPoint& p : points) {
        PJ_COORD c = proj_coord(proj_torad(p.E), proj_torad(p.N), 0, 0);
        c = proj_trans(pj.get(), PJ_FWD, c);
        if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y) || c.xy.x == HUGE_VAL)
            throw TPointError("Não foi possível projetar o ponto de longitude " + std::to_string(p.E) + " e latitude "
                              + std::to_string(p.N) + " em UTM.");
        p.E = c.xy.x;
        p.N = c.xy.y;
    }
}

}  // namespace nivora
