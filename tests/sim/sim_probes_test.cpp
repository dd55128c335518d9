// The probes tests and scripts use on the standard simulated devices,
// checked against what the host sees through the simulator backend.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hid/report_channel.h"
#include "sim/sim_backend.h"
#include "sim/sim_descriptors.h"
#include "sim/simulated_devices.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kKeyboardCommands = "vid_320f&pid_22ab&mi_01&col04";
constexpr const char* kKeyboardEvents = "vid_320f&pid_22ab&mi_01&col03";

class ProbeTest : public ::testing::Test {
  protected:
    ProbeTest() {
        sim::SimulatedDevicesOptions options;
        options.persist = false;
        devices_ = std::make_unique<sim::SimulatedDevices>(backend_, options);
    }

    std::string Path(const std::string& vidPidCol) {
        std::vector<std::string> paths;
        backend_->Enumerate(paths);
        for (const std::string& p : paths) {
            if (p.size() >= vidPidCol.size() &&
                p.compare(p.size() - vidPidCol.size(), vidPidCol.size(), vidPidCol) == 0) {
                return p;
            }
        }
        return "";
    }

    std::unique_ptr<hid::HidDevice> Open(const std::string& vidPidCol) {
        const std::string path = Path(vidPidCol);
        return path.empty() ? nullptr : backend_->Open(path, hid::OpenFlags{});
    }

    // One command to the wired keyboard; returns the answer's status byte.
    int Command(hid::HidDevice& device, uint8_t command, uint16_t offset,
                const std::vector<uint8_t>& data) {
        std::vector<uint8_t> r(64, 0);
        r[0] = 4;
        r[3] = command;
        r[4] = static_cast<uint8_t>(data.size());
        r[5] = static_cast<uint8_t>(offset & 0xFF);
        r[6] = static_cast<uint8_t>(offset >> 8);
        std::copy(data.begin(), data.end(), r.begin() + 8);
        hid::StampChecksum(r.data());
        size_t written = 0;
        if (!device.Write(r.data(), r.size(), written, 1000)) {
            return -1;
        }
        uint8_t answer[64] = {};
        size_t got = 0;
        if (!device.Read(answer, sizeof answer, got, 1000) || got < 8) {
            return -1;
        }
        return answer[7];
    }

    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::SimBackend> backend_ = std::make_shared<sim::SimBackend>();
    std::unique_ptr<sim::SimulatedDevices> devices_;
};

TEST_F(ProbeTest, RegionsShowWhatTheHostWroteAndRefuseUnknownNames) {
    auto keyboard = Open(kKeyboardCommands);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(Command(*keyboard, 0x06, 1, {5}), 0);  // settings: mode byte of slot 0
    const auto settings = devices_->ReadRegion("Keyboard", "SETTINGS");
    ASSERT_TRUE(settings.has_value());
    ASSERT_EQ(settings->size(), 512u);
    EXPECT_EQ((*settings)[1], 5);

    // Custom group 3's colour table sits at device offset 3 × 512.
    EXPECT_EQ(Command(*keyboard, 0x0B, 3 * 512 + 2, {0x21, 0x43}), 0);
    const auto table = devices_->ReadRegion("keyboard", "colourtable3");
    ASSERT_TRUE(table.has_value());
    ASSERT_EQ(table->size(), 64u);
    EXPECT_EQ((*table)[2], 0x21);
    EXPECT_EQ((*table)[3], 0x43);
    EXPECT_EQ(devices_->ReadRegion("keyboard", "colourtables")->size(), 32u * 512u);
    EXPECT_TRUE(devices_->ReadRegion("keyboard", "colourtable31").has_value());

    for (const char* region : {"keymap", "macros", "frame", "info", "status", "leds"})
        EXPECT_TRUE(devices_->ReadRegion("keyboard", region).has_value()) << region;
    EXPECT_TRUE(devices_->ReadRegion("mouse", "shoot").has_value());
    EXPECT_TRUE(devices_->ReadRegion("mousepad", "settings").has_value());
    EXPECT_TRUE(devices_->ReadRegion("headset", "headsetleds").has_value());

    for (const char* region : {"colourtable32", "colourtable-1", "colourtable", "colourtable1x",
                               "colourtable999", "nothing", ""})
        EXPECT_FALSE(devices_->ReadRegion("keyboard", region).has_value()) << region;
    EXPECT_FALSE(devices_->ReadRegion("receiver", "settings").has_value());
    EXPECT_FALSE(devices_->ReadRegion("toaster", "settings").has_value());
    EXPECT_FALSE(devices_->ReadRegion("headset", "keymap").has_value());
}

TEST_F(ProbeTest, EventsReachTheHostAndFramesAreCounted) {
    auto events = Open(kKeyboardEvents);
    ASSERT_NE(events, nullptr);
    ASSERT_TRUE(devices_->SendEvent("keyboard", 0xA401));
    uint8_t report[64] = {};
    size_t got = 0;
    ASSERT_TRUE(events->Read(report, sizeof report, got, 1000));
    const std::vector<uint8_t> expected = sim::EventReport(0xA401);
    ASSERT_EQ(got, expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), report));
    EXPECT_FALSE(devices_->SendEvent("receiver", 1));
    EXPECT_FALSE(devices_->SendEvent("", 1));

    auto keyboard = Open(kKeyboardCommands);
    ASSERT_NE(keyboard, nullptr);
    ASSERT_EQ(devices_->FrameCount("keyboard"), 0u);
    // A frame counts when its last byte arrives, not per chunk.
    const std::vector<uint8_t> chunk(56, 0x7F);
    for (uint16_t offset = 0; offset < 342; offset += 56) {
        const size_t n = std::min<size_t>(56, 342 - offset);
        ASSERT_EQ(Command(*keyboard, 0x12, offset, {chunk.begin(), chunk.begin() + n}), 0);
    }
    EXPECT_EQ(devices_->FrameCount("keyboard"), 1u);
    EXPECT_FALSE(devices_->FrameCount("mouse").has_value());
}

TEST_F(ProbeTest, ReleaseTakesEffectAtTheNextPlug) {
    const auto releaseOf = [this](const std::string& vidPidCol) {
        auto device = Open(vidPidCol);
        return device ? device->Attributes().versionNumber : 0;
    };
    devices_->SetRelease(sim::SimUnit::Keyboard, 0x0123);
    devices_->SetRelease(sim::SimUnit::Receiver, 0x0207);
    devices_->SetRelease(sim::SimUnit::MousePad, 0x0301);
    EXPECT_EQ(releaseOf(kKeyboardCommands), 0x0110);
    EXPECT_EQ((*devices_->ReadRegion("keyboard", "info"))[2], 0x10);

    for (sim::SimUnit unit :
         {sim::SimUnit::Keyboard, sim::SimUnit::Receiver, sim::SimUnit::MousePad}) {
        ASSERT_TRUE(devices_->Unplug(unit));
        ASSERT_TRUE(devices_->Plug(unit));
    }
    EXPECT_EQ(releaseOf(kKeyboardCommands), 0x0123);
    EXPECT_EQ(releaseOf("vid_320f&pid_22aa&mi_01&col04"), 0x0207);
    EXPECT_EQ(releaseOf("vid_320f&pid_1004&mi_01&col04"), 0x0301);
    // The information block the program reads says the same.
    const auto info = *devices_->ReadRegion("mousepad", "info");
    EXPECT_EQ(info[2] | (info[3] << 8), 0x0301);
    EXPECT_EQ(devices_->Keyboard().ReleaseNumber(), 0x0123);
}

TEST_F(ProbeTest, BatteryShowsInTheStatusRead) {
    ASSERT_TRUE(devices_->SetBattery("keyboard", 42, true));
    auto status = *devices_->ReadRegion("keyboard", "status");
    EXPECT_EQ(status[0], 42);
    EXPECT_EQ(status[1], sim::BatteryModel::kCharging);
    ASSERT_TRUE(devices_->SetBattery("mouse", 100, false));
    status = *devices_->ReadRegion("mouse", "status");
    EXPECT_EQ(status[0], 100);
    EXPECT_EQ(status[1], sim::BatteryModel::kOnBattery);

    EXPECT_FALSE(devices_->SetBattery("keyboard", 101, false));
    EXPECT_EQ((*devices_->ReadRegion("keyboard", "status"))[0], 42);
    EXPECT_FALSE(devices_->SetBattery("receiver", 50, false));
}

}  // namespace
