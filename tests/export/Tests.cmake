# Exports: the model and the text writers in the core; every format written
# by nivora-cli and read back with GDAL's tools and Python's XML parser.
nivora_core_test(test_export_data test_export_data.cpp LINK nivora_gis)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
nivora_add_test(cli_export core ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/export_read_back.py
                $<TARGET_FILE:nivora-cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_export_work)
if(NIVORA_GUI)
  nivora_gui_test(test_gui_export test_gui_export.cpp)
endif()
