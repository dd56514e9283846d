#!/usr/bin/env bash
# The headless test desktop: Xvfb (1024x768x24) on a free display, a private D-Bus session bus,
# a window manager (openbox by default), a tray (trayer, an XEmbed tray, by default) and a sound
# server (pulseaudio by default) with a null sink as the default sink.
#
#   headless-desktop.sh start STATE_DIR [options]   start the parts; STATE_DIR/env holds the exports
#   headless-desktop.sh stop STATE_DIR              stop exactly the processes that start started
#   headless-desktop.sh run [options] -- CMD...      start in a fresh folder, run CMD inside, stop;
#                                                    exits with CMD's status
# options:
#   --wm NAME      openbox (default), xfwm4 (compositor off), xfwm4-compositing, metacity, mutter,
#                  kwin_x11, marco, icewm, fluxbox, i3, or none
#   --tray NAME    trayer (default, XEmbed), xfce4-panel (its status tray alone: a
#                  StatusNotifierItem host, and an XEmbed tray as well), or none
#   --sound NAME   pulseaudio (default), pipewire (with wireplumber and pipewire-pulse), or none
#   --no-wm  --no-tray  --no-sound  (the same as NAME none)  --size WxH
#
# Each part is waited for by its own sign of readiness (no fixed sleeps). Works as root in a
# container without a sound card. The window managers other than openbox need
# `scripts/install-deps.sh --matrix`. Every part runs with a HOME (and XDG folders) inside
# STATE_DIR, so neither the user's settings nor files of the parts cross between the two.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

die() { echo "headless-desktop: $*" >&2; exit 1; }

find_probe() {
    local candidate source="$root/tools/zel-xprobe.c"
    # A build older than the source may lack a command that this script uses.
    for candidate in "${ZEL_XPROBE:-}" "${ZEL_BINARY_DIR:-}/tools/zel-xprobe" "$root/build/tools/zel-xprobe"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ] && ! [ "$source" -nt "$candidate" ]; then
            echo "$candidate"
            return
        fi
    done
    # Not built yet: build the probe on the side (a few hundred ms). The name carries the source's
    # hash, as other clones of the tree share the folder.
    local sum out
    sum=$(sha1sum "$source" | cut -c1-12)
    out="${XDG_CACHE_HOME:-$HOME/.cache}/zelmora2nd/zel-xprobe-$sum"
    if [ ! -x "$out" ]; then
        mkdir -p "$(dirname "$out")"
        cc -O1 -o "$out.$$" "$source" $(pkg-config --cflags --libs xcb) || die "cannot build zel-xprobe"
        mv -f "$out.$$" "$out"
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

# wait_for NAME PIDS CMD...: polls CMD with a back-off of 5 ms up to 100 ms, for at most 15 s
# ($ZEL_DESKTOP_TIMEOUT); fails early when one of the part's processes (PIDS, comma-separated)
# dies. The time until ready goes to STATE_DIR/ready.
wait_for() {
    local name=$1 pids=$2; shift 2
    local delay=0.005 began=$EPOCHREALTIME pid
    while ! "$@" >/dev/null 2>&1; do
        for pid in ${pids//,/ }; do
            alive "$pid" || { tail -n 20 "$state/$name.log" >&2 2>/dev/null || true; die "$name died while starting"; }
        done
        awk -v a="$began" -v b="$EPOCHREALTIME" -v t="${ZEL_DESKTOP_TIMEOUT:-15}" 'BEGIN{exit !(b-a>t)}' &&
            die "$name not ready after ${ZEL_DESKTOP_TIMEOUT:-15} s"
        sleep "$delay"
        delay=$(awk -v d="$delay" 'BEGIN{d=d*2; if(d>0.1)d=0.1; print d}')
    done
    awk -v n="$name" -v a="$began" -v b="$EPOCHREALTIME" 'BEGIN{printf "%s %.3f\n", n, b-a}' >>"$state/ready"
}

record() { echo "$1 $2 $(start_time "$2")" >>"$state/pids"; }

# launch NAME CMD...: starts a part in a session of its own with its log in STATE_DIR/NAME.log and
# records it; its PID is left in $launched. The mark in its environment is inherited by whatever it
# starts, and by the services the desktop's bus starts on demand: stop finds them by it.
launch() {
    local name=$1; shift
    ZEL_DESKTOP_PART="$state" setsid "$@" >"$state/$name.log" 2>&1 </dev/null &
    launched=$!
    record "$name" "$launched"
}

# The processes that carry this desktop's mark, one PID a line (zombies have no environment left).
marked_processes() {
    grep -lzx "ZEL_DESKTOP_PART=$state" /proc/[0-9]*/environ 2>/dev/null |
        sed -n 's|^/proc/\([0-9]*\)/environ$|\1|p' | grep -vx "$$" || true
}

# Helpers that the parts started (a panel's plugin, services started through the bus) are recorded
# as well, so that stop knows them by PID and start time too.
record_helpers() {
    local pid comm started
    for pid in $(marked_processes); do
        grep -q " $pid " "$state/pids" && continue
        # One that has ended meanwhile is left out.
        comm=$(cat "/proc/$pid/comm" 2>/dev/null) && started=$(start_time "$pid" 2>/dev/null) &&
            [ -n "$started" ] || continue
        echo "helper:$comm $pid $started" >>"$state/pids"
    done
}

openbox_ready() {
    local owner
    owner=$("$probe" root-cardinal _OPENBOX_PID) || return 1
    [ "$owner" = "$1" ] && wmctrl -m >/dev/null 2>&1
}

# EWMH: the window manager's check window names it (names measured with each one).
wm_named() {
    local name
    name=$("$probe" wm-name) || return 1
    # shellcheck disable=SC2053
    [[ $name == $1 ]]
}

pactl_ready() { pactl info >/dev/null 2>&1 && pactl get-default-sink 2>/dev/null | grep -q null; }

pipewire_pulse_ready() {
    pactl info 2>/dev/null | grep -q '^Server Name: .*PipeWire' &&
        [ "$(pactl get-default-sink 2>/dev/null)" = null ]
}

bus_name_owned() {
    dbus-send --session --reply-timeout=2000 --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetNameOwner "string:$1"
}

sni_host_registered() {
    dbus-send --session --reply-timeout=2000 --print-reply=literal --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher string:IsStatusNotifierHostRegistered 2>/dev/null |
        grep -q 'boolean true'
}

need() { command -v "$1" >/dev/null || die "$1 is not installed (scripts/install-deps.sh --matrix)"; }

# The environment of the parts other than openbox, trayer and pulseaudio: the desktop's private
# HOME and XDG folders; GTK without the accessibility bus (it would start at-spi daemons through
# the session bus) and GSettings in a file in that HOME instead of the dconf service.
session_env() {
    local home="$state/home"
    session=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache"
        XDG_DATA_HOME="$home/.local/share" XDG_STATE_HOME="$home/.local/state"
        NO_AT_BRIDGE=1 GSETTINGS_BACKEND=keyfile)
}

start_openbox() {
    cat >"$state/openbox-rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><animateIconify>no</animateIconify></theme>
  <desktops><number>2</number></desktops>
</openbox_config>
XML
    launch openbox env HOME="$state/home" openbox --sm-disable --config-file "$state/openbox-rc.xml"
    local opid=$launched
    wait_for openbox "$opid" openbox_ready "$opid"
    # openbox announces itself a moment before it manages windows: wait until it does.
    wait_for openbox "$opid" "$probe" wm-manages
}

# xfconfd, the settings store of xfwm4 and xfce4-panel, on the desktop's bus with its files in the
# desktop's HOME (started by the bus on demand it would get the bus's HOME).
start_xfconfd() {
    [ -n "${xfconfd_pid:-}" ] && return
    local xfconfd
    for xfconfd in /usr/lib/*/xfce4/xfconf/xfconfd; do break; done
    [ -x "$xfconfd" ] || die "xfconfd is not installed (scripts/install-deps.sh --matrix)"
    launch xfconfd "${session[@]}" "$xfconfd"
    xfconfd_pid=$launched
    wait_for xfconfd "$xfconfd_pid" bus_name_owned org.xfce.Xfconf
}

# Settings that keep each window manager to managing windows: no panel, tray or dock of its own
# (icewm's task bar and fluxbox's toolbar would take the tray selection), no autostart.
write_wm_config() {
    local home="$state/home"
    case $1 in
        marco)
            # Its default theme (Menta) comes with mate-themes; Atlanta comes with marco itself.
            mkdir -p "$home/.config/glib-2.0/settings"
            printf '[org/mate/marco/general]\ntheme=%s\n' "'Atlanta'" \
                >"$home/.config/glib-2.0/settings/keyfile" ;;
        kwin_x11)
            # Two desktops, as the other window managers have (kwin's own default is one).
            mkdir -p "$home/.config"
            printf '[Desktops]\nNumber=2\nRows=1\n' >"$home/.config/kwinrc" ;;
        icewm)
            mkdir -p "$home/.icewm"
            printf '%s\n' ShowTaskBar=0 TaskBarEnableSystemTray=0 >"$home/.icewm/preferences" ;;
        fluxbox)
            mkdir -p "$home/.fluxbox"
            # configVersion 13 (1.3.5's): an older one makes fluxbox run fluxbox-update_configs.
            cat >"$home/.fluxbox/init" <<'INIT'
session.configVersion: 13
session.screen0.toolbar.visible: false
session.screen0.toolbar.tools: workspacename, iconbar, clock
session.screen0.slit.autoHide: true
session.styleOverlay: ~/.fluxbox/overlay
INIT
            # The style's background would be set by fbsetbg, which runs ImageMagick's display.
            echo 'background: none' >"$home/.fluxbox/overlay"
            ;;
        i3)
            # No bar block: i3bar is not started.
            printf '# i3 config file (v4)\nfont pango:monospace 8\n' >"$state/i3-config" ;;
    esac
}

# The command of each window manager, its program and the _NET_WM_NAME of its check window.
wm_command() {
    case $1 in
        xfwm4) wm_cmd=(xfwm4 --compositor=off); wm_name='Xfwm4' ;;
        xfwm4-compositing) wm_cmd=(xfwm4 --compositor=on); wm_name='Xfwm4' ;;
        metacity) wm_cmd=(metacity --sm-disable); wm_name='Metacity' ;;
        mutter) wm_cmd=(mutter --x11 --replace --sm-disable); wm_name='Mutter' ;;
        kwin_x11) wm_cmd=(env QT_QPA_PLATFORM=xcb kwin_x11); wm_name='KWin' ;;
        marco) wm_cmd=(marco --sm-disable); wm_name='Metacity (Marco)' ;;
        icewm) wm_cmd=(env ICEWM_PRIVCFG="$state/home/.icewm" icewm); wm_name='IceWM *' ;;
        fluxbox) wm_cmd=(fluxbox -rc "$state/home/.fluxbox/init"); wm_name='Fluxbox' ;;
        i3) wm_cmd=(i3 -a -c "$state/i3-config"); wm_name='i3' ;;
        *) die "unknown window manager $1" ;;
    esac
    wm_program=${1%-compositing}
}

start_wm() {
    local wm=$1
    wm_command "$wm"
    need "$wm_program"
    case $wm in xfwm4*) start_xfconfd ;; esac
    write_wm_config "$wm"
    launch "$wm" "${session[@]}" "${wm_cmd[@]}"
    local pid=$launched
    wait_for "$wm" "$pid" wm_named "$wm_name"
    if [ "$wm" = xfwm4-compositing ]; then
        wait_for "$wm" "$pid" "$probe" selection-owner _NET_WM_CM_S0
    fi
    # A window manager announces itself a moment before it manages windows: wait until it does.
    wait_for "$wm" "$pid" "$probe" wm-manages
}

# A window manager's own tray would hold the selection, and the tray's readiness would prove nothing.
tray_selection_free() {
    if "$probe" selection-owner _NET_SYSTEM_TRAY_S0; then
        die "the tray selection _NET_SYSTEM_TRAY_S0 is held before the tray starts"
    fi
}

start_trayer() {
    tray_selection_free
    launch trayer env HOME="$state/home" trayer --edge top --align right --widthtype request \
        --height 24 --SetDockType true --SetPartialStrut true --transparent false --expand true
    wait_for trayer "$launched" "$probe" selection-owner _NET_SYSTEM_TRAY_S0
}

# xfce4-panel with one panel along the top (as trayer) holding the status tray plugin alone. The plugin runs in a wrapper
# process of the panel and is both the StatusNotifierWatcher with its host and an XEmbed tray.
start_xfce4_panel() {
    need xfce4-panel
    local dir="$state/home/.config/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$dir"
    cat >"$dir/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="24"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    start_xfconfd
    tray_selection_free
    # --disable-wm-check: without a window manager the panel would wait for one.
    launch xfce4-panel "${session[@]}" xfce4-panel --disable-wm-check
    local pid=$launched
    wait_for xfce4-panel "$pid" sni_host_registered
    wait_for xfce4-panel "$pid" "$probe" selection-owner _NET_SYSTEM_TRAY_S0
}

start_pulseaudio() {
    mkdir -p "$state/pulse-home"
    # Started without DISPLAY: it would otherwise load X11 modules and publish itself there.
    launch pulseaudio env -u DISPLAY HOME="$state/pulse-home" XDG_CONFIG_HOME="$state/pulse-home" \
        XDG_RUNTIME_DIR="$state/runtime" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --system=false \
        -L module-null-sink -L "module-native-protocol-unix auth-anonymous=1 socket=$state/pulse"
    export PULSE_SERVER="unix:$state/pulse"
    wait_for pulseaudio "$launched" pactl_ready
}

# pipewire, wireplumber (the session manager, which makes the only sink the default) and
# pipewire-pulse (the PulseAudio protocol, on $XDG_RUNTIME_DIR/pulse/native), started directly:
# there is no systemd user session. The null sink comes from a configuration fragment.
start_pipewire() {
    need pipewire; need wireplumber; need pipewire-pulse
    local home="$state/pipewire-home"
    mkdir -p "$home/config/pipewire/pipewire.conf.d"
    cat >"$home/config/pipewire/pipewire.conf.d/null-sink.conf" <<'CONF'
context.objects = [
    { factory = adapter
        args = {
            factory.name     = support.null-audio-sink
            node.name        = "null"
            node.description = "Null Output"
            media.class      = "Audio/Sink"
            object.linger    = true
            audio.position   = [ FL FR ]
            monitor.channel-volumes = true
        }
    }
]
CONF
    local daemon_env=(env -u DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/config"
        XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
        XDG_RUNTIME_DIR="$state/runtime")
    launch pipewire "${daemon_env[@]}" pipewire
    local pw=$launched
    wait_for pipewire "$pw" timeout 5 pw-cli info 0
    launch wireplumber "${daemon_env[@]}" wireplumber
    local wp=$launched
    launch pipewire-pulse "${daemon_env[@]}" pipewire-pulse
    local pp=$launched
    export PULSE_SERVER="unix:$state/runtime/pulse/native"
    wait_for pipewire-pulse "$pw,$wp,$pp" pipewire_pulse_ready
}

cmd_start() {
    state=$1; shift
    local tray=trayer sound=pulseaudio wm=openbox size=1024x768
    while [ $# -gt 0 ]; do
        case $1 in
            --no-tray) tray=none ;;
            --no-sound) sound=none ;;
            --no-wm) wm=none ;;
            --wm) wm=${2:?--wm needs a name}; shift ;;
            --wm=*) wm=${1#*=} ;;
            --tray) tray=${2:?--tray needs a name}; shift ;;
            --tray=*) tray=${1#*=} ;;
            --sound) sound=${2:?--sound needs a name}; shift ;;
            --sound=*) sound=${1#*=} ;;
            --size) size=$2; shift ;;
            *) die "unknown option $1" ;;
        esac
        shift
    done
    case $wm in openbox|none) ;; *) wm_command "$wm" ;; esac
    case $tray in trayer|xfce4-panel|none) ;; *) die "unknown tray $tray" ;; esac
    case $sound in pulseaudio|pipewire|none) ;; *) die "unknown sound server $sound" ;; esac
    mkdir -p "$state"
    state=$(cd "$state" && pwd)
    [ -e "$state/pids" ] && die "$state already holds a desktop"
    : >"$state/pids"
    : >"$state/ready"
    mkdir -p -m 700 "$state/runtime" "$state/home"
    probe=$(find_probe)
    session_env

    # Xvfb picks a free display itself and tells us its number. -noreset: by default the server
    # resets whenever its last client leaves (our readiness probe, for one), and a client that
    # connects during the reset is refused.
    mkfifo "$state/displayfd"
    ZEL_DESKTOP_PART="$state" setsid Xvfb -screen 0 "${size}x24" -nolisten tcp -noreset -displayfd 3 \
        3>"$state/displayfd" >"$state/xvfb.log" 2>&1 </dev/null &
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
    ZEL_DESKTOP_PART="$state" setsid dbus-daemon --session --nofork --address="unix:path=$state/bus" \
        --print-address=3 3>"$state/busfd" >"$state/dbus.log" 2>&1 </dev/null &
    record dbus $!
    local bus
    read -r -t 15 bus <"$state/busfd" || die "dbus-daemon did not report its address"
    rm -f "$state/busfd"
    export DBUS_SESSION_BUS_ADDRESS="$bus"
    if [ "$wm" != openbox ] && [ "$wm" != none ] || [ "$tray" = xfce4-panel ]; then
        # Services that the bus starts on demand (kwin's kglobalaccel5, say) write into their
        # HOME: give them the desktop's.
        "${session[@]}" dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_CACHE_HOME \
            XDG_DATA_HOME XDG_STATE_HOME NO_AT_BRIDGE GSETTINGS_BACKEND ||
            die "cannot set the bus's activation environment"
    fi

    case $wm in
        openbox) start_openbox ;;
        none) ;;
        *) start_wm "$wm" ;;
    esac

    case $tray in
        trayer) start_trayer ;;
        xfce4-panel) start_xfce4_panel ;;
    esac

    export PULSE_COOKIE="$state/pulse-cookie"
    case $sound in
        pulseaudio) start_pulseaudio ;;
        pipewire) start_pipewire ;;
        none) export PULSE_SERVER="unix:$state/no-sound-server" ;;
    esac
    record_helpers

    {
        echo "export DISPLAY='$DISPLAY'"
        echo "export DBUS_SESSION_BUS_ADDRESS='$DBUS_SESSION_BUS_ADDRESS'"
        echo "export XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
        echo "export PULSE_SERVER='$PULSE_SERVER'"
        echo "export PULSE_COOKIE='$PULSE_COOKIE'"
        echo "export ZEL_DESKTOP_STATE='$state'"
        echo "export ZEL_DESKTOP_WM='$wm'"
        echo "export ZEL_DESKTOP_TRAY='$tray'"
        echo "export ZEL_DESKTOP_SOUND='$sound'"
        echo "export ZEL_XPROBE='$probe'"
    } >"$state/env"
}

# TERM, then KILL after 3 s. A part that a test paused (SIGSTOP) and could not resume, because the
# test was killed, is woken so that it sees the TERM.
stop_process() {
    local pid=$1 started=$2 i
    # Without its start time a PID may be another process's by now.
    [ -n "$started" ] && alive "$pid" "$started" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    kill -CONT "$pid" 2>/dev/null || true
    for i in $(seq 1 60); do
        alive "$pid" "$started" || return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
}

cmd_stop() {
    state=$1
    [ -f "$state/pids" ] || return 0
    state=$(cd "$state" && pwd)
    # The parts in reverse order of starting; then their helpers, most of which end with the part
    # that started them or with the bus; then whatever else carries the desktop's mark (a service
    # that the bus started after start had finished).
    local lines line name pid started
    mapfile -t lines < <(tac "$state/pids")
    for line in "${lines[@]}"; do
        read -r name pid started <<<"$line"
        [[ $name == helper:* ]] || stop_process "$pid" "$started"
    done
    for line in "${lines[@]}"; do
        read -r name pid started <<<"$line"
        [[ $name == helper:* ]] && stop_process "$pid" "$started"
    done
    for pid in $(marked_processes); do
        started=$(start_time "$pid" 2>/dev/null) && stop_process "$pid" "$started"
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
