#!/usr/bin/env bash
# bench.sh [--quick] [--build <dir>]... [seconds [tempo note]]
#
# Builds the benchmarks and runs them headless under Wine; prints figures and
# asserts nothing.
#
# Inside the program's own code (this tree only, left out when --build is
# given): click mode through the multimedia timer and the sound bank at the
# given tempo and note value, or else at 60, 100, 180 and 300 bpm in quarter
# notes and at 300 bpm in sixteenths, each for the given seconds (default 60)
# while the null sink is recorded; then the same through the main window at
# 100 bpm (or the given tempo in quarter notes); last the program's output
# stream at 113 bpm in sixteenths (or the given setting) through WASAPI,
# DirectSound and without a device.
#
# Outside the program (tests/bench/program_bench.sh): the real Pulsewick.exe of
# this tree, or of each build directory given with --build in turn, driven
# with the mouse and keys, recorded, its needle watched on the screen and its
# threads' processor time read: idle and playing processor time, press to
# first click and needle against click, heard intervals and drift at each
# setting, and missed or doubled hits while the window thread is kept busy
# (10 minutes). A table of the main figures, a column per build, ends it.
#
# --quick: 10 s runs, 10 s processor time windows, 1 minute busy.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
seconds=60 cpu_seconds=30 busy_seconds=600
programs=()
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
    --quick) seconds=10 cpu_seconds=10 busy_seconds=60 ;;
    --build)
        [[ $# -ge 2 && -f $2/Pulsewick.exe ]] || {
            echo "bench.sh: --build needs a build directory with Pulsewick.exe" >&2
            exit 2
        }
        programs+=("$(cd "$2" && pwd)")
        shift
        ;;
    *)
        echo "usage: $0 [--quick] [--build <dir>]... [seconds [tempo note]]" >&2
        exit 2
        ;;
    esac
    shift
done
seconds=${1:-$seconds}
setting=("${@:2}")

cmake --preset windows >/dev/null
cmake --build --preset windows --target Pulsewick click_bench mainwnd_bench stream_bench sendmsg repaint
cmake --preset native >/dev/null
cmake --build --preset native --target pw_probe
"$root/scripts/headless.sh" start "$build"
summary=$(mktemp "${TMPDIR:-/tmp}/bench-summary.XXXXXX")
trap '"$root/scripts/headless.sh" stop "$build"; rm -f -- "$summary"' EXIT

run() {
    "$root/scripts/wine-run.sh" "$build/headless.env" "$build/click_bench.exe" "$seconds" "$1" "$2"
    echo
}

if ((${#programs[@]} == 0)); then
    programs=("$build")
    if [[ ${#setting[@]} -eq 2 ]]; then
        run "${setting[@]}"
    else
        for one in "60 4" "100 4" "180 4" "300 4" "300 16"; do
            # shellcheck disable=SC2086
            run $one
        done
    fi
    if [[ ${#setting[@]} -ne 2 || ${setting[1]} == 4 ]]; then
        "$root/scripts/wine-run.sh" "$build/headless.env" "$build/mainwnd_bench.exe" "$seconds" "${setting[0]:-100}"
    fi
    for device in auto dsound none; do
        echo
        "$root/scripts/wine-run.sh" "$build/headless.env" "$build/stream_bench.exe" "$seconds" \
            "${setting[0]:-113}" "${setting[1]:-16}" "$device"
    done
fi

for program in "${programs[@]}"; do
    echo
    echo "=== $program/Pulsewick.exe (load average $(cut -d' ' -f1-3 /proc/loadavg))"
    printf '%s\tmachine: load average before\t%s\n' "$program" "$(cut -d' ' -f1 /proc/loadavg)" >>"$summary"
    PW_PROGRAM_DIR=$program PW_PROBE=$root/build/native/pw_probe PW_BENCH_SUMMARY=$summary PW_BENCH_COLUMN=$program \
        bash "$root/tests/bench/program_bench.sh" "$build" "$build/headless.env" "$seconds" "$cpu_seconds" \
        "$busy_seconds" "${setting[@]}"
    printf '%s\tmachine: load average after\t%s\n' "$program" "$(cut -d' ' -f1 /proc/loadavg)" >>"$summary"
done

# The figures side by side: a row per figure, a column per build.
echo
awk -F'\t' '
    !($1 in seen) { seen[$1] = 1; columns[++nc] = $1 }
    !($2 in known) { known[$2] = 1; rows[++nr] = $2 }
    { value[$2, $1] = $3 }
    END {
        for (c = 1; c <= nc; c++) printf "build %d: %s\n", c, columns[c]
        printf "%-60s", "figure"
        for (c = 1; c <= nc; c++) printf " %12s", "build " c
        printf "\n"
        for (r = 1; r <= nr; r++) {
            printf "%-60s", rows[r]
            for (c = 1; c <= nc; c++) printf " %12s", ((rows[r], columns[c]) in value) ? value[rows[r], columns[c]] : "-"
            printf "\n"
        }
    }' "$summary"
