#!/bin/sh
# Process CPU use of `qx70-config --simulate` with the keyboard page shown,
# for each lighting mode, as a share of one core, on Qt's offscreen platform,
# on a real X display (Xvfb 1920 x 1080 with a window manager, Qt's xcb
# platform, so scale 144), or on both in one run (one column each).
# A first run writes the user's profiles; then for each mode the keyboard
# profile's lighting mode is set in its file and the program started on it,
# left to settle, and measured over MEASURE seconds in its steady state.
# The last lines give the worst and the median mode per platform.
#
#   PLATFORM=offscreen|xcb|both bench/cpu_per_mode.sh [path/to/qx70-config] [first] [last]
set -eu

if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- "$0" "$@"
fi

EXE=${1:-$(dirname "$0")/../build/src/app/qx70-config}
FIRST=${2:-1}
LAST=${3:-33}
SETTLE=${SETTLE:-6}
MEASURE=${MEASURE:-10}
PLATFORM=${PLATFORM:-offscreen}
case "$PLATFORM" in
    both) PLATFORMS="offscreen xcb" ;;
    offscreen | xcb) PLATFORMS=$PLATFORM ;;
    *) echo "PLATFORM must be offscreen, xcb or both" >&2; exit 2 ;;
esac
. "$(dirname "$0")/real_display.sh"
TMP=$(mktemp -d)
export XDG_DATA_HOME="$TMP/data" XDG_CONFIG_HOME="$TMP/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
PID=
cleanup() { if [ -n "$PID" ]; then kill "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; fi; stop_real_display; rm -rf "$TMP"; }
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
case "$PLATFORMS" in *xcb*) start_real_display ;; esac

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
start() {
    QT_QPA_PLATFORM=$1 "$EXE" --simulate >>"$TMP/out.log" 2>&1 &
    PID=$!
}
stop() {
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
}

start offscreen
sleep "$SETTLE"
stop
PROFILE=$(find "$XDG_DATA_HOME" -path '*/keyboard/*.Json' | head -n 1)
if [ -z "$PROFILE" ]; then
    echo "no keyboard profile was written" >&2
    exit 1
fi

hz=$(getconf CLK_TCK)
printf 'mode'
for p in $PLATFORMS; do printf '  %10s' "$p"; done
echo '   (% of one core)'
mode=$FIRST
while [ "$mode" -le "$LAST" ]; do
    sed -i "s/\"SelectItem\" : [0-9]*/\"SelectItem\" : $mode/" "$PROFILE"
    printf '%4d' "$mode"
    for p in $PLATFORMS; do
        start "$p"
        sleep "$SETTLE"
        t0=$(ticks "$PID")
        sleep "$MEASURE"
        t1=$(ticks "$PID")
        stop
        share=$(awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$MEASURE" \
            'BEGIN { printf "%.2f", (b - a) * 100.0 / hz / s }')
        echo "$share" >>"$TMP/$p.values"
        printf '  %10s' "$share"
    done
    echo
    mode=$((mode + 1))
done
for p in $PLATFORMS; do
    sort -n "$TMP/$p.values" | awk -v p="$p" '
        { v[NR] = $1 }
        END {
            m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%-10s worst %.2f %%, median %.2f %%\n", p, v[NR], m
        }'
done
