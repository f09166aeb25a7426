#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and runs it under Wine
# on your display. Without a reachable display ($DISPLAY unset, or not
# authorised) it runs on a private Xvfb display instead and says how to look.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$root/build/windows

"$root/scripts/install-deps.sh"

mkdir -p "$root/build"
log=$root/build/run-build.log
if ! { cmake --preset windows && cmake --build --preset windows --target Pulsewick; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "run.sh: the build failed (whole log: $log)" >&2
    exit 1
fi

export WINEDEBUG=-all
# Wine would otherwise offer to download Mono and Gecko.
export WINEDLLOVERRIDES='mscoree,mshtml='

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    # A prefix of its own with Wine's defaults: unlike the test prefix its
    # windows are managed by your window manager.
    export WINEPREFIX=$build/desktop-prefix
    if [[ ! -f $WINEPREFIX/.pw-ready ]]; then
        echo "Creating the Wine prefix $WINEPREFIX (once, about 20 s)"
        rm -rf -- "$WINEPREFIX"
        wineboot -i >"$root/build/wineboot.log" 2>&1 </dev/null
        wineserver -w
        touch "$WINEPREFIX/.pw-ready"
    fi
    # Debian's Wine does not load its own fonts from where fonts-wine puts them.
    for font in /usr/share/wine/fonts/*; do
        if [[ -e $font ]]; then
            ln -sfn "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        fi
    done
    exec wine "$build/Pulsewick.exe" "$@"
fi

if [[ -n ${DISPLAY:-} ]]; then
    echo "Cannot open the display $DISPLAY (as another user? try: xhost +si:localuser:$(id -un))"
fi
# Its own environment, apart from the one the tests start and stop.
headless=$root/build/run-headless
"$root/scripts/headless.sh" start "$headless"
trap '"$root/scripts/headless.sh" stop "$headless"' EXIT
. "$headless/headless.env"
echo "No display: Pulsewick runs on a private Xvfb display $DISPLAY, which you cannot see."
echo "To look at it: DISPLAY=$DISPLAY import -window root pulsewick.png"
echo "Press Ctrl-C to end it."
rc=0
wine "$build/Pulsewick.exe" "$@" </dev/null || rc=$?
exit "$rc"
