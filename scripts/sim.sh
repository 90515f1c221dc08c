#!/usr/bin/env bash
# Runs tavrelle-sim, the window-less simulator, with the arguments given;
# builds it first (Release, in build/sim) when it is missing or out of date,
# installing what the build needs the first time. Only the simulator writes
# to standard output.
#   scripts/sim.sh --tick 1000 --draws 3000 --log out.log
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/sim"
# Release with link-time optimisation: the draw's control operations cross
# from the core into the backend millions of times a second.
if ! grep -qsE "^CMAKE_INTERPROCEDURAL_OPTIMIZATION:[A-Z]+=ON" "$build/CMakeCache.txt"; then
  "$root/scripts/setup.sh" >&2
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELLE_TESTS=OFF \
    -DCMAKE_INTERPROCEDURAL_OPTIMIZATION:BOOL=ON >&2
fi
if ! out="$(cmake --build "$build" -j2 --target tavrelle-sim 2>&1)"; then
  printf '%s\n' "$out" >&2
  echo "sim.sh: the build failed" >&2
  exit 1
fi
exec "$build/src/sim/tavrelle-sim" "$@"
