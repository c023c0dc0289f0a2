#!/bin/bash
# Sets up what is missing, builds everything and runs every test: the portable code natively
# (with sanitizers and bounded fuzzing), the Windows code under Wine on a private Xvfb display.
set -eo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --native

# A display of our own, stopped on exit, whatever the user has. -noreset: by default the server
# resets whenever its last client leaves, and a program connecting meanwhile is refused.
displayfile=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
rm -f "$displayfile"
export WINEPREFIX="$root/build/win/wineprefix"
cleanup() {
    WINEPREFIX="$root/build/win/wineprefix" wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
# An interrupt ends the run (and so cleans up) rather than going on to the next step.
trap cleanup EXIT
trap 'exit 130' INT TERM

"$root/tools/wine-prefix" tests "$WINEPREFIX"
# Every Wine program of the run starts without address randomization (tools/norandom says why);
# the programs that the tests start inherit it.
norandom="$root/tools/norandom"
# One wineserver and one set of Wine's services for the whole run, started with their output
# elsewhere: services started by a test program would hold its output pipe open.
WINEDEBUG=-all "$norandom" wineserver -p
WINEDEBUG=-all "$norandom" wine cmd /c exit </dev/null >/dev/null 2>&1
# A program that lives for the whole run, as a user's session does, so that Wine's desktop
# process starts once: without one it ends a second or two after each test program and starts
# again with the next. It reads commands until the end; named in full, it is one process (a bare
# "cmd" runs through start.exe).
session=$(mktemp -u)
mkfifo "$session"
WINEDEBUG=-all "$norandom" wine 'C:\windows\system32\cmd.exe' <"$session" >/dev/null 2>&1 &
exec 4>"$session"
rm -f "$session"

# Xvfb and Chromium are here, so an end-to-end module that would skip fails instead; so does a
# GoogleTest program with a skipped test (ImageMagick and the locked folder are here too).
export TW_E2E_SKIP_IS_FAILURE=1 TW_GTEST_SKIP_IS_FAILURE=1

status=0
log="$root/build/test-summary.log"
: >"$log"
ctest --test-dir "$root/build/native" --output-on-failure -j 2 | tee -a "$log" || status=1
# The Windows tests share one display and one clipboard: one at a time. Wine's errors go to the
# test's output, which is shown when it fails.
WINEDEBUG=-all,err+all "$norandom" ctest --test-dir "$root/build/win" --output-on-failure | tee -a "$log" || status=1

# One closing line for both runs.
sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" |
    awk '{ failed += $1; total += $2 } END { printf "%d passed, %d failed\n", total - failed, failed }'
exit $status
