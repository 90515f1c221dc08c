#!/usr/bin/env bash
# Coverage-guided fuzzing of the text helpers and textBetween with libFuzzer.
#
# clang cannot write CP936 literals itself (-fexec-charset), so the sources
# are converted to CP936 first: clang keeps the bytes of a narrow literal as
# they stand in the file. Every saved crash input in tests/fuzz/regressions
# is replayed first; then each target runs for FUZZ_SECONDS (default 60).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$root/build/fuzz"
seconds="${FUZZ_SECONDS:-60}"
mkdir -p "$work/src" "$work/bin"

convert() { # UTF-8 source tree -> CP936 copy under $work/src
  local file
  for file in "$@"; do
    mkdir -p "$work/src/$(dirname "$file")"
    iconv -f UTF-8 -t CP936 "$root/$file" >"$work/src/$file"
  done
}
convert src/text/text.h src/text/text.cpp src/update/update.h src/update/text_between.cpp \
        tests/fuzz/fuzz_text.cpp tests/fuzz/fuzz_text_between.cpp

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -Wno-invalid-source-encoding -I"$work/src/src")
build() { # name sources...
  local name=$1
  shift
  clang++ "${flags[@]}" "$@" -o "$work/bin/$name"
}
build fuzz_text "$work/src/tests/fuzz/fuzz_text.cpp" "$work/src/src/text/text.cpp"
build fuzz_text_between "$work/src/tests/fuzz/fuzz_text_between.cpp" "$work/src/src/text/text.cpp" \
      "$work/src/src/update/text_between.cpp"

for target in fuzz_text fuzz_text_between; do
  regressions="$root/tests/fuzz/regressions/$target"
  corpus="$work/corpus/$target"
  mkdir -p "$regressions" "$corpus"
  cp -n "$root/tests/fuzz/seeds/$target"/* "$corpus/" 2>/dev/null || true
  if compgen -G "$regressions/*" >/dev/null; then
    "$work/bin/$target" "$regressions"/* >/dev/null 2>&1 || { echo "$target: a saved crash input fails again"; exit 1; }
  fi
  log="$work/$target.log"
  if ! "$work/bin/$target" -max_total_time="$seconds" -max_len=512 -artifact_prefix="$regressions/" \
       -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    tail -30 "$log"
    echo "$target: crash input kept in $regressions (commit it as a regression case)"
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  echo "$target: $runs executions in ${seconds}s, no failure"
done
