# The record grid, the binary log files and the SQLite loaders: plain code, no widgets.
norvale_add_test(NAME tst_recordgridmodel
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_recordgridmodel.cpp
  LIBS norvale_records)
norvale_add_test(NAME tst_binarylogfile
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_binarylogfile.cpp ${CMAKE_CURRENT_LIST_DIR}/support/LogFiles.h
  LIBS norvale_records)
norvale_add_test(NAME tst_databaseloading
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_databaseloading.cpp ${CMAKE_CURRENT_LIST_DIR}/support/LogFiles.h
  LIBS norvale_records)
