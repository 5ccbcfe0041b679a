# Survey points to a grid: reading, gridding and projection in nivora_survey
# (the core's layer, with CGAL and PROJ besides); the import dialog.
list(APPEND NIVORA_SURVEY_SOURCES
  survey/PointFile.cpp
  survey/PointGrid.cpp
  survey/UtmProjection.cpp
  survey/PointImport.cpp
  survey/Crs.cpp
)
list(APPEND NIVORA_UI_SOURCES survey/uImportaPontos.cpp survey/CrsEdit.cpp)
