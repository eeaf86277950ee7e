# tests of this area
norvale_add_test(NAME tst_excelexport SOURCES tst_excelexport.cpp LIBS norvale_export)
norvale_add_test(NAME tst_workbookengine SOURCES tst_workbookengine.cpp
  LIBS norvale_export norvale_automation Qt6::Gui)
target_compile_definitions(tst_workbookengine PRIVATE
  NORVALE_READ_XLSX="${CMAKE_CURRENT_SOURCE_DIR}/read_xlsx.py")
norvale_add_test(NAME tst_safeoutputfile SOURCES tst_safeoutputfile.cpp LIBS norvale_platform)
