# Survey points to a grid: reading, gridding and projection.
nivora_core_test(test_point_file test_point_file.cpp LINK nivora_survey)
nivora_core_test(test_point_grid test_point_grid.cpp LINK nivora_survey)
nivora_cli_script(cli_points LABEL core SCRIPT PointsCli.cmake)
nivora_core_test(test_point_memory test_point_memory.cpp LINK nivora_survey)
nivora_core_test(test_point_import test_point_import.cpp LINK nivora_survey)
nivora_core_test(test_grid_spacings test_grid_spacings.cpp LINK nivora_survey)
target_compile_definitions(test_point_import PRIVATE NIVORA_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
