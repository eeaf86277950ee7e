# Value texts: cost per cell of every display format, against printf.
add_executable(bench_valueformat ${CMAKE_CURRENT_LIST_DIR}/valueformat_bench.cpp)
target_link_libraries(bench_valueformat PRIVATE norvale_records)
