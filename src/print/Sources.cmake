# Printing and PDF: the pages in the render layer, the window layer's print
# and PDF commands (nivora-cli's report is in cli/).
list(APPEND NIVORA_RENDER_SOURCES print/PrintDocument.cpp print/PageParts.cpp print/FieldReportPages.cpp
     print/ResultsPages.cpp print/CutFillPages.cpp print/AltimetricPages.cpp print/ProfilePages.cpp
     print/DrainagePages.cpp print/HaulPages.cpp)
list(APPEND NIVORA_UI_SOURCES print/uPrint.cpp)
