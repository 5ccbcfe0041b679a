# Survey points to a grid: reading, gridding and projection.
function(nivora_survey_test name)
  nivora_core_test(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE nivora_survey)
endfunction()
nivora_survey_test(test_point_file survey/test_point_file.cpp)
nivora_survey_test(test_point_grid survey/test_point_grid.cpp)

add_test(NAME cli_points
  COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DWORK=${CMAKE_CURRENT_BINARY_DIR}/points_work
          -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples -P ${CMAKE_CURRENT_SOURCE_DIR}/survey/PointsCli.cmake)
set_tests_properties(cli_points PROPERTIES LABELS core)
