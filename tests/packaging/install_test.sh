#!/usr/bin/env bash
# Installs the built tree into a temporary prefix (with a space in its path, as a user's folder may
# have) and checks what a desktop needs from it: the program, a valid menu entry whose Exec and
# Icon name installed files, icons of the sizes their folders claim, and a log-in entry that is
# only a template until zelmora2nd-autostart switches it on and off for one user.
# Usage: install_test.sh CMAKE BINARY_DIR
set -uo pipefail

cmake=$1
build=$2
# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"
keep_manifest "$build"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
key() { sed -n "s/^$2=//p" "$1"; }  # key FILE KEY: the value of KEY in a desktop entry

prefix="$tmp/prefix with space"
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    echo "FAIL: cmake --install (is the whole tree built?)" >&2
    exit 1
fi

# --- What lands in the prefix ------------------------------------------------------------------
menu=$prefix/share/applications/zelmora2nd.desktop
template=$prefix/share/zelmora2nd/autostart/zelmora2nd.desktop
switch=$prefix/bin/zelmora2nd-autostart
check "the program is installed and executable" test -x "$prefix/bin/zelmora2nd"
check "the autostart switch is installed and executable" test -x "$switch"
check "the menu entry validates" validates "$menu"
check "the autostart template validates" validates "$template"
check "nothing is installed into the system's autostart folder" test ! -e "$prefix/etc"
check "the menu entry starts an installed program" test -x "$prefix/bin/$(key "$menu" Exec)"
check "the template starts the same program" equals "$(key "$template" Exec)" "$(key "$menu" Exec)"
check "the menu entry has a Japanese name and comment" \
    test -n "$(key "$menu" 'Name\[ja\]')" -a -n "$(key "$menu" 'Comment\[ja\]')"
check "the installed program finds all its libraries" \
    finds_libraries "$prefix/bin/zelmora2nd"

icon=$(key "$menu" Icon)
for size in 16 22 24 32 48 64 128 256; do
    file=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
    check "icon $file exists" test -f "$file"
    [ -f "$file" ] && check "icon $file is ${size}x${size}" equals "$(png_size "$file")" "${size}x${size}"
done
check "the scalable icon is an SVG" grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"

# --- Switching autostart on and off ------------------------------------------------------------
mkdir -p "$tmp/cwd"
cd "$tmp/cwd" || exit 1  # where a relative XDG_CONFIG_HOME would wrongly land
# Each case: a description, XDG_CONFIG_HOME ("unset" for none), the folder it stands for, and
# whether the system's autostart folder holds an entry of its own.
cases=(
    "XDG_CONFIG_HOME set|$tmp/config|$tmp/config|no"
    "XDG_CONFIG_HOME unset: ~/.config|unset|$tmp/home/.config|no"
    "XDG_CONFIG_HOME relative: ignored|relative/config|$tmp/home/.config|no"
    "a system entry is hidden, not deleted|$tmp/config2|$tmp/config2|yes"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name config_home folder system <<<"$row"
    rm -rf "${tmp:?}/home" "${tmp:?}/xdg"
    mkdir -p "$tmp/home" "$tmp/xdg"
    env=(HOME="$tmp/home" XDG_CONFIG_DIRS="relative/xdg:$tmp/xdg")
    [ "$config_home" = unset ] || env+=(XDG_CONFIG_HOME="$config_home")
    if [ "$system" = yes ]; then
        mkdir -p "$tmp/xdg/autostart"
        cp "$template" "$tmp/xdg/autostart/zelmora2nd.desktop"
    fi
    run() { env -u XDG_CONFIG_HOME "${env[@]}" "$switch" "$@" >/dev/null; }
    state() { env -u XDG_CONFIG_HOME "${env[@]}" "$switch" status; }
    entry=$folder/autostart/zelmora2nd.desktop

    check "$name: status before" equals "$(state)" "$([ "$system" = yes ] && echo enabled || echo disabled)"
    check "$name: enable succeeds" run enable
    check "$name: enable writes $entry" test -f "$entry"
    [ -f "$entry" ] && check "$name: the enabled entry validates" validates "$entry"
    [ -f "$entry" ] && check "$name: the enabled entry starts the installed program by its path" \
        equals "$(key "$entry" Exec)" "\"$prefix/bin/zelmora2nd\""
    check "$name: enabling twice succeeds" run enable
    check "$name: status after enable" equals "$(state)" enabled
    check "$name: disable succeeds" run disable
    if [ "$system" = yes ]; then
        check "$name: disable hides the system entry" grep -qx 'Hidden=true' "$entry"
        check "$name: the hiding entry validates" validates "$entry"
        check "$name: the system entry is left alone" cmp -s "$template" "$tmp/xdg/autostart/zelmora2nd.desktop"
    else
        check "$name: disable removes the entry" test ! -e "$entry"
    fi
    check "$name: disabling twice succeeds" run disable
    check "$name: status after disable" equals "$(state)" disabled
    check "$name: nothing else is written" \
        equals "$(find "$tmp/home" "$folder" "$tmp/cwd" -type f 2>/dev/null | grep -v -x -F "$entry" | sort -u)" ""
done

# A copy moved to a folder whose name needs quoting and escaping in an Exec line still starts itself.
# shellcheck disable=SC2016 # a literal $ in a folder name
moved="$tmp/"'a "b" $c 100%'
cp -a "$prefix" "$moved"
HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/moved-config" "$moved/bin/zelmora2nd-autostart" enable >/dev/null
entry=$tmp/moved-config/autostart/zelmora2nd.desktop
check "a moved copy enables itself" test -f "$entry"
[ -f "$entry" ] && check "the escaped Exec validates" validates "$entry"
# shellcheck disable=SC2016 # the escaped name, literally
[ -f "$entry" ] && check "the Exec path is quoted and escaped" \
    equals "$(key "$entry" Exec)" "\"$tmp/"'a \\"b\\" \\$c 100%%/bin/zelmora2nd"'

# Misuse is refused.
refused() { ! "$switch" "$@" 2>/dev/null; }
check "no command is refused" refused
check "an unknown command is refused" refused start
check "two commands are refused" refused enable disable
homeless() { ! env -u HOME -u XDG_CONFIG_HOME "$switch" "$@" >/dev/null 2>&1; }
check "with no home folder, enable is refused" homeless enable
check "with no home folder, status is refused" homeless status

finish
