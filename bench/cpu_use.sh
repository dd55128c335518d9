#!/bin/sh
# Process CPU use of `qx70-config --simulate` over a measuring window, as a
# share of one core, with the window hidden in the tray: first with every
# simulated device connected, then with none.
#
#   bench/cpu_use.sh [path/to/qx70-config] [seconds]
#
# Runs under a private session bus (dbus-run-session) and Qt's offscreen
# platform unless QT_QPA_PLATFORM is set; QT_QPA_PLATFORM=xcb runs it on a
# private real X display (Xvfb 1920 x 1080 with a window manager). Uses a
# throw-away user data folder.
set -eu

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "$0" "$@"
fi

EXE=${1:-$(dirname "$0")/../build/src/app/qx70-config}
SECONDS_TO_MEASURE=${2:-10}
SETTLE=${SETTLE:-6}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
. "$(dirname "$0")/real_display.sh"
[ "$QT_QPA_PLATFORM" = xcb ] && start_real_display
TMP=$(mktemp -d)
export XDG_DATA_HOME="$TMP/data" XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"

BUS=io.qx70.Morvath_QX70_MECHANICAL_GAMING_KEYBOARD
sim() {
    gdbus call --session --dest "$BUS" --object-path /io/qx70/Simulator \
        --method "io.qx70.Simulator.$1" ${2:+"$2"} >/dev/null
}

ticks() {
    # utime + stime of the process, in clock ticks.
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

measure() {
    t0=$(ticks "$PID")
    sleep "$SECONDS_TO_MEASURE"
    t1=$(ticks "$PID")
    hz=$(getconf CLK_TCK)
    awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$SECONDS_TO_MEASURE" -v what="$1" \
        'BEGIN { printf "%-40s %6.2f %% of one core\n", what, (b - a) * 100.0 / hz / s }'
}

"$EXE" --simulate >"$TMP/out.log" 2>&1 &
PID=$!
cleanup() { kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; stop_real_display; rm -rf "$TMP"; }
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
sleep "$SETTLE"
sim TrayClick
sleep 1
echo "state: $(gdbus call --session --dest "$BUS" --object-path /io/qx70/Simulator --method io.qx70.Simulator.State)"
measure "hidden, all simulated devices connected"

for unit in keyboard receiver mousepad headset; do
    sim Unplug "$unit"
done
sleep 2
measure "hidden, no device"
