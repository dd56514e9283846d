#!/usr/bin/env bash
# check_demo.sh SOURCE_DIR BUILD_DIR: runs scripts/demo.sh against the build and checks what a
# newcomer relies on: it ends with success, tells each moment, leaves five screenshots of the
# whole screen and the settings file the program wrote, and nothing it started keeps running.
# Then the same with a program that starts but never shows a window: the demo must fail with a
# message instead of hanging or reporting success, and stop that program.
set -uo pipefail
source_dir=$1
build=$2
out=$build/test-output/demo
errors=0
error() { echo "check_demo: $*" >&2; errors=$((errors + 1)); }

# Nothing of the demo's may outlive it: the program's copy and the clients it opened.
left_running() {
    local pattern
    for pattern in "$@"; do
        pgrep -af -- "$pattern" | grep -v -e check_demo -e pgrep || true
    done
}

rm -rf "$out"
mkdir -p "$out"
export ZEL_XPROBE=$build/tools/zel-xprobe

# --- the real program --------------------------------------------------------------------------
log=$out/demo-output.txt
env DISPLAY=:424242 ZEL_BUILD_DIR="$build" ZEL_DEMO_OUTPUT="$out" \
    timeout -k 10 400 "$source_dir/scripts/demo.sh" >"$log" 2>&1
rc=$?
cat "$log"
[ "$rc" = 0 ] || error "demo.sh ended with status $rc"
for name in 01-start 02-concealed 03-held 04-restored 05-ended; do
    shot=$out/$name.png
    if [ ! -s "$shot" ]; then
        error "no screenshot $shot"
        continue
    fi
    read -r format width height < <(timeout 20 identify -format '%m %w %h\n' "$shot" 2>/dev/null | head -n1)
    [ "${format:-}" = PNG ] && [ "${width:-0}" = 1024 ] && [ "${height:-0}" -ge 768 ] ||
        error "$shot is not a screenshot of the 1024x768 screen (${format:-?} ${width:-?}x${height:-?})"
    grep -qF "Screenshot: $shot" "$log" || error "the demo does not tell where $name.png is"
done
for moment in '^1) ' '^2) ' '^3) ' '^4) ' '^5) '; do
    grep -q -- "$moment" "$log" || error "the demo does not tell the moment \"$moment\""
done
grep -q 'Mute: yes' "$log" && grep -q 'Mute: no' "$log" || error "the demo does not show the sound muted and unmuted"
grep -q '^FormSetX=' "$out/zelmora2nd.ini" 2>/dev/null || error "the program did not write $out/zelmora2nd.ini"
leftovers=$(left_running "$out/zelmora2nd" 'Quarterly report, draft 3' 'answer the mail from accounting')
[ -z "$leftovers" ] || error "still running after the demo: $leftovers"

# --- a program that never shows its window ------------------------------------------------------
fake=$out/never-shows
mkdir -p "$fake/build/src" "$fake/out"
printf '#!/bin/sh\nwhile :; do sleep 1; done\n' >"$fake/build/src/zelmora2nd"
chmod +x "$fake/build/src/zelmora2nd"
started=$SECONDS
env -u DISPLAY ZEL_BUILD_DIR="$fake/build" ZEL_DEMO_OUTPUT="$fake/out" \
    timeout -k 10 200 "$source_dir/scripts/demo.sh" >"$fake/output.txt" 2>&1
rc=$?
took=$((SECONDS - started))
[ "$rc" != 0 ] && [ "$rc" != 124 ] && [ "$rc" != 137 ] ||
    error "with a program that shows no window the demo ended with status $rc after $took s (a failure of its own expected)"
grep -q 'FAILED: no window of zelmora2nd' "$fake/output.txt" ||
    error "with a program that shows no window the demo did not say so: $(tail -n 5 "$fake/output.txt")"
leftovers=$(left_running "$fake/out/zelmora2nd" 'Quarterly report, draft 3' 'answer the mail from accounting')
[ -z "$leftovers" ] || error "still running after the failed demo: $leftovers"

[ "$errors" = 0 ] || { echo "check_demo: $errors problem(s)" >&2; exit 1; }
echo "check_demo: the demo ran, told its five moments and left its screenshots in $out"
