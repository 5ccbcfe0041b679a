# The terrain and its plans, the cut-and-fill arithmetic and the field
# report in the core; the bitmap and the nivora-cli command where the render
# layer is built.
nivora_core_test(test_terrain test_terrain.cpp)
nivora_core_test(test_cutfill_geometry test_cutfill_geometry.cpp)
nivora_core_test(test_field_report test_field_report.cpp)
nivora_core_test(test_stake_coordinates test_stake_coordinates.cpp)
nivora_core_test(test_limited_plane test_limited_plane.cpp)
nivora_core_test(test_profile test_profile.cpp)
nivora_core_test(test_drainage test_drainage.cpp)
nivora_core_test(test_design_terrain test_design_terrain.cpp)
nivora_core_test(test_design_layer test_design_layer.cpp)
nivora_core_test(test_settlement test_settlement.cpp)

if(NIVORA_GUI)
  nivora_render_test(test_cutfill_map test_cutfill_map.cpp)
  target_link_libraries(test_cutfill_map PRIVATE GTest::gtest_main)

  # Reads back the PNG that nivora-cli writes.
  add_executable(cutfill_png_pixels ${CMAKE_CURRENT_LIST_DIR}/cutfill_png_pixels.cpp)
  target_link_libraries(cutfill_png_pixels PRIVATE Qt6::Gui)
  nivora_cli_script(cli_profile_svg LABEL gui SCRIPT ProfileSvgCli.cmake)
  nivora_cli_script(cli_drainage_map LABEL gui SCRIPT DrainageMapCli.cmake)
  nivora_cli_script(cli_cutfill_map LABEL gui SCRIPT CutFillCli.cmake
                    ARGS -DPIXELS=$<TARGET_FILE:cutfill_png_pixels>)
endif()
nivora_cli_script(cli_profile LABEL core SCRIPT ProfileCli.cmake)
nivora_cli_script(cli_drainage LABEL core SCRIPT DrainageCli.cmake)
nivora_core_test(test_haul test_haul.cpp LINK nivora_haul)
if(NIVORA_GUI)
  nivora_render_test(test_block_diagram test_block_diagram.cpp)
  target_link_libraries(test_block_diagram PRIVATE GTest::gtest_main)
  target_include_directories(test_block_diagram PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()
