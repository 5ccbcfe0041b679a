#include "survey/Crs.h"

#include "survey/PointGrid.h"

#include <proj.h>

#include <cmath>
#include <memory>

namespace nivora {

std::optional<TCrsInfo> LookUpEpsg(std::int32_t code)
{
    if (code <= 0)
        return std::nullopt;
    const std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> ctx(proj_context_create(), proj_context_destroy);
    // An unknown code is an answer, not an error to print.
    proj_log_level(ctx.get(), PJ_LOG_NONE);
    const std::string text = std::to_string(code);
    const std::unique_ptr<PJ, decltype(&proj_destroy)> crs(proj_create_from_database(ctx.get(), "EPSG", text.c_str(),
                                                                                     PJ_CATEGORY_CRS, false, nullptr),
                                                           proj_destroy);
    if (!crs)
        return std::nullopt;
    TCrsInfo info;
    if (const char* name = proj_get_name(crs.get()))
        info.Name = name;
    info.Projected = proj_get_type(crs.get()) == PJ_TYPE_PROJECTED_CRS;
    const std::unique_ptr<PJ, decltype(&proj_destroy)> cs(proj_crs_get_coordinate_system(ctx.get(), crs.get()),
                                                          proj_destroy);
    if (cs) {
        const int axes = proj_cs_get_axis_count(ctx.get(), cs.get());
        info.Metres = axes >= 2;
        for (int i = 0; i < axes; ++i) {
            double factor = 0;
            if (!proj_cs_get_axis_info(ctx.get(), cs.get(), i, nullptr, nullptr, nullptr, &factor, nullptr, nullptr,
                                       nullptr)
                || factor != 1.0)
                info.Metres = false;
        }
    }
    return info;
}

std::optional<std::string> EpsgRefusal(std::int32_t code)
{
    const auto info = LookUpEpsg(code);
    if (!info)
        return "EPSG:" + std::to_string(code) + " não é um sistema de coordenadas conhecido.";
    if (!info->Projected || !info->Metres)
        return "EPSG:" + std::to_string(code) + " (" + info->Name
               + ") não é um sistema projetado em metros; escolha um sistema UTM, por exemplo SIRGAS 2000 / UTM.";
    return std::nullopt;
}

std::int32_t ProposedUtmEpsg(int zone, bool south)
{
    if (south && zone >= 17 && zone <= 25)
        return 31960 + zone;
    return (south ? 32700 : 32600) + zone;
}

void ProjectToCrs(std::vector<TSurveyPoint>& points, std::int32_t code)
{
    using Pj = std::unique_ptr<PJ, decltype(&proj_destroy)>;
    const std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> ctx(proj_context_create(), proj_context_destroy);
    proj_log_level(ctx.get(), PJ_LOG_NONE);
    const std::string text = std::to_string(code);
    const Pj crs(proj_create_from_database(ctx.get(), "EPSG", text.c_str(), PJ_CATEGORY_CRS, false, nullptr),
                 proj_destroy);
    const Pj geographic(crs ? proj_crs_get_geodetic_crs(ctx.get(), crs.get()) : nullptr, proj_destroy);
    const Pj operation(geographic
                           ? proj_create_crs_to_crs_from_pj(ctx.get(), geographic.get(), crs.get(), nullptr, nullptr)
                           : nullptr,
                       proj_destroy);
    // Longitude first and easting first, whatever order the database gives
    // the axes.
    const Pj pj(operation ? proj_normalize_for_visualization(ctx.get(), operation.get()) : nullptr, proj_destroy);
    if (!pj)
        throw TPointError("Não foi possível preparar a projeção para EPSG:" + text + ".");
    for (TSurveyPoint& p : points) {
        PJ_COORD c = proj_trans(pj.get(), PJ_FWD, proj_coord(p.E, p.N, 0, 0));
        if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y) || c.xy.x == HUGE_VAL)
            throw TPointError("Não foi possível projetar o ponto de longitude " + std::to_string(p.E) + " e latitude "
                              + std::to_string(p.N) + " em EPSG:" + text + ".");
        p.E = c.xy.x;
        p.N = c.xy.y;
    }
}

}  // namespace nivora
