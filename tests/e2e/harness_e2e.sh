#!/usr/bin/env bash
# wine-run.sh, through which ctest runs every Windows test, shows the program's
# output and passes its exit code on: otherwise a failing test would pass.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

wine_run=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh

rc=0
out=$("$wine_run" "$E2E_ENV" "$E2E_BUILD/sendmsg.exe" "no such window" WM_CLOSE 2>&1) || rc=$?
((rc == 1)) || e2e_fail "a program that exits with 1 gave $rc"
[[ $out == *'no window titled "no such window"'* ]] || e2e_fail "the program's output was lost: $out"

rc=0
"$wine_run" "$E2E_ENV" "$E2E_BUILD/sendmsg.exe" >/dev/null 2>&1 || rc=$?
((rc == 2)) || e2e_fail "a program that exits with 2 gave $rc"
