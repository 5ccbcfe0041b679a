# The elevation grid store, the 6-byte real, numbers, project files on disk
# (regular files only, saves that replace a file whole), the undo records and
# the undo history with its program-wide memory budget;
# the new project dialog, the number boxes and the file commands.
list(APPEND NIVORA_CORE_SOURCES
  data/Real48.cpp
  data/NumberUtils.cpp
  data/NumberFormat.cpp
  data/UCotas.cpp
  data/SaveOpen.cpp
  data/ProjectExtension.cpp
  data/TextCodec.cpp
  data/CellChange.cpp
  data/UndoHistory.cpp
  data/Document.cpp
  data/FileAccess.cpp
)
list(APPEND NIVORA_UI_SOURCES
  data/NumberEdit.cpp
  data/DocumentObject.cpp
  data/SaveOpenCommands.cpp
  data/uFileNew.cpp
  data/uPropriedades.cpp
)
