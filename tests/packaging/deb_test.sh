#!/usr/bin/env bash
# Packs the built tree into a Debian package with cpack, in a temporary folder, and checks it as
# Debian's tools see it: the file name, the control fields with the Depends that dpkg-shlibdeps
# found, the files it holds and their owners and modes, lintian, and the menu entry, the AppStream
# metadata, the changelog and the manual pages inside it.
# Usage: deb_test.sh CPACK BINARY_DIR VERSION
set -uo pipefail

cpack=$1
build=$2
version=$3
# shellcheck source=tests/packaging/checks.sh
. "$(dirname "$0")/checks.sh"
keep_manifest "$build"

matches() { [[ $1 =~ $2 ]] || { echo "  [$1] does not match [$2]" >&2; return 1; }; }
# names PACKAGE RELATIONS: whether a Depends-style field names PACKAGE (alone or as an alternative).
names() { tr ',|' '\n' <<<"$2" | sed 's/^ *//; s/[ (].*//' | grep -qx "$1"; }
# man_clean PAGE: man renders PAGE and has nothing to warn about.
man_clean() {
    local warnings
    if ! warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null); then
        echo "$warnings" >&2
        return 1
    fi
    [ -z "$warnings" ] || { echo "$warnings" >&2; return 1; }
}

arch=$(dpkg --print-architecture)
deb=$tmp/out/zelmora2nd_${version}_${arch}.deb
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    echo "FAIL: cpack -G DEB (is the whole tree built?)" >&2
    exit 1
fi
check "the package has Debian's file name" equals "$(ls "$tmp/out"/*.deb)" "$deb"
[ -f "$deb" ] || exit 1
dpkg-deb --info "$deb" >&2

# --- Control fields ------------------------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
fields=(
    "Package|zelmora2nd"
    "Version|$version"
    "Architecture|$arch"
    "Section|utils"
    "Priority|optional"
)
for row in "${fields[@]}"; do
    IFS='|' read -r name value <<<"$row"
    check "$name is $value" equals "$(field "$name")" "$value"
done
check "the maintainer is a name and an address" matches "$(field Maintainer)" '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$'
check "the homepage is a web address" matches "$(field Homepage)" '^https://'
description=$(field Description)
check "the description has a synopsis and an extended description" \
    test -n "$(head -n1 <<<"$description")" -a "$(wc -l <<<"$description")" -ge 3

# The Depends come from dpkg-shlibdeps: the libraries the program links, each with its package.
depends=$(field Depends)
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libxcb1 libxcb-ewmh2 \
    libxcb-randr0 libxcb-xkb1 libxcb-xinput0; do
    check "Depends names $package" names "$package" "$depends"
done
# libpulse is opened when the program first mutes: dpkg-shlibdeps cannot see it.
check "Recommends names libpulse0" names libpulse0 "$(field Recommends)"

# --- Contents ----------------------------------------------------------------------------------
# Each file the package holds (mode, then path); the folders come separately.
expected=(
    "-rwxr-xr-x ./usr/bin/zelmora2nd"
    "-rwxr-xr-x ./usr/bin/zelmora2nd-autostart"
    "-rw-r--r-- ./usr/share/applications/zelmora2nd.desktop"
    "-rw-r--r-- ./usr/share/doc/zelmora2nd/changelog.gz"
    "-rw-r--r-- ./usr/share/doc/zelmora2nd/copyright"
    "-rw-r--r-- ./usr/share/icons/hicolor/128x128/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/16x16/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/22x22/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/24x24/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/256x256/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/32x32/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/64x64/apps/zelmora2nd.png"
    "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/zelmora2nd.svg"
    "-rw-r--r-- ./usr/share/man/man1/zelmora2nd-autostart.1.gz"
    "-rw-r--r-- ./usr/share/man/man1/zelmora2nd.1.gz"
    "-rw-r--r-- ./usr/share/metainfo/org.example.zelmora2nd.metainfo.xml"
    "-rw-r--r-- ./usr/share/zelmora2nd/autostart/zelmora2nd.desktop"
)
dpkg-deb --contents "$deb" >"$tmp/contents"
check "the package holds exactly the expected files, with their modes" \
    equals "$(awk '$1 !~ /^d/ { print $1, $6 }' "$tmp/contents" | sort)" \
    "$(printf '%s\n' "${expected[@]}" | sort)"
check "every entry belongs to root" equals "$(awk '$2 != "root/root"' "$tmp/contents")" ""
check "every folder is drwxr-xr-x" equals "$(awk '$1 ~ /^d/ && $1 != "drwxr-xr-x"' "$tmp/contents")" ""
check "everything lies in /usr/bin and /usr/share" \
    equals "$(awk '{ print $6 }' "$tmp/contents" | grep -v -E '^\./usr/((bin|share)(/.*)?)?/?$')" ""

# --- What is inside ------------------------------------------------------------------------------
root=$tmp/root
dpkg-deb --extract "$deb" "$root"
check "the packed program finds all its libraries" finds_libraries "$root/usr/bin/zelmora2nd"
check "the menu entry validates" validates "$root/usr/share/applications/zelmora2nd.desktop"

metainfo=$root/usr/share/metainfo/org.example.zelmora2nd.metainfo.xml
check "the AppStream metadata validates" appstreamcli validate --no-net "$metainfo"
check "the metadata's file is named after its id" \
    equals "$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo").metainfo.xml" "$(basename "$metainfo")"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
check "the metadata launches the packed menu entry" test -f "$root/usr/share/applications/$launchable"
check "the metadata's newest release is this version" \
    equals "$(grep -m1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)" "$version"

zcat "$root/usr/share/doc/zelmora2nd/changelog.gz" >"$tmp/changelog"
check "the changelog's newest entry is this version" \
    equals "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" "$version"

for page in zelmora2nd zelmora2nd-autostart; do
    file=$root/usr/share/man/man1/$page.1.gz
    check "$page(1) is a whole gzip file" gzip -t "$file"
    check "$page(1) renders without warnings" man_clean "$file"
    check "$page(1) names this version" grep -q "^\.TH .* \"Zelmora2nd $version\"" <(zcat "$file")
done

# --- lintian -----------------------------------------------------------------------------------
# Errors fail; warnings and notes are shown. The package carries no overrides.
echo "lintian:" >&2
check "lintian finds no errors" lintian --fail-on error --tag-display-limit 0 --display-info "$deb"

finish
