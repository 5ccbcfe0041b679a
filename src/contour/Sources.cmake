# Altimetric maps: tracing, outline and levels in the core, the map picture in
# the render layer, and the map commands of nivora-cli.
list(APPEND NIVORA_CORE_SOURCES
  contour/ContourTrace.cpp
  contour/AreaOutline.cpp
  contour/ContourLevels.cpp
)
list(APPEND NIVORA_RENDER_SOURCES
  contour/AltimetricMap.cpp
)
list(APPEND NIVORA_CLI_RENDER_SOURCES
  cli/ContourCommands.cpp
)
# The level dialogs and the map window.
list(APPEND NIVORA_UI_SOURCES
  contour/uDefMapa.cpp
  contour/uCnivel.cpp
  contour/uShowCurvas.cpp
)
