# Every export format of a full 1000 x 1000 project, beside writing the same
# number of bytes through the safe save.
nivora_bench(bench_export bench_export.cpp LINK nivora_gis)
