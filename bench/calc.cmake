# The cut-and-fill bitmap needs the render layer.
if(TARGET nivora_render)
  nivora_bench(bench_cutfill bench_cutfill.cpp)
  target_link_libraries(bench_cutfill PRIVATE nivora_render)
endif()
