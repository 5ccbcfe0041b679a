# The optimised surface beside the best slope-limited plane of the same field.
nivora_bench(bench_optimized_surface bench_optimized_surface.cpp LINK nivora_optimize)
