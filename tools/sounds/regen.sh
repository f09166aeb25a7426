#!/bin/bash
# Regenerates res/wav/*.wav and res/sounds.rc. Installs Debian's numpy first if
# it is missing (apt-get needs root). Extra arguments go to make_sounds.py.
set -euo pipefail
cd "$(dirname "$0")"
if ! /usr/bin/python3 -c 'import numpy' 2>/dev/null; then
    apt-get update
    apt-get install -y python3-numpy
fi
exec /usr/bin/python3 make_sounds.py "$@"
