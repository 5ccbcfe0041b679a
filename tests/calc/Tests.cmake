# The cut-and-fill map: its arithmetic in the core; the bitmap and the
# nivora-cli command where the render layer is built.
nivora_core_test(test_cutfill_geometry calc/test_cutfill_geometry.cpp)

if(TARGET nivora_render)
  add_executable(test_cutfill_map calc/test_cutfill_map.cpp)
  target_link_libraries(test_cutfill_map PRIVATE nivora_render GTest::gtest GTest::gtest_main)
  add_test(NAME test_cutfill_map COMMAND test_cutfill_map)
  set_tests_properties(test_cutfill_map PROPERTIES LABELS core ENVIRONMENT QT_QPA_PLATFORM=offscreen)

  # Reads back the PNG that nivora-cli writes.
  add_executable(cutfill_png_pixels calc/cutfill_png_pixels.cpp)
  target_link_libraries(cutfill_png_pixels PRIVATE Qt6::Gui)
  add_test(NAME cli_cutfill_map
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DPIXELS=$<TARGET_FILE:cutfill_png_pixels>
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/cutfill_work -P ${CMAKE_CURRENT_SOURCE_DIR}/calc/CutFillCli.cmake)
  set_tests_properties(cli_cutfill_map PROPERTIES LABELS core ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
nivora_core_test(test_field_report calc/test_field_report.cpp)
