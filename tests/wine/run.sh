#!/usr/bin/env bash
# End-to-end tests of the Windows program under Wine and Xvfb.
#
# Builds dist/tavrelle.exe, a copy of it whose update address is a loopback
# TLS host (tests/wine/update files served by scripts/update_host.py with a
# test authority that the Wine prefix trusts), and tests/wine/driver.exe,
# which drives the window from outside. Then, on a display of its own:
#   1. current update file: every control against the table, the fill
#      button and tick boxes, a run of 5, the log's end, stop, a timed run
#      of 100, dragging; closing ends with exit code 0; a screenshot;
#   2. stale update file: the 400 x 240 window with the download panel,
#      dragging by the panel; Esc closes it with exit code 0; a screenshot;
#   3. Esc or the close box during a run ends with exit code 0, ten times;
#   4. the update request is a plain HTTP/1.0 GET with the program's user
#      agent and "Accept: */*"; a host certificate from an unknown authority,
#      and a host that never answers (the fetch gives up after 20 s), give
#      the download panel;
#   5. dist/tavrelle.exe itself opens and closes with exit code 0.
#
#   tests/wine/run.sh [WORK_DIR]      (default build/wine)
# Screenshots: WORK_DIR/screenshots/. Every wait is bounded.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mkdir -p "${1:-$root/build/wine}" && cd "${1:-$root/build/wine}" && pwd)"
cd "$root"
started=$(date +%s)

say() { echo "[wine] $*"; }
fail() { echo "[wine] FAIL: $*" >&2; exit 1; }

# --- A display and a port of our own -----------------------------------------
display=""
for n in 60 61 62 63 64 65 66 67 68 69; do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
done
[[ -n "$display" ]] || fail "no free display between :60 and :69"
port=$((47300 + display))
address="https://localhost:$port/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt"

export WINEPREFIX="$work/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
export DISPLAY=":$display"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export LANG=C.UTF-8

pids=()
cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# --- Builds ---------------------------------------------------------------------
say "building dist/tavrelle.exe"
scripts/build-windows.sh >/dev/null
say "building the test copy (update host $address)"
TAVRELLE_NO_DIST=1 scripts/build-windows.sh "$work/app" "-DTAVRELLE_UPDATE_URL=$address" >/dev/null
app="$work/app/src/tavrelle.exe"

driver="$work/driver.exe"
driver_sources=(tests/wine/driver.cpp tests/wine/run.sh src/window/control_table.cpp src/window/controls.h src/text/text.cpp
                src/text/text.h src/platform/win32/win32_text.cpp src/platform/win32/win32_text.h)
if [[ ! -x "$driver" ]] || [[ -n "$(find "${driver_sources[@]}" -newer "$driver")" ]]; then
  say "building the driver"
  i686-w64-mingw32-g++-posix -std=c++20 -O1 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP936 \
    -DUNICODE -D_UNICODE -DNOMINMAX -Isrc tests/wine/driver.cpp src/window/control_table.cpp \
    src/text/text.cpp src/platform/win32/win32_text.cpp -static -s -o "$driver" -lcrypt32 -lgdi32 -lversion
fi

# --- Display, prefix, authority, host ------------------------------------------
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
[[ -e /tmp/.X11-unix/X$display ]] || fail "Xvfb did not start on :$display"

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  say "creating the Wine prefix (once)"
  rm -rf "$WINEPREFIX"
  timeout 300 wineboot --init >/dev/null 2>&1 || fail "wineboot did not finish"
  timeout 120 wineserver -w || true
fi
# Chinese texts in a CJK font (without these, boxes), and a frame that Wine
# draws itself, since Xvfb has no window manager.
python3 "$root/tests/wine/fonts_reg.py" "$work/fonts.reg"
timeout 60 wine regedit /S "$(winepath -w "$work/fonts.reg")" || fail "the prefix registry refused the fonts"

scripts/make_test_ca.sh "$work/tls" host localhost 127.0.0.1
timeout 60 wine "$driver" install-ca "$(winepath -w "$work/tls/ca.pem")" || fail "Wine does not trust the test authority"

mkdir -p "$work/www" "$work/screenshots"
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
scripts/make_test_ca.sh "$work/tls-untrusted" host localhost 127.0.0.1
serve "最新版本【20200915】"
start_host trusted

# --- Scenarios -----------------------------------------------------------------
drive() { timeout 180 wine "$driver" "$@"; }

app_pid=""
# Starts a program and waits for its window; Wine rarely hangs on a cold
# start, so a launch whose window never shows is retried once.
launch() {
  local exe="$1"
  for attempt in 1 2; do
    timeout -k 10 300 wine "$exe" >"$work/app.log" 2>&1 &
    app_pid=$!
    if drive wait-window 60; then return 0; fi
    say "the window did not show (attempt $attempt)"
    kill "$app_pid" 2>/dev/null || true
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    wait "$app_pid" 2>/dev/null || true
  done
  fail "$exe never showed its window"
}

# Waits for the program to end and checks its exit code.
expect_exit() {
  local status=0
  wait "$app_pid" || status=$?
  [[ $status -eq 0 ]] || fail "$1: exit code $status, expected 0"
  say "$1: exit code 0"
}

screenshot() {
  local shot="$work/screenshots/$1.png" id
  id="$(xdotool search --name '^Tavrelle$' 2>/dev/null | head -1 || true)"
  if [[ -n "$id" ]]; then import -window "$id" "$shot"; else import -window root "$shot"; fi
  say "screenshot: $shot"
}

say "1. current update file: the full window"
serve "最新版本【20200915】"
launch "$app"
drive walk full
drive session
drive timed-run 100 | tee "$work/timed-run.txt"
screenshot window
drive drag full
drive close
expect_exit "closed after the session"

say "2. stale update file: the download panel"
serve "最新版本【20200916】"
launch "$app"
drive walk panel
screenshot panel
drive drag panel
drive escape
expect_exit "closed by Esc"

say "3. closing during a run, ten times, by Esc and by the close box in turn"
serve "最新版本【20200915】"
for trial in $(seq 10); do
  launch "$app"
  drive start-run 100000
  sleep "0.$((RANDOM % 5))" # the close falls on a different moment of the run each time
  if (( trial % 2 )); then drive escape; else drive close; fi
  expect_exit "trial $trial: closed during a run"
done

say "4. the update request goes out exactly so; the check fails safe on an unknown authority and a silent host"
start_host request
launch "$app"
drive walk full
drive close
expect_exit "closed after the recorded request"
for line in "GET /%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt HTTP/1.0" \
            "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)" "Accept: */*" "Pragma: no-cache"; do
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
launch_started=$(date +%s)
launch "$app"
waited=$(( $(date +%s) - launch_started ))
(( waited <= 40 )) || fail "the window took $waited s behind a silent host"
say "behind a silent host the window showed after $waited s"
drive walk panel
drive close
expect_exit "closed after a silent host"
start_host trusted

say "5. dist/tavrelle.exe as shipped"
# One executable: it may import only DLLs that every Windows has.
system_dlls="advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll wininet.dll winmm.dll"
for dll in $(i686-w64-mingw32-objdump -p dist/tavrelle.exe | awk '/DLL Name:/ {print tolower($3)}'); do
  [[ " $system_dlls " == *" $dll "* ]] || fail "dist/tavrelle.exe imports $dll"
done
drive resources "$(winepath -w dist/tavrelle.exe)"
launch dist/tavrelle.exe
drive close
expect_exit "dist/tavrelle.exe"

say "all Wine tests passed in $(( $(date +%s) - started )) s"
