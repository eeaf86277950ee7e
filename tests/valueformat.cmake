# Value texts of the display formats.
norvale_add_test(NAME tst_valueformat SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_valueformat.cpp
  LIBS norvale_records)
