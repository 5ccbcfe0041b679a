// georef, run: linked where the projection library is (see PointsRun.cpp).

#include "CliCommon.h"
#include "Drawing.h"
#include "calc/CalcSist.h"
#include "survey/Crs.h"

#include <iostream>

namespace nivora::cli {

int Georef(const TArgs& a)
{
    const std::string out = a.Get("-o");
    std::optional<TGeoreference> georeference;
    std::string name;
    if (!a.Has("--clear")) {
        TGeoreference g;
        g.Epsg = std::int32_t(a.Integer("--epsg", 0));
        if (const auto refusal = EpsgRefusal(g.Epsg))
            throw TUsageError("--epsg: " + *refusal);
        ReadOrigin(a.Get("--corner"), g.CornerEasting, g.CornerNorthing);
        g.RowsRunSouth = a.Get("--rows", "south") == "south";
        name = LookUpEpsg(g.Epsg)->Name;
        georeference = g;
    }
    CheckOutput(out);
    TProject project = LoadProject(File(a));
    project.Document->SetGeoreference(georeference);
    SaveProject(out, *project.Document, project.View);

    TJson j;
    j.BeginObject();
    j.Key("Georeference");
    WriteGeoreference(j, project.Terrain().Extension().Georeference);
    if (georeference)
        j.Key("CrsName").Value(name);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace nivora::cli
