# shellcheck shell=bash
# The macro page: adding a macro, recording keys typed into another X client
# and the recorded delays, the stop click left out, and the in-window capture.

_macro_list() {
    cat "$E2E_USER_DATA/keyboard/macro.config" 2>/dev/null
}

_lists_macro_1() {
    _macro_list | grep '"MacroName" : "macro_1"' >/dev/null
}

_macro_file() {
    # The newest: earlier cases may have left theirs.
    find "$E2E_USER_DATA/keyboard" -name '*.mac' -printf '%T@ %p\n' | sort -n | tail -n 1 |
        cut -d' ' -f2-
}

_open_macro_page() {
    open_tab macro_Op_tab macro_btn_name_add || fail "macro page not shown"
}

# Waits for the program's message window, answers it with KEY and waits for
# it to go (a key sent before the window has the focus would be lost).
_answer_message() {
    wait_until 10 drv_visible confirm_btn || fail "no message window"
    sleep 0.3
    key "$1"
    local tries=0
    while drv_visible confirm_btn; do
        tries=$((tries + 1))
        [ "$tries" -gt 50 ] && fail "the message window stays"
        [ $((tries % 10)) -eq 0 ] && key "$1"
        sleep 0.2
    done
}

_add_macro() {
    click macro_btn_name_add
    _answer_message Return
    wait_until 10 _lists_macro_1 ||
        fail "macro.config does not list macro_1"
}

# A foreign X client to type into while recording.
_foreign_window() {
    xmessage -geometry 300x100+10+10 "another program" &
    echo $! >"$E2E_TMP/xmessage.pid"
    wait_until 10 sh -c "xdotool search --name xmessage >/dev/null" || fail "no xmessage window"
}

_foreign_window_gone() {
    kill "$(cat "$E2E_TMP/xmessage.pid")" 2>/dev/null
}

case_macro_add_lists_it_in_macro_config() {
    _open_macro_page
    _add_macro
    _macro_list | grep '"MacroName" : "macro_1"' >/dev/null || fail "macro_1 missing: $(_macro_list)"
}

case_macro_record_keys_typed_into_another_client() {
    _open_macro_page
    _add_macro
    click macro_btn_starredio
    wait_until 5 drv_visible macro_btn_stopredio || fail "stop button not shown"
    _foreign_window
    xdotool search --name xmessage windowfocus --sync %1
    xdotool key --delay 400 a b
    sleep 0.3
    click macro_btn_stopredio
    _foreign_window_gone
    wait_until 5 drv_visible macro_btn_starredio || fail "recording did not stop"
    local file
    file=$(_macro_file)
    [ -n "$file" ] || fail "no .mac file written"
    python3 - "$file" <<'PY' || fail "recorded macro: $(cat "$file")"
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
ev = doc["Events"]
assert doc["Version"] == 64, doc
assert [(e["Action"], e["Type"], e["Button"]) for e in ev] == [
    ("down", 10, 4), ("up", 10, 4), ("down", 10, 5), ("up", 10, 5)], ev
# xdotool spends half its delay after the press and half after the release.
assert 160 <= int(ev[0]["Delay"]) <= 240, ev
assert int(ev[3]["Delay"]) == 10, ev
PY
}

case_macro_window_capture_records_only_window_keys() {
    log_mark
    app_restart QX70_INPUT_CAPTURE=window
    # Devices that are still arriving rebuild the pages under the clicks.
    app_devices_settled || fail "the keyboard did not finish connecting"
    _open_macro_page
    _add_macro
    click macro_btn_starredio
    _answer_message Return # the notice that only this window is recorded
    wait_until 5 drv_visible macro_btn_stopredio || fail "stop button not shown"
    _foreign_window
    xdotool search --name xmessage windowfocus --sync %1
    xdotool key x
    xdotool search --onlyvisible --name "$E2E_TITLE" windowfocus --sync %1
    xdotool key c
    sleep 0.3
    click macro_btn_stopredio
    _foreign_window_gone
    local file
    file=$(_macro_file)
    python3 - "$file" <<'PY' || fail "window capture: $(cat "$file")"
import json, sys
ev = json.load(open(sys.argv[1], encoding="utf-8")).get("Events", [])
assert [(e["Action"], e["Button"]) for e in ev] == [("down", 6), ("up", 6)], ev
PY
}

case_macro_page_screenshots() {
    _open_macro_page
    _add_macro
    screenshot "$E2E_SHOTS/macro_page_en.png"
}

_bars_enabled() {
    json_get "$(drv_state device_select_layout)" enabled | grep true >/dev/null
}

case_macro_unplug_while_recording_stops_it() {
    _open_macro_page
    _add_macro
    click macro_btn_starredio
    wait_until 5 drv_visible macro_btn_stopredio || fail "stop button not shown"
    _bars_enabled && fail "the device bar is enabled while recording"
    _foreign_window
    xdotool search --name xmessage windowfocus --sync %1
    xdotool key a
    sim_call Unplug keyboard >/dev/null || fail "Unplug failed"
    wait_until 10 _bars_enabled || fail "the device bar stayed disabled"
    xdotool key b c
    sleep 0.5
    _foreign_window_gone
    local file
    file=$(_macro_file)
    [ -n "$file" ] || fail "the recording was not saved"
    python3 - "$file" <<'PY' || fail "after unplug: $(cat "$file")"
import json, sys
ev = json.load(open(sys.argv[1], encoding="utf-8")).get("Events", [])
assert [(e["Action"], e["Button"]) for e in ev] == [("down", 4), ("up", 4)], ev
PY
}

# Records the keys "$1" (xdotool key names) typed into another client, with
# $2 ms between them, into the new macro, and stops.
_record_into_other_client() {
    click macro_btn_starredio
    wait_until 5 drv_visible macro_btn_stopredio || fail "stop button not shown"
    _foreign_window
    xdotool search --name xmessage windowfocus --sync %1
    # shellcheck disable=SC2086 # one key name per word
    xdotool key --delay "$2" $1
    sleep 0.5
    click macro_btn_stopredio
    _foreign_window_gone
    wait_until 5 drv_visible macro_btn_starredio || fail "recording did not stop"
}

_action_rows() {
    json_get "$(drv_state macro_action_list)" count
}

case_macro_120_characters_fill_the_macro_ending_in_a_release() {
    _open_macro_page
    _add_macro
    local letters=(a b c d e f g h i j k l m n o p q r s t u v w x y z) keys="" i
    for ((i = 0; i < 120; i++)); do keys+="${letters[i % 26]} "; done
    _record_into_other_client "$keys" 12
    assert_eq 90 "$(_action_rows)" "rows on the page"
    local file
    file=$(_macro_file)
    python3 - "$file" <<'PY' || fail "120 characters: $(head -c 600 "$file")"
import json, sys
ev = json.load(open(sys.argv[1], encoding="utf-8"))["Events"]
assert len(ev) == 90, len(ev)
assert ev[-1]["Action"] == "up", ev[-1]
# Every press has its release: no key stays down on the keyboard.
held = set()
for e in ev:
    (held.add if e["Action"] == "down" else held.discard)(e["Button"])
assert not held, held
PY
}

case_macro_assigned_to_a_key_reaches_the_keyboard() {
    # Its own macro list: macro 0 is the one recorded here.
    app_stop >/dev/null 2>&1
    rm -rf "$E2E_USER_DATA/keyboard"
    log_mark
    app_start || fail "the program did not start"
    app_devices_settled || fail "the keyboard did not finish connecting"
    _open_macro_page
    _add_macro
    _record_into_other_client "a b" 200
    key_page_select 1
    key_page_choose keyset_function_combo 9
    wait_until 5 drv_visible keyset_macro_combo || fail "the macro sub-page did not show"
    key_page_choose keyset_macro_combo 0
    key_page_choose keyset_macro_over_combo 0
    assert_eq macro_1 "$(drv_text keyset_macro_combo)" "the key's macro"
    log_mark
    click key_butt_prosave
    wait_until 10 debug_log_has "key table save: 0" || fail "the save did not succeed"
    sim_region keyboard keymap | tr ' ' '\n' | paste -d' ' - - - | grep '^7[01] 00 ' >/dev/null ||
        fail "no key of the keyboard calls macro 0"
    python3 - "$(sim_region keyboard macros)" <<'PY' || fail "macro memory: $(sim_region keyboard macros | head -c 200)"
import sys
b = bytes.fromhex(sys.argv[1])
assert b[:2] == b"\xaa\x55", b[:8].hex()
count = b[4] | b[5] << 8
assert count == 1, count
at = b[16] | b[17] << 8
events = b[at] | b[at + 1] << 8
assert events == 4, events
# Key rows: press and release of a (4) then b (5); bit 7 marks a press.
rows = [(b[at + 4 + 4 * i + 2], b[at + 4 + 4 * i + 3]) for i in range(4)]
assert rows == [(0x8A, 4), (0x0A, 4), (0x8A, 5), (0x0A, 5)], rows
PY
}
