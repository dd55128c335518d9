# shellcheck shell=bash
# The application shell: notification routing, the close button to the tray
# and back, the instance messages other programs may send.

_main_shown() {
    drv_windows | grep -F "$E2E_TITLE" >/dev/null
}

_main_hidden() {
    ! _main_shown
}

case_shell_click_writes_its_debug_line() {
    wait_until 20 drv_visible device_select_next || fail "device_select_next not shown"
    log_mark
    # Devices arriving just after the start move the device bar: a person
    # whose click missed clicks again.
    local try
    for try in 1 2 3; do
        click device_select_next
        wait_until 2 debug_log_has "click device_select_next" && return 0
    done
    fail "no debug line for the click"
}

case_shell_close_button_hides_to_the_tray() {
    wait_until 20 drv_visible closebtn || fail "closebtn not shown"
    log_mark
    click closebtn
    wait_until 5 _main_hidden || fail "the main window is still shown"
    sleep 1
    app_running || fail "the program ended"
    debug_log_has "退出测试" && fail "the program ran its shutdown"
    sim_call TrayClick >/dev/null || fail "TrayClick failed"
    wait_until 10 _main_shown || fail "the tray click did not show the window again"
    drv_visible closebtn || fail "closebtn not visible after the tray click"
    app_running || fail "the program ended"
}

case_shell_instance_messages_from_other_programs() {
    log_mark
    if instance_message WM_HOOK_KEY_KBMACRO_MSG 256 4096 2>/dev/null; then
        fail "a hook message from outside was accepted"
    fi
    instance_message "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}" 1 1 2>/dev/null &&
        fail "the lighting-state broadcast was accepted from outside"
    instance_message "Morvath QX70 MECHANICAL GAMING KEYBOARD" 0 1 ||
        fail "the instance message was refused"
    wait_until 5 debug_log_has "软件标示" || fail "the instance message did not arrive"
    app_running || fail "the program ended"
}
