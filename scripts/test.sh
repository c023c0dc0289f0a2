#!/bin/sh
# Sets up what is missing, builds everything and runs every test: the portable code natively
# (with sanitizers and bounded fuzzing), the Windows code under Wine on a private Xvfb display.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --native

# A display of our own, stopped on exit, whatever the user has.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
rm -f "$displayfile"
export WINEPREFIX="$root/build/win/wineprefix"
cleanup() {
    WINEPREFIX="$root/build/win/wineprefix" wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

"$root/tools/wine-prefix" "$WINEPREFIX"
# One wineserver and one set of Wine's services for the whole run, started with their output
# elsewhere: services started by a test program would hold its output pipe open.
WINEDEBUG=-all wineserver -p
WINEDEBUG=-all wine cmd /c exit </dev/null >/dev/null 2>&1

status=0
ctest --test-dir "$root/build/native" --output-on-failure -j 2 || status=1
ctest --test-dir "$root/build/win" --output-on-failure || status=1
exit $status
