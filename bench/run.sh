#!/usr/bin/env bash
# Builds the benchmarks (Release, in build/bench) and runs every one of them
# on Qt's offscreen platform and on X (a private Xvfb display), then prints
# the table of figures. Each figure is a ratio measured side by side in one
# run, the median of several repetitions.
#   bench/run.sh                 the full set (about four minutes)
#   QUICK=1 bench/run.sh         fewer repetitions, for a quick look
#   PLATFORMS=offscreen bench/run.sh   some platforms only (offscreen xcb wine)
# The table also goes to build/bench/results.md.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# The Linux program follows proxy variables: its local update host is
# reached directly.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
build="$root/build/bench"
# The source measured: the commit at the start (others may commit meanwhile).
source="$(git -C "$root" rev-parse --short HEAD)$(git -C "$root" diff --quiet HEAD -- src || echo ' with changes in src/')"
tls="$build/tls"
platforms="${PLATFORMS:-offscreen xcb wine}"
if [ "${QUICK:-0}" = 1 ]; then
    pacing_reps=3 flat_reps=1 clicks=100 startup_reps=6 whatif_reps=1
else
    pacing_reps=5 flat_reps=4 clicks=200 startup_reps=10 whatif_reps=2
fi

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# What the benchmarks need (Qt, Xvfb, OpenSSL; MinGW-w64 and Wine for the
# Windows column): installed from Debian's registry when missing.
if [[ " $platforms " == *" wine "* ]]; then "$root/scripts/setup.sh" --windows >&2; else "$root/scripts/setup.sh" >&2; fi

need() { command -v "$1" >/dev/null || { echo "bench: $1 is missing (run scripts/setup.sh)" >&2; exit 1; }; }
need cmake; need ninja; need openssl; need python3; need Xvfb; need xdpyinfo

# --- the local update host -------------------------------------------------
# The start-up figure includes the update check over HTTPS: the project's
# local update host answers it with the shipped update file, so the network
# stays out of the measurement.
"$root/scripts/make_test_ca.sh" "$tls" >/dev/null
port_free() { ! python3 -c "import socket,sys; s=socket.socket(); s.connect(('127.0.0.1',int(sys.argv[1])))" "$1" 2>/dev/null; }
# The port is built into the program's update address: keep it between runs
# so that the build stays up to date.
port="$(cat "$build/update-port" 2>/dev/null || true)"
if [ -z "$port" ] || ! port_free "$port"; then
    port="$(python3 -c "import socket; s=socket.socket(); s.bind(('127.0.0.1',0)); print(s.getsockname()[1])")"
    echo "$port" >"$build/update-port"
fi
python3 "$root/scripts/update_host.py" --port "$port" --cert "$tls/host.pem" --key "$tls/host.key" \
    --root "$root/data" >"$build/update-host.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^ready' "$build/update-host.log" && break; sleep 0.1; done
grep -q '^ready' "$build/update-host.log" || { echo "bench: the update host did not start" >&2; exit 1; }

# --- build -----------------------------------------------------------------
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRELLE_TESTS=OFF -DTAVRELLE_BENCH=ON \
    "-DTAVRELLE_UPDATE_URL=https://127.0.0.1:$port/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt" \
    "-DTAVRELLE_UPDATE_CA=$tls/ca.pem" >/dev/null
cmake --build "$build" -j2 --target tavrelle_bench startup_app startup_bare startup_timer >/dev/null
bin="$build/bench"

# --- a private X display (70-79) ---------------------------------------------
display=""
if [[ " $platforms " == *" xcb "* || " $platforms " == *" wine "* ]]; then
    for n in $(seq 70 79); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        pids+=($!)
        for _ in $(seq 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then display=":$n"; break; fi
    done
    [ -n "$display" ] || { echo "bench: no free X display in :70-:79" >&2; exit 1; }
fi

# --- run -------------------------------------------------------------------
results="$build/results.tsv"
: >"$results"

with_platform() {
    local platform="$1"; shift
    if [ "$platform" = offscreen ]; then
        env QT_QPA_PLATFORM="offscreen:configfile=$root/tests/gui/offscreen-screen.json" QT_QPA_FONTDIR= \
            LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$build/runtime" "$@"
    else
        env QT_QPA_PLATFORM=xcb DISPLAY="$display" LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$build/runtime" "$@"
    fi
}

# Runs one in-process benchmark and records its RESULT lines.
window_bench() {
    local platform="$1" mode="$2" count="$3" out
    if ! out="$(with_platform "$platform" timeout 240 "$bin/tavrelle_bench" "$mode" "$count" 2>"$build/$mode-$platform.err")"; then
        echo "bench: $mode on $platform failed:" >&2; tail -5 "$build/$mode-$platform.err" >&2
        printf '%s\t%s\tfailed\t\n' "$mode" "$platform" >>"$results"
        return
    fi
    grep '^RESULT' <<<"$out" | while IFS=$'\t' read -r _ figure value context; do
        printf '%s\t%s\t%s\t%s\n' "$figure" "$platform" "$value" "$context" >>"$results"
    done
}

startup_bench() {
    local platform="$1" figure="$2" app="$3" out ratio a b
    if ! out="$(with_platform "$platform" timeout 240 "$bin/startup_timer" "$startup_reps" "$app" "$bin/startup_bare" 2>"$build/$figure-$platform.err")"; then
        echo "bench: $figure on $platform failed:" >&2; tail -5 "$build/$figure-$platform.err" >&2
        printf '%s\t%s\tfailed\t\n' "$figure" "$platform" >>"$results"
        return
    fi
    read -r ratio a b a_main b_main <<<"$out"
    printf '%s\t%s\t%s\t%s\n' "$figure" "$platform" "$ratio" \
        "median $a ms to shown, bare window $b ms; of which loading before main $a_main ms, bare $b_main ms ($startup_reps pairs)" >>"$results"
}

echo "bench: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the start" >&2
mkdir -p "$build/runtime"; chmod 700 "$build/runtime"
for platform in $platforms; do
    if [ "$platform" = wine ]; then
        # Every Windows build this machine runs: both where 32-bit code
        # runs, the x86-64 one under wine64 where it does not.
        source "$root/tests/wine/builds.sh"
        windows_builds || true
        for line in "${left_out[@]+"${left_out[@]}"}"; do echo "bench: $line" >&2; done
        for b in "${builds[@]+"${builds[@]}"}"; do
            echo "bench: wine-$b ..." >&2
            DISPLAY="$display" "$root/bench/wine.sh" "$b" "$results" "$port" "$tls" || echo "bench: the wine-$b figures failed" >&2
        done
        continue
    fi
    echo "bench: $platform ..." >&2
    startup_bench "$platform" startup "$bin/startup_app"
    startup_bench "$platform" startup-in-process "$bin/startup_app --in-process"
    startup_bench "$platform" whatif-startup "$bin/startup_app --fetch-ahead"
    window_bench "$platform" pacing "$pacing_reps"
    window_bench "$platform" respond "$clicks"
    window_bench "$platform" flat "$flat_reps"
    window_bench "$platform" whatif "$whatif_reps"
    window_bench "$platform" step-parts 200
    window_bench "$platform" memory 0
done

# --- the table ---------------------------------------------------------------
python3 - "$results" "$build/results.md" "$platforms" <<'EOF'
import sys
rows, out, platforms = sys.argv[1], sys.argv[2], sys.argv[3].split()
# The Windows column: one for each build measured.
measured = {line.split("\t")[1] for line in open(rows, encoding="utf-8") if "\t" in line}
platforms = [q for p in platforms
             for q in ([b for b in ("wine-win32", "wine-x64") if b in measured] if p == "wine" else [p])]
figures = [
    ("pacing", "wall time of a 200-draw run, five groups / (200 x 10 ms)", "<= 1.05"),
    ("flat", "time per draw with 100,000 log lines / with an empty log", "<= 1.2"),
    ("respond", "click on stop to caption, 99th percentile (ms)", "<= 16"),
    ("startup", "start to window shown, local HTTPS update host / bare window", "<= 1.3"),
    ("startup-in-process", "the same, update check answered in-process / bare window", "(context)"),
    ("memory", "resident growth for 100,000 log lines / bytes of the text", "<= 4 (aim)"),
    ("fill", "microseconds per log line appended on the UI thread (context)", "-"),
    ("append-cost", "Windows: the messages of one log append, with 100,000 lines and empty", "(context)"),
    ("whatif-flat", "what-if: per draw as one UI step / hop by hop as now", "(context)"),
    ("whatif-pacing", "what-if: 200 paced draws, each one UI step / 2000 ms", "(context)"),
    ("step-parts", "one draw's UI work and the repaints it causes, in ms (context)", "-"),
    ("whatif-startup", "what-if: start-up with the fetch on its own thread from the start / bare", "(context)"),
]
data = {}
for line in open(rows, encoding="utf-8"):
    parts = line.rstrip("\n").split("\t")
    figure, platform, value = parts[0], parts[1], parts[2]
    data[(figure, platform)] = (value, parts[3] if len(parts) > 3 else "")

def cell(figure, platform):
    value = data.get((figure, platform), ("-", ""))[0]
    if figure == "append-cost" and value != "-":
        return "see below"
    try:
        return f"{float(value):.2f}"
    except ValueError:
        return value

names = {"offscreen": "Linux offscreen", "xcb": "Linux Xvfb (xcb)",
         "wine-win32": "Windows tavrelle.exe (32-bit, Wine)", "wine-x64": "Windows tavrelle-x64.exe (wine64)"}
header = ["figure", "goal"] + [names.get(p, p) for p in platforms]
table = [header] + [[f, g] + [cell(f, p) for p in platforms] for f, _, g in figures]
widths = [max(len(r[i]) for r in table) for i in range(len(header))]
for r in table:
    print("  ".join(c.ljust(w) for c, w in zip(r, widths)))
print()
for f, what, _ in figures:
    print(f"{f}: {what}")
    for p in platforms:
        if (f, p) in data:
            print(f"  {p}: {data[(f, p)][1]}")

with open(out, "w", encoding="utf-8") as md:
    md.write("| " + " | ".join(header) + " |\n")
    md.write("|" + "---|" * len(header) + "\n")
    for r in table[1:]:
        md.write("| " + " | ".join(r) + " |\n")
    md.write("\n")
    for f, what, _ in figures:
        for p in platforms:
            if (f, p) in data and data[(f, p)][1]:
                md.write(f"- {f}, {p}: {data[(f, p)][1]}\n")
EOF
echo >&2
echo "source: commit $source"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
