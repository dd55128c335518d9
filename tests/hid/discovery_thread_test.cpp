// The discovery pass and thread against the simulator bus.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "channel_sim_fixture.h"
#include "hid/discovery.h"
#include "platform/debug_output.h"
#include "platform/stop_event.h"

namespace {

using channel_test::SimBusTest;
using channel_test::WaitFor;

constexpr uint32_t kInstanceMessage = 0xC123;

class RecordingWindow : public hid::WindowMessageSink {
  public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        bool sent;
    };
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t,
                  const platform::StopEvent*) override {
        std::function<void(uint32_t, uintptr_t)> handler;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.push_back({message, wParam, true});
            handler = handler_;
        }
        if (handler) {
            handler(message, wParam);  // "handled" before Send returns
        }
        return 0;
    }
    void Post(uint32_t message, uintptr_t wParam, intptr_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back({message, wParam, false});
    }
    std::vector<Message> Messages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    std::vector<uintptr_t> Slots(uint32_t message) const {
        std::vector<uintptr_t> out;
        for (const auto& m : Messages()) {
            if (m.message == message) {
                out.push_back(m.wParam);
            }
        }
        return out;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.clear();
    }
    void SetHandler(std::function<void(uint32_t, uintptr_t)> h) {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = std::move(h);
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
    std::function<void(uint32_t, uintptr_t)> handler_;
};

class DiscoveryTest : public SimBusTest {
  protected:
    hid::DiscoveryParams Params() {
        hid::DiscoveryParams p;
        p.slots = &slots_;
        p.window = &window_;
        p.instanceMessage = kInstanceMessage;
        return p;
    }
    hid::DeviceSlotList slots_;
    RecordingWindow window_;
};

TEST_F(DiscoveryTest, FirstPassWakesWindowEvenWithoutDevices) {
    hid::DiscoveryPass pass(Params());
    ASSERT_TRUE(pass.Run(nullptr));
    ASSERT_TRUE(pass.Run(nullptr));
    const auto messages = window_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, kInstanceMessage);
    EXPECT_FALSE(messages[0].sent);
}

TEST_F(DiscoveryTest, KeyboardArrivesOnTwoSlotsAndSecondKeyboardIsIgnored) {
    sim::SimulatedDevicesOptions only;
    only.receiver = only.mousePad = only.headset = false;
    auto& devices = Devices(only);
    // A second keyboard of the same kind on the bus.
    auto secondModel = std::make_shared<sim::KeyboardModel>("");
    hid::HidAttributes a{0x320F, 0x22AB, 0x0110};
    bus_->Plug(
        std::make_shared<sim::UsbInterface>(secondModel, a, 1, sim::VendorInterfaceDescriptor()));
    hid::DiscoveryPass pass(Params());
    ASSERT_TRUE(pass.Run(nullptr));
    // Enumeration order: collection 3 before collection 4 of the first node.
    EXPECT_EQ(window_.Slots(hid::WM_DEVICE_ARRIVED), (std::vector<uintptr_t>{1, 0}));
    EXPECT_NE(slots_.Get(0).path.find("hidraw"), std::string::npos);
    EXPECT_EQ(slots_.Get(0).path.substr(0, 12), slots_.Get(1).path.substr(0, 12));
    ASSERT_TRUE(pass.Run(nullptr));
    EXPECT_EQ(window_.Slots(hid::WM_DEVICE_ARRIVED).size(), 2u);
    (void)devices;
}

TEST_F(DiscoveryTest, ReceiverIsTakenButNotWatchedAndFreedWhenItGoes) {
    sim::SimulatedDevicesOptions only;
    only.keyboard = only.mousePad = only.headset = false;
    auto& devices = Devices(only);
    hid::DiscoveryPass pass(Params());
    ASSERT_TRUE(pass.Run(nullptr));
    EXPECT_EQ(window_.Slots(hid::WM_DEVICE_ARRIVED), (std::vector<uintptr_t>{5, 4}));
    EXPECT_EQ(slots_.Get(4).present, 0);
    EXPECT_FALSE(slots_.Get(4).path.empty());
    EXPECT_EQ(slots_.Get(5).present, 0);

    // Unplugged before any link: no removal message, but the slots are
    // free again, so the replugged receiver is reported anew.
    window_.Clear();
    devices.Unplug(sim::SimUnit::Receiver);
    ASSERT_TRUE(pass.Run(nullptr));
    EXPECT_TRUE(window_.Slots(hid::WM_DEVICE_REMOVED).empty());
    EXPECT_TRUE(slots_.Get(4).path.empty());
    devices.Plug(sim::SimUnit::Receiver);
    ASSERT_TRUE(pass.Run(nullptr));
    EXPECT_EQ(window_.Slots(hid::WM_DEVICE_ARRIVED), (std::vector<uintptr_t>{5, 4}));
}

TEST_F(DiscoveryTest, WatchedReceiverRemovalClearsMouseLinkedFirst) {
    sim::SimulatedDevicesOptions only;
    only.keyboard = only.mousePad = only.headset = false;
    auto& devices = Devices(only);
    hid::DiscoveryPass pass(Params());
    ASSERT_TRUE(pass.Run(nullptr));
    // The link poll saw the mouse.
    slots_.SetPresent(4, true);
    slots_.SetPresent(5, true);
    slots_.MouseLinked().store(true);
    bool linkedWhenHandled = true;
    window_.SetHandler([&](uint32_t msg, uintptr_t) {
        if (msg == hid::WM_DEVICE_REMOVED) {
            linkedWhenHandled = slots_.MouseLinked().load();
        }
    });
    devices.Unplug(sim::SimUnit::Receiver);
    ASSERT_TRUE(pass.Run(nullptr));
    EXPECT_EQ(window_.Slots(hid::WM_DEVICE_REMOVED), (std::vector<uintptr_t>{4, 5}));
    EXPECT_FALSE(linkedWhenHandled);
}

TEST_F(DiscoveryTest, ThreadReportsUnplugAndReplugOnSameSlots) {
    sim::SimulatedDevicesOptions options;
    options.receiver = false;
    auto& devices = Devices(options);
    platform::DebugCapture capture;
    hid::DiscoveryThread thread;
    // The simulated bus reports plugs itself: with a pause of a minute
    // between passes, only its change notice can make the thread see them.
    hid::DiscoveryParams params = Params();
    params.watchedPeriod = std::chrono::minutes(1);
    ASSERT_TRUE(thread.Start(params));
    ASSERT_TRUE(WaitFor([&] { return window_.Slots(hid::WM_DEVICE_ARRIVED).size() == 5; }));
    auto arrived = window_.Slots(hid::WM_DEVICE_ARRIVED);
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<uintptr_t>{0, 1, 10, 11, 12}));

    devices.Unplug(sim::SimUnit::Keyboard);
    ASSERT_TRUE(WaitFor([&] { return window_.Slots(hid::WM_DEVICE_REMOVED).size() == 2; }));
    auto removed = window_.Slots(hid::WM_DEVICE_REMOVED);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<uintptr_t>{0, 1}));

    window_.Clear();
    devices.Plug(sim::SimUnit::Keyboard);
    ASSERT_TRUE(WaitFor([&] { return window_.Slots(hid::WM_DEVICE_ARRIVED).size() == 2; }));
    arrived = window_.Slots(hid::WM_DEVICE_ARRIVED);
    std::sort(arrived.begin(), arrived.end());
    EXPECT_EQ(arrived, (std::vector<uintptr_t>{0, 1}));

    const auto stopping = std::chrono::steady_clock::now();
    thread.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(5))
        << "the stop ends the wait for the next change";
    EXPECT_TRUE(capture.Contains("抓取设备线程设定退出"));
    EXPECT_FALSE(thread.Running());
}

TEST_F(DiscoveryTest, StopWhileSendIsBlockedAbandonsTheSend) {
    Devices();
    // A window that never handles the message until told to give up.
    class StuckWindow : public hid::WindowMessageSink {
      public:
        intptr_t Send(uint32_t, uintptr_t, intptr_t, const platform::StopEvent* stop) override {
            entered.store(true);
            while (stop != nullptr && !stop->Wait(std::chrono::milliseconds(10))) {
            }
            return 0;
        }
        void Post(uint32_t, uintptr_t, intptr_t) override {}
        std::atomic<bool> entered{false};
    } stuck;
    hid::DiscoveryParams p = Params();
    p.window = &stuck;
    hid::DiscoveryThread thread;
    ASSERT_TRUE(thread.Start(p));
    ASSERT_TRUE(WaitFor([&] { return stuck.entered.load(); }));
    thread.Stop();
    EXPECT_FALSE(thread.Running());
}

}  // namespace
