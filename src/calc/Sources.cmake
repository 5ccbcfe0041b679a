# The terrain and its plans, the results table's texts, the cut-and-fill
# arithmetic and the field report's content (stakes in walking order, totals,
# CSV) in the core; the cut-and-fill bitmap in the render layer; the
# systematize dialog, the results window and the cut-and-fill map window.
list(APPEND NIVORA_CORE_SOURCES
  calc/CalcSist.cpp
  calc/ResultTable.cpp
  calc/CutFillGeometry.cpp
  calc/FieldReport.cpp
  calc/StakeCoordinates.cpp
  calc/LimitedPlane.cpp
  calc/Settlement.cpp
  calc/Profile.cpp
  calc/Drainage.cpp
  calc/DesignTerrain.cpp
)
# The haul of a plan's earth in nivora_haul, its minimum-cost flow with
# LEMON in nivora_haul_flow.
list(APPEND NIVORA_HAUL_SOURCES calc/Haul.cpp)
list(APPEND NIVORA_HAUL_FLOW_SOURCES calc/HaulFlow.cpp)
list(APPEND NIVORA_RENDER_SOURCES calc/CutFillMap.cpp calc/ProfileChart.cpp calc/DrainageMap.cpp calc/HaulChart.cpp
     calc/BlockDiagram.cpp)
list(APPEND NIVORA_UI_SOURCES
  calc/uDefSist.cpp
  calc/uResult.cpp
  calc/uMapa.cpp
  calc/uRestricoes.cpp
  calc/uPerfil.cpp
  calc/uEscoamento.cpp
  calc/uTransporte.cpp
)
