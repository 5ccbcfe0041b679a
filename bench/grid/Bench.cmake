# Clipboard text both ways on a full grid; painting the grid window.
nivora_bench(bench_clipboard bench_clipboard.cpp)
if(NIVORA_GUI)
  nivora_bench(bench_grid_paint bench_grid_paint.cpp LINK nivora_ui)
endif()
