#!/usr/bin/env bash
# Installs what is missing, configures and builds into build/ (or $ZEL_BUILD_DIR).
# ZEL_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${ZEL_BUILD_DIR:-$root/build}
sanitize=OFF
[ "${ZEL_SANITIZE:-0}" = 1 ] && sanitize=ON
cmake -S "$root" -B "$build" -G Ninja -DZEL_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)"
