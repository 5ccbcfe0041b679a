# The optimised surface and its solver.
nivora_core_test(test_optimized_surface test_optimized_surface.cpp LINK nivora_optimize)
