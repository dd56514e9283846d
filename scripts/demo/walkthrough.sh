#!/usr/bin/env bash
# shellcheck disable=SC2154  # the waits of desktop.sh store window ids by variable name
# The walkthrough of scripts/demo.sh, run inside the headless desktop (DISPLAY, PULSE_SERVER ...
# come from the desktop). ZEL_DEMO_PROGRAM: the built program; ZEL_DEMO_OUTPUT: the output folder.
# Each moment is told in a line and kept as a screenshot; any step that does not happen in time
# ends the demo with a message and a failure status.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$ZEL_DEMO_OUTPUT
# shellcheck source-path=SCRIPTDIR
source "$here/desktop.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/zel-demo.XXXXXX")
app_pid=""
app_may_end=0
clients=()

stop_process() {
    local pid=$1
    alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
        alive "$pid" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
}

# Everything this script started ends with it; the desktop script then stops the desktop.
tear_down() {
    local pid
    [ -z "$app_pid" ] || stop_process "$app_pid"
    for pid in "${clients[@]}"; do stop_process "$pid"; done
    rm -rf "$work"
}
trap tear_down EXIT
trap 'exit 143' TERM
trap 'echo "demo: interrupted; stopping what it started." >&2; exit 130' INT

# A fresh output folder for this run: the screenshots, the program's copy and its settings.
rm -f "$out"/0[0-9]-*.png "$out/zelmora2nd" "$out/zelmora2nd.ini" "$out/zelmora2nd.log"

say "Headless desktop ready on DISPLAY=$DISPLAY (1024x768)."

# --- client windows --------------------------------------------------------------------------

# open_xterm TITLE GEOMETRY TEXT VAR: an xterm showing TEXT; its window id goes into VAR.
open_xterm() {
    local title=$1 geometry=$2 text=$3
    xterm -T "$title" -geometry "$geometry" -fa Monospace -fs 10 \
        -e sh -c 'printf "%b" "$1"; exec cat >/dev/null' sh "$text" >/dev/null 2>&1 </dev/null &
    clients+=("$!")
    wait_until 10 "xterm window titled \"$title\"" shown_window_titled "^$title\$" "$4"
}

open_xterm "Notes" 56x12+40+60 \
    'To do\n  - answer the mail from accounting\n  - book the meeting room\n  - finish the slides\n' notes
open_xterm "Report draft" 64x14+110+330 \
    'Quarterly report, draft 3\n\n  North     1 204\n  South       987\n  East      1 532\n' report
xclock -geometry 150x150+530+60 >/dev/null 2>&1 </dev/null &
clients+=("$!")
wait_until 10 "xclock window" shown_window_titled '^xclock$' clock
notes_at=$(geometry "$notes")
report_at=$(geometry "$report")
say "Opened two xterms (\"Notes\" at $notes_at, \"Report draft\" at $report_at) and an xclock."

# --- the program -----------------------------------------------------------------------------

# A copy of the program beside a settings file of its own (the program reads <its folder>/
# zelmora2nd.ini): its window shows at start-up at the right of the screen; the top-left corner
# (5 pixels) conceals every window of the class XTerm and the concealment holds until the tray
# icon is clicked; Shift and ScrollLock trigger nothing; the speakers are muted meanwhile.
cp "$ZEL_DEMO_PROGRAM" "$out/zelmora2nd"
printf '%s\r\n' '[APP]' 'FormSetX=11250' 'FormSetY=1500' 'blnRunup=1' 'blnIE=1' 'WinClasses=XTerm' \
    'blnMute=1' 'blnMuteAuto=1' '[MOUSE]' 'MousePosi=1' 'lngPixels=5' 'blnTrigMouse=1' \
    '[KEY]' 'blnShiftMode=0' 'blnScrollMode=0' 'blnTrigKey=0' '[LOCK]' 'blnLock=0' >"$out/zelmora2nd.ini"
pointer_to 600 680
"$out/zelmora2nd" >"$out/zelmora2nd.log" 2>&1 </dev/null &
app_pid=$!
say "Started zelmora2nd ($out/zelmora2nd, settings $out/zelmora2nd.ini): it conceals windows of the class XTerm when the pointer enters the top-left corner."
wait_until 15 "window of zelmora2nd titled \"Zelmora2nd.\"" shown_window_titled '^Zelmora2nd\.$' main_window
wait_until 15 "tray icon of zelmora2nd in trayer's panel" tray_icon_docked
wait_until 10 "picture on the tray icon" icon_painted
cp "$work/icon-now.png" "$work/icon-standby.png"
sink_unmuted || fail "the sound is muted before anything was concealed"

say ""
say "1) The desktop: the two xterms, the xclock, Zelmora2nd's settings window and, at the top right,"
say "   its tray icon in the standby picture. Sound: $(sink_report)."
shoot 01-start.png "1) Two xterms, an xclock, Zelmora2nd's window; its tray icon (top right) in the standby picture"

# --- 2) the pointer in the corner --------------------------------------------------------------

moved=$(now_ms)
pointer_to 2 3
wait_until 5 "concealment of the xterm \"Notes\"" withdrawn "$notes"
wait_until 5 "concealment of the xterm \"Report draft\"" withdrawn "$report"
took=$(($(now_ms) - moved))
wait_until 5 "concealment picture on the tray icon" icon_not_standby
wait_until 5 "muted sound" sink_muted
shown "$clock" || fail "the xclock was concealed too, though it is not of the class XTerm"
say ""
say "2) The pointer went into the top-left corner (2, 3). After $took ms both xterms are withdrawn"
say "   (gone from the screen and from the window manager's list); the xclock, not an XTerm, stays."
say "   The tray icon shows the concealment picture. Sound: $(sink_report)."
shoot 02-concealed.png "2) Pointer in the top-left corner: the xterms are gone, the tray icon shows the concealment picture, sound muted"

# --- 3) the pointer leaves; the concealment holds ------------------------------------------------

pointer_to 520 560
# Five ticks of the 300 ms trigger timer: time enough to show that nothing comes back.
sleep 1.5
program_running_or_fail
withdrawn "$notes" && withdrawn "$report" || fail "the xterms came back though the concealment should hold"
icon_not_standby || fail "the tray icon went back to the standby picture though the concealment holds"
sink_muted || fail "the sound came back on though the concealment holds"
say ""
say "3) The pointer left the corner: the concealment holds (the trigger \"マウス\" is latched) until"
say "   the tray icon is clicked. Sound: $(sink_report)."
shoot 03-held.png "3) Pointer away from the corner: the concealment holds (sound still muted) until the tray icon is clicked"

# --- 4) a click on the tray icon restores ----------------------------------------------------------

wait_until 5 "tray icon of zelmora2nd in trayer's panel" tray_icon_docked
click_x=$((icon_x + icon_w / 2))
click_y=$((icon_y + icon_h / 2))
X xdotool mousemove "$click_x" "$click_y" click 1 || fail "xdotool cannot click the tray icon"
# Off the icon again, so that no tooltip covers the desktop in the screenshot.
pointer_to 930 70
wait_until 5 "return of the xterm \"Notes\"" shown "$notes"
wait_until 5 "return of the xterm \"Report draft\"" shown "$report"
wait_until 5 "standby picture on the tray icon" icon_is_standby
wait_until 5 "sound back on" sink_unmuted
[ "$(geometry "$notes")" = "$notes_at" ] || fail "\"Notes\" came back at $(geometry "$notes"), not at $notes_at"
[ "$(geometry "$report")" = "$report_at" ] || fail "\"Report draft\" came back at $(geometry "$report"), not at $report_at"
say ""
say "4) Left click on the tray icon at ($click_x, $click_y): both xterms are back, in place and size"
say "   (\"Notes\" $notes_at, \"Report draft\" $report_at), the tray icon shows the standby picture."
say "   Sound: $(sink_report)."
shoot 04-restored.png "4) After a click on the tray icon: the xterms are back where they were, standby picture, sound on"

# --- 5) the end --------------------------------------------------------------------------------

# "終了" sits at (2520, 5640) twips, 1095 x 375, in the window's client area: 15 twips a pixel.
shown "$main_window" || fail "the window of zelmora2nd is no longer shown"
read -r main_x main_y < <(geometry "$main_window" | awk -F'[x+]' '{ print $3, $4 }') ||
    fail "cannot read where the window of zelmora2nd is"
exit_x=$((main_x + (2520 + 1095 / 2) / 15))
exit_y=$((main_y + (5640 + 375 / 2) / 15))
app_may_end=1
X xdotool mousemove "$exit_x" "$exit_y" click 1 || fail "xdotool cannot click the button 終了"
wait_until 10 "end of zelmora2nd after a click on 終了" eval '! alive "$app_pid"'
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 0 ] || fail "zelmora2nd ended with status $status"
wait_until 5 "removal of the tray icon" tray_icon_gone
grep -q '^FormSetX=' "$out/zelmora2nd.ini" || fail "zelmora2nd did not write its settings to $out/zelmora2nd.ini"
keys=$(grep -c '^[A-Za-z0-9]*=' "$out/zelmora2nd.ini")
sections=$(grep -o '^\[[A-Z]*\]' "$out/zelmora2nd.ini" | tr '\n' ' ')
shown "$notes" && shown "$report" || fail "the xterms are not shown after the end of zelmora2nd"
say ""
say "5) Clicked the button 終了 (Exit) at ($exit_x, $exit_y): zelmora2nd ended (status 0), its window and"
say "   tray icon are gone, the xterms stay. It wrote its settings at shut-down: $keys keys in"
say "   sections ${sections% } of $out/zelmora2nd.ini"
shoot 05-ended.png "5) After the button 終了: Zelmora2nd has ended and written its settings; the xterms stay"

say ""
say "Screenshots, in $out:"
for shot in "${shots[@]}"; do say "   ${shot##*/}"; done
say "The demo has ended; the headless desktop is being stopped."
