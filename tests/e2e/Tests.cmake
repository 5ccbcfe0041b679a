# The real program under a virtual X server, driven by key presses.
if(NIVORA_GUI)
  add_test(NAME e2e_program_flow
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/program_flow.sh $<TARGET_FILE:nivora> $<TARGET_FILE:nivora-cli>
            ${PROJECT_SOURCE_DIR}/examples/FAZENDA.NVR ${CMAKE_CURRENT_BINARY_DIR}/e2e_work)
  set_tests_properties(e2e_program_flow PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE)
endif()

# The installed program from another working folder, and the desktop files.
if(NIVORA_GUI)
  add_test(NAME e2e_installed_program
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/installed_program.sh ${PROJECT_BINARY_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/installed_work ${PROJECT_VERSION})
  set_tests_properties(e2e_installed_program PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE)
  add_test(NAME desktop_files_valid
    COMMAND sh -c "desktop-file-validate '${PROJECT_SOURCE_DIR}/desktop/nivora.desktop' && appstreamcli validate --no-net '${PROJECT_BINARY_DIR}/desktop/io.github.nivora.Nivora.metainfo.xml'")
  set_tests_properties(desktop_files_valid PROPERTIES LABELS core)
endif()

# nivora-cli's command line, case by case: statuses, messages, nothing written
# on failure, help and version.
add_executable(test_cli_table ${CMAKE_CURRENT_LIST_DIR}/test_cli_table.cpp)
target_link_libraries(test_cli_table PRIVATE GTest::gtest)
add_test(NAME test_cli_table
  COMMAND test_cli_table $<TARGET_FILE:nivora-cli> ${PROJECT_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/cli_table_work
          ${PROJECT_VERSION} $<IF:$<TARGET_EXISTS:nivora-cli-draw>,draw,core>)
set_tests_properties(test_cli_table PROPERTIES LABELS core ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The README's nivora-cli commands verbatim, from a folder laid out as a
# fresh clone.
if(NIVORA_GUI)
  add_test(NAME readme_cli_commands
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DSRC=${PROJECT_SOURCE_DIR}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/readme_work -P ${CMAKE_CURRENT_LIST_DIR}/ReadmeCli.cmake)
  set_tests_properties(readme_cli_commands PROPERTIES LABELS core ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
