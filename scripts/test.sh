#!/usr/bin/env bash
# Runs every test tier on a fresh Debian 12 machine: installs what is
# missing, builds, and runs the unit and GUI tests (and, where present, the
# Windows end-to-end tier under Wine).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

windows=""
[[ -x tests/wine/run.sh ]] && windows="--windows"
scripts/setup.sh $windows

tiers=0
echo "== Linux build: unit and GUI tests"
scripts/build.sh "$root/build/test"
(cd build/test && ctest --output-on-failure -j"$(nproc)" --timeout 600)
tiers=$((tiers + 1))

for tier in tests/extra/*.sh; do
  [[ -x "$tier" ]] || continue
  echo "== $(basename "$tier" .sh)"
  "$tier"
  tiers=$((tiers + 1))
done

wine_summary=""
if [[ -n "$windows" ]]; then
  echo "== Windows builds under Wine"
  tests/wine/run.sh "$root/build/wine"
  wine_summary="$root/build/wine/builds.txt"
  tiers=$((tiers + 1))
fi
# Any failing tier has ended the script above (set -e).
echo "All test tiers passed."
if [[ -n "$wine_summary" ]]; then
  while read -r line; do echo "Windows: $line"; done <"$wine_summary"
fi
echo "tiers: $tiers passed, 0 failed"
