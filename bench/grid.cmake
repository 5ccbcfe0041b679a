if(NIVORA_GUI)
  add_executable(bench_grid_paint ${CMAKE_CURRENT_SOURCE_DIR}/bench_grid_paint.cpp)
  target_link_libraries(bench_grid_paint PRIVATE nivora_ui benchmark::benchmark)
endif()
