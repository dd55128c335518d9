# shellcheck shell=bash
# The battery widget in the title bar: what the simulated keyboard's battery
# reports shows as the level, the charge state picture and the wireless mark
# of the keyboard's entry, within one battery period (5 s) of the change.

# A battery poll every 5 s; the first one follows the connection's reads.
CONTROLS_BATTERY_WAIT=15

controls_wait_keyboard() {
    wait_until 30 debug_log_has "添加一个键盘设备" || fail "the keyboard never connected"
    wait_until "$CONTROLS_BATTERY_WAIT" drv_visible device_power_value ||
        fail "the keyboard's battery widget does not show"
}

controls_level_is() {
    [ "$(drv_text device_power_value)" = "$1" ]
}

# Pixels of the charge state picture on the screen that are the charging
# bolt's yellow.
controls_yellow_pixels() {
    local x y w h shot=$E2E_SHOTS/status.png
    read -r x y w h < <(drv_geometry device_power_status) || return 1
    screenshot "$shot" || return 1
    convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- |
        sed -n 's/^[^(]*(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
        awk '$1 > 200 && $2 > 140 && $3 < 110 { n++ } END { print n + 0 }'
}

controls_shows_charging() {
    [ "$(controls_yellow_pixels)" -gt 8 ]
}

controls_shows_on_battery() {
    [ "$(controls_yellow_pixels)" -eq 0 ]
}

case_controls_battery_level_shows_within_the_period() {
    controls_wait_keyboard
    sim_call SetBattery keyboard 37 false >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "37%" ||
        fail "the battery widget shows '$(drv_text device_power_value)', not 37%"
    local state
    state=$(drv_state device_Power_progress) || fail "no level bar"
    assert_eq 63 "$(json_get "$state" value)" "the bar's empty part"
    wait_until 5 controls_shows_on_battery || fail "the charge state picture is not 'on battery'"
    sim_call SetBattery keyboard 82 false >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "82%" ||
        fail "the battery widget shows '$(drv_text device_power_value)', not 82%"
    # A wired keyboard has no wireless mark.
    drv_visible device_wuxian_logo && fail "a wired keyboard shows the wireless mark"
    return 0
}

case_controls_charging_shows_the_charging_state() {
    controls_wait_keyboard
    sim_call SetBattery keyboard 55 true >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "55%" ||
        fail "the battery widget shows '$(drv_text device_power_value)', not 55%"
    wait_until 5 controls_shows_charging ||
        fail "no charging picture ($(controls_yellow_pixels) bolt pixels)"
    sim_call SetBattery keyboard 55 false >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_shows_on_battery ||
        fail "the charging picture stays ($(controls_yellow_pixels) bolt pixels)"
}

case_controls_wireless_keyboard_shows_the_wireless_mark() {
    controls_wait_keyboard
    drv_visible device_wuxian_logo && fail "the wired keyboard shows the wireless mark"
    # The same keyboard reached through the receiver.
    sim_call Link keyboard >/dev/null || fail "Link keyboard refused"
    sim_call Unplug keyboard >/dev/null || fail "Unplug keyboard refused"
    sim_call SetBattery keyboard 64 false >/dev/null || fail "SetBattery refused"
    # Losing the wired keyboard selected another device: pick the keyboard
    # again (the first entry of the device bar).
    wait_until 30 debug_log_has "删除一个键盘设备" || fail "the wired keyboard stays"
    wait_until 30 drv_visible device_select || fail "no device entry"
    local tries=0
    until drv_visible device_wuxian_logo || [ $tries -ge 15 ]; do
        click device_select
        sleep 2
        tries=$((tries + 1))
    done
    drv_visible device_wuxian_logo || fail "no wireless mark for the wireless keyboard"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "64%" ||
        fail "the wireless keyboard's level shows '$(drv_text device_power_value)', not 64%"
    screenshot "$E2E_SHOTS/wireless_keyboard.png"
}

case_controls_device_bar_screenshots() {
    controls_wait_keyboard
    sim_call SetBattery keyboard 37 true >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "37%" || fail "no level"
    screenshot "$E2E_SHOTS/device_bar_1920.png"
    screen_set 1366x768x24 || fail "no 1366x768 screen"
    controls_wait_keyboard
    sim_call SetBattery keyboard 37 true >/dev/null || fail "SetBattery refused"
    wait_until "$CONTROLS_BATTERY_WAIT" controls_level_is "37%" || fail "no level at 1366x768"
    local x y w h
    read -r x y w h < <(drv_geometry device_power_value) || fail "no level text"
    [ "$w" -gt 0 ] && [ "$h" -gt 0 ] || fail "the level text has no room"
    screenshot "$E2E_SHOTS/device_bar_1366.png"
    [ -n "${CONTROLS_SHOTS_TO:-}" ] && cp "$E2E_SHOTS"/device_bar_*.png "$CONTROLS_SHOTS_TO"/
    return 0
}
