#!/usr/bin/env bash
# Opens the simulator on a fresh Debian 12 machine: installs what is
# missing, builds, and starts it. With no display it runs under Xvfb and
# saves a screenshot whose path it prints.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
scripts/setup.sh
scripts/build.sh "$root/build/run" -DTAVRELLE_TESTS=OFF
app="$root/build/run/src/tavrelle"

if [[ -n "${DISPLAY:-}" ]]; then
  exec "$app"
fi

mkdir -p out
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY="$display" "$app" &
app_pid=$!
for _ in $(seq 100); do
  DISPLAY="$display" xdotool search --name '^Tavrelle$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep "${SCREENSHOT_DELAY:-2}"
DISPLAY="$display" import -window root out/tavrelle.png
kill "$app_pid" 2>/dev/null || true
echo "No display: the window ran under Xvfb. Screenshot: $root/out/tavrelle.png"
