# norvale_warnings(<target>): every warning on for our own code (Qt's generated
# code in the target is ours too); errors instead with NORVALE_WERROR.
function(norvale_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -pedantic)
  if(NORVALE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# norvale_library(<name> <sources...>): a static library of src/<name>/, its
# headers reached as "<name>/Header.h" from src/.
function(norvale_library name)
  add_library(norvale_${name} STATIC ${ARGN})
  target_include_directories(norvale_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  norvale_warnings(norvale_${name})
endfunction()
