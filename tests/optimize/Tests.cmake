# The optimised surface and its solver.
nivora_core_test(test_optimized_surface test_optimized_surface.cpp LINK nivora_optimize)
nivora_cli_script(cli_optimize LABEL core SCRIPT OptimizeCli.cmake)
if(NIVORA_GUI)
  nivora_gui_test(test_gui_optimize test_gui_optimize.cpp)
endif()
