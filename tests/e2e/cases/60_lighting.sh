# shellcheck shell=bash
# The lighting page on the simulated keyboard and the skin panel: what the
# user picks reaches the device's settings record, the profile and the
# picture; the skin panel changes the window's background.

_profile_file() {
    local f
    for f in "$E2E_USER_DATA"/keyboard/*.Json; do
        [ -f "$f" ] && { echo "$f"; return 0; }
    done
    return 1
}

_profile_green() {
    local f
    f=$(_profile_file) || return 1
    tr -d '\r' <"$f" | sed -n 's/^ *"Green" : \([0-9]*\),\?$/\1/p' | head -1
}

_open_lighting_tab() {
    open_tab deng_Op_tab light_combo_modeSelect
}

# Selects item N of the mode combo from the keyboard, as a person may: a
# click gives the combo the focus (Escape closes its list again), Home goes
# to the first item and each Down to the next one. A person whose click
# missed (the page still settling after a start) tries again.
_pick_mode() {
    local want=$1 i _
    for _ in 1 2 3; do
        click light_combo_modeSelect
        sleep 0.3
        key Escape
        key Home
        for ((i = 0; i < want; i++)); do key Down; done
        wait_until 3 _selected_is light_combo_modeSelect "$want" && return 0
    done
    return 1
}

_selected_is() {
    [ "$(json_get "$(drv_state "$1")" selected)" = "$2" ]
}

case_lighting_mode_17_disables_the_settings() {
    _open_lighting_tab || fail "the lighting page is not shown (its layout is not hosted)"
    _pick_mode 17
    wait_until 5 _selected_is light_combo_modeSelect 17 || fail "mode 17 not selected"
    local name
    for name in deng_7color_check deng_color_layout colorpallet_layout deng_fx_layout \
        deng_light_layout deng_speed_layout light_color_layout; do
        [ "$(json_get "$(drv_state "$name")" enabled)" = false ] || fail "$name still enabled"
    done
    [ "$(json_get "$(drv_state lighteffect_layout)" enabled)" = true ] ||
        fail "the effect layout was disabled"
}

case_lighting_green_300_is_held_at_255() {
    _open_lighting_tab || fail "the lighting page is not shown (its layout is not hosted)"
    _pick_mode 5
    wait_until 5 _selected_is light_combo_modeSelect 5 || fail "mode 5 not selected"
    click deng_edit_G
    key ctrl+a
    type_text 300
    # Leaving the edit is what stores it.
    click deng_edit_R
    wait_until 5 _edit_is deng_edit_G 255 || fail "the edit shows $(drv_text deng_edit_G)"
    wait_until 5 _record_green_is 255 || fail "settings record green: $(sim_byte keyboard settings 7)"
    wait_until 5 _profile_green_is 255 || fail "profile Green: $(_profile_green)"
}

_edit_has_text() {
    [ -n "$(drv_text "$1")" ]
}

_edit_is() {
    [ "$(drv_text "$1")" = "$2" ]
}

_record_green_is() {
    [ "$(sim_byte keyboard settings 7)" = "$1" ]
}

_profile_green_is() {
    [ "$(_profile_green)" = "$1" ]
}

case_lighting_swatch_clears_the_colourful_check() {
    _open_lighting_tab || fail "the lighting page is not shown (its layout is not hosted)"
    _pick_mode 5
    wait_until 5 _selected_is light_combo_modeSelect 5 || fail "mode 5 not selected"
    if [ "$(json_get "$(drv_state deng_7color_check)" checked)" != true ]; then
        click deng_7color_check
    fi
    wait_until 5 _checked deng_7color_check || fail "check not set"
    [ "$(json_get "$(drv_state deng_7color_check)" checked)" = true ] || fail "check not set"
    click color_option_5
    wait_until 5 _unchecked deng_7color_check || fail "the colourful check stayed set"
    wait_until 5 _record_byte_is 5 0 || fail "settings record still colourful"
}

_checked() {
    [ "$(json_get "$(drv_state "$1")" checked)" = true ]
}

_unchecked() {
    [ "$(json_get "$(drv_state "$1")" checked)" = false ]
}

_record_byte_is() {
    [ "$(sim_byte keyboard settings "$1")" = "$2" ]
}

case_lighting_mode_change_reaches_device_and_picture() {
    _open_lighting_tab || fail "the lighting page is not shown (its layout is not hosted)"
    _pick_mode 5
    wait_until 5 _selected_is light_combo_modeSelect 5 || fail "mode 5 not selected"
    sleep 1
    local x y w h
    read -r x y w h < <(drv_geometry device_key_light) || fail "no keyboard picture"
    screenshot "$E2E_SHOTS/light_before.png"
    _pick_mode 17
    # Within 100 ms of the record reaching the device the picture is dark.
    wait_until 5 _record_mode_17 || fail "the device's record did not change"
    sleep 0.1
    screenshot "$E2E_SHOTS/light_after.png"
    local before after
    before=$(brightness "$E2E_SHOTS/light_before.png" "$x" "$y" "$w" "$h")
    after=$(brightness "$E2E_SHOTS/light_after.png" "$x" "$y" "$w" "$h")
    note "picture brightness $before -> $after"
    [ "$before" != "$after" ] || fail "the picture did not change"
}

_record_mode_17() {
    [ "$(sim_byte keyboard settings 1)" = 17 ]
}

_panel_closed() {
    ! drv_visible skinframe_root
}

# A panel left open by an earlier case would take the click as the click
# outside that closes it.
_open_skin_panel() {
    if drv_visible skinframe_root; then
        key Escape
        wait_until 5 _panel_closed || fail "an open skin panel did not close"
    fi
    click skinbtn
    wait_until 5 drv_visible skin_reset
}

case_skin_panel_opens_under_its_button() {
    wait_until 20 drv_visible skinbtn || fail "skinbtn not shown"
    _open_skin_panel || fail "the skin panel did not open"
    local bx by bw bh px py pw ph
    read -r bx by bw bh < <(drv_geometry skinbtn)
    read -r px py pw ph < <(drv_geometry skinframe_root)
    note "button $bx $by $bw $bh, panel part $px $py $pw $ph"
    [ "$py" -ge "$((by + bh))" ] || fail "the panel is not under the button"
    [ "$py" -le "$((by + bh + 60))" ] || fail "the panel is far below the button"
    [ "$((px + pw))" -le "$((bx + bw + 1))" ] || fail "the panel reaches past the button's right edge"
    key Escape
    wait_until 5 _panel_closed || fail "Escape did not close the panel"
}

case_skin_reset_writes_main_ini() {
    wait_until 20 drv_visible skinbtn || fail "skinbtn not shown"
    rm -f "$E2E_USER_DATA/main.ini"
    _open_skin_panel || fail "the skin panel did not open"
    click skin_reset
    wait_until 5 test -f "$E2E_USER_DATA/main.ini" || fail "main.ini not written"
    local ini
    ini=$(tr -d '\r' <"$E2E_USER_DATA/main.ini")
    printf '%s\n' "$ini" | grep -x '\[SKINIMAGE\]' >/dev/null || fail "no SKINIMAGE section: $ini"
    printf '%s\n' "$ini" | grep -x 'FLAGS=0' >/dev/null || fail "FLAGS not 0: $ini"
    printf '%s\n' "$ini" | grep -x 'IMAGE=common/background.png' >/dev/null || fail "IMAGE wrong: $ini"
}

case_skin_colour_paints_the_root() {
    wait_until 20 drv_visible skinbtn || fail "skinbtn not shown"
    _open_skin_panel || fail "the skin panel did not open"
    click skin_color
    wait_until 5 drv_visible skin_color_btn || fail "no colour buttons"
    click skin_color_btn
    key Escape
    wait_until 5 _panel_closed || fail "the panel stayed open"
    sleep 0.3
    local x y w h
    read -r x y w h < <(drv_geometry root) || fail "no root"
    screenshot "$E2E_SHOTS/skin_colour.png"
    local rgb
    rgb=$(pixel "$E2E_SHOTS/skin_colour.png" "$((x + 4))" "$((y + h - 4))")
    note "root corner $rgb"
    # The first colour button is 2B3A67.
    local r g b
    read -r r g b <<<"$rgb"
    [ "$r" -ge 35 ] && [ "$r" -le 51 ] && [ "$g" -ge 50 ] && [ "$g" -le 66 ] &&
        [ "$b" -ge 95 ] && [ "$b" -le 111 ] || fail "root corner is $rgb, not 43 58 103"
    [ -f "$E2E_USER_DATA/main.ini" ] && grep -q 'FLAGS=1' "$E2E_USER_DATA/main.ini" &&
        fail "a colour was recorded in main.ini"
    return 0
}

# The lighting page fits the window in both languages at both scales: the
# mode combo, the colour edits, the palette and the last swatch lie inside
# it. Pictures for review.
_lighting_page_fits() {
    _open_lighting_tab || fail "the lighting page is not shown"
    wait_until 20 _edit_has_text deng_edit_R || fail "the page never showed the settings"
    controls_inside root "$1" light_combo_modeSelect deng_edit_B deng_Color_Pallet \
        color_option_12
}

case_lighting_page_fits_both_languages_and_scales() {
    each_screen_and_language _lighting_page_fits "$E2E_SHOTS/light"
}
