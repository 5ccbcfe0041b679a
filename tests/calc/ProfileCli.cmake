# nivora-cli profile end to end: the worked 4 x 5 grid at 25 m (stake (1, 1)
# at 12,5; 12,5), its best plane along a line from stake (1, 1) to stake
# (5, 4), a polyline, sections, the CSV, and the refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

file(WRITE "${WORK}/w.txt" "8.26\t8.75\t9.30\t9.52\t10.44\n7.94\t8.12\t8.90\t8.80\t9.62\n"
                           "7.12\t7.86\t8.35\t8.60\t8.42\n6.74\t7.28\t7.94\t8.16\t7.80\n")
run(${CLI} import "${WORK}/w.txt" --lx 25 -o "${WORK}/W.NVR")
expect_ok("import")

function(expect_near json what expected tolerance)
  string(JSON value GET "${json}" ${what})
  if(value STREQUAL "null")
    message(FATAL_ERROR "${what}: null, expected ${expected}\n${json}")
  endif()
  # CMake's math is integer only: compare scaled by 1e7.
  string(REGEX MATCH "^-?[0-9.]+(e-?[0-9]+)?$" ok "${value}")
  if(NOT ok)
    message(FATAL_ERROR "${what}: ${value}")
  endif()
  if(value MATCHES "e")
    set(value 0)
  endif()
  foreach(v value expected tolerance)
    string(REGEX MATCH "^(-?)([0-9]+)\\.?([0-9]*)$" unused "${${v}}")
    set(sign "${CMAKE_MATCH_1}")
    set(whole "${CMAKE_MATCH_2}")
    string(SUBSTRING "${CMAKE_MATCH_3}0000000" 0 7 frac)
    string(REGEX REPLACE "^0+" "" frac "${frac}")
    if(frac STREQUAL "")
      set(frac 0)
    endif()
    math(EXPR scaled "${sign}(${whole} * 10000000 + ${frac})")
    set(${v}_scaled ${scaled})
  endforeach()
  math(EXPR diff "${value_scaled} - ${expected_scaled}")
  if(diff LESS 0)
    math(EXPR diff "-${diff}")
  endif()
  if(diff GREATER tolerance_scaled)
    message(FATAL_ERROR "${what}: ${value}, expected ${expected}\n${json}")
  endif()
endfunction()

# The line as --opt=value and as two arguments gives the same.
run(${CLI} profile "${WORK}/W.NVR" --from=12.5,12.5 --to 112.5,87.5 --step=62.5)
expect_ok("profile")
set(line "${out}")
run(${CLI} profile "${WORK}/W.NVR" --from 12.5,12.5 --to=112.5,87.5 --step 62,5)
expect_ok("profile, options spelled otherwise")
if(NOT out STREQUAL line)
  message(FATAL_ERROR "the same line gave\n${line}\n${out}")
endif()
expect_near("${line}" Length 125 0.0000001)
expect_near("${line}" "Legs;0;DesignSlope" -0.0010704 0.0000001)
expect_near("${line}" "Stations;0;Natural" 8.26 0.000001)
expect_near("${line}" "Stations;1;Natural" 8.625 0.000001)
expect_near("${line}" "Stations;1;X" 62.5 0.0000001)
expect_near("${line}" "Stations;2;Natural" 7.80 0.000001)
string(JSON stations LENGTH "${line}" Stations)
if(NOT stations EQUAL 3)
  message(FATAL_ERROR "stations: ${line}")
endif()

# A polyline along row 1 then down column 5, sections every 25 m, 50 m wide,
# into a CSV with decimal commas.
run(${CLI} profile "${WORK}/W.NVR" --path 12.5,12.5,112.5,12.5,112.5,87.5 --sections 25 --width=50
    --locale pt_BR -o "${WORK}/perfil.csv")
expect_ok("profile --path")
string(JSON legs LENGTH "${out}" Legs)
string(JSON sections LENGTH "${out}" Sections)
if(NOT legs EQUAL 2 OR NOT sections EQUAL 8)
  message(FATAL_ERROR "polyline: ${out}")
endif()
expect_near("${out}" Length 175 0.0000001)
expect_near("${out}" "Legs;1;Start" 100 0.0000001)
expect_near("${out}" "Stations;5;Natural" 10.44 0.000001)
# Half of each end section lies outside the field.
expect_near("${out}" "Sections;0;Covered" 25 0.0000001)
file(READ "${WORK}/perfil.csv" csv)
string(FIND "${csv}" "Distância (m);X;Y;Cota natural (m)" head)
if(NOT head EQUAL 3 OR NOT csv MATCHES "\n100,00;112,500;12,500;10,440;")
  message(FATAL_ERROR "CSV:\n${csv}")
endif()

# Refusals: nothing read, nothing written.
foreach(case
    "--from;1,1|2|falta a linha"
    "--path;1,1,2,2;--from;1,1|2|não use --from e --to"
    "--path;1,1,2|2|--path: espera X1,Y1"
    "--from;1,1;--to;1,1|2|dois pontos distintos"
    "--from;1,1;--to;5,5;--width;10|2|--width é a largura das seções"
    "--from;0,0;--to;100000,0;--step;0.01|2|pequeno demais"
    "--from;1,1;--to;5,5;-o;${WORK}/p.txt|2|-o: a extensão .txt"
    "--from;-500,-500;--to;-400,-400;-o;${WORK}/fora.csv|4|não passa por cotas")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts -1 message)
  list(GET parts -2 status)
  list(REMOVE_AT parts -1 -2)
  run(${CLI} profile "${WORK}/W.NVR" ${parts})
  if(NOT rc EQUAL status OR NOT err MATCHES "${message}" OR NOT out STREQUAL "")
    message(FATAL_ERROR "profile ${parts}: ${rc} ${out} ${err}")
  endif()
endforeach()
if(EXISTS "${WORK}/fora.csv")
  message(FATAL_ERROR "a refused profile wrote its CSV")
endif()
message(STATUS "nivora-cli profile passed")
