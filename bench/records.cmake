# Binary data file to CSV: the reference decoder the browser's
# `--to csv` is measured against (bench-binary-csv.sh). It lands next to
# the norvale program, so the scripts find both in the build folder.
add_executable(bin2csv bin2csv.c)
set_target_properties(bin2csv PROPERTIES
  C_STANDARD 11 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF AUTOMOC OFF AUTOUIC OFF
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
