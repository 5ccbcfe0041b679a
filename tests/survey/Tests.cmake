# Survey points to a grid: reading, gridding and projection.
function(nivora_survey_test name)
  nivora_core_test(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE nivora_survey)
endfunction()
nivora_survey_test(test_point_file survey/test_point_file.cpp)
nivora_survey_test(test_point_grid survey/test_point_grid.cpp)
