# benchmarks of this area
add_executable(bench_curves bench_curves.cpp)
target_include_directories(bench_curves PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(bench_curves PRIVATE norvale_curves Qt6::Widgets)
