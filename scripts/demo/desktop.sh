# shellcheck shell=bash disable=SC2154  # work, out: set by walkthrough.sh
# Helpers of the walkthrough (sourced): what the desktop shows, read with the X tools a user has
# (xdotool, xwininfo, xprop, pactl, ImageMagick), and bounded waits. Every X client call carries a
# timeout of its own, so a stuck server ends the demo with a message instead of hanging it.

say() { printf '%s\n' "$*"; }

fail() {
    echo "demo: FAILED: $*" >&2
    if [ -s "${out:-/nonexistent}/zelmora2nd.log" ]; then
        echo "demo: the program's last messages ($out/zelmora2nd.log):" >&2
        tail -n 20 "$out/zelmora2nd.log" >&2
    fi
    exit 1
}

X() { timeout 10 "$@"; }

now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }

# A process of ours is alive while it exists and is no zombie.
alive() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# The program must keep running until the walkthrough ends it.
program_running_or_fail() {
    [ -z "${app_pid:-}" ] || [ "${app_may_end:-0}" = 1 ] || alive "$app_pid" ||
        fail "zelmora2nd ended by itself"
}

# wait_until SECONDS WHAT CMD...: polls CMD with a back-off of 20 ms up to 200 ms until it
# succeeds; ends the demo with "no WHAT" after SECONDS.
wait_until() {
    local limit=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + limit * 1000)) delay=0.02
    until "$@"; do
        program_running_or_fail
        [ "$(now_ms)" -lt "$deadline" ] || fail "no $what after $limit s"
        sleep "$delay"
        delay=$(awk -v d="$delay" 'BEGIN { d *= 2; if (d > 0.2) d = 0.2; print d }')
    done
}

# --- windows ---------------------------------------------------------------------------------

# The client windows whose title matches the regular expression (xdotool: case-insensitive).
windows_titled() { X xdotool search --name "$1" 2>/dev/null || true; }

map_state() { X xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: *//p'; }

# Managed by the window manager: listed in _NET_CLIENT_LIST, as task bars see it.
managed() {
    X xprop -root -notype _NET_CLIENT_LIST 2>/dev/null | grep -qiw "$(printf '0x%x' "$1")"
}

shown() { [ "$(map_state "$1")" = IsViewable ] && managed "$1"; }
withdrawn() { [ "$(map_state "$1")" = IsUnMapped ] && ! managed "$1"; }

# shown_window_titled REGEX VAR: stores the first shown window whose title matches in VAR.
shown_window_titled() {
    local id
    for id in $(windows_titled "$1"); do
        if shown "$id"; then
            printf -v "$2" '%s' "$id"
            return 0
        fi
    done
    return 1
}

# The client area as WIDTHxHEIGHT+X+Y in screen coordinates.
geometry() {
    X xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { if (w != "") print w "x" h "+" x "+" y }'
}

# --- the tray icon ---------------------------------------------------------------------------

# The program's icon docked in trayer's panel: "ID WIDTH HEIGHT X Y" (screen coordinates), from
# the window tree (the icon is a window of the program's, below the panel); nothing when none.
tray_icon() {
    X xwininfo -root -tree 2>/dev/null | awk '
        /\("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inside = 1; next }
        inside && NF > 0 { match($0, /^ */); if (RLENGTH <= depth) inside = 0 }
        inside && /\("zelmora2nd" "zelmora2nd"\)/ {
            split($(NF - 1), size, /[x+-]/)
            at = $NF; sub(/^\+/, "", at); split(at, pos, /\+/)
            print $1, size[1], size[2], pos[1], pos[2]; exit
        }'
}

# tray_icon_docked: sets icon_id, icon_w, icon_h, icon_x, icon_y when the icon is on the screen.
tray_icon_docked() {
    local found
    found=$(tray_icon)
    [ -n "$found" ] || return 1
    read -r icon_id icon_w icon_h icon_x icon_y <<<"$found"
    [[ $icon_w =~ ^[1-9][0-9]*$ && $icon_h =~ ^[1-9][0-9]*$ ]] || return 1
    [[ $icon_x =~ ^[0-9]+$ && $icon_y =~ ^[0-9]+$ ]] || return 1
    [ "$(map_state "$icon_id")" = IsViewable ]
}

tray_icon_gone() { [ -z "$(tray_icon)" ]; }

# icon_picture FILE: the docked icon's pixels as they are on the screen now.
icon_picture() {
    tray_icon_docked || return 1
    X import -window root -crop "${icon_w}x${icon_h}+${icon_x}+${icon_y}" +repage "$1" 2>/dev/null
}

# The number of pixels in which two pictures differ; empty when they cannot be compared.
pixels_differing() {
    local n
    n=$(X compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | awk '{ print $1 }')
    [[ $n =~ ^[0-9]+$ ]] && echo "$n"
}

# Painted: the icon is more than a plain square of the panel's colour.
icon_painted() {
    icon_picture "$work/icon-now.png" || return 1
    local colours
    colours=$(X convert "$work/icon-now.png" -format '%k' info: 2>/dev/null)
    [[ $colours =~ ^[0-9]+$ ]] && [ "$colours" -ge 3 ]
}

icon_is_standby() {
    icon_picture "$work/icon-now.png" || return 1
    [ "$(pixels_differing "$work/icon-now.png" "$work/icon-standby.png")" = 0 ]
}

icon_not_standby() {
    icon_picture "$work/icon-now.png" || return 1
    local n
    n=$(pixels_differing "$work/icon-now.png" "$work/icon-standby.png")
    [ -n "$n" ] && [ "$n" -gt 0 ]
}

# --- sound -----------------------------------------------------------------------------------

# "yes" or "no": the mute of the default sink, as pactl reports it.
sink_mute() { X pactl get-sink-mute @DEFAULT_SINK@ 2>/dev/null | awk '{ print $2 }'; }
# What pactl says of the default sink ("Mute: yes"), for the reader.
sink_report() { X pactl get-sink-mute @DEFAULT_SINK@ 2>/dev/null || echo "Mute: unknown (no answer from pactl)"; }
sink_muted() { [ "$(sink_mute)" = yes ]; }
sink_unmuted() { [ "$(sink_mute)" = no ]; }

# --- pointer and screenshots -----------------------------------------------------------------

# "mousemove" warps the pointer, which a program that listens to the pointer device does not see;
# a one-pixel step there and back through XTEST ("mousemove_relative") moves it as a hand would.
pointer_to() {
    local dx=1 dy=1
    [ "$1" -gt 0 ] && dx=-1
    [ "$2" -gt 0 ] && dy=-1
    X xdotool mousemove -- "$1" "$2" mousemove_relative -- "$dx" "$dy" mousemove_relative -- $((-dx)) $((-dy)) ||
        fail "xdotool cannot move the pointer"
}

# shoot NAME CAPTION: a screenshot of the whole screen into the output folder, with the caption
# below it and the pointer drawn where it is (screenshots of an X server leave the pointer out).
shots=()
shoot() {
    local file="$out/$1" caption=$2
    # Let the last repaint of the windows land.
    sleep 0.3
    X import -window root "$work/shot.png" 2>/dev/null || fail "cannot take a screenshot"
    decorate "$work/shot.png" "$caption" "$file" || cp "$work/shot.png" "$file"
    shots+=("$file")
    say "   Screenshot: $file"
}

decorate() {
    local in=$1 caption=$2 to=$3 where px py font
    where=$(X xdotool getmouselocation --shell 2>/dev/null) || return 1
    px=$(sed -n 's/^X=//p' <<<"$where")
    py=$(sed -n 's/^Y=//p' <<<"$where")
    [[ $px =~ ^[0-9]+$ && $py =~ ^[0-9]+$ ]] || return 1
    font=$(fc-match -f '%{file}' 'IPAGothic' 2>/dev/null) || font=""
    [ -f "$font" ] || return 1
    local arrow
    arrow=$(awk -v x="$px" -v y="$py" 'BEGIN {
        n = split("0,0 0,17 4,13 7,20 10,19 7,12 12,12", p, " ")
        for (i = 1; i <= n; i++) { split(p[i], c, ","); printf "%d,%d ", x + c[1], y + c[2] } }')
    X convert "$in" -fill white -stroke black -strokewidth 1 -draw "polygon $arrow" \
        -background '#202020' -gravity south -splice 0x34 \
        -stroke none -fill white -font "$font" -pointsize 16 -annotate +0+8 "$caption" "$to" 2>/dev/null
}
