# Sourced by the scripts that run the desktop program on a private X display: WaitFor, Fail,
# NeedTools, StartScratch, StartSession, which needs WORK (a scratch folder) and DEPTH and sets XVFB_PID
# and WM_PID, and LaunchWendal, ClientSize, ExpectClient, Title, Press, Shot and Quit, which need
# WENDAL; the picture checks (Reference, PictureMatches, ExpectPicture) need WENDAL_RUN too.
Fail() { echo "FAIL: $*"; exit 1; }

# Skips the script (status 77) without Xvfb; fails when another of the TOOLS is missing.
NeedTools() {
    command -v Xvfb >/dev/null || { echo "Xvfb not installed: skipped"; exit 77; }
    local tool
    for tool in "$@"; do
        command -v $tool >/dev/null || Fail "$tool not installed"
    done
}

# A scratch folder in WORK; it and the programs started (APP_PID, the display, the window
# manager) are gone when the script ends, the folder kept when KEEP_WORK is set.
StartScratch() {
    WORK=$(mktemp -d)
    XVFB_PID= WM_PID= APP_PID=
    trap EndScratch EXIT
}
EndScratch() {
    for pid in $APP_PID $WM_PID $XVFB_PID; do kill $pid 2>/dev/null; done
    wait 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}

# Polls a command every half second until it succeeds or SECONDS run out.
WaitFor() {
    local seconds=$1; shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.5
    done
}

# A settings-free session: private home and config, a fresh display, a window manager.
StartSession() {
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
    # Xvfb has no graphics hardware: without this the performance warning would take the keys.
    mkdir -p "$XDG_CONFIG_HOME/Corvallo Software"
    printf 'Warnings=00\n' >"$XDG_CONFIG_HOME/Corvallo Software/Wendal.conf"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    Xvfb -displayfd 3 -screen 0 1024x768x$DEPTH -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    WaitFor 20 test -s "$WORK/display" || Fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(head -1 "$WORK/display")
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    WaitFor 20 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' ||
        Fail "openbox did not start"
    echo "display $DISPLAY at depth $DEPTH"
}

ClientSize() { xwininfo -id "$WIN" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }

# Starts wendal with the arguments and waits for its window (LAUNCH_SECONDS, 120 unless set):
# APP_PID and WIN are set.
LaunchWendal() {
    # In a sanitizer build the system's libraries (D-Bus, the GL driver) keep memory until the
    # process ends; the leak check of the program's own code is the unit tests' job.
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$WENDAL" "$@" \
        >"$WORK/wendal.log" 2>&1 &
    APP_PID=$!
    WIN=$(timeout ${LAUNCH_SECONDS:-120} xdotool search --sync --onlyvisible --name ' - Wendal' | head -1)
    [ -n "$WIN" ] || Fail "no wendal window: $(cat "$WORK/wendal.log"; xwininfo -root -tree | grep -i wendal)"
}

ExpectClient() {
    local want=$1 size
    WaitFor 60 eval '[ "$(ClientSize)" = "$want" ]'
    size=$(ClientSize)
    echo "client area $size, expected $want"
    [ "$size" = "$want" ] || Fail "client area $size, expected $want"
}

Title() { xdotool getwindowname "$WIN"; }

# A chord such as ctrl+p held about 100 ms, as a person types.
Press() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}

# Keeps a screenshot of the screen as NAME.png when E2E_SHOTS is set (a folder), each name
# after SHOT_PREFIX (the depth unless set).
Shot() {
    [ -n "${E2E_SHOTS:-}" ] || return 0
    mkdir -p "$E2E_SHOTS" &&
        import -window root "$E2E_SHOTS/${SHOT_PREFIX:-depth$DEPTH}-$1.png" 2>/dev/null
}

# Ends wendal as a person does, Alt+F4, and expects status 0.
Quit() {
    local status
    xdotool key alt+F4
    WaitFor 30 eval '! kill -0 $APP_PID 2>/dev/null' || Fail "wendal still running after alt+F4"
    wait $APP_PID
    status=$?
    APP_PID=
    echo "wendal exited with status $status"
    [ $status = 0 ] || Fail "exit status $status: $(cat "$WORK/wendal.log")"
}

# The speed read-out is drawn over this corner of the picture only in the window.
MASK='rectangle 200,208 319,239'

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

# Waits for the window to show the reference, then reports the final difference.
ExpectPicture() {
    local ref=$1 what=$2 count
    WaitFor 90 PictureMatches "$ref"
    CapturePicture "$WORK/picture.png" || Fail "could not capture the window"
    count=$(DiffCount "$WORK/picture.png" "$ref")
    echo "$what: window picture 320x240 against the renderer's, $count pixels differ"
    [ "$count" = 0 ] || Fail "$what: the window does not show the renderer's picture"
}
