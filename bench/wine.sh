#!/usr/bin/env bash
# One Windows build's figures: tavrelle.exe (BUILD win32) or
# tavrelle-x64.exe (BUILD x64), as scripts/build-windows.sh builds it with
# its update address on a local HTTPS host, under Wine (wine64 for x64), on
# the X display in $DISPLAY, timed from outside by bench/wine_driver.cpp
# built for the same architecture. Called by bench/run.sh once for each
# build this machine runs (tests/wine/builds.sh), which provides the
# display, the update host and the results file:
#   bench/wine.sh BUILD RESULTS_TSV UPDATE_PORT TLS_DIR
# Appends "figure<TAB>wine-BUILD<TAB>value<TAB>context" lines to RESULTS_TSV.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1" results="$2" port="$3" tls="$4"
work="$root/build/bench/wine/$build"
mkdir -p "$work"
quick="${QUICK:-0}"
if [ "$quick" = 1 ]; then pacing_reps=2 flat_reps=1 clicks=60 startup_reps=4; else pacing_reps=4 flat_reps=2 clicks=100 startup_reps=6; fi

say() { echo "bench: wine-$build: $*" >&2; }
record() { printf '%s\twine-%s\t%s\t%s\n' "$1" "$build" "$2" "$3" >>"$results"; }
skip() {
    say "$1"
    for figure in pacing flat respond startup memory; do record "$figure" "not measured" "$1"; done
    exit 0
}

source "$root/tests/wine/builds.sh"
use_windows_build "$build"
[ -x "$loader" ] || skip "no $loader"
command -v "$cross-g++-posix" >/dev/null || skip "no MinGW-w64 cross compiler for $build"
winpath() { "$loader" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    timeout 20 wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# --- builds -------------------------------------------------------------------
say "building $program (update host https://localhost:$port)"
TAVRELLE_NO_DIST=1 "$root/scripts/build-windows.sh" --arch "$build" "$work/app" \
    "-DTAVRELLE_UPDATE_URL=https://localhost:$port/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt" >/dev/null 2>"$work/build.err" ||
    skip "$program did not build: $(tail -1 "$work/build.err")"
app="$work/app/$build/src/$program"
driver="$work/wine_driver.exe"
bare="$work/wine_bare.exe"
cd "$root"
if [ ! -x "$driver" ] || [ -n "$(find bench/wine_driver.cpp bench/stats.h tests/wine/probe.* src/window src/text src/platform/win32/win32_text.* src/platform/win32/win32_identity.h -newer "$driver")" ]; then
    "$cross-g++-posix" -std=c++20 -O2 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP936 \
        -DUNICODE -D_UNICODE -DNOMINMAX -Isrc -Itests/wine bench/wine_driver.cpp tests/wine/probe.cpp src/window/control_table.cpp \
        src/text/text.cpp src/platform/win32/win32_text.cpp -static -s -o "$driver" -lcrypt32 -lgdi32
fi
if [ ! -x "$bare" ] || [ bench/wine_bare.cpp -nt "$bare" ]; then
    "$cross-g++-posix" -std=c++20 -O2 -municode -mwindows -DUNICODE -D_UNICODE bench/wine_bare.cpp \
        -static -s -o "$bare"
fi

# --- prefix: CJK fonts, a frame Wine draws itself, the host's authority ---------
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix (once; a minute or two)"
    rm -rf "$WINEPREFIX"
    timeout 300 "$loader" wineboot.exe --init >"$work/wineboot.log" 2>&1 ||
        skip "wineboot did not finish: $(tail -1 "$work/wineboot.log")"
    timeout 120 wineserver -w || true
fi
if [ ! -f "$work/prefix-ready" ] || [ "$tls/ca.pem" -nt "$work/prefix-ready" ]; then
    python3 "$root/tests/wine/fonts_reg.py" "$work/fonts.reg"
    timeout 60 "$loader" regedit.exe /S "$(winpath "$work/fonts.reg")" || skip "the prefix registry refused the fonts"
    timeout 60 "$loader" "$driver" install-ca "$(winpath "$tls/ca.pem")" >/dev/null || skip "Wine does not trust the host's authority"
    touch "$work/prefix-ready"
fi

drive() { timeout 240 "$loader" "$driver" "$@"; }
collect() { tr -d '\r' | grep $'^RESULT' | while IFS=$'\t' read -r _ figure value context; do record "$figure" "$value" "$context"; done; }

# --- start-up -------------------------------------------------------------------
say "start-up"
drive startup "$startup_reps" "$(winpath "$app")" "$(winpath "$bare")" >"$work/startup.out" 2>&1 || true
grep -q $'^RESULT\tstartup' "$work/startup.out" || record startup failed "$(grep -m1 FAIL "$work/startup.out" || true)"
collect <"$work/startup.out"

# --- one window for the rest -------------------------------------------------------
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }
timeout -k 10 600 "$loader" "$app" >"$work/app.log" 2>&1 &
launcher=$!
# The Windows process is the Wine process whose command line names the exe
# (the largest, should a launcher match too).
find_app() {
    local best="" best_rss=0 pid rss
    for cmdline in /proc/[0-9]*/cmdline; do
        pid="${cmdline#/proc/}"; pid="${pid%/cmdline}"
        [ "$pid" = "$launcher" ] && continue
        tr '\0' ' ' 2>/dev/null <"$cmdline" | grep -qF "$app" || continue
        rss="$(rss_kib "$pid" 2>/dev/null || true)"
        if [ -n "$rss" ] && [ "$rss" -gt "$best_rss" ]; then best="$pid" best_rss="$rss"; fi
    done
    echo "$best"
}
timeout 60 bash -c "until DISPLAY=$DISPLAY xdotool search --name '^Tavrelle\$' >/dev/null 2>&1; do sleep 0.2; done" ||
    skip "the window did not show"
sleep 1
app_pid="$(find_app)"

# Memory first, while the process has not held a long log yet.
say "memory"
if [ -n "$app_pid" ] && [ -r "/proc/$app_pid/status" ]; then
    before="$(rss_kib "$app_pid")"
    drive set-log 100000 >"$work/memory.out" 2>&1 || true
    sleep 1
    after="$(rss_kib "$app_pid")"
    bytes="$(awk '/^BYTES/ {print $2}' "$work/memory.out" | tr -d '\r')"
    if [ -n "$bytes" ] && [ -n "$before" ] && [ -n "$after" ]; then
        record memory "$(python3 -c "print(f'{($after - $before) * 1024 / $bytes:.3f}')")" \
            "RSS of the Wine process +$(( (after - before) / 1024 )) MiB for $(( bytes / 1048576 )) MiB of log text"
    else
        record memory failed "the log was not filled"
    fi
else
    record memory "not measured" "the Wine process was not found"
fi
drive clear-log >/dev/null 2>&1 || true

for figure in pacing respond flat; do
    say "$figure"
    case $figure in pacing) n=$pacing_reps ;; respond) n=$clicks ;; flat) n=$flat_reps ;; esac
    drive "$figure" "$n" >"$work/$figure.out" 2>&1 || record "$figure" failed "$(grep -m1 FAIL "$work/$figure.out" || true)"
    collect <"$work/$figure.out"
done

drive close >/dev/null 2>&1 || true
