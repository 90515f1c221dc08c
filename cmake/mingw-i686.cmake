# Cross-compiles the Windows program for 32-bit x86 with MinGW-w64: the
# tavrelle.exe that users of 32-bit Windows run.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVRELLE_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
