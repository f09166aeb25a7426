#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs the whole test suite
# headless: native tests directly, Windows tests under Wine on a private Xvfb
# display even when you have a display of your own. Build and test logs go to
# build/logs/. The last line is "tests: N passed, M failed" (a preset that
# fails to build counts as one failure); the exit status is non-zero when
# anything failed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

unset DISPLAY
logs=$root/build/logs
mkdir -p "$logs"
# ctest stops the headless environment itself; this covers an interrupted run.
trap '"$root/scripts/headless.sh" stop "$root/build/windows" || true' EXIT

passed=0
failed=0

# build <preset>: configures and builds quietly; shows the log if it fails.
build() {
    local log=$logs/$1-build.log start=$SECONDS
    if { cmake --preset "$1" && cmake --build --preset "$1"; } >"$log" 2>&1; then
        echo "$1: built in $((SECONDS - start)) s"
        return 0
    fi
    tail -n 60 "$log"
    echo "$1: build failed (whole log: $log)"
    failed=$((failed + 1))
    return 1
}

# run_tests <preset>: runs ctest, shows its log if anything failed, and adds
# to the totals.
run_tests() {
    local log=$logs/$1-ctest.log start=$SECONDS rc=0
    ctest --preset "$1" </dev/null >"$log" 2>&1 || rc=$?
    local summary total=0 bad=0
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [[ -n $summary ]]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    fi
    if ((rc != 0 && bad == 0)); then
        # ctest itself failed (no tests found, bad preset): count it.
        bad=1
        total=$((total + 1))
    fi
    if ((bad > 0)); then
        cat "$log"
    fi
    echo "$1: $((total - bad)) passed, $bad failed in $((SECONDS - start)) s"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

for preset in native windows; do
    if build "$preset"; then
        run_tests "$preset"
    fi
done

echo "tests: $passed passed, $failed failed"
((failed == 0))
