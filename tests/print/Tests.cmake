# Printing and PDF: the pages read back through poppler's tools, the
# nivora-cli report, and the print commands of the program.
if(NIVORA_GUI)
  nivora_render_test(test_print_pages test_print_pages.cpp PopplerTools.cpp)

  find_program(PDFTOTEXT pdftotext)
  find_program(PDFINFO pdfinfo)
  find_program(PDFFONTS pdffonts)
  nivora_cli_script(cli_report LABEL gui SCRIPT ReportCli.cmake
                    ARGS -DPDFTOTEXT=${PDFTOTEXT} -DPDFINFO=${PDFINFO} -DPDFFONTS=${PDFFONTS})

  nivora_gui_test(test_print_windows test_print_windows.cpp PopplerTools.cpp)
endif()
