#include "device/usb_device.h"

#include <gtest/gtest.h>

#include "device/device_classes.h"
#include "device/fake_views.h"
#include "device/receiver_event_service.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace device;
using device_test::FakeEntryView;
using device_test::FakePageView;

namespace {

// Configures a device the way the main window does.
void Attach(CVornelUSBDevice& d, FakePageView& view, int keys, int leds,
            const char* layout = "page.ui") {
    d.SetPageLayoutName(layout);
    d.SetPageView(&view);
    d.SetKeyButtonCount(keys);
    d.SetLedCount(leds);
    d.InitPage();
}

}  // namespace

TEST(DeviceBase, EmptyLayoutNameBindsNothing) {
    CVornelMouseDevice mouse;
    FakePageView view;
    view.buttons = {"key_0", "light_0"};
    Attach(mouse, view, 11, 15, "");
    EXPECT_EQ(mouse.GetKeyButtonCount(), 0);
    EXPECT_EQ(mouse.GetLedCount(), 0);
    mouse.PreviewStatic();
    mouse.PushLedFrame();
    EXPECT_TRUE(view.colours.empty());
    EXPECT_EQ(mouse.GetLedColour(0), LedColour{});
}

TEST(DeviceBase, ButtonsBindByNameWithinTheirCounts) {
    CVornelMousePadDevice pad;
    FakePageView view;
    view.buttons = {"light_7", "key_", "LIGHT_2", "key_0", "light_x", "plain", "light_4"};
    Attach(pad, view, 1, 5);
    EXPECT_EQ(pad.LedButton(2), 2) << "names compare without case";
    EXPECT_EQ(pad.LedButton(4), 6);
    EXPECT_EQ(pad.LedButton(0), -1);
    EXPECT_EQ(pad.KeyButton(0), 3);
    EXPECT_EQ(view.colours.count(0), 0u) << "light_7 is beyond 5 LEDs";
    EXPECT_EQ(view.colours[2], std::make_pair(0xFFu, uint8_t{255})) << "LED buttons start red";
    EXPECT_EQ(view.indicator, std::make_pair(0xFFFFFFu, uint8_t{255}));

    pad.SetLedColour(4, {0x11, 0x22, 0x33, 0x44});
    view.hidden = {false, false, true};
    pad.SetLedColour(2, {1, 1, 1, 1});
    view.colours.clear();
    pad.PushLedFrame();
    EXPECT_EQ(view.colours[6], std::make_pair(0x223311u, uint8_t{0x44}))
        << "word is R | B << 8 | G << 16";
    EXPECT_EQ(view.colours.count(2), 0u) << "hidden buttons are not painted";

    pad.SetLightControl(0);
    view.colours.clear();
    pad.PushLedFrame();
    EXPECT_TRUE(view.colours.empty()) << "no painting while the program leaves the lighting alone";
}

TEST(DeviceBase, LedColourBoundsAndCountReset) {
    CVornelMouseDevice mouse;
    FakePageView view;
    Attach(mouse, view, 0, 5);
    mouse.SetLedColour(4, {1, 2, 3, 4});
    mouse.SetLedColour(5, {9, 9, 9, 9});
    mouse.SetLedColour(-1, {9, 9, 9, 9});
    EXPECT_EQ(mouse.GetLedColour(4), (LedColour{1, 2, 3, 4}));
    EXPECT_EQ(mouse.GetLedColour(-1), LedColour{});
    EXPECT_EQ(mouse.GetLedColour(5), LedColour{});
    mouse.SetLedCount(5);
    EXPECT_EQ(mouse.GetLedColour(4), LedColour{}) << "setting the same count still clears";
}

TEST(DeviceBase, FunctionPagesFollowTheDeviceKind) {
    FakePageView view;
    CVornelKeyboardDevice keyboard;
    keyboard.SetPageView(&view);
    keyboard.SelectFunctionPage(2);
    keyboard.SelectFunctionPage(4);
    EXPECT_EQ(view.tabA, 3);
    EXPECT_EQ(view.tabB, 1) << "page 4 leaves the second switch on a keyboard";
    EXPECT_EQ(keyboard.GetFunctionPage(), 4);

    FakePageView padView;
    CVornelMousePadDevice pad;
    pad.SetPageView(&padView);
    pad.SelectFunctionPage(4);
    EXPECT_EQ(padView.tabA, 0);
    EXPECT_EQ(padView.tabB, 2);

    FakePageView missing;
    missing.hasSwitches = false;
    pad.SetPageView(&missing);
    pad.SelectFunctionPage(9);
    EXPECT_EQ(pad.GetFunctionPage(), 9);
    EXPECT_EQ(missing.tabA, -1);
}

TEST(DeviceBase, LightStateWordsRoundTrip) {
    CVornelKeyboardDevice keyboard;
    keyboard.SetLightState(0x04030201, 0x08070605, 0x0C0B0A09, 0xFF0F0E0D);
    const profile::LightInfo& l = keyboard.CurrentLight();
    EXPECT_EQ(l.SelectItem, 1);
    EXPECT_EQ(l.Red, 6);
    EXPECT_EQ(l.CloseBkLight, 15);
    EXPECT_EQ(keyboard.GetLightState()[3], 0x000F0E0Du)
        << "only the low three bytes of w3 are used";
}

TEST(DeviceBase, ReactiveBuffers) {
    CVornelMouseDevice mouse;
    mouse.SetLedIntensity(3, 200);
    mouse.DecayLed(3, 0);
    EXPECT_EQ(mouse.LedIntensity(3), 160);
    mouse.DecayLed(170, 0);  // out of range: ignored
    mouse.SetLedIntensity(0, 0);
    mouse.ClearEffectBuffers();
    EXPECT_EQ(mouse.LedIntensity(3), 0);
    mouse.FlashRingLeds();
    EXPECT_EQ(mouse.LedIntensity(0), 0) << "an empty ring flashes nothing";
}

TEST(DeviceBase, DataFoldersAreUnderTheUserFolder) {
    testing_support::ScopedUserFolders folders;
    CVornelKeyboardDevice keyboard;
    keyboard.SetDeviceFolder("keyboard");
    keyboard.SetProfileName("2026_12_09_05_01_28_123");
    keyboard.SetLightConfigName("tavik_light");
    EXPECT_EQ(keyboard.ProfileFile(),
              platform::UserDataFolder() + "keyboard/2026_12_09_05_01_28_123.Json");
    EXPECT_EQ(keyboard.LightConfigFile(),
              platform::UserDataFolder() + "keyboard/tavik_light.config");
    keyboard.SetProfileName("../escape");
    EXPECT_EQ(keyboard.ProfileFile(), "") << "a profile name is never a path";
    keyboard.SetDeviceIndex(3);
    EXPECT_EQ(keyboard.Profile().GetDeviceIndex(), 3);
    CVornelMouseDevice mouse;
    mouse.SetDeviceIndex(3);
    EXPECT_EQ(mouse.Profile().GetDeviceIndex(), 0) << "other devices use the file's first record";
}

TEST(ReceiverEventService, RegisterKeepsTheFirstDeviceAndForgetsDestroyedOnes) {
    auto& service = ReceiverEventService::Instance();
    CVornelKeyboardDevice a;
    {
        CVornelKeyboardDevice b;
        EXPECT_TRUE(service.Register(ReceiverEventService::kKeyboard, &b));
        EXPECT_TRUE(service.Register(ReceiverEventService::kKeyboard, &b));
        EXPECT_FALSE(service.Register(ReceiverEventService::kKeyboard, &a));
        EXPECT_EQ(service.Registered(ReceiverEventService::kKeyboard), &b);
    }
    EXPECT_EQ(service.Registered(ReceiverEventService::kKeyboard), nullptr)
        << "a destroyed device leaves the registry";
    EXPECT_TRUE(service.Register(ReceiverEventService::kKeyboard, &a));
    service.Forget(&a);
}

TEST(ReceiverEventService, StartsAndStopsWithinItsBound) {
    platform::DebugCapture capture;
    auto& service = ReceiverEventService::Instance();
    service.StartService();
    EXPECT_TRUE(service.Running());
    service.StopService();
    EXPECT_FALSE(service.Running());
    EXPECT_TRUE(capture.Contains("MS 设备同步线程设定退出"));
    EXPECT_TRUE(capture.Contains("线程退出：：对象处于激发状态\n"));
}
