# nivora-cli cutfill-map end to end: the four-stake example imported, mapped
# and read back pixel by pixel; a wider area; the refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

file(WRITE "${WORK}/quatro.txt" "10\t11\r\n12\t10\r\n")
run(${CLI} import "${WORK}/quatro.txt" --lx 20 --nx 1 --ny 1 -o "${WORK}/QUATRO.NVR")
expect_ok("import")

# Fills of 0.75 at (1,1) and (2,2) pure blue, cuts of 0.75 pure red.
run(${CLI} cutfill-map "${WORK}/QUATRO.NVR" -o "${WORK}/quatro.png")
expect_ok("cutfill-map")
string(JSON w GET "${out}" Width)
string(JSON h GET "${out}" Height)
string(JSON cw GET "${out}" CellWidth)
if(NOT w EQUAL 16 OR NOT h EQUAL 16 OR NOT cw EQUAL 8)
  message(FATAL_ERROR "cutfill-map: ${out}")
endif()
run(${PIXELS} "${WORK}/quatro.png" 0,0 7,7 8,0 15,7 0,8 7,15 8,8 15,15)
expect_ok("reading the PNG back")
set(expected "16 16
0,0 255 #0000ff
7,7 255 #0000ff
8,0 1 #ff0000
15,7 1 #ff0000
0,8 1 #ff0000
7,15 1 #ff0000
8,8 255 #0000ff
15,15 255 #0000ff
")
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "pixels of the four-stake map:\n${out}")
endif()

# Three stakes wide: 24 pixels, the third column (beyond the stakes measured) white.
run(${CLI} cutfill-map "${WORK}/QUATRO.NVR" --area 1,1,3,2 -o "${WORK}/tres.png")
expect_ok("cutfill-map --area")
run(${PIXELS} "${WORK}/tres.png" 20,4 20,12 4,4)
expect_ok("reading the wider PNG back")
if(NOT out STREQUAL "24 16\n20,4 0 #ffffff\n20,12 0 #ffffff\n4,4 255 #0000ff\n")
  message(FATAL_ERROR "pixels of the wider map:\n${out}")
endif()

# No -o: a usage error. Nothing to compute: the program's warning, status 4,
# and no picture.
run(${CLI} cutfill-map "${WORK}/QUATRO.NVR")
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "cutfill-map without -o: ${rc} ${err}")
endif()
file(WRITE "${WORK}/um.txt" "10\r\n")
run(${CLI} import "${WORK}/um.txt" --lx 20 -o "${WORK}/UM.NVR")
expect_ok("import of one stake")
run(${CLI} cutfill-map "${WORK}/UM.NVR" -o "${WORK}/um.png")
if(NOT rc EQUAL 4 OR NOT err MATCHES "falta de cotas" OR EXISTS "${WORK}/um.png")
  message(FATAL_ERROR "one stake: ${rc} ${err}")
endif()
run(${CLI} cutfill-map "${WORK}/QUATRO.NVR" -o "${WORK}/nao/existe/q.png")
if(NOT rc EQUAL 5 OR NOT err MATCHES "Não foi possível criar o arquivo .*/nao/existe/q.png: a pasta")
  message(FATAL_ERROR "unwritable output: ${rc} ${err}")
endif()
message(STATUS "nivora-cli cutfill-map passed")
