# Sourced by tests/wine/run.sh and bench/wine.sh: which Windows builds this
# machine can run, found by starting Wine's loaders (some machines refuse
# every 32-bit x86 program; there only the x86-64 build runs, under wine64).
#
# windows_builds sets:
#   builds        the builds to run: win32, x64 or both, in that order
#   left_out      one line per build left out, with the loader's own words
# TAVRELLE_WINE_BUILDS=win32|x64|both forces the choice. Returns 1 (with
# left_out saying why) when no build can run or a forced one cannot, 2 on a
# bad choice.
# use_windows_build BUILD then sets loader, WINEARCH, WINELOADER, cross
# (the MinGW-w64 prefix) and program (the file name in dist/); the caller
# sets WINEPREFIX.

loader32=/usr/lib/wine/wine
loader64=/usr/lib/wine/wine64

# Starts a Wine loader; on failure prints why, in the loader's (or the
# kernel's) own words.
try_wine_loader() {
  local loader="$1" output
  if [[ ! -e "$loader" ]]; then echo "$loader is not installed"; return 1; fi
  if output="$("$loader" --version 2>&1)"; then return 0; fi
  # bash names itself and the line before the kernel's words: drop that.
  echo "$loader --version: $(printf '%s' "$output" | tail -n 1 | sed 's/^.*: line [0-9]*: //')"
  return 1
}

windows_builds() {
  builds=() left_out=()
  local why32="" why64="" forced="${TAVRELLE_WINE_BUILDS:-}"
  case "$forced" in
    win32|x64|both|"") ;;
    *) left_out=("TAVRELLE_WINE_BUILDS must be win32, x64 or both, not '$forced'"); return 2 ;;
  esac
  if [[ "$forced" != x64 ]]; then
    if why32="$(try_wine_loader "$loader32")"; then builds+=(win32)
    else left_out+=("tavrelle.exe (32-bit) left out: Wine's 32-bit loader does not start here: $why32"); fi
  fi
  if [[ "$forced" != win32 ]]; then
    if why64="$(try_wine_loader "$loader64")"; then builds+=(x64)
    else left_out+=("tavrelle-x64.exe (x86-64) left out: Wine's 64-bit loader does not start here: $why64"); fi
  fi
  [[ "$forced" == win32 ]] && left_out+=("tavrelle-x64.exe (x86-64) left out: TAVRELLE_WINE_BUILDS=win32")
  [[ "$forced" == x64 ]] && left_out+=("tavrelle.exe (32-bit) left out: TAVRELLE_WINE_BUILDS=x64")
  # A forced build that cannot start fails rather than passing untested.
  if [[ -n "$forced" && -n "$why32$why64" ]]; then return 1; fi
  [[ ${#builds[@]} -gt 0 ]]
}

use_windows_build() {
  if [[ "$1" == win32 ]]; then
    loader="$loader32" cross=i686-w64-mingw32 program=tavrelle.exe
    export WINEARCH=win32
    unset WINELOADER
  else
    loader="$loader64" cross=x86_64-w64-mingw32 program=tavrelle-x64.exe
    export WINEARCH=win64
    # What Debian's wine script sets when it starts wine64 itself.
    export WINELOADER="$loader64"
  fi
}
