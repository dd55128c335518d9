// CHidPack against the simulator backend: enumeration, open, report
// routing, time-outs, cancel by Close and unplug.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "hid/hid_pack.h"
#include "hid/report_descriptor.h"
#include "hid/test_descriptors.h"
#include "platform/stop_event.h"
#include "sim/sim_backend.h"
#include "sim/sim_bus_loopback.h"

using namespace hid;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

std::shared_ptr<sim::LoopbackFirmware> Firmware(uint16_t vid, uint16_t pid, uint8_t mi,
                                                const std::vector<uint8_t>& d) {
    return std::make_shared<sim::LoopbackFirmware>(HidAttributes{vid, pid, 0x0102}, mi, d);
}

class SimHidPack : public ::testing::Test {
  protected:
    void SetUp() override {
        bus = std::make_shared<sim::SimBackend>();
        bus->SetReportLatencyMicros(0);
        SetBackend(bus);
    }
    void TearDown() override { SetBackend(nullptr); }

    std::vector<std::string> Paths() {
        CHidPack pack;
        std::vector<std::string> out;
        EXPECT_TRUE(pack.Enumerate());
        while (const char* p = pack.NextPath()) {
            out.emplace_back(p);
        }
        return out;
    }

    std::shared_ptr<sim::SimBackend> bus;
};

std::vector<uint8_t> Command(uint8_t marker) {
    std::vector<uint8_t> r(64, 0);
    r[0] = 4;
    r[3] = marker;
    return r;
}

}  // namespace

TEST_F(SimHidPack, EnumerationAndPathNumbers) {
    CHidPack pack;
    EXPECT_TRUE(pack.Enumerate());
    EXPECT_EQ(pack.PathCount(), 0u);
    EXPECT_EQ(pack.NextPath(), nullptr);

    bus->Plug(Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface));
    bus->Plug(Firmware(0x0C76, 0x1630, 3, hid_test::kConsumerControl));
    EXPECT_EQ(Paths(), (std::vector<std::string>{
                           "/dev/hidraw0#vid_320f&pid_22ab&mi_01&col01",
                           "/dev/hidraw0#vid_320f&pid_22ab&mi_01&col02",
                           "/dev/hidraw0#vid_320f&pid_22ab&mi_01&col03",
                           "/dev/hidraw0#vid_320f&pid_22ab&mi_01&col04",
                           "/dev/hidraw1#vid_0c76&pid_1630&mi_03",
                       }));

    // Markers are matched without regard to case; the numbers are hex.
    ASSERT_TRUE(pack.Open("/dev/hidraw0#VID_320F&PID_22AB&MI_01&COL04", true, true, true, false));
    EXPECT_EQ(pack.InterfaceNumber(), 1u);
    EXPECT_EQ(pack.CollectionNumber(), 4u);
    EXPECT_EQ(pack.Attributes().vendorId, 0x320F);
    EXPECT_EQ(pack.Attributes().productId, 0x22AB);
    EXPECT_EQ(pack.Attributes().versionNumber, 0x0102);
    EXPECT_EQ(pack.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(pack.Caps().usage, 0x92);
    EXPECT_EQ(pack.InputReportBuffer().size(), 64u);
    EXPECT_EQ(pack.OutputReportBuffer().size(), 64u);
    EXPECT_TRUE(pack.FeatureReportBuffer().empty());
    // One value item per direction.
    ASSERT_EQ(pack.DataItems().size(), 2u);

    ASSERT_TRUE(pack.Open("/dev/hidraw1#vid_0c76&pid_1630&mi_03", true, false, true, false));
    EXPECT_EQ(pack.InterfaceNumber(), 3u);
    EXPECT_EQ(pack.CollectionNumber(), 0u);
    EXPECT_EQ(pack.Caps().usagePage, 0x0C);

    // A path of the right node but another device, a vanished node and a
    // made-up collection never open, and leave the pack closed.
    EXPECT_FALSE(pack.Open("/dev/hidraw1#vid_0c76&pid_1631&mi_03", true, true, true, false));
    EXPECT_FALSE(pack.IsOpen());
    EXPECT_TRUE(pack.Caps().usagePage == 0 && pack.InputReportBuffer().empty());
    EXPECT_FALSE(pack.Open("/dev/hidraw7#vid_320f&pid_22ab&mi_01&col04", true, true, true, false));
    EXPECT_FALSE(pack.Open("/dev/hidraw0#vid_320f&pid_22ab&mi_01&col05", true, true, true, false));
    EXPECT_FALSE(pack.Open("", true, true, true, false));
    // A path longer than the classic 260 characters is simply not found.
    EXPECT_FALSE(pack.Open("/dev/hidraw0#" + std::string(400, 'x'), true, true, true, false));
}

TEST_F(SimHidPack, WriteReadAndRoutingByReportId) {
    auto fw = Firmware(0x320F, 0x22AA, 1, hid_test::kKeyboardInterface);
    bus->Plug(fw);
    CHidPack vendor, consumer;
    ASSERT_TRUE(vendor.Open("/dev/hidraw0#vid_320f&pid_22aa&mi_01&col04", true, true, true, false));
    ASSERT_TRUE(
        consumer.Open("/dev/hidraw0#vid_320f&pid_22aa&mi_01&col03", true, false, true, false));

    uint32_t n = 0;
    const auto request = Command(0xAA);
    ASSERT_TRUE(vendor.WriteReport(request.data(), 64, n, 1000));
    EXPECT_EQ(n, 64u);
    ASSERT_EQ(fw->ReceivedReports().size(), 1u);
    EXPECT_EQ(fw->ReceivedReports()[0], request);

    // The consumer event goes to the consumer collection only; the echo of
    // the command to the vendor collection only.
    ASSERT_TRUE(fw->SendEvent({3, 0xE9, 0x00}));
    uint8_t buf[64] = {};
    ASSERT_TRUE(consumer.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[1], 0xE9);
    ASSERT_TRUE(vendor.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 64), request);
    EXPECT_FALSE(consumer.ReadReport(buf, 64, n, 0));

    // A read-only handle cannot write; an unknown report id reaches no one.
    EXPECT_FALSE(consumer.WriteReport(request.data(), 64, n, 100));
    ASSERT_TRUE(fw->SendEvent({9, 1, 2}));
    EXPECT_FALSE(vendor.ReadReport(buf, 64, n, 0));

    // Flushing drops what was queued.
    ASSERT_TRUE(vendor.WriteReport(request.data(), 64, n, 1000));
    vendor.FlushInput();
    EXPECT_FALSE(vendor.ReadReport(buf, 64, n, 10));
    EXPECT_TRUE(vendor.SetOutputReport(request.data(), 64));
    EXPECT_EQ(fw->ReceivedReports().size(), 3u);
}

TEST_F(SimHidPack, ReadTimesOutThenWorks) {
    auto fw = Firmware(0x320F, 0x1004, 1, hid_test::kKeyboardInterface);
    bus->Plug(fw);
    CHidPack pack;
    ASSERT_TRUE(pack.Open("/dev/hidraw0#vid_320f&pid_1004&mi_01&col04", true, true, true, false));
    uint8_t buf[64];
    uint32_t n = 99;
    const auto start = steady_clock::now();
    EXPECT_FALSE(pack.ReadReport(buf, 64, n, 50));
    EXPECT_GE(steady_clock::now() - start, milliseconds(50));
    EXPECT_EQ(n, 0u);

    std::thread late([&] {
        std::this_thread::sleep_for(milliseconds(20));
        fw->SendEvent(Command(0x01));
    });
    EXPECT_TRUE(pack.ReadReport(buf, 64, n, 5000));
    EXPECT_EQ(buf[3], 0x01);
    late.join();
}

TEST_F(SimHidPack, StopEndsWaitingReadAndPlugsWakeTheWatcher) {
    auto fw = Firmware(0x320F, 0x1004, 1, hid_test::kKeyboardInterface);
    bus->Plug(fw);
    CHidPack pack;
    ASSERT_TRUE(pack.Open("/dev/hidraw0#vid_320f&pid_1004&mi_01&col04", true, true, true, false));
    platform::StopEvent stop;
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        uint32_t n = 0;
        return pack.ReadReport(buf, 64, n, 60000, stop);
    });
    std::this_thread::sleep_for(milliseconds(30));
    stop.Set();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    uint8_t buf[64];
    uint32_t n = 0;
    EXPECT_FALSE(pack.ReadReport(buf, 64, n, 60000, stop)) << "already stopped";
    stop.Reset();
    fw->SendEvent(Command(0x07));
    ASSERT_TRUE(pack.ReadReport(buf, 64, n, 1000, stop));
    EXPECT_EQ(buf[3], 0x07);

    // The plug above is still unseen; then only a new plug or the stop
    // ends the wait.
    EXPECT_TRUE(bus->WatchesChanges());
    EXPECT_TRUE(bus->WaitForChange(milliseconds(0), stop));
    EXPECT_FALSE(bus->WaitForChange(milliseconds(20), stop));
    auto watcher = std::async(std::launch::async,
                              [&] { return bus->WaitForChange(std::chrono::minutes(1), stop); });
    std::this_thread::sleep_for(milliseconds(30));
    bus->Plug(Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface));
    ASSERT_EQ(watcher.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(watcher.get());
    watcher = std::async(std::launch::async,
                         [&] { return bus->WaitForChange(std::chrono::minutes(1), stop); });
    std::this_thread::sleep_for(milliseconds(30));
    stop.Set();
    ASSERT_EQ(watcher.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(watcher.get());
}

TEST_F(SimHidPack, CloseFromAnotherThreadEndsBlockedRead) {
    bus->Plug(Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface));
    CHidPack pack;
    ASSERT_TRUE(pack.Open("/dev/hidraw0#vid_320f&pid_22ab&mi_01&col04", true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        uint32_t n = 0;
        const auto start = steady_clock::now();
        const bool ok = pack.ReadReport(buf, 64, n, 60000);
        return std::make_pair(ok, steady_clock::now() - start);
    });
    std::this_thread::sleep_for(milliseconds(30));
    pack.Close();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    auto [ok, took] = reader.get();
    EXPECT_FALSE(ok);
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_FALSE(pack.IsOpen());
    uint8_t buf[64] = {4};
    uint32_t n = 0;
    EXPECT_FALSE(pack.WriteReport(buf, 64, n, 100));

    // Reopen brings it back; destroying the pack while a read waits is safe.
    ASSERT_TRUE(pack.Reopen());
    auto owned = std::make_unique<CHidPack>();
    ASSERT_TRUE(owned->Open(pack.Path(), true, true, true, false));
    auto blocked = std::async(std::launch::async, [&] {
        uint8_t b[64];
        uint32_t m = 0;
        return owned->ReadReport(b, 64, m, 60000);
    });
    std::this_thread::sleep_for(milliseconds(30));
    owned->Close();
    EXPECT_FALSE(blocked.get());
    owned.reset();
}

TEST_F(SimHidPack, UnplugDuringReadAndReplug) {
    auto fw = Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    const int node = bus->Plug(fw);
    const std::string path = "/dev/hidraw0#vid_320f&pid_22ab&mi_01&col04";
    CHidPack pack;
    ASSERT_TRUE(pack.Open(path, true, true, true, false));
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        uint32_t n = 0;
        return pack.ReadReport(buf, 64, n, 60000);
    });
    std::this_thread::sleep_for(milliseconds(30));
    bus->Unplug(node);
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(bus->IsPlugged(node));
    EXPECT_FALSE(fw->SendEvent(Command(1)));

    const auto request = Command(2);
    uint32_t n = 0;
    EXPECT_FALSE(pack.WriteReport(request.data(), 64, n, 100));
    EXPECT_FALSE(pack.Reopen());
    CHidPack other;
    EXPECT_FALSE(other.Open(path, true, true, true, false));

    EXPECT_EQ(bus->Plug(fw), node);  // the lowest free node number again
    ASSERT_TRUE(pack.Reopen());
    ASSERT_TRUE(pack.WriteReport(request.data(), 64, n, 1000));
    uint8_t buf[64];
    ASSERT_TRUE(pack.ReadReport(buf, 64, n, 1000));
    EXPECT_EQ(buf[3], 2);
}

TEST_F(SimHidPack, LatencyModelAndCancelDuringIt) {
    auto fw = Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface);
    bus->Plug(fw);
    bus->SetReportLatencyMicros(20000);
    EXPECT_EQ(bus->ReportLatencyMicros(), 20000u);
    CHidPack pack;
    ASSERT_TRUE(pack.Open("/dev/hidraw0#vid_320f&pid_22ab&mi_01&col04", true, true, true, false));
    const auto request = Command(7);
    uint32_t n = 0;
    const auto start = steady_clock::now();
    ASSERT_TRUE(pack.WriteReport(request.data(), 64, n, 1000));
    uint8_t buf[64];
    ASSERT_TRUE(pack.ReadReport(buf, 64, n, 1000));
    EXPECT_GE(steady_clock::now() - start, milliseconds(40));  // one report each way

    bus->SetReportLatencyMicros(10'000'000);
    auto writer = std::async(std::launch::async,
                             [&] { return pack.WriteReport(request.data(), 64, n, 1000); });
    std::this_thread::sleep_for(milliseconds(30));
    pack.Close();
    ASSERT_EQ(writer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(writer.get());
}

TEST_F(SimHidPack, UnpackInputReport) {
    bus->Plug(Firmware(0x1234, 0x0001, 0, hid_test::kBootKeyboard));
    bus->Plug(Firmware(0x320F, 0x22AB, 1, hid_test::kKeyboardInterface));
    CHidPack kb;
    ASSERT_TRUE(kb.Open("/dev/hidraw0#vid_1234&pid_0001&mi_00", true, false, true, false));
    // Modifiers, key array (input) and LEDs (output).
    ASSERT_EQ(kb.DataItems().size(), 3u);
    EXPECT_EQ(kb.DataItems()[0].maxUsages, 14u);
    const uint8_t report[9] = {0, 0x02, 0, 0x04, 0xE1, 0, 0, 0, 0};
    std::vector<HidDataItem>& items = kb.DataItems();
    ASSERT_TRUE(kb.UnpackInputReport(report, 9, ReportType::Input, items));
    // Each item keeps the usages of its own range, zero-terminated.
    // (0xE1 in the key array lies beyond its logical maximum: no usage.)
    EXPECT_EQ(items[0].usages[0], 0xE1);
    EXPECT_EQ(items[0].usages[1], 0);
    EXPECT_EQ(items[1].usages[0], 0x04);
    EXPECT_EQ(items[1].usages[1], 0);
    EXPECT_TRUE(items[0].isSet && items[1].isSet);
    EXPECT_FALSE(items[2].isSet);  // an output item is not decoded from input
    EXPECT_EQ(items[0].status, kHidStatusSuccess);

    CHidPack vendor;
    ASSERT_TRUE(vendor.Open("/dev/hidraw1#vid_320f&pid_22ab&mi_01&col04", true, true, true, false));
    std::vector<uint8_t> answer(64, 0);
    answer[0] = 4;
    answer[1] = 0x55;
    std::vector<HidDataItem>& v = vendor.DataItems();
    ASSERT_TRUE(vendor.UnpackInputReport(answer.data(), 64, ReportType::Input, v));
    EXPECT_TRUE(v[0].isSet);
    EXPECT_EQ(v[0].value, 0x55u);
    EXPECT_EQ(v[0].scaledValue, 0x55);
    // A value that cannot be decoded (a report cut short) fails at once.
    EXPECT_FALSE(vendor.UnpackInputReport(answer.data(), 10, ReportType::Input, v));
    EXPECT_EQ(v[0].status, kHidStatusInvalidReportLength);
}
