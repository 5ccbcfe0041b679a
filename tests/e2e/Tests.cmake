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
