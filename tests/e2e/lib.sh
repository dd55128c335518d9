# shellcheck shell=bash
# Helpers for the end-to-end cases (tests/e2e/cases/*.sh). run.sh sources
# this file, then each case file; every case_* function runs in its own
# subshell with the program running on the default screen (see run.sh).
# Keep these names stable: add helpers, do not rename them.
#
# Reading the UI (io.qx70.UiDriver, read-only; names compared without case):
#   drv_windows              titles of the shown top-level windows, one a line
#   drv_geometry NAME        "x y w h" (screen, device pixels) of the first
#                            visible control NAME; fails when none is visible
#   drv_geometry_many NAME...  "NAME x y w h" a line for each NAME that
#                            shows, in the given order, in one bus call
#   drv_center NAME          "x y", the centre of that rectangle
#   drv_visible NAME         succeeds when a visible control NAME exists
#   drv_text NAME            its shown text (a hidden one's when none shows)
#   drv_state NAME           JSON: {"checked":b,"enabled":b,"selected":i,
#                            "value":i|null,"visible":b}, "count":i for lists
#                            and combos, and "marked":b for a key of a device
#                            picture (it shows the mark of a changed
#                            assignment); fails when missing
#   json_get JSON KEY        the value of KEY in a flat JSON object
# Input (real X events through xdotool):
#   click NAME [BUTTON]      moves the pointer to NAME's centre and clicks
#   click_at X Y [BUTTON]    the same at a screen position
#   key KEYS...              xdotool key (e.g. key ctrl+a Return)
#   type_text TEXT           xdotool type
# Simulator and other programs (session bus):
#   sim_call METHOD ARGS...  gdbus call of io.qx70.Simulator.METHOD (gdbus
#                            parses ARGS by the method's signature); prints
#                            gdbus's answer, e.g. "(true,)"
#   sim_region UNIT REGION   the region's bytes as hex, "00 1f ..." (one line)
#   sim_byte UNIT REGION N   byte N of the region, decimal
#   instance_message NAME W L   io.qx70.Instance.Message(NAME, W, L)
# Waiting and the program's log:
#   wait_until TIMEOUT_S CMD...  runs CMD every 0.2 s until it succeeds;
#                            fails after TIMEOUT_S seconds
#   log_mark                 remembers the end of the program's stderr log
#   debug_log_has TEXT       succeeds when TEXT (fixed string) is in the log
#                            after the last log_mark (the whole log without)
# Pages:
#   key_page_select N        opens the keyboard's key page and selects key_N
#   key_page_choose COMBO I  chooses item I of COMBO with the keyboard
#   key_tab_checked          succeeds when the key page's tab is marked
#   controls_inside OUTER WHAT NAME...  fails unless each NAME shows inside
#                            control OUTER (WHAT names the check)
#   app_start_in_language ID starts the program with stored language ID (520
#                            English, 2052 Chinese)
#   each_screen_and_language CHECK SHOT  at 1366x768 and 1920x1080, in English
#                            and Chinese: starts the program, runs CHECK with
#                            "screen/language", screenshots to SHOT_WxH_ID.png;
#                            ends in the default language
# Pictures (ImageMagick):
#   screenshot FILE          the whole screen to FILE (png)
#   pixel FILE X Y           prints the colour there as "R G B" (0-255)
#   brightness FILE X Y W H  mean brightness of a rectangle, 0-255
# Checks:
#   assert_eq EXPECTED ACTUAL [WHAT]   fails the case when they differ
#   fail MSG                 prints MSG and ends the case as failed
#   note MSG                 prints MSG into the case's output
# The program and the X server (a case may change them; the runner puts the
# defaults back before the next case):
#   app_start [VAR=VALUE...] starts qx70-config --simulate with those extra
#                            environment variables and waits for its window
#   app_stop                 closes it with SIGTERM and waits; returns its status
#   app_restart [VAR=VALUE...]  app_stop then app_start
#   screen_set WxHxD         a new X server of that size (1366x768x24 gives
#                            scale 96, 1920x1080x24 scale 144); restarts the
#                            window manager and the program (same environment)
#   app_running              succeeds while the program runs
# Variables: E2E_TMP (private temporary folder), E2E_SHOTS (folder for
# screenshots, kept on failure), E2E_LOG (program's stderr), E2E_BIN,
# E2E_DEST (the program's bus name), E2E_SCREEN (current X screen),
# E2E_USER_DATA (the program's user data folder: profiles, simulator state),
# E2E_USER_CONFIG (its settings folder).

E2E_DEST=io.qx70.Morvath_QX70_MECHANICAL_GAMING_KEYBOARD
E2E_TITLE='Morvath QX70'
E2E_USER_DATA="${XDG_DATA_HOME:-$HOME/.local/share}/Morvath QX70 MECHANICAL GAMING KEYBOARD"
E2E_USER_CONFIG="${XDG_CONFIG_HOME:-$HOME/.config}/Morvath QX70 MECHANICAL GAMING KEYBOARD"
E2E_START_TIMEOUT=${E2E_START_TIMEOUT:-90}

# ------------------------------------------------------------------ checks

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "$*"
}

assert_eq() {
    if [ "$1" != "$2" ]; then
        fail "${3:-value}: expected '$1', got '$2'"
    fi
}

wait_until() {
    local timeout=$1
    shift
    local deadline=$((SECONDS + timeout))
    while true; do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.2
    done
}

# ------------------------------------------------------------------ bus

# dbus-send needs no introspection round trip: a third of gdbus's time.
_drv_send() {
    local method=$1
    shift
    dbus-send --session --print-reply=literal --dest="$E2E_DEST" /io/qx70/UiDriver \
        "io.qx70.UiDriver.$method" "$@" 2>/dev/null
}

# A literal string reply: three spaces of indent, no line end.
_drv_string() {
    local out
    out=$(_drv_send "$@") || return 1
    printf '%s\n' "${out#   }"
}

drv_windows() {
    local out
    out=$(gdbus call --session --dest "$E2E_DEST" --object-path /io/qx70/UiDriver \
        --method io.qx70.UiDriver.Windows 2>/dev/null) || return 1
    # (['title one', 'title two'],)
    out=${out#\(\[}
    out=${out%\],\)}
    [ -z "$out" ] && return 0
    printf '%s\n' "$out" | sed -e "s/', '/\n/g" -e "s/^'//" -e "s/'$//"
}

drv_geometry() {
    local out
    out=$(_drv_send Geometry "string:$1") || return 1
    # "int32 x int32 y int32 w int32 h"; read without a further process, as
    # cases ask for hundreds of rectangles.
    local -a f
    read -r -a f <<<"${out//$'\n'/ }"
    [ "${#f[@]}" -eq 8 ] && [ "${f[0]}" = int32 ] || return 1
    echo "${f[1]} ${f[3]} ${f[5]} ${f[7]}"
}

drv_geometry_many() {
    [ $# -gt 0 ] || return 0
    local list out
    list=$(printf "'%s'," "$@")
    out=$(gdbus call --session --dest "$E2E_DEST" --object-path /io/qx70/UiDriver \
        --method io.qx70.UiDriver.Geometries "[${list%,}]" 2>/dev/null) || return 1
    # ([('light_0', 370, 156, 30, 30), ...],)
    printf '%s\n' "$out" | sed -e 's/^(\[//' -e 's/\],)$//' -e 's/), (/\n/g' |
        sed -n "s/^(\?'\([^']*\)', \(-\?[0-9]*\), \(-\?[0-9]*\), \([0-9]*\), \([0-9]*\))\?$/\1 \2 \3 \4 \5/p"
}

drv_center() {
    local x y w h
    read -r x y w h < <(drv_geometry "$1") || return 1
    [ -n "$h" ] || return 1
    echo "$((x + w / 2)) $((y + h / 2))"
}

drv_visible() {
    drv_geometry "$1" >/dev/null
}

drv_text() {
    _drv_string Text "string:$1"
}

drv_state() {
    _drv_string State "string:$1"
}

json_get() {
    printf '%s\n' "$1" | sed -n "s/.*\"$2\":\(\"[^\"]*\"\|[^,}]*\).*/\1/p"
}

sim_call() {
    local method=$1
    shift
    gdbus call --session --dest "$E2E_DEST" --object-path /io/qx70/Simulator \
        --method "io.qx70.Simulator.$method" "$@"
}

# gdbus prints a byte array as [byte 0x00, 0x01, ...] or, when it happens to
# be a printable nul-terminated string, as b'...'.
sim_region() {
    local out
    out=$(sim_call Region "$1" "$2") || return 1
    case $out in
        "(b'"* | '(b"'*)
            out=${out#(b?}
            out=${out%?,)}
            printf '%s\0' "$out" | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'
            echo
            ;;
        *)
            printf '%s\n' "$out" | sed -e 's/byte //g' -e 's/@ay //' | tr -d '()[],' |
                tr -s ' ' '\n' | sed -n 's/^0x//p' | tr '\n' ' ' | sed 's/ $//'
            echo
            ;;
    esac
}

sim_byte() {
    local hex
    hex=$(sim_region "$1" "$2" | awk -v n="$3" '{ if (n + 1 <= NF) print $(n + 1) }')
    [ -n "$hex" ] || return 1
    echo $((16#$hex))
}

instance_message() {
    gdbus call --session --dest "$E2E_DEST" --object-path /io/qx70/Instance \
        --method io.qx70.Instance.Message "$1" "$2" "$3" >/dev/null
}

# ------------------------------------------------------------------ input

click_at() {
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
}

click() {
    local at
    at=$(drv_center "$1") || fail "click: no visible control '$1'"
    # shellcheck disable=SC2086
    click_at $at "${2:-1}"
}

key() {
    xdotool key --clearmodifiers "$@"
}

type_text() {
    xdotool type --clearmodifiers -- "$1"
}

# ------------------------------------------------------------------ log

log_mark() {
    stat -c %s "$E2E_LOG" 2>/dev/null >"$E2E_STATE/logmark" || echo 0 >"$E2E_STATE/logmark"
}

# Under pipefail a "grep -q" that stops reading early fails the pipeline
# when its writer then dies of SIGPIPE; greps at the end of a pipe here
# read their input to the end instead.
debug_log_has() {
    local mark=0
    [ -f "$E2E_STATE/logmark" ] && mark=$(cat "$E2E_STATE/logmark")
    tail -c +"$((mark + 1))" "$E2E_LOG" 2>/dev/null | grep -F -- "$1" >/dev/null
}

# ------------------------------------------------------------------ pages

# Clicks tab $1 until control $2 shows. The tab row shows once its device
# has arrived, and devices arriving just after the start move it: a person
# whose click missed clicks again.
open_tab() {
    local _
    for _ in 1 2 3; do
        drv_visible "$2" && return 0
        wait_until 30 drv_visible "$1" || return 1
        click "$1"
        wait_until 5 drv_visible "$2" && return 0
    done
    return 1
}

# Opens the key page of the keyboard and selects key button $1.
key_page_select() {
    wait_until 30 drv_visible key_Op_tab || fail "key_Op_tab not shown"
    # Devices arriving just after the start move the tab row: a person
    # whose click missed clicks again.
    local _
    for _ in 1 2 3; do
        click key_Op_tab
        wait_until 3 key_tab_checked && break
    done
    wait_until 5 drv_visible "key_$1" || fail "key_$1 not shown"
    click "key_$1"
    wait_until 5 drv_visible keyset_layout || fail "keyset_layout not shown after key_$1"
}

# Chooses item $2 of combo $1 with the keyboard: a click gives it the focus
# (and opens its list, which Escape closes), then the arrow keys step.
key_page_choose() {
    local i
    click "$1"
    sleep 0.4
    key Escape
    sleep 0.2
    key Home
    for ((i = 0; i < $2; i++)); do key Down; done
    sleep 0.3
}

key_tab_checked() {
    [ "$(json_get "$(drv_state key_Op_tab)" checked)" = true ]
}

controls_inside() {
    local outer=$1 what=$2 ox oy ow oh x y w h name
    shift 2
    read -r ox oy ow oh < <(drv_geometry "$outer") || fail "$what: no $outer"
    for name in "$@"; do
        read -r x y w h < <(drv_geometry "$name") || fail "$what: $name not shown"
        if [ "$x" -lt "$ox" ] || [ "$y" -lt "$oy" ] || [ $((x + w)) -gt $((ox + ow)) ] ||
            [ $((y + h)) -gt $((oy + oh)) ]; then
            fail "$what: $name ($x $y $w $h) outside $outer ($ox $oy $ow $oh)"
        fi
    done
}

app_start_in_language() {
    app_stop || fail "the program did not end"
    mkdir -p "$E2E_USER_CONFIG"
    printf '{ "LANGUAGE" : %s }\r\n' "$1" >"$E2E_USER_CONFIG/settings.json"
    app_start || fail "the program did not start"
}

each_screen_and_language() {
    local check=$1 shot=$2 screen lang
    for screen in 1366x768x24 1920x1080x24; do
        [ "$E2E_SCREEN" = "$screen" ] || screen_set "$screen" || fail "no $screen screen"
        E2E_SCREEN=$screen
        for lang in 520 2052; do
            app_start_in_language "$lang"
            "$check" "$screen/$lang"
            xdotool mousemove 0 0
            sleep 0.5
            screenshot "${shot}_${screen%%x24}_$lang.png"
        done
    done
    # The next case starts from the default language.
    rm -f "$E2E_USER_CONFIG/settings.json"
    app_restart || fail "the program did not start"
}

# ------------------------------------------------------------------ pictures

screenshot() {
    import -window root "$1"
}

pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- |
        sed -n '2s/^[^(]*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
        awk '{printf "%d %d %d\n", $1, $2, $3}'
}

brightness() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -format '%[fx:int(255*mean)]' info:
}

# ------------------------------------------------------------------ processes
# State lives in files under $E2E_STATE so that cases (subshells) and the
# runner's clean-up see the same processes.

_pid_alive() {
    [ -n "$1" ] && kill -0 "$1" 2>/dev/null
}

_stop_pid() {
    local file=$E2E_STATE/$1.pid pid
    [ -f "$file" ] || return 0
    pid=$(cat "$file")
    rm -f "$file"
    _pid_alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null
    local i
    for i in $(seq 50); do
        _pid_alive "$pid" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
}

_x_up() {
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
}

_wm_up() {
    xprop -display "$DISPLAY" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null
}

# Starts Xvfb on a free display (it picks the number) and openbox.
x_start() {
    local screen=$1
    local fdfile=$E2E_STATE/displayfd
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$fdfile" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    echo $! >"$E2E_STATE/xvfb.pid"
    wait_until 20 grep -q '[0-9]' "$fdfile" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$(tr -dc '0-9' <"$fdfile")
    echo "$DISPLAY" >"$E2E_STATE/display"
    echo "$screen" >"$E2E_STATE/screen"
    E2E_SCREEN=$screen
    wait_until 20 _x_up || { echo "X display $DISPLAY not answering" >&2; return 1; }
    openbox --sm-disable >"$E2E_TMP/openbox.log" 2>&1 &
    echo $! >"$E2E_STATE/wm.pid"
    wait_until 20 _wm_up || { echo "openbox did not start" >&2; return 1; }
}

x_stop() {
    _stop_pid wm
    _stop_pid xvfb
}

app_running() {
    [ -f "$E2E_STATE/app.pid" ] && _pid_alive "$(cat "$E2E_STATE/app.pid")"
}

_driver_sees_window() {
    drv_windows | grep -F "$E2E_TITLE" >/dev/null
}

app_start() {
    : >"$E2E_STATE/app.env"
    [ $# -gt 0 ] && printf '%s\n' "$@" >"$E2E_STATE/app.env"
    rm -f "$E2E_STATE/app.pid" "$E2E_STATE/app.status"
    echo "== qx70-config start ($E2E_SCREEN) $*" >>"$E2E_LOG"
    # A small keeper notes the program's pid and, when it ends, its status,
    # for whichever shell stops it.
    bash -c '"$@" & echo $! >"$E2E_STATE/app.pid"; wait $!; echo $? >"$E2E_STATE/app.status"' \
        keeper env QT_QPA_PLATFORM=xcb QX70_DEBUG=1 DISPLAY="$DISPLAY" "$@" \
        "$E2E_BIN" --simulate </dev/null >>"$E2E_LOG" 2>&1 &
    wait_until 10 test -s "$E2E_STATE/app.pid" || { echo "qx70-config did not start" >&2; return 1; }
    # Polled rather than "search --sync": a window that goes away during a
    # search (the previous run's) makes xdotool fail at once.
    local deadline=$((SECONDS + E2E_START_TIMEOUT))
    until xdotool search --onlyvisible --name "$E2E_TITLE" >/dev/null 2>&1; do
        if ! app_running; then
            echo "qx70-config ended at start-up (status $(cat "$E2E_STATE/app.status" 2>/dev/null))" >&2
            return 1
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "qx70-config window did not appear" >&2
            return 1
        fi
        sleep 0.2
    done
    # The window is mapped; the driver answers once the loop runs.
    wait_until 30 _driver_sees_window || { echo "UI driver does not answer" >&2; return 1; }
}

# Ends the program like a logout does (SIGTERM closes the main window) and
# returns its exit status (137 when it had to be killed).
app_stop() {
    local file=$E2E_STATE/app.pid pid
    [ -f "$file" ] || return 0
    pid=$(cat "$file")
    if _pid_alive "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        if ! wait_until 30 bash -c "! kill -0 $pid 2>/dev/null"; then
            echo "qx70-config did not end after SIGTERM; killed" >&2
            kill -KILL "$pid" 2>/dev/null
        fi
    fi
    rm -f "$file"
    wait_until 5 test -s "$E2E_STATE/app.status" || return 1
    return "$(cat "$E2E_STATE/app.status")"
}

app_restart() {
    app_stop
    app_start "$@"
}

# Waits until the devices of the program's last start have arrived and the
# keyboard has applied its profile: the discovery thread's first pass ends
# with "软件标示 <id>，..." (the start-up line has a colon instead), and the
# keyboard streams LED frames only from then on. Pages are rebuilt and tabs
# reselected while devices arrive, so clicks made earlier may miss.
app_devices_settled() {
    wait_until "${1:-30}" _discovery_passed_since_start || return 1
    wait_until "${1:-30}" _keyboard_frames_flow
}

_discovery_passed_since_start() {
    awk '/^== qx70-config start/ { seen = 0 } /软件标示 / { seen = 1 } END { exit !seen }' "$E2E_LOG"
}

_keyboard_frames_flow() {
    local out
    out=$(sim_call FrameCount keyboard) || return 1
    [ "${out//[^0-9]/}" -gt 0 ] 2>/dev/null
}

screen_set() {
    local env=()
    [ -s "$E2E_STATE/app.env" ] && mapfile -t env <"$E2E_STATE/app.env"
    app_stop
    x_stop
    x_start "$1" || return 1
    app_start "${env[@]}"
}
