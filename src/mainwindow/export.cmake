# The export of the record grid to a spreadsheet workbook (no widgets).
add_library(norvale_export STATIC ExcelExport.cpp ExcelExport.h)
target_include_directories(norvale_export PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(norvale_export PUBLIC norvale_records norvale_automation norvale_platform
  Qt6::Core)
