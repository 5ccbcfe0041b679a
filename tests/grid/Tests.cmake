# Clipboard text, text import, the WinSurf listing and help contexts.
nivora_core_test(test_grid_text test_grid_text.cpp)
nivora_core_test(test_text_import test_text_import.cpp)
nivora_core_test(test_winsurf test_winsurf.cpp)
nivora_core_test(test_help test_help.cpp)
