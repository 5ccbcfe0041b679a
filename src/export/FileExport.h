#pragma once
// Writing an export to disk, in any of its formats: the text formats from the
// core's writers, GeoTIFF and GeoPackage through GDAL, and beside a DXF or an
// ASCII grid the coordinate system as an ESRI .prj. Every file goes through
// the program's safe save (a temporary file beside it, flushed, then renamed),
// so a failure leaves an earlier file of the same name as it was.

#include "export/ExportData.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace nivora {

struct TExportWritten {
    std::vector<std::filesystem::path> Files;  // the export first, then its .prj
    std::uint64_t Bytes = 0;                   // of the export itself
};

// Writes the export in the format fileName's extension names. Throws
// TExportRefused for a format that cannot hold the project (an unknown
// extension, an ASCII grid of unequal spacings) and TFileError when the file
// cannot be written.
TExportWritten WriteExportFile(const std::filesystem::path& fileName, const TExportData& data, const TExportInfo& info);

// The name the coordinate systems' database gives an EPSG code; empty when it
// does not know it.
std::string CrsNameOf(std::int32_t epsg);
// The system as the WKT of ESRI's .prj files; empty when unknown.
std::string EsriWkt(std::int32_t epsg);

// The bytes of a GeoTIFF (three Float32 bands, DEFLATE: natural, design and
// cut or fill, as chosen) and of a GeoPackage (layers "piquetes", "curvas"
// and "contorno"; the point layer of a field of more than 250 000 stakes
// without a spatial index, which would take most of the time); kept apart from the saving so that the tests and the
// benchmark can time them alone.
std::vector<std::uint8_t> GeoTiffBytes(const TExportData& data, const TExportInfo& info);
std::vector<std::uint8_t> GeoPackageBytes(const TExportData& data, const TExportInfo& info);

}  // namespace nivora
