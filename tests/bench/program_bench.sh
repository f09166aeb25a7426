#!/usr/bin/env bash
# program_bench.sh <build dir> <env file> <seconds> <cpu seconds> <busy seconds> <long seconds> [tempo note]
#
# Measures the real program from outside, as scripts/bench.sh runs it: the
# build's Pulsewick.exe (or the one in $PW_PROGRAM_DIR) driven with the mouse
# and the keys on the headless display, what it plays recorded from the null
# sink, its needle watched on the screen and its threads' processor time read
# from /proc, all on one clock by the probe ($PW_PROBE, tests/bench/probe).
#  - idle: the processor time with the main window open and stopped;
#  - start and needle: 100 bpm from a press on Start, the needle watched:
#    press to first heard click, each swing's start against its click; then
#    the processor time while it plays;
#  - heard intervals, for <seconds> each, at 60, 100, 113, 180 and 300 bpm in
#    quarters, 113 and 300 in sixteenths (or only at the tempo and note
#    given), and in user beat mode at 113 with a hi-hat on every sixteenth;
#  - long: 113 bpm in quarters for <long seconds> (0 leaves it out);
#  - busy: 300 bpm in sixteenths for <busy seconds> while the window thread
#    redraws the whole window without pause.
# The probe records with a latency of 10 ms, as a program recording the
# player would.
# Prints figures and asserts nothing.
set -euo pipefail
. "$(dirname "$0")/../e2e/lib.sh"
e2e_init "$1" "$2"
seconds=$3 cpu_seconds=$4 busy_seconds=$5 long_seconds=$6
settings=("${@:7}")
probe=${PW_PROBE:?PW_PROBE names the probe}

title="Pulsewick 1.01"
wineserver=$(awk '$1 == "pid" && $4 == "wineserver" {print $2}' "$E2E_BUILD/headless.pids")

test_settings
test_data_file

# launch: starts the program and waits for its main window; sets main_id,
# its client area's place on the screen (left, top) and its offset in the X
# window (border, top_edge).
launch() {
    start_program
    read -r main_id border top_edge < <(wait_for_client "$title" 344 292)
    [[ -n $main_id ]] || e2e_fail "no main window"
    local x y
    read -r x y < <(xwininfo -id "$main_id" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
    left=$((x + border)) top=$((y + top_edge))
    sleep 1
}

quit() {
    close_window "$title"
    wait_for_exit 10
}

# Client positions of dialog 102 (172 x 146 units, 344 x 292 pixels): the
# start button (stop shows in its place) and the tick display.
start_x=288 start_y=31
tick_display=(10 12 222 144)

stop() {
    click_in "$main_id" "$border" "$top_edge" "$start_x" "$start_y"
    sleep 1
}

# tempo <bpm>: Home takes the slider to 300, each Right one lower.
tempo() {
    local steps
    mapfile -t steps < <(yes Right | head -n $((300 - $1)))
    send_key "$main_id" Home
    ((${#steps[@]} == 0)) || xdotool key --window "$main_id" --delay 2 "${steps[@]}"
}

# note <value>: the choice the beat popup sends, four beats.
note() {
    send_message "$title" WM_NEED_TO_CHANGE_BEAT 4 "$1"
}

# listen <row> <seconds> <tempo> <note> [probe options]: presses Start and
# records; the figures are those of <row>.
listen() {
    local row=$1
    shift
    echo "== $row"
    PW_BENCH_ROW=$row "$probe" listen "$@" --press $((left + start_x)) $((top + start_y))
}

cpu() {
    echo "== $1"
    PW_BENCH_ROW=$1 "$probe" cpu "$cpu_seconds" "$PROGRAM_PID" "$wineserver"
}

launch
# A moment for what the start opened to settle or close.
sleep 3
cpu idle
listen "start, needle" "$cpu_seconds" 100 4 \
    --needle $((left + tick_display[0])) $((top + tick_display[1])) "${tick_display[2]}" "${tick_display[3]}"
cpu "playing 100 bpm"
stop

if ((${#settings[@]} == 2)); then
    runs=("${settings[*]}")
else
    runs=("60 4" "100 4" "113 4" "180 4" "300 4" "113 16" "300 16")
fi
for run in "${runs[@]}"; do
    read -r bpm value <<<"$run"
    tempo "$bpm"
    note "$value"
    listen "$bpm bpm 1/$value" "$seconds" "$bpm" "$value"
    stop
done

if ((long_seconds > 0)); then
    tempo 113
    note 4
    listen "113 bpm 1/4, ${long_seconds} s" "$long_seconds" 113 4
    stop
fi

if ((busy_seconds > 0)); then
    tempo 300
    note 16
    wine "$E2E_BUILD/repaint.exe" "$title" $((busy_seconds + 5)) </dev/null >"$E2E_OUT/repaint.log" 2>&1 &
    repaint=$!
    # The processor time a while into it shows how busy the window thread is.
    (sleep 5 && cpu "300 bpm 1/16, window busy" >"$E2E_OUT/busy-cpu.txt") &
    watcher=$!
    listen "300 bpm 1/16, window busy" "$busy_seconds" 300 16
    stop
    wait "$repaint" "$watcher" || true
    cat "$E2E_OUT/busy-cpu.txt"
    tr -d '\r' <"$E2E_OUT/repaint.log"
fi
quit

# User beat mode: a closed hi-hat on every sixteenth.
wine reg add "$E2E_SETTINGS_KEY" /v "User Beat Mode" /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1 ||
    e2e_fail "cannot set user beat mode"
cells=()
for step in $(seq 1 16); do cells+=(0 "$step" 136 ClsHiat); done
data_file_bytes "${cells[@]}" >"$E2E_DATA_FILE"
launch
tempo 113
listen "user beat 113 bpm, hi-hat every 1/16" "$seconds" 113 16
stop
quit
