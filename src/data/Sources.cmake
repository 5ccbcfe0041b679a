# Project files on disk: regular files only, saves that replace a file whole.
list(APPEND NIVORA_CORE_SOURCES data/FileAccess.cpp)
