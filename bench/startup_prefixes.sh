#!/bin/sh
# Start-up of the program in the desktop prefix (the one scripts/run.sh uses: windows managed
# by the window manager) beside the tests' prefix (unmanaged windows), in one run: rounds of
# startup_bench.exe alternate between the two on a private Xvfb display with openbox running,
# and the medians over the rounds are printed with the bare-dialog floor of each prefix.
# Usage: sh bench/startup_prefixes.sh [rounds] [runs per round]   (after a Windows build)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5} runs=${2:-5}
bin="$root/build/win/bin"
[ -x "$bin/startup_bench.exe" ] || { echo "build first: ./scripts/build.sh" >&2; exit 1; }

work=$(mktemp -d)
displayfile="$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
XDG_CONFIG_HOME="$work" XDG_CACHE_HOME="$work" openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id" && break; sleep 0.1; done
# Wine's servers end by themselves a few seconds after their last program.
cleanup() {
    kill "$wm" "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
# An interrupt ends the run (and so cleans up) rather than going on to the next step.
trap cleanup EXIT
trap 'exit 130' INT TERM

# One line per program and round: launcher, program, median ms.
cd "$bin"
for round in $(seq "$rounds"); do
    for launcher in wine-run wine-desktop; do
        "../$launcher" startup_bench.exe "$runs" |
            sed -n "s/^  \(.\{34\}\) *\([0-9.]*\) ms .*/$launcher|\1|\2/p" |
            sed 's/ *|/|/g' >>"$work/samples"
    done
    echo "round $round of $rounds done" >&2
done

awk -F'|' '
    { key = $1 "|" $2; n[key]++; v[key, n[key]] = $3; if (!(key in seen)) { seen[key]; order[++k] = key } }
    function median(key,   i, j, t, m) {
        m = n[key]
        for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++)
            if (v[key, j] < v[key, i]) { t = v[key, i]; v[key, i] = v[key, j]; v[key, j] = t }
        return v[key, int((m + 1) / 2)]
    }
    END {
        printf "Start to first complete paint, median over %d rounds (openbox running):\n", n[order[1]]
        for (i = 1; i <= k; i++) med[order[i]] = median(order[i])
        for (i = 1; i <= k; i++) {
            split(order[i], part, "|")
            prefix = part[1] == "wine-run" ? "tests prefix (unmanaged)" : "desktop prefix (managed)"
            floor = med[part[1] "|bare dialog, template 102 (floor)"]
            printf "  %-26s %-34s %7.1f ms  x%.2f of its floor\n", prefix, part[2], med[order[i]], med[order[i]] / floor
        }
        printf "Desktop / tests, Tintwright.exe: x%.2f\n", med["wine-desktop|Tintwright.exe"] / med["wine-run|Tintwright.exe"]
    }' "$work/samples"
