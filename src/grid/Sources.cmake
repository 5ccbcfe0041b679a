# Clipboard text, text import, the WinSurf listing and help contexts in the
# core; the grid document window, the WinSurf window and the about box.
list(APPEND NIVORA_CORE_SOURCES
  grid/GridText.cpp
  grid/TextImport.cpp
  grid/WinSurfText.cpp
  grid/NVHelp.cpp
)
list(APPEND NIVORA_UI_SOURCES
  grid/datagrid.cpp
  grid/GridModel.cpp
  grid/GridControl.cpp
  grid/CellDelegate.cpp
  grid/uWinSurf.cpp
  grid/uAbout.cpp
)
