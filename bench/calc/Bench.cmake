# The best plane and the ratio adjustment on full fields; the cut-and-fill
# bitmap, which needs the render layer.
nivora_bench(bench_terrain bench_terrain.cpp)
nivora_bench(bench_drainage bench_drainage.cpp)
if(NIVORA_GUI)
  nivora_bench(bench_cutfill bench_cutfill.cpp LINK nivora_render)
endif()
# The haul's minimum-cost flow on full fields, with either algorithm.
nivora_bench(bench_haul bench_haul.cpp LINK nivora_haul)
