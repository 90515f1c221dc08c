#!/usr/bin/env bash
# End-to-end tests of the Windows programs under Wine and Xvfb.
#
# Finds out which Windows builds this machine can run by starting Wine's
# loaders: tavrelle.exe (32-bit) where the 32-bit loader starts, and
# tavrelle-x64.exe under wine64 where the 64-bit one does (some machines
# refuse every 32-bit x86 program). TAVRELLE_WINE_BUILDS=win32|x64|both
# forces the choice. For each build it tests: the program, a copy whose
# update address is a loopback TLS host (tests/wine/update files served by
# scripts/update_host.py with a test authority that the Wine prefix trusts),
# and a driver built for the same architecture that drives the window from
# outside. Then, on a display of its own:
#   1. current update file: every control against the table, the fill
#      button and tick boxes, a run of 5, the log's end, stop, a timed run
#      of 100, dragging; closing ends with exit code 0; a screenshot;
#   2. stale update file: the 400 x 240 window with the download panel,
#      dragging by the panel; Esc closes it with exit code 0; a screenshot;
#   3. Esc or the close box during a run ends with exit code 0, ten times;
#   4. the update request is a plain HTTP/1.0 GET with the program's user
#      agent and "Accept: */*"; a host certificate from an unknown authority,
#      and a host that never answers (the fetch gives up after 15 s), give
#      the download panel;
#   5. the program in dist/ itself opens and closes with exit code 0.
#
#   tests/wine/run.sh [WORK_DIR]      (default build/wine)
# Screenshots: WORK_DIR/screenshots/BUILD-*.png. WORK_DIR/builds.txt says
# which builds were tested and why one was left out. Every wait is bounded;
# when a tool fails, the tail of its own output is shown.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mkdir -p "${1:-$root/build/wine}" && cd "${1:-$root/build/wine}" && pwd)"
cd "$root"
started=$(date +%s)
mkdir -p "$work/logs" "$work/screenshots"
summary="$work/builds.txt"
: >"$summary"

say() { echo "[wine] $*"; }
fail() { echo "[wine] FAIL: $*" >&2; exit 1; }
# Fails showing the last lines a tool wrote to its log.
fail_with_log() {
  local log="$2"
  echo "[wine] FAIL: $1" >&2
  if [[ -s "$log" ]]; then
    echo "[wine] last lines of $log:" >&2
    tail -n 25 "$log" | sed 's/^/[wine]   | /' >&2
  fi
  exit 1
}
# Runs a command with its output in logs/NAME.log; on failure shows its tail.
logged() {
  local name="$1"; shift
  "$@" >"$work/logs/$name.log" 2>&1 || fail_with_log "$name failed (exit $?): $*" "$work/logs/$name.log"
}

# --- Which builds can run here --------------------------------------------------
source "$root/tests/wine/builds.sh"
status=0
windows_builds || status=$?
[[ ${#left_out[@]} -eq 0 ]] || printf '%s\n' "${left_out[@]}" >"$summary"
if [[ $status -ne 0 ]]; then
  fail "the Windows builds cannot be tested here: $(paste -sd';' "$summary")"
fi
say "builds to test: ${builds[*]}"
while read -r line; do say "$line"; done <"$summary"

# --- A display and a port of our own -----------------------------------------
display=""
for n in 60 61 62 63 64 65 66 67 68 69; do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
done
[[ -n "$display" ]] || fail "no free display between :60 and :69"
port=$((47300 + display))
address="https://localhost:$port/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
export DISPLAY=":$display"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export LANG=C.UTF-8

pids=()
cleanup() {
  if [[ -n "${WINEPREFIX:-}" ]]; then timeout 20 wineserver -k >/dev/null 2>&1 || true; fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# --- Builds ---------------------------------------------------------------------
build_arch="both"
[[ ${#builds[@]} -eq 1 ]] && build_arch="${builds[0]}"
say "building the programs in dist/ ($build_arch)"
logged build-dist scripts/build-windows.sh --arch "$build_arch"
say "building the test copies (update host $address)"
logged build-test-copy env TAVRELLE_NO_DIST=1 scripts/build-windows.sh --arch "$build_arch" "$work/app" \
  "-DTAVRELLE_UPDATE_URL=$address"

driver_sources=(tests/wine/driver.cpp tests/wine/probe.cpp tests/wine/probe.h tests/wine/run.sh src/window/control_table.cpp
                src/window/controls.h src/text/text.cpp src/text/text.h src/platform/win32/win32_text.cpp
                src/platform/win32/win32_text.h src/platform/win32/win32_identity.h)
build_driver() {
  local cross="$1" driver="$2"
  if [[ ! -x "$driver" ]] || [[ -n "$(find "${driver_sources[@]}" -newer "$driver")" ]]; then
    say "building $(basename "$driver")"
    logged "build-$(basename "$driver" .exe)" "$cross-g++-posix" -std=c++20 -O1 -Wall -Wextra -Werror \
      -finput-charset=UTF-8 -fexec-charset=CP936 -DUNICODE -D_UNICODE -DNOMINMAX -Isrc tests/wine/driver.cpp \
      tests/wine/probe.cpp src/window/control_table.cpp src/text/text.cpp src/platform/win32/win32_text.cpp -static -s -o "$driver" \
      -lcrypt32 -lgdi32 -lversion
  fi
}

# --- Display, authority, host ------------------------------------------------------
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/logs/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
[[ -e /tmp/.X11-unix/X$display ]] || fail_with_log "Xvfb did not start on :$display" "$work/logs/xvfb.log"

logged make-ca scripts/make_test_ca.sh "$work/tls" host localhost 127.0.0.1
logged make-ca-untrusted scripts/make_test_ca.sh "$work/tls-untrusted" host localhost 127.0.0.1
mkdir -p "$work/www"
update_file="$work/www/更新版本.txt"
serve() { printf '%s\r\n' "$1" | iconv -f UTF-8 -t CP936 >"$update_file"; }

host_pid=""
# (Re)starts the update host: "trusted" with the certificate the prefix
# trusts, "untrusted" with one from an authority it does not know, "request"
# a host that records the one request it answers, "silent" a host that takes
# the connection and never answers.
start_host() {
  [[ -n "$host_pid" ]] && { kill "$host_pid" 2>/dev/null || true; wait "$host_pid" 2>/dev/null || true; }
  case "$1" in
    trusted|untrusted)
      local tls="$work/tls"; [[ "$1" == untrusted ]] && tls="$work/tls-untrusted"
      python3 scripts/update_host.py --host 127.0.0.1 --port "$port" --cert "$tls/host.pem" \
        --key "$tls/host.key" --root "$work/www" >"$work/host.log" 2>&1 &
      ;;
    request)
      rm -f "$work/request.txt"
      python3 tests/wine/request_host.py "$port" "$work/tls/host.pem" "$work/tls/host.key" \
        "$update_file" "$work/request.txt" >"$work/host.log" 2>&1 &
      ;;
    silent)
      python3 -c 'import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8); print("ready", flush=True); time.sleep(300)' \
        "$port" >"$work/host.log" 2>&1 &
      ;;
  esac
  host_pid=$!
  pids+=("$host_pid")
  for _ in $(seq 100); do grep -q ready "$work/host.log" 2>/dev/null && break; sleep 0.1; done
  grep -q ready "$work/host.log" || fail "the update host did not start: $(cat "$work/host.log")"
}

# --- One build, every scenario ---------------------------------------------------
# Set by test_build for the build under test.
build="" loader="" cross="" program="" driver="" app="" shipped=""

# Runs the driver; its own output (and FAIL lines) stay on the console.
drive() { timeout 180 "$loader" "$driver" "$@"; }
winpath() { "$loader" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

app_pid=""
# Starts a program and waits for its window; Wine rarely hangs on a cold
# start, so a launch whose window never shows is retried once.
launch() {
  local exe="$1"
  for attempt in 1 2; do
    timeout -k 10 300 "$loader" "$exe" >"$work/logs/app.log" 2>&1 &
    app_pid=$!
    if drive wait-window 60; then return 0; fi
    say "the window did not show (attempt $attempt)"
    kill "$app_pid" 2>/dev/null || true
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    wait "$app_pid" 2>/dev/null || true
  done
  fail_with_log "$exe never showed its window" "$work/logs/app.log"
}

# Waits for the program to end and checks its exit code.
expect_exit() {
  local status=0
  wait "$app_pid" || status=$?
  [[ $status -eq 0 ]] || fail_with_log "$build: $1: exit code $status, expected 0" "$work/logs/app.log"
  say "$build: $1: exit code 0"
}

screenshot() {
  local shot="$work/screenshots/$build-$1.png" id
  id="$(xdotool search --name '^Tavrelle$' 2>/dev/null | head -1 || true)"
  if [[ -n "$id" ]]; then import -window "$id" "$shot"; else import -window root "$shot"; fi
  say "screenshot: $shot"
}

test_build() {
  build="$1"
  local objdump build_started
  build_started=$(date +%s)
  use_windows_build "$build"
  shipped="dist/$program"
  export WINEPREFIX="$work/prefix-$build"
  app="$work/app/$build/src/$(basename "$shipped")"
  driver="$work/driver-$build.exe"
  objdump="$cross-objdump"
  say "=== $build: $(basename "$shipped") with $(basename "$loader") ($("$loader" --version 2>&1))"
  build_driver "$cross" "$driver"

  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    say "creating the Wine prefix $WINEPREFIX (once)"
    rm -rf "$WINEPREFIX"
    logged "wineboot-$build" timeout 300 "$loader" wineboot.exe --init
    timeout 120 wineserver -w || true
    [[ -f "$WINEPREFIX/system.reg" ]] || fail_with_log "wineboot made no prefix" "$work/logs/wineboot-$build.log"
  fi
  # Chinese texts in a CJK font (without these, boxes), and a frame that Wine
  # draws itself, since Xvfb has no window manager.
  python3 "$root/tests/wine/fonts_reg.py" "$work/fonts.reg"
  logged "regedit-$build" timeout 60 "$loader" regedit.exe /S "$(winpath "$work/fonts.reg")"
  logged "install-ca-$build" timeout 60 "$loader" "$driver" install-ca "$(winpath "$work/tls/ca.pem")"

  serve "最新版本【20200915】"
  start_host trusted

  say "$build 1. current update file: the full window"
  launch "$app"
  drive walk full
  drive session
  drive timed-run 100 | tee "$work/timed-run-$build.txt"
  screenshot window
  drive drag full
  drive close
  expect_exit "closed after the session"

  say "$build 2. stale update file: the download panel"
  serve "最新版本【20200916】"
  launch "$app"
  drive walk panel
  screenshot panel
  drive drag panel
  drive escape
  expect_exit "closed by Esc"

  say "$build 3. closing during a run, ten times, by Esc and by the close box in turn"
  serve "最新版本【20200915】"
  for trial in $(seq 10); do
    launch "$app"
    drive start-run 100000
    sleep "0.$((RANDOM % 5))" # the close falls on a different moment of the run each time
    if (( trial % 2 )); then drive escape; else drive close; fi
    expect_exit "trial $trial: closed during a run"
  done

  say "$build 4. the update request goes out exactly so; the check fails safe on an unknown authority and a silent host"
  start_host request
  launch "$app"
  drive walk full
  drive close
  expect_exit "closed after the recorded request"
  for line in "GET /%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt HTTP/1.0" \
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)" "Accept: */*" "Pragma: no-cache" "Cache-Control: no-cache"; do
    grep -qxF "$line"$'\r' "$work/request.txt" || fail "the update request lacks \"$line\": $(cat -A "$work/request.txt")"
  done
  [[ "$(grep -ci '^accept:' "$work/request.txt")" == 1 ]] || fail "the update request has more than one Accept header"
  say "the update request: $(tr -d '\r' <"$work/request.txt" | paste -sd'|')"
  start_host untrusted
  launch "$app"
  drive walk panel
  drive close
  expect_exit "closed after a refused certificate"
  start_host silent
  local launch_started waited
  launch_started=$(date +%s)
  launch "$app"
  waited=$(( $(date +%s) - launch_started ))
  (( waited <= 40 )) || fail "the window took $waited s behind a silent host"
  say "behind a silent host the window showed after $waited s"
  drive walk panel
  drive close
  expect_exit "closed after a silent host"

  say "$build 5. $shipped as shipped"
  # One executable: it may import only DLLs that every Windows has.
  local system_dlls="advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll wininet.dll winmm.dll"
  for dll in $("$objdump" -p "$shipped" | awk '/DLL Name:/ {print tolower($3)}'); do
    [[ " $system_dlls " == *" $dll "* ]] || fail "$shipped imports $dll"
  done
  drive resources "$(winpath "$shipped")"
  launch "$shipped"
  drive close
  expect_exit "$shipped"

  timeout 20 wineserver -k >/dev/null 2>&1 || true
  echo "tested $(basename "$shipped") ($build) under $(basename "$loader"): passed in $(( $(date +%s) - build_started )) s" >>"$summary"
}

for b in "${builds[@]}"; do test_build "$b"; done

say "all Wine tests passed in $(( $(date +%s) - started )) s"
while read -r line; do say "$line"; done <"$summary"
