#!/usr/bin/env bash
# gtick_bench.sh <env file> <seconds> <cpu seconds> <wineserver pid>
#
# GTick, another metronome, beside Pulsewick in the same benchmark run: on the
# same headless display and null sink, at 113 bpm, recorded by the same probe
# ($PW_PROBE) for <seconds>, then its processor time. scripts/bench.sh
# installs it. Prints figures and asserts nothing.
set -euo pipefail
env_file=$1 seconds=$2 cpu_seconds=$3 wineserver=$4
probe=${PW_PROBE:?PW_PROBE names the probe}
. "$env_file"

home=$(mktemp -d "${TMPDIR:-/tmp}/gtick-bench.XXXXXX")
pid=
cleanup() {
    [[ -z $pid ]] || kill "$pid" 2>/dev/null || true
    rm -rf -- "$home"
}
trap cleanup EXIT

# Its own settings file, as it writes it: 113 bpm, even meter.
cat >"$home/.gtickrc" <<'RC'
SampleFilename = <default>
SoundDevice = /dev/dsp
CommandOnStart = 
CommandOnStop = 
MinBPM = 30
MaxBPM = 250
Speed = 113
Volume = 100
Meter = 1
ShowAccentTable = 0
Accents = 1
ShowProfiles = 0
ProfileSelected = 1
VisualTick = 0
RC
HOME=$home gtick </dev/null >"$home/gtick.log" 2>&1 &
pid=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --name '^GTick' 2>/dev/null | head -n 1 || true)
    [[ -z $window ]] || break
    sleep 0.1
done
[[ -n $window ]] || {
    echo "gtick_bench.sh: GTick shows no window" >&2
    exit 1
}
read -r x y < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
sleep 1
echo "== GTick $(dpkg-query -W -f='${Version}' gtick), 113 bpm"
# Its Start button, in the middle of the window's bottom row.
PW_BENCH_ROW="113 bpm 1/4, ${seconds} s" "$probe" listen "$seconds" 113 4 --press $((x + 212)) $((y + 254))
echo "== GTick playing 113 bpm"
PW_BENCH_ROW="playing 113 bpm" "$probe" cpu "$cpu_seconds" "$pid" "$wineserver"
