# Printing and PDF: the pages in the render layer, the window layer's print
# and PDF commands (nivora-cli's report is in cli/).
list(APPEND NIVORA_RENDER_SOURCES print/PrintPages.cpp)
list(APPEND NIVORA_UI_SOURCES print/uPrint.cpp)
