# The cut-and-fill map: its arithmetic in the core, the bitmap in the render
# layer, and the nivora-cli command that writes it.
list(APPEND NIVORA_CORE_SOURCES calc/CutFillGeometry.cpp)
list(APPEND NIVORA_RENDER_SOURCES calc/CutFillMap.cpp)
list(APPEND NIVORA_CLI_RENDER_SOURCES cli/CutFillCommands.cpp)
