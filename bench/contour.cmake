# Contour tracing + assembly of 20 levels on two full fields, beside a plain
# pass over the same grid. The map transform comes from the render layer.
if(TARGET nivora_render)
  nivora_bench(bench_contour bench_contour.cpp)
  target_link_libraries(bench_contour PRIVATE nivora_render)
endif()

# The altimetric map window: a scroll step at every zoom, and opening a map
# beside the batch front end's SVG of it.
if(TARGET nivora_ui)
  add_executable(bench_map_window ${CMAKE_CURRENT_SOURCE_DIR}/bench_map_window.cpp)
  target_link_libraries(bench_map_window PRIVATE nivora_ui Qt6::Svg benchmark::benchmark)
endif()
