#!/usr/bin/env bash
# The performance figures in one command: installs what it needs (scripts/install-deps.sh --bench),
# builds in Release (in build-bench/ unless ZEL_BENCH_BUILD says otherwise), starts a headless
# desktop of its own (Xvfb, openbox, trayer, pulseaudio) and prints one table: zelmora2nd's idle CPU
# and wake-ups, CPU while the pointer moves, memory, start-up and trigger-to-hidden times (also with
# the input polled, ZEL_NO_INPUT_EVENTS=1) beside xdotool behave_screen_edge, kdocker and a bare 300 ms
# poll loop, and the core benchmark of the concealment cycle (Google Benchmark). The pointer moves
# through XTEST, as a device does. Takes about four minutes.
#
#   bench/run.sh [--repeats N] [--idle-seconds S] [--no-kdocker]
#   bench/run.sh --motion [--trials N] [--repeats N] [--variant NAME=VALUE]...
#
# --motion measures only the moving pointer (CPU, wake-ups, the corner from rest and from a moving
# pointer, passes through the corner), for the program as it is and with each environment setting
# given (e.g. --variant ZEL_MOTION_PAUSE_MS=0); see bench/DesktopBench.cpp. In both ways
# ZEL_BENCH_PROGRAM=PATH measures another build of the program (one built before a change) on the
# desktop; the core benchmark is always that of this tree.
#
# The logs (the benchmark's own output, the programs' stderr) stay in $ZEL_BENCH_BUILD/bench-logs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZEL_BENCH_BUILD:-$root/build-bench}

if [ "${1:-}" = --inside ]; then
    # On the desktop: the core benchmark first, then the programs as a user runs them.
    shift
    logs=$1; shift
    if [ "${1:-}" = --motion ]; then
        exec "$build/bench/zel-bench-desktop" --program "${ZEL_BENCH_PROGRAM:-$build/src/zelmora2nd}" \
            --client "$build/bench/zel-x11-client" --logs "$logs" "$@"
    fi
    echo "bench: core benchmark (Google Benchmark)" >&2
    "$build/bench/zel_cycle_bench" --benchmark_out="$logs/cycle.json" --benchmark_out_format=json \
        >"$logs/cycle.txt" 2>&1 || echo "bench: the core benchmark failed, see $logs/cycle.txt" >&2
    exec "$build/bench/zel-bench-desktop" --program "${ZEL_BENCH_PROGRAM:-$build/src/zelmora2nd}" \
        --client "$build/bench/zel-x11-client" --gbench "$logs/cycle.json" --logs "$logs" "$@"
fi

"$root/scripts/install-deps.sh" --bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zelmora2nd zel_cycle_bench zel-bench-desktop zel-bench-poll zel-x11-client \
    zel-xprobe >/dev/null

logs="$build/bench-logs/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$logs"
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
echo "zelmora2nd $commit, Release; $(nproc) cores; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
ZEL_BINARY_DIR="$build" "$root/scripts/headless-desktop.sh" run -- "$root/bench/run.sh" --inside "$logs" "$@"
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg); logs in $logs"
