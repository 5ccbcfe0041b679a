# Window tests: the frame, the document window, systematizing, pasting, undo
# and the import of survey points.
if(NIVORA_GUI)
  nivora_gui_test(test_gui_frame test_frame.cpp)
  nivora_gui_test(test_gui_document test_document.cpp)
  nivora_gui_test(test_gui_systematize test_systematize.cpp)
  nivora_gui_test(test_gui_paste test_paste.cpp)
  nivora_gui_test(test_gui_undo test_undo.cpp)
  nivora_gui_test(test_gui_translations test_translations.cpp)
  nivora_gui_test(test_gui_typing test_typing.cpp)
  nivora_gui_test(test_gui_import_points test_import_points.cpp)
  target_compile_definitions(test_gui_import_points PRIVATE NIVORA_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
endif()
