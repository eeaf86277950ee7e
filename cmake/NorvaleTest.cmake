# norvale_add_test(NAME <name> LIBRARY <library> SOURCES <files...> [LIBS <targets...>])
# One Qt Test program per unit, linking the library it exercises (and labelled
# with it: `ctest -L records`); every test runs headless.
function(norvale_add_test)
  cmake_parse_arguments(T "" "NAME;LIBRARY" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  norvale_warnings(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${T_NAME} PRIVATE norvale_${T_LIBRARY} ${T_LIBS} Qt6::Test)
  target_compile_definitions(${T_NAME} PRIVATE
    NORVALE_SAMPLE_TOOL="$<TARGET_FILE:make-sample-logs>")
  add_dependencies(${T_NAME} make-sample-logs)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS ${T_LIBRARY}
    # A screen as large as the one the windows are looked at on, with frames.
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/screen-1600x1000.json;LC_ALL=C.UTF-8;LANG=C.UTF-8"
    TIMEOUT 600)
endfunction()
