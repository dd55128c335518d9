#!/bin/sh
# Process CPU use of `qx70-config --simulate` with the keyboard page shown
# (Qt's offscreen platform), for each lighting mode, as a share of one core.
# A first run writes the user's profiles; then for each mode the keyboard
# profile's lighting mode is set in its file and the program started on it,
# left to settle, and measured over ten seconds in its steady state.
#
#   bench/cpu_per_mode.sh [path/to/qx70-config] [first mode] [last mode]
set -eu

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "$0" "$@"
fi

EXE=${1:-$(dirname "$0")/../build/src/app/qx70-config}
FIRST=${2:-1}
LAST=${3:-33}
SETTLE=${SETTLE:-6}
MEASURE=${MEASURE:-10}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
TMP=$(mktemp -d)
export XDG_DATA_HOME="$TMP/data" XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
PID=
trap 'if [ -n "$PID" ]; then kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; fi; rm -rf "$TMP"' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
start() {
    "$EXE" --simulate >>"$TMP/out.log" 2>&1 &
    PID=$!
}
stop() {
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
}

start
sleep "$SETTLE"
stop
PROFILE=$(find "$XDG_DATA_HOME" -path '*/keyboard/*.Json' | head -n 1)
if [ -z "$PROFILE" ]; then
    echo "no keyboard profile was written" >&2
    exit 1
fi

hz=$(getconf CLK_TCK)
mode=$FIRST
while [ "$mode" -le "$LAST" ]; do
    sed -i "s/\"SelectItem\" : [0-9]*/\"SelectItem\" : $mode/" "$PROFILE"
    start
    sleep "$SETTLE"
    t0=$(ticks "$PID")
    sleep "$MEASURE"
    t1=$(ticks "$PID")
    stop
    awk -v a="$t0" -v b="$t1" -v hz="$hz" -v m="$mode" -v s="$MEASURE" \
        'BEGIN { printf "mode %2d  %6.2f %% of one core\n", m, (b - a) * 100.0 / hz / s }'
    mode=$((mode + 1))
done
