#!/bin/sh
# Process CPU use of `qx70-config --simulate` with the keyboard page shown
# (Qt's offscreen platform), for each lighting mode, as a share of one core.
# The mode is switched with the "Game_Start" event (wParam 0, lParam = the
# mode), which the program holds for five seconds, so it is sent again every
# four; each mode is measured over ten seconds after a half-second settle.
#
#   bench/cpu_per_mode.sh [path/to/qx70-config] [first mode] [last mode]
set -eu

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "$0" "$@"
fi

EXE=${1:-$(dirname "$0")/../build/src/app/qx70-config}
FIRST=${2:-1}
LAST=${3:-33}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
TMP=$(mktemp -d)
export XDG_DATA_HOME="$TMP/data" XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
BUS=io.qx70.Morvath_QX70_MECHANICAL_GAMING_KEYBOARD

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

"$EXE" --simulate >"$TMP/out.log" 2>&1 &
PID=$!
trap 'kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; rm -rf "$TMP"' EXIT
sleep 6
hz=$(getconf CLK_TCK)
mode=$FIRST
hold() {
    gdbus call --session --dest "$BUS" --object-path /io/qx70/Instance \
        --method io.qx70.Instance.Message Game_Start 0 "$1" >/dev/null
}
while [ "$mode" -le "$LAST" ]; do
    hold "$mode"
    sleep 0.5
    t0=$(ticks "$PID")
    sleep 4
    hold "$mode"
    sleep 4
    hold "$mode"
    sleep 2
    t1=$(ticks "$PID")
    awk -v a="$t0" -v b="$t1" -v hz="$hz" -v m="$mode" \
        'BEGIN { printf "mode %2d  %6.2f %% of one core\n", m, (b - a) * 100.0 / hz / 10 }'
    mode=$((mode + 1))
done
