#!/usr/bin/env bash
# The headless test desktop: Xvfb (1024x768x24) on a free display, a private D-Bus session bus,
# openbox, trayer (an XEmbed tray) and pulseaudio with a null sink as the default sink.
#
#   headless-desktop.sh start STATE_DIR [options]   start the parts; STATE_DIR/env holds the exports
#   headless-desktop.sh stop STATE_DIR              stop exactly the processes that start started
#   headless-desktop.sh run [options] -- CMD...      start in a fresh folder, run CMD inside, stop;
#                                                    exits with CMD's status
# options: --no-tray  --no-sound  --no-wm  --size WxH
#
# Each part is waited for by its own sign of readiness (no fixed sleeps). Works as root in a
# container without a sound card.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

die() { echo "headless-desktop: $*" >&2; exit 1; }

find_probe() {
    local candidate
    for candidate in "${ZEL_XPROBE:-}" "${ZEL_BINARY_DIR:-}/tools/zel-xprobe" "$root/build/tools/zel-xprobe"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then echo "$candidate"; return; fi
    done
    # Not built yet: build the probe on the side (a few hundred ms).
    local out="${XDG_CACHE_HOME:-$HOME/.cache}/zelmora2nd/zel-xprobe"
    if [ ! -x "$out" ] || [ "$root/tools/zel-xprobe.c" -nt "$out" ]; then
        mkdir -p "$(dirname "$out")"
        cc -O1 -o "$out" "$root/tools/zel-xprobe.c" $(pkg-config --cflags --libs xcb) || die "cannot build zel-xprobe"
    fi
    echo "$out"
}

# A process is alive when it exists, is not a zombie and still has the start time we recorded.
alive() {
    local pid=$1 started=${2:-}
    [ -r "/proc/$pid/stat" ] || return 1
    local stat state start
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    state=${stat%% *}
    [ "$state" != Z ] && [ "$state" != X ] || return 1
    if [ -n "$started" ]; then
        start=$(echo "$stat" | awk '{print $20}')
        [ "$start" = "$started" ] || return 1
    fi
    return 0
}

start_time() { local s; s=$(cat "/proc/$1/stat"); s=${s##*) }; echo "$s" | awk '{print $20}'; }

# wait_for NAME PID CMD...: polls CMD with a back-off of 5 ms up to 100 ms, for at most 15 s;
# fails early when the part's process dies.
wait_for() {
    local name=$1 pid=$2; shift 2
    local delay=0.005 waited=0
    while ! "$@" >/dev/null 2>&1; do
        alive "$pid" || { tail -n 20 "$state/$name.log" >&2 2>/dev/null || true; die "$name died while starting"; }
        waited=$(awk -v w="$waited" -v d="$delay" 'BEGIN{print w+d}')
        awk -v w="$waited" 'BEGIN{exit !(w>15)}' && die "$name not ready after 15 s"
        sleep "$delay"
        delay=$(awk -v d="$delay" 'BEGIN{d=d*2; if(d>0.1)d=0.1; print d}')
    done
}

record() { echo "$1 $2 $(start_time "$2")" >>"$state/pids"; }

openbox_ready() {
    local owner
    owner=$("$probe" root-cardinal _OPENBOX_PID) || return 1
    [ "$owner" = "$1" ] && wmctrl -m >/dev/null 2>&1
}

pactl_ready() { pactl info >/dev/null 2>&1 && pactl get-default-sink 2>/dev/null | grep -q null; }

cmd_start() {
    state=$1; shift
    local tray=1 sound=1 wm=1 size=1024x768
    while [ $# -gt 0 ]; do
        case $1 in
            --no-tray) tray=0 ;;
            --no-sound) sound=0 ;;
            --no-wm) wm=0 ;;
            --size) size=$2; shift ;;
            *) die "unknown option $1" ;;
        esac
        shift
    done
    mkdir -p "$state"
    state=$(cd "$state" && pwd)
    [ -e "$state/pids" ] && die "$state already holds a desktop"
    : >"$state/pids"
    mkdir -p -m 700 "$state/runtime" "$state/home"
    probe=$(find_probe)

    # Xvfb picks a free display itself and tells us its number. -noreset: by default the server
    # resets whenever its last client leaves (our readiness probe, for one), and a client that
    # connects during the reset is refused.
    mkfifo "$state/displayfd"
    setsid Xvfb -screen 0 "${size}x24" -nolisten tcp -noreset -displayfd 3 3>"$state/displayfd" \
        >"$state/xvfb.log" 2>&1 </dev/null &
    local xpid=$!
    record xvfb "$xpid"
    local display
    read -r -t 15 display <"$state/displayfd" || die "Xvfb did not report a display: $(tail -n 5 "$state/xvfb.log")"
    rm -f "$state/displayfd"
    export DISPLAY=":$display"
    wait_for xvfb "$xpid" "$probe" ping

    export XDG_RUNTIME_DIR="$state/runtime"
    export ZEL_DESKTOP_STATE="$state"
    mkfifo "$state/busfd"
    setsid dbus-daemon --session --nofork --address="unix:path=$state/bus" --print-address=3 \
        3>"$state/busfd" >"$state/dbus.log" 2>&1 </dev/null &
    record dbus $!
    local bus
    read -r -t 15 bus <"$state/busfd" || die "dbus-daemon did not report its address"
    rm -f "$state/busfd"
    export DBUS_SESSION_BUS_ADDRESS="$bus"

    if [ "$wm" = 1 ]; then
        cat >"$state/openbox-rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><animateIconify>no</animateIconify></theme>
  <desktops><number>2</number></desktops>
</openbox_config>
XML
        HOME="$state/home" setsid openbox --sm-disable --config-file "$state/openbox-rc.xml" \
            >"$state/openbox.log" 2>&1 </dev/null &
        local opid=$!
        record openbox "$opid"
        wait_for openbox "$opid" openbox_ready "$opid"
        # openbox announces itself a moment before it manages windows: wait until it does.
        wait_for openbox "$opid" "$probe" wm-manages
    fi

    if [ "$tray" = 1 ]; then
        HOME="$state/home" setsid trayer --edge top --align right --widthtype request --height 24 \
            --SetDockType true --SetPartialStrut true --transparent false --expand true \
            >"$state/trayer.log" 2>&1 </dev/null &
        local tpid=$!
        record trayer "$tpid"
        wait_for trayer "$tpid" "$probe" selection-owner _NET_SYSTEM_TRAY_S0
    fi

    export PULSE_COOKIE="$state/pulse-cookie"
    if [ "$sound" = 1 ]; then
        mkdir -p "$state/pulse-home"
        # Started without DISPLAY: it would otherwise load X11 modules and publish itself there.
        env -u DISPLAY HOME="$state/pulse-home" XDG_CONFIG_HOME="$state/pulse-home" \
            XDG_RUNTIME_DIR="$state/runtime" \
            setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false \
            -L module-null-sink -L "module-native-protocol-unix auth-anonymous=1 socket=$state/pulse" \
            >"$state/pulseaudio.log" 2>&1 </dev/null &
        local ppid_=$!
        record pulseaudio "$ppid_"
        export PULSE_SERVER="unix:$state/pulse"
        wait_for pulseaudio "$ppid_" pactl_ready
    else
        export PULSE_SERVER="unix:$state/no-sound-server"
    fi

    {
        echo "export DISPLAY='$DISPLAY'"
        echo "export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'"
        echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
        echo "export PULSE_SERVER='$PULSE_SERVER'"
        echo "export PULSE_COOKIE='$PULSE_COOKIE'"
        echo "export ZEL_DESKTOP_STATE='$state'"
        echo "export ZEL_XPROBE='$probe'"
    } >"$state/env"
}

cmd_stop() {
    state=$1
    [ -f "$state/pids" ] || return 0
    # Reverse order of starting: TERM, then KILL after 3 s.
    local lines name pid started
    mapfile -t lines < <(tac "$state/pids")
    for line in "${lines[@]}"; do
        read -r name pid started <<<"$line"
        alive "$pid" "$started" || continue
        kill -TERM "$pid" 2>/dev/null || true
        local i
        for i in $(seq 1 60); do
            alive "$pid" "$started" || break
            sleep 0.05
        done
        if alive "$pid" "$started"; then kill -KILL "$pid" 2>/dev/null || true; fi
    done
    # A killed Xvfb leaves its socket behind; remove it only if nothing answers there.
    if [ -f "$state/env" ]; then
        local display
        display=$(sed -n "s/^export DISPLAY=':\([0-9]*\)'$/\1/p" "$state/env")
        if [ -n "$display" ] && [ -S "/tmp/.X11-unix/X$display" ]; then
            if ! DISPLAY=":$display" timeout 2 "$(find_probe)" ping 2>/dev/null; then
                rm -f "/tmp/.X11-unix/X$display" "/tmp/.X$display-lock"
            fi
        fi
    fi
    rm -f "$state/pids"
}

cmd_run() {
    local opts=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do opts+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift
    [ $# -gt 0 ] || die "run: no command given"
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/zel-desktop.XXXXXX")
    trap 'cmd_stop "$dir"; rm -rf "$dir"' EXIT
    trap 'exit 130' INT TERM
    ( cmd_start "$dir" "${opts[@]}" ) || exit 1
    local rc=0
    ( set +u; source "$dir/env"; "$@" ) || rc=$?
    exit "$rc"
}

case ${1:-} in
    start) shift; [ $# -ge 1 ] || die "start: STATE_DIR missing"; cmd_start "$@"; echo "$state/env" ;;
    stop) shift; [ $# -ge 1 ] || die "stop: STATE_DIR missing"; cmd_stop "$1" ;;
    run) shift; cmd_run "$@" ;;
    *) die "usage: $0 start STATE_DIR [opts] | stop STATE_DIR | run [opts] -- CMD..." ;;
esac
