#!/usr/bin/env bash
# Opens the simulator on a fresh Debian 12 machine, offline: installs what is
# missing, builds a program whose update address is a local HTTPS host on
# 127.0.0.1 (with an authority of its own, made here), serves the update
# file from data/ there, and starts the program. With no display it runs
# under Xvfb and saves a screenshot of the window whose path it prints.
#   scripts/run.sh [UPDATE_FILE]   serve UPDATE_FILE instead of data/'s file
# XVFB_DISPLAY=N picks the Xvfb display number (default: a random one).
# SCREENSHOT_DRAW=1 presses 开桨 under Xvfb first, so that the screenshot
# shows a run of the default 100 draws (docs/screenshot.png is made so).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
update_file="${1:-$root/data/更新版本.txt}"
[[ -f "$update_file" ]] || { echo "no update file: $update_file" >&2; exit 1; }
update_file="$(cd "$(dirname "$update_file")" && pwd)/$(basename "$update_file")"

port=47443
build="$root/build/run"
certs="$build/update-host"

scripts/setup.sh
scripts/make_test_ca.sh "$certs"
scripts/build.sh "$build" -DTAVRELLE_TESTS=OFF \
  -DTAVRELLE_UPDATE_URL="https://127.0.0.1:$port/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt" \
  -DTAVRELLE_UPDATE_CA="$certs/ca.pem"
app="$build/src/tavrelle"

pids=()
served="$(mktemp -d)"
cleanup() {
  # Last started first: the program before its display and its host.
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$served"
}
trap cleanup EXIT

# The host serves a folder; the update file takes its published name there.
cp "$update_file" "$served/更新版本.txt"
python3 scripts/update_host.py --port "$port" --cert "$certs/host.pem" --key "$certs/host.key" \
  --root "$served" >"$served/host.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^ready' "$served/host.log" 2>/dev/null && break; sleep 0.1; done
if ! grep -q '^ready' "$served/host.log"; then
  echo "The local update host did not start (is port $port in use?):" >&2
  cat "$served/host.log" >&2
  exit 1
fi

# The program follows the proxy variables; its update host here is local.
export no_proxy="127.0.0.1${no_proxy:+,$no_proxy}"

if [[ -n "${DISPLAY:-}" ]]; then
  "$app"
  exit
fi

mkdir -p out
display=":${XVFB_DISPLAY:-$((90 + RANDOM % 100))}"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY="$display" "$app" &
pids+=($!)
window=""
for _ in $(seq 150); do
  window="$(DISPLAY="$display" xdotool search --onlyvisible --name '^Tavrelle$' 2>/dev/null | head -n 1)" || true
  [[ -n "$window" ]] && break
  sleep 0.2
done
if [[ -z "$window" ]]; then
  echo "The Tavrelle window did not show on the Xvfb display $display." >&2
  exit 1
fi
if [[ "${SCREENSHOT_DRAW:-0}" == 1 ]]; then
  # The middle of the draw button (8,8 100x50 in the window).
  DISPLAY="$display" xdotool mousemove --window "$window" 58 33 click 1
fi
sleep "${SCREENSHOT_DELAY:-2}"
# The window alone, not the whole screen around it.
DISPLAY="$display" import -window "$window" out/tavrelle.png
echo "No display: the window ran under Xvfb. Screenshot: $root/out/tavrelle.png"
