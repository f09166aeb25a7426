#!/usr/bin/env bash
# bench.sh [--quick] [--long <seconds>] [--build <dir>]... [seconds [tempo note]]
#
# Builds the benchmarks and runs them headless under Wine; prints figures and
# asserts nothing.
#
# Inside the program's own code (this tree only, left out when --build is
# given): click mode through the engine and the sound bank at the
# given tempo and note value, or else at 60, 100, 180 and 300 bpm in quarter
# notes and at 300 bpm in sixteenths, each for the given seconds (default 60)
# while the null sink is recorded; then the same through the main window at
# 100 bpm (or the given tempo in quarter notes) and the needle alone at that
# tempo, with its processor time and how far its swings begin from their
# clicks; last the program's output stream at 113 bpm in sixteenths (or the
# given setting) through WASAPI, DirectSound and without a device.
#
# Outside the program (tests/bench/program_bench.sh): the real Pulsewick.exe of
# this tree, or of each build directory given with --build in turn, driven
# with the mouse and keys, recorded, its needle watched on the screen and its
# threads' processor time read: idle and playing processor time, press to
# first click and needle against click, heard intervals and drift at each
# setting, a long run at 113 bpm (10 minutes, or --long), and missed or
# doubled hits while the window thread is kept busy (10 minutes). The probe
# records with a latency of 10 ms; every case prints the intervals more than
# 1 ms off, the largest deviation and the mean; the processor time is also
# read for the whole process from /proc/<pid>/stat (threads that ended
# included) beside the wine server's, with the threads started a second.
# GTick (the Debian package, installed here when missing) is measured the
# same way in the same run: 113 bpm for the long run's length, and its
# processor time. A table of the main figures, a line per build, ends it.
#
# --quick: 10 s runs, 10 s processor time windows, 1 minute busy and long.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
seconds=60 cpu_seconds=30 busy_seconds=600 long_seconds=600
programs=()
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
    --quick) seconds=10 cpu_seconds=10 busy_seconds=60 long_seconds=60 ;;
    --long)
        [[ $# -ge 2 && $2 =~ ^[0-9]+$ ]] || {
            echo "bench.sh: --long needs seconds" >&2
            exit 2
        }
        long_seconds=$2
        shift
        ;;
    --build)
        [[ $# -ge 2 && -f $2/Pulsewick.exe ]] || {
            echo "bench.sh: --build needs a build directory with Pulsewick.exe" >&2
            exit 2
        }
        programs+=("$(cd "$2" && pwd)")
        shift
        ;;
    *)
        echo "usage: $0 [--quick] [--long <seconds>] [--build <dir>]... [seconds [tempo note]]" >&2
        exit 2
        ;;
    esac
    shift
done
seconds=${1:-$seconds}
setting=("${@:2}")

# GTick for the figure beside ours: for the benchmark only.
if ! command -v gtick >/dev/null; then
    as_root=()
    ((EUID == 0)) || as_root=(sudo)
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o Dpkg::Use-Pty=0 install gtick >/dev/null
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target Pulsewick click_bench mainwnd_bench needle_bench stream_bench sendmsg repaint
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
        echo
        "$root/scripts/wine-run.sh" "$build/headless.env" "$build/needle_bench.exe" "$seconds" "${setting[0]:-100}"
    fi
    for device in auto dsound none; do
        echo
        "$root/scripts/wine-run.sh" "$build/headless.env" "$build/stream_bench.exe" "$seconds" \
            "${setting[0]:-113}" "${setting[1]:-16}" "$device"
    done
fi

for program in "${programs[@]}"; do
    load=$(cut -d' ' -f1 /proc/loadavg)
    echo
    echo "=== $program/Pulsewick.exe (load average $(cut -d' ' -f1-3 /proc/loadavg))"
    PW_PROGRAM_DIR=$program PW_PROBE=$root/build/native/pw_probe PW_BENCH_SUMMARY=$summary PW_BENCH_COLUMN=$program \
        bash "$root/tests/bench/program_bench.sh" "$build" "$build/headless.env" "$seconds" "$cpu_seconds" \
        "$busy_seconds" "$long_seconds" "${setting[@]}"
    printf '%s\tmachine\tload\t%s\t%s\n' "$program" "$load" "$(cut -d' ' -f1 /proc/loadavg)" >>"$summary"
done

echo
wineserver=$(awk '$1 == "pid" && $4 == "wineserver" {print $2}' "$build/headless.pids")
PW_PROBE=$root/build/native/pw_probe PW_BENCH_SUMMARY=$summary PW_BENCH_COLUMN=GTick \
    bash "$root/tests/bench/gtick_bench.sh" "$build/headless.env" "$((long_seconds > 0 ? long_seconds : seconds))" \
    "$cpu_seconds" "$wineserver"

# The main figures side by side, a line per build.
echo
awk -F'\t' '
    BEGIN {
        head["load"] = "load average over 1 minute: before, after"
        head["heard"] = "heard: mean IOI - period, sd, p99 |dev| (ms); heard - shown drift in device samples," \
                        " on the system clock (ms/h); missed; doubled; press to first click - period (ms)"
        head["needle"] = "needle: swing start - heard click (ms): mean, sd, p99 and max of its size"
        head["off"] = "intervals more than 1 ms off; largest deviation (ms); mean IOI (ms)"
        head["cpu"] = "cpu, % of a core: process; own threads, window thread, other own threads; threads Wine runs;" \
                      " wine server"
        head["whole"] = "cpu, % of a core, threads that ended included: process; wine server; threads started a second"
        kinds = split("load heard off needle cpu whole", order, " ")
    }
    !($1 in build) { build[$1] = ++builds; name[builds] = $1 }
    {
        if (!(($3, $2) in seen)) { seen[$3, $2] = 1; row[$3, ++rows[$3]] = $2 }
        line = ""
        for (i = 4; i <= NF; i++) line = line sprintf(" %9s", $i)
        cell[$3, $2, build[$1]] = line
    }
    END {
        for (b = 1; b <= builds; b++) printf "build %d: %s\n", b, name[b]
        for (k = 1; k <= kinds; k++) {
            kind = order[k]
            if (!rows[kind]) continue
            printf "\n%s\n", head[kind]
            for (r = 1; r <= rows[kind]; r++)
                for (b = 1; b <= builds; b++)
                    printf "%-38s build %d%s\n", b == 1 ? row[kind, r] : "", b, cell[kind, row[kind, r], b]
        }
    }' "$summary"
