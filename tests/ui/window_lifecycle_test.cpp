// The main window's device lifecycle end to end: the window's own discovery
// thread, receiver link poll and device-bar entries against the simulated
// devices.
#include <gtest/gtest.h>

#include <QStackedWidget>

#include "device/device_classes.h"
#include "platform/debug_output.h"
#include "ui/controls/select_panel.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/pages/device_option_ui.h"
#include "ui/pages/mp_device_power_ui.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

constexpr int kKeyboard = 0;
constexpr int kMouse = 1;
constexpr int kMousePad = 2;
constexpr int kHeadset = 3;

int CurrentIndex(ui::CMainWnd& w, const char* name) {
    auto* stack = qobject_cast<QStackedWidget*>(w.FindControl(QString::fromLatin1(name)));
    return stack != nullptr ? stack->currentIndex() : -2;
}

}  // namespace

TEST(WindowLifecycle, StartsWithEveryModelHiddenAndNoDeviceShown) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    for (int row = 0; row < 4; ++row) {
        ASSERT_NE(wnd.EntryOfRow(row), nullptr) << row;
        ASSERT_NE(wnd.PageOfRow(row), nullptr) << row;
        ASSERT_NE(wnd.DeviceOfRow(row), nullptr) << row;
        EXPECT_FALSE(w.Shown(row)) << row;
        EXPECT_EQ(wnd.DeviceOfRow(row)->GetModelRow(), row);
        EXPECT_EQ(wnd.DeviceOfRow(row)->GetOptionButton(), wnd.EntryOfRow(row));
    }
    // Entry i of the bar belongs to model row i; every row has its widget.
    EXPECT_EQ(wnd.EntryOfRow(kKeyboard)->GetKind(), 1);
    EXPECT_EQ(wnd.EntryOfRow(kHeadset)->GetKind(), 7);
    EXPECT_EQ(wnd.DeviceOfRow(kMouse)->GetSlotRecord().deviceType, 2);
    EXPECT_EQ(wnd.DeviceOfRow(kMousePad)->GetSlotRecord().deviceType, 3);
    EXPECT_TRUE(wnd.DeviceOfRow(kKeyboard)->GetBatteryWidgetEnabled());
    EXPECT_FALSE(wnd.DeviceOfRow(kHeadset)->GetBatteryWidgetEnabled());
    ASSERT_NE(wnd.PowerOfRow(kMouse), nullptr);
    EXPECT_EQ(wnd.EntryOfRow(kMouse)->GetPowerLayoutName(), QStringLiteral("device_power_switch"));
    EXPECT_GT(wnd.EntryOfRow(kMouse)->GetPowerIndex(), 0);
    // The page's LED buttons are bound by name.
    EXPECT_GE(wnd.DeviceOfRow(kKeyboard)->LedButton(0), 0);
    EXPECT_GE(wnd.DeviceOfRow(kMouse)->KeyButton(10), 0);
    EXPECT_LT(wnd.DeviceOfRow(kMouse)->KeyButton(11), 0);

    EXPECT_TRUE(w.NoDeviceShown());
    EXPECT_EQ(CurrentIndex(wnd, "device_switch"), 0);
    EXPECT_EQ(CurrentIndex(wnd, "device_power_switch"), 0);
    EXPECT_EQ(wnd.CurrentDevice(), nullptr);
}

TEST(WindowLifecycle, KeyboardPluggedIsShownSelectedAndConnected) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kKeyboard); }, 3000));
    EXPECT_FALSE(w.NoDeviceShown());
    EXPECT_EQ(w.Background(), QStringLiteral("file='main/background_kb.png'"));
    EXPECT_EQ(wnd.CurrentDevice(), wnd.DeviceOfRow(kKeyboard));
    auto* stack = qobject_cast<QStackedWidget*>(wnd.FindControl(QStringLiteral("device_switch")));
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->currentWidget(), wnd.PageOfRow(kKeyboard));
    EXPECT_EQ(CurrentIndex(wnd, "device_power_switch"), wnd.EntryOfRow(kKeyboard)->GetPowerIndex());
    // The connect timer ran OnConnected, then started the frames and the
    // battery poll; a wired device has no link watch.
    ui::CDeviceOptionUI* entry = wnd.EntryOfRow(kKeyboard);
    ASSERT_TRUE(ProcessUntil([&] { return entry->TimerActive(device::kTimerFrame); }, 3000));
    auto* keyboard = static_cast<device::CVornelKeyboardDevice*>(wnd.DeviceOfRow(kKeyboard));
    EXPECT_GT(keyboard->InfoBlock().KeyCount(), 0) << "OnConnected read the device tables";
    EXPECT_FALSE(entry->TimerActive(device::kTimerLinkWatch));
    EXPECT_FALSE(keyboard->CommandChannel().ReceiverMode());
}

TEST(WindowLifecycle, UnpluggingTheSelectedKeyboardSelectsTheMouse) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kKeyboard); }, 3000));
    // The receiver comes with the mouse linked: shown, not selected.
    w.Devices().Receiver().UnlinkKeyboard();
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Receiver));
    ASSERT_TRUE(ProcessUntil([&] { return w.Shown(kMouse); }, 5000));
    EXPECT_TRUE(w.Selected(kKeyboard));
    EXPECT_FALSE(w.Selected(kMouse));

    platform::DebugCapture capture;
    ASSERT_TRUE(w.Devices().Unplug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kMouse); }, 3000));
    EXPECT_FALSE(w.Shown(kKeyboard));
    EXPECT_EQ(w.Background(), QStringLiteral("file='main/background_ms.png'"));
    EXPECT_EQ(w.Window().CurrentDevice(), w.Window().DeviceOfRow(kMouse));
    EXPECT_TRUE(capture.Contains("删除一个键盘设备"));
    EXPECT_FALSE(w.NoDeviceShown());
}

TEST(WindowLifecycle, ReceiverWithBothLinkedShowsBothAndFollowsTheLinks) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    w.Devices().Receiver().LinkKeyboard(w.Devices().KeyboardPtr());
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Receiver));
    ASSERT_TRUE(ProcessUntil([&] { return w.Shown(kKeyboard) && w.Shown(kMouse); }, 6000));
    device::CVornelUSBDevice* keyboard = w.Window().DeviceOfRow(kKeyboard);
    EXPECT_TRUE(keyboard->CommandChannel().ReceiverMode());
    EXPECT_EQ(w.Window().SelectedEntryIndex(), w.Selected(kKeyboard) ? kKeyboard : kMouse);

    // Unlinking the mouse takes its entry away; the keyboard stays.
    w.Devices().Receiver().UnlinkMouse();
    ASSERT_TRUE(ProcessUntil([&] { return !w.Shown(kMouse); }, 6000));
    EXPECT_TRUE(w.Shown(kKeyboard));

    // Unplugging the receiver loses every device behind it.
    ASSERT_TRUE(w.Devices().Unplug(sim::SimUnit::Receiver));
    ASSERT_TRUE(ProcessUntil([&] { return !w.Shown(kKeyboard); }, 6000));
    EXPECT_FALSE(w.Shown(kMouse));
    EXPECT_FALSE(keyboard->IsCommandChannelOpen());
    EXPECT_TRUE(w.NoDeviceShown());
    EXPECT_EQ(CurrentIndex(w.Window(), "device_switch"), 0);
}

TEST(WindowLifecycle, MousePadAndHeadsetComeAndGo) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::MousePad));
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Headset));
    ASSERT_TRUE(ProcessUntil([&] { return w.Shown(kMousePad) && w.Shown(kHeadset); }, 3000));
    EXPECT_EQ(w.Selected(kMousePad) + w.Selected(kHeadset), 1) << "exactly one is selected";
    ASSERT_TRUE(w.Devices().Unplug(sim::SimUnit::MousePad));
    ASSERT_TRUE(w.Devices().Unplug(sim::SimUnit::Headset));
    ASSERT_TRUE(ProcessUntil([&] { return !w.Shown(kMousePad) && !w.Shown(kHeadset); }, 3000));
    EXPECT_TRUE(w.NoDeviceShown());
}

TEST(WindowLifecycle, ArrivalsWhileAsleepAreHandledAfterResume) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    wnd.OnPrepareForSleep(true);
    ASSERT_TRUE(ProcessUntil([&] { return wnd.Suspended(); }));
    EXPECT_EQ(wnd.DeviceOfRow(kKeyboard)->GetLightControl(), 0);
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Keyboard));
    // The discovery thread binds the slots while the window sleeps.
    ASSERT_TRUE(ProcessUntil([&] { return wnd.Slots().Get(0).present; }, 3000));
    uitest::ProcessPending();
    EXPECT_FALSE(w.Shown(kKeyboard));
    wnd.OnPrepareForSleep(false);
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kKeyboard); }, 3000));
    EXPECT_EQ(wnd.DeviceOfRow(kKeyboard)->GetLightControl(), 1);
}

TEST(WindowLifecycle, SecondStartRestoresAndRaisesTheWindow) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    QWidget* page = wnd.PageOfRow(kKeyboard);
    wnd.showMinimized();
    uitest::ProcessPending();
    platform::DebugCapture capture;
    // What a second copy hands over through the single-instance name.
    wnd.Post(ui::RegisteredAppMessages().instance, 0, 1);
    const std::string expected =
        "软件标示 " + std::to_string(ui::RegisteredAppMessages().instance) + "，0d1d";
    ASSERT_TRUE(ProcessUntil([&] { return capture.Contains(expected); }));
    EXPECT_TRUE(wnd.isVisible());
    EXPECT_FALSE(wnd.isMinimized());
    EXPECT_EQ(wnd.PageOfRow(kKeyboard), page);
}

TEST(WindowLifecycle, ShutdownJoinsTheThreadsAndReportsEverySlot) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kKeyboard); }, 3000));
    platform::DebugCapture capture;
    w.Close();
    const std::vector<std::string> lines = capture.Lines();
    EXPECT_TRUE(capture.Contains("退出测试"));
    EXPECT_TRUE(capture.Contains("抓取设备线程设定退出"));
    EXPECT_TRUE(capture.Contains("所有对象处于激发状态\n"));
    EXPECT_FALSE(capture.Contains("所有对象处于非激发状态，超时\n"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("错误\n")),
              ui::kThreadSlotCount - 1);
    EXPECT_TRUE(capture.Contains("19"));
    EXPECT_FALSE(w.Window().isVisible());
}

TEST(WindowLifecycle, PictureFramesSlowWhileThePictureIsOutOfSightAndResumeWithIt) {
    WindowWorld w;
    ASSERT_TRUE(w.StartWithKeyboard());
    ui::CMainWnd& wnd = w.Window();
    ui::CDeviceOptionUI* entry = wnd.EntryOfRow(kKeyboard);
    auto* panel = wnd.PageOfRow(kKeyboard)->findChild<ui::CSelectPanelUI*>();
    ASSERT_NE(panel, nullptr);
    wnd.DeviceOfRow(kKeyboard)->SetWindowAttention(true);
    const auto period = [&] { return entry->TimerPeriod(device::kTimerFrame); };
    const auto picturePace = [&] { return period() > 0 && period() <= 40; };
    ASSERT_TRUE(ProcessUntil(picturePace, 3000)) << period();

    panel->hide();  // another tab over the picture
    ASSERT_TRUE(
        ProcessUntil([&] { return period() == device::DeviceEntryLogic::kHiddenFrameMs; }, 3000));
    panel->show();
    EXPECT_EQ(period(), 1) << "the picture's next frame comes at once";
    ASSERT_TRUE(ProcessUntil(picturePace, 1000));

    device::CVornelUSBDevice* keyboard = wnd.DeviceOfRow(kKeyboard);
    keyboard->SelectFunctionPage(2);  // a tab whose picture shows no lights
    ASSERT_TRUE(
        ProcessUntil([&] { return period() == device::DeviceEntryLogic::kHiddenFrameMs; }, 3000));
    keyboard->SelectFunctionPage(1);
    EXPECT_EQ(period(), 1) << "back on the lighting tab";
    ASSERT_TRUE(ProcessUntil(picturePace, 1000));

    wnd.hide();  // into the tray
    ASSERT_TRUE(
        ProcessUntil([&] { return period() == device::DeviceEntryLogic::kHiddenFrameMs; }, 3000));
    wnd.show();
    EXPECT_EQ(period(), 1) << "and out of the tray";
    ASSERT_TRUE(ProcessUntil(picturePace, 1000));
}
