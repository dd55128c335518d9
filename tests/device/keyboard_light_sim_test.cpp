// Keyboard lighting against the simulated keyboard: the custom colour tables
// and LED frames the firmware receives, and the frame stream's behaviour when
// the channel is busy or a frame fails.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "device/fake_views.h"
#include "device/keyboard_light.h"
#include "device/palette.h"
#include "hid/hid_backend.h"
#include "platform/debug_output.h"
#include "platform/tick_count.h"
#include "sim/keyboard_light_memory.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"
#include "support/temp_dir.h"

namespace {

using device::KeyboardLighting;
using device::LedColour;

class FakeLightPage : public device::LightPageLink {
  public:
    int selected = -1;
    int shown = -1;
    int SelectedCustomGroup() const override { return selected; }
    void ShowCustomGroup(int group) override { shown = group; }
};

class LightingSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bus_ = std::make_shared<sim::SimBackend>();
        bus_->SetReportLatencyMicros(0);
        hid::SetBackend(bus_);
        devices_ = std::make_unique<sim::SimulatedDevices>(bus_, testing_support::KeyboardOnly());
        const std::string path = testing_support::PathOf(*bus_, "pid_22ab", "&col04");
        ASSERT_TRUE(channel_.DirectPack().Open(path, true, true, true, false)) << path;
        channel_.SetConnection(hid::kConnectionDirect);
        channel_.SetOpen(true);

        colours_.Resize(170);
        profile_.SetProfilePath(dir_.File("profile.Json"));
        light_ = std::make_unique<KeyboardLighting>(colours_, intensity_, channel_, profile_);
        std::array<uint8_t, 170> map{};
        for (size_t i = 0; i < map.size(); ++i) {
            map[i] = static_cast<uint8_t>(i);
        }
        light_->SetKeyToLed(map);
        light_->SetLightPage(&page_);
    }
    void TearDown() override {
        light_.reset();
        channel_.DirectPack().Close();
        devices_.reset();
        hid::SetBackend(nullptr);
    }
    void Show(uint8_t mode) {
        info_.SelectItem = mode;
        info_.Light = 4;
        deviceLight_[1] = mode;
        light_->UpdatePreview(info_, deviceLight_);
    }
    std::vector<uint8_t> Region(const char* name) { return devices_->Keyboard().Region(name); }

    testing_support::ScopedUserFolders folders_;
    testing_support::TempDir dir_;
    std::shared_ptr<sim::SimBackend> bus_;
    std::unique_ptr<sim::SimulatedDevices> devices_;
    hid::ReportChannel channel_;
    device::LedColourBuffer colours_;
    KeyboardLighting::Intensities intensity_{};
    profile::CKeyboardProfiledata profile_;
    FakeLightPage page_;
    std::unique_ptr<KeyboardLighting> light_;
    profile::LightInfo info_;
    std::array<uint8_t, 24> deviceLight_{};
};

TEST_F(LightingSimTest, KeyColourReachesTheGroupTableAndTheProfile) {
    Show(19);
    page_.selected = 1;
    const auto orange = device::Palette()[1];
    info_.Red = orange.r;
    info_.Green = orange.g;
    info_.Blue = orange.b;
    light_->SetCustomKeyColour(3, info_);
    light_->SetCustomKeyColour(170, info_);  // past the LEDs: ignored
    EXPECT_EQ(light_->CurrentPaletteSlot(), 2);
    const std::vector<uint8_t> tables = Region(sim::kRegionColourTables);
    EXPECT_EQ(devices_->Keyboard().ColourTable(1)[1], 0x20);  // LED 3: high nibble of byte 1
    EXPECT_EQ(std::count(tables.begin(), tables.end(), 0), static_cast<long>(tables.size() - 1));
    const auto stored = profile_.PeekCustomLightColors(1, 170);
    EXPECT_EQ(stored[3].Red, orange.r);
    EXPECT_EQ(stored[3].Green, orange.g);

    // Without a selected group nothing is sent or stored.
    page_.selected = -1;
    info_.Red = 0;
    light_->SetCustomKeyColour(4, info_);
    EXPECT_EQ(Region(sim::kRegionColourTables), tables);
}

TEST_F(LightingSimTest, FillSendsOneSlotForEveryLedInModeNineteenOnly) {
    Show(5);
    light_->SetCurrentPaletteSlot(7);
    EXPECT_EQ(light_->SendFillTable(), 0);
    EXPECT_EQ(devices_->Keyboard().ColourTable(0)[0], 0);

    Show(19);
    page_.selected = 0;
    info_.Red = 250;  // not a palette colour: snapped to red
    info_.Green = 10;
    info_.Blue = 0;
    light_->FillCustomColour(true, info_);
    EXPECT_EQ(info_.Green, 0);
    EXPECT_EQ(light_->CurrentPaletteSlot(), 1);
    std::vector<uint8_t> table = devices_->Keyboard().ColourTable(0);
    ASSERT_EQ(table.size(), 64u);
    for (size_t i = 0; i < 64; ++i) {
        ASSERT_EQ(table[i], 0x11) << i;
    }
    EXPECT_EQ(colours_.Get(129), (LedColour{255, 0, 0, 255}));
    EXPECT_EQ(colours_.Get(130), LedColour{});  // the fill covers LEDs 0 to 129

    light_->FillCustomColour(false, info_);
    EXPECT_EQ(devices_->Keyboard().ColourTable(0)[0], 0);

    // The last group has its own table on the device.
    light_->SelectCustomGroup(31, deviceLight_);
    EXPECT_EQ(deviceLight_[22], 31);
    EXPECT_EQ(page_.shown, 31);
    light_->SetCurrentPaletteSlot(15);
    ASSERT_EQ(light_->SendFillTable(), 1);
    EXPECT_EQ(devices_->Keyboard().ColourTable(31)[63], 0xFF);
    EXPECT_EQ(devices_->Keyboard().ColourTable(30)[0], 0);
    EXPECT_EQ(colours_.Get(0), LedColour{});
    EXPECT_EQ(profile_.PeekCustomLightColors(0, 170)[0].Red, 0);
}

TEST_F(LightingSimTest, FramesStreamOnlyInMusicAndColourSyncModes) {
    platform::ManualTickClock clock;
    clock.Set(5000);
    colours_.Set(2, {255, 128, 0, 128});
    info_.SelectItem = 5;
    light_->SetPreviewLight(info_);
    const uint64_t before = devices_->KeyboardInterface().RequestCount();
    light_->PushLedFrame(nullptr, {}, 1, 1);
    light_->StreamWriter().WaitIdle();
    EXPECT_EQ(devices_->KeyboardInterface().RequestCount(), before);

    for (uint8_t mode : {29, 30}) {
        info_.SelectItem = mode;
        light_->SetPreviewLight(info_);
        colours_.Set(3, {mode, 0, 0, 255});
        light_->PushLedFrame(nullptr, {}, 1, 1);
        light_->StreamWriter().WaitIdle();
        const std::vector<uint8_t> frame = Region("frame");
        ASSERT_GE(frame.size(), 342u);
        EXPECT_EQ(frame[6], 127);
        EXPECT_EQ(frame[7], 64);
        EXPECT_EQ(frame[8], 0);
        EXPECT_EQ(frame[9], mode - 1);  // 29 * 255 >> 8
    }
    EXPECT_EQ(light_->FramesSent(), 2u);
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 2u);
    // Light control off: nothing at all.
    light_->PushLedFrame(nullptr, {}, 1, 0);
    light_->StreamWriter().WaitIdle();
    EXPECT_EQ(light_->FramesSent(), 2u);
}

TEST_F(LightingSimTest, UnchangedFramesAreResentOnlyAfterTheRefreshPeriod) {
    platform::ManualTickClock clock;
    clock.Set(5000);
    info_.SelectItem = 29;
    light_->SetPreviewLight(info_);
    colours_.Set(0, {200, 0, 0, 255});
    const auto push = [&] {
        light_->PushLedFrame(nullptr, {}, 1, 1);
        light_->StreamWriter().WaitIdle();
    };
    // Four timer runs per tick, one tick: one frame.
    for (int i = 0; i < 4; ++i) {
        push();
    }
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 1u);
    EXPECT_EQ(light_->FramesUnchanged(), 3u);
    // New colours go out at once.
    colours_.Set(0, {201, 0, 0, 255});
    push();
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 2u);
    EXPECT_EQ(Region("frame")[0], 200);  // 201 * 255 >> 8
    // The same frame again once the refresh period has passed.
    // (The tick count moves in 16 ms steps.)
    clock.Advance(KeyboardLighting::kUnchangedFrameResendMs - 32);
    push();
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 2u);
    clock.Advance(48);
    push();
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 3u);
    // Switching between the streamed modes always sends.
    info_.SelectItem = 30;
    light_->SetPreviewLight(info_);
    push();
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 4u);
}

TEST_F(LightingSimTest, FailedFrameSkipsFramesFor200Milliseconds) {
    platform::ManualTickClock clock;
    clock.Set(5000);
    info_.SelectItem = 29;
    light_->SetPreviewLight(info_);
    devices_->KeyboardInterface().Faults().Inject(sim::Fault::StatusFF);
    light_->PushLedFrame(nullptr, {}, 1, 1);
    light_->StreamWriter().WaitIdle();
    EXPECT_EQ(light_->FramesSent(), 0u);
    const uint64_t before = devices_->KeyboardInterface().RequestCount();
    for (int i = 0; i < 12; ++i) {  // 192 ms of 16 ms ticks
        clock.Advance(16);
        light_->PushLedFrame(nullptr, {}, 1, 1);
        light_->StreamWriter().WaitIdle();
    }
    EXPECT_EQ(devices_->KeyboardInterface().RequestCount(), before);
    EXPECT_EQ(light_->FramesSkipped(), 12u);
    clock.Advance(16);
    light_->PushLedFrame(nullptr, {}, 1, 1);
    light_->StreamWriter().WaitIdle();
    EXPECT_EQ(light_->FramesSent(), 1u);
}

TEST_F(LightingSimTest, ChunksAreDroppedWhileTheChannelIsBusy) {
    info_.SelectItem = 30;
    light_->SetPreviewLight(info_);
    colours_.Set(0, {255, 255, 255, 255});
    // A command exchange that waits for an answer that never comes.
    devices_->KeyboardInterface().Faults().Inject(sim::Fault::NoAnswer);
    std::thread reader([this] {
        uint8_t info[34];
        channel_.ChunkedRead(0x03, 0, info, sizeof info);
    });
    for (int i = 0; i < 500 && !channel_.Busy(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(channel_.Busy());
    platform::DebugCapture capture;
    light_->PushLedFrame(nullptr, {}, 1, 1);
    light_->StreamWriter().WaitIdle();
    reader.join();
    EXPECT_EQ(capture.Count("放弃灯光数据"), (342u + 55) / 56);
    EXPECT_EQ(Region("frame")[0], 0);
    EXPECT_EQ(devices_->Keyboard().FrameCount(), 0u);
}

TEST_F(LightingSimTest, StalledDeviceNeverHoldsUpThePicture) {
    platform::ManualTickClock clock;
    clock.Set(5000);
    info_.SelectItem = 29;
    light_->SetPreviewLight(info_);
    const std::string path = testing_support::PathOf(*bus_, "pid_22ab", "&col04");
    // A device that does not take reports: each write takes 1.5 s and fails.
    ASSERT_TRUE(bus_->StallWrites(path, 1500));
    device_test::FakePageView view;
    light_->PushLedFrame(&view, {0}, 1, 1);
    for (int i = 0; i < 1000 && !light_->StreamWriter().Writing(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(light_->StreamWriter().Writing());
    for (uint8_t i = 1; i <= 10; ++i) {
        clock.Advance(16);
        const auto red = static_cast<uint8_t>(i * 20);
        colours_.Set(0, {red, 0, 0, 255});
        light_->PushLedFrame(&view, {0}, 1, 1);
        EXPECT_EQ(view.colours[0].first, red) << "the picture goes on while the frame stalls";
    }
    EXPECT_TRUE(light_->StreamWriter().Writing()) << "no push waited for the stalled write";
    EXPECT_EQ(light_->StreamWriter().Dropped(), 9u) << "only the newest frame waits";
    EXPECT_EQ(light_->FramesSent(), 0u);

    ASSERT_TRUE(bus_->StallWrites(path, 0));
    light_->StreamWriter().WaitIdle();
    EXPECT_EQ(light_->FramesSent(), 1u);
    EXPECT_EQ(Region("frame")[0], (200 * 255) >> 8) << "the newest frame reached the keyboard";
}

}  // namespace
