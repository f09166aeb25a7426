#!/usr/bin/env bash
# bench.sh [seconds [tempo note]]
#
# Builds the click benchmark of the Windows preset and runs it headless under
# Wine: once at the given tempo and note value, or else at 60, 100, 180 and
# 300 bpm in quarter notes and at 300 bpm in sixteenths. Each run plays click
# mode for the given seconds (default 60) while the null sink is recorded, and
# prints how well the heard clicks keep time. Then the same through the main
# window (its start button, tick and needle) at 100 bpm, or at the given tempo
# in quarter notes, and the needle alone at that tempo, with its processor
# time and how far its swings begin from their clicks. Last the program's own
# output stream plays the same tempo (113 bpm in sixteenths by default)
# through WASAPI, through DirectSound and without a device, with its latency,
# open time and processor time. It asserts nothing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
seconds=${1:-60}

cmake --preset windows >/dev/null
cmake --build --preset windows --target click_bench mainwnd_bench needle_bench stream_bench
"$root/scripts/headless.sh" start "$build"
trap '"$root/scripts/headless.sh" stop "$build"' EXIT

run() {
    "$root/scripts/wine-run.sh" "$build/headless.env" "$build/click_bench.exe" "$seconds" "$1" "$2"
    echo
}

if [[ $# -ge 3 ]]; then
    run "$2" "$3"
else
    for setting in "60 4" "100 4" "180 4" "300 4" "300 16"; do
        # shellcheck disable=SC2086
        run $setting
    done
fi
if [[ $# -lt 3 || $3 == 4 ]]; then
    "$root/scripts/wine-run.sh" "$build/headless.env" "$build/mainwnd_bench.exe" "$seconds" "${2:-100}"
    echo
    "$root/scripts/wine-run.sh" "$build/headless.env" "$build/needle_bench.exe" "$seconds" "${2:-100}"
fi
for device in auto dsound none; do
    echo
    "$root/scripts/wine-run.sh" "$build/headless.env" "$build/stream_bench.exe" "$seconds" "${2:-113}" "${3:-16}" \
        "$device"
done
