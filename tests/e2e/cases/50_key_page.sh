# shellcheck shell=bash
# The key assignment page as a person uses it: pick a key on the picture,
# give it a function, capture a key, and write the table to the keyboard.

# Opens the key page of the keyboard and selects key button $1.
key_page_select() {
    wait_until 30 drv_visible key_Op_tab || fail "key_Op_tab not shown"
    # Devices arriving just after the start move the tab row: a person
    # whose click missed clicks again.
    local try
    for try in 1 2 3; do
        click key_Op_tab
        wait_until 3 _key_tab_checked && break
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

_key_tab_checked() {
    [ "$(json_get "$(drv_state key_Op_tab)" checked)" = true ]
}

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

case_key_page_esc_shows_its_name() {
    key_page_select 0
    assert_eq "Esc" "$(drv_text keyset_key_name)" "the key page's name of key_0"
}

case_key_page_media_mute_saves_one_key() {
    local before after changes
    # Changes other cases left unsaved in memory would be written too.
    app_restart || fail "the program did not start"
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
}

case_key_page_capture_right_alt_b() {
    local before changes
    app_restart || fail "the program did not start"
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
key_page_inside() {
    local px py pw ph x y w h name
    read -r px py pw ph < <(drv_geometry KeySetControlItem) || fail "no key page"
    for name in keyset_function_combo key_butt_keydefalut key_butt_keysave key_butt_keycancel \
        key_butt_prosave keyset_keyboard_text_edit key_ComBox_check_0 key_ComBox_check_4; do
        read -r x y w h < <(drv_geometry "$name") || fail "$1: $name not shown"
        if [ "$x" -lt "$px" ] || [ "$y" -lt "$py" ] || [ $((x + w)) -gt $((px + pw)) ] ||
            [ $((y + h)) -gt $((py + ph)) ]; then
            fail "$1: $name ($x $y $w $h) outside the page ($px $py $pw $ph)"
        fi
    done
}

case_key_page_fits_both_languages_and_scales() {
    local settings="$E2E_USER_CONFIG/settings.json" screen lang
    for screen in 1366x768x24 1920x1080x24; do
        [ "$E2E_SCREEN" = "$screen" ] || screen_set "$screen" || fail "no $screen screen"
        E2E_SCREEN=$screen
        for lang in 520 2052; do
            app_stop || fail "the program did not end"
            mkdir -p "$E2E_USER_CONFIG"
            printf '{ "LANGUAGE" : %s }\r\n' "$lang" >"$settings"
            app_start || fail "the program did not start"
            key_page_select 0
            key_page_choose keyset_function_combo 6
            wait_until 5 drv_visible keyset_keyboard_text_edit || fail "no key sub-page"
            key_page_inside "$screen/$lang"
            xdotool mousemove 0 0
            sleep 0.5
            screenshot "$E2E_SHOTS/key_page_${screen%%x24}_$lang.png"
        done
    done
    rm -f "$settings"
}
