#!/usr/bin/env bash
# End-to-end tests: qx70-config --simulate on a private X display (Xvfb and
# openbox), a private session bus and a private home, driven with xdotool at
# the positions its UI driver reports.
#
#   tests/e2e/run.sh [--screen WxHxD] [--keep] <path-to-qx70-config> [CASE...]
#
# --screen (or SCREEN=WxHxD) sets the default screen (1920x1080x24); --keep
# keeps the temporary folder. CASE limits the run to case functions whose
# name contains one of the words. The files tests/e2e/cases/*.sh are taken
# in name order, and the case_* functions of each in name order; every case
# runs in its own subshell with lib.sh and only its own file sourced, the
# program running on the default screen with the default environment, and
# passes when it returns 0 (lib.sh documents the helpers). A case that
# takes longer than E2E_CASE_TIMEOUT seconds (150) fails. Ends with
# "e2e: N passed, M failed" and a non-zero status when any case failed.
set -uo pipefail

E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
default_screen=${SCREEN:-1920x1080x24}
keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --screen) default_screen=$2; shift 2 ;;
        --screen=*) default_screen=${1#--screen=}; shift ;;
        --keep) keep=1; shift ;;
        -h | --help) sed -n '2,16p' "$0"; exit 0 ;;
        *) break ;;
    esac
done
if [ $# -lt 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 [--screen WxHxD] [--keep] <path-to-qx70-config> [CASE...]" >&2
    exit 2
fi
E2E_BIN=$(realpath "$1")
shift
filters=("$@")

for tool in Xvfb openbox xdotool xdpyinfo xprop import convert gdbus dbus-send dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/qx70-e2e.XXXXXX")
E2E_STATE=$E2E_TMP/state
E2E_SHOTS=$E2E_TMP/shots
E2E_LOG=$E2E_TMP/qx70-config.log
mkdir -p "$E2E_STATE" "$E2E_SHOTS" "$E2E_TMP/home" "$E2E_TMP/data" "$E2E_TMP/config" \
    "$E2E_TMP/cache" "$E2E_TMP/runtime"
chmod 700 "$E2E_TMP/runtime"
: >"$E2E_LOG"
export E2E_DIR E2E_BIN E2E_TMP E2E_STATE E2E_SHOTS E2E_LOG
export HOME=$E2E_TMP/home XDG_DATA_HOME=$E2E_TMP/data XDG_CONFIG_HOME=$E2E_TMP/config \
    XDG_CACHE_HOME=$E2E_TMP/cache XDG_RUNTIME_DIR=$E2E_TMP/runtime
# The program runs on the X display; what the caller set for the unit tests
# does not apply.
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
export QT_QPA_PLATFORM=xcb
# Leaks inside system libraries are not the program's (as in the unit tests).
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$E2E_DIR/../sanitizers/lsan.supp:print_suppressions=0}

# shellcheck source=tests/e2e/lib.sh
source "$E2E_DIR/lib.sh"

failed_any=0
cleanup() {
    app_stop >/dev/null 2>&1
    x_stop
    if [ -f "$E2E_STATE/bus.pid" ]; then
        kill -TERM "$(cat "$E2E_STATE/bus.pid")" 2>/dev/null
        rm -f "$E2E_STATE/bus.pid"
    fi
    if [ "$keep" = 1 ] || [ "$failed_any" = 1 ]; then
        echo "e2e: logs and screenshots kept in $E2E_TMP"
    else
        rm -rf "$E2E_TMP"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A private session bus for the program, gdbus and the cases.
bus_out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || {
    echo "e2e: no session bus" >&2
    exit 2
}
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus_out")
echo "$bus_out" | sed -n 2p >"$E2E_STATE/bus.pid"
export DBUS_SESSION_BUS_ADDRESS

# The default set-up each case starts from: the default screen, the program
# running without extra environment.
ensure_default() {
    local screen env
    screen=$(cat "$E2E_STATE/screen" 2>/dev/null || true)
    env=$(cat "$E2E_STATE/app.env" 2>/dev/null || true)
    if [ "$screen" != "$default_screen" ] || ! _x_up; then
        app_stop >/dev/null 2>&1
        x_stop
        x_start "$default_screen" || return 1
    fi
    DISPLAY=$(cat "$E2E_STATE/display")
    export DISPLAY
    E2E_SCREEN=$default_screen
    if [ -n "$env" ] || ! app_running; then
        app_stop >/dev/null 2>&1
        app_start || return 1
        # Cases click at once; the pages settle when the devices have come.
        app_devices_settled 20 || echo "e2e: the devices did not settle after the start"
    fi
}

wanted() {
    [ ${#filters[@]} -eq 0 ] && return 0
    local f
    for f in "${filters[@]}"; do
        [[ $1 == *"$f"* ]] && return 0
    done
    return 1
}

case_timeout=${E2E_CASE_TIMEOUT:-150}
passed=0
failed=0
shopt -s nullglob
for file in "$E2E_DIR"/cases/*.sh; do
    mapfile -t names < <(
        bash -c 'source "$1" >/dev/null 2>&1; declare -F | awk "{print \$3}" | grep "^case_"' \
            _ "$file"
    )
    for name in "${names[@]}"; do
        wanted "$name" || continue
        out=$E2E_TMP/$name.out
        if ! ensure_default >"$out" 2>&1; then
            echo "FAIL $name (set-up)"
            sed 's/^/    /' "$out"
            tail -n 20 "$E2E_LOG" | sed 's/^/    log: /'
            failed=$((failed + 1))
            failed_any=1
            continue
        fi
        start=$SECONDS
        (
            # shellcheck source=/dev/null
            source "$file"
            E2E_SCREEN=$default_screen
            "$name"
        ) >"$out" 2>&1 &
        case_pid=$!
        # Bounded: a case that hangs fails and the run goes on.
        while kill -0 "$case_pid" 2>/dev/null && [ $((SECONDS - start)) -lt "$case_timeout" ]; do
            sleep 0.2
        done
        if kill -0 "$case_pid" 2>/dev/null; then
            echo "FAIL: timed out after ${case_timeout} s" >>"$out"
            kill -TERM "$case_pid" 2>/dev/null
        fi
        wait "$case_pid"
        status=$?
        # A case that switched screens left DISPLAY in the state folder.
        DISPLAY=$(cat "$E2E_STATE/display" 2>/dev/null || echo "$DISPLAY")
        E2E_SCREEN=$(cat "$E2E_STATE/screen" 2>/dev/null || echo "$default_screen")
        export DISPLAY
        if [ "$status" -eq 0 ]; then
            echo "PASS $name ($((SECONDS - start)) s)"
            passed=$((passed + 1))
        else
            echo "FAIL $name ($((SECONDS - start)) s)"
            sed 's/^/    /' "$out"
            failed=$((failed + 1))
            failed_any=1
        fi
    done
done

# The program must end cleanly when asked to (no crash, no sanitizer report).
if app_running; then
    app_stop
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "FAIL shutdown: qx70-config ended with status $status"
        grep -m 5 -E 'ERROR: |runtime error' "$E2E_LOG" | sed 's/^/    /'
        failed=$((failed + 1))
        failed_any=1
    fi
fi
if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$E2E_LOG"; then
    echo "FAIL sanitizers: the program's log holds a sanitizer report"
    grep -m 5 -E 'ERROR: |runtime error:' "$E2E_LOG" | sed 's/^/    /'
    failed=$((failed + 1))
    failed_any=1
fi

echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
