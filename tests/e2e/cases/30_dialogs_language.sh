# shellcheck shell=bash
# The about window (one at a time, closed by the window manager without
# ending the program) and the stored language choice re-texting the window.
#
# The about window opens from the tray menu. A test display has no tray host
# to right-click, so the simulator's TrayMenu() stands in for that right
# click; the menu item itself is clicked with real input.

_settings_file() {
    echo "$XDG_CONFIG_HOME/Morvath QX70 MECHANICAL GAMING KEYBOARD/settings.json"
}

_stored_language() {
    sed -n 's/.*"LANGUAGE" *: *\([0-9-]*\).*/\1/p' "$(_settings_file)"
}

_about_windows() {
    drv_windows | grep -cx '  '
}

# The about window's title is two spaces (the window manager may show the
# program's name after it).
_about_active() {
    local name
    name=$(xdotool getactivewindow getwindowname 2>/dev/null) || return 1
    [[ $name == "  "* ]]
}

# Focuses the about window as a user does, then the window manager's close.
_alt_f4_about() {
    click about_title
    wait_until 5 _about_active || fail "the about window did not take the focus"
    key alt+F4
    wait_until 10 _about_gone || fail "Alt+F4 did not close the about window"
}

_open_about() {
    sim_call TrayMenu >/dev/null || fail "TrayMenu call"
    wait_until 10 drv_visible about_menu || fail "the tray menu did not open"
    click about_menu
}

case_about_window_opens_once_and_alt_f4_keeps_the_program() {
    _open_about
    wait_until 10 drv_visible software_ver_label || fail "the about window did not open"
    local version
    version=$(drv_text software_ver_label)
    [[ $version =~ V[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version text '$version'"
    assert_eq 1 "$(_about_windows)" "about windows"
    # Asking again while it is open opens no second one.
    sim_call TrayMenu >/dev/null
    if wait_until 3 drv_visible about_menu; then
        click about_menu
    else
        note "the tray menu stays closed while the about window is open"
    fi
    sleep 1
    assert_eq 1 "$(_about_windows)" "about windows after a second request"
    # The home-page button does nothing.
    click homepage_btn
    sleep 0.5
    drv_visible software_ver_label || fail "homepage_btn closed the about window"
    _alt_f4_about
    sleep 1
    app_running || fail "the program ended with the about window"
    drv_windows | grep -F "$E2E_TITLE" >/dev/null || fail "the main window is gone"
    assert_eq 0 "$(_about_windows)" "about windows after Alt+F4"
}

_about_gone() {
    [ "$(_about_windows)" = 0 ]
}

# Restarts the program with $1 as the stored choice; none when empty.
_start_with_language() {
    app_stop || fail "the program did not end cleanly"
    mkdir -p "$(dirname "$(_settings_file)")"
    rm -f "$(_settings_file)"
    [ -n "$1" ] && printf '{ "LANGUAGE" : %s }\r\n' "$1" >"$(_settings_file)"
    log_mark
    app_start || fail "the program did not start"
    wait_until 10 drv_visible closebtn || fail "no close button"
}

case_stored_language_retexts_the_window() {
    # A first start is English, and stores that.
    _start_with_language ""
    assert_eq "Close" "$(drv_text closebtn)" "English close button"
    assert_eq "Settings" "$(drv_text setbtn)" "English settings button"
    assert_eq 520 "$(_stored_language)" "stored choice"
    debug_log_has "写成功！" || fail "the choice was not stored"

    _start_with_language 2052
    assert_eq "关闭" "$(drv_text closebtn)" "Chinese close button"
    assert_eq "设置" "$(drv_text setbtn)" "Chinese settings button"
    assert_eq 2052 "$(_stored_language)" "stored choice"
    # The menu and the about window follow too.
    _open_about
    wait_until 10 drv_visible software_ver_label || fail "the about window did not open"
    [[ $(drv_text software_ver_label) == 软件版本：V* ]] ||
        fail "about version text '$(drv_text software_ver_label)'"
    _alt_f4_about

    # An unknown id falls back to the first language and is rewritten.
    _start_with_language 9999
    assert_eq "关闭" "$(drv_text closebtn)" "fallback language"
    assert_eq 2052 "$(_stored_language)" "rewritten choice"

    # Back to a first start for the cases after this one.
    app_stop
    rm -f "$(_settings_file)"
    return 0
}
