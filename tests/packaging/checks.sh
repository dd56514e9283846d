# shellcheck shell=bash
# Shared by the packaging tests (sourced): counted checks, comparisons, and the build's
# install_manifest.txt kept as it was.

failures=0
passes=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
    else
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}
equals() { [ "$1" = "$2" ] || { echo "  expected [$2], got [$1]" >&2; return 1; }; }
validates() { desktop-file-validate "$1" >&2; }
finds_libraries() { ! ldd "$1" | grep -q "not found"; }
# The summary line and the test's status.
finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# keep_manifest BUILD_DIR: makes a temporary folder $tmp, removed at exit. Installing through the
# build's install rules (cmake --install, cpack) records what was installed in the build's
# install_manifest.txt, which a user's own install may have written (to uninstall from it later):
# at exit it is put back as it was.
keep_manifest() {
    tmp=$(mktemp -d)
    manifest=$1/install_manifest.txt
    if [ -f "$manifest" ]; then cp -p "$manifest" "$tmp/manifest"; fi
    trap restore_manifest EXIT
}
restore_manifest() {
    if [ -f "$tmp/manifest" ]; then cp -p "$tmp/manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$tmp"
}
