#include "FileExport.h"

#include "data/FileAccess.h"
#include "data/NumberFormat.h"
#include "export/TextExports.h"
#include "survey/Crs.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <atomic>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace nivora {

namespace {

constexpr double kNoData = -9999;
// The largest point layer a GeoPackage gets a spatial index for.
constexpr std::int64_t kIndexedStakes = 250000;

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void RegisterGdal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        GDALRegister_GTiff();
        RegisterOGRGeoPackage();
        // GDAL's own messages go to the error we throw, not to the terminal.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

// A file in GDAL's memory file system, removed when this goes.
class TMemoryFile {
public:
    explicit TMemoryFile(const char* extension)
    {
        static std::atomic<unsigned> counter{0};
        name_ = "/vsimem/nivora-export-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + extension;
    }
    ~TMemoryFile() { VSIUnlink(name_.c_str()); }
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;
    const char* Name() const { return name_.c_str(); }
    std::vector<std::uint8_t> Take() const
    {
        vsi_l_offset length = 0;
        GByte* data = VSIGetMemFileBuffer(name_.c_str(), &length, FALSE);
        if (!data)
            throw TFileError("O GDAL não gravou o arquivo: " + std::string(CPLGetLastErrorMsg()));
        return {data, data + length};
    }

private:
    std::string name_;
};

[[noreturn]] void GdalFailed(const std::string& what)
{
    const std::string reason = CPLGetLastErrorMsg();
    throw TFileError("Não foi possível gravar " + what + (reason.empty() ? "." : ": " + reason + "."));
}

std::unique_ptr<OGRSpatialReference> SpatialReference(const TExportData& d)
{
    if (!d.Georeferenced() || d.Epsg() == 0)
        return nullptr;
    auto srs = std::make_unique<OGRSpatialReference>();
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (srs->importFromEPSG(d.Epsg()) != OGRERR_NONE)
        return nullptr;
    return srs;
}

// Closes the dataset, which writes what it still holds.
void Close(std::unique_ptr<GDALDataset> ds, const char* what)
{
    CPLErrorReset();
    GDALClose(GDALDataset::ToHandle(ds.release()));
    if (CPLGetLastErrorType() >= CE_Failure)
        GdalFailed(what);
}

std::string Shortest(long double v) { return FormatShortest(v, '.'); }

// The working plan's figures, as metadata of a layer or a raster.
void PlanMetadata(GDALMajorObject& object, const TExportData& d)
{
    if (!d.HasDesign())
        return;
    const TPlano& p = d.Plan();
    object.SetMetadataItem("PLANO_SX", Shortest(p.Sx.Value()).c_str());
    object.SetMetadataItem("PLANO_SY", Shortest(p.Sy.Value()).c_str());
    object.SetMetadataItem("PLANO_COTA_ORIGEM", Shortest(p.OriginElevation.Value()).c_str());
    object.SetMetadataItem("PLANO_VOLUME_CORTE_M3", Shortest(p.CutVolume.Value()).c_str());
    object.SetMetadataItem("PLANO_VOLUME_ATERRO_M3", Shortest(p.FillVolume.Value()).c_str());
    if (p.RatioDefined())
        object.SetMetadataItem("PLANO_RAZAO_CORTE_ATERRO", Shortest(p.CutFillRatio.Value()).c_str());
    object.SetMetadataItem("PLANO_CORTE_MAXIMO_M", Shortest(p.MaxCut.Value()).c_str());
    object.SetMetadataItem("PLANO_ATERRO_MAXIMO_M", Shortest(p.MaxFill.Value()).c_str());
    object.SetMetadataItem("PLANO_PIQUETES_CORTE", std::to_string(p.CutCount).c_str());
    object.SetMetadataItem("PLANO_PIQUETES_ATERRO", std::to_string(p.FillCount).c_str());
}

void Progress(const TExportInfo& info, std::int64_t done, std::int64_t total)
{
    if (info.Progress)
        info.Progress->Set(int(done), int(total));
}

}  // namespace

std::string CrsNameOf(std::int32_t epsg)
{
    if (epsg == 0)
        return {};
    const auto info = LookUpEpsg(epsg);
    return info ? info->Name : std::string();
}

std::string EsriWkt(std::int32_t epsg)
{
    RegisterGdal();
    OGRSpatialReference srs;
    if (epsg == 0 || srs.importFromEPSG(epsg) != OGRERR_NONE)
        return {};
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT1_ESRI", nullptr};
    if (srs.exportToWkt(&wkt, options) != OGRERR_NONE || !wkt) {
        CPLFree(wkt);
        return {};
    }
    std::string text = wkt;
    CPLFree(wkt);
    return text;
}

std::vector<std::uint8_t> GeoTiffBytes(const TExportData& d, const TExportInfo& info)
{
    RegisterGdal();
    struct TBand {
        const char* Description;
        int Kind;  // 0 natural, 1 design, 2 cut or fill
    };
    std::vector<TBand> bands;
    if (info.Content.Natural)
        bands.push_back({"Cota natural (m)", 0});
    if (info.Content.Design && d.HasDesign())
        bands.push_back({"Cota de projeto (m)", 1});
    if (info.Content.CutFill && d.HasDesign())
        bands.push_back({"Corte/aterro (m): projeto menos natural, positivo aterro, negativo corte", 2});
    if (bands.empty())
        throw TExportRefused(
            "Não há o que gravar no GeoTIFF: escolha a superfície natural, a de projeto ou "
            "os cortes e aterros.");
    if (info.Progress)
        info.Progress->Start("Gravando GeoTIFF...");

    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver)
        GdalFailed("o GeoTIFF");
    const TMemoryFile file(".tif");
    const char* options[] = {"COMPRESS=DEFLATE", "PREDICTOR=3", "TILED=YES", "BIGTIFF=IF_SAFER", nullptr};
    const int cols = d.Columns(), rows = d.Rows();
    GDALDataset* raw =
        driver->Create(file.Name(), cols, rows, int(bands.size()), GDT_Float32, const_cast<char**>(options));
    if (!raw)
        GdalFailed("o GeoTIFF");
    std::unique_ptr<GDALDataset> ds(raw);
    // Stakes at the cells' centres; the raster's first line is the north.
    const TUsedRect& a = d.Area();
    const double north = std::max(d.Northing(a.FirstRow), d.Northing(a.LastRow));
    double transform[6] = {d.Easting(a.FirstCol) - d.Lx() / 2, d.Lx(), 0, north + d.Ly() / 2, 0, -d.Ly()};
    ds->SetGeoTransform(transform);
    if (const auto srs = SpatialReference(d))
        ds->SetSpatialRef(srs.get());
    ds->SetMetadataItem("TIFFTAG_SOFTWARE", ("Nivora " + info.Version).c_str());
    PlanMetadata(*ds, d);

    std::vector<float> line(std::size_t(cols), 0.0f);
    const std::int64_t steps = std::int64_t(bands.size()) * rows;
    std::int64_t done = 0;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        GDALRasterBand* band = ds->GetRasterBand(int(b) + 1);
        band->SetDescription(bands[b].Description);
        band->SetNoDataValue(kNoData);
        band->SetUnitType("m");
        for (int i = 0; i < rows; ++i) {
            const std::int32_t r = d.RowsRunNorth() ? a.LastRow - i : a.FirstRow + i;
            for (int k = 0; k < cols; ++k) {
                const std::int32_t c = a.FirstCol + k;
                double v = kNoData;
                if (d.Has(c, r))
                    v = bands[b].Kind == 0 ? d.Natural(c, r) : bands[b].Kind == 1 ? d.Design(c, r) : d.CutFill(c, r);
                line[std::size_t(k)] = float(v);
            }
            if (band->RasterIO(GF_Write, 0, i, cols, 1, line.data(), cols, 1, GDT_Float32, 0, 0) != CE_None)
                GdalFailed("o GeoTIFF");
            Progress(info, ++done, steps);
        }
    }
    Close(std::move(ds), "o GeoTIFF");
    return file.Take();
}

std::vector<std::uint8_t> GeoPackageBytes(const TExportData& d, const TExportInfo& info)
{
    RegisterGdal();
    if (info.Progress)
        info.Progress->Start("Gravando GeoPackage...");
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        GdalFailed("o GeoPackage");
    const TMemoryFile file(".gpkg");
    GDALDataset* raw = driver->Create(file.Name(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!raw)
        GdalFailed("o GeoPackage");
    std::unique_ptr<GDALDataset> ds(raw);
    const auto srs = SpatialReference(d);
    const bool design = d.HasDesign();

    const auto field = [](OGRLayer* layer, const char* name, OGRFieldType type) {
        OGRFieldDefn f(name, type);
        if (layer->CreateField(&f) != OGRERR_NONE)
            GdalFailed("o GeoPackage");
    };
    const auto add = [](OGRLayer* layer, OGRFeature& feature) {
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            GdalFailed("o GeoPackage");
    };

    if (ds->StartTransaction() != OGRERR_NONE)
        GdalFailed("o GeoPackage");
    // The stakes: a 3-D point at the natural elevation, with the design and
    // the depth of cut or fill.
    // The R-tree of a million points takes four times as long as the rest of
    // the file; a field that large goes without it (GIS programs build one
    // when asked).
    const char* largeLayer[] = {"SPATIAL_INDEX=NO", nullptr};
    OGRLayer* stakes = ds->CreateLayer("piquetes", srs.get(), wkbPoint25D,
                                       d.StakeCount() > kIndexedStakes ? const_cast<char**>(largeLayer) : nullptr);
    if (!stakes)
        GdalFailed("o GeoPackage");
    field(stakes, "coluna", OFTInteger);
    field(stakes, "linha", OFTInteger);
    field(stakes, "natural", OFTReal);
    field(stakes, "projeto", OFTReal);
    field(stakes, "corte_aterro", OFTReal);
    PlanMetadata(*stakes, d);
    const TUsedRect& a = d.Area();
    {
        OGRFeature feature(stakes->GetLayerDefn());
        for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r) {
            for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
                if (!d.Has(c, r))
                    continue;
                feature.SetFID(OGRNullFID);
                feature.SetField(0, c);
                feature.SetField(1, r);
                feature.SetField(2, d.Natural(c, r));
                if (design) {
                    feature.SetField(3, d.Design(c, r));
                    feature.SetField(4, d.CutFill(c, r));
                } else {
                    feature.SetFieldNull(3);
                    feature.SetFieldNull(4);
                }
                feature.SetGeometryDirectly(new OGRPoint(d.Easting(c), d.Northing(r), d.Natural(c, r)));
                add(stakes, feature);
            }
            Progress(info, r - a.FirstRow + 1, d.Rows() + 2);
        }
    }
    if (info.Content.Contours) {
        OGRLayer* curves = ds->CreateLayer("curvas", srs.get(), wkbLineString25D, nullptr);
        if (!curves)
            GdalFailed("o GeoPackage");
        field(curves, "cota", OFTReal);
        OGRFeature feature(curves->GetLayerDefn());
        for (const TWorldLine& line : d.Contours(info.Levels)) {
            auto geometry = std::make_unique<OGRLineString>();
            geometry->setNumPoints(int(line.Points.size()));
            for (std::size_t i = 0; i < line.Points.size(); ++i)
                geometry->setPoint(int(i), line.Points[i].E, line.Points[i].N, line.Points[i].Z);
            feature.SetFID(OGRNullFID);
            feature.SetField(0, line.Level);
            feature.SetGeometryDirectly(geometry.release());
            add(curves, feature);
        }
    }
    Progress(info, d.Rows() + 1, d.Rows() + 2);
    if (info.Content.Outline) {
        OGRLayer* outline = ds->CreateLayer("contorno", srs.get(), wkbLineString, nullptr);
        if (!outline)
            GdalFailed("o GeoPackage");
        field(outline, "parte", OFTInteger);
        OGRFeature feature(outline->GetLayerDefn());
        int part = 0;
        for (const TWorldLine& line : d.Outlines()) {
            auto geometry = std::make_unique<OGRLineString>();
            geometry->setNumPoints(int(line.Points.size()));
            for (std::size_t i = 0; i < line.Points.size(); ++i)
                geometry->setPoint(int(i), line.Points[i].E, line.Points[i].N);
            feature.SetFID(OGRNullFID);
            feature.SetField(0, ++part);
            feature.SetGeometryDirectly(geometry.release());
            add(outline, feature);
        }
    }
    if (ds->CommitTransaction() != OGRERR_NONE)
        GdalFailed("o GeoPackage");
    Close(std::move(ds), "o GeoPackage");
    Progress(info, d.Rows() + 2, d.Rows() + 2);
    return file.Take();
}

TExportWritten WriteExportFile(const std::filesystem::path& fileName, const TExportData& d, const TExportInfo& info)
{
    const auto format = ExportFormatFor(fileName.string());
    if (!format)
        throw TExportRefused("O nome " + fileName.filename().string()
                             + " não tem a extensão de um formato de exportação (.xml, .tif, .gpkg, .dxf ou .asc).");
    TExportWritten written;
    written.Files.push_back(fileName);
    const auto save = [&](const std::filesystem::path& name, std::span<const std::uint8_t> bytes) {
        ReplaceFileContents(name, bytes);
    };
    switch (*format) {
    case TExportFormat::LandXml: {
        const std::string text = LandXmlText(d, info);
        save(fileName, Bytes(text));
        written.Bytes = text.size();
        break;
    }
    case TExportFormat::Dxf:
    case TExportFormat::AsciiGrid: {
        const std::string text = *format == TExportFormat::Dxf ? DxfText(d, info) : AsciiGridText(d, info);
        save(fileName, Bytes(text));
        written.Bytes = text.size();
        // The coordinate system beside it, as these formats cannot hold it.
        if (d.Georeferenced() && d.Epsg() != 0) {
            const std::string wkt = EsriWkt(d.Epsg());
            if (!wkt.empty()) {
                std::filesystem::path prj = fileName;
                prj.replace_extension(".prj");
                save(prj, Bytes(wkt));
                written.Files.push_back(prj);
            }
        }
        break;
    }
    case TExportFormat::GeoTiff:
    case TExportFormat::GeoPackage: {
        const auto bytes = *format == TExportFormat::GeoTiff ? GeoTiffBytes(d, info) : GeoPackageBytes(d, info);
        save(fileName, bytes);
        written.Bytes = bytes.size();
        break;
    }
    }
    return written;
}

}  // namespace nivora
