# The import dialog of survey points; the reading and gridding are in
# nivora_survey (src/CMakeLists.txt).
list(APPEND NIVORA_UI_SOURCES survey/uImportaPontos.cpp)
