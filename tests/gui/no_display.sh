#!/usr/bin/env bash
# The Linux program started without a display: one line on stderr naming
# DISPLAY and WAYLAND_DISPLAY, and status 1, not Qt's abort. A platform
# named in QT_QPA_PLATFORM still opens with neither variable.
#   no_display.sh PROGRAM
set -uo pipefail
program="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=0

# A display number with no server behind it.
dead=1
while [[ -e "/tmp/.X11-unix/X$dead" || -e "/tmp/.X$dead-lock" ]]; do dead=$((dead + 1)); done

# name | environment given to the program (beyond the three variables unset)
cases=(
  "neither variable|"
  "empty variables|DISPLAY= WAYLAND_DISPLAY="
  "a display nobody serves|DISPLAY=:$dead"
  "a Wayland socket that is not there|WAYLAND_DISPLAY=tavrelle-no-such-socket XDG_RUNTIME_DIR=$scratch"
)
for row in "${cases[@]}"; do
  name="${row%%|*}"
  read -r -a extra <<<"${row#*|}"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${extra[@]}" \
    timeout 60 "$program" >"$scratch/out" 2>"$scratch/err"
  status=$?
  lines="$(wc -l <"$scratch/err")"
  if [[ $status -ne 1 || $lines -ne 1 ]] || ! grep -q 'WAYLAND_DISPLAY' "$scratch/err" \
     || ! grep -qE '(^|[^_])DISPLAY' "$scratch/err"; then
    echo "FAIL $name: status $status, $lines lines on stderr:" >&2
    cat "$scratch/err" >&2
    failed=1
  else
    echo "ok   $name: $(cat "$scratch/err")"
  fi
done

# QT_QPA_PLATFORM is the user's choice: the program opens there and runs
# until it is ended.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$program" >"$scratch/out" 2>"$scratch/err" &
pid=$!
sleep 3
if kill -0 "$pid" 2>/dev/null; then
  echo "ok   QT_QPA_PLATFORM=offscreen: the program runs"
  kill "$pid"
  wait "$pid" 2>/dev/null
else
  wait "$pid"
  echo "FAIL QT_QPA_PLATFORM=offscreen: the program ended with status $?:" >&2
  cat "$scratch/err" >&2
  failed=1
fi
exit "$failed"
