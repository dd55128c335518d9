// The main window's device lifecycle against the simulated devices: the real
// discovery pass, report channels and receiver, with the window and the
// device-bar entries replaced by doubles.
#include "device/device_lifecycle.h"

#include <gtest/gtest.h>

#include <memory>

#include "device/device_classes.h"
#include "hid/discovery.h"
#include "hid/share_hid_pack_mgr.h"
#include "sim/simulated_devices.h"
#include "support/temp_dir.h"

using namespace device;

namespace {

class FakeEntry : public LifecycleEntry {
  public:
    bool shown = false;
    bool selected = false;
    int connects = 0;
    int linkWatches = 0;
    bool IsShown() const override { return shown; }
    bool IsSelected() const override { return selected; }
    void StartConnect() override { ++connects; }
    void StartLinkWatch(int) override { ++linkWatches; }
};

class FakeWindow : public LifecycleWindow, public hid::WindowMessageSink {
  public:
    std::array<FakeEntry, 4> entries;
    DeviceLifecycle* lifecycle = nullptr;
    int wakeUps = 0;
    int pollRequests = 0;
    int selectedLost = 0;
    bool noDeviceShown = true;

    // LifecycleWindow
    void SetEntryState(int row, bool visible, bool select) override {
        FakeEntry& e = entries[static_cast<size_t>(row)];
        e.shown = visible;
        if (select) {
            for (auto& other : entries) {
                other.selected = false;
            }
        }
        e.selected = select;
        RefreshNoDeviceIndicator();
    }
    void RefreshNoDeviceIndicator() override {
        noDeviceShown = true;
        for (auto& e : entries) {
            noDeviceShown = noDeviceShown && !e.shown;
        }
    }
    void WakeUp() override { ++wakeUps; }
    void OnSelectedDeviceLost() override { ++selectedLost; }
    void StartReceiverPoll(int) override { ++pollRequests; }
    void SendEntryNotice(int row, int linkUp) override { SetEntryState(row, linkUp != 0, false); }

    // WindowMessageSink: the discovery pass runs on the test thread here.
    intptr_t Send(uint32_t msg, uintptr_t w, intptr_t, const platform::StopEvent*) override {
        if (msg == hid::WM_DEVICE_ARRIVED) {
            lifecycle->OnDeviceArrived(static_cast<int>(w));
        } else if (msg == hid::WM_DEVICE_REMOVED) {
            lifecycle->OnDeviceRemoved(static_cast<int>(w));
        }
        return 0;
    }
    void Post(uint32_t, uintptr_t, intptr_t) override {}
};

struct World {
    testing_support::ScopedUserFolders folders;
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    std::unique_ptr<sim::SimulatedDevices> devices;
    hid::DeviceSlotList slots;
    FakeWindow window;
    DeviceLifecycle lifecycle{slots, window};
    CVornelKeyboardDevice keyboard;
    CVornelMouseDevice mouse;
    CVornelMousePadDevice pad;
    CVornelRI6533Device headset;
    std::unique_ptr<hid::DiscoveryPass> pass;

    World() {
        hid::SetBackend(backend);
        backend->SetReportLatencyMicros(0);
        sim::SimulatedDevicesOptions none;
        none.keyboard = none.receiver = none.mousePad = none.headset = false;
        none.persist = false;
        devices = std::make_unique<sim::SimulatedDevices>(backend, none);
        window.lifecycle = &lifecycle;
        CVornelUSBDevice* objects[] = {&keyboard, &mouse, &pad, &headset};
        for (int row = 0; row < 4; ++row) {
            lifecycle.BindModel(row, objects[row], &window.entries[static_cast<size_t>(row)]);
        }
        hid::DiscoveryParams params;
        params.slots = &slots;
        params.window = &window;
        pass = std::make_unique<hid::DiscoveryPass>(params);
    }
    ~World() {
        devices.reset();
        hid::SetBackend(nullptr);
    }
    void Discover() { ASSERT_TRUE(pass->Run(nullptr)); }
    FakeEntry& Entry(int row) { return window.entries[static_cast<size_t>(row)]; }
};

}  // namespace

TEST(DeviceLifecycle, WiredKeyboardComesAndGoes) {
    World w;
    w.Discover();
    EXPECT_TRUE(w.window.noDeviceShown);
    EXPECT_FALSE(w.keyboard.IsCommandChannelOpen());

    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_TRUE(w.lifecycle.KeyboardPresent());
    EXPECT_TRUE(w.keyboard.IsCommandChannelOpen());
    EXPECT_FALSE(w.keyboard.CommandChannel().ReceiverMode());
    EXPECT_TRUE(w.Entry(0).shown);
    EXPECT_TRUE(w.Entry(0).selected) << "the only connected device is selected";
    EXPECT_GE(w.Entry(0).connects, 1);
    EXPECT_EQ(w.lifecycle.CurrentDevice(), &w.keyboard);
    EXPECT_FALSE(w.window.noDeviceShown);
    EXPECT_GE(w.window.wakeUps, 1);

    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_FALSE(w.lifecycle.KeyboardPresent());
    EXPECT_FALSE(w.keyboard.IsCommandChannelOpen());
    EXPECT_FALSE(w.Entry(0).shown);
    EXPECT_EQ(w.window.selectedLost, 1);
    EXPECT_TRUE(w.window.noDeviceShown);
    EXPECT_EQ(w.lifecycle.CurrentDevice(), nullptr);

    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_TRUE(w.keyboard.IsCommandChannelOpen()) << "a replug binds again";
    EXPECT_TRUE(w.Entry(0).selected);
}

TEST(DeviceLifecycle, ReceiverLinksAndUnlinksTheMouse) {
    World w;
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Receiver));
    w.devices->Receiver().LinkMouse(w.devices->MousePtr());
    w.Discover();
    EXPECT_GE(w.window.pollRequests, 1) << "the receiver's arrival starts the link poll";
    EXPECT_FALSE(w.mouse.IsCommandChannelOpen()) << "nothing behind the receiver before the poll";

    w.lifecycle.ReceiverLinkPoll();
    EXPECT_TRUE(w.lifecycle.MouseLinked());
    EXPECT_FALSE(w.lifecycle.KeyboardLinked());
    EXPECT_TRUE(w.mouse.IsCommandChannelOpen());
    EXPECT_TRUE(w.mouse.CommandChannel().ReceiverMode());
    EXPECT_EQ(w.mouse.CommandChannel().ReceiverTarget(), hid::kTargetMouse);
    EXPECT_GE(w.Entry(1).connects, 1);
    EXPECT_FALSE(w.keyboard.CommandChannel().ReceiverMode())
        << "polling leaves the wired keyboard alone";
    // The connect timer would now report the link as up.
    w.window.SendEntryNotice(1, 1);

    // Unplugging the selected keyboard selects the mouse.
    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_TRUE(w.Entry(1).selected);
    EXPECT_EQ(w.lifecycle.CurrentDevice(), &w.mouse);

    w.devices->Receiver().UnlinkMouse();
    w.lifecycle.ReceiverLinkPoll();
    EXPECT_FALSE(w.lifecycle.MouseLinked());
    EXPECT_FALSE(w.mouse.IsCommandChannelOpen());
    EXPECT_FALSE(w.Entry(1).shown);

    w.devices->Receiver().LinkMouse(w.devices->MousePtr());
    w.lifecycle.ReceiverLinkPoll();
    EXPECT_TRUE(w.mouse.IsCommandChannelOpen());
    w.window.SendEntryNotice(1, 1);

    // The receiver's slots are watched once a device is linked: pulling it
    // out loses the mouse.
    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::Receiver));
    w.Discover();
    EXPECT_FALSE(w.mouse.IsCommandChannelOpen());
    EXPECT_FALSE(w.Entry(1).shown);
    EXPECT_TRUE(w.window.noDeviceShown);
}

TEST(DeviceLifecycle, KeyboardThroughTheReceiverAndBackToTheCable) {
    World w;
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Receiver));
    w.devices->Receiver().LinkKeyboard(w.devices->KeyboardPtr());
    w.Discover();
    w.lifecycle.ReceiverLinkPoll();
    ASSERT_TRUE(w.lifecycle.KeyboardLinked());
    EXPECT_TRUE(w.keyboard.IsCommandChannelOpen());
    EXPECT_TRUE(w.keyboard.CommandChannel().ReceiverMode());
    EXPECT_EQ(w.keyboard.GetSlotRecord().deviceType, hid::kDeviceKeyboard)
        << "the receiver keyboard takes the wired keyboard's identity";
    w.window.SendEntryNotice(0, 1);

    // The cable is plugged in while the keyboard is linked: it switches over.
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_TRUE(w.keyboard.IsCommandChannelOpen());
    EXPECT_FALSE(w.keyboard.CommandChannel().ReceiverMode());

    // And back to the receiver when the cable goes.
    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::Keyboard));
    w.Discover();
    EXPECT_TRUE(w.keyboard.IsCommandChannelOpen());
    EXPECT_TRUE(w.keyboard.CommandChannel().ReceiverMode());

    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::Receiver));
    w.Discover();
    EXPECT_FALSE(w.keyboard.IsCommandChannelOpen());
    EXPECT_FALSE(w.lifecycle.KeyboardLinked()) << "a new receiver links again";
}

TEST(DeviceLifecycle, MousePadAndHeadset) {
    World w;
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::MousePad));
    ASSERT_TRUE(w.devices->Plug(sim::SimUnit::Headset));
    w.Discover();
    EXPECT_TRUE(w.pad.IsCommandChannelOpen());
    EXPECT_TRUE(w.headset.IsCommandChannelOpen());
    EXPECT_TRUE(w.Entry(2).shown);
    EXPECT_TRUE(w.Entry(3).shown);
    EXPECT_EQ(w.Entry(2).selected + w.Entry(3).selected, 1)
        << "only the first connected one is selected";
    ASSERT_TRUE(w.devices->Unplug(sim::SimUnit::MousePad));
    w.Discover();
    EXPECT_FALSE(w.pad.IsCommandChannelOpen());
    EXPECT_TRUE(w.Entry(3).selected);
}
