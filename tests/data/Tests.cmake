# Project files on disk: permissions, links, interrupted saves, long names,
# non-regular files and the corpus of crafted files.
nivora_core_test(test_file_access data/test_file_access.cpp data/ProjectFixtures.cpp)
target_compile_definitions(test_file_access PRIVATE NIVORA_MALFORMED_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/malformed")

add_test(NAME cli_file_refusals
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DCORPUS=${CMAKE_CURRENT_SOURCE_DIR}/data/malformed
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cli_file_refusals -P ${CMAKE_CURRENT_SOURCE_DIR}/data/CliFileRefusals.cmake)
set_tests_properties(cli_file_refusals PROPERTIES LABELS core TIMEOUT 120)
