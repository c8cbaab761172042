#!/bin/bash
# Types LOAD "" into the desktop window under Xvfb, as a person would, and checks that the
# window shows exactly what the renderer draws; then the title with another program active, a
# click on the shaded caption (at depth 16), Escape, the speed read-out's corner, the keyboard
# picture, the 2x2 mode, 1x1 again, a window resized by hand (the picture at a whole scale in
# black bars), closing, and the Save name after opening a recording. Last, with Auto-load Tapes
# on as on a first run, each kind of tape named on the command line loads itself to the
# program's first screen.
# With E2E_SHOTS set to a folder, the screenshots taken are kept there.
# Usage: desktop_e2e.sh WENDAL WENDAL_RUN DATA_DIR DEPTH
set -u
WENDAL=$1 WENDAL_RUN=$2 DATA=$3 DEPTH=$4
TAPE=$DATA/hello.tap

. "$(dirname "$0")/x_session.sh"
NeedTools openbox xdotool xwininfo xprop xmessage import convert compare
StartScratch

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

# Starts wendal on FILE and waits for its window, whose title must begin with the file's name.
StartWendal() {
    local file=$1 title
    LaunchWendal "$file"
    title=$(xdotool getwindowname "$WIN")
    echo "window $WIN \"$title\", client $(ClientSize)"
    [[ $title == "$(basename "$file") - Wendal"* ]] || Fail "title \"$title\""
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

# The window shows what the renderer draws after typing KEYS, in either phase of the flashing
# cursor (it changes every 16 frames).
ShowsTyped() {
    PictureMatches "$WORK/typed-$1-a.png" || PictureMatches "$WORK/typed-$1-b.png"
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

# Another X client takes the activation: the machine pauses and the title says so; back in
# the window it runs again under its plain title.
AnotherProgram() {
    local other
    xmessage -geometry +600+500 "another program" 2>/dev/null &
    other=$!
    WaitFor 20 eval '[ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = xmessage ]' ||
        Fail "xmessage did not become active"
    WaitFor 10 eval '[[ "$(Title)" == *" [Paused]" ]]'
    Shot another-program
    echo "another program active: title \"$(Title)\""
    [[ $(Title) == *" [Paused]" ]] || Fail "title \"$(Title)\" with another program active"
    kill $other
    wait $other 2>/dev/null
    xdotool windowactivate --sync "$WIN"
    WaitFor 10 eval '[[ "$(Title)" != *" [Paused]" ]]' || Fail "title \"$(Title)\" once active"
    echo "active again: title \"$(Title)\""
}

# A click on the program's own caption, not a drag: the window keeps running and taking keys
# (TypeLoad after it checks the keys).
ClickCaption() {
    eval "$(xdotool getwindowgeometry --shell "$WIN" | grep -E '^[XY]=')"
    xdotool mousemove $((X + 100)) $((Y + 8)) click 1
    sleep 1
    Shot caption-click
    echo "clicked the caption at $((X + 100)),$((Y + 8)): title \"$(Title)\""
    [[ $(Title) != *" [Paused]" ]] || Fail "a click on the caption paused the window"
}

# Windows of the program on the screen: the main window, and a menu while one is open.
Shown() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l; }

# Every Escape opens the menu and the next closes it.
EightEscapes() {
    local i base want
    base=$(Shown)
    for i in 1 2 3 4 5 6 7 8; do
        Press Escape
        want=$((base + i % 2))
        WaitFor 5 eval '[ "$(Shown)" = $want ]'
        [ $i = 1 ] && Shot menu-by-escape
        [ "$(Shown)" = $want ] || Fail "Escape $i: $(Shown) windows shown, expected $want"
    done
    echo "eight Escapes: the menu opened and closed four times"
}

# The border rows under the read-out, left of where "  100%" can reach, as the renderer draws
# them: nothing of a wider figure drawn at Maximum is left behind.
ReadoutCorner() {
    local size height count
    xdotool key F11
    sleep 4
    Shot maximum
    xdotool key F9
    sleep 3 # the read-out averages the last 50 frames
    Shot back-to-true
    size=$(ClientSize); height=${size#*x}
    import -window "$WIN" "$WORK/window.png" 2>/dev/null || Fail "could not capture the window"
    convert "$WORK/window.png" -crop 256x24+0+$((height - 24)) +repage "$WORK/corner.png"
    "$WENDAL_RUN" "$TAPE" --type "J SS+P SS+P ENTER" --frames 400 \
        --screenshot "$WORK/loaded-unmasked.png" >/dev/null || Fail "wendal-run failed"
    convert "$WORK/loaded-unmasked.png" -crop 256x24+0+216 +repage "$WORK/corner-ref.png"
    count=$(DiffCount "$WORK/corner.png" "$WORK/corner-ref.png")
    echo "read-out corner after Maximum and True: $count pixels differ from the renderer's border"
    [ "$count" = 0 ] || Fail "the read-out left pixels behind in the corner"
}

# Help > Spectrum Keyboard on a 1024 x 768 screen: the picture lies whole on the screen, with
# the keys in their proportions; Escape closes it.
KeyboardPicture() {
    local kb w h x y
    xdotool key alt+h
    sleep 0.5
    xdotool key k
    kb=$(timeout 20 xdotool search --sync --onlyvisible --name '^Spectrum Keyboard$' | head -1)
    [ -n "$kb" ] || Fail "no keyboard picture"
    sleep 1
    Shot keyboard
    eval "$(xwininfo -id "$kb" | awk '/Absolute upper-left X/{print "x=" $4} /Absolute upper-left Y/{print "y=" $4} /Width:/{print "w=" $2} /Height:/{print "h=" $2}')"
    echo "keyboard picture at $x,$y, $w x $h"
    [ $((x + w)) -le 1024 ] && [ $((y + h)) -le 768 ] && [ $x -ge 0 ] && [ $y -ge 0 ] ||
        Fail "the keyboard picture reaches off the screen"
    # The key faces' bounding box: inside the window with a margin all round (nothing cut off),
    # in the proportions of the picture drawn at its natural size (759 x 274).
    import -window "$kb" "$WORK/keyboard.png" 2>/dev/null || Fail "could not capture the keyboard"
    eval "$(convert "$WORK/keyboard.png" -alpha off -fuzz 4% +transparent '#37373C' -trim \
        -format 'kw=%w kh=%h kx=%X ky=%Y' info: | tr -d +)"
    echo "key faces $kw x $kh at $kx,$ky in the $w x $h window"
    [ "$kx" -gt 0 ] && [ "$ky" -gt 0 ] && [ $((kx + kw)) -lt "$w" ] && [ $((ky + kh)) -lt "$h" ] ||
        Fail "keys of the picture are cut off"
    [ $((kw * 274 * 100 / (kh * 759))) -ge 95 ] && [ $((kw * 274 * 100 / (kh * 759))) -le 105 ] ||
        Fail "the keyboard picture is out of proportion"
    xdotool windowactivate --sync "$kb"
    Press Escape
    WaitFor 10 eval '! xwininfo -id $kb 2>/dev/null | grep -q IsViewable' ||
        Fail "Escape did not close the keyboard picture"
    xdotool windowactivate --sync "$WIN"
}

# The window's lowest row on the screen, its frame included.
BottomEdge() {
    local extents
    extents=$(xprop -id "$WIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/ //g')
    xwininfo -id "$WIN" |
        awk -v bottom="${extents##*,}" '/Absolute upper-left Y/{y=$4} /Height:/{h=$2} END{print y + h + bottom - 1}'
}

# After opening a recording, F2 and Enter save a snapshot beside it, never over it.
SaveAfterRecording() {
    local size
    cp "$DATA/hello-11025.wav" "$WORK/game.wav"
    StartWendal "$WORK/game.wav"
    xdotool key F2
    WaitFor 20 eval 'xdotool search --onlyvisible --name "^Save Snapshot As$" >/dev/null' ||
        Fail "no save dialog"
    sleep 1
    Shot save-dialog
    Press Return
    WaitFor 20 test -s "$WORK/game.sna" || Fail "Enter saved no game.sna: $(ls "$WORK")"
    size=$(stat -c %s "$WORK/game.sna")
    echo "saved game.sna, $size bytes; the recording unchanged"
    [ "$size" = 49179 ] || Fail "game.sna is $size bytes"
    cmp -s "$WORK/game.wav" "$DATA/hello-11025.wav" || Fail "the recording was overwritten"
    Quit
}

StartSession
# Typed by hand below: the tape is only inserted when opened.
printf 'Auto-load Tapes=00\n' >>"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
# One depth with the program's own caption, one with the window manager's.
[ "$DEPTH" = 16 ] && printf 'Shaded Titles=01\n' >>"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
MakeReferences
StartWendal "$TAPE"
menu=$(($(ClientSize | cut -dx -f2) - 240))
ExpectPicture "$WORK/rom.png" "ROM start-up"
AnotherProgram
[ "$DEPTH" = 16 ] && ClickCaption
TypeLoad
ExpectPicture "$WORK/loaded.png" "after LOAD \"\""
Shot loaded
EightEscapes
ReadoutCorner
KeyboardPicture

xdotool windowmove "$WIN" 100 400 # low on the screen, where 2x2 would reach below it
sleep 1
xdotool key F6
ExpectClient "640x$((menu + 480))"
sleep 1
Shot window-2x2
echo "2x2 from low on the screen: the window's bottom row at $(BottomEdge)"
[ "$(BottomEdge)" -le 767 ] || Fail "the 2x2 window reaches below the screen"
xdotool windowactivate --sync "$WIN"
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

Quit
SaveAfterRecording

# A first run's settings: Auto-load Tapes is on.
printf 'Warnings=00\n' >"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
Reference "$WORK/basic.png" 700 "$DATA/basic.tap" --autoload
"$WENDAL_RUN" "$DATA/basic.tap" --autoload --frames 700 --text | grep -q "BASIC PROGRAM RAN" ||
    Fail "the auto-load reference run did not print BASIC PROGRAM RAN"
for tape in basic.tap basic.tzx basic-22050.wav basic-11025.raw; do
    LaunchWendal "$DATA/$tape"
    xdotool windowactivate --sync "$WIN"
    ExpectPicture "$WORK/basic.png" "$tape auto-loaded from the command line"
    Shot "autoload-$tape"
    Quit
done
echo "PASS at depth $DEPTH"
