# The optimised surface: the design grid, the linear programme and its
# interpolation to the stakes, with COIN-OR CLP behind one file.
list(APPEND NIVORA_OPTIMIZE_SOURCES
  optimize/OptimizedSurface.cpp
  optimize/SurfaceLp.cpp
)
list(APPEND NIVORA_UI_SOURCES optimize/uOtimizar.cpp)
