# Survey points to a grid: a million points to a 1000 x 1000 grid.
nivora_bench(bench_points bench_points.cpp)
target_link_libraries(bench_points PRIVATE nivora_survey)
