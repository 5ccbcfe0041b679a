# Printing and PDF: the pages read back through poppler's tools, the
# nivora-cli report, and the print commands of the program.
if(NIVORA_GUI)
  add_executable(test_print_pages print/test_print_pages.cpp print/PopplerTools.cpp)
  target_link_libraries(test_print_pages PRIVATE nivora_render GTest::gtest)
  target_include_directories(test_print_pages PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  add_test(NAME test_print_pages COMMAND test_print_pages)
  set_tests_properties(test_print_pages PROPERTIES LABELS gui ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

if(NIVORA_GUI)
  find_program(PDFTOTEXT pdftotext)
  find_program(PDFINFO pdfinfo)
  find_program(PDFFONTS pdffonts)
  add_test(NAME cli_report
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:nivora-cli> -DWORK=${CMAKE_CURRENT_BINARY_DIR}/report_work
            -DEXAMPLES=${PROJECT_SOURCE_DIR}/examples -DPDFTOTEXT=${PDFTOTEXT} -DPDFINFO=${PDFINFO}
            -DPDFFONTS=${PDFFONTS} -P ${CMAKE_CURRENT_SOURCE_DIR}/print/ReportCli.cmake)
  set_tests_properties(cli_report PROPERTIES LABELS gui ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The print commands in the program, on the offscreen platform.
if(NIVORA_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(test_print_windows print/test_print_windows.cpp print/PopplerTools.cpp gui/GuiTestSupport.cpp)
  target_link_libraries(test_print_windows PRIVATE nivora_ui Qt6::Test)
  target_include_directories(test_print_windows PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/print)
  set_target_properties(test_print_windows PROPERTIES AUTOMOC ON)
  add_test(NAME test_print_windows COMMAND test_print_windows)
  set_tests_properties(test_print_windows PROPERTIES LABELS gui TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
