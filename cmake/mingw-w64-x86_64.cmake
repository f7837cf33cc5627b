# Cross-builds the Windows program (x86-64) with Debian's mingw-w64 compilers, the
# "-posix" ones, whose C++ runtime has the threads that GoogleTest needs. Programs
# built for the target run under Wine wherever the build runs them (tests).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MESHLIFT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MESHLIFT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MESHLIFT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MESHLIFT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MESHLIFT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine keeps its own Windows installation (a prefix) inside the build tree, so that
# the tests neither use nor change the user's. Messages are turned off, and a UTF-8
# locale makes Wine's code page UTF-8 for names beyond ASCII.
set(MESHLIFT_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")
set(MESHLIFT_WINE_ENVIRONMENT WINEPREFIX=${MESHLIFT_WINE_PREFIX} WINEDEBUG=-all LANG=C.UTF-8
                              LC_ALL=C.UTF-8)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${MESHLIFT_WINE_ENVIRONMENT} wine)
