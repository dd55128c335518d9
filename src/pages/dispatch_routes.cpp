#include "pages/dispatch_routes.h"

#include <array>

#include "pages/control_name.h"

namespace pages {
namespace {

using M = Match;
using R = Route;
using O = Owner;

constexpr RouteInfo kRouteInfo[] = {
    {R::WindowStart, O::Shell, "WindowStart", kNoIndex},
    {R::WindowResized, O::Shell, "WindowResized", kNoIndex},
    {R::CloseToTray, O::Shell, "CloseToTray", kNoIndex},
    {R::HideWindow, O::Shell, "HideWindow", kNoIndex},
    {R::ToggleLightControl, O::Shell, "ToggleLightControl", kNoIndex},
    {R::Minimize, O::Shell, "Minimize", kNoIndex},
    {R::Maximize, O::Shell, "Maximize", kNoIndex},
    {R::Restore, O::Shell, "Restore", kNoIndex},
    {R::OpenDeviceSettings, O::Shell, "OpenDeviceSettings", 2},
    {R::RestoreDeviceDefaults, O::Shell, "RestoreDeviceDefaults", kNoIndex},
    {R::ClearRepeatTest, O::Shell, "ClearRepeatTest", kNoIndex},
    {R::FillCustomBright, O::Shell, "FillCustomBright", kNoIndex},
    {R::FillCustomOff, O::Shell, "FillCustomOff", kNoIndex},
    {R::SelectDevicePrev, O::Shell, "SelectDevicePrev", kNoIndex},
    {R::SelectDeviceNext, O::Shell, "SelectDeviceNext", kNoIndex},
    // Keyboards have rates 0..3, mice 0..4; the handler narrows it.
    {R::PollingRate, O::Shell, "PollingRate", 5},
    {R::RepeatDelay, O::Shell, "RepeatDelay", 4},
    {R::WinLockFlag, O::Shell, "WinLockFlag", kNoIndex},
    {R::WFlag, O::Shell, "WFlag", kNoIndex},
    {R::Key6Flag, O::Shell, "Key6Flag", kNoIndex},
    {R::DeviceBarSelected, O::Shell, "DeviceBarSelected", kNoIndex},
    {R::FunctionTab, O::Shell, "FunctionTab", kNoIndex},
    {R::RepeatRate, O::Shell, "RepeatRate", kNoIndex},
    {R::RedSlider, O::Shell, "RedSlider", kNoIndex},
    {R::GreenSlider, O::Shell, "GreenSlider", kNoIndex},
    {R::BlueSlider, O::Shell, "BlueSlider", kNoIndex},
    {R::DpiSliderToEdit, O::Shell, "DpiSliderToEdit", 7},
    {R::DpiEditToSlider, O::Shell, "DpiEditToSlider", 7},
    {R::KeyCaptureOn, O::Shell, "KeyCaptureOn", kNoIndex},
    {R::KeyCaptureOff, O::Shell, "KeyCaptureOff", kNoIndex},
    {R::MenuShow, O::Shell, "MenuShow", kNoIndex},
    {R::MenuExit, O::Shell, "MenuExit", kNoIndex},
    {R::MenuAutostart, O::Shell, "MenuAutostart", kNoIndex},

    {R::SelectKey, O::KeyPage, "SelectKey", kKeyCountLimit},
    {R::KeySave, O::KeyPage, "KeySave", kNoIndex},
    {R::KeyDefault, O::KeyPage, "KeyDefault", kNoIndex},
    {R::KeyCancel, O::KeyPage, "KeyCancel", kNoIndex},
    {R::KeySaveToProfile, O::KeyPage, "KeySaveToProfile", kNoIndex},
    {R::KeyModifier, O::KeyPage, "KeyModifier", 5},
    {R::KeyFunctionList, O::KeyPage, "KeyFunctionList", kNoIndex},
    {R::KeyParameterEdit, O::KeyPage, "KeyParameterEdit", kNoIndex},

    {R::LightColourOption, O::LightingPage, "LightColourOption", 13},
    {R::LightDirection, O::LightingPage, "LightDirection", kNoIndex},
    {R::LightSevenColour, O::LightingPage, "LightSevenColour", kNoIndex},
    {R::LightBrightness, O::LightingPage, "LightBrightness", kNoIndex},
    {R::LightSpeed, O::LightingPage, "LightSpeed", kNoIndex},
    {R::LightMode, O::LightingPage, "LightMode", kNoIndex},
    {R::LightColourEdit, O::LightingPage, "LightColourEdit", kNoIndex},
    {R::LightPaletteColour, O::LightingPage, "LightPaletteColour", kNoIndex},
    {R::LightDragSelect, O::LightingPage, "LightDragSelect", kNoIndex},
    {R::MusicBackgroundOff, O::LightingPage, "MusicBackgroundOff", kNoIndex},

    {R::MacroSelectRow, O::MacroPage, "MacroSelectRow", kNoIndex},
    {R::MacroRecordStart, O::MacroPage, "MacroRecordStart", kNoIndex},
    {R::MacroRecordStop, O::MacroPage, "MacroRecordStop", kNoIndex},
    {R::MacroNameEdit, O::MacroPage, "MacroNameEdit", kNoIndex},
    {R::MacroSaveOrCancel, O::MacroPage, "MacroSaveOrCancel", kNoIndex},
    {R::MacroFile, O::MacroPage, "MacroFile", kNoIndex},
    {R::MacroMoveStep, O::MacroPage, "MacroMoveStep", kNoIndex},
    {R::MacroDeleteSteps, O::MacroPage, "MacroDeleteSteps", kNoIndex},
    {R::MacroInsertMove, O::MacroPage, "MacroInsertMove", kNoIndex},
    {R::MacroSelect, O::MacroPage, "MacroSelect", kNoIndex},
    {R::MacroDelayEdit, O::MacroPage, "MacroDelayEdit", kNoIndex},
    {R::MacroActionMenu, O::MacroPage, "MacroActionMenu", kNoIndex},
    {R::MacroRecordInsert, O::MacroPage, "MacroRecordInsert", kNoIndex},
    {R::MacroInsertButton, O::MacroPage, "MacroInsertButton", kNoIndex},
    {R::MacroReplaceStep, O::MacroPage, "MacroReplaceStep", kNoIndex},

    {R::ProfileAdd, O::ProfileBar, "ProfileAdd", kNoIndex},
    {R::ProfileDelete, O::ProfileBar, "ProfileDelete", kNoIndex},
    {R::ProfileExport, O::ProfileBar, "ProfileExport", kNoIndex},
    {R::ProfileImport, O::ProfileBar, "ProfileImport", kNoIndex},
    {R::ProfileCopy, O::ProfileBar, "ProfileCopy", kNoIndex},
    {R::ProfileReset, O::ProfileBar, "ProfileReset", kNoIndex},
    {R::ProfileRename, O::ProfileBar, "ProfileRename", kNoIndex},
    {R::ProfileSpread, O::ProfileBar, "ProfileSpread", kNoIndex},
    {R::ProfileSwitch, O::ProfileBar, "ProfileSwitch", kNoIndex},

    {R::DpiColour, O::MousePage, "DpiColour", 7},
    {R::ShootData, O::MousePage, "ShootData", kNoIndex},
    {R::BulletEntry, O::MousePage, "BulletEntry", kNoIndex},
    {R::DpiEnable, O::MousePage, "DpiEnable", 7},
    {R::DpiSelect, O::MousePage, "DpiSelect", 7},
    {R::MouseSettingsPage, O::MousePage, "MouseSettingsPage", kPageLimit},
    {R::ShootOption, O::MousePage, "ShootOption", kPageLimit},
    {R::PointerOption, O::MousePage, "PointerOption", kNoIndex},
    {R::BulletDirection, O::MousePage, "BulletDirection", kNoIndex},
    {R::DpiValue, O::MousePage, "DpiValue", 7},
    {R::DpiMoving, O::MousePage, "DpiMoving", 7},
    {R::PointerSlider, O::MousePage, "PointerSlider", kNoIndex},
    {R::MouseCombo, O::MousePage, "MouseCombo", kNoIndex},
    {R::DpiEdit, O::MousePage, "DpiEdit", 7},
    {R::BulletEdit, O::MousePage, "BulletEdit", kNoIndex},
    {R::MouseDragSelect, O::MousePage, "MouseDragSelect", kNoIndex},

    {R::EqPresetFile, O::HeadsetPage, "EqPresetFile", kNoIndex},
    {R::VoiceEffect, O::HeadsetPage, "VoiceEffect", 5},
    {R::EqPreset, O::HeadsetPage, "EqPreset", 14},
    {R::HeadsetSwitch, O::HeadsetPage, "HeadsetSwitch", kNoIndex},
    {R::EqBand, O::HeadsetPage, "EqBand", 10},
    {R::HeadsetLevel, O::HeadsetPage, "HeadsetLevel", kNoIndex},
    {R::EqPresetSelect, O::HeadsetPage, "EqPresetSelect", kNoIndex},

    {R::MusicColourOption, O::MusicLighting, "MusicColourOption", 13},
    {R::MusicColourCheck, O::MusicLighting, "MusicColourCheck", kNoIndex},
    {R::MusicMode, O::MusicLighting, "MusicMode", kNoIndex},
    {R::MusicColourEdit, O::MusicLighting, "MusicColourEdit", kNoIndex},
    {R::MusicPaletteColour, O::MusicLighting, "MusicPaletteColour", kNoIndex},
    {R::OpenMusicWindow, O::MusicLighting, "OpenMusicWindow", kNoIndex},

    {R::OpenSkinPanel, O::SkinPanel, "OpenSkinPanel", kNoIndex},
    {R::OpenSettingsAtButton, O::SettingsWindow, "OpenSettingsAtButton", kNoIndex},
    {R::OpenSettingsCentred, O::SettingsWindow, "OpenSettingsCentred", kNoIndex},
    {R::OpenAbout, O::Dialogs, "OpenAbout", kNoIndex},
    {R::StartSyncLighting, O::SyncLighting, "StartSyncLighting", kNoIndex},
};

constexpr bool InfoInEnumOrder() {
    for (size_t i = 0; i < std::size(kRouteInfo); ++i) {
        if (static_cast<size_t>(kRouteInfo[i].route) != i)
            return false;
    }
    return true;
}
static_assert(InfoInEnumOrder(), "route info rows follow the Route order");
static_assert(static_cast<size_t>(R::StartSyncLighting) + 1 == std::size(kRouteInfo));

constexpr RouteRow kWindowInit[] = {{M::Exact, "root", R::WindowStart}};
// Only the root reports the window's size; the handler acts once after a
// display change.
constexpr RouteRow kWindowSize[] = {{M::Exact, "root", R::WindowResized}};

constexpr RouteRow kColorChanged[] = {
    {M::Exact, "deng_Color_Pallet", R::LightPaletteColour},
    {M::Exact, "deng_audioColor_Pallet", R::MusicPaletteColour},
};

constexpr RouteRow kClick[] = {
    {M::Exact, "closebtn", R::CloseToTray},
    {M::Exact, "macro_delay", R::MacroSelectRow},
    {M::Exact, "nodevice_ok_btn", R::HideWindow},
    {M::Exact, "control_light_status", R::ToggleLightControl},
    {M::Identity, "minbtn", R::Minimize},
    {M::Identity, "maxbtn", R::Maximize},
    {M::Identity, "restorebtn", R::Restore},
    {M::Identity, "skinbtn", R::OpenSkinPanel},
    {M::Identity, "setbtn", R::OpenSettingsAtButton},

    {M::Prefix, "key_", R::SelectKey},
    {M::Prefix, "color_option_", R::LightColourOption},
    {M::Prefix, "audiocolor_option_", R::MusicColourOption},
    {M::Prefix, "windowdeviceset_", R::OpenDeviceSettings},
    {M::Prefix, "DPI_color_option_", R::DpiColour},

    {M::Exact, "default_btn", R::RestoreDeviceDefaults},
    {M::Exact, "reset_repeat_btn", R::ClearRepeatTest},
    {M::Exact, "device_add_btn", R::ProfileAdd},
    {M::Exact, "device_sub_btn", R::ProfileDelete},
    {M::Exact, "device_export_btn", R::ProfileExport},
    {M::Exact, "device_import_btn", R::ProfileImport},
    {M::Exact, "device_copy_btn", R::ProfileCopy},
    {M::Exact, "device_reset_btn", R::ProfileReset},
    {M::Exact, "device_profile_edit_save_btn", R::ProfileRename},
    {M::Exact, "key_butt_keysave", R::KeySave},
    {M::Exact, "key_butt_keydefalut", R::KeyDefault},
    {M::Exact, "key_butt_keycancel", R::KeyCancel},
    {M::Exact, "key_butt_prosave", R::KeySaveToProfile},
    {M::Exact, "macro_btn_starredio", R::MacroRecordStart},
    {M::Exact, "macro_btn_stopredio", R::MacroRecordStop},
    {M::Exact, "macro_btn_name_add", R::MacroNameEdit},
    {M::Exact, "macro_btn_name_sub", R::MacroNameEdit},
    {M::Exact, "macro_btn_name_edit", R::MacroNameEdit},
    {M::Exact, "macro_btn_save", R::MacroSaveOrCancel},
    {M::Exact, "macro_btn_cancel", R::MacroSaveOrCancel},
    {M::Exact, "macro_btn_export", R::MacroFile},
    {M::Exact, "macro_btn_import", R::MacroFile},
    {M::Exact, "macro_btn_up", R::MacroMoveStep},
    {M::Exact, "macro_btn_down", R::MacroMoveStep},
    {M::Exact, "macro_btn_uptop", R::MacroMoveStep},
    {M::Exact, "macro_btn_downbottom", R::MacroMoveStep},
    {M::Exact, "macro_btn_delete", R::MacroDeleteSteps},
    {M::Exact, "macro_btn_deleteall", R::MacroDeleteSteps},
    {M::Exact, "shootdate_save_btn", R::ShootData},
    {M::Exact, "shootdate_reset_btn", R::ShootData},
    {M::Exact, "shootdate_import_btn", R::ShootData},
    {M::Exact, "shootdate_export_btn", R::ShootData},
    {M::Exact, "bullet_selected_prev", R::BulletEntry},
    {M::Exact, "bullet_selected_next", R::BulletEntry},
    {M::Exact, "custom_bright_color_btn", R::FillCustomBright},
    {M::Exact, "custom_off_color_btn", R::FillCustomOff},
    {M::Exact, "deng_same_mode", R::StartSyncLighting},
    {M::Exact, "hs_EQ_btn_save", R::EqPresetFile},
    {M::Exact, "hs_EQ_btn_delete", R::EqPresetFile},
    {M::ExactCase, "profile_fun_spread_btn", R::ProfileSpread},
    {M::ExactCase, "macro_inset_moveleftkey_btn", R::MacroInsertMove},
    {M::ExactCase, "macro_inset_moverightkey_btn", R::MacroInsertMove},
    {M::ExactCase, "macro_inset_moveupkey_btn", R::MacroInsertMove},
    {M::ExactCase, "macro_inset_movedownkey_btn", R::MacroInsertMove},
    {M::Exact, "device_select_prev", R::SelectDevicePrev},
    {M::Exact, "device_select_next", R::SelectDeviceNext},
    {M::Exact, "Close_bkColor_btn", R::MusicBackgroundOff},
    {M::Exact, "music_setting_btn", R::OpenMusicWindow},
};

constexpr RouteRow kSelectChanged[] = {
    {M::Prefix, "DPI_enable_check_", R::DpiEnable},
    {M::Prefix, "DPI_select_check_", R::DpiSelect},
    {M::Prefix, "polling_rate_option_", R::PollingRate},
    {M::Prefix, "repeat_delay_check_", R::RepeatDelay},
    {M::Prefix, "mouse_device_seting_option_", R::MouseSettingsPage},
    {M::Prefix, "shoot_gun_op_", R::ShootOption},
    {M::Prefix, "bullet_op_", R::ShootOption},
    {M::Prefix, "magic_option_", R::VoiceEffect},
    {M::Prefix, "6533_eq_option_", R::EqPreset},
    {M::Prefix, "key_ComBox_check_", R::KeyModifier},
    {M::Exact, "pointer_precision_check", R::PointerOption},
    {M::Exact, "scrolls_page_check", R::PointerOption},
    {M::Exact, "winlockflag_option", R::WinLockFlag},
    {M::Exact, "wflag_option", R::WFlag},
    {M::Exact, "6flag_option", R::Key6Flag},
    {M::Exact, "synchro_device_select", R::DeviceBarSelected},
    {M::Exact, "device_select", R::DeviceBarSelected},
    {M::Exact, "deng_Op_tab", R::FunctionTab, 1},
    {M::Exact, "otherset_Op_tab", R::FunctionTab, 9},
    {M::Exact, "key_Op_tab", R::FunctionTab, 2},
    {M::Exact, "macro_Op_tab", R::FunctionTab, 3},
    {M::Exact, "system_Op_tab", R::FunctionTab, 4},
    {M::Exact, "cursor_Op_tab", R::FunctionTab, 5},
    {M::Exact, "6533_voice_Op_tab", R::FunctionTab, 6},
    {M::Exact, "magic_Op_tab", R::FunctionTab, 7},
    {M::Exact, "Virtual7.1_Op_tab", R::FunctionTab, 8},
    {M::Exact, "deng_FXL_check", R::LightDirection},
    {M::Exact, "deng_FXR_check", R::LightDirection},
    {M::Exact, "deng_7color_check", R::LightSevenColour},
    {M::Exact, "bullet_x_check", R::BulletDirection},
    {M::Exact, "bullet_y_check", R::BulletDirection},
    {M::Exact, "magic_enable_option", R::HeadsetSwitch},
    {M::Exact, "6533_MicIn_option", R::HeadsetSwitch},
    {M::Exact, "6533_MicMoniter_option", R::HeadsetSwitch},
    {M::Exact, "deng_7audiocolor_check", R::MusicColourCheck},
    {M::Exact, "audio_BkColor_check", R::MusicColourCheck},
    {M::Exact, "audio_FgColor_check", R::MusicColourCheck},
};

constexpr RouteRow kValueChanged[] = {
    {M::Prefix, "DPI_slider_", R::DpiValue},
    {M::Prefix, "6533_eq_hz_slider_", R::EqBand},
    {M::Exact, "pointer_speed_slider", R::PointerSlider},
    {M::Exact, "scroll_speed_slider", R::PointerSlider},
    {M::Exact, "double_click_slider", R::PointerSlider},
    {M::Exact, "repeat_rate_slider", R::RepeatRate},
    {M::Exact, "deng_light_slider", R::LightBrightness},
    {M::Exact, "deng_speed_slider", R::LightSpeed},
    {M::Exact, "6533_MicIn_slider", R::HeadsetLevel},
    {M::Exact, "6533_MicMoniter_slider", R::HeadsetLevel},
    {M::Exact, "R_light_slider", R::RedSlider},
    {M::Exact, "G_light_slider", R::GreenSlider},
    {M::Exact, "B_light_slider", R::BlueSlider},
};

constexpr RouteRow kMoveValueChanged[] = {
    {M::Prefix, "tavik_DPI_slider_", R::DpiSliderToEdit},
    {M::Prefix, "DPI_slider_", R::DpiMoving},
};

constexpr RouteRow kItemSelect[] = {
    {M::Exact, "device_profile_combo", R::ProfileSwitch},
    {M::Exact, "light_combo_modeSelect", R::LightMode},
    {M::Exact, "light_combo_custommodeSelect", R::LightMode},
    {M::Exact, "light_combo_ZZCCmodeSelect", R::LightMode},
    {M::Exact, "light_combo_audiomodeSelect", R::MusicMode},
    {M::Exact, "keyset_function_combo", R::KeyFunctionList},
    {M::Exact, "keyset_mousekey_combo", R::KeyFunctionList},
    {M::Exact, "keyset_mouseswing_combo", R::KeyFunctionList},
    {M::Exact, "keyset_mousewheel_combo", R::KeyFunctionList},
    {M::Exact, "keyset_mousedpi_combo", R::KeyFunctionList},
    {M::Exact, "keyset_media_combo", R::KeyFunctionList},
    {M::Exact, "keyset_system_combo", R::KeyFunctionList},
    {M::Exact, "keyset_macro_combo", R::KeyFunctionList},
    {M::Exact, "keyset_macro_over_combo", R::KeyFunctionList},
    {M::Exact, "keyset_gunkey_combo", R::KeyFunctionList},
    {M::Exact, "keyset_combokey_combo", R::KeyFunctionList},
    {M::Exact, "ble_sleep1_combo", R::MouseCombo},
    {M::Exact, "ble_sleep2_combo", R::MouseCombo},
    {M::Exact, "device_sleep1_combo", R::MouseCombo},
    {M::Exact, "device_sleep2_combo", R::MouseCombo},
    {M::Exact, "logo_led_mode_combo", R::MouseCombo},
    {M::Exact, "Anti_Shake_combo_timeSelect", R::MouseCombo},
    {M::Exact, "macro_name_list", R::MacroSelect},
    {M::Exact, "custom_eq_name_combo", R::EqPresetSelect},
};

constexpr RouteRow kKillFocus[] = {
    {M::Prefix, "tavik_DPI_edit_", R::DpiEditToSlider},
    {M::Prefix, "DPI_edit_", R::DpiEdit},
    {M::Exact, "deng_edit_R", R::LightColourEdit},
    {M::Exact, "deng_edit_G", R::LightColourEdit},
    {M::Exact, "deng_edit_B", R::LightColourEdit},
    {M::Exact, "deng_audioedit_R", R::MusicColourEdit},
    {M::Exact, "deng_audioedit_G", R::MusicColourEdit},
    {M::Exact, "deng_audioedit_B", R::MusicColourEdit},
    {M::Exact, "keyset_keyboard_text_edit", R::KeyCaptureOff},
    {M::Exact, "bullet_x_eidt", R::BulletEdit},
    {M::Exact, "bullet_y_eidt", R::BulletEdit},
    {M::Exact, "bullet_delay_eidt", R::BulletEdit},
    {M::Exact, "macro_delay", R::MacroDelayEdit},
    {M::Exact, "keyset_mouseswing_num_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mouseswing_delay_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mouseswing_speed_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mousewheel_num_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mousewheel_delay_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mousewheel_speed_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mousefire_interval_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_mousefire_num_edit", R::KeyParameterEdit},
    {M::Exact, "keyset_macro_cycle_edit", R::KeyParameterEdit},
};

constexpr RouteRow kClickSelectEnd[] = {
    {M::Exact, "device_key_light", R::LightDragSelect},
    {M::Exact, "mouse_device_key_light", R::MouseDragSelect},
};

constexpr RouteRow kItemActivate[] = {{M::Exact, "macro_action", R::MacroActionMenu}};
constexpr RouteRow kSetFocus[] = {{M::Exact, "keyset_keyboard_text_edit", R::KeyCaptureOn}};

// The insert items carry their hook mode (8 before, 16 after) times 10 plus
// the delay mode (1 recorded, 2 constant, 3 ignored).
constexpr RouteRow kMenu[] = {
    {M::Exact, "redio_previous_record_time", R::MacroRecordInsert, 81},
    {M::Exact, "redio_previous_constant_time", R::MacroRecordInsert, 82},
    {M::Exact, "redio_previous_ignore_time", R::MacroRecordInsert, 83},
    {M::Exact, "redio_later_record_time", R::MacroRecordInsert, 161},
    {M::Exact, "redio_later_constant_time", R::MacroRecordInsert, 162},
    {M::Exact, "redio_later_ignore_time", R::MacroRecordInsert, 163},
    {M::Exact, "left_down", R::MacroInsertButton},
    {M::Exact, "left_up", R::MacroInsertButton},
    {M::Exact, "left_click", R::MacroInsertButton},
    {M::Exact, "middle_down", R::MacroInsertButton},
    {M::Exact, "middle_up", R::MacroInsertButton},
    {M::Exact, "middle_click", R::MacroInsertButton},
    {M::Exact, "right_down", R::MacroInsertButton},
    {M::Exact, "right_up", R::MacroInsertButton},
    {M::Exact, "right_click", R::MacroInsertButton},
    {M::Exact, "forward_down", R::MacroInsertButton},
    {M::Exact, "forward_up", R::MacroInsertButton},
    {M::Exact, "forward_click", R::MacroInsertButton},
    {M::Exact, "back_down", R::MacroInsertButton},
    {M::Exact, "back_up", R::MacroInsertButton},
    {M::Exact, "back_click", R::MacroInsertButton},
    {M::Exact, "macro_action_edit", R::MacroReplaceStep},
    {M::Exact, "about_menu", R::OpenAbout},
    {M::Exact, "setwnd_menu", R::OpenSettingsCentred},
    {M::Exact, "show", R::MenuShow},
    {M::Exact, "exit", R::MenuExit},
    {M::Exact, "autostart", R::MenuAutostart},
};

bool RowMatches(const RouteRow& row, std::string_view name, const IndexedName& split,
                std::string_view identity) {
    switch (row.match) {
        case M::Exact:
            return EqualsIgnoringCase(name, row.name);
        case M::ExactCase:
            return name == row.name;
        case M::Prefix:
            return split.indexed && EqualsIgnoringCase(split.prefix, row.name);
        case M::Identity:
            return !identity.empty() && EqualsIgnoringCase(identity, row.name);
    }
    return false;
}

}  // namespace

NotifyKind KindOfNotification(std::string_view type) {
    struct Entry {
        const char* type;
        NotifyKind kind;
    };
    static constexpr Entry kTypes[] = {
        {"windowinit", NotifyKind::WindowInit},
        {"windowsize", NotifyKind::WindowSize},
        {"colorchanged", NotifyKind::ColorChanged},
        {"click", NotifyKind::Click},
        {"selectchanged", NotifyKind::SelectChanged},
        {"valuechanged", NotifyKind::ValueChanged},
        {"movevaluechanged", NotifyKind::MoveValueChanged},
        {"itemselect", NotifyKind::ItemSelect},
        {"killfocus", NotifyKind::KillFocus},
        {"click_select_end", NotifyKind::ClickSelectEnd},
        {"itemactivate", NotifyKind::ItemActivate},
        {"setfocus", NotifyKind::SetFocus},
        {"msenter", NotifyKind::NoAction},
        {"msleave", NotifyKind::NoAction},
        {"itemclick", NotifyKind::NoAction},
        {"textchanged", NotifyKind::NoAction},
        {"click_wpremove", NotifyKind::NoActionNoDefault},
        {"click_wpedit", NotifyKind::NoActionNoDefault},
        {"timer", NotifyKind::Timer},
    };
    for (const Entry& e : kTypes) {
        if (type == e.type)
            return e.kind;
    }
    return NotifyKind::Other;
}

std::span<const RouteRow> RoutesOf(NotifyKind kind) {
    switch (kind) {
        case NotifyKind::WindowInit:
            return kWindowInit;
        case NotifyKind::WindowSize:
            return kWindowSize;
        case NotifyKind::ColorChanged:
            return kColorChanged;
        case NotifyKind::Click:
            return kClick;
        case NotifyKind::SelectChanged:
            return kSelectChanged;
        case NotifyKind::ValueChanged:
            return kValueChanged;
        case NotifyKind::MoveValueChanged:
            return kMoveValueChanged;
        case NotifyKind::ItemSelect:
            return kItemSelect;
        case NotifyKind::KillFocus:
            return kKillFocus;
        case NotifyKind::ClickSelectEnd:
            return kClickSelectEnd;
        case NotifyKind::ItemActivate:
            return kItemActivate;
        case NotifyKind::SetFocus:
            return kSetFocus;
        default:
            return {};
    }
}

std::span<const RouteRow> MenuRoutes() {
    return kMenu;
}

std::span<const RouteInfo> AllRoutes() {
    return kRouteInfo;
}

const RouteInfo& InfoOf(Route route) {
    return kRouteInfo[static_cast<size_t>(route)];
}

std::optional<RouteHit> FindRoute(std::span<const RouteRow> rows, std::string_view name,
                                  std::string_view identity) {
    const IndexedName split = SplitControlName(name);
    for (const RouteRow& row : rows) {
        if (!RowMatches(row, name, split, identity))
            continue;
        RouteHit hit;
        hit.row = &row;
        hit.route = row.route;
        hit.index = row.match == M::Prefix ? split.index : row.arg;
        return hit;
    }
    return std::nullopt;
}

bool IndexAccepted(const RouteHit& hit, int keyCount) {
    if (hit.row == nullptr || hit.row->match != M::Prefix)
        return true;
    const int limit = InfoOf(hit.route).indexLimit;
    if (hit.index < 0)
        return false;
    if (limit == kKeyCountLimit)
        return hit.index < keyCount;
    if (limit == kPageLimit || limit == kNoIndex)
        return true;
    return hit.index < limit;
}

bool ActsOnlyWhenMarked(Route route) {
    switch (route) {
        case R::DpiSelect:
        case R::PollingRate:
        case R::RepeatDelay:
        case R::MouseSettingsPage:
        case R::ShootOption:
        case R::VoiceEffect:
        case R::EqPreset:
        case R::DeviceBarSelected:
        case R::FunctionTab:
        case R::LightDirection:
            return true;
        default:
            return false;
    }
}

}  // namespace pages
