# Contour tracing + assembly of 20 levels on two full fields, beside a plain
# pass over the same grid. The map transform comes from the render layer.
if(TARGET nivora_render)
  nivora_bench(bench_contour bench_contour.cpp)
  target_link_libraries(bench_contour PRIVATE nivora_render)
endif()
