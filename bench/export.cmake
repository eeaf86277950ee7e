# benchmarks of this area
# The export through the workbook engine against libxlsxwriter alone.
add_executable(bench_export bench_export.cpp)
target_link_libraries(bench_export PRIVATE norvale_export PkgConfig::XLSXWRITER)
