#!/usr/bin/env bash
# Takes the software-centre screenshots (packaging/screenshots/*.png, named
# in the AppStream metadata) from the simulator: qx70-config --simulate on a
# private X display, bus and home, driven with the end-to-end helpers
# (tests/e2e/lib.sh). The screenshots are committed.
#
#   tools/take_screenshots.sh <path-to-qx70-config>
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] && [ -x "$1" ] || { echo "usage: $0 <path-to-qx70-config>" >&2; exit 2; }
E2E_BIN=$(realpath "$1")
out=$top/packaging/screenshots
mkdir -p "$out"

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/qx70-shots.XXXXXX")
E2E_STATE=$E2E_TMP/state
E2E_SHOTS=$E2E_TMP/shots
E2E_LOG=$E2E_TMP/qx70-config.log
mkdir -p "$E2E_STATE" "$E2E_SHOTS" "$E2E_TMP/home" "$E2E_TMP/data" "$E2E_TMP/config" "$E2E_TMP/runtime"
chmod 700 "$E2E_TMP/runtime"
: >"$E2E_LOG"
export E2E_BIN E2E_TMP E2E_STATE E2E_SHOTS E2E_LOG
export HOME=$E2E_TMP/home XDG_DATA_HOME=$E2E_TMP/data XDG_CONFIG_HOME=$E2E_TMP/config \
    XDG_RUNTIME_DIR=$E2E_TMP/runtime
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
export QT_QPA_PLATFORM=xcb
# shellcheck source=tests/e2e/lib.sh
source "$top/tests/e2e/lib.sh"

cleanup() {
    app_stop >/dev/null 2>&1
    x_stop
    [ -f "$E2E_STATE/bus.pid" ] && kill -TERM "$(cat "$E2E_STATE/bus.pid")" 2>/dev/null
    rm -rf "$E2E_TMP"
}
trap cleanup EXIT
bus_out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || { echo "no session bus" >&2; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus_out")
sed -n 2p <<<"$bus_out" >"$E2E_STATE/bus.pid"
export DBUS_SESSION_BUS_ADDRESS

# Scale 96: the window at its design size, 1000 x 640.
x_start 1366x768x24 || exit 1
app_start || { tail -n 20 "$E2E_LOG"; exit 1; }

# The window alone, once its pages have been painted.
shot() {  # file
    local id
    id=$(xdotool search --onlyvisible --name "$E2E_TITLE" | head -n 1)
    [ -n "$id" ] || { echo "no main window to take" >&2; exit 1; }
    sleep 2
    import -window "$id" "$1.tmp.png" && mv "$1.tmp.png" "$1" || exit 1
}
wait_until 20 drv_visible closebtn || { echo "main window not ready" >&2; exit 1; }
shot "$out/keyboard.png"
click device_select_next
shot "$out/mouse.png"
echo "screenshots written to $out"
