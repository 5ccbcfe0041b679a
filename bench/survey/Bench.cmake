# Survey points to a grid: a million points to a 1000 x 1000 grid.
nivora_bench(bench_points bench_points.cpp LINK nivora_survey)
