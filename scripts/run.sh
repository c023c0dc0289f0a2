#!/bin/sh
# Sets up what is missing, builds Tintwright and starts it under Wine on this display, in a
# prefix of the build tree whose windows the desktop's window manager frames like any other.
# ./scripts/run.sh FILE opens a scheme file or a picture of this desktop at the start.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "$DISPLAY" ]; then
    echo "Tintwright needs a graphical display, and DISPLAY is not set: run this from a desktop session (or ssh -X)." >&2
    exit 1
fi
"$root/scripts/setup.sh" --run-only
if ! xdpyinfo >/dev/null 2>&1; then
    echo "Tintwright needs a graphical display, but the display \"$DISPLAY\" does not answer: is its X server running, and may this user open windows on it (xauth, xhost)?" >&2
    exit 1
fi
TW_WIN_CMAKE_ARGS="-DTW_BUILD_TESTS=OFF" "$root/scripts/build.sh"
if [ $# -eq 0 ]; then
    exec "$root/build/win/wine-desktop" "$root/build/win/bin/Tintwright.exe"
fi
# A file to open (./scripts/run.sh FILE): its Linux path as Wine names it, on drive Z:.
case "$1" in
/*) file=$1 ;;
*) file=$PWD/$1 ;;
esac
file=$("$root/build/win/wine-desktop" winepath -w "$file" | tr -d '\r')
exec "$root/build/win/wine-desktop" "$root/build/win/bin/Tintwright.exe" "$file"
