// points, run: the grid project made from the points file. Linked into the
// program that runs the command (nivora-cli-draw where there is one), so that
// nivora-cli itself starts without the projection's libraries.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"
#include "calc/CalcSist.h"
#include "survey/Crs.h"
#include "survey/PointImport.h"

#include <cmath>
#include <iostream>

namespace nivora::cli {

int Points(const TArgs& a)
{
    const std::string& path = File(a);
    const std::string out = a.Get("-o");
    TGridParams p;
    p.Lx = double(a.Number("--lx", 0));
    p.Ly = double(a.Number("--ly", p.Lx));
    p.Method = a.Get("--method", "tin") == "nearest" ? TGridMethod::Nearest : TGridMethod::Triangulation;
    // "-" is standard input.
    const bool standardInput = path == "-";
    if (!standardInput)
        CheckInput(path);
    std::optional<std::int32_t> named;
    if (a.Has("--epsg")) {
        named = std::int32_t(a.Integer("--epsg", 0));
        if (const auto refusal = EpsgRefusal(*named))
            throw TUsageError("--epsg: " + *refusal);
    }
    TPointOptions options;
    if (a.Has("--columns")) {
        try {
            options.Columns = ParsePointColumns(a.Get("--columns"));
        } catch (const TPointError& e) {
            throw TUsageError("--columns: " + std::string(e.what()));
        }
        if (options.Columns->Degrees && a.Has("--metres"))
            throw TUsageError("--columns com lon e lat não vai com --metres");
    }
    if (a.Has("--degrees") || a.Has("--metres"))
        options.Geographic = a.Has("--degrees");
    options.Epsg = named.value_or(0);
    CheckOutput(out);
    // The file is read once, as a stream; the layout is detected on its first
    // lines and whether it is in degrees on its points.
    TPreparedPoints prepared;
    try {
        if (standardInput) {
            TStreamPointSource source(std::cin);
            prepared = PreparePoints(source, options);
        } else {
            TFilePointSource source(path);
            prepared = PreparePoints(source, options);
        }
    } catch (const TFileError& e) {
        throw TInputError(e.what());
    }
    // What was read and refused goes to stderr, as the dialog's summary shows
    // it; the problem, if any, is the command's own message.
    std::cerr << ReadingSummary(prepared, false);
    if (!prepared.Triangulation) {
        // Points on a line are a surface the file cannot give (nothing to
        // compute); too few points, a file without points.
        if (prepared.OnALine)
            throw TNothingToCompute(prepared.Problem);
        throw TInputError(prepared.Problem);
    }
    // The system the user names, else the one the projection proposes; a
    // file in metres names none, and its georeference says "not known".
    std::int32_t epsg = named.value_or(prepared.ProposedEpsg);
    if (epsg == 0)
        std::cerr << "Sistema de coordenadas não informado: o projeto guarda as coordenadas dos piquetes sem "
                     "ele (EPSG 0); indique-o com --epsg.\n";
    // The limits follow the survey's spacing, as the dialog proposes them.
    SetSurveyLimits(*prepared.Triangulation, p);
    if (a.Has("--max-dist"))
        p.MaxDistance = double(a.Number("--max-dist", 0));
    if (a.Has("--max-edge"))
        p.MaxEdge = double(a.Number("--max-edge", 0));
    if (a.Has("--origin"))
        ReadOrigin(a.Get("--origin"), p.OriginX, p.OriginY);
    else
        SnapOrigin(*prepared.Triangulation, p);
    TGriddedPoints grid;
    std::unique_ptr<TTerreno> terrain;
    try {
        grid = GridPoints(*prepared.Triangulation, p, '.');
        std::cerr << GridSummary(*prepared.Triangulation, p, '.', grid);
        if (grid.ValueCount == 0)
            throw TNothingToCompute("Nenhum piquete da grade fica perto dos pontos: aumente a distância máxima.");
        terrain = MakeTerrain(grid, p, epsg);
    } catch (const TPointError& e) {
        throw TNothingToCompute(e.what());
    }
    TDocument document(std::move(terrain));
    SaveProject(out, document, TViewState{});

    const TPointSet& s = prepared.Set;
    TJson j;
    j.BeginObject();
    j.Key("Points").Value(static_cast<std::int64_t>(s.Points.size()));
    j.Key("DataLines").Value(s.DataLines);
    j.Key("Refused").Value(s.RefusedCount);
    j.Key("Repeated").Value(s.RepeatedCount);
    j.Key("Conflicts").Value(s.ConflictCount);
    j.Key("Projected").Value(prepared.Projected);
    // The zone of the projection the import chose; none for metres or for
    // the system --epsg named.
    const bool utm = prepared.Projected && !prepared.ProjectedToNamed;
    j.Key("UtmZone");
    if (utm)
        j.Value(prepared.Zone.Zone);
    else
        j.Null();
    j.Key("South").Value(utm && prepared.Zone.South);
    j.Key("ColCount").Value(grid.Cols);
    j.Key("RowCount").Value(grid.Rows);
    j.Key("Lx").Value(document.Terrain().Lx().Value());
    j.Key("Ly").Value(document.Terrain().Ly().Value());
    j.Key("OriginX").Value(document.Terrain().OriginX().Value());
    j.Key("OriginY").Value(document.Terrain().OriginY().Value());
    j.Key("ValueCount").Value(static_cast<std::int64_t>(document.Terrain().ValueCount()));
    j.Key("MaxDistance").Value(static_cast<long double>(p.MaxDistance));
    j.Key("MaxEdge").Value(static_cast<long double>(p.MaxEdge));
    // Stakes inside the points' hull left without an elevation, by the limit
    // that left them so.
    j.Key("EmptyInside").Value(grid.EmptyByEdge + grid.EmptyByDistance);
    j.Key("EmptyByEdge").Value(grid.EmptyByEdge);
    j.Key("EmptyByDistance").Value(grid.EmptyByDistance);
    // Where stake (1, 1), the north-west one, lies; Epsg 0 and CrsName null
    // when the file's system was not named.
    const TGeoreference& g = *document.Terrain().Extension().Georeference;
    j.Key("Epsg").Value(g.Epsg);
    j.Key("CrsName");
    if (const auto crs = LookUpEpsg(g.Epsg))
        j.Value(crs->Name);
    else
        j.Null();
    j.Key("CornerEasting").Value(static_cast<long double>(g.CornerEasting));
    j.Key("CornerNorthing").Value(static_cast<long double>(g.CornerNorthing));
    j.Key("RowsRunSouth").Value(g.RowsRunSouth);
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace nivora::cli
