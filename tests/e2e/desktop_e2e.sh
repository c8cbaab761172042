#!/bin/bash
# Types LOAD "" into the desktop window under Xvfb, as a person would, and checks that the
# window shows exactly what the renderer draws; then the 2x2 mode, 1x1 again, a window resized
# by hand (the picture at a whole scale in black bars), and closing. Then, with Auto-load Tapes
# on as on a first run, a tape named on the command line loads itself to the program's first
# screen.
# Usage: desktop_e2e.sh WENDAL WENDAL_RUN DATA_DIR DEPTH
set -u
WENDAL=$1 WENDAL_RUN=$2 DATA=$3 DEPTH=$4
SKIP=77
TAPE=$DATA/hello.tap
# The speed read-out is drawn over this corner of the picture only in the window.
MASK='rectangle 200,208 319,239'

command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit $SKIP; }
for tool in openbox xdotool xwininfo xprop import convert compare; do
    command -v $tool >/dev/null || { echo "FAIL: $tool not installed"; exit 1; }
done

. "$(dirname "$0")/x_session.sh"
StartScratch

# The window's picture area (the bottom 320 x 240 of the client) with the read-out masked.
CapturePicture() {
    local size height
    size=$(ClientSize); height=${size#*x}
    import -window "$WIN" "$WORK/window.png" 2>/dev/null || return 1
    convert "$WORK/window.png" -crop 320x240+0+$((height - 240)) +repage \
        -fill black -draw "$MASK" "$1"
}

# Differing pixels between two pictures; 5-6-5 colours at depth 16 need a little fuzz.
DiffCount() {
    local fuzz=0
    [ "$DEPTH" = 16 ] && fuzz=6%
    compare -metric AE -fuzz $fuzz "$1" "$2" null: 2>&1
}

PictureMatches() {
    CapturePicture "$WORK/picture.png" && [ "$(DiffCount "$WORK/picture.png" "$1")" = 0 ]
}

# The renderer's own output after FRAMES frames, masked like the window.
Reference() {
    local out=$1 frames=$2; shift 2
    "$WENDAL_RUN" "$@" --frames "$frames" --screenshot "$out" >/dev/null ||
        Fail "wendal-run $* failed"
    convert "$out" -fill black -draw "$MASK" "$out"
}

MakeReferences() {
    Reference "$WORK/rom.png" 250
    Reference "$WORK/loaded.png" 400 "$TAPE" --type "J SS+P SS+P ENTER"
    local change
    change=$(DiffCount "$WORK/loaded.png" "$WORK/rom.png")
    echo "reference: $change pixels differ between the ROM start-up and the loaded program"
    [ "$change" -gt 100 ] || Fail "the reference shows no program output"
    "$WENDAL_RUN" "$TAPE" --type "J SS+P SS+P ENTER" --frames 400 --text |
        grep -q "MACHINE CODE RAN" || Fail "the reference run did not print MACHINE CODE RAN"
}

StartWendal() {
    LaunchWendal "$TAPE"
    local title
    title=$(xdotool getwindowname "$WIN")
    echo "window $WIN \"$title\", client $(ClientSize)"
    [[ $title == "hello.tap - Wendal"* ]] || Fail "title \"$title\""
    xdotool windowactivate --sync "$WIN"
}

# The picture in a client area resized by hand: at the largest whole scale that fits, centred,
# black bars round it. SCALE X Y: where it should be within the picture area under the menu.
CaptureScaled() {
    local out=$1 scale=$2 x=$3 y=$4 width height
    import -window "$WIN" "$WORK/window.png" 2>/dev/null || return 1
    # Shrunk back by sampling one pixel of every SCALE x SCALE square: exactly the picture.
    convert "$WORK/window.png" -crop $((320 * scale))x$((240 * scale))+$x+$((menu + y)) +repage \
        -sample $((100 / scale))% -fill black -draw "$MASK" "$out"
    # The bars: everything of the picture area left of and above the picture is black.
    width=$(ClientSize | cut -dx -f1); height=$(($(ClientSize | cut -dx -f2) - menu))
    convert "$WORK/window.png" -crop ${x}x${height}+0+$menu +repage "$WORK/bar-left.png"
    convert "$WORK/window.png" -crop ${width}x${y}+0+$menu +repage "$WORK/bar-top.png"
}

# The brightest pixel of the two bars, 0 to 1.
BarsBrightest() {
    convert "$WORK/bar-left.png" "$WORK/bar-top.png" -format '%[fx:maxima] ' info: |
        awk '{print ($1 > $2 ? $1 : $2)}'
}

ScaledMatches() {
    CaptureScaled "$WORK/scaled.png" "$2" "$3" "$4" &&
        [ "$(DiffCount "$WORK/scaled.png" "$1")" = 0 ] && [ "$(BarsBrightest)" = 0 ]
}

# Waits for the window to show the reference, then reports the final difference.
ExpectPicture() {
    local ref=$1 what=$2 count
    WaitFor 90 PictureMatches "$ref"
    CapturePicture "$WORK/picture.png" || Fail "could not capture the window"
    count=$(DiffCount "$WORK/picture.png" "$ref")
    echo "$what: window picture 320x240 against the renderer's, $count pixels differ"
    [ "$count" = 0 ] || Fail "$what: the window does not show the renderer's picture"
}

# The window shows what the renderer draws after typing KEYS, in either phase of the flashing
# cursor (it changes every 16 frames).
ShowsTyped() {
    PictureMatches "$WORK/typed-$1-a.png" || PictureMatches "$WORK/typed-$1-b.png"
}

# A chord such as ctrl+p held about 100 ms, as a person types.
Press() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}

# LOAD "" a key at a time, each once the screen shows the one before, as a person looks before
# typing on: the ROM takes the same key again only after it has been up for five interrupts.
TypeLoad() {
    local keys=("j" "ctrl+p" "ctrl+p") chords=("J" "J SS+P" "J SS+P SS+P") i
    for i in 0 1 2; do
        Reference "$WORK/typed-$i-a.png" 200 "$TAPE" --type "${chords[$i]}"
        Reference "$WORK/typed-$i-b.png" 216 "$TAPE" --type "${chords[$i]}"
        Press "${keys[$i]}"
        WaitFor 60 ShowsTyped $i || Fail "the window does not show \"${chords[$i]}\" typed"
        echo "typed ${keys[$i]}: the window shows the renderer's picture"
        sleep 0.3 # the key up for well over five interrupts before the next
    done
    Press Return
}

StartSession
# Typed by hand below: the tape is only inserted when opened.
printf 'Auto-load Tapes=00\n' >>"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
MakeReferences
StartWendal
menu=$(($(ClientSize | cut -dx -f2) - 240))
ExpectPicture "$WORK/rom.png" "ROM start-up"
TypeLoad
ExpectPicture "$WORK/loaded.png" "after LOAD \"\""

xdotool key F6
ExpectClient "640x$((menu + 480))"
xdotool key F5
ExpectClient "320x$((menu + 240))"

# Resized by hand to a picture area of 700 x 500: twice the size, bars 30 and 10 pixels wide.
xdotool windowsize "$WIN" 700 $((menu + 500))
ExpectClient "700x$((menu + 500))"
WaitFor 60 ScaledMatches "$WORK/loaded.png" 2 30 10 ||
    Fail "the resized window does not show the renderer's picture twice the size in black bars:" \
        "$(DiffCount "$WORK/scaled.png" "$WORK/loaded.png") pixels differ, brightest bar pixel" \
        "$(BarsBrightest)"
echo "resized to 700x$((menu + 500)): the renderer's picture at 2x, black bars round it"
xdotool key F5
ExpectClient "320x$((menu + 240))"

CloseWendal() {
    xdotool key alt+F4
    WaitFor 30 eval '! kill -0 $APP_PID 2>/dev/null' || Fail "wendal still running after alt+F4"
    wait $APP_PID
    local status=$?
    APP_PID=
    echo "wendal exited with status $status"
    [ $status = 0 ] || Fail "exit status $status: $(cat "$WORK/wendal.log")"
}

CloseWendal

# A first run's settings: Auto-load Tapes is on.
printf 'Warnings=00\n' >"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
Reference "$WORK/basic.png" 700 "$DATA/basic.tap" --autoload
"$WENDAL_RUN" "$DATA/basic.tap" --autoload --frames 700 --text | grep -q "BASIC PROGRAM RAN" ||
    Fail "the auto-load reference run did not print BASIC PROGRAM RAN"
for tape in basic.tap basic.tzx basic-22050.wav basic-11025.raw; do
    LaunchWendal "$DATA/$tape"
    xdotool windowactivate --sync "$WIN"
    ExpectPicture "$WORK/basic.png" "$tape auto-loaded from the command line"
    CloseWendal
done
echo "PASS at depth $DEPTH"
