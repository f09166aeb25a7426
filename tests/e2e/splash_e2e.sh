#!/usr/bin/env bash
# First launch: the About picture shows as a splash centred on the screen,
# locked for five seconds, before the main window. Unticking "Show this dialog
# in the future" and pressing Start stores "Show Splash" = 0 at exit, and the
# next launch comes straight up with the main window. The mode switch plays its
# animation and ends with the custom beat button enabled.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

main_title="Pulsewick 1.01"
test_settings
wine reg delete "$E2E_SETTINGS_KEY" /v "Show Splash" /f </dev/null >/dev/null 2>&1 || true

# The splash has no caption: it is the program's only visible window then.
splash_window() {
    xdotool search --onlyvisible --class 'pulsewick.exe' 2>/dev/null | head -n 1 || true
}

start_program
deadline=$((SECONDS + 20))
while [[ -z ${splash:=$(splash_window)} ]]; do
    ((SECONDS < deadline)) || e2e_fail "no splash within 20 s"
    e2e_running "$PROGRAM_PID" || e2e_fail "the program ended before showing the splash"
    sleep 0.1
    splash=
done
sleep 0.5
screenshot "$splash" splash.png
read -r x y width height < <(xwininfo -id "$splash" |
    awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
         /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
((width == 500 && height == 370)) || e2e_fail "the splash is ${width}x$height, not 500x370"
dx=$((x - (screen_w - width) / 2))
dy=$((y - (screen_h - height) / 2))
((dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2)) || e2e_fail "the splash at ($x, $y) is not centred on ${screen_w}x$screen_h"
[[ -z $(find_window "$main_title") ]] || e2e_fail "the main window shows before the splash closes"

# The check box (7, 170 dialog units: its box at 14, 340 pixels) shows its
# tick grey while the splash is locked, black once it may be used, and none
# when unticked. The middle of the box tells which.
tick() {
    darkest "$splash" 17 344 7 7
}
unlocked() { (($(tick) < 60)); }
unticked() { (($(tick) > 200)); }

# Locked: Enter does nothing for five seconds.
unlocked && e2e_fail "the splash is not locked when it shows"
send_key "$splash" Return
sleep 1
[[ -n $(splash_window) ]] || e2e_fail "Enter closed the splash while it was locked"
wait_until 15 "the splash did not unlock" unlocked
# Untick the check box, then Start: the splash goes and the main window comes.
click_in "$splash" 0 0 30 348
wait_until 5 "the click did not untick the check box" unticked
send_key "$splash" Return
wait_until_gone "$splash"
read -r main_id border top < <(wait_for_client "$main_title" 344 292)

# The mode switch: the animation covers the two buttons, then the custom beat
# button is enabled and takes the focus.
switch_to_user_beat "$main_id" "$border" "$top"
screenshot "$main_id" splash_user_beat.png

close_window "$main_title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"
[[ $(reg_get "Show Splash") == 0x0 ]] || e2e_fail "\"Show Splash\" is $(reg_get "Show Splash") after unticking, not 0"
[[ $(reg_get "User Beat Mode") == 0x1 ]] || e2e_fail "\"User Beat Mode\" was not stored as 1"

# The next launch shows no splash and starts in user beat mode.
start_program
main_id=$(wait_for_window "$main_title" 20)
[[ $(xdotool search --onlyvisible --class 'pulsewick.exe' | wc -l) -eq 1 ]] || e2e_fail "a second window shows beside the main window"
close_window "$main_title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS after the second start"
