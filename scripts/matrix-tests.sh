#!/usr/bin/env bash
# Runs the built desktop tests on every window manager, tray and sound server of the headless
# desktop (scripts/headless-desktop.sh), each binary on a fresh desktop of its own, with the
# desktop options and environment that its zel_add_test gives it:
#   - on each window manager: the X11 placement, withdraw, window-state and restore-under-way tests, the core
#     integration tests, and from the e2e tests the typical event, kill -9 and SIGTERM;
#   - on openbox with trayer and with xfce4-panel: the tray tests (those that look for trayer's
#     XEmbed panel are marked so on xfce4-panel, not counted as failures), and the tray menu on
#     xfce4-panel;
#   - on openbox with pulseaudio and with pipewire: the mute tests.
# Prints one line per (binary, combination): pass/fail and the failing tests; then a summary.
# Exits non-zero when a test failed.
#
#   matrix-tests.sh [--table FILE] [--wm "WM..."] [--jobs N] [--keep DIR]
#     --table FILE   write the results as Markdown tables (window manager x row; trays; sound)
#     --wm LIST      only these window managers (and no tray or sound runs unless openbox is
#                    among them); default: all ten
#     --jobs N       desktops run at once (default 1; the machine has 2 cores)
#     --keep DIR     keep each run's output in DIR (default: a temporary folder, removed)
#     --from DIR     run nothing: read the output kept in DIR (by --keep, also of a run that is
#                    still going; runs not ended yet show as "not run")
# Uses the build in build/ (or $ZEL_BUILD_DIR). Needs `scripts/install-deps.sh --matrix`. Not
# part of scripts/test.sh.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=${ZEL_BUILD_DIR:-$root/build}
desktop="$here/headless-desktop.sh"

all_wms=(openbox xfwm4 xfwm4-compositing metacity mutter kwin_x11 marco icewm fluxbox i3)
wms=("${all_wms[@]}")
table="" jobs=1 keep="" from=""
while [ $# -gt 0 ]; do
    case $1 in
        --table) table=${2:?--table needs a file}; shift ;;
        --wm) read -r -a wms <<<"${2:?--wm needs names}"; shift ;;
        --jobs) jobs=${2:?--jobs needs a number}; shift ;;
        --keep) keep=${2:?--keep needs a folder}; shift ;;
        --from) from=${2:?--from needs a folder}; shift ;;
        -h | --help) sed -n '2,24p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "matrix-tests: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done

if [ -n "$from" ]; then
    out=$from
elif [ -n "$keep" ]; then
    out=$keep
    mkdir -p "$out"
else
    out=$(mktemp -d "${TMPDIR:-/tmp}/zel-matrix-tests.XXXXXX")
    trap 'rm -rf "$out"' EXIT
fi

# One run: "ID|COMBINATION|BINARY|FILTER|DESKTOP OPTIONS". COMBINATION names the table column: a
# window manager, "tray:NAME" or "sound:NAME".
runs=()
add() { runs+=("$(printf 'r%03d|%s|%s|%s|%s' "${#runs[@]}" "$1" "$2" "$3" "$4")"); }
for wm in "${wms[@]}"; do
    add "$wm" tests/x11/x11_placement_tests '*' "--wm $wm --no-sound --no-tray"
    add "$wm" tests/x11/x11_window_states_tests '*' "--wm $wm --no-sound --no-tray"
    add "$wm" tests/x11/x11_withdraw_tests '*' "--wm $wm --no-sound --no-tray"
    add "$wm" tests/x11/x11_restore_under_way_tests '*' "--wm $wm --no-sound --no-tray"
    add "$wm" tests/core/integration/core_integration_tests '*' "--wm $wm"
    add "$wm" tests/e2e/scenarios/e2e_scenario_cycle_tests \
        'CycleScenario.TypicalEventFromTheCornerToTheClickOnTheIcon' "--wm $wm"
    add "$wm" tests/e2e/faults/e2e_fault_window_tests \
        'WindowFaultsE2eTest.KilledWhileConcealedTheServerGivesEveryWindowBack' "--wm $wm"
    add "$wm" tests/e2e/e2e_shutdown_tests 'Signals/ShutdownSignalE2eTest.SignalRunsTheShutdown/SIGTERM' "--wm $wm"
done
if [[ " ${wms[*]} " == *" openbox "* ]]; then
    for tray in trayer xfce4-panel; do
        add "tray:$tray" tests/e2e/e2e_tray_tests '*' "--wm openbox --tray $tray"
        add "tray:$tray" tests/tray/tray_tests '*' "--wm openbox --tray $tray"
    done
    # These start (and kill) trayer themselves on a desktop without a tray.
    add tray:trayer tests/tray/tray_late_tests '*' "--wm openbox --no-tray"
    add tray:trayer tests/e2e/faults/e2e_fault_tray_tests '*' "--wm openbox --no-tray"
    add tray:xfce4-panel tests/e2e/e2e_tray_menu_tests '*' "--wm openbox --tray xfce4-panel"
    for sound in pulseaudio pipewire; do
        add "sound:$sound" tests/audio/audio_pulse_tests '*' "--wm openbox --no-tray --sound $sound"
    done
    # The sound fault tests start, hang and kill a pulseaudio of their own on a desktop without
    # sound: they run only with pulseaudio.
    add sound:pulseaudio tests/e2e/faults/e2e_fault_sound_tests '*' "--wm openbox --no-sound"
fi

# run_one RUN: runs one binary on its own desktop; writes ID.log (its output) and ID.status.
run_one() {
    local id combination binary filter options
    IFS='|' read -r id combination binary filter options <<<"$1"
    if [ ! -x "$build/$binary" ]; then
        echo missing >"$out/$id.status"
        return
    fi
    local status=0
    # shellcheck disable=SC2086  # the options are words
    ZEL_BINARY_DIR="$build" ZEL_SOURCE_DIR="$root" ZEL_TEST_OUTPUT="$build/test-output" \
        timeout --kill-after=30 900 "$desktop" run $options -- "$build/$binary" \
        "--gtest_filter=$filter" >"$out/$id.log" 2>&1 </dev/null || status=$?
    echo "$status" >"$out/$id.status"
}

# Runs at most $jobs at once.
if [ -z "$from" ]; then
    for run in "${runs[@]}"; do
        while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
            wait -n || true
        done
        run_one "$run" &
    done
    wait
fi

# row BINARY TEST: the table row that a test belongs to.
row() {
    local binary=${1##*/} test=$2
    case $binary:$test in
        x11_placement_tests:*/Normal_* | x11_placement_tests:*/Moved_*) echo "place" ;;
        x11_placement_tests:*/Resized_*) echo "size" ;;
        x11_placement_tests:*/Maximized_*) echo "maximised" ;;
        x11_placement_tests:*/Minimized_* | x11_placement_tests:*/MaximizedThenMinimized_*) echo "minimised" ;;
        x11_placement_tests:*/OnSecondDesktop_*) echo "desktop" ;;
        x11_withdraw_tests:*/NormalMovedBack) echo "place" ;;
        x11_withdraw_tests:*/MaximizedToNormal | x11_withdraw_tests:*/NormalToMaximized) echo "maximised" ;;
        x11_withdraw_tests:*/MinimizedToNormal | x11_withdraw_tests:*/NormalToMinimized) echo "minimised" ;;
        x11_withdraw_tests:*KilledHider* | x11_withdraw_tests:*SaveSet*) echo "kill -9" ;;
        x11_withdraw_tests:*Batch*) echo "stacking" ;;
        x11_withdraw_tests:*Destroyed*) echo "window closed while hidden" ;;
        x11_window_states_tests:*/Above | x11_window_states_tests:*/Below) echo "above/below" ;;
        x11_window_states_tests:*/SkipTaskbarAndPager) echo "skip" ;;
        x11_window_states_tests:*/Fullscreen) echo "fullscreen" ;;
        x11_window_states_tests:*/Maximized*) echo "maximised normal rectangle" ;;
        x11_window_states_tests:*/Shaded) echo "shaded" ;;
        x11_window_states_tests:*Sticky*) echo "sticky" ;;
        x11_window_states_tests:*Focus*) echo "focus" ;;
        x11_window_states_tests:*Stacking*) echo "stacking" ;;
        x11_restore_under_way_tests:*) echo "hidden again on its way back" ;;
        core_integration_tests:*) echo "concealment cycle (core)" ;;
        e2e_scenario_cycle_tests:*TypicalEvent*) echo "typical event" ;;
        e2e_fault_window_tests:*Killed*) echo "kill -9" ;;
        e2e_shutdown_tests:*SIGTERM) echo "SIGTERM" ;;
        *) echo "$binary" ;;
    esac
}

# The results, one line per test: COMBINATION|ROW|TEST|OK/FAILED/SKIPPED|NOTE.
results="$out/results"
: >"$results"
passed=0 failed=0
for run in "${runs[@]}"; do
    IFS='|' read -r id combination binary filter options <<<"$run"
    if [ ! -e "$out/$id.status" ]; then
        printf '%-36s %-20s not run\n' "${binary##*/}" "$combination"
        continue
    fi
    status=$(cat "$out/$id.status")
    log="$out/$id.log"
    name=${binary##*/}
    if [ "$status" = missing ]; then
        printf '%-36s %-20s NOT BUILT\n' "$name" "$combination"
        echo "$combination|$(row "$binary" -)|$name|MISSING|not built" >>"$results"
        failed=$((failed + 1))
        continue
    fi
    # gtest prints each result as it ends ("[       OK ] Suite.Test (12 ms)", parameterised ones with
    # ", where GetParam() = ..."), the failed and skipped ones again in its summary.
    tests=$(sed -n 's/^\[ *\(OK\|FAILED\|SKIPPED\) *\] \([^ ,]*\)[, ].*/\1 \2/p' "$log" |
        awk '$2 ~ /\./ && !seen[$2]++')
    failing=$(awk '$1 == "FAILED" {print $2}' <<<"$tests")
    # The tests that look for trayer's panel cannot pass on another tray.
    note=""
    if [ "$combination" = tray:xfce4-panel ] && [ -n "$failing" ] && grep -qi "trayer" "$log"; then
        note="needs trayer's XEmbed panel"
    fi
    while read -r result test; do
        [ -n "$test" ] || continue
        echo "$combination|$(row "$binary" "$test")|$test|$result|$note" >>"$results"
    done <<<"$tests"
    # On the headless desktop a skipped test makes the binary's status 1 (tests/support/test_main.cpp);
    # here a skip is what the window manager does not offer, and counts as such in the table.
    only_skipped=false
    if [ "$status" = 1 ] && [ -z "$failing" ] && grep -q '^SKIPPED' <<<"$tests" &&
        grep -q '^a test was skipped on the headless desktop' "$log"; then
        only_skipped=true
    fi
    if [ -z "$tests" ] || { [ "$status" != 0 ] && [ -z "$failing" ] && ! $only_skipped; }; then
        verdict="FAIL (status $status, no test result: $(grep -m1 -i 'error\|headless-desktop:' "$log" || tail -n 1 "$log"))"
        echo "$combination|$(row "$binary" -)|$name|FAILED|status $status" >>"$results"
        failed=$((failed + 1))
    elif [ -n "$failing" ] && [ -n "$note" ]; then
        verdict="n/a ($note): $(paste -sd' ' <<<"$failing")"
    elif [ -n "$failing" ]; then
        verdict="FAIL: $(paste -sd' ' <<<"$failing")"
        failed=$((failed + 1))
    else
        verdict="pass ($(grep -c '^OK' <<<"$tests") passed, $(grep -c '^SKIPPED' <<<"$tests" || true) skipped)"
        passed=$((passed + 1))
    fi
    printf '%-36s %-20s %s\n' "$name" "$combination" "$verdict"
done
echo "$passed passed, $failed failed (of ${#runs[@]} runs)"

# cell COMBINATION ROW: "yes"; "—" when every test of the row was skipped (the window manager does
# not offer the state); else the failing tests.
cell() {
    awk -F'|' -v c="$1" -v r="$2" '
        $1 == c && $2 == r { n++; if ($4 == "OK") ok++; else if ($4 == "SKIPPED") sk++;
                             else { t = $3; sub(/.*[.\/]/, "", t); bad = bad (bad ? ", " : "") t } }
        END {
            if (!n) print "not run";
            else if (bad) print "FAIL: " bad;
            else if (ok) print "yes";
            else print "—";
        }' "$results"
}

if [ -n "$table" ]; then
    {
        rows=("place" "size" "maximised" "minimised" "desktop" "kill -9" "SIGTERM" "typical event"
            "concealment cycle (core)" "above/below" "sticky" "skip" "fullscreen"
            "maximised normal rectangle" "shaded" "focus" "stacking" "window closed while hidden"
            "hidden again on its way back")
        printf '| Row |'
        printf ' %s |' "${wms[@]}"
        printf '\n|---|'
        printf -- '---|%.0s' "${wms[@]}"
        printf '\n'
        for r in "${rows[@]}"; do
            printf '| %s |' "$r"
            for wm in "${wms[@]}"; do printf ' %s |' "$(cell "$wm" "$r")"; done
            printf '\n'
        done
        if [[ " ${wms[*]} " == *" openbox "* ]]; then
            printf '\n| Tray or sound server (on openbox) | Binary | Result |\n|---|---|---|\n'
            awk -F'|' '$1 ~ /^(tray|sound):/ {
                    k = $1 "|" $2; if (!(k in seen)) { seen[k] = 1; order[++n] = k }
                    if ($4 == "OK") ok[k]++; else if ($4 == "SKIPPED") sk[k]++;
                    else { t = $3; sub(/.*[.\/]/, "", t); bad[k] = bad[k] (bad[k] ? ", " : "") t; note[k] = $5 } }
                END { for (i = 1; i <= n; i++) { k = order[i]; split(k, p, "|")
                    if (bad[k] && note[k]) v = "n/a, " note[k] " (" bad[k] ")";
                    else if (bad[k]) v = "FAIL: " bad[k];
                    else v = "yes (" ok[k] + 0 " tests" (sk[k] ? ", " sk[k] " skipped" : "") ")";
                    sub(/^[a-z]*:/, "", p[1]); printf "| %s | %s | %s |\n", p[1], p[2], v } }' "$results"
        fi
    } >"$table"
    echo "table: $table"
fi
[ "$failed" -eq 0 ]
