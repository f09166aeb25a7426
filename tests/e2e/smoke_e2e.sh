#!/usr/bin/env bash
# The real program starts under Wine, shows its main window, closes on WM_CLOSE
# and ends; the sound it could play is recorded meanwhile.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

title="Pulsewick 1.01"
test_settings
start_recording smoke.wav
start_program
id=$(wait_for_window "$title")

screenshot "$id" smoke.png
read -r width height < <(xwininfo -id "$id" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
size=$(identify -format '%w %h' "$E2E_OUT/smoke.png")
[[ $size == "$width $height" ]] || e2e_fail "screenshot is $size, the window ${width}x$height"
colours=$(identify -format '%k' "$E2E_OUT/smoke.png")
((colours > 4)) || e2e_fail "the window shows only $colours colours"

close_window "$title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"
[[ -z $(find_window "$title") ]] || e2e_fail "the window is still shown after the program ended"

stop_recording
seconds=$(soxi -D "$E2E_OUT/smoke.wav")
awk -v s="$seconds" 'BEGIN { exit !(s >= 0.2) }' || e2e_fail "the recording holds only $seconds s"
