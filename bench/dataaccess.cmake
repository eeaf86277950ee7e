# benchmarks of this area
add_executable(bench_querytable bench_querytable.cpp)
target_link_libraries(bench_querytable PRIVATE norvale_dataaccess)
