# Altimetric maps: tracing, outline and levels in the core, the map picture in
# the render layer.
list(APPEND NIVORA_CORE_SOURCES
  contour/ContourTrace.cpp
  contour/AreaOutline.cpp
  contour/ContourLevels.cpp
  contour/MapGeometry.cpp
)
list(APPEND NIVORA_RENDER_SOURCES
  contour/AltimetricMap.cpp
)
# The level dialogs and the map window.
list(APPEND NIVORA_UI_SOURCES
  contour/uDefMapa.cpp
  contour/uCnivel.cpp
  contour/uShowCurvas.cpp
)
