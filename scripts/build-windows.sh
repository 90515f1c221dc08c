#!/usr/bin/env bash
# Cross-compiles the Windows program with MinGW-w64, from the same sources
# twice: dist/tavrelle.exe (32-bit x86, the program users of 32-bit Windows
# run) and dist/tavrelle-x64.exe (x86-64). Each is one static executable that
# needs no DLL beside it.
#   scripts/build-windows.sh [--arch win32|x64|both] [BUILD_DIR] [extra cmake arguments...]
# Builds in BUILD_DIR/win32 and BUILD_DIR/x64 (default BUILD_DIR: build/windows);
# TAVRELLE_NO_DIST=1 leaves dist/ alone. Prints the path of each program built.
# Installs the cross compilers first when they are missing (scripts/setup.sh --windows).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
arch=both
if [[ "${1:-}" == "--arch" ]]; then
  arch="${2:?--arch needs win32, x64 or both}"
  shift 2
fi
case "$arch" in
  win32) arches=(win32) ;;
  x64) arches=(x64) ;;
  both) arches=(win32 x64) ;;
  *) echo "build-windows.sh: --arch must be win32, x64 or both, not '$arch'" >&2; exit 2 ;;
esac
build="${1:-$root/build/windows}"
shift || true
"$root/scripts/setup.sh" --windows

for a in "${arches[@]}"; do
  if [[ $a == win32 ]]; then toolchain=mingw-i686 program=tavrelle.exe; else toolchain=mingw-x86_64 program=tavrelle-x64.exe; fi
  cmake -S "$root" -B "$build/$a" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DTAVRELLE_PLATFORM=win32 -DTAVRELLE_TESTS=OFF \
    -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-MinSizeRel}" "$@" >/dev/null
  cmake --build "$build/$a" -j"${JOBS:-2}" --target tavrelle
  if [[ "${TAVRELLE_NO_DIST:-}" != 1 ]]; then
    mkdir -p "$root/dist"
    cp "$build/$a/src/$program" "$root/dist/$program"
    echo "$root/dist/$program"
  else
    echo "$build/$a/src/$program"
  fi
done
