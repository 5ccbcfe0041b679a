# The elevation grid store, the 6-byte real, numbers, undo records and
# project files: in memory, on disk (permissions, links, interrupted saves,
# long names, non-regular files) and the corpus of crafted files.
nivora_core_test(test_real48 test_real48.cpp)
nivora_core_test(test_numbers test_numbers.cpp LINK nivora_survey)
nivora_core_test(test_cotas test_cotas.cpp)
nivora_core_test(test_cell_change test_cell_change.cpp)
nivora_core_test(test_store_invariant test_store_invariant.cpp)
nivora_core_test(test_undo_history test_undo_history.cpp)
nivora_core_test(test_document test_document.cpp)
nivora_core_test(test_project_file test_project_file.cpp ProjectFixtures.cpp)
nivora_core_test(test_project_extension test_project_extension.cpp ProjectFixtures.cpp)
nivora_core_test(test_project_fuzz test_project_fuzz.cpp ProjectFixtures.cpp)
nivora_core_test(test_file_access test_file_access.cpp ProjectFixtures.cpp)
target_compile_definitions(test_file_access PRIVATE NIVORA_MALFORMED_DIR="${CMAKE_CURRENT_LIST_DIR}/malformed")

nivora_cli_script(cli_georef LABEL core SCRIPT CliGeoref.cmake)
nivora_cli_script(cli_file_refusals LABEL core SCRIPT CliFileRefusals.cmake
                  ARGS -DCORPUS=${CMAKE_CURRENT_LIST_DIR}/malformed)
set_tests_properties(cli_file_refusals PROPERTIES TIMEOUT 120)
