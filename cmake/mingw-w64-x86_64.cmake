# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NORVALE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NORVALE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NORVALE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NORVALE_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW tree and the prefixes given in
# CMAKE_PREFIX_PATH; programs (moc, lrelease ...) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${NORVALE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
