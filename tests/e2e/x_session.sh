# Sourced by the scripts that run the desktop program on a private X display: WaitFor, Fail,
# StartScratch, StartSession, which needs WORK (a scratch folder) and DEPTH and sets XVFB_PID
# and WM_PID, and LaunchWendal, ClientSize and ExpectClient, which need WENDAL.
Fail() { echo "FAIL: $*"; exit 1; }

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
