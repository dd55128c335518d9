# shellcheck shell=bash
# The settings window against a local update server: the requests it sends,
# the update mark on "setbtn", the record of the last check, a server that
# never answers, the language list, and the firmware updater prompt for a
# keyboard with old firmware.

_server_log() { echo "$E2E_TMP/update_requests.log"; }

# Starts the stand-in server in mode $1 and the program pointed at it.
_start_with_server() {
    local mode=$1
    shift
    app_stop
    _stop_server
    rm -f "$E2E_TMP/update_port"
    python3 "$E2E_DIR/update_server.py" --port-file "$E2E_TMP/update_port" \
        --log "$(_server_log)" --mode "$mode" >"$E2E_TMP/update_server.out" 2>&1 &
    echo $! >"$E2E_STATE/update_server.pid"
    wait_until 10 test -s "$E2E_TMP/update_port" || fail "the update server did not start"
    local port
    port=$(cat "$E2E_TMP/update_port")
    rm -f "$E2E_USER_DATA/updatetime.config"
    log_mark
    app_start "QX70_UPDATE_URL=http://127.0.0.1:$port/api/" "$@" || fail "the program did not start"
    wait_until 10 drv_visible setbtn || fail "no settings button"
}

_stop_server() {
    _stop_pid update_server
}

_request_count() {
    [ -f "$(_server_log)" ] || { echo 0; return; }
    wc -l <"$(_server_log)" | tr -d ' '
}

_requests_at_least() {
    [ "$(_request_count)" -ge "$1" ]
}

_settings_shown() {
    drv_windows | grep -x 'SetWnd' >/dev/null
}

_settings_gone() {
    ! _settings_shown
}

_open_settings() {
    # A click that lands while the window manager is still mapping the main
    # window, or while arriving devices move it, is lost; a person clicks
    # again.
    local _
    for _ in 1 2 3; do
        click setbtn
        wait_until 8 _settings_shown && break
        note "another click on setbtn"
    done
    _settings_shown || fail "the settings window did not open"
    wait_until 10 drv_visible Update_Status_text || fail "no update status"
}

# Prints "METHOD PATH BODY-AS-TEXT" for request N (1-based), the body's NUL
# bytes shown as \0, and checks its headers.
_request_line() {
    python3 - "$(_server_log)" "$1" <<'PY'
import json, sys
entry = json.loads(open(sys.argv[1]).read().splitlines()[int(sys.argv[2]) - 1])
body = bytes.fromhex(entry["body"])
headers = {k.lower(): v for k, v in entry["headers"]}
problems = []
if headers.get("content-length") != str(len(body)):
    problems.append("content-length %r for %d bytes" % (headers.get("content-length"), len(body)))
if headers.get("content-type") != "application/x-www-form-urlencoded":
    problems.append("content-type %r" % headers.get("content-type"))
if headers.get("accept") != "application/prs.Tavik.v1+json":
    problems.append("accept %r" % headers.get("accept"))
text = body.decode("latin-1").replace("\0", "\\0")
print(entry["method"], entry["path"], text, *(["BAD:" + "; ".join(problems)] if problems else []))
PY
}

_badge_gone() {
    ! drv_visible setbtn_badge
}

case_settings_sends_one_request_per_row_and_clears_the_mark() {
    _start_with_server older
    drv_visible setbtn_badge || fail "the update mark is not shown at start"
    # The mouse behind the receiver shows once the link poll has seen it.
    sleep 3
    _open_settings
    # Opened from "setbtn": 85 and 60 design pixels from the main window's
    # top-right corner, scaled like the main window.
    local scale mx my mw sx sy sw
    read -r mx my mw _ <<<"$(drv_geometry root)"
    read -r sx sy sw _ <<<"$(drv_geometry set_root)"
    case $E2E_SCREEN in 1920x1080*) scale=144 ;; *) scale=96 ;; esac
    local right=$((mx + mw - (sx + sw) - 85 * scale / 96)) top=$((sy - my - 60 * scale / 96))
    [ "${right#-}" -le 2 ] && [ "${top#-}" -le 2 ] ||
        fail "placement off by $right, $top (main $mx,$my,$mw settings $sx,$sy,$sw)"
    wait_until 20 _requests_at_least 4 || fail "only $(_request_count) requests"
    sleep 1
    assert_eq 4 "$(_request_count)" "requests"
    local i line
    local -a expect=(
        "POST /api/updates app_key=QX70_1_KB01_FW_1&version="
        "POST /api/updates app_key=QX70_1_MS01_FW_-1&version="
        "POST /api/updates app_key=QX70_2_PD01_FW_1&version="
        "POST /api/updates app_key=QX70_0_ALL_AP_1&version="
    )
    for i in 1 2 3 4; do
        line=$(_request_line "$i")
        note "request $i: $line"
        [[ $line == "${expect[$((i - 1))]}"*'\0' ]] || fail "request $i: '$line'"
        [[ $line == *BAD:* ]] && fail "request $i headers: $line"
    done
    wait_until 10 _badge_gone || fail "the update mark stayed although everything is up to date"
    local today
    today=$(date +%Y-%-m-%-d)
    grep -q "\"value\" : \"$today\"" "$E2E_USER_DATA/updatetime.config" ||
        fail "updatetime.config: $(cat "$E2E_USER_DATA/updatetime.config")"
    [[ $(drv_text Update_Status_text) == *"$today" ]] ||
        fail "status text '$(drv_text Update_Status_text)'"
    assert_eq "V0110" "$(drv_text OldRev)" "keyboard row version"
    click laterbtn
    wait_until 5 _settings_gone || fail "laterbtn did not close the window"
    app_running || fail "the program ended with the settings window"
}

case_a_newer_version_keeps_the_mark() {
    _start_with_server newer:MS01
    # The mouse behind the receiver shows once the link poll has seen it.
    sleep 3
    _open_settings
    wait_until 20 _requests_at_least 4 || fail "only $(_request_count) requests"
    wait_until 10 drv_visible update_fw_and_ap || fail "no update button for the newer mouse firmware"
    drv_visible setbtn_badge || fail "the update mark went although an update is offered"
    # Choosing the update marks it; the window still closes.
    screenshot "$E2E_SHOTS/settings_newer.png"
    click update_fw_and_ap
    wait_until 5 drv_visible update_OK_btn || { screenshot "$E2E_SHOTS/settings_newer_after.png"; fail "no confirmation page"; }
    click update_OK_btn
    wait_until 5 drv_visible update_fw_and_ap || fail "not back on the list"
    key Escape
    wait_until 5 _settings_gone || fail "a row marked for update kept the window open"
    drv_visible setbtn_badge || fail "the update mark went"
}

case_a_server_that_never_answers_does_not_hold_the_window() {
    _start_with_server hang
    _open_settings
    wait_until 10 _requests_at_least 1 || fail "no request reached the server"
    log_mark
    local start=$(date +%s%N)
    key Escape
    wait_until 5 _settings_gone || fail "Escape did not close the window"
    local ms=$((($(date +%s%N) - start) / 1000000))
    note "closed after $ms ms"
    [ "$ms" -le 1000 ] || fail "closing took $ms ms"
    app_running || fail "the program ended"
    debug_log_has "所有对象处于激发状态" || fail "no join line"
    if debug_log_has "超时"; then
        fail "the check was not stopped within the bound"
    fi
    _stop_server
}

_settings_file() {
    echo "$XDG_CONFIG_HOME/Morvath QX70 MECHANICAL GAMING KEYBOARD/settings.json"
}

_stored_language() {
    sed -n 's/.*"LANGUAGE" *: *\([0-9-]*\).*/\1/p' "$(_settings_file)"
}

_combo_is() {
    [ "$(json_get "$(drv_state Language_combox_info)" selected)" = "$1" ]
}

case_language_list_retexts_and_stores_the_choice() {
    _start_with_server older
    _open_settings
    # Language.config lists Chinese first, English second; a first start is English.
    wait_until 5 _combo_is 1 || fail "the list does not show the current language"
    assert_eq "Close" "$(drv_text laterbtn)" "English settings window"
    # English again: nothing changes.
    click Language_combox_info
    sleep 0.5
    key Escape
    # Chinese with the keyboard, as a user picks it from the open list.
    click Language_combox_info
    sleep 0.5
    key Up Return
    wait_until 5 _combo_is 0 || fail "Chinese not selected"
    wait_until 5 bash -c '[ "$(source '"$E2E_DIR"'/lib.sh; drv_text closebtn)" = "关闭" ]' ||
        fail "settings window not re-texted: '$(drv_text closebtn)'"
    assert_eq "设置" "$(drv_text setbtn)" "main window in Chinese"
    assert_eq 2052 "$(_stored_language)" "stored Chinese"
    click Language_combox_info
    sleep 0.5
    key Down Return
    wait_until 5 _combo_is 1 || fail "English not selected"
    wait_until 5 bash -c '[ "$(source '"$E2E_DIR"'/lib.sh; drv_text setbtn)" = "Settings" ]' ||
        fail "main window not re-texted: '$(drv_text setbtn)'"
    assert_eq 520 "$(_stored_language)" "stored English"
    key Escape
    wait_until 5 _settings_gone || fail "Escape did not close the window"
}

# A copy of the program folder with the stub updater installed.
_program_with_updater() {
    local prog=$E2E_TMP/program
    rm -rf "$prog"
    mkdir -p "$prog/Update"
    local src
    src=$(dirname "$E2E_BIN")
    cp -r "$src/skin" "$src/DefaultData" "$prog/"
    [ -d "$src/Font" ] && cp -r "$src/Font" "$prog/"
    cat >"$prog/Update/qx70-firmware-updater" <<STUB
#!/bin/sh
{ echo "args:\$*"; echo "argc:\$#"; echo "cwd:\$(pwd)"; } >"$E2E_TMP/updater.log"
STUB
    chmod 755 "$prog/Update/qx70-firmware-updater"
    echo "$prog"
}

_plug_old_keyboard() {
    sim_call SetRelease keyboard 0x0108 >/dev/null || fail "SetRelease"
    sim_call Unplug keyboard >/dev/null || fail "Unplug"
    sleep 1
    sim_call Plug keyboard >/dev/null || fail "Plug"
}

_prompt_shown() {
    drv_windows | grep -x 'msgwnd' >/dev/null
}

case_old_keyboard_firmware_starts_the_updater() {
    local prog
    prog=$(_program_with_updater)
    rm -f "$E2E_TMP/updater.log"
    _start_with_server older "QX70_PROGRAM_DIR=$prog"
    _plug_old_keyboard
    wait_until 20 _prompt_shown || fail "no firmware prompt"
    screenshot "$E2E_SHOTS/firmware_prompt.png"
    sleep 0.5
    key Return
    wait_until 10 test -s "$E2E_TMP/updater.log" || fail "the updater was not started"
    note "$(cat "$E2E_TMP/updater.log")"
    grep -qx 'args:On the upgrade' "$E2E_TMP/updater.log" || fail "updater arguments"
    grep -qx 'argc:3' "$E2E_TMP/updater.log" || fail "updater argument count"
    grep -qx "cwd:$prog/Update" "$E2E_TMP/updater.log" || fail "updater working folder"
    app_running || fail "the program ended"
    assert_eq 1 "$(drv_windows | grep -c .)" "windows after the prompt"
}

case_old_keyboard_firmware_cancel_ends_the_program() {
    local prog
    prog=$(_program_with_updater)
    _start_with_server older "QX70_PROGRAM_DIR=$prog"
    log_mark
    _plug_old_keyboard
    wait_until 20 _prompt_shown || fail "no firmware prompt"
    sleep 0.5
    key Escape
    wait_until 10 bash -c "! kill -0 $(cat "$E2E_STATE/app.pid") 2>/dev/null" ||
        fail "Cancel did not end the program"
    wait_until 5 test -s "$E2E_STATE/app.status" || fail "no exit status"
    assert_eq 0 "$(cat "$E2E_STATE/app.status")" "exit status"
    debug_log_has "退出测试" || fail "not the orderly shutdown"
    rm -f "$E2E_STATE/app.pid"
}

case_no_updater_no_prompt() {
    _start_with_server older
    log_mark
    _plug_old_keyboard
    if wait_until 4 _prompt_shown; then
        fail "a prompt without an updater"
    fi
    debug_log_has "firmware updater not installed: no prompt" || fail "no debug line"
    _stop_server
}

# Pictures of the window in both languages at both scales, for a person to
# look at; the check here is only that every text control shows.
case_settings_window_pictures() {
    local screen lang
    for screen in 1920x1080x24 1366x768x24; do
        screen_set "$screen" || fail "screen $screen"
        for lang in 520 2052; do
            app_stop
            mkdir -p "$(dirname "$(_settings_file)")"
            printf '{ "LANGUAGE" : %s }\r\n' "$lang" >"$(_settings_file)"
            _start_with_server newer:KB01
            _open_settings
            wait_until 20 drv_visible update_fw_and_ap || fail "no update offered"
            screenshot "$E2E_SHOTS/settings_${screen%%x24}_$lang.png"
            key Escape
            wait_until 5 _settings_gone || fail "Escape did not close the window"
        done
    done
    app_stop
    rm -f "$(_settings_file)"
    _stop_server
    return 0
}
