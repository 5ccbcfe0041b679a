# Reading and writing project files; undo of the largest paste.
nivora_bench(bench_project bench_project.cpp)
nivora_bench(bench_undo bench_undo.cpp)
