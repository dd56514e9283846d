#!/usr/bin/env bash
# Where the idle zelmora2nd spends its CPU time: wake-ups and CPU per thread beside a bare 300 ms
# poll loop, the system calls (strace: each with its time and thread, and their counts), and with
# --callgrind the user-space instructions (valgrind; adds about a minute). With --moving, the same
# while the pointer moves without pause (XTEST). Builds like bench/run.sh and runs on a headless
# desktop of its own.
#
#   bench/profile-idle.sh [--seconds S] [--callgrind] [--moving]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZEL_BENCH_BUILD:-$root/build-bench}

"$root/scripts/install-deps.sh" --bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zelmora2nd zel-bench-idle zel-bench-poll zel-xprobe >/dev/null

logs="$build/bench-logs/idle-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$logs"
ZEL_BINARY_DIR="$build" "$root/scripts/headless-desktop.sh" run -- \
    "$build/bench/zel-bench-idle" --program "$build/src/zelmora2nd" --logs "$logs" "$@"
echo
echo "logs in $logs"
