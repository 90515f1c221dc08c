#!/usr/bin/env bash
# Cross-compiles the 32-bit Windows program: one static tavrelle.exe that
# needs no DLL beside it, copied to dist/tavrelle.exe.
#   scripts/build-windows.sh [BUILD_DIR] [extra cmake arguments...]
# Installs the cross compiler first when it is missing (scripts/setup.sh --windows).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/windows}"
shift || true
"$root/scripts/setup.sh" --windows
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DTAVRELLE_PLATFORM=win32 -DTAVRELLE_TESTS=OFF \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-MinSizeRel}" "$@" >/dev/null
cmake --build "$build" -j"${JOBS:-2}" --target tavrelle
if [[ "${TAVRELLE_NO_DIST:-}" != 1 ]]; then
  mkdir -p "$root/dist"
  cp "$build/src/tavrelle.exe" "$root/dist/tavrelle.exe"
  echo "$root/dist/tavrelle.exe"
fi
