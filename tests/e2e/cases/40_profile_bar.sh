# shellcheck shell=bash
# The profile bar as a person uses it: adding, renaming, switching,
# exporting and importing profiles, the function tabs, and the keyboard's
# settings tab reaching the simulated keyboard.

_bar_list() {
    cat "$E2E_USER_DATA/keyboard/ProfileList.ini"
}

# The names in the list file, one a line.
_bar_names() {
    python3 -c 'import json,sys; print("\n".join(e["profilename"] for e in json.load(open(sys.argv[1]))["profilelist"]))' \
        "$E2E_USER_DATA/keyboard/ProfileList.ini"
}

_bar_select() {
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["profileselect"])' \
        "$E2E_USER_DATA/keyboard/ProfileList.ini"
}

# The identifier of list entry N.
_bar_uuid() {
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["profilelist"][int(sys.argv[2])]["profileUUID"])' \
        "$E2E_USER_DATA/keyboard/ProfileList.ini" "$1"
}

# Each case starts from a first run of the keyboard's profiles.
_bar_wait_page() {
    app_stop >/dev/null 2>&1
    rm -rf "$E2E_USER_DATA/keyboard"
    log_mark
    app_start || fail "the program did not start again"
    wait_until 60 drv_visible device_profile_combo || fail "the profile bar does not show"
    wait_until 30 drv_visible key_0 || fail "the keyboard page does not show"
    wait_until 10 test -f "$E2E_USER_DATA/keyboard/ProfileList.ini" || fail "no ProfileList.ini"
    # The keyboard has read its device information; a setting changed before
    # its start-up settles may not reach it (a known race).
    app_devices_settled 20 || fail "the keyboard did not finish connecting"
    sleep 1
}

# Clicks BUTTON and answers the question that follows with KEY.
_bar_answer() {
    click "$1"
    wait_until 10 drv_visible confirm_btn || fail "no question after $1"
    key "$2"
    wait_until 10 _bar_no_message || fail "the message window stays after $2"
}

# Checks for wait_until (run again on every try).
_bar_edit_is() {
    [ "$(drv_text device_profile_name_edit)" = "$1" ]
}

_bar_select_is() {
    [ "$(_bar_select)" = "$1" ]
}

_bar_names_are() {
    [ "$(_bar_names)" = "$1" ]
}

_bar_last_name_is() {
    [ "$(_bar_names | tail -n 1)" = "$1" ]
}

_bar_no_layer() {
    ! drv_visible Loading_Layout
}

_bar_hidden() {
    ! drv_visible "$1"
}

_bar_no_message() {
    ! drv_visible confirm_btn
}

_bar_message_text() {
    wait_until 10 drv_visible MessageText || return 1
    drv_text MessageText
}

_bar_rename_to() {
    click device_profile_name_edit
    key ctrl+a
    type_text "$1"
    click device_profile_edit_save_btn
}

case_profile_bar_add_with_return_and_escape() {
    _bar_wait_page
    assert_eq "profile1" "$(_bar_names)" "names at first start"
    _bar_answer device_add_btn Escape
    assert_eq "profile1" "$(_bar_names)" "names after Escape"
    _bar_answer device_add_btn Return
    assert_eq "profile1
profile2" "$(_bar_names)" "names after Return"
    assert_eq 1 "$(_bar_select)" "profileselect"
    [ -f "$E2E_USER_DATA/keyboard/$(_bar_uuid 1).Json" ] || fail "no profile file for profile2"
    # The combo keeps its choice: the new profile is the one the next start loads.
    assert_eq 0 "$(json_get "$(drv_state device_profile_combo)" selected)" "combo selection"
}

case_profile_bar_rename_and_refusals() {
    _bar_wait_page
    local uuid file
    uuid=$(_bar_uuid 0)
    file=$E2E_USER_DATA/keyboard/$uuid.Json
    _bar_rename_to "Game"
    wait_until 5 _bar_names_are "Game" || fail "the list was not renamed: $(_bar_names)"
    grep -q '"profilename" : "Game"' "$file" || fail "the profile file was not renamed"
    local before
    before=$(md5sum "$E2E_USER_DATA/keyboard/ProfileList.ini" "$file")
    _bar_rename_to "a/b"
    local text
    text=$(_bar_message_text) || fail "no message for a slash"
    case $text in *"cannot contain"*) ;; *) fail "wrong message for a slash: $text" ;; esac
    key Return
    wait_until 10 _bar_no_message || fail "the message stays"
    _bar_rename_to "seventeen_chars_x"
    text=$(_bar_message_text) || fail "no message for a long name"
    case $text in *"too long"*) ;; *) fail "wrong message for a long name: $text" ;; esac
    key Return
    wait_until 10 _bar_no_message || fail "the message stays"
    assert_eq "$before" "$(md5sum "$E2E_USER_DATA/keyboard/ProfileList.ini" "$file")" "files after refusals"
    assert_eq "Game" "$(drv_text device_profile_name_edit)" "the edit shows the name again"
}

case_profile_bar_switch_sends_the_profile() {
    _bar_wait_page
    _bar_answer device_add_btn Return
    # profile2 differs from profile1 in its polling rate (record byte 22).
    local file=$E2E_USER_DATA/keyboard/$(_bar_uuid 1).Json
    python3 - "$file" <<'PY' || fail "profile2 not edited"
import json, sys
d = json.load(open(sys.argv[1]))
d["Device"][0]["SystemStages"]["PollingRate"] = 1
open(sys.argv[1], "w").write(json.dumps(d, indent=3))
PY
    local settings
    read -r -a settings < <(sim_region keyboard settings) || fail "no settings region"
    [ "${settings[22]}" != "01" ] || fail "the keyboard already has polling rate 1"
    # The combo takes the focus with a click (its list opens; Escape folds
    # it), and the arrow key chooses the next profile.
    click device_profile_combo
    sleep 1
    key Escape
    sleep 0.3
    key Down
    wait_until 10 _bar_edit_is profile2 ||
        fail "the combo did not choose profile2: $(drv_text device_profile_name_edit)"
    wait_until 10 _bar_select_is 1 || fail "profileselect did not move"
    wait_until 10 _bar_no_layer || fail "the loading layer stays"
    wait_until 10 _bar_rate_is 01 || fail "the keyboard did not get profile2's record"
}

_bar_byte_is() {
    local -a s
    read -r -a s < <(sim_region keyboard settings) || return 1
    [ "${s[$1]}" = "$2" ]
}

_bar_rate_is() {
    _bar_byte_is 22 "$1"
}

case_profile_bar_export_then_import() {
    _bar_wait_page
    local out=$E2E_TMP/Exported.json
    click device_export_btn
    sleep 1.5
    key ctrl+a
    type_text "$out"
    key Return
    wait_until 10 test -f "$out" || fail "nothing was exported to $out"
    grep -q '"profilename"' "$out" || fail "the export is not a profile"
    click device_import_btn
    sleep 1.5
    key ctrl+a
    type_text "$out"
    key Return
    wait_until 10 _bar_last_name_is "Exported" || fail "not imported: $(_bar_names)"
    local uuid
    uuid=$(_bar_uuid 1)
    [ "$uuid" != "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["profileUUID"])' "$out")" ] ||
        fail "the import kept the file's identifier"
    grep -q '"profilename" : "Exported"' "$E2E_USER_DATA/keyboard/$uuid.Json" || fail "no imported file"
}

case_profile_bar_tabs_switch_pages() {
    _bar_wait_page
    drv_visible polling_rate_option_2 && fail "the settings tab shows at start"
    click system_Op_tab
    wait_until 5 drv_visible polling_rate_option_2 || fail "the settings tab did not open"
    click macro_Op_tab
    wait_until 5 _bar_hidden polling_rate_option_2 || fail "the settings page stays after the macro tab"
    drv_visible cursor_Op_tab && fail "the keyboard shows the pointer tab"
    click deng_Op_tab
    drv_visible key_0 || fail "the picture went"
}

case_profile_bar_system_page_reaches_the_keyboard() {
    _bar_wait_page
    click system_Op_tab
    wait_until 5 drv_visible polling_rate_option_2 || fail "the settings tab did not open"
    click polling_rate_option_2
    wait_until 10 _bar_rate_is 02 || fail "polling rate 2 did not reach the keyboard"
    local -a s
    read -r -a s < <(sim_region keyboard settings)
    assert_eq 00 "${s[21]}" "Windows lock before"
    click winlockflag_option
    wait_until 10 _bar_byte_is 21 01 || fail "the Windows-key lock did not reach the keyboard"
    grep -q '"WinFlag" : 1' "$E2E_USER_DATA/keyboard/$(_bar_uuid 0).Json" || fail "the profile does not keep the lock"
}
