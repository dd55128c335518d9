// The simulated firmware driven directly through its output reports.
#include <gtest/gtest.h>

#include <mutex>

#include "hid/report_channel.h"
#include "platform/file_io.h"
#include "sim/sim_descriptors.h"
#include "sim/sim_firmware.h"
#include "sim/sim_models.h"
#include "support/temp_dir.h"

namespace {

class RecordingSink : public sim::InputSink {
  public:
    void Deliver(const std::vector<uint8_t>& report) override {
        std::lock_guard<std::mutex> lock(mutex_);
        reports_.push_back(report);
    }
    std::vector<std::vector<uint8_t>> Take() {
        std::lock_guard<std::mutex> lock(mutex_);
        auto r = std::move(reports_);
        reports_.clear();
        return r;
    }

  private:
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> reports_;
};

std::vector<uint8_t> Req(uint8_t command, uint8_t length = 0, uint16_t offset = 0,
                         const std::vector<uint8_t>& data = {}, int target = -1) {
    std::vector<uint8_t> r(64, 0);
    r[0] = 4;
    r[3] = command;
    r[4] = length;
    r[5] = static_cast<uint8_t>(offset & 0xFF);
    r[6] = static_cast<uint8_t>(offset >> 8);
    std::copy(data.begin(), data.end(), r.begin() + 8);
    hid::StampChecksum(r.data());
    if (target >= 0) {
        r[32] = static_cast<uint8_t>(target);
    }
    return r;
}

// Sends one request and returns the single answer.
std::vector<uint8_t> Ask(sim::SimFirmware& fw, RecordingSink& sink,
                         const std::vector<uint8_t>& request) {
    fw.OnOutputReport(request, sink);
    auto answers = sink.Take();
    EXPECT_EQ(answers.size(), 1u);
    return answers.empty() ? std::vector<uint8_t>(64, 0) : answers.back();
}

class FirmwareTest : public ::testing::Test {
  protected:
    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::KeyboardModel> keyboard_ = std::make_shared<sim::KeyboardModel>();
    sim::UsbInterface wired_{
        keyboard_, {0x320F, 0x22AB, 0x0110}, 1, sim::VendorInterfaceDescriptor()};
    RecordingSink sink_;
};

TEST_F(FirmwareTest, FramingEchoStatusAndChecksum) {
    auto a = Ask(wired_, sink_, Req(0x03, 34, 0));
    ASSERT_EQ(a.size(), 64u);
    EXPECT_EQ(a[0], 4);
    EXPECT_EQ(a[3], 0x03);
    EXPECT_EQ(a[4], 34);
    EXPECT_EQ(a[7], 0);
    EXPECT_EQ(a[1] | (a[2] << 8), hid::ReportChecksum(a.data()));
    EXPECT_EQ(a[8 + 5], keyboard_->KeyCount());
    EXPECT_EQ(a[8 + 6], sim::KeyboardModel::kMacroUnits);

    auto bad = Req(0x03, 34, 0);
    bad[1] ^= 1;
    EXPECT_EQ(Ask(wired_, sink_, bad)[7], 0xFF);
    EXPECT_EQ(wired_.ChecksumErrors(), 1u);
    auto keepAlive = Req(0x19);
    keepAlive[1] = keepAlive[2] = 0;  // sent without checksum
    EXPECT_EQ(Ask(wired_, sink_, keepAlive)[7], 0);
    EXPECT_EQ(Ask(wired_, sink_, Req(0x44))[7], 0xFF);           // unknown command
    EXPECT_EQ(Ask(wired_, sink_, Req(0x05, 57, 0))[7], 0xFE);    // over-long chunk
    EXPECT_EQ(Ask(wired_, sink_, Req(0x05, 10, 510))[7], 0xFE);  // beyond the memory
    EXPECT_EQ(Ask(wired_, sink_, Req(0x1C))[7], 0);
    EXPECT_TRUE(keyboard_->LightControlOn());
}

TEST_F(FirmwareTest, KeyTablesMatchTheDefaultCodesAndLedRange) {
    const auto table = keyboard_->Region(sim::kRegionKeyDefaults);
    const auto leds = keyboard_->Region(sim::kRegionLeds);
    const size_t n = keyboard_->KeyCount();
    ASSERT_EQ(n, 114u);
    ASSERT_EQ(table.size(), n * 3);
    const auto& codes = sim::KeyboardDefaultCodeTable();
    std::vector<bool> ledUsed(114, false);
    for (size_t k = 0; k < n; ++k) {
        const int button = keyboard_->DeviceKeyButtons()[k];
        EXPECT_TRUE(std::equal(codes[button].begin(), codes[button].end(), &table[k * 3]));
        ASSERT_LT(leds[k], 114);
        EXPECT_FALSE(ledUsed[leds[k]]);
        ledUsed[leds[k]] = true;
    }
    // The Fn key is among the keys.
    EXPECT_NE(
        std::find(keyboard_->DeviceKeyButtons().begin(), keyboard_->DeviceKeyButtons().end(), 110),
        keyboard_->DeviceKeyButtons().end());
}

TEST_F(FirmwareTest, ChunkedWritesPersistAndCorruptStateFallsBack) {
    EXPECT_EQ(Ask(wired_, sink_, Req(0x06, 3, 2, {4, 1, 7}))[7], 0);
    EXPECT_EQ(Ask(wired_, sink_, Req(0x05, 3, 2))[8 + 2], 7);
    const std::string state = keyboard_->StatePath();
    ASSERT_FALSE(state.empty());
    EXPECT_NE(state.find("/simulator/keyboard.json"), std::string::npos);
    EXPECT_TRUE(platform::FileExists(state));
    {
        sim::KeyboardModel again;
        EXPECT_EQ(again.Region(sim::kRegionSettings)[4], 7);
    }
    testing_support::WriteAll(state, "{ not json");
    sim::KeyboardModel fresh;
    EXPECT_EQ(fresh.Region(sim::kRegionSettings)[4],
              keyboard_->Region(sim::kRegionSettings)[4] == 7 ? 0 : 0);
    EXPECT_TRUE(platform::FileExists(state + ".bak"));
    // A region of the wrong length is damage too.
    testing_support::WriteAll(state, R"({"version":1,"regions":{"settings":"00ff"}})");
    sim::KeyboardModel shortState;
    sim::KeyboardModel factory("");
    EXPECT_EQ(shortState.Region(sim::kRegionSettings), factory.Region(sim::kRegionSettings));
}

TEST_F(FirmwareTest, EventsAndStaleFault) {
    wired_.OnPlugged(std::shared_ptr<sim::InputSink>(&sink_, [](sim::InputSink*) {}));
    keyboard_->PressKey(0x32);
    keyboard_->SwitchSlot(2);
    auto events = sink_.Take();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (std::vector<uint8_t>{3, 0x32, 0x05}));
    EXPECT_EQ(events[1], (std::vector<uint8_t>{3, 0x01, 0xA4}));
    EXPECT_EQ(keyboard_->Region(sim::kRegionSettings)[0], 2);
    wired_.OnUnplugged();
    keyboard_->ReleaseKey(1);
    EXPECT_TRUE(sink_.Take().empty());

    Ask(wired_, sink_, Req(0x03, 10, 0));
    wired_.Faults().Inject(sim::Fault::StaleAnswerFirst);
    wired_.OnOutputReport(Req(0x1B, 10, 0), sink_);
    auto two = sink_.Take();
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0][3], 0x03);
    EXPECT_EQ(two[1][3], 0x1B);
}

TEST_F(FirmwareTest, FaultBoundToACommandWaitsForIt) {
    // The pull fires on the second key table write; LED frames and reads
    // before and between go on being answered.
    int pulled = 0;
    wired_.SetUnplugHook([&pulled] { ++pulled; });
    wired_.Faults().Inject(sim::Fault::Unplug, 1, 0x09);
    const std::vector<uint8_t> keys{0x30, 0xE2, 0x00};
    Ask(wired_, sink_, Req(0x12, 3, 0, {1, 2, 3}));
    Ask(wired_, sink_, Req(0x03, 10, 0));
    Ask(wired_, sink_, Req(0x09, 3, 0, keys));
    Ask(wired_, sink_, Req(0x12, 3, 0, {1, 2, 3}));
    EXPECT_EQ(pulled, 0);
    const std::vector<uint8_t> before = keyboard_->Region(sim::kRegionKeyMap);
    wired_.OnOutputReport(Req(0x09, 3, 3, keys), sink_);
    EXPECT_TRUE(sink_.Take().empty()) << "the pulled request is not answered";
    EXPECT_EQ(pulled, 1);
    EXPECT_EQ(keyboard_->Region(sim::kRegionKeyMap), before) << "nor carried out";
    EXPECT_EQ(wired_.Faults().Pending(), 0u);
    Ask(wired_, sink_, Req(0x09, 3, 3, keys));
    EXPECT_EQ(pulled, 1) << "a fault fires once";

    // Any command: the very next request.
    wired_.Faults().Inject(sim::Fault::NoAnswer);
    wired_.OnOutputReport(Req(0x12, 3, 0, {1, 2, 3}), sink_);
    EXPECT_TRUE(sink_.Take().empty());
    wired_.SetUnplugHook(nullptr);
}

TEST(BatteryModel, MovesWithTime) {
    sim::BatteryModel b;
    b.Set(17, sim::BatteryModel::kOnBattery);
    b.Advance(std::chrono::seconds(2 * sim::BatteryModel::kDrainSeconds));
    auto s = b.Sample();
    EXPECT_EQ(s[0], 15);
    EXPECT_EQ(s[1], sim::BatteryModel::kCharging);
    b.Advance(std::chrono::seconds(85 * sim::BatteryModel::kChargeSeconds));
    s = b.Sample();
    EXPECT_EQ(s[0], 100);
    EXPECT_EQ(s[1], sim::BatteryModel::kFull);
    b.Advance(std::chrono::seconds(sim::BatteryModel::kFullSeconds));
    EXPECT_EQ(b.Sample()[1], sim::BatteryModel::kOnBattery);
}

class ReceiverTest : public ::testing::Test {
  protected:
    testing_support::ScopedUserFolders folders_;
    std::shared_ptr<sim::KeyboardModel> keyboard_ = std::make_shared<sim::KeyboardModel>("");
    std::shared_ptr<sim::MouseModel> mouse_ = std::make_shared<sim::MouseModel>("");
    sim::ReceiverInterface receiver_;
    RecordingSink sink_;
};

TEST_F(ReceiverTest, LinkStatusRoutingAndUnlinkedAnswers) {
    auto a = Ask(receiver_, sink_, Req(0xAA));
    EXPECT_EQ(a[8], 0);
    EXPECT_EQ(a[9], 0);
    EXPECT_EQ(Ask(receiver_, sink_, Req(0x03, 24, 0, {}, 0))[3], 0xFF);
    EXPECT_EQ(Ask(receiver_, sink_, Req(0x12, 24, 0, {}, 2))[3], 0xAA);

    receiver_.LinkKeyboard(keyboard_);
    receiver_.LinkMouse(mouse_);
    a = Ask(receiver_, sink_, Req(0xAA));
    EXPECT_EQ(a[8], 0xFF);
    EXPECT_EQ(a[9], 0xFF);
    a = Ask(receiver_, sink_, Req(0x03, 24, 0, {}, 0));
    EXPECT_EQ(a[3], 0x03);
    EXPECT_EQ(a[8 + 5], keyboard_->KeyCount());
    a = Ask(receiver_, sink_, Req(0x03, 24, 0, {}, 2));
    EXPECT_EQ(a[8 + 5], sim::MouseModel::kButtons);
    EXPECT_EQ(Ask(receiver_, sink_, Req(0x03, 25, 0, {}, 0))[7], 0xFE);  // over 24
    EXPECT_EQ(Ask(receiver_, sink_, Req(0x03, 24, 0, {}, 5))[3], 0xFF);  // unknown target
    EXPECT_EQ(receiver_.ChecksumErrors(), 0u);

    // Both devices' events come out of the one consumer collection.
    receiver_.OnPlugged(std::shared_ptr<sim::InputSink>(&sink_, [](sim::InputSink*) {}));
    keyboard_->PressKey(4);
    mouse_->SwitchDpiStage(2);
    auto events = sink_.Take();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0][2], 0x05);
    EXPECT_EQ(events[1][1] | (events[1][2] << 8), 0x1120);
    receiver_.UnlinkKeyboard();
    keyboard_->PressKey(4);
    EXPECT_TRUE(sink_.Take().empty());
    EXPECT_FALSE(receiver_.KeyboardLinked());
    EXPECT_EQ(Ask(receiver_, sink_, Req(0x03, 24, 0, {}, 0))[3], 0xFF);
    receiver_.OnUnplugged();
}

TEST(HeadsetModel, LedReportsLandInRegisters) {
    testing_support::ScopedUserFolders folders;
    auto headset = std::make_shared<sim::HeadsetModel>("");
    sim::UsbInterface iface(headset, {0x0C76, 0x1630, 0x0101}, 3,
                            sim::HeadsetInterfaceDescriptor());
    RecordingSink sink;
    std::vector<uint8_t> led(17, 0);
    led[0] = 0xFF;
    led[1] = 0x44;
    led[2] = 0xAD;
    for (int i = 0; i < 7; ++i) {
        led[4 + i] = static_cast<uint8_t>(10 + i);
    }
    iface.OnOutputReport(led, sink);
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_EQ(headset->LedRegister(0x44, 0xAD, 0), 10);
    EXPECT_EQ(headset->LedRegister(0x44, 0xAD, 6), 16);
    EXPECT_EQ(headset->LedRegister(0x22, 0xAD, 0), 0);
    EXPECT_EQ(headset->LedRegister(0x33, 0xAD, 0), -1);
    EXPECT_EQ(Ask(iface, sink, Req(0x1A, 6, 0))[7], 0);
}

}  // namespace
