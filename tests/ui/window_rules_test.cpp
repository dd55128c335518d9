// The main window's own rules: the scale, the VoveDoda report, the lighting
// control toggle, the entries' link notices and SetEntryState, the scroll
// buttons, the bar lock, the tray toggle, suspend and the game events.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

#include "device/device_classes.h"
#include "device/device_views.h"
#include "platform/debug_output.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/registered_messages.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/tray_menu.h"
#include "ui/pages/device_option_ui.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

TEST(WindowRules, ScaleFollowsTheMonitorSize) {
    EXPECT_EQ(ui::ScaleForMonitor(1920, 1080), 144);
    EXPECT_EQ(ui::ScaleForMonitor(1366, 768), 96);
    EXPECT_EQ(ui::ScaleForMonitor(1500, 1080), 96);
    EXPECT_EQ(ui::ScaleForMonitor(1920, 960), 96);
    platform::DebugCapture capture;
    EXPECT_EQ(ui::CheckedScale(144), 144);
    EXPECT_EQ(ui::CheckedScale(120), 120);
    EXPECT_FALSE(capture.Contains("MAIN_WND DPI SET ERROR"));
    EXPECT_EQ(ui::CheckedScale(100), 96);
    EXPECT_EQ(ui::CheckedScale(0), 96);
    EXPECT_TRUE(capture.Contains("MAIN_WND DPI SET ERROR"));
}

TEST(WindowRules, VoveDodaReportListsTheModels) {
    const std::array<int32_t, 256> r = ui::BuildVoveDodaReport();
    EXPECT_EQ((std::vector<int32_t>(r.begin(), r.begin() + 5)),
              (std::vector<int32_t>{2, 3, 0, 2, 4}));
    EXPECT_EQ(r[5], 0x320F);
    EXPECT_EQ(r[6], 0x22AB);
    EXPECT_EQ(r[7], 1);
    EXPECT_EQ(r[8 + 2], 2);  // mouse type
    EXPECT_EQ(r[14], 0x0C76);
    EXPECT_EQ(r[15], 0x1630);
    EXPECT_EQ(r[16], 7);
    for (size_t i = 17; i < r.size(); ++i)
        ASSERT_EQ(r[i], 0) << i;
}

TEST(WindowRules, LightingControlToggleAndMessage) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    QWidget* button = wnd.FindControl(QStringLiteral("control_light_status"));
    ASSERT_NE(button, nullptr);
    uitest::Click(button);
    EXPECT_EQ(wnd.LightControlState(), 0);
    EXPECT_EQ(ui::ControlText(button), QString::fromUtf8("不控制灯光"));
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(wnd.DeviceOfRow(row)->GetLightControl(), 0);
    const uint32_t control = ui::RegisteredAppMessages().lightControl;
    wnd.Send(control, 0, 1);  // wParam other than 1: ignored
    EXPECT_EQ(wnd.LightControlState(), 0);
    wnd.Send(control, 1, 1);
    EXPECT_EQ(wnd.LightControlState(), 1);
    EXPECT_EQ(ui::ControlText(button), QString::fromUtf8("控制灯光"));
    EXPECT_EQ(wnd.DeviceOfRow(2)->GetLightControl(), 1);
}

TEST(WindowRules, LinkNoticesShowSelectAndHideEntries) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    // Link back while nothing is shown: shown and selected.
    wnd.Send(device::kMsgEntryNotice, 2, 1);
    EXPECT_TRUE(w.Selected(2));
    EXPECT_FALSE(w.NoDeviceShown());
    // Link back while another is shown: shown, not selected.
    wnd.Send(device::kMsgEntryNotice, 3, 1);
    EXPECT_TRUE(w.Shown(3));
    EXPECT_FALSE(w.Selected(3));
    // Out of range: nothing.
    wnd.Send(device::kMsgEntryNotice, 9, 1);
    wnd.Send(device::kMsgEntryNotice, static_cast<uintptr_t>(-1), 0);
    // The selected one is lost: the next shown one is selected.
    platform::DebugCapture capture;
    wnd.Send(device::kMsgEntryNotice, 2, 0);
    EXPECT_FALSE(w.Shown(2));
    EXPECT_TRUE(w.Selected(3));
    EXPECT_TRUE(capture.Contains("2.4gcesvdfherhue 1"));
    wnd.Send(device::kMsgEntryNotice, 3, 0);
    EXPECT_TRUE(w.NoDeviceShown());
    EXPECT_EQ(ui::ControlCurrentIndex(wnd.FindControl(QStringLiteral("device_switch"))), 0);
}

TEST(WindowRules, ScrollButtonsMoveAlongTheShownEntries) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    for (int row : {0, 2, 3})
        wnd.Send(device::kMsgEntryNotice, static_cast<uintptr_t>(row), 1);
    ASSERT_TRUE(w.Selected(0));
    QWidget* next = wnd.FindControl(QStringLiteral("device_select_next"));
    QWidget* prev = wnd.FindControl(QStringLiteral("device_select_prev"));
    uitest::Click(next);
    EXPECT_TRUE(w.Selected(2)) << "the hidden mouse entry is skipped";
    uitest::Click(next);
    EXPECT_TRUE(w.Selected(3));
    uitest::Click(next);
    EXPECT_TRUE(w.Selected(3)) << "nothing after the last";
    uitest::Click(prev);
    EXPECT_TRUE(w.Selected(2));
    EXPECT_EQ(wnd.SelectedEntryIndex(), 2);
}

TEST(WindowRules, BarLockAndLoadingLayer) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    QWidget* bar = wnd.FindControl(QStringLiteral("device_select_layout"));
    EXPECT_TRUE(wnd.KeyEditFlag());
    wnd.BarLock(true, false);
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_FALSE(wnd.KeyEditFlag());
    wnd.BarLock(false, true);
    EXPECT_FALSE(bar->isEnabled()) << "without bars only the flag changes";
    EXPECT_TRUE(wnd.KeyEditFlag());
    wnd.BarLock(true, true);
    EXPECT_TRUE(bar->isEnabled());
    wnd.ShowLoadingLayer(true);
    EXPECT_FALSE(wnd.FindControl(QStringLiteral("Loading_Layout"))->isHidden());
    EXPECT_FALSE(wnd.FindControl(QStringLiteral("dark_device_bk"))->isHidden());
    wnd.ShowLoadingLayer(false);
    EXPECT_TRUE(wnd.FindControl(QStringLiteral("Loading_Layout"))->isHidden());
}

TEST(WindowRules, TrayClickHidesAndShowsWithThePageHiddenFlag) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    ASSERT_TRUE(wnd.isVisible());
    wnd.Send(ui::kTrayNotifyMessage, 0, ui::kWmLButtonUp);
    EXPECT_FALSE(wnd.isVisible());
    EXPECT_TRUE(wnd.DeviceOfRow(0)->IsPageHidden());
    EXPECT_TRUE(wnd.DeviceOfRow(1)->IsPageHidden());
    wnd.Send(ui::kTrayNotifyMessage, 0, ui::kWmLButtonUp);
    EXPECT_TRUE(wnd.isVisible());
    EXPECT_FALSE(wnd.DeviceOfRow(0)->IsPageHidden());
}

TEST(WindowRules, SuspendedWindowIgnoresPrivateMessages) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    wnd.Send(ui::kWmPowerBroadcast, ui::kPbtApmSuspend, 0);
    ASSERT_TRUE(wnd.Suspended());
    wnd.Send(device::kMsgEntryNotice, 2, 1);
    EXPECT_FALSE(w.Shown(2));
    // The lighting-control message is still handled, and kept for resume.
    wnd.Send(ui::RegisteredAppMessages().lightControl, 1, 0);
    EXPECT_EQ(wnd.LightControlState(), 0);
    wnd.Send(ui::kWmPowerBroadcast, ui::kPbtApmResumeAutomatic, 0);
    EXPECT_FALSE(wnd.Suspended());
    EXPECT_EQ(wnd.DeviceOfRow(0)->GetLightControl(), 0);
    wnd.Send(device::kMsgEntryNotice, 2, 1);
    EXPECT_TRUE(w.Shown(2));
}

TEST(WindowRules, GameEventChangesAndRestoresTheCurrentDevicesMode) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::MousePad));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(2); }, 3000));
    auto* pad = static_cast<device::CVornelMousePadDevice*>(wnd.DeviceOfRow(2));
    profile::LightInfo light = pad->Profile().GetLightInfo();
    light.SelectItem = 3;
    pad->Profile().SetLightInfo(light);
    const uint32_t start = ui::FindRegisteredMessage("Game_Start");
    ASSERT_NE(start, 0u);
    wnd.Send(start, 0, 0x107);
    EXPECT_EQ(pad->Profile().GetLightInfo().SelectItem, 7);
    EXPECT_EQ(pad->Profile().GetLightInfo().OldLedmode, 3);
    // Timer 1066 restores the previous mode.
    wnd.Send(ui::kWmTimer, ui::kGameEventTimer, 0);
    EXPECT_EQ(pad->Profile().GetLightInfo().SelectItem, 3);
    // A mode outside 1..20 remembers mode 1.
    light.SelectItem = 0;
    pad->Profile().SetLightInfo(light);
    wnd.Send(ui::FindRegisteredMessage("Game_Death"), 0, 4);
    EXPECT_EQ(pad->Profile().GetLightInfo().OldLedmode, 1);
    wnd.Send(ui::FindRegisteredMessage("Game_End"), 5, 9);  // another w: no change
    EXPECT_EQ(pad->Profile().GetLightInfo().SelectItem, 4);
}

TEST(WindowRules, TrayMenuOpensOnRightClickAndExitCloses) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    auto menuShown = [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<ui::CTrayMenuWnd*>(top) != nullptr && top->isVisible())
                return true;
        }
        return false;
    };
    wnd.Send(ui::kTrayNotifyMessage, 0, ui::kWmRButtonUp);
    ASSERT_TRUE(ProcessUntil(menuShown));
    platform::DebugCapture capture;
    wnd.MenuCommand(QStringLiteral("exit"));
    ASSERT_TRUE(ProcessUntil([&] { return capture.Contains("退出测试"); }));
    EXPECT_FALSE(wnd.isVisible());
}
