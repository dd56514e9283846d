#!/usr/bin/env bash
# Starts the headless desktop (scripts/headless-desktop.sh) once for each window manager, tray and
# sound server that it can start, and proves each combination usable:
#   - ready: the time start took, and the window manager's own share of it;
#   - the window manager's name on its EWMH check window, and whether a compositor runs;
#   - an xterm mapped on it is managed (WM_STATE Normal, in a frame);
#   - a Qt tray icon (tools/zel-trayprobe) shows in the tray: docked in trayer (it gets a place
#     on the screen), registered with the StatusNotifierWatcher of xfce4-panel;
#   - the default sink is the null sink and mutes;
#   - stop leaves nothing running, and nothing was written into the caller's HOME (the desktop
#     runs with an empty HOME of its own here, which must stay empty).
# Prints one line per combination, then "N passed, N failed"; exits non-zero when one failed.
#
#   desktop-matrix-check.sh [WM[/TRAY[/SOUND]]...]    default: every window manager with trayer and
#                                                     pulseaudio, then the other trays and sound
# Needs `scripts/install-deps.sh --matrix`.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
desktop="$here/headless-desktop.sh"

# tool NAME SOURCE COMPILER...: a build of the tool that is not older than its source, else one
# built on the side, named by the source's hash.
tool() {
    local name=$1 source=$2 candidate sum out
    shift 2
    for candidate in "${ZEL_BINARY_DIR:-}/tools/$name" "$root/build/tools/$name"; do
        if [ -x "$candidate" ] && ! [ "$source" -nt "$candidate" ]; then echo "$candidate"; return; fi
    done
    sum=$(sha1sum "$source" | cut -c1-12)
    out="${XDG_CACHE_HOME:-$HOME/.cache}/zelmora2nd/$name-$sum"
    if [ ! -x "$out" ]; then
        mkdir -p "$(dirname "$out")"
        "$@" -o "$out.$$" "$source" >&2 && mv -f "$out.$$" "$out" || return 1
    fi
    echo "$out"
}

# wait_until SECONDS CMD...: polls CMD every 20 ms.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

marked() { grep -lzx "ZEL_DESKTOP_PART=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3; }

comm_of() { local p; for p in "$@"; do cat "/proc/$p/comm" 2>/dev/null; done | sort -u | paste -sd, -; }

xterm_managed() { [ "$("$ZEL_XPROBE" window-state "$1")" = "normal frame" ]; }

trayer_docked() { grep -q '^geometry ' "$1"; }

# The StatusNotifierWatcher lists items as "BUSNAME/PATH"; the probe's is the one whose
# connection belongs to its PID.
sni_registered() {
    local pid=$1 item name owner
    for item in $(dbus-send --session --print-reply=literal --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems 2>/dev/null | grep -o '[^ ]*/[^ ]*'); do
        name=${item%%/*}
        owner=$(dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" 2>/dev/null | awk '{print $NF}')
        [ "$owner" = "$pid" ] && return 0
    done
    return 1
}

# Runs inside the desktop's environment; prints "KEY=VALUE" lines.
check_inside() {
    local wm=$1 tray=$2 sound=$3 xterm_pid w began
    echo "name=$("$ZEL_XPROBE" wm-name 2>/dev/null || echo -)"
    if "$ZEL_XPROBE" selection-owner _NET_WM_CM_S0; then echo "compositing=yes"; else echo "compositing=no"; fi

    if [ "$wm" != none ]; then
        began=$EPOCHREALTIME
        xterm -class ZelMatrix -title zel-matrix -geometry 60x10+40+60 >/dev/null 2>&1 &
        xterm_pid=$!
        w=$(timeout 10 xdotool search --sync --class ZelMatrix 2>/dev/null | head -n 1)
        if [ -n "$w" ] && wait_until 10 xterm_managed "$w"; then
            awk -v a="$began" -v b="$EPOCHREALTIME" 'BEGIN{printf "xterm=managed %.0fms\n", (b-a)*1000}'
        else
            echo "xterm=FAIL($([ -n "$w" ] && "$ZEL_XPROBE" window-state "$w" || echo no window))"
        fi
        kill "$xterm_pid" 2>/dev/null
        wait "$xterm_pid" 2>/dev/null
    fi

    if [ "$tray" != none ]; then
        local out="$ZEL_DESKTOP_STATE/trayprobe.out" probe_pid ok=0
        "$trayprobe" 15 >"$out" 2>"$ZEL_DESKTOP_STATE/trayprobe.log" &
        probe_pid=$!
        case $tray in
            trayer) wait_until 10 trayer_docked "$out" && ok=1 ;;
            xfce4-panel) wait_until 10 sni_registered "$probe_pid" && ok=1 ;;
        esac
        if [ "$ok" = 1 ]; then echo "trayicon=shown"; else echo "trayicon=FAIL($(paste -sd' ' "$out"))"; fi
        kill "$probe_pid" 2>/dev/null
        wait "$probe_pid" 2>/dev/null
    fi

    if [ "$sound" != none ]; then
        local server
        server=$(pactl info 2>/dev/null | sed -n 's/^Server Name: //p')
        if pactl set-sink-mute @DEFAULT_SINK@ 1 && [ "$(pactl get-sink-mute @DEFAULT_SINK@)" = "Mute: yes" ] &&
            [ "$(pactl get-default-sink)" = null ]; then
            echo "sound=muted($server)"
        else
            echo "sound=FAIL($server)"
        fi
    fi
}

check_one() {
    local wm=$1 tray=$2 sound=$3
    local dir state home began ready_s stop_s
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zel-matrix.XXXXXX")
    state="$dir/desktop"
    home="$dir/user-home"
    mkdir -p "$home"
    # The desktop is started with an empty HOME: whatever lands there would have landed in the
    # user's.
    local caller_env=(env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_DATA_HOME -u XDG_STATE_HOME
        HOME="$home" ZEL_XPROBE="$xprobe")
    began=$EPOCHREALTIME
    if ! "${caller_env[@]}" "$desktop" start "$state" --wm "$wm" --tray "$tray" --sound "$sound" \
        >/dev/null 2>"$dir/start.err"; then
        printf '%-18s %-12s %-10s FAIL start: %s\n' "$wm" "$tray" "$sound" \
            "$(tail -n 3 "$dir/start.err" | paste -sd' ')"
        "${caller_env[@]}" "$desktop" stop "$state" 2>/dev/null
        rm -rf "$dir"
        return 1
    fi
    ready_s=$(awk -v a="$began" -v b="$EPOCHREALTIME" 'BEGIN{printf "%.2f", b-a}')
    local wm_s
    wm_s=$(awk -v n="$wm" '$1==n {t+=$2} END{printf "%.2f", t}' "$state/ready")

    local results
    results=$(export trayprobe; set +u; source "$state/env"; check_inside "$wm" "$tray" "$sound")
    local name
    name=$(sed -n 's/^name=//p' <<<"$results")

    # Helpers: what the parts started besides themselves (recorded by start, or started later).
    local recorded helpers
    recorded=$(awk '{print $2}' "$state/pids")
    helpers=$(comm_of $(marked "$state" | grep -vxF "$recorded"; awk '$1 ~ /^helper:/ {print $2}' "$state/pids"))
    cp "$state/pids" "$dir/pids"

    began=$EPOCHREALTIME
    "${caller_env[@]}" "$desktop" stop "$state" 2>>"$dir/start.err"
    stop_s=$(awk -v a="$began" -v b="$EPOCHREALTIME" 'BEGIN{printf "%.2f", b-a}')
    local left="" part pid started now
    while read -r part pid started; do
        # State and start time in one read: a zombie may be reaped in between two.
        now=$(awk '{sub(/.*\) /, ""); print $1, $20}' "/proc/$pid/stat" 2>/dev/null)
        case $now in "Z "* | "X "* | "") ;; *" $started") left+="$part($pid) " ;; esac
    done <"$dir/pids"
    local stray
    stray=$(marked "$state")
    [ -n "$stray" ] && left+="marked:$(comm_of $stray) "
    local wrote
    wrote=$(cd "$home" && find . -mindepth 1 | sed 's|^\./||' | head -n 5 | paste -sd, -)
    local home_files
    # What the parts wrote into the desktop's HOME (two levels deep), less the settings start wrote.
    home_files=$(cd "$state/home" && find . -type f | sed 's|^\./||' | grep -v -e '^\.fluxbox/init$' \
        -e '^\.fluxbox/overlay$' -e '^\.icewm/preferences$' -e '^\.config/glib-2.0/settings/keyfile$' \
        -e '^\.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml$' | cut -d/ -f1-2 | sort -u | paste -sd, -)

    local verdict=OK
    grep -q '=FAIL' <<<"$results" && verdict=FAIL
    [ -n "$left" ] && verdict=FAIL
    [ -n "$wrote" ] && verdict=FAIL
    printf '%-18s %-12s %-10s %-4s ready %5ss (wm %ss)  name "%s"  %s  helpers: %s  stop %ss  left: %s  user-home: %s  desktop-home: %s\n' \
        "$wm" "$tray" "$sound" "$verdict" "$ready_s" "$wm_s" "$name" \
        "$(grep -v '^name=' <<<"$results" | paste -sd' ')" "${helpers:-none}" "$stop_s" \
        "${left:-none}" "${wrote:-untouched}" "${home_files:-nothing}"
    rm -rf "$dir"
    [ "$verdict" = OK ]
}

xprobe=$(tool zel-xprobe "$root/tools/zel-xprobe.c" sh -c 'cc -O1 "$@" $(pkg-config --cflags --libs xcb)' cc) ||
    { echo "desktop-matrix-check: cannot build zel-xprobe" >&2; exit 2; }
trayprobe=$(tool zel-trayprobe "$root/tools/zel-trayprobe.cpp" sh -c \
    'c++ -std=c++20 -fPIC -O1 "$@" $(pkg-config --cflags --libs Qt6Widgets)' c++) ||
    { echo "desktop-matrix-check: cannot build zel-trayprobe" >&2; exit 2; }

combinations=("$@")
if [ ${#combinations[@]} -eq 0 ]; then
    combinations=(openbox xfwm4 xfwm4-compositing metacity mutter kwin_x11 marco icewm fluxbox i3
        openbox/xfce4-panel openbox/trayer/pipewire xfwm4/xfce4-panel/pipewire)
fi
passed=0 failed=0
for combination in "${combinations[@]}"; do
    IFS=/ read -r wm tray sound <<<"$combination"
    if check_one "$wm" "${tray:-trayer}" "${sound:-pulseaudio}"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
