# Altimetric maps: tracing, outline and levels in the core; the map picture,
# the map commands of nivora-cli, the level dialogs and the map window where
# the windows are built.
nivora_core_test(test_contour_trace test_contour_trace.cpp)
nivora_core_test(test_contour_sameness test_contour_sameness.cpp PlainContours.cpp)
nivora_core_test(test_area_outline test_area_outline.cpp)
nivora_core_test(test_contour_levels test_contour_levels.cpp)

if(NIVORA_GUI)
  nivora_render_test(test_altimetric_map test_altimetric_map.cpp)
  nivora_cli_script(cli_contours LABEL gui SCRIPT ContourCli.cmake)
  nivora_cli_script(cli_design_contours LABEL gui SCRIPT DesignContoursCli.cmake)
  nivora_gui_test(test_level_dialogs test_level_dialogs.cpp)
  nivora_gui_test(test_map_window test_map_window.cpp)
endif()
