#!/usr/bin/env bash
# A walkthrough of zelmora2nd on a headless desktop of its own (Xvfb, openbox, trayer, pulseaudio):
# two xterms and an xclock open, the pointer goes into the top-left corner, the xterms vanish and
# the sound is muted, the tray icon is clicked, the xterms come back, the program ends. Each moment
# is told in a line and kept as a screenshot.
#
#   ZEL_BUILD_DIR    the build to show (default: build/); the program is $ZEL_BUILD_DIR/src/zelmora2nd
#   ZEL_DEMO_OUTPUT  where the screenshots, the program's copy and its settings go (default:
#                    $ZEL_BUILD_DIR/demo)
#
# The program runs as a copy in the output folder with a settings file of its own, so the settings
# of your own build or installation are never touched; nothing runs on your own display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${ZEL_BUILD_DIR:-$root/build}" 2>/dev/null && pwd) || {
    echo "demo: no build at ${ZEL_BUILD_DIR:-$root/build}; build first with scripts/build.sh" >&2
    exit 1
}
program="$build/src/zelmora2nd"
[ -x "$program" ] || { echo "demo: $program is not built; build first with scripts/build.sh" >&2; exit 1; }
out=${ZEL_DEMO_OUTPUT:-$build/demo}
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The headless desktop takes its X probe from this build.
export ZEL_BINARY_DIR="$build"
export ZEL_DEMO_PROGRAM="$program" ZEL_DEMO_OUTPUT="$out"

echo "Starting a headless desktop (Xvfb 1024x768, openbox, the tray trayer, pulseaudio with a silent sink)."
# The walkthrough bounds each of its waits; the overall limit only guards against the unforeseen.
exec "$root/scripts/headless-desktop.sh" run -- timeout --foreground -k 10 300 "$root/scripts/demo/walkthrough.sh"
