# The real program under a virtual X server, driven by key presses.
if(NIVORA_GUI)
  add_test(NAME e2e_program_flow
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/program_flow.sh $<TARGET_FILE:nivora> $<TARGET_FILE:nivora-cli>
            ${PROJECT_SOURCE_DIR}/examples/FAZENDA.NVR ${CMAKE_CURRENT_BINARY_DIR}/e2e_work)
  set_tests_properties(e2e_program_flow PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE)
endif()
