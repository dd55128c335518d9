# Sourced by the CPU benchmarks: `start_real_display` starts a private X
# display (Xvfb, 1920 x 1080 unless SCREEN says otherwise, with openbox as
# window manager) and points DISPLAY at it; `stop_real_display` ends both.
# The program then runs on Qt's xcb platform as it would on a desktop, and
# takes the scale of that screen (144 at 1920 x 1080).

REAL_DISPLAY_PIDS=

start_real_display() {
    screen=${SCREEN:-1920x1080x24}
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
    REAL_DISPLAY_PIDS=$!
    export DISPLAY=":$n"
    i=0
    until xdpyinfo >/dev/null 2>&1; do
        i=$((i + 1))
        if [ "$i" -gt 100 ]; then
            echo "Xvfb did not start on $DISPLAY" >&2
            return 1
        fi
        sleep 0.1
    done
    openbox >/dev/null 2>&1 &
    REAL_DISPLAY_PIDS="$REAL_DISPLAY_PIDS $!"
    sleep 0.5
}

stop_real_display() {
    for p in $REAL_DISPLAY_PIDS; do
        kill "$p" 2>/dev/null || true
    done
    REAL_DISPLAY_PIDS=
}
