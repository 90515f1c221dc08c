#!/usr/bin/env bash
# The simulator's figures: draws per second of whole runs (five groups, no
# log, and with the log to a file) beside the generator and judge alone,
# then tavrelle-sim itself timed over ten million draws. Each is run pinned
# to one core, every core in turn: on a shared machine the cores are not
# equally busy. Builds in build/bench-sim.
#   bench/sim.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench-sim"
# Built as scripts/sim.sh builds the simulator: Release, link-time optimised.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELLE_BENCH=ON -DTAVRELLE_TESTS=OFF \
  -DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON >/dev/null
cmake --build "$build" -j2 --target tavrelle_bench_sim tavrelle-sim >/dev/null

sim="$build/src/sim/tavrelle-sim"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
cores=(0)
command -v taskset >/dev/null && cores=($(seq 0 $(($(nproc) - 1))))
for core in "${cores[@]}"; do
  on_core=()
  command -v taskset >/dev/null && on_core=(taskset -c "$core")
  echo "== core $core, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  "${on_core[@]}" "$build/bench/tavrelle_bench_sim" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_counters_tabular=true 2>&1 | grep -E "median"
  for with in "no log" "log to a file"; do
    args=(--tick 1000 --draws 10000000 --json)
    [[ "$with" == "log to a file" ]] && args+=(--log "$log")
    start=$(date +%s.%N)
    "${on_core[@]}" "$sim" "${args[@]}" >/dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v w="$with" \
      'BEGIN { printf "tavrelle-sim, 10,000,000 draws, %s: %.2f s, %.2f million draws a second\n", w, e - s, 10 / (e - s) }'
  done
done
echo "log of 10,000,000 draws: $(du -h "$log" | cut -f1)"
