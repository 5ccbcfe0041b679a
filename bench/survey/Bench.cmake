# Survey points to a grid: a million points to a 1000 x 1000 grid.
nivora_bench(bench_points bench_points.cpp LINK nivora_survey)
# Reading a points file from disk: time beside a plain read, and peak memory.
nivora_bench(bench_point_reading bench_point_reading.cpp LINK nivora_survey)
