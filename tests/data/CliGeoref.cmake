# nivora-cli georef and info: a georeference set, read back to the millimetre,
# kept by the other commands' saves, cleared back to the very bytes of the
# plain project; codes that are not projected systems in metres refused; a
# damaged extension ignored with a warning.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

set(plain "${EXAMPLES}/PEQUENO.NVR")
set(geo "${WORK}/geo.NVR")

function(expect_match text pattern what)
  if(NOT "${text}" MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: expected ${pattern}\n${text}\n${err}")
  endif()
endfunction()

# North of 14,6 degrees south, with a fractional corner, rows running north,
# and the --opt=value form.
run("${CLI}" georef "${plain}" --epsg=31983 "--corner=312000.125,9100002.5" --rows north -o "${geo}")
expect_ok("georef")
expect_match("${out}" "\"CrsName\":\"SIRGAS 2000 / UTM zone 23S\"" "georef names the system")
run("${CLI}" info "${geo}")
expect_ok("info")
expect_match("${out}" "\"Georeference\":{\"EPSG\":31983,\"CornerEasting\":312000.125,\"CornerNorthing\":9100002.5,\"RowsRunSouth\":false}"
             "info reports the georeference")
expect_match("${out}" "\"Extension\":\"read\"" "info reports the block")
file(SIZE "${plain}" plain_size)
file(SIZE "${geo}" geo_size)
math(EXPR extra "${geo_size} - ${plain_size}")
if(NOT extra EQUAL 48)
  message(FATAL_ERROR "the georeference takes ${extra} bytes after the given content, expected 48")
endif()

# Another command's save keeps it.
run("${CLI}" systematize "${geo}" --ratio 1.3 -o "${WORK}/sist.NVR")
expect_ok("systematize")
run("${CLI}" info "${WORK}/sist.NVR")
expect_match("${out}" "\"EPSG\":31983" "a systematized copy keeps the georeference")

# Cleared, the file is the plain project byte for byte.
run("${CLI}" georef "${geo}" --clear -o "${WORK}/clear.NVR")
expect_ok("georef --clear")
expect_match("${out}" "\"Georeference\":null" "georef --clear")
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${plain}" "${WORK}/clear.NVR" RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "a cleared project differs from the plain one")
endif()
run("${CLI}" info "${plain}")
expect_match("${out}" "\"Georeference\":null,\"Extension\":\"none\"" "a plain project")

# Refusals: nothing is written.
foreach(case
    "--epsg;4326;--corner;1,2|não é um sistema projetado em metros"
    "--epsg;99999;--corner;1,2|não é um sistema de coordenadas conhecido"
    "--epsg;31982|faltam --epsg"
    "--clear;--epsg;31982|--clear não vai com"
    "--epsg;31982;--corner;1;2|espera E,N"
    "--epsg;31982;--corner;a,b|espera E,N"
    "--epsg;-5;--corner;1,2|deve ser um inteiro")
  string(REPLACE "|" ";" parts "${case}")
  list(POP_BACK parts message)
  file(REMOVE "${WORK}/refused.NVR")
  run("${CLI}" georef "${plain}" ${parts} -o "${WORK}/refused.NVR")
  expect_rc(2 "georef ${parts}")
  expect_match("${err}" "${message}" "georef ${parts}")
  if(EXISTS "${WORK}/refused.NVR")
    message(FATAL_ERROR "georef ${parts} wrote a file")
  endif()
endforeach()

# A damaged block: the given content opens, the georeference is dropped and
# the user is told.
# A byte after the block: the block no longer holds together.
file(COPY_FILE "${geo}" "${WORK}/torn.NVR")
file(APPEND "${WORK}/torn.NVR" "x")
run("${CLI}" info "${WORK}/torn.NVR")
expect_ok("info of a damaged block")
expect_match("${out}" "\"Georeference\":null,\"Extension\":\"damaged\"" "a damaged block")
expect_match("${err}" "contém dados adicionais que não puderam ser lidos" "the warning")
