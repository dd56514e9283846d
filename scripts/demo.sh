#!/usr/bin/env bash
# Runs zelmora2nd on a fresh headless desktop until it ends (or for $ZEL_DEMO_SECONDS seconds),
# then tears the desktop down.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZEL_BUILD_DIR:-$root/build}
export ZEL_BINARY_DIR="$build"
out=${ZEL_DEMO_OUTPUT:-$build/demo}
mkdir -p "$out"
exec "$root/scripts/headless-desktop.sh" run -- bash -c '
    echo "Headless desktop on DISPLAY=$DISPLAY; screenshots go to '"$out"'." >&2
    "'"$build"'/src/zelmora2nd" &
    app=$!
    sleep "${ZEL_DEMO_SECONDS:-5}"
    import -window root "'"$out"'/desktop.png" 2>/dev/null || true
    echo "Screenshot: '"$out"'/desktop.png" >&2
    kill -TERM $app 2>/dev/null || true
    wait $app 2>/dev/null || true
'
