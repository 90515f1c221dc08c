#!/usr/bin/env bash
# The unit and GUI tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Any report fails the tier.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build/asan"
BUILD_TYPE=RelWithDebInfo "$root/scripts/build.sh" "$build" -DTAVRELLE_SANITIZE=address,undefined
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 900
