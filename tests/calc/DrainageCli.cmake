# nivora-cli drainage end to end: the 5 x 5 field with a hollow at (3,3) and
# (4,3), its border and a file of outlets, an area inside it, the design, the
# options written with "=" and the refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

# The number at the JSON path lies within [low, high].
function(expect_between what low high)
  string(JSON v GET "${out}" ${ARGN})
  if(v LESS low OR v GREATER high)
    message(FATAL_ERROR "${what}: ${ARGN} = ${v}, expected ${low} .. ${high}\n${out}")
  endif()
endfunction()

set(row "10\t10\t10\t10\t10\r\n")
file(WRITE "${WORK}/cova.txt" "${row}${row}10\t10\t9\t9.4\t10\r\n${row}${row}")
run(${CLI} import "${WORK}/cova.txt" --lx 20 -o "${WORK}/COVA.NVR")
expect_ok("import")
file(WRITE "${WORK}/saida.txt" "10\t10\t10\t10\t10\r\n${row}10\t10\t9\t9.4\t9.7\r\n${row}${row}")
run(${CLI} import "${WORK}/saida.txt" --lx 20 -o "${WORK}/SAIDA.NVR")
expect_ok("import")

# Border outlets: depths 1,00 and 0,60, 640 m³ over two stakes.
run(${CLI} drainage "${WORK}/COVA.NVR")
expect_ok("drainage")
expect_between("hollow" 639.999 640.001 PondedVolume)
expect_between("hollow" 2 2 WetCount)
expect_between("hollow" 800 800 WetArea)
expect_between("hollow" 3 3 Deepest Col)
expect_between("hollow" 0.99999 1.00001 Deepest Depth)
expect_between("hollow" 10 10 Ponds 0 SpillLevel)
expect_between("hollow" 16 16 OutletCount)

# The low border stake: spill over (5,3) at 9,70, 400 m³.
run(${CLI} drainage "${WORK}/SAIDA.NVR" --outlets border)
expect_ok("drainage, low border stake")
expect_between("spill" 399.999 400.001 PondedVolume)
expect_between("spill" 9.69999 9.70001 Ponds 0 SpillLevel)
expect_between("spill" 5 5 Ponds 0 Spill 0)
expect_between("spill" 3 3 Ponds 0 Spill 1)

# One outlet from a file, written with "=": the field falls to it from every
# side but the hollow, which holds up to 10.
file(WRITE "${WORK}/saidas.txt" "# coluna linha\n1 1\n")
run(${CLI} drainage "${WORK}/COVA.NVR" --outlets=${WORK}/saidas.txt)
expect_ok("drainage --outlets=FILE")
expect_between("outlet file" 1 1 OutletCount)
expect_between("outlet file" 639.999 640.001 PondedVolume)
string(JSON outlets GET "${out}" Outlets)
if(NOT outlets STREQUAL "file")
  message(FATAL_ERROR "outlets: ${out}")
endif()

# An area that starts at (2,2): (4,3) is on its border, so (3,3) holds 0,40.
run(${CLI} drainage "${WORK}/COVA.NVR" --area=2,2,4,4)
expect_ok("drainage --area=")
expect_between("area" 159.999 160.001 PondedVolume)
expect_between("area" 1 1 WetCount)

# The design of a file without a plan: the best plane, which holds no water;
# its fall checked against 50 %, which no stake meets.
run(${CLI} drainage "${WORK}/COVA.NVR" --surface=design --min-fall=0.5)
expect_ok("drainage --surface=design")
expect_between("design" 0 0 PondedVolume)
string(JSON sys GET "${out}" Systematized)
if(NOT sys STREQUAL "ON" AND NOT sys STREQUAL "true")
  message(FATAL_ERROR "design: ${out}")
endif()
expect_between("design" 25 25 LowFall Count)
expect_between("design" 0.5 0.5 LowFall MinFall)

# A file that keeps its plan is read with it, not computed again.
run(${CLI} systematize "${WORK}/COVA.NVR" -o "${WORK}/PLANO.NVR")
expect_ok("systematize")
run(${CLI} drainage "${WORK}/PLANO.NVR" --surface design)
expect_ok("drainage of a file with a plan")
string(JSON sys GET "${out}" Systematized)
if(NOT sys STREQUAL "OFF" AND NOT sys STREQUAL "false")
  message(FATAL_ERROR "design kept: ${out}")
endif()
expect_between("design kept" 25 25 StakeCount)

# Refusals: a wrong surface (usage, 2), a bad outlet file (input, 3).
run(${CLI} drainage "${WORK}/COVA.NVR" --surface=plano)
expect_rc(2 "--surface=plano")
file(WRITE "${WORK}/ruim.txt" "1 1\n7 1\n")
run(${CLI} drainage "${WORK}/COVA.NVR" --outlets "${WORK}/ruim.txt")
expect_rc(3 "bad outlet file")
if(NOT err MATCHES "linha 2 do arquivo de saídas: o piquete \\(7, 1\\) não tem cota")
  message(FATAL_ERROR "bad outlet file: ${err}")
endif()
run(${CLI} drainage "${WORK}/COVA.NVR" --outlets "${WORK}/nenhum.txt")
expect_rc(3 "missing outlet file")
message(STATUS "nivora-cli drainage passed")
