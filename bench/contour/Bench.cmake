# Contour tracing + assembly of 20 levels on two full fields, beside a plain
# pass over the same grid (the map transform comes from the render layer);
# the altimetric map window: a scroll step at every zoom, and opening a map
# beside the batch front end's SVG of it.
if(NIVORA_GUI)
  nivora_bench(bench_contour bench_contour.cpp LINK nivora_render)
  nivora_bench(bench_map_window bench_map_window.cpp LINK nivora_ui Qt6::Svg)
endif()
