#!/usr/bin/env bash
# Installs, builds and runs the whole test suite (labels unit, integration, e2e).
# Extra arguments go to ctest, e.g. scripts/test.sh -L unit
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
build=${ZEL_BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600 "$@"
