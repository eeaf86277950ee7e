# The main window, offscreen, and the command line that drives it.
norvale_add_test(NAME tst_mainwindow
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/support/LogFiles.h
  LIBS norvale_mainwindow)
norvale_add_test(NAME tst_commandline
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_commandline.cpp ${CMAKE_CURRENT_LIST_DIR}/support/LogFiles.h
  LIBS norvale_records)
target_compile_definitions(tst_commandline PRIVATE NORVALE_PROGRAM="$<TARGET_FILE:norvale>")
add_dependencies(tst_commandline norvale)
norvale_add_test(NAME tst_outputsafety
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_outputsafety.cpp ${CMAKE_CURRENT_LIST_DIR}/support/LogFiles.h
  LIBS norvale_records)
target_compile_definitions(tst_outputsafety PRIVATE NORVALE_PROGRAM="$<TARGET_FILE:norvale>")
add_dependencies(tst_outputsafety norvale)
