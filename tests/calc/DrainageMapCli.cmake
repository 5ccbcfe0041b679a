# nivora-cli drainage -o: the map as PNG, SVG and the printed page in PDF,
# with the JSON still written; a format it does not draw is refused.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

set(row "10\t10\t10\t10\t10\r\n")
file(WRITE "${WORK}/cova.txt" "${row}${row}10\t10\t9\t9.4\t10\r\n${row}${row}")
run(${CLI} import "${WORK}/cova.txt" --lx 20 -o "${WORK}/COVA.NVR")
expect_ok("import")

foreach(ext png svg pdf)
  run(${CLI} drainage "${WORK}/COVA.NVR" --locale=pt_BR -o "${WORK}/mapa.${ext}")
  expect_ok("drainage -o mapa.${ext}")
  string(JSON wet GET "${out}" WetCount)
  if(NOT wet EQUAL 2 OR NOT EXISTS "${WORK}/mapa.${ext}")
    message(FATAL_ERROR "drainage -o mapa.${ext}: ${out}")
  endif()
endforeach()
file(READ "${WORK}/mapa.png" png LIMIT 8 HEX)
file(READ "${WORK}/mapa.svg" svg)
file(READ "${WORK}/mapa.pdf" pdf LIMIT 5)
if(NOT png STREQUAL "89504e470d0a1a0a" OR NOT svg MATCHES "<svg" OR NOT svg MATCHES "Mapa de Escoamento"
   OR NOT pdf MATCHES "^%PDF-")
  message(FATAL_ERROR "the maps are not what their names say")
endif()
# The legend in the user's numbers.
if(NOT svg MATCHES "Volume empoçado: 640,0 m³")
  message(FATAL_ERROR "the SVG's figures: no \"Volume empoçado: 640,0 m³\"")
endif()

run(${CLI} drainage "${WORK}/COVA.NVR" -o "${WORK}/mapa.jpg")
expect_rc(2 "drainage -o mapa.jpg")
message(STATUS "nivora-cli drainage -o passed")
