#!/bin/bash
# The desktop program's real-time figures on a private Xvfb display, sound going to SDL's disk
# writer (which takes it at the device's pace, into a file where the BEEP 2,0 typed is looked
# for): once on an otherwise idle machine, once with two busy processes competing for the
# processors. Usage: desktop_bench.sh BUILD [SECONDS]
set -u
BUILD=$1 SECONDS_RUN=${2:-30}
BENCH=$BUILD/bench/wendal-bench-desktop
command -v Xvfb >/dev/null && command -v openbox >/dev/null ||
    { echo "desktop benchmark skipped: Xvfb or openbox not installed"; exit 0; }
[ -x "$BENCH" ] || { echo "desktop benchmark skipped: $BENCH not built"; exit 0; }

WORK=$(mktemp -d) DEPTH=24
XVFB_PID= WM_PID= BUSY_PIDS=
Cleanup() {
    for pid in $BUSY_PIDS $WM_PID $XVFB_PID; do kill $pid 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap Cleanup EXIT
. "$(dirname "$0")/../tests/e2e/x_session.sh"

StartSession >/dev/null
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/sound.raw
echo "wendal on Xvfb, idle machine (load average $(cut -d" " -f1 /proc/loadavg)):"
"$BENCH" "$SECONDS_RUN" 2>&1 | grep -v "SDL disk\|Writing to file" | sed 's/^/  /'
yes >/dev/null &
BUSY_PIDS=$!
yes >/dev/null &
BUSY_PIDS="$BUSY_PIDS $!"
echo "wendal on Xvfb, two busy processes:"
rm -f "$SDL_DISKAUDIOFILE"
"$BENCH" "$SECONDS_RUN" 2>&1 | grep -v "SDL disk\|Writing to file" | sed 's/^/  /'
