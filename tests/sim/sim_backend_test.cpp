// The simulated bus as the host sees it through hidraw: what each open
// handle of an interface receives, and writes to a device that stalls.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "hid/report_channel.h"
#include "sim/sim_backend.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"

namespace {

struct KeyboardBus {
    std::shared_ptr<sim::SimBackend> bus = std::make_shared<sim::SimBackend>();
    sim::SimulatedDevices devices{bus, testing_support::KeyboardOnly()};
    std::unique_ptr<hid::HidDevice> Open(const char* collection) {
        hid::OpenFlags flags;
        flags.read = flags.write = true;
        return bus->Open(testing_support::PathOf(*bus, "pid_22ab", collection), flags);
    }
    KeyboardBus() { bus->SetReportLatencyMicros(0); }
};

std::vector<uint8_t> Request() {
    std::vector<uint8_t> r(hid::kReportSize, 0);
    r[0] = hid::kCommandReportId;
    r[hid::kByteCommand] = 0x03;
    hid::StampChecksum(r.data());
    return r;
}

bool Command(hid::HidDevice& handle, uint8_t& answeredCommand) {
    const std::vector<uint8_t> request = Request();
    size_t n = 0;
    uint8_t answer[hid::kReportSize] = {};
    if (!handle.Write(request.data(), request.size(), n, 100) ||
        !handle.Read(answer, sizeof answer, n, 50)) {
        return false;
    }
    answeredCommand = answer[hid::kByteCommand];
    return true;
}

}  // namespace

TEST(SimBus, EveryHandleOfAnInterfaceGetsEveryReportUntilItsQueueIsFull) {
    KeyboardBus k;
    auto events = k.Open("&col03");
    auto otherEvents = k.Open("&col03");
    auto command = k.Open("&col04");
    ASSERT_TRUE(events && otherEvents && command);
    for (uint16_t code = 1; code <= 70; ++code) {
        k.devices.KeyboardInterface().SendEvent(code);
    }
    // 63 reports wait on each handle; the later ones were dropped.
    for (hid::HidDevice* handle : {events.get(), otherEvents.get()}) {
        uint8_t report[hid::kReportSize];
        size_t n = 0;
        int read = 0;
        uint16_t last = 0;
        while (handle->Read(report, sizeof report, n, 0)) {
            ++read;
            last = static_cast<uint16_t>(report[1] | report[2] << 8);
        }
        EXPECT_EQ(read, 63);
        EXPECT_EQ(last, 63) << "the newest reports are the ones dropped";
    }
    // The command handle's queue is full of event reports as well, so an
    // answer arriving now is lost, until the queue is flushed.
    uint8_t answered = 0;
    EXPECT_FALSE(Command(*command, answered));
    command->FlushInput();
    ASSERT_TRUE(Command(*command, answered));
    EXPECT_EQ(answered, 0x03);
    uint8_t report[hid::kReportSize];
    size_t n = 0;
    EXPECT_FALSE(events->Read(report, sizeof report, n, 0)) << "answers stay on their collection";
}

TEST(SimBus, StalledWritesIgnoreCancelAndEndOnUnplug) {
    KeyboardBus k;
    const std::string path = testing_support::PathOf(*k.bus, "pid_22ab", "&col04");
    auto command = k.Open("&col04");
    ASSERT_TRUE(command);
    ASSERT_TRUE(k.bus->StallWrites(path, 300));
    const std::vector<uint8_t> request = Request();
    size_t n = 0;
    const auto start = std::chrono::steady_clock::now();
    command->Cancel();
    EXPECT_FALSE(command->Write(request.data(), request.size(), n, 10));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300))
        << "neither the time-out nor a cancel ends the write";

    ASSERT_TRUE(k.bus->StallWrites(path, 60'000));
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        k.devices.Unplug(sim::SimUnit::Keyboard);
    });
    EXPECT_FALSE(command->Write(request.data(), request.size(), n, 10));
    unplug.join();
}
