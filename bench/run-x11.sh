#!/usr/bin/env bash
# Builds the X11 benchmark (Release, in build-bench/ unless ZEL_BENCH_BUILD says otherwise) and runs
# it inside a headless desktop of its own (Xvfb + openbox). Arguments go to the benchmark, e.g.
#   bench/run-x11.sh --benchmark_filter=IdleTick --benchmark_repetitions=5
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ZEL_BENCH_BUILD:-$root/build-bench}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON -DZEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target zel_x11_bench zel-xprobe -j2
ZEL_BINARY_DIR="$build" exec "$root/scripts/headless-desktop.sh" run --no-sound --no-tray -- \
    "$build/bench/zel_x11_bench" "$@"
