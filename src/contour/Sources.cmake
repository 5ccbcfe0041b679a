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
# contour-map writes SVG through QSvgGenerator. The targets are made after this
# file is read, so the link is added once the folder is done.
if(NIVORA_GUI)
  cmake_language(DEFER CALL target_link_libraries nivora-cli PRIVATE Qt6::Svg)
endif()
