# nivora-cli profile -o OUT.svg: the chart drawn by the helper, with the
# JSON summary on standard output as for the CSV.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

file(WRITE "${WORK}/w.txt" "8.26\t8.75\t9.30\t9.52\t10.44\n7.94\t8.12\t8.90\t8.80\t9.62\n"
                           "7.12\t7.86\t8.35\t8.60\t8.42\n6.74\t7.28\t7.94\t8.16\t7.80\n")
run(${CLI} import "${WORK}/w.txt" --lx 25 -o "${WORK}/W.NVR")
expect_ok("import")
run(${CLI} profile "${WORK}/W.NVR" --path=12.5,12.5,112.5,12.5,112.5,87.5 --locale=pt_BR -o "${WORK}/perfil.svg")
expect_ok("profile -o perfil.svg")
string(JSON length GET "${out}" Length)
if(NOT length EQUAL 175)
  message(FATAL_ERROR "the summary: ${out}")
endif()
file(READ "${WORK}/perfil.svg" svg)
# The title, a slope over each leg in percent with a decimal comma, and the
# cut and fill areas in their colours.
if(NOT svg MATCHES "<title>Perfil</title>" OR NOT svg MATCHES "1,551 %" OR NOT svg MATCHES "2,246 %"
   OR NOT svg MATCHES "#dc2828" OR NOT svg MATCHES "#285adc")
  message(FATAL_ERROR "the chart:\n${svg}")
endif()
# A file that is neither: refused before anything is read.
run(${CLI} profile "${WORK}/W.NVR" --from 0,0 --to 10,10 -o "${WORK}/perfil.png")
if(NOT rc EQUAL 2 OR EXISTS "${WORK}/perfil.png")
  message(FATAL_ERROR "profile -o .png: ${rc} ${err}")
endif()
message(STATUS "nivora-cli profile as SVG passed")
