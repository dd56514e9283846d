#!/usr/bin/env bash
# Installs, builds and runs zelmora2nd: on your X display when $DISPLAY is set, otherwise on the
# project's headless desktop (Xvfb, openbox, trayer, pulseaudio), which it says and tears down after.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
build=${ZEL_BUILD_DIR:-$root/build}
if [ -n "${DISPLAY:-}" ]; then
    exec "$build/src/zelmora2nd"
fi
echo "No X display (\$DISPLAY is not set): running zelmora2nd on the headless desktop." >&2
exec "$root/scripts/demo.sh"
