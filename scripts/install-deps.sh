#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Pulsewick need,
# only those missing, as root or through sudo. Running it again changes nothing.
set -euo pipefail

packages=(
    # build
    cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    clang libclang-rt-14-dev libgtest-dev googletest clang-format
    # the Windows program under Wine: 64-bit Wine alone runs it, so no i386
    # architecture; Wine's own fonts draw captions and dialogs as on Windows
    wine wine64 fonts-wine
    # Liberation Sans has Arial's metrics, and Wine draws Arial in it where
    # there is no Arial: text takes the room it takes on Windows
    fonts-liberation2
    # libraries Wine's X11 driver loads at run time (only recommended)
    libxrender1 libxcursor1 libxi6 libxrandr2 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
    # headless display, window control and screenshots
    xvfb x11-utils xdotool imagemagick
    # a sound server whose null sink is the test machine's sound device
    pulseaudio pulseaudio-utils sox
    # the benchmark's probe: the sound server's clock, screen grabs, mouse presses
    libpulse-dev libx11-dev libxext-dev libxtst-dev
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$package")
done
((${#missing[@]} > 0)) || exit 0

if ((EUID == 0)); then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "install-deps.sh: missing packages: ${missing[*]}" >&2
    echo "install-deps.sh: run as root or install sudo" >&2
    exit 1
fi

echo "Installing ${missing[*]}"
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX")
trap 'rm -f -- "$log"' EXIT
apt_get=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o Dpkg::Use-Pty=0)
if ! { "${apt_get[@]}" update && "${apt_get[@]}" install --no-install-recommends "${missing[@]}"; } \
    </dev/null >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "install-deps.sh: apt-get failed" >&2
    exit 1
fi
