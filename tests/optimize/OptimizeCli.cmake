# nivora-cli optimize end to end: two rows of three stakes, 10 m apart along
# X, each standing for a square metre, the middle ones 0,3 m high; slopes
# within 1 % along X and the rows held level with each other. At ratio 1,5
# the humps are cut to 10,15 and their neighbours filled to 10,05: cut 0,30,
# fill 0,20 m³. Then the options written with "=", a bearing, the coarse grid,
# the project read back, and the refusals.
include(${CMAKE_CURRENT_LIST_DIR}/../e2e/CliTest.cmake)

function(expect_between what low high)
  string(JSON v GET "${out}" ${ARGN})
  if(v LESS low OR v GREATER high)
    message(FATAL_ERROR "${what}: ${ARGN} = ${v}, expected ${low} .. ${high}\n${out}")
  endif()
endfunction()

function(expect_text what json_value)
  string(JSON v GET "${out}" ${ARGN})
  if(NOT v STREQUAL json_value)
    message(FATAL_ERROR "${what}: ${ARGN} = ${v}, expected ${json_value}\n${out}")
  endif()
endfunction()

file(WRITE "${WORK}/dois.txt" "10\t10.3\t10\r\n10\t10.3\t10\r\n")
run(${CLI} import "${WORK}/dois.txt" --lx 10 --ly 0.1 -o "${WORK}/DOIS.NVR")
expect_ok("import")

run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1.5 --sx -0.01,0.01 --sy 0,0 -o "${WORK}/OTIMO.NVR")
expect_ok("optimize")
expect_between("cut" 0.29999 0.30001 CutVolume)
expect_between("fill" 0.19999 0.20001 FillVolume)
expect_between("plan's cut" 0.29999 0.30001 Plan CutVolume)
expect_between("plan's ratio" 1.49999 1.50001 Plan CutFillRatio)
expect_between("nodes" 6 6 NodeCount)
expect_between("step" 1 1 Step)
expect_between("slot" 2 2 Slot)
expect_text("ratio met" ON RatioMet)

# The design elevations, read back from the saved project.
run(${CLI} grid "${WORK}/OTIMO.NVR" --view design)
expect_ok("grid --view design")
if(NOT out STREQUAL "10.050\t10.150\t10.050\n10.050\t10.150\t10.050\n")
  message(FATAL_ERROR "design elevations:\n${out}")
endif()
run(${CLI} info "${WORK}/OTIMO.NVR")
expect_ok("info")
expect_between("current plan" 2 2 CurrentPlan)
expect_between("kept cut" 0.29999 0.30001 Plans 2 CutVolume)
expect_between("kept fill" 0.19999 0.20001 Plans 2 FillVolume)

# Options with "=", a plan column of their own, and 0,1 m³ of cut exported:
# cut - 0,1 = fill, where ratio 1 alone would give 4/15 each.
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio=1 --sx=-0.01,0.01 --sy=0,0 --export=0.1 --slot=4)
expect_ok("optimize with =")
expect_between("slot" 4 4 Slot)
expect_between("export" 0.09999 0.10001 ExportVolume)
expect_between("cut with export" 0.29999 0.30001 CutVolume)
expect_between("fill with export" 0.19999 0.20001 FillVolume)

# Rows 10 m apart, the second level at 10,2: a cross slope within 0,5 %
# costs earth (20 m³ each way against 13,33 without it), and along a
# bearing of 0° or 90° the same limits give the same surface.
file(WRITE "${WORK}/y.txt" "10\t10.3\t10\r\n10.2\t10.2\t10.2\r\n")
run(${CLI} import "${WORK}/y.txt" --lx 10 --ly 10 -o "${WORK}/Y.NVR")
expect_ok("import")
run(${CLI} optimize "${WORK}/Y.NVR" --ratio 1 --sx -0.01,0.01)
expect_ok("optimize along X alone")
expect_between("along X alone" 13.333 13.334 CutVolume)
foreach(limits "--sx;-0.01,0.01;--sy;-0.005,0.005" "--bearing=0;--main=-0.01,0.01;--cross=-0.005,0.005"
               "--bearing;90;--main;-0.005,0.005;--cross;-0.01,0.01")
  run(${CLI} optimize "${WORK}/Y.NVR" --ratio 1 ${limits})
  expect_ok("optimize ${limits}")
  expect_between("${limits}" 19.9999 20.0001 CutVolume)
endforeach()

# Every second stake a node: columns 1 and 3, rows 1 and 2.
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --sx=-0.01,0.01 --step=2)
expect_ok("optimize --step=2")
expect_between("coarse nodes" 4 4 NodeCount)
expect_between("coarse step" 2 2 Step)
expect_text("coarse ratio" ON RatioMet)

# Refusals: nothing to limit, a fixed stake without its elevation, a bearing
# with limits along the axes, a step of 0, and limits no surface meets.
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1)
expect_rc(2 "no limit")
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --sx -0.01,0.01 --fix 1,1)
expect_rc(2 "--fix without an elevation")
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --bearing 30 --sx -0.01,0.01)
expect_rc(2 "--bearing with --sx")
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --sx -0.01,0.01 --step 0)
expect_rc(2 "--step 0")
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --sx -0.01,0.01 --max-cut 0 --max-fill 0 -o "${WORK}/NADA.NVR")
expect_rc(4 "no surface")
if(NOT err MATCHES "Nenhuma superfície atende")
  message(FATAL_ERROR "no surface: ${err}")
endif()
if(EXISTS "${WORK}/NADA.NVR")
  message(FATAL_ERROR "a refused design wrote its output")
endif()
run(${CLI} optimize "${WORK}/DOIS.NVR" --ratio 1 --sx -0.01,0.01 --fix 2,1,11 --sy 0,0)
expect_rc(4 "a fixed stake the slopes cannot reach")
