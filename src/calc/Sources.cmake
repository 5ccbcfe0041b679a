# The cut-and-fill map: its arithmetic in the core, the bitmap in the render
# layer.
list(APPEND NIVORA_CORE_SOURCES calc/CutFillGeometry.cpp)
list(APPEND NIVORA_RENDER_SOURCES calc/CutFillMap.cpp)
# The field report's content (stakes in walking order, totals, CSV).
list(APPEND NIVORA_CORE_SOURCES calc/FieldReport.cpp)
