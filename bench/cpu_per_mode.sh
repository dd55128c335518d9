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
# A shared machine's other load moves a single window by a point or more,
# which the worst of 33 modes always catches. ROUNDS=n measures every mode n
# times, in n passes over all modes so that a slow spell of the machine falls
# on different modes, and gives each mode's median with the lowest and
# highest figure beside it.
#
#   PLATFORM=offscreen|xcb|both ROUNDS=n bench/cpu_per_mode.sh [path/to/qx70-config] [first] [last]
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
ROUNDS=${ROUNDS:-1}
case "$ROUNDS" in
    '' | *[!0-9]* | 0) echo "ROUNDS must be a whole number above 0" >&2; exit 2 ;;
esac
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
measure() {  # platform -> share of one core over MEASURE seconds
    start "$1"
    sleep "$SETTLE"
    t0=$(ticks "$PID")
    sleep "$MEASURE"
    t1=$(ticks "$PID")
    stop
    awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$MEASURE" \
        'BEGIN { printf "%.2f\n", (b - a) * 100.0 / hz / s }'
}
# median, lowest and highest of the numbers on standard input
spread() {
    sort -n | awk '
        { v[NR] = $1 }
        END {
            m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%.2f %.2f %.2f", m, v[1], v[NR]
        }'
}

round=1
while [ "$round" -le "$ROUNDS" ]; do
    mode=$FIRST
    while [ "$mode" -le "$LAST" ]; do
        sed -i "s/\"SelectItem\" : [0-9]*/\"SelectItem\" : $mode/" "$PROFILE"
        for p in $PLATFORMS; do
            measure "$p" >>"$TMP/$p.$mode"
        done
        mode=$((mode + 1))
    done
    round=$((round + 1))
done

printf 'mode'
for p in $PLATFORMS; do
    if [ "$ROUNDS" -gt 1 ]; then printf '  %22s' "$p (lowest-highest)"; else printf '  %10s' "$p"; fi
done
echo '   (% of one core)'
mode=$FIRST
while [ "$mode" -le "$LAST" ]; do
    printf '%4d' "$mode"
    for p in $PLATFORMS; do
        set -- $(spread <"$TMP/$p.$mode")
        echo "$1" >>"$TMP/$p.values"
        if [ "$ROUNDS" -gt 1 ]; then
            printf '  %10s (%4s-%4s)' "$1" "$2" "$3"
        else
            printf '  %10s' "$1"
        fi
    done
    echo
    mode=$((mode + 1))
done
for p in $PLATFORMS; do
    set -- $(spread <"$TMP/$p.values")
    printf '%-10s worst %.2f %%, median %.2f %%\n' "$p" "$3" "$1"
done
