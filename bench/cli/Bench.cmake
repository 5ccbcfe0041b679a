# Whole processes of nivora-cli beside a program that only reads the file:
#   build/bench/bench_cli_start build/src/nivora-cli build/bench/read_whole_file
add_executable(read_whole_file ${CMAKE_CURRENT_LIST_DIR}/read_whole_file.cpp)
nivora_bench(bench_cli_start bench_cli_start.cpp)
add_dependencies(bench_cli_start nivora-cli read_whole_file)
