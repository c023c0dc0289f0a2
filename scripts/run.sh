#!/bin/sh
# Sets up what is missing, builds Tintwright and starts it on this display under Wine.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "$DISPLAY" ]; then
    echo "Tintwright needs a graphical display: run this from a desktop session (or ssh -X)." >&2
    exit 1
fi
"$root/scripts/setup.sh" --run-only
TW_WIN_CMAKE_ARGS="-DTW_BUILD_TESTS=OFF" "$root/scripts/build.sh"
exec "$root/build/win/wine-run" "$root/build/win/bin/Tintwright.exe"
