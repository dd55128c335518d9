# shellcheck shell=bash
# The key assignment page as a person uses it: pick a key on the picture,
# give it a function, capture a key, and write the table to the keyboard.

key_page_selected() {
    json_get "$(drv_state "$1")" selected
}

# The keyboard's key map as one triple per line.
key_page_keymap() {
    sim_region keyboard keymap | tr ' ' '\n' | paste -d' ' - - -
}

# The triples that differ between two key maps, as "line triple".
key_page_changes() {
    diff <(printf '%s\n' "$1") <(printf '%s\n' "$2") | sed -n 's/^> //p'
}

key_page_profiles_with() {
    grep -l "\"Assignment\" : $1," "$E2E_USER_DATA"/*/*.Json 2>/dev/null
}

key_page_text_is() {
    [ "$(drv_text "$1")" = "$2" ]
}

# Key button $1 shows the mark of a changed assignment on the picture.
key_page_marked() {
    local state
    state=$(drv_state "key_$1") || return 1
    [ "$(json_get "$state" marked)" = true ] && [ "$(json_get "$state" visible)" = true ]
}

key_page_unmarked() {
    local state
    state=$(drv_state "key_$1") || return 1
    [ "$(json_get "$state" marked)" = false ]
}

# A fresh start of the program (changes other cases left unsaved in memory
# would be written too). The keyboard reads its profile once it has
# connected, which drops an edit made before: the LED frames it streams
# from then on tell that it has.
key_page_restart() {
    log_mark
    app_restart || fail "the program did not start"
    app_devices_settled 60 || fail "the keyboard did not finish connecting"
}

# The stored assignment of key $1 in the keyboard's selected profile file.
key_page_profile_entry() {
    python3 - "$E2E_USER_DATA/keyboard" "$1" <<'PY'
import json, os, sys
folder, key = sys.argv[1], int(sys.argv[2])
def load(path):
    with open(path, encoding="utf-8-sig") as f:
        return json.load(f)
bar = load(os.path.join(folder, "ProfileList.ini"))
entry = bar["profilelist"][int(bar["profileselect"])]
profile = load(os.path.join(folder, entry["profileUUID"] + ".Json"))
print(profile["Device"][0]["KeyList"][key]["Assignment"])
PY
}

# The English text of a message id, as the program's language file has it.
key_page_english_text() {
    sed -n "s|.*<Text id=\"$1\">\(.*\)</Text>.*|\1|p" "$(dirname "$E2E_BIN")/skin/lan_en.xml"
}

key_page_no_message() {
    ! drv_visible confirm_btn
}

# The device bar's first entry shows the name $1.
key_page_entry_first() {
    [ "$(drv_text device_select_name)" = "$1" ]
}

_key_page_entry_checked() {
    [ "$(json_get "$(drv_state device_select)" checked)" = true ]
}

# Selects the device bar's first entry, clicking again when a click came
# before the entry took clicks.
key_page_pick_first_entry() {
    local _
    for _ in 1 2 3 4 5; do
        click device_select
        wait_until 3 _key_page_entry_checked && return 0
    done
    return 1
}

key_page_gone() {
    ! drv_visible "key_$1"
}

case_key_page_esc_shows_its_name() {
    key_page_select 0
    assert_eq "Esc" "$(drv_text keyset_key_name)" "the key page's name of key_0"
}

case_key_page_media_mute_saves_one_key() {
    local before after changes
    key_page_restart
    key_page_select 1
    before=$(key_page_keymap)
    [ -n "$before" ] || fail "no key map region"
    key_page_choose keyset_function_combo 7
    wait_until 5 drv_visible keyset_media_combo || fail "the media sub-page did not show"
    key_page_choose keyset_media_combo 7
    assert_eq 7 "$(key_page_selected keyset_media_combo)" "media item"
    log_mark
    click key_butt_prosave
    wait_until 10 debug_log_has "key table save: 0" || fail "the save did not succeed"
    after=$(key_page_keymap)
    changes=$(key_page_changes "$before" "$after")
    assert_eq 1 "$(printf '%s\n' "$changes" | grep -c .)" "changed key map entries"
    assert_eq "30 e2 00" "$changes" "the changed entry"
    # 0x30E200 in the profile.
    [ -n "$(key_page_profiles_with 3203584)" ] || fail "no profile holds the mute assignment"
    assert_eq false "$(json_get "$(drv_state key_butt_prosave)" enabled)" "buttons after saving"
    # The picture marks the saved key, and no key that kept its function.
    wait_until 5 key_page_marked 1 || fail "key_1 shows no mark: $(drv_state key_1)"
    key_page_unmarked 0 || fail "key_0 was not changed but shows a mark: $(drv_state key_0)"
    # The mark comes from the saved profile on the next start too.
    key_page_restart
    key_page_select 0
    wait_until 10 key_page_marked 1 || fail "key_1 lost its mark after a restart: $(drv_state key_1)"
    key_page_unmarked 0 || fail "key_0 shows a mark after a restart: $(drv_state key_0)"
}

case_key_page_capture_right_alt_b() {
    local before changes
    key_page_restart
    key_page_select 2
    before=$(key_page_keymap)
    key_page_choose keyset_function_combo 6
    wait_until 5 drv_visible keyset_keyboard_text_edit || fail "the key sub-page did not show"
    click keyset_keyboard_text_edit
    sleep 0.3
    xdotool key Alt_R b
    wait_until 5 key_page_text_is keyset_keyboard_text_edit B || fail "captured text: '$(drv_text keyset_keyboard_text_edit)'"
    assert_eq true "$(json_get "$(drv_state key_ComBox_check_3)" checked)" "Alt option"
    log_mark
    click key_butt_prosave
    wait_until 10 debug_log_has "key table save: 0" || fail "the save did not succeed"
    changes=$(key_page_changes "$before" "$(key_page_keymap)")
    assert_eq "20 04 05" "$changes" "the captured assignment"
}

# The cable comes out while the table goes to the keyboard: the user is told
# it did not answer, and neither the keyboard nor the profile changed.
case_key_page_pulled_out_while_saving_saves_nothing() {
    local map entry text
    # A failure half-way leaves the keyboard out or a fault armed: the next
    # case gets a fresh program.
    trap '[ $? -eq 0 ] || app_stop >/dev/null 2>&1' EXIT
    key_page_restart
    key_page_select 50
    map=$(key_page_keymap)
    [ -n "$map" ] || fail "no key map region"
    entry=$(key_page_profile_entry 50) || fail "no key entry 50 in the profile"
    key_page_choose keyset_function_combo 7
    wait_until 5 drv_visible keyset_media_combo || fail "the media sub-page did not show"
    key_page_choose keyset_media_combo 7
    assert_eq 7 "$(key_page_selected keyset_media_combo)" "media item"
    wait_until 5 key_page_marked 50 || fail "the edited key shows no mark"
    # Out at the first report of the key table (command 0x09).
    assert_eq "(true,)" "$(sim_call UnplugAtCommand keyboard 9 0)" "arming the fault"
    log_mark
    click key_butt_prosave
    wait_until 30 drv_visible confirm_btn || fail "no message after the failed save"
    text=$(key_page_english_text message_text_7)
    [ -n "$text" ] || fail "no English text for message_text_7"
    assert_eq "$text" "$(drv_text MessageText)" "the message"
    debug_log_has "key table save: 1" || fail "the save did not end as not connected"
    key Return
    wait_until 10 key_page_no_message || fail "the message stays after Return"
    wait_until 10 key_page_gone 50 || fail "the keyboard's page stays after it went"
    assert_eq "$map" "$(key_page_keymap)" "the keyboard's key map"
    assert_eq "$entry" "$(key_page_profile_entry 50)" "key 50 in the profile"
    # Back in: the keyboard and the profile agree, and the picture with them.
    assert_eq "(true,)" "$(sim_call Plug keyboard)" "plugging the keyboard back"
    wait_until 60 key_page_entry_first keyboard || fail "the keyboard's entry did not come back"
    # Losing the keyboard selected the mouse: the user picks the keyboard.
    key_page_pick_first_entry || fail "the keyboard's entry does not take the click"
    key_page_select 50
    wait_until 30 key_page_unmarked 50 || fail "key_50 keeps the mark of a key table never written"
    assert_eq "$map" "$(key_page_keymap)" "the key map after plugging in again"
    assert_eq "$entry" "$(key_page_profile_entry 50)" "key 50 in the profile after plugging in"
    app_running || fail "the program ended"
}

case_key_page_count_edits_are_clamped() {
    key_page_select 3
    key_page_choose keyset_function_combo 3
    wait_until 5 drv_visible keyset_mousewheel_num_edit || fail "the wheel sub-page did not show"
    click keyset_mousewheel_num_edit
    key ctrl+a
    type_text abc
    click keyset_mousewheel_speed_edit
    wait_until 5 key_page_text_is keyset_mousewheel_num_edit 0 ||
        fail "abc shows as '$(drv_text keyset_mousewheel_num_edit)'"
    click keyset_mousewheel_num_edit
    key ctrl+a
    type_text 999
    click keyset_mousewheel_speed_edit
    wait_until 5 key_page_text_is keyset_mousewheel_num_edit 127 ||
        fail "999 shows as '$(drv_text keyset_mousewheel_num_edit)'"
}

# Every control of the page lies inside the page, at both scales and in both
# languages; the screenshots are kept for a look.
_key_page_fits() {
    key_page_select 0
    key_page_choose keyset_function_combo 6
    wait_until 5 drv_visible keyset_keyboard_text_edit || fail "no key sub-page"
    controls_inside KeySetControlItem "$1" keyset_function_combo key_butt_keydefalut \
        key_butt_keysave key_butt_keycancel key_butt_prosave keyset_keyboard_text_edit \
        key_ComBox_check_0 key_ComBox_check_4
}

case_key_page_fits_both_languages_and_scales() {
    each_screen_and_language _key_page_fits "$E2E_SHOTS/key_page"
}
