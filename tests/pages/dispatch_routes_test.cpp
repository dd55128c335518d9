// Every control name of the route tables and where it goes, written out
// from the routing rules rather than from the tables: a row in the wrong
// table, order or owner, or a name shadowed by an earlier row, fails here.
#include "pages/dispatch_routes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pages/page_hooks.h"

using pages::FindRoute;
using pages::NotifyKind;
using pages::Owner;
using pages::Route;

namespace {

struct Expected {
    NotifyKind kind;
    const char* name;  // a name as a layout would have it (with an index for prefixes)
    Route route;
    Owner owner;
    int index;
};

using K = NotifyKind;
using R = Route;
using O = Owner;

// clang-format off
const Expected kExpected[] = {
    {K::WindowInit, "root", R::WindowStart, O::Shell, 0},
    {K::WindowSize, "root", R::WindowResized, O::Shell, 0},
    {K::ColorChanged, "deng_Color_Pallet", R::LightPaletteColour, O::LightingPage, 0},
    {K::ColorChanged, "deng_audioColor_Pallet", R::MusicPaletteColour, O::MusicLighting, 0},

    {K::Click, "closebtn", R::CloseToTray, O::Shell, 0},
    {K::Click, "macro_delay", R::MacroSelectRow, O::MacroPage, 0},
    {K::Click, "nodevice_ok_btn", R::HideWindow, O::Shell, 0},
    {K::Click, "control_light_status", R::ToggleLightControl, O::Shell, 0},
    {K::Click, "key_12", R::SelectKey, O::KeyPage, 12},
    {K::Click, "color_option_3", R::LightColourOption, O::LightingPage, 3},
    {K::Click, "audiocolor_option_4", R::MusicColourOption, O::MusicLighting, 4},
    {K::Click, "windowdeviceset_1", R::OpenDeviceSettings, O::Shell, 1},
    {K::Click, "DPI_color_option_6", R::DpiColour, O::MousePage, 6},
    {K::Click, "default_btn", R::RestoreDeviceDefaults, O::Shell, 0},
    {K::Click, "reset_repeat_btn", R::ClearRepeatTest, O::Shell, 0},
    {K::Click, "device_add_btn", R::ProfileAdd, O::ProfileBar, 0},
    {K::Click, "device_sub_btn", R::ProfileDelete, O::ProfileBar, 0},
    {K::Click, "device_export_btn", R::ProfileExport, O::ProfileBar, 0},
    {K::Click, "device_import_btn", R::ProfileImport, O::ProfileBar, 0},
    {K::Click, "device_copy_btn", R::ProfileCopy, O::ProfileBar, 0},
    {K::Click, "device_reset_btn", R::ProfileReset, O::ProfileBar, 0},
    {K::Click, "device_profile_edit_save_btn", R::ProfileRename, O::ProfileBar, 0},
    {K::Click, "key_butt_keysave", R::KeySave, O::KeyPage, 0},
    {K::Click, "key_butt_keydefalut", R::KeyDefault, O::KeyPage, 0},
    {K::Click, "key_butt_keycancel", R::KeyCancel, O::KeyPage, 0},
    {K::Click, "key_butt_prosave", R::KeySaveToProfile, O::KeyPage, 0},
    {K::Click, "macro_btn_starredio", R::MacroRecordStart, O::MacroPage, 0},
    {K::Click, "macro_btn_stopredio", R::MacroRecordStop, O::MacroPage, 0},
    {K::Click, "macro_btn_name_add", R::MacroNameEdit, O::MacroPage, 0},
    {K::Click, "macro_btn_name_sub", R::MacroNameEdit, O::MacroPage, 0},
    {K::Click, "macro_btn_name_edit", R::MacroNameEdit, O::MacroPage, 0},
    {K::Click, "macro_btn_save", R::MacroSaveOrCancel, O::MacroPage, 0},
    {K::Click, "macro_btn_cancel", R::MacroSaveOrCancel, O::MacroPage, 0},
    {K::Click, "macro_btn_export", R::MacroFile, O::MacroPage, 0},
    {K::Click, "macro_btn_import", R::MacroFile, O::MacroPage, 0},
    {K::Click, "macro_btn_up", R::MacroMoveStep, O::MacroPage, 0},
    {K::Click, "macro_btn_down", R::MacroMoveStep, O::MacroPage, 0},
    {K::Click, "macro_btn_uptop", R::MacroMoveStep, O::MacroPage, 0},
    {K::Click, "macro_btn_downbottom", R::MacroMoveStep, O::MacroPage, 0},
    {K::Click, "macro_btn_delete", R::MacroDeleteSteps, O::MacroPage, 0},
    {K::Click, "macro_btn_deleteall", R::MacroDeleteSteps, O::MacroPage, 0},
    {K::Click, "shootdate_save_btn", R::ShootData, O::MousePage, 0},
    {K::Click, "shootdate_reset_btn", R::ShootData, O::MousePage, 0},
    {K::Click, "shootdate_import_btn", R::ShootData, O::MousePage, 0},
    {K::Click, "shootdate_export_btn", R::ShootData, O::MousePage, 0},
    {K::Click, "bullet_selected_prev", R::BulletEntry, O::MousePage, 0},
    {K::Click, "bullet_selected_next", R::BulletEntry, O::MousePage, 0},
    {K::Click, "custom_bright_color_btn", R::FillCustomBright, O::Shell, 0},
    {K::Click, "custom_off_color_btn", R::FillCustomOff, O::Shell, 0},
    {K::Click, "deng_same_mode", R::StartSyncLighting, O::SyncLighting, 0},
    {K::Click, "hs_EQ_btn_save", R::EqPresetFile, O::HeadsetPage, 0},
    {K::Click, "hs_EQ_btn_delete", R::EqPresetFile, O::HeadsetPage, 0},
    {K::Click, "profile_fun_spread_btn", R::ProfileSpread, O::ProfileBar, 0},
    {K::Click, "macro_inset_moveleftkey_btn", R::MacroInsertMove, O::MacroPage, 0},
    {K::Click, "macro_inset_moverightkey_btn", R::MacroInsertMove, O::MacroPage, 0},
    {K::Click, "macro_inset_moveupkey_btn", R::MacroInsertMove, O::MacroPage, 0},
    {K::Click, "macro_inset_movedownkey_btn", R::MacroInsertMove, O::MacroPage, 0},
    {K::Click, "device_select_prev", R::SelectDevicePrev, O::Shell, 0},
    {K::Click, "device_select_next", R::SelectDeviceNext, O::Shell, 0},
    {K::Click, "Close_bkColor_btn", R::MusicBackgroundOff, O::LightingPage, 0},
    {K::Click, "music_setting_btn", R::OpenMusicWindow, O::MusicLighting, 0},

    {K::SelectChanged, "DPI_enable_check_2", R::DpiEnable, O::MousePage, 2},
    {K::SelectChanged, "DPI_select_check_6", R::DpiSelect, O::MousePage, 6},
    {K::SelectChanged, "polling_rate_option_3", R::PollingRate, O::Shell, 3},
    {K::SelectChanged, "repeat_delay_check_1", R::RepeatDelay, O::Shell, 1},
    {K::SelectChanged, "mouse_device_seting_option_2", R::MouseSettingsPage, O::MousePage, 2},
    {K::SelectChanged, "shoot_gun_op_1", R::ShootOption, O::MousePage, 1},
    {K::SelectChanged, "bullet_op_0", R::ShootOption, O::MousePage, 0},
    {K::SelectChanged, "magic_option_4", R::VoiceEffect, O::HeadsetPage, 4},
    {K::SelectChanged, "6533_eq_option_13", R::EqPreset, O::HeadsetPage, 13},
    {K::SelectChanged, "key_ComBox_check_4", R::KeyModifier, O::KeyPage, 4},
    {K::SelectChanged, "pointer_precision_check", R::PointerOption, O::MousePage, 0},
    {K::SelectChanged, "scrolls_page_check", R::PointerOption, O::MousePage, 0},
    {K::SelectChanged, "winlockflag_option", R::WinLockFlag, O::Shell, 0},
    {K::SelectChanged, "wflag_option", R::WFlag, O::Shell, 0},
    {K::SelectChanged, "6flag_option", R::Key6Flag, O::Shell, 0},
    {K::SelectChanged, "synchro_device_select", R::DeviceBarSelected, O::Shell, 0},
    {K::SelectChanged, "device_select", R::DeviceBarSelected, O::Shell, 0},
    {K::SelectChanged, "deng_Op_tab", R::FunctionTab, O::Shell, 1},
    {K::SelectChanged, "key_Op_tab", R::FunctionTab, O::Shell, 2},
    {K::SelectChanged, "macro_Op_tab", R::FunctionTab, O::Shell, 3},
    {K::SelectChanged, "system_Op_tab", R::FunctionTab, O::Shell, 4},
    {K::SelectChanged, "cursor_Op_tab", R::FunctionTab, O::Shell, 5},
    {K::SelectChanged, "6533_voice_Op_tab", R::FunctionTab, O::Shell, 6},
    {K::SelectChanged, "magic_Op_tab", R::FunctionTab, O::Shell, 7},
    {K::SelectChanged, "Virtual7.1_Op_tab", R::FunctionTab, O::Shell, 8},
    {K::SelectChanged, "otherset_Op_tab", R::FunctionTab, O::Shell, 9},
    {K::SelectChanged, "deng_FXL_check", R::LightDirection, O::LightingPage, 0},
    {K::SelectChanged, "deng_FXR_check", R::LightDirection, O::LightingPage, 0},
    {K::SelectChanged, "deng_7color_check", R::LightSevenColour, O::LightingPage, 0},
    {K::SelectChanged, "bullet_x_check", R::BulletDirection, O::MousePage, 0},
    {K::SelectChanged, "bullet_y_check", R::BulletDirection, O::MousePage, 0},
    {K::SelectChanged, "magic_enable_option", R::HeadsetSwitch, O::HeadsetPage, 0},
    {K::SelectChanged, "6533_MicIn_option", R::HeadsetSwitch, O::HeadsetPage, 0},
    {K::SelectChanged, "6533_MicMoniter_option", R::HeadsetSwitch, O::HeadsetPage, 0},
    {K::SelectChanged, "deng_7audiocolor_check", R::MusicColourCheck, O::MusicLighting, 0},
    {K::SelectChanged, "audio_BkColor_check", R::MusicColourCheck, O::MusicLighting, 0},
    {K::SelectChanged, "audio_FgColor_check", R::MusicColourCheck, O::MusicLighting, 0},

    {K::ValueChanged, "DPI_slider_5", R::DpiValue, O::MousePage, 5},
    {K::ValueChanged, "6533_eq_hz_slider_9", R::EqBand, O::HeadsetPage, 9},
    {K::ValueChanged, "pointer_speed_slider", R::PointerSlider, O::MousePage, 0},
    {K::ValueChanged, "scroll_speed_slider", R::PointerSlider, O::MousePage, 0},
    {K::ValueChanged, "double_click_slider", R::PointerSlider, O::MousePage, 0},
    {K::ValueChanged, "repeat_rate_slider", R::RepeatRate, O::Shell, 0},
    {K::ValueChanged, "deng_light_slider", R::LightBrightness, O::LightingPage, 0},
    {K::ValueChanged, "deng_speed_slider", R::LightSpeed, O::LightingPage, 0},
    {K::ValueChanged, "6533_MicIn_slider", R::HeadsetLevel, O::HeadsetPage, 0},
    {K::ValueChanged, "6533_MicMoniter_slider", R::HeadsetLevel, O::HeadsetPage, 0},
    {K::ValueChanged, "R_light_slider", R::RedSlider, O::Shell, 0},
    {K::ValueChanged, "G_light_slider", R::GreenSlider, O::Shell, 0},
    {K::ValueChanged, "B_light_slider", R::BlueSlider, O::Shell, 0},

    {K::MoveValueChanged, "tavik_DPI_slider_3", R::DpiSliderToEdit, O::Shell, 3},
    {K::MoveValueChanged, "DPI_slider_2", R::DpiMoving, O::MousePage, 2},

    {K::ItemSelect, "device_profile_combo", R::ProfileSwitch, O::ProfileBar, 0},
    {K::ItemSelect, "light_combo_modeSelect", R::LightMode, O::LightingPage, 0},
    {K::ItemSelect, "light_combo_custommodeSelect", R::LightMode, O::LightingPage, 0},
    {K::ItemSelect, "light_combo_ZZCCmodeSelect", R::LightMode, O::LightingPage, 0},
    {K::ItemSelect, "light_combo_audiomodeSelect", R::MusicMode, O::MusicLighting, 0},
    {K::ItemSelect, "keyset_function_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_mousekey_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_mouseswing_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_mousewheel_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_mousedpi_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_media_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_system_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_macro_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_macro_over_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_gunkey_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "keyset_combokey_combo", R::KeyFunctionList, O::KeyPage, 0},
    {K::ItemSelect, "ble_sleep1_combo", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "ble_sleep2_combo", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "device_sleep1_combo", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "device_sleep2_combo", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "logo_led_mode_combo", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "Anti_Shake_combo_timeSelect", R::MouseCombo, O::MousePage, 0},
    {K::ItemSelect, "macro_name_list", R::MacroSelect, O::MacroPage, 0},
    {K::ItemSelect, "custom_eq_name_combo", R::EqPresetSelect, O::HeadsetPage, 0},

    {K::KillFocus, "tavik_DPI_edit_0", R::DpiEditToSlider, O::Shell, 0},
    {K::KillFocus, "DPI_edit_4", R::DpiEdit, O::MousePage, 4},
    {K::KillFocus, "deng_edit_R", R::LightColourEdit, O::LightingPage, 0},
    {K::KillFocus, "deng_edit_G", R::LightColourEdit, O::LightingPage, 0},
    {K::KillFocus, "deng_edit_B", R::LightColourEdit, O::LightingPage, 0},
    {K::KillFocus, "deng_audioedit_R", R::MusicColourEdit, O::MusicLighting, 0},
    {K::KillFocus, "deng_audioedit_G", R::MusicColourEdit, O::MusicLighting, 0},
    {K::KillFocus, "deng_audioedit_B", R::MusicColourEdit, O::MusicLighting, 0},
    {K::KillFocus, "keyset_keyboard_text_edit", R::KeyCaptureOff, O::Shell, 0},
    {K::KillFocus, "bullet_x_eidt", R::BulletEdit, O::MousePage, 0},
    {K::KillFocus, "bullet_y_eidt", R::BulletEdit, O::MousePage, 0},
    {K::KillFocus, "bullet_delay_eidt", R::BulletEdit, O::MousePage, 0},
    {K::KillFocus, "macro_delay", R::MacroDelayEdit, O::MacroPage, 0},
    {K::KillFocus, "keyset_mouseswing_num_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mouseswing_delay_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mouseswing_speed_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mousewheel_num_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mousewheel_delay_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mousewheel_speed_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mousefire_interval_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_mousefire_num_edit", R::KeyParameterEdit, O::KeyPage, 0},
    {K::KillFocus, "keyset_macro_cycle_edit", R::KeyParameterEdit, O::KeyPage, 0},

    {K::ClickSelectEnd, "device_key_light", R::LightDragSelect, O::LightingPage, 0},
    {K::ClickSelectEnd, "mouse_device_key_light", R::MouseDragSelect, O::MousePage, 0},
    {K::ItemActivate, "macro_action", R::MacroActionMenu, O::MacroPage, 0},
    {K::SetFocus, "keyset_keyboard_text_edit", R::KeyCaptureOn, O::Shell, 0},
};

struct ExpectedMenu {
    const char* name;
    Route route;
    Owner owner;
    int arg;
};

const ExpectedMenu kExpectedMenu[] = {
    {"redio_previous_record_time", R::MacroRecordInsert, O::MacroPage, 81},
    {"redio_previous_constant_time", R::MacroRecordInsert, O::MacroPage, 82},
    {"redio_previous_ignore_time", R::MacroRecordInsert, O::MacroPage, 83},
    {"redio_later_record_time", R::MacroRecordInsert, O::MacroPage, 161},
    {"redio_later_constant_time", R::MacroRecordInsert, O::MacroPage, 162},
    {"redio_later_ignore_time", R::MacroRecordInsert, O::MacroPage, 163},
    {"left_down", R::MacroInsertButton, O::MacroPage, 0},
    {"left_up", R::MacroInsertButton, O::MacroPage, 0},
    {"left_click", R::MacroInsertButton, O::MacroPage, 0},
    {"middle_down", R::MacroInsertButton, O::MacroPage, 0},
    {"middle_up", R::MacroInsertButton, O::MacroPage, 0},
    {"middle_click", R::MacroInsertButton, O::MacroPage, 0},
    {"right_down", R::MacroInsertButton, O::MacroPage, 0},
    {"right_up", R::MacroInsertButton, O::MacroPage, 0},
    {"right_click", R::MacroInsertButton, O::MacroPage, 0},
    {"forward_down", R::MacroInsertButton, O::MacroPage, 0},
    {"forward_up", R::MacroInsertButton, O::MacroPage, 0},
    {"forward_click", R::MacroInsertButton, O::MacroPage, 0},
    {"back_down", R::MacroInsertButton, O::MacroPage, 0},
    {"back_up", R::MacroInsertButton, O::MacroPage, 0},
    {"back_click", R::MacroInsertButton, O::MacroPage, 0},
    {"macro_action_edit", R::MacroReplaceStep, O::MacroPage, 0},
    {"about_menu", R::OpenAbout, O::Dialogs, 0},
    {"setwnd_menu", R::OpenSettingsCentred, O::SettingsWindow, 0},
    {"show", R::MenuShow, O::Shell, 0},
    {"exit", R::MenuExit, O::Shell, 0},
    {"autostart", R::MenuAutostart, O::Shell, 0},
};
// clang-format on

const char* KindName(NotifyKind k) {
    switch (k) {
        case K::WindowInit:
            return "windowinit";
        case K::WindowSize:
            return "windowsize";
        case K::ColorChanged:
            return "colorchanged";
        case K::Click:
            return "click";
        case K::SelectChanged:
            return "selectchanged";
        case K::ValueChanged:
            return "valuechanged";
        case K::MoveValueChanged:
            return "movevaluechanged";
        case K::ItemSelect:
            return "itemselect";
        case K::KillFocus:
            return "killfocus";
        case K::ClickSelectEnd:
            return "click_select_end";
        case K::ItemActivate:
            return "itemactivate";
        case K::SetFocus:
            return "setfocus";
        default:
            return "?";
    }
}

}  // namespace

TEST(DispatchRoutes, EveryControlNameReachesItsRouteAndOwner) {
    std::set<const pages::RouteRow*> reached;
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(std::string(KindName(e.kind)) + " " + e.name);
        const auto hit = FindRoute(e.kind, e.name);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->route, e.route) << pages::InfoOf(hit->route).name;
        EXPECT_EQ(pages::InfoOf(hit->route).owner, e.owner);
        EXPECT_EQ(hit->index, e.index);
        EXPECT_TRUE(pages::IndexAccepted(*hit, 170));
        reached.insert(hit->row);
    }
    // The other way round: no row is left out of the list above (a row that
    // nothing reaches is shadowed or misspelt).
    for (NotifyKind k : {K::WindowInit, K::WindowSize, K::ColorChanged, K::Click, K::SelectChanged,
                         K::ValueChanged, K::MoveValueChanged, K::ItemSelect, K::KillFocus,
                         K::ClickSelectEnd, K::ItemActivate, K::SetFocus}) {
        for (const pages::RouteRow& row : pages::RoutesOf(k)) {
            if (row.match == pages::Match::Identity)
                continue;
            EXPECT_TRUE(reached.count(&row)) << KindName(k) << " " << row.name;
        }
    }
}

TEST(DispatchRoutes, MenuCommandsReachTheirHandlers) {
    std::set<const pages::RouteRow*> reached;
    for (const ExpectedMenu& e : kExpectedMenu) {
        const auto hit = FindRoute(pages::MenuRoutes(), e.name);
        ASSERT_TRUE(hit.has_value()) << e.name;
        EXPECT_EQ(hit->route, e.route) << e.name;
        EXPECT_EQ(pages::InfoOf(hit->route).owner, e.owner) << e.name;
        EXPECT_EQ(hit->index, e.arg) << e.name;
        reached.insert(hit->row);
    }
    EXPECT_EQ(reached.size(), pages::MenuRoutes().size());
    EXPECT_FALSE(FindRoute(pages::MenuRoutes(), "left").has_value());
}

TEST(DispatchRoutes, TitleButtonsMatchByIdentityOnly) {
    // A control merely named like a title button is not it.
    EXPECT_FALSE(FindRoute(K::Click, "minbtn").has_value());
    EXPECT_FALSE(FindRoute(K::Click, "setbtn").has_value());
    const std::pair<const char*, Route> identities[] = {{"minbtn", R::Minimize},
                                                        {"maxbtn", R::Maximize},
                                                        {"restorebtn", R::Restore},
                                                        {"skinbtn", R::OpenSkinPanel},
                                                        {"setbtn", R::OpenSettingsAtButton}};
    for (const auto& [identity, route] : identities) {
        const auto hit = FindRoute(K::Click, "anything", identity);
        ASSERT_TRUE(hit.has_value()) << identity;
        EXPECT_EQ(hit->route, route);
    }
    // Rows before the identity rows still win: the close button named
    // "closebtn" is the close button whatever it is.
    EXPECT_EQ(FindRoute(K::Click, "closebtn", "minbtn")->route, R::CloseToTray);
}

TEST(DispatchRoutes, CaseRulesAndPrefixSplitting) {
    EXPECT_EQ(FindRoute(K::Click, "CloseBtn")->route, R::CloseToTray);
    EXPECT_EQ(FindRoute(K::Click, "DEFAULT_BTN")->route, R::RestoreDeviceDefaults);
    EXPECT_FALSE(FindRoute(K::Click, "Profile_fun_spread_btn").has_value());
    EXPECT_FALSE(FindRoute(K::Click, "macro_inset_moveLeftkey_btn").has_value());
    EXPECT_EQ(FindRoute(K::Click, "KEY_7")->route, R::SelectKey);
    // key_ and key_x are key 0; a name without an underscore has no prefix.
    EXPECT_EQ(FindRoute(K::Click, "key_")->index, 0);
    EXPECT_EQ(FindRoute(K::Click, "key_x")->index, 0);
    EXPECT_FALSE(FindRoute(K::Click, "key12").has_value());
    // The prefix is the part up to the last underscore: these are not key_ n.
    EXPECT_EQ(FindRoute(K::Click, "key_butt_prosave")->route, R::KeySaveToProfile);
    EXPECT_FALSE(FindRoute(K::Click, "key_butt_other").has_value());
    EXPECT_EQ(FindRoute(K::Click, "dpi_color_option_2")->route, R::DpiColour);
    // The dragged slider of the tavik page is not a plain DPI slider.
    EXPECT_EQ(FindRoute(K::MoveValueChanged, "tavik_DPI_slider_1")->route, R::DpiSliderToEdit);
    EXPECT_FALSE(FindRoute(K::ValueChanged, "tavik_DPI_slider_1").has_value());
    // Names that belong to another notification type are not routed.
    EXPECT_FALSE(FindRoute(K::Click, "deng_light_slider").has_value());
}

TEST(DispatchRoutes, IndicesOutsideEachOperationsBoundsAreRefused) {
    auto accepted = [](NotifyKind k, const char* name, int keys = 170) {
        const auto hit = FindRoute(k, name);
        return hit.has_value() && pages::IndexAccepted(*hit, keys);
    };
    EXPECT_TRUE(accepted(K::Click, "key_169"));
    EXPECT_FALSE(accepted(K::Click, "key_170"));
    EXPECT_FALSE(accepted(K::Click, "key_11", 11));
    EXPECT_FALSE(accepted(K::Click, "key_0", 0)) << "no current device: no keys";
    EXPECT_FALSE(accepted(K::Click, "key_-1"));
    EXPECT_FALSE(accepted(K::Click, "key_99999999999"));
    EXPECT_TRUE(accepted(K::Click, "DPI_color_option_6"));
    EXPECT_FALSE(accepted(K::Click, "DPI_color_option_7"));
    EXPECT_FALSE(accepted(K::MoveValueChanged, "tavik_DPI_slider_7"));
    EXPECT_FALSE(accepted(K::KillFocus, "DPI_edit_-3"));
    EXPECT_TRUE(accepted(K::ValueChanged, "6533_eq_hz_slider_9"));
    EXPECT_FALSE(accepted(K::ValueChanged, "6533_eq_hz_slider_10"));
    EXPECT_TRUE(accepted(K::Click, "windowdeviceset_1"));
    EXPECT_FALSE(accepted(K::Click, "windowdeviceset_2"));
    EXPECT_FALSE(accepted(K::SelectChanged, "repeat_delay_check_4"));
    EXPECT_FALSE(accepted(K::SelectChanged, "key_ComBox_check_5"));
    EXPECT_FALSE(accepted(K::Click, "color_option_13"));
    EXPECT_TRUE(accepted(K::SelectChanged, "mouse_device_seting_option_40"));
    EXPECT_FALSE(accepted(K::SelectChanged, "mouse_device_seting_option_-1"));
}

TEST(DispatchRoutes, TypesAndTheirDebugLine) {
    EXPECT_EQ(pages::KindOfNotification("click"), K::Click);
    EXPECT_EQ(pages::KindOfNotification("click_select_end"), K::ClickSelectEnd);
    for (const char* t : {"msenter", "msleave", "itemclick", "textchanged"})
        EXPECT_EQ(pages::KindOfNotification(t), K::NoAction) << t;
    EXPECT_EQ(pages::KindOfNotification("click_wpremove"), K::NoActionNoDefault);
    EXPECT_EQ(pages::KindOfNotification("click_wpedit"), K::NoActionNoDefault);
    EXPECT_EQ(pages::KindOfNotification("dbclick"), K::Other);
    EXPECT_EQ(pages::KindOfNotification("Click"), K::Other) << "types are exact";
    EXPECT_TRUE(pages::RoutesOf(K::NoAction).empty());
    EXPECT_TRUE(pages::RoutesOf(K::Other).empty());
    EXPECT_FALSE(pages::WritesDebugLine(K::Timer));
    EXPECT_TRUE(pages::WritesDebugLine(K::NoAction));
    EXPECT_TRUE(pages::WritesDebugLine(K::Other));
}

TEST(DispatchRoutes, OnlyExclusiveOptionsWaitForTheirMark) {
    EXPECT_TRUE(pages::ActsOnlyWhenMarked(R::PollingRate));
    EXPECT_TRUE(pages::ActsOnlyWhenMarked(R::FunctionTab));
    EXPECT_TRUE(pages::ActsOnlyWhenMarked(R::DeviceBarSelected));
    // Check boxes act on both states.
    EXPECT_FALSE(pages::ActsOnlyWhenMarked(R::WinLockFlag));
    EXPECT_FALSE(pages::ActsOnlyWhenMarked(R::DpiEnable));
    EXPECT_FALSE(pages::ActsOnlyWhenMarked(R::KeyModifier));
    EXPECT_FALSE(pages::NoPage().Handle(pages::RouteEvent{}));
}
