// The lighting driver on a keyboard object talking to the simulated keyboard:
// after connecting, the preview animates the profile's mode on the page's LED
// buttons; a mode change reaches the device's settings record, and the music
// mode streams frames.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "device/keyboard_light_driver.h"
#include "fake_views.h"
#include "hid/hid_backend.h"
#include "platform/paths.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"
#include "support/temp_dir.h"

namespace {

using device::CVornelKeyboardDevice;
using device::KeyboardLightingDriver;

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class LightingDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        bus_ = std::make_shared<sim::SimBackend>();
        bus_->SetReportLatencyMicros(0);
        hid::SetBackend(bus_);
        devices_ = std::make_unique<sim::SimulatedDevices>(bus_, testing_support::KeyboardOnly());

        for (int n = 0; n < 170; ++n) {
            page_.buttons.push_back("key_" + std::to_string(n));
            page_.buttons.push_back("light_" + std::to_string(n));
        }
        keyboard_ = std::make_unique<CVornelKeyboardDevice>();
        keyboard_->SetPageLayoutName("XML\\DeviceXml\\keyboarddevice_7322.xml");
        keyboard_->SetPageView(&page_);
        keyboard_->SetKeyButtonCount(170);
        keyboard_->SetLedCount(170);
        keyboard_->SetOptionButton(&entry_);
        keyboard_->SetDeviceFolder("keyboard");
        keyboard_->SetProfileName("2026_01_01_00_00_00_000");
        keyboard_->SetDeviceIndex(0);
        keyboard_->InitPage();
        driver_ = std::make_unique<KeyboardLightingDriver>(*keyboard_);
        driver_->SetPageView(&page_);
        keyboard_->LoadNameLists();

        std::vector<std::string> paths;
        bus_->Enumerate(paths);
        hid::ReportChannel& ch = keyboard_->CommandChannel();
        for (const auto& p : paths) {
            if (p.find("pid_22ab") != std::string::npos && p.find("&col04") != std::string::npos) {
                ASSERT_TRUE(ch.DirectPack().Open(p, true, true, true, false));
            }
        }
        ch.SetConnection(hid::kConnectionDirect);
        ch.SetOpen(true);
        hid::DeviceSlot slot;
        slot.deviceType = 1;
        keyboard_->SetSlotRecord(slot);
    }
    void TearDown() override {
        driver_.reset();
        keyboard_.reset();
        devices_.reset();
        hid::SetBackend(nullptr);
    }
    // The colour the page shows on LED button n (0 when never painted).
    std::pair<uint32_t, uint8_t> Painted(int n) {
        const int button = keyboard_->LedButton(n);
        return page_.colours.count(button) ? page_.colours[button] : std::pair<uint32_t, uint8_t>{};
    }

    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    device_test::FakePageView page_;
    device_test::FakeEntryView entry_;
    std::unique_ptr<CVornelKeyboardDevice> keyboard_;
    std::unique_ptr<KeyboardLightingDriver> driver_;
};

TEST_F(LightingDriverTest, PreviewAnimatesAndModeChangesReachTheDevice) {
    ASSERT_FALSE(keyboard_->ModeValues().empty());
    keyboard_->OnConnected();
    ASSERT_TRUE(driver_->Lighting().ThreadRunning());
    const int mode = driver_->Lighting().PreviewMode();
    EXPECT_EQ(mode, keyboard_->DeviceLightState()[1]);

    // The picture animates: two frames a while apart differ.
    ASSERT_TRUE(WaitFor([&] { return keyboard_->GetLedColour(51).alpha != 0; })) << mode;
    keyboard_->PushLedFrame();
    const auto first = Painted(51);
    ASSERT_TRUE(WaitFor([&] {
        keyboard_->PushLedFrame();
        return Painted(51) != first;
    })) << "mode "
        << mode;

    // Music mode: the record carries 0xFE and frames reach the keyboard.
    profile::LightInfo light = keyboard_->LiveLight();
    light.SelectItem = 29;
    keyboard_->Profile().SetLightInfo(light);
    ASSERT_EQ(keyboard_->SendLightRecord(0, 0), 1);
    EXPECT_EQ(devices_->Keyboard().Region(sim::kRegionSettings)[1], 0xFE);
    keyboard_->ApplyLighting();
    EXPECT_EQ(driver_->Lighting().PreviewMode(), 29);
    const std::vector<int32_t> levels(25, 0);  // silence-scale 0: full bars
    keyboard_->OnAudioLevels(reinterpret_cast<const uint8_t*>(levels.data()), 100);
    ASSERT_TRUE(WaitFor([&] { return keyboard_->GetLedColour(105).alpha != 0; }));
    keyboard_->PushLedFrame();
    driver_->Lighting().StreamWriter().WaitIdle();
    EXPECT_GE(driver_->Lighting().FramesSent(), 1u);
    const auto frame = devices_->Keyboard().Region(sim::kRegionFrame);
    EXPECT_TRUE(std::any_of(frame.begin(), frame.begin() + 342, [](uint8_t b) { return b != 0; }));

    // Back to a firmware mode: no more frames.
    light.SelectItem = 5;
    keyboard_->Profile().SetLightInfo(light);
    keyboard_->SendLightRecord(0, 0);
    EXPECT_EQ(devices_->Keyboard().Region(sim::kRegionSettings)[1], 5);
    keyboard_->ApplyLighting();
    const uint32_t sent = driver_->Lighting().FramesSent();
    keyboard_->PushLedFrame();
    driver_->Lighting().StreamWriter().WaitIdle();
    EXPECT_EQ(driver_->Lighting().FramesSent(), sent);
}

}  // namespace
