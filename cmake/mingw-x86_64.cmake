# Cross-compiles the Windows program for x86-64 with MinGW-w64: the
# tavrelle-x64.exe beside the 32-bit one, from the same sources.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVRELLE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
