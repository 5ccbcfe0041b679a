# nivora-cli end to end: import, info, grid, systematize.
nivora_cli_script(cli_roundtrip LABEL core SCRIPT CliRoundTrip.cmake)

# nivora-cli's command line, case by case: statuses, messages, nothing written
# on failure, help and version.
add_executable(test_cli_table ${CMAKE_CURRENT_LIST_DIR}/test_cli_table.cpp)
target_link_libraries(test_cli_table PRIVATE GTest::gtest)
nivora_add_test(test_cli_table core
  test_cli_table $<TARGET_FILE:nivora-cli> ${PROJECT_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/cli_table_work
  ${PROJECT_VERSION} $<IF:$<TARGET_EXISTS:nivora-cli-draw>,draw,core>)

if(NIVORA_GUI)
  # The README's nivora-cli commands verbatim, from a folder laid out as a
  # fresh clone.
  nivora_add_test(readme_cli_commands gui
    ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DSRC=${PROJECT_SOURCE_DIR}
    -DWORK=${CMAKE_CURRENT_BINARY_DIR}/readme_work -P ${CMAKE_CURRENT_LIST_DIR}/ReadmeCli.cmake)

  # The real program under a virtual X server, driven by key presses.
  nivora_add_test(e2e_program_flow e2e
    ${CMAKE_CURRENT_LIST_DIR}/program_flow.sh $<TARGET_FILE:nivora> $<TARGET_FILE:nivora-cli>
    ${PROJECT_SOURCE_DIR}/examples/FAZENDA.NVR ${CMAKE_CURRENT_BINARY_DIR}/e2e_work)
  set_tests_properties(e2e_program_flow PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)

  # The installed program from another working folder, and the desktop files.
  nivora_add_test(e2e_installed_program e2e
    ${CMAKE_CURRENT_LIST_DIR}/installed_program.sh ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/installed_work
    ${PROJECT_VERSION})
  set_tests_properties(e2e_installed_program PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)
  nivora_add_test(desktop_files_valid core
    sh -c "desktop-file-validate '${PROJECT_SOURCE_DIR}/desktop/nivora.desktop' && appstreamcli validate --no-net '${PROJECT_BINARY_DIR}/desktop/io.github.nivora.Nivora.metainfo.xml'")
endif()

# Survey points at UTM coordinates through nivora-cli points and back out of
# winsurf, report's CSV and grid --coordinates at their surveyed places. The
# report is drawn by nivora-cli's helper, which a build without the windows
# does not have.
if(NIVORA_GUI)
  add_executable(survey_round_trip ${CMAKE_CURRENT_LIST_DIR}/survey_round_trip.cpp)
  target_link_libraries(survey_round_trip PRIVATE GTest::gtest)
  nivora_add_test(survey_round_trip core
    survey_round_trip $<TARGET_FILE:nivora-cli> ${CMAKE_CURRENT_BINARY_DIR}/survey_round_trip_work)
endif()
