// export, run: linked with GDAL and the projection library (see
// ExportCommands.cpp).

#include "CliCommon.h"
#include "Drawing.h"
#include "MapCommands.h"
#include "NivoraVersion.h"
#include "export/FileExport.h"
#include "survey/Crs.h"

#include <algorithm>
#include <iostream>

namespace nivora::cli {

namespace {

TExportContent Content(const TArgs& a)
{
    if (!a.Has("--content"))
        return {};
    TExportContent c{false, false, false, false, false};
    std::vector<std::string> words;
    const std::string list = a.Get("--content");
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        words.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    const auto has = [&](const char* word) { return std::find(words.begin(), words.end(), word) != words.end(); };
    c.Natural = has("natural");
    c.Design = has("design");
    c.CutFill = has("cutfill");
    c.Contours = has("contours");
    c.Outline = has("outline");
    return c;
}

// The georeference the export is written in: the project's, or --epsg with
// --corner, or --epsg naming the system of the project's corner.
void TakeGeoreference(const TArgs& a, TTerreno& t)
{
    if (!a.Has("--epsg"))
        return;
    const std::int32_t code = a.Integer("--epsg", 0);
    if (const auto refusal = EpsgRefusal(code))
        throw TUsageError("--epsg: " + *refusal);
    std::optional<TGeoreference> g = t.Extension().Georeference;
    if (a.Has("--corner")) {
        g = TGeoreference{};
        ReadOrigin(a.Get("--corner"), g->CornerEasting, g->CornerNorthing);
        g->RowsRunSouth = a.Get("--rows", "south") == "south";
    } else if (!g) {
        throw TUsageError("o projeto " + File(a) + " não tem georreferência: --epsg precisa de --corner E,N");
    }
    g->Epsg = code;
    t.SetGeoreference(g);
}

}  // namespace

int Export(const TArgs& a)
{
    const std::string out = a.Get("-o");
    CheckOutput(out);
    TProject project;
    if (a.Has("--ratio")) {
        project = std::move(LoadAndSystematize(a).Project);
    } else {
        project = LoadProject(File(a));
        if (!project.Terrain().ResultsValid())
            throw TNothingToCompute("O arquivo " + File(a)
                                    + " não tem um plano calculado; sistematize-o (nivora-cli systematize) ou use "
                                      "--ratio R.");
        project.Terrain().RestoreLastArea();
    }
    TTerreno& t = project.Terrain();
    TakeGeoreference(a, t);
    const TUsedRect area = t.LastArea();

    TExportInfo info;
    info.Content = Content(a);
    info.Version = NIVORA_VERSION;
    StampNow(info);
    if (info.Content.Contours) {
        t.SetSelection(area);
        TContourRequest request;
        if (a.Has("--levels")) {
            request = Request(a, t);
        } else {
            request.TakeLimits(t.MapLimits());
            std::vector<std::string> list;
            AddEquidistantLevels(list, DefaultEquidistant(request.MinElevation, request.MaxElevation), '.');
            SetRequestLevels(request, list, '.');
        }
        info.Levels = request.LevelList();
    }
    const TExportData data(t, area, true);
    if (!data.Georeferenced())
        std::cerr << "nivora-cli: aviso: o projeto " << File(a)
                  << " não tem sistema de coordenadas: o arquivo é gravado com as coordenadas locais dos piquetes, "
                     "sem georreferência (--epsg CODIGO --corner E,N as dão).\n";
    info.CrsName = CrsNameOf(data.Epsg());

    TExportWritten written;
    try {
        written = WriteExportFile(out, data, info);
    } catch (const TExportRefused& e) {
        throw TNothingToCompute(e.what());
    } catch (const TFileError& e) {
        throw TOutputError(e.what());
    }

    TJson j;
    j.BeginObject();
    j.Key("Format").Value(std::string(ExportFormatName(*ExportFormatFor(out))));
    j.Key("Files").BeginArray();
    for (const auto& f : written.Files)
        j.Value(f.string());
    j.EndArray();
    j.Key("Bytes").Value(static_cast<std::int64_t>(written.Bytes));
    j.Key("Area");
    WriteRect(j, area);
    j.Key("Stakes").Value(data.StakeCount());
    j.Key("Triangles").Value(data.TriangleCount());
    j.Key("Georeference");
    WriteGeoreference(j, t.Extension().Georeference);
    j.Key("CrsName").Value(info.CrsName);
    j.Key("Levels").BeginArray();
    for (long double level : info.Levels)
        j.Value(level);
    j.EndArray();
    j.EndObject();
    std::cout << j.Str() << "\n";
    return kExitOk;
}

}  // namespace nivora::cli
