#!/usr/bin/env bash
# The draw runs under ThreadSanitizer, in a build of their own: the stress
# test (hundreds of clicks on draw and stop, fills, tick clicks and hand
# edits while runs draw), the run tests (stops at every moment, the caption
# races), single draws and judgements, and closing the window during runs
# (its child processes run under the sanitizer too, and a report there ends
# the child with status 66), and the window's runs beside the window-less
# simulator's. Any report fails the tier.
#
# Qt is not built with ThreadSanitizer. ignore_noninstrumented_modules keeps
# the sanitizer from judging Qt's own memory and lock calls, whose
# synchronisation it cannot see; the one hand-over between threads that the
# program relies on (a worker's control operation carried out by the
# user-interface thread) is announced to it by the Qt backend. Suppressions,
# if ever needed, go to tests/tsan/suppressions.txt, each with its reason.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build/tsan"
targets=(draw_stress_test draw_run_test draw_once_test judge_test shutdown_test sim_compare_test)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELLE_SANITIZE=thread >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ignore_noninstrumented_modules=1 second_deadlock_stack=1 suppressions=$root/tests/tsan/suppressions.txt"
export QT_QPA_PLATFORM="offscreen:configfile=$root/tests/gui/offscreen-screen.json"
export QT_QPA_FONTDIR= LC_ALL=C.UTF-8
export STRESS_ACTIONS="${STRESS_ACTIONS:-1500}"

for test in "${targets[@]}"; do
  echo "-- $test under ThreadSanitizer"
  log="$build/$test.tsan.log"
  if ! timeout 600 "$build/tests/$test" >"$log" 2>&1; then
    grep -A40 "WARNING: ThreadSanitizer" "$log" | head -80 || tail -40 "$log"
    echo "$test failed under ThreadSanitizer (log: $log)"
    exit 1
  fi
  grep -E "^(QINFO|Totals)" "$log" || true
done
