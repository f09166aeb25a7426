#!/usr/bin/env bash
# A custom beat made with the mouse and played: user beat mode on, Custom Beat
# Setting opened, the kick put on steps 1, 5, 9 and 13 and the closed hi-hat
# on every odd step, OK, start at tempo 100. Every step is a sixteenth, 150 ms:
# the hi-hat sounds every second step (300 ms), the kick every fourth (600 ms),
# each with a hi-hat. After a restart the pattern comes back from the data file
# and plays the same. Screenshots are left in <build dir>/e2e/.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

main_title="Pulsewick 1.01"
editor_title="Custom Beat Setting"

# The data file the program keeps beside itself is put back at the end, like
# the settings.
test_settings
test_data_file
data_file=$E2E_DATA_FILE

# The main window: 172 x 146 dialog units, 344 x 292 pixels.
open_main() {
    start_program
    main_id=$(wait_for_window "$main_title")
    sleep 1
    read -r main_border main_top < <(frame "$main_id" 344 292)
}
main_click() {
    click_in "$main_id" "$main_border" "$main_top" "$1" "$2"
}

# The hits of a recording, per band: the kick alone sounds below 150 Hz, the
# hi-hat alone above 4 kHz. Prints one onset in ms per line: where the band's
# 2 ms peak first rises above 30 % of its loudest after 40 ms below 10 %.
onsets() {
    local recording=$1 filter=$2
    sox "$recording" -t dat - remix - $filter | awk '
        /^;/ { next }
        {
            v = $2 < 0 ? -$2 : $2
            frame = int($1 * 500)
            if (v > peak[frame]) peak[frame] = v
            if (v > loudest) loudest = v
            if (frame > last) last = frame
        }
        END {
            armed = 1
            for (f = 0; f <= last; f++) {
                p = peak[f] + 0
                if (p > 0.3 * loudest && armed) { printf "%d\n", f * 2; armed = 0; quiet = 0 }
                else if (p < 0.1 * loudest) { if (++quiet >= 20) armed = 1 }
                else quiet = 0
            }
        }'
}

# intervals <file> <expected ms>: the onsets come one expected interval apart;
# prints the count and the median interval. The sound path of the headless
# environment now and then stutters (a hit heard late or twice), so two
# intervals off by more than a quarter are let pass; more fail.
intervals() {
    awk -v want="$2" '
        { t[++n] = $1 }
        END {
            if (n < 4) { print "only " n " hits"; exit 1 }
            for (i = 2; i <= n; i++) {
                d[i - 1] = t[i] - t[i - 1]
                if (d[i - 1] < want * 0.75 || d[i - 1] > want * 1.25) {
                    off = off sprintf("interval %d ms before %d ms; ", d[i - 1], t[i]); bad++
                }
            }
            m = n - 1
            for (i = 1; i <= m; i++)
                for (j = i + 1; j <= m; j++)
                    if (d[j] < d[i]) { x = d[i]; d[i] = d[j]; d[j] = x }
            if (bad > 2) { print off; exit 1 }
            printf "%d %d %d\n", n, d[int((m + 1) / 2)], bad
        }' "$1"
}

# play_and_check <name>: starts the metronome, records 8 s, stops, and checks
# the hits: hi-hats 300 ms apart, kicks 600 ms apart, every kick with a hi-hat.
play_and_check() {
    local name=$1 kicks hats
    start_recording "$name.wav"
    main_click 288 31 # start
    sleep 8
    screenshot "$main_id" "${name}_playing.png"
    main_click 288 31 # stop
    sleep 0.5
    stop_recording
    kicks=$E2E_OUT/$name.kicks.txt
    hats=$E2E_OUT/$name.hats.txt
    onsets "$E2E_OUT/$name.wav" "lowpass 150" >"$kicks"
    onsets "$E2E_OUT/$name.wav" "highpass 4000" >"$hats"
    local result count median off
    result=$(intervals "$kicks" 600) || e2e_fail "$name, kick: $result"
    read -r count median off <<<"$result"
    ((count >= 10)) || e2e_fail "$name: only $count kicks in 8 s"
    ((median >= 590 && median <= 610)) || e2e_fail "$name: kicks $median ms apart"
    echo "$name: $count kicks, median interval $median ms, $off intervals off"
    result=$(intervals "$hats" 300) || e2e_fail "$name, hi-hat: $result"
    read -r count median off <<<"$result"
    ((count >= 20)) || e2e_fail "$name: only $count hi-hats in 8 s"
    ((median >= 295 && median <= 305)) || e2e_fail "$name: hi-hats $median ms apart"
    echo "$name: $count hi-hats, median interval $median ms, $off intervals off"
    # Kick and hi-hat of one step start together; the hi-hats between kicks
    # lie two steps (300 ms) after them, on the 150 ms grid of the steps. Wine
    # mixes in 10 ms blocks and slips a block or two under load, so onsets may
    # sit up to 30 ms off the grid; a wrong step would be 150 ms off.
    awk 'NR == FNR { k[++nk] = $1; next }
        {
            best = 1e9
            for (i = 1; i <= nk; i++) { d = $1 - k[i]; if (d < 0) d = -d; if (d < best) best = d }
            if (best <= 30) with++
            else if (best < 270 || best > 330) { off = off sprintf("hi-hat at %d ms is %d ms from a kick; ", $1, best); stray++ }
        }
        END {
            if (stray > 2) { print off; bad = 1 }
            if (with < nk - 2) { printf "only %d of %d kicks with a hi-hat\n", with, nk; bad = 1 }
            exit bad
        }' \
        "$kicks" "$hats" >"$E2E_OUT/$name.grid.txt" || e2e_fail "$name: $(cat "$E2E_OUT/$name.grid.txt")"
}

open_main
screenshot "$main_id" pattern_main.png
switch_to_user_beat "$main_id" "$main_border" "$main_top"
main_click 288 255 # Custom Beat Setting
editor_id=$(wait_for_window "$editor_title")
sleep 1
# Dialog 129: 326 x 256 dialog units, 652 x 512 pixels.
read -r editor_border editor_top < <(frame "$editor_id" 652 512)
editor_click() {
    click_in "$editor_id" "$editor_border" "$editor_top" "$1" "$2"
}
# Toolbar item k at (10 + 46 (k mod 12), 12 + 40 (k / 12)), 46 x 40; the grid's
# client area from (27, 123), 298 pixels high, columns about 88 pixels wide,
# rows 25 pixels high.
tool() {
    editor_click $((10 + 46 * ($1 % 12) + 23)) $((12 + 40 * ($1 / 12) + 20))
}
cell() { # <column> <row as seen>
    editor_click $((27 + 88 * $1 + 44)) $((123 + 25 * $2 + 12))
}
tool 0 # Kick
for step in 1 5 9; do cell 0 $((step - 1)); done
tool 7 # ClsHiat
for step in 1 3 5 7 9 11; do cell 1 $((step - 1)); done
# Steps 13 to 16 lie below the view: the wheel scrolls it to the bottom, where
# row 15 ends at the view's lower edge (scrolled by 400 - 298 pixels).
xdotool mousemove --window "$editor_id" $((editor_border + 200)) $((editor_top + 250))
for _ in $(seq 20); do
    xdotool click 5
    sleep 0.02
done
sleep 0.3
bottom_row() { # <column> <step>
    editor_click $((27 + 88 * $1 + 44)) $((123 + 25 * ($2 - 1) - 102 + 12))
}
tool 0
bottom_row 0 13
tool 7
for step in 13 15; do bottom_row 1 "$step"; done
screenshot "$editor_id" pattern_editor.png
editor_click 444 478 # OK
wait_until_gone "$editor_id"

play_and_check pattern_first

close_window "$main_title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"

# The data file holds the pattern: version 1.01 header, 4 steps per beat, 5
# tracks of 16 cells, each cell label, sound id and reserved word.
expected=$E2E_OUT/pattern.expected.da_
cells=()
for step in 1 5 9 13; do cells+=(0 "$step" 129 Kick); done
for step in 1 3 5 7 9 11 13 15; do cells+=(1 "$step" 136 ClsHiat); done
data_file_bytes "${cells[@]}" >"$expected"
[[ -e $data_file ]] || e2e_fail "no data file after exit"
cmp -s "$expected" "$data_file" || e2e_fail "the data file does not hold the pattern: $(cmp "$expected" "$data_file" 2>&1)"

# The next start comes up in user beat mode with the pattern.
open_main
screenshot "$main_id" pattern_restarted.png
play_and_check pattern_again
close_window "$main_title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS after the restart"
cmp -s "$expected" "$data_file" || e2e_fail "the data file changed after the second run"
echo "screenshots: $E2E_OUT/pattern_editor.png $E2E_OUT/pattern_first_playing.png $E2E_OUT/pattern_again_playing.png"
