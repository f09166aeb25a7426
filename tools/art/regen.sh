#!/bin/sh
# Regenerates res/bmp/*.bmp, res/icon/pulsewick.ico, res/bitmaps.rc and
# res/bitmap_ids.h.
# The outputs are committed; the build never runs this.
set -eu
export PYTHONDONTWRITEBYTECODE=1
here=$(cd "$(dirname "$0")" && pwd)
res="$here/../../res"
need=""
/usr/bin/python3 -c 'import PIL, numpy' 2>/dev/null || need="python3-pil python3-numpy"
[ -f /usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf ] || need="$need fonts-liberation2"
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf ] || need="$need fonts-dejavu-extra"
if [ -n "$need" ]; then
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $need
fi
/usr/bin/python3 "$here/generate.py" "$res"
/usr/bin/python3 "$here/check.py" "$res" "${1:-}"
