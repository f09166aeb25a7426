#!/usr/bin/env bash
# Sound comes back after the sound server restarts: the output stream's case
# that restarts it, run on its own, and then Wine restarted, since Wine's
# services keep the old server's state and later programs would start
# differently.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
e2e_init "$@"

root=$(cd "$(dirname "$0")/../.." && pwd)
status=0
PW_SOUND_SERVER_RESTART=1 "$root/scripts/wine-run.sh" "$E2E_ENV" "$E2E_BUILD/output_stream_test.exe" \
    --gtest_filter=OutputStream.SoundComesBackAfterTheSoundServerRestarts >"$E2E_OUT/$E2E_NAME.log" 2>&1 ||
    status=$?
cat "$E2E_OUT/$E2E_NAME.log"
"$root/scripts/headless.sh" restart-wine "$E2E_BUILD" || e2e_fail "Wine did not restart"
((status == 0)) || e2e_fail "the stream's test failed ($status)"
grep -q '\[  PASSED  \] 1 test' "$E2E_OUT/$E2E_NAME.log" || e2e_fail "the case did not run"
