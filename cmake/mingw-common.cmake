# Shared by the MinGW-w64 toolchain files: they set TAVRELLE_MINGW_PREFIX
# and CMAKE_SYSTEM_PROCESSOR, then include this.
# The -posix compilers use the POSIX thread model, in which std::thread and
# std::mutex exist (the core needs them); the plain ones lack both.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TAVRELLE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRELLE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRELLE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRELLE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable that needs no DLL beside it: the C and C++ runtimes and
# winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
