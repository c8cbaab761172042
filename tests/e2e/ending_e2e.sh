#!/bin/bash
# Ends wendal under Xvfb by every route a desktop has: File > Exit, SIGTERM, SIGINT, SIGHUP, the
# window destroyed by another client, the X connection killed. Each run changes a setting (the
# 2x2 window) and must keep it, and ends with the expected status. Then a FIFO where the settings
# file and where spectrum.rom belong must not hold up the start.
# Usage: ending_e2e.sh WENDAL DEPTH
set -u
WENDAL=$1 DEPTH=$2

. "$(dirname "$0")/x_session.sh"
NeedTools openbox xdotool xwininfo xprop
StartScratch

CONF() { echo "$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"; }

# Starts wendal on fresh settings and switches it to the 2x2 window, a change the end must keep.
StartAndChange() {
    printf 'Warnings=00\n' >"$(CONF)"
    LaunchWendal
    xdotool windowactivate --sync "$WIN"
    local menu
    menu=$(($(ClientSize | cut -dx -f2) - 240))
    xdotool key F6
    ExpectClient "640x$((menu + 480))" >/dev/null
}

# Waits for wendal to end and checks its status and the setting changed in the run.
ExpectEnd() {
    local route=$1 want=$2 status
    WaitFor 30 eval '! kill -0 $APP_PID 2>/dev/null' || Fail "$route: wendal still running"
    wait $APP_PID
    status=$?
    APP_PID=
    echo "$route: wendal exited with status $status"
    [ $status = "$want" ] || Fail "$route: exit status $status, expected $want: $(cat "$WORK/wendal.log")"
    grep -qx 'Screen Mode=02' "$(CONF)" ||
        Fail "$route: the 2x2 window was not kept: $(cat "$(CONF)")"
}

StartSession

StartAndChange
xdotool key alt+f
sleep 0.5
xdotool key x
ExpectEnd "File > Exit" 0

for signal in TERM INT HUP; do
    StartAndChange
    kill -$signal $APP_PID
    ExpectEnd "SIG$signal" 0
done

StartAndChange
xdotool windowclose "$WIN"
ExpectEnd "window destroyed" 0

# Qt ends the process with status 1 when its X connection breaks.
StartAndChange
xdotool windowkill "$WIN"
ExpectEnd "X connection killed" 1

# A FIFO is never opened for reading: the window comes up at once on the start values.
rm -f "$(CONF)"
mkfifo "$(CONF)"
LAUNCH_SECONDS=60 LaunchWendal
echo "settings file a FIFO: the window came up"
kill -TERM $APP_PID
WaitFor 30 eval '! kill -0 $APP_PID 2>/dev/null' || Fail "wendal still running after SIGTERM"
wait $APP_PID
APP_PID=
[ -p "$(CONF)" ] || Fail "the FIFO was replaced"
rm -f "$(CONF)"

mkdir "$WORK/bin"
cp "$WENDAL" "$WORK/bin/wendal"
mkfifo "$WORK/bin/spectrum.rom"
WENDAL=$WORK/bin/wendal LAUNCH_SECONDS=60 LaunchWendal
title=$(xdotool getwindowname "$WIN")
echo "spectrum.rom a FIFO: window \"$title\""
[[ $title == "ROM - Wendal"* ]] || Fail "title \"$title\": the built-in ROM should run"
kill -TERM $APP_PID
wait $APP_PID
APP_PID=
echo "PASS"
