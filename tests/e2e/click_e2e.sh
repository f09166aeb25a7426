#!/usr/bin/env bash
# The real program under Wine, driven with the mouse: start plays 4/4 at 100
# bpm, a click every 600 ms with the accent (the higher, louder click) on every
# fourth; three beats chosen in the beat popup restart the bar with the accent
# on every third. Screenshots of the window stopped, playing and with the
# popup open are left in <build dir>/e2e/.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

title="Pulsewick 1.01"
recording=$E2E_OUT/click.wav

test_settings
start_program
id=$(wait_for_window "$title")
sleep 1

# Dialog 102 is 172 x 146 units, 344 x 292 pixels with the System font; the
# rest of the X window is Wine's frame and caption.
read -r width height < <(xwininfo -id "$id" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
border=$(((width - 344) / 2))
top=$((height - 292 - border))
((border >= 0 && border <= 10 && top >= 0 && top <= 40)) ||
    e2e_fail "window ${width}x$height does not frame a 344x292 client area"
click_at() {
    xdotool mousemove --window "$id" $((border + $1)) $((top + $2)) click 1
}

screenshot "$id" click_stopped.png

start_recording click.wav
rate=$(soxi -r "$recording")
frame_bytes=$(($(soxi -c "$recording") * 2))
# Where the recording has got to, in ms: what parec has written so far.
recorded_ms() {
    local bytes
    bytes=$(stat -c %s "$recording")
    echo $(((bytes - 44) * 1000 / frame_bytes / rate))
}

press_before=$(recorded_ms)
click_at 288 31 # start
press_after=$(recorded_ms)
sleep 10
screenshot "$id" click_playing.png

# The popup's whole rectangle, once open (static 1013 about the button's middle).
popup=($((border + 123)) $((top + 225)) 106 60)
before=$(region_sum "$id" "${popup[@]}")
click_at 176 255 # the beat button opens the popup over itself
wait_until_settled 5 "the beat popup did not open" "$before" "$id" "${popup[@]}"
change_before=$(recorded_ms)
click_at 146 271 # the popup's bottom left corner: one beat fewer
change_after=$(recorded_ms)
sleep 0.3
screenshot "$id" click_popup.png
sleep 6
stop_recording

close_window "$title"
wait_for_exit 10
((PROGRAM_STATUS == 0)) || e2e_fail "the program exited with $PROGRAM_STATUS"

clicks=$E2E_OUT/click.clicks.txt
wine "$E2E_BUILD/clicks.exe" "$recording" </dev/null 2>"$E2E_OUT/click.clicks.log" | tr -d '\r' >"$clicks" ||
    e2e_fail "clicks.exe failed: $(cat "$E2E_OUT/click.clicks.log")"

# check <from ms> <to ms> <beats>: the clicks heard in the window come one
# tick apart (no click lost or doubled), the accent first and then on every
# <beats>th; prints the count, the median and the largest deviation of the
# intervals from 600 ms, the first onset and the mean levels. The sound path
# delays single clicks by a few tens of ms, so the tempo is judged by the
# median interval.
check() {
    awk -v from="$1" -v to="$2" -v beats="$3" '
        $1 >= from && $1 < to {
            n++
            if (n > 1) {
                ioi = $1 - last
                if (ioi < 300 || ioi > 900) { printf "interval %.1f ms before %.1f ms\n", ioi, $1; bad = 1 }
                iois[n - 1] = ioi
                dev = ioi > 600 ? ioi - 600 : 600 - ioi
                if (dev > worst) worst = dev
            } else {
                first = $1
            }
            want = ((n - 1) % beats == 0) ? "accent" : "click"
            if ($2 != want) { printf "click %d at %.1f ms is %s, not %s\n", n, $1, $2, want; bad = 1 }
            if ($2 == "accent") { acc += $3; na++ } else { clk += $3; nc++ }
            last = $1
        }
        END {
            if (n < 3) { print "only " n " clicks"; exit 1 }
            m = n - 1
            for (i = 1; i <= m; i++)
                for (j = i + 1; j <= m; j++)
                    if (iois[j] < iois[i]) { t = iois[i]; iois[i] = iois[j]; iois[j] = t }
            median = (m % 2) ? iois[(m + 1) / 2] : (iois[m / 2] + iois[m / 2 + 1]) / 2
            printf "%d %.1f %.1f %.1f %.1f %.1f\n", n, median, worst, first, acc / na, (nc ? clk / nc : -99)
            exit bad
        }' "$clicks"
}

before=$(check "$press_before" "$change_before" 4) || e2e_fail "4/4: $before"
read -r count4 median4 worst4 first4 accent_db click_db <<<"$before"
((count4 >= 15)) || e2e_fail "4/4: only $count4 clicks in 10 s"
awk -v m="$median4" 'BEGIN { exit !(m >= 595 && m <= 605) }' || e2e_fail "4/4: median interval $median4 ms"
awk -v a="$accent_db" -v c="$click_db" 'BEGIN { exit !(a > c + 1 && c > -6.5 && c < -3.5) }' ||
    e2e_fail "levels: accent $accent_db dBFS, click $click_db dBFS"

# After the change the bar starts again a period later with an accent. Clicks
# of the old bar still on their way through the sound path (well under 300 ms)
# may be heard just after the change.
after=$(check $((change_after + 300)) 1e9 3) || e2e_fail "3/4: $after"
read -r count3 median3 worst3 first3 _ _ <<<"$after"
((count3 >= 8)) || e2e_fail "3/4: only $count3 clicks"
awk -v m="$median3" 'BEGIN { exit !(m >= 595 && m <= 605) }' || e2e_fail "3/4: median interval $median3 ms"

echo "start to first click: $((${first4%.*} - press_after)) to $((${first4%.*} - press_before)) ms" \
    "(the first tick comes one period, 600 ms, after start)"
echo "beat change to first click: $((${first3%.*} - change_after)) to $((${first3%.*} - change_before)) ms"
echo "4/4: $count4 clicks, median interval $median4 ms, largest deviation $worst4 ms"
echo "3/4: $count3 clicks, median interval $median3 ms, largest deviation $worst3 ms"
echo "levels: accent $accent_db dBFS, click $click_db dBFS"
echo "screenshots: $E2E_OUT/click_stopped.png $E2E_OUT/click_playing.png $E2E_OUT/click_popup.png"
