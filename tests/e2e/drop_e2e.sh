#!/bin/bash
# Drops files on the desktop window under Xvfb the way a file manager does, through the XDND
# protocol (xdnd_drop plays the drag source). With Auto-load Tapes on, as on a first run, a tape
# dropped from another program's active window loads itself to its program's first screen
# without a click on the window; a dropped snapshot loads as Open loads it; a file that cannot
# be loaded gets the error box and leaves the machine as it was; of two files dropped at once
# the first loads and a box says so. Each picture is the renderer's own, and the title names
# the file loaded.
# With E2E_SHOTS set to a folder, the screenshots taken are kept there.
# Usage: drop_e2e.sh WENDAL WENDAL_RUN XDND_DROP DATA_DIR DEPTH
set -u
WENDAL=$1 WENDAL_RUN=$2 XDND_DROP=$3 DATA=$4 DEPTH=$5
SHOT_PREFIX=drop

. "$(dirname "$0")/x_session.sh"
NeedTools openbox xdotool xwininfo xprop xmessage import convert compare
StartScratch

# Drops the FILES on the window; the drag must be accepted and finished. DROPPED_AT: when, in ms.
Drop() {
    local out
    DROPPED_AT=$(date +%s%3N)
    out=$("$XDND_DROP" --timeout 10 "$WIN" "$@" 2>&1) || Fail "drop of $*: $out"
    echo "$out"
}

# The time since the last drop.
SinceDrop() { echo "$(($(date +%s%3N) - DROPPED_AT)) ms after the drop"; }

# Waits for the title to name FILE.
ExpectTitle() {
    local want="$(basename "$1") - Wendal"
    WaitFor 20 eval '[ "$(Title)" = "$want" ]'
    echo "title \"$(Title)\""
    [ "$(Title)" = "$want" ] || Fail "title \"$(Title)\", expected \"$want\""
}

# The program's message box: a window of its own titled "Wendal".
MessageBox() {
    xdotool search --all --onlyvisible --pid "$APP_PID" --name '^Wendal$' 2>/dev/null | head -1
}

# Waits for the message box that follows a drop and closes it with Enter; NAME for the shot.
CloseMessageBox() {
    local name=$1 box
    WaitFor 20 eval '[ -n "$(MessageBox)" ]' || Fail "no message box after dropping $name"
    box=$(MessageBox)
    sleep 0.5 # drawn
    Shot "box-$name"
    echo "message box $box, $(SinceDrop)"
    xdotool windowactivate --sync "$box"
    Press Return
    WaitFor 20 eval '[ -z "$(MessageBox)" ]' || Fail "Enter did not close the message box"
    xdotool windowactivate --sync "$WIN"
}

# Drops FILE, which cannot be loaded: the error box shows; the title and the picture (REF) are
# as before.
DropUnloadable() {
    local file=$1 ref=$2 title
    title=$(Title)
    Drop "$file"
    CloseMessageBox "$(basename "$file")"
    [ "$(Title)" = "$title" ] || Fail "title \"$(Title)\" after the failed load, was \"$title\""
    ExpectPicture "$ref" "$(basename "$file") refused: the machine as it was"
}

StartSession
# The references: the BASIC tape auto-loaded, and a snapshot of the machine-code tape run by
# hand. The snapshot's name has a space, written %20 in the dropped URI.
Reference "$WORK/basic.png" 700 "$DATA/basic.tap" --autoload
"$WENDAL_RUN" "$DATA/hello.tap" --type "J SS+P SS+P ENTER" --frames 400 \
    --save "$WORK/my game.z80" >/dev/null || Fail "wendal-run could not save the snapshot"
Reference "$WORK/snapshot.png" 10 "$WORK/my game.z80"
change=$(DiffCount "$WORK/basic.png" "$WORK/snapshot.png")
echo "reference: $change pixels differ between the BASIC tape's screen and the snapshot's"
[ "$change" -gt 100 ] || Fail "the two references look alike"
printf 'not a Spectrum file\n' >"$WORK/notes.txt"
head -c 1000 "$WORK/my game.z80" >"$WORK/cut short.z80"

LaunchWendal
# Dragged from a file manager, whose window is active: the machine waits while its window is
# inactive, so the drop must bring the window up for the tape to load without a click.
xmessage -geometry +600+500 "file manager" 2>/dev/null &
OTHER=$!
WaitFor 20 eval '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = xmessage ]' ||
    Fail "xmessage did not become active"
WaitFor 10 eval '[[ "$(Title)" == *" [Paused]" ]]' || Fail "title \"$(Title)\" while inactive"
Drop "$DATA/basic.tap"
ExpectTitle "$DATA/basic.tap"
ExpectPicture "$WORK/basic.png" "basic.tap dropped from another program and auto-loaded"
echo "loaded, $(SinceDrop)"
Shot basic.tap
kill $OTHER
wait $OTHER 2>/dev/null
xdotool windowactivate --sync "$WIN"

Drop "$WORK/my game.z80"
ExpectTitle "$WORK/my game.z80"
ExpectPicture "$WORK/snapshot.png" "my game.z80 dropped"
echo "loaded, $(SinceDrop)"
Shot snapshot

DropUnloadable "$WORK/notes.txt" "$WORK/snapshot.png"
DropUnloadable "$WORK/cut short.z80" "$WORK/snapshot.png"

# Two files at once: the first loads, and a box says the other was not.
Drop "$DATA/basic.tap" "$WORK/my game.z80"
CloseMessageBox two-files
ExpectTitle "$DATA/basic.tap"
ExpectPicture "$WORK/basic.png" "basic.tap of two files dropped"

Quit
echo "PASS at depth $DEPTH"
