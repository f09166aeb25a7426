#!/usr/bin/env bash
# Nothing is lost in any folder. The program is copied into a folder named in
# three scripts (Latin, Han, Greek):
#   1. at exit it writes the data file beside itself and its folder as
#      "App Path", and reads the data file back at the next start;
#   2. with that folder made unwritable (chattr +i, since root ignores the
#      mode bits) the data file goes to %APPDATA%\Pulsewick: the first start
#      reads the one beside the program, the next the one it wrote there; the
#      settings are read and stored as before;
#   3. with the user's folder made unwritable too, the exit says what could
#      not be written and where, once, and leaves both files as they were.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

main_title="Pulsewick 1.01"
folder="$E2E_OUT/Übungen 練習 Ασκήσεις"
user_folder=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Pulsewick
# The folders are made writable again whatever happens.
trap 'chattr -i -- "$folder" "$user_folder" 2>/dev/null || true; e2e_cleanup' EXIT
chattr -i -- "$folder" 2>/dev/null || true
rm -rf -- "$folder"
mkdir -p -- "$folder"
cp -- "$E2E_BUILD/Pulsewick.exe" "$folder/"
E2E_PROGRAM_DIR=$folder
test_settings
test_data_file
data_file=$E2E_DATA_FILE
user_data_file=$E2E_USER_DATA_FILE

# run_once: starts the program, waits for its window, closes it.
run_once() {
    start_program
    wait_for_window "$main_title" >/dev/null
    close_window "$main_title"
    wait_for_exit 20
    ((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"
}

# same_bytes <expected> <file> <what>
same_bytes() {
    [[ -e $2 ]] || e2e_fail "$3: no file $2"
    cmp -s "$1" "$2" || e2e_fail "$3: $(cmp "$1" "$2" 2>&1)"
}

# 1. Beside the program.
data_file_bytes >"$E2E_OUT/any_folder.default.da_"
data_file_bytes 0 1 129 Kick >"$E2E_OUT/any_folder.kick.da_"
data_file_bytes 1 2 131 Snare >"$E2E_OUT/any_folder.snare.da_"
run_once
same_bytes "$E2E_OUT/any_folder.default.da_" "$data_file" "the first run's data file beside the program"
rm -f -- "$E2E_OUT/any_folder.reg"
wine reg export "$E2E_SETTINGS_KEY" "$(winepath -w "$E2E_OUT/any_folder.reg" 2>/dev/null)" /y </dev/null >/dev/null 2>&1 ||
    e2e_fail "cannot export the settings"
app_path=$(iconv -f UTF-16 -t UTF-8 "$E2E_OUT/any_folder.reg" | tr -d '\r' | sed -n 's/^"App Path"="\(.*\)"$/\1/p')
expected_path="$(winepath -w "$folder" 2>/dev/null)\\"
[[ $app_path == "${expected_path//\\/\\\\}" ]] || e2e_fail "\"App Path\" is $app_path, not $expected_path"
cp -- "$E2E_OUT/any_folder.kick.da_" "$data_file"
run_once
same_bytes "$E2E_OUT/any_folder.kick.da_" "$data_file" "the data file beside the program after the next run"
[[ ! -e $user_data_file ]] || e2e_fail "a data file was written to $user_data_file"

# 2. The program's folder cannot be written.
wine reg add "$E2E_SETTINGS_KEY" /v "User Beat Mode" /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1 ||
    e2e_fail "cannot set the settings in the registry"
chattr +i -- "$folder"
! touch -- "$folder/probe" 2>/dev/null || e2e_fail "chattr +i leaves $folder writable"
run_once
same_bytes "$E2E_OUT/any_folder.kick.da_" "$user_data_file" "the data file in the user's folder, from the one beside the program"
cp -- "$E2E_OUT/any_folder.snare.da_" "$user_data_file"
run_once
same_bytes "$E2E_OUT/any_folder.snare.da_" "$user_data_file" "the data file in the user's folder after the next run"
same_bytes "$E2E_OUT/any_folder.kick.da_" "$data_file" "the data file beside the unwritable program"
[[ $(reg_get "User Beat Mode") == 0x1 ]] || e2e_fail "\"User Beat Mode\" is $(reg_get "User Beat Mode"), not 1"
[[ -z $(find "$folder" "$user_folder" -name 'pw*.tmp') ]] || e2e_fail "temporary files were left behind"

# 3. Neither place can be written.
chattr +i -- "$user_folder"
start_program
wait_for_window "$main_title" >/dev/null
close_window "$main_title"
box=$(wait_for_window Pulsewick)
screenshot "$box" any_folder_exit_message.png
send_message Pulsewick WM_COMMAND 1 # OK
# A second message would keep the program from ending.
wait_for_exit 20
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS after its message"
same_bytes "$E2E_OUT/any_folder.snare.da_" "$user_data_file" "the data file in the unwritable user's folder"
chattr -i -- "$folder" "$user_folder"
echo "any folder: data file beside the program in \"$(basename "$folder")\", then in the user's folder"
