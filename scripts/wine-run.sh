#!/usr/bin/env bash
# wine-run.sh <env file> <exe> [args...]
#
# Runs a Windows program under Wine inside the environment that headless.sh
# wrote, streams its output and exits with its exit code (a crash gives 5, an
# abort 3). Wine's background processes inherit the output of the program they
# start with, so the program writes to a file rather than to our stdout: a
# pipe that wineserver holds open would keep ctest waiting after the test ends.
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 <env file> <exe> [args...]" >&2
    exit 2
fi
env_file=$1
shift
if [[ ! -r $env_file ]]; then
    echo "wine-run.sh: no $env_file: run scripts/headless.sh start <build dir> first" >&2
    exit 2
fi
. "$env_file"

out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine_pid=
tail_pid=
cleanup() {
    [[ -z $wine_pid ]] || kill "$wine_pid" 2>/dev/null || true
    [[ -z $tail_pid ]] || kill "$tail_pid" 2>/dev/null || true
    rm -f -- "$out"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

wine "$@" </dev/null >"$out" 2>&1 &
wine_pid=$!
tail -n +1 -f --pid="$wine_pid" "$out" &
tail_pid=$!
rc=0
wait "$wine_pid" || rc=$?
wine_pid=
# tail reads to the end once it sees the program gone.
wait "$tail_pid" || true
tail_pid=
exit "$rc"
