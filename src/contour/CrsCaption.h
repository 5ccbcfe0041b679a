#pragma once
// How the maps name a georeferenced project's coordinate system: the EPSG
// code and the projection database's name for it. Header only: the windows
// and nivora-cli, which know the database, pass the name to the map
// builders, which do not.

#include "data/ProjectExtension.h"
#include "survey/Crs.h"

#include <optional>
#include <string>

namespace nivora {

// "EPSG:31982 – SIRGAS 2000 / UTM zone 22S"; the code alone when the
// database does not know it; "EPSG não informado" for a code of 0; empty
// without a georeference.
inline std::string CrsCaption(const std::optional<TGeoreference>& georeference)
{
    if (!georeference)
        return {};
    if (georeference->Epsg == 0)
        return "EPSG não informado";
    std::string caption = "EPSG:" + std::to_string(georeference->Epsg);
    if (const auto info = LookUpEpsg(georeference->Epsg))
        caption += " – " + info->Name;
    return caption;
}

}  // namespace nivora
