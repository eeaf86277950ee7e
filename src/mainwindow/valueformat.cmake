# Value texts of the data records: plain functions, no widgets.
target_sources(norvale_records PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ValueFormat.cpp ${CMAKE_CURRENT_LIST_DIR}/ValueFormat.h)
