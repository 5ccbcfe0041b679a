# Exports to other programs: what is written and the plain-text formats
# (LandXML, DXF, ASCII grid) in the core; GeoTIFF, GeoPackage, the .prj and
# the saving of every format in nivora_gis (the core with GDAL).
list(APPEND NIVORA_CORE_SOURCES
  export/ExportData.cpp
  export/TextExports.cpp
)
list(APPEND NIVORA_GIS_SOURCES export/FileExport.cpp)
list(APPEND NIVORA_UI_SOURCES export/uExportar.cpp)
