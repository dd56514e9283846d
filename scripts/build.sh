#!/usr/bin/env bash
# Installs what is missing, configures and builds into build/ (or $ZEL_BUILD_DIR).
# ZEL_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${ZEL_BUILD_DIR:-$root/build}
sanitize=OFF
[ "${ZEL_SANITIZE:-0}" = 1 ] && sanitize=ON
# ccache keeps rebuilds of unchanged sources cheap; paths relative to the tree, so that clones in
# other folders share the cache.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DZEL_SANITIZE="$sanitize" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
