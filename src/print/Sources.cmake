# Printing and PDF: the pages in the render layer, the window layer's print
# and PDF commands, and nivora-cli's report (its options checked in nivora-cli,
# its pages made in the drawing helper).
list(APPEND NIVORA_RENDER_SOURCES print/PrintPages.cpp)
list(APPEND NIVORA_UI_SOURCES print/uPrint.cpp)
list(APPEND NIVORA_CLI_SOURCES cli/ReportCommands.cpp)
list(APPEND NIVORA_CLI_DRAW_SOURCES cli/ReportDrawing.cpp)
