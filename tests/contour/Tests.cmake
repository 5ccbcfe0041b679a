# Altimetric maps: tracing, outline and levels in the core; the map picture and
# the map commands of nivora-cli where the render layer is built.
nivora_core_test(test_contour_trace contour/test_contour_trace.cpp)
nivora_core_test(test_contour_sameness contour/test_contour_sameness.cpp contour/PlainContours.cpp)
nivora_core_test(test_area_outline contour/test_area_outline.cpp)
nivora_core_test(test_contour_levels contour/test_contour_levels.cpp)

if(NIVORA_GUI)
  add_executable(test_altimetric_map contour/test_altimetric_map.cpp)
  target_link_libraries(test_altimetric_map PRIVATE nivora_render GTest::gtest)
  target_include_directories(test_altimetric_map PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME test_altimetric_map COMMAND test_altimetric_map)
  set_tests_properties(test_altimetric_map PROPERTIES LABELS gui ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The map commands are part of nivora-cli where the render layer is built.
if(NIVORA_GUI)
  add_test(NAME cli_contours
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DWORK=${CMAKE_CURRENT_BINARY_DIR}/contour_cli_work
            -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples -P ${CMAKE_CURRENT_SOURCE_DIR}/contour/ContourCli.cmake)
  set_tests_properties(cli_contours PROPERTIES LABELS gui ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The level dialogs and the map window, in process on the offscreen platform.
if(NIVORA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  foreach(name test_level_dialogs test_map_window)
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/contour/${name}.cpp ${CMAKE_CURRENT_SOURCE_DIR}/gui/GuiTestSupport.cpp)
    target_link_libraries(${name} PRIVATE nivora_ui Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS gui TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endif()
