#!/usr/bin/env bash
# Nothing is lost when the session ends or the program dies. The session is
# ended as Windows ends it at shut-down: wineboot --end-session sends every
# top-level window WM_QUERYENDSESSION, then WM_ENDSESSION, and then ends the
# process at once.
#   1. After the mode switch, the session ends: the data file beside the
#      program and the settings are byte for byte what a normal close of the
#      same run stores.
#   2. A pattern stored with the editor's OK is in the data file although the
#      program is killed right after.
#   3. The session ends while the editor is open, with the sound turned off
#      and a cell changed but not stored, and the data file read-only: it ends
#      at once, the settings are stored (the editor's as its Cancel stores
#      them) and the data file is left as it was.
# No run leaves a temporary file beside the program.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

main_title="Pulsewick 1.01"
editor_title="Custom Beat Setting"
test_settings
test_data_file
data_file=$E2E_DATA_FILE

temp_files() {
    find "$E2E_BUILD" -maxdepth 1 -iname 'pw*.tmp' | sort
}
temp_before=$(temp_files)
no_temp_left() {
    [[ $(temp_files) == "$temp_before" ]] || e2e_fail "$1 left temporary files: $(temp_files)"
}

# settings_export <file>: the program's key as reg export writes it.
settings_export() {
    rm -f -- "$E2E_OUT/$1"
    wine reg export "$E2E_SETTINGS_KEY" "$(winepath -w "$E2E_OUT/$1" 2>/dev/null)" /y </dev/null >/dev/null 2>&1 ||
        e2e_fail "cannot export the settings"
}

# The main window is 344 x 292 pixels.
open_main() {
    start_program
    local found
    found=$(wait_for_client "$main_title" 344 292) || exit 1
    read -r main_id main_border main_top <<<"$found"
}
main_click() {
    click_in "$main_id" "$main_border" "$main_top" "$1" "$2"
}

# Once the mode switch has ended, the custom beat button is enabled and has
# the focus: a dotted focus frame runs along its slate face, which neither its
# pale disabled face nor any picture of the switch's animation shows.
custom_beat_focused() {
    screenshot "$main_id" session_end_main.png
    local row
    row=$(convert "$E2E_OUT/session_end_main.png" -crop "60x1+$((main_border + 255))+$((main_top + 245))" \
        -depth 8 txt:- | awk -F'[(,)]' 'NR > 1 {printf "%d", ($3 > 150)} END {print ""}')
    [[ $row =~ ^(01)+$ || $row =~ ^(10)+$ ]]
}
# Closing stores user beat mode only once the switch has ended.
to_user_beat_mode() {
    main_click 56 255
    wait_until 10 "the custom beat button is not enabled after the mode switch" custom_beat_focused
}

# Dialog 129 is 652 x 512 pixels; toolbar item k at (10 + 46 (k mod 12),
# 12 + 40 (k / 12)), 46 x 40; grid cells 88 x 25 from (27, 123).
open_editor() {
    main_click 288 255
    local found
    found=$(wait_for_client "$editor_title" 652 512) || exit 1
    read -r editor_id editor_border editor_top <<<"$found"
}
editor_click() {
    click_in "$editor_id" "$editor_border" "$editor_top" "$1" "$2"
}
tool() {
    editor_click $((10 + 46 * ($1 % 12) + 23)) $((12 + 40 * ($1 / 12) + 20))
}
cell() { # <column> <step>
    editor_click $((27 + 88 * $1 + 44)) $((123 + 25 * ($2 - 1) + 12))
}
editor_closed() {
    [[ -z $(find_window "$editor_title") ]]
}
# The sound button at (590, 34): a speaker with sound waves while the sound is
# on, with an orange cross (or all orange, flashing at the click) once off; the
# pixel is the middle of the cross.
sound_off_shown() {
    screenshot "$editor_id" session_end_editor.png
    local green
    green=$(convert "$E2E_OUT/session_end_editor.png" -crop "1x1+$((editor_border + 619))+$((editor_top + 54))" \
        -format '%[fx:int(255*g)]' info:)
    ((green < 200))
}

# end_session: the session ends; end_ms is how long wineboot took, from the
# question to the end of the program's process.
end_session() {
    local start log=$E2E_OUT/session_end.wineboot.log
    start=$(date +%s%N)
    timeout 60 wineboot --end-session </dev/null >"$log" 2>&1 ||
        e2e_fail "wineboot --end-session failed or hung: $(cat "$log")"
    end_ms=$((($(date +%s%N) - start) / 1000000))
    wait_for_exit 10
}

# 1. The same run twice from a first run's state: closed, then ended with the
# session.
first_run_settings
open_main
to_user_beat_mode
close_window "$main_title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"
[[ -e $data_file ]] || e2e_fail "no data file after a normal close"
data_file_bytes >"$E2E_OUT/session_end.default.da_"
cmp -s "$E2E_OUT/session_end.default.da_" "$data_file" ||
    e2e_fail "a normal close does not store the default pattern: $(cmp "$E2E_OUT/session_end.default.da_" "$data_file" 2>&1)"
mv -f -- "$data_file" "$E2E_OUT/session_end.closed.da_"
settings_export session_end.closed.reg
[[ $(reg_get "User Beat Mode") == 0x1 ]] || e2e_fail "a normal close stores \"User Beat Mode\" $(reg_get "User Beat Mode")"
no_temp_left "the normal close"

first_run_settings
open_main
to_user_beat_mode
end_session
echo "session end: wineboot took $end_ms ms, the program's exit code $PROGRAM_STATUS"
[[ -e $data_file ]] || e2e_fail "no data file after the session ended"
cmp -s "$E2E_OUT/session_end.closed.da_" "$data_file" ||
    e2e_fail "the data file differs from a normal close's: $(cmp "$E2E_OUT/session_end.closed.da_" "$data_file" 2>&1)"
settings_export session_end.ended.reg
cmp -s "$E2E_OUT/session_end.closed.reg" "$E2E_OUT/session_end.ended.reg" ||
    e2e_fail "the settings differ from a normal close's: $(diff <(iconv -f UTF-16 -t UTF-8 "$E2E_OUT/session_end.closed.reg") \
        <(iconv -f UTF-16 -t UTF-8 "$E2E_OUT/session_end.ended.reg"))"
no_temp_left "the session end"

# 2. The kick on step 1, OK, then the program is killed.
rm -f -- "$data_file"
first_run_settings
open_main
to_user_beat_mode
open_editor
tool 0 # Kick
cell 0 1
[[ ! -e $data_file ]] || e2e_fail "a data file is written before OK"
editor_click 444 478 # OK
wait_until 10 "the editor is still open after OK" editor_closed
kill -KILL "$PROGRAM_PID"
wait_for_exit 10
data_file_bytes 0 1 129 Kick >"$E2E_OUT/session_end.kick.da_"
[[ -e $data_file ]] || e2e_fail "no data file after OK and a kill"
cmp -s "$E2E_OUT/session_end.kick.da_" "$data_file" ||
    e2e_fail "the data file does not hold the pattern after OK and a kill: $(cmp "$E2E_OUT/session_end.kick.da_" "$data_file" 2>&1)"
no_temp_left "OK"

# 3. The editor open, its sound off, the snare put on step 2 without OK, and
# the data file read-only when the session ends.
first_run_settings
open_main
to_user_beat_mode
open_editor
editor_click 613 54 # the sound button: off
# Windows' questions come before input still queued: the click must be taken.
wait_until 10 "the sound button does not show the sound off" sound_off_shown
tool 2 # Snare
cell 0 2
chmod a-w -- "$data_file"
end_session
chmod u+w -- "$data_file"
echo "session end with the editor open and the data file read-only: wineboot took $end_ms ms"
((end_ms < 15000)) || e2e_fail "the session end took $end_ms ms"
cmp -s "$E2E_OUT/session_end.kick.da_" "$data_file" || e2e_fail "the read-only data file was changed"
[[ $(reg_get "Toobar Sound On") == 0x0 ]] || e2e_fail "\"Toobar Sound On\" is $(reg_get "Toobar Sound On"), not 0"
[[ $(reg_get "User Beat Mode") == 0x1 ]] || e2e_fail "\"User Beat Mode\" is $(reg_get "User Beat Mode"), not 1"
no_temp_left "the session end with the editor open"
