// The device workers against the simulated devices at the moments they meet
// the UI thread: a channel closed while reports are decoded, and a handle
// that died under a reader.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "device/device_classes.h"
#include "device/receiver_event_service.h"
#include "hid/hid_backend.h"
#include "hid/share_hid_pack_mgr.h"
#include "platform/paths.h"
#include "sim/simulated_devices.h"
#include "support/sim_paths.h"
#include "support/temp_dir.h"

using namespace device;
using testing_support::PathOf;

namespace {

// Counts the reads every handle of the wrapped backend starts.
class CountingBackend : public hid::HidBackend {
  public:
    explicit CountingBackend(std::shared_ptr<hid::HidBackend> inner) : inner_(std::move(inner)) {}
    bool Enumerate(std::vector<std::string>& paths) override { return inner_->Enumerate(paths); }
    std::unique_ptr<hid::HidDevice> Open(const std::string& path,
                                         const hid::OpenFlags& flags) override {
        std::unique_ptr<hid::HidDevice> dev = inner_->Open(path, flags);
        return dev ? std::make_unique<Counted>(std::move(dev), reads_) : nullptr;
    }
    uint64_t Reads() const { return reads_->load(); }

  private:
    class Counted : public hid::HidDevice {
      public:
        Counted(std::unique_ptr<hid::HidDevice> dev, std::shared_ptr<std::atomic<uint64_t>> reads)
            : dev_(std::move(dev)), reads_(std::move(reads)) {}
        hid::HidAttributes Attributes() const override { return dev_->Attributes(); }
        const std::vector<uint8_t>& ReportDescriptor() const override {
            return dev_->ReportDescriptor();
        }
        int CollectionIndex() const override { return dev_->CollectionIndex(); }
        bool Read(uint8_t* b, size_t n, size_t& got, int timeoutMs) override {
            reads_->fetch_add(1);
            return dev_->Read(b, n, got, timeoutMs);
        }
        bool Write(const uint8_t* b, size_t n, size_t& done, int timeoutMs) override {
            return dev_->Write(b, n, done, timeoutMs);
        }
        bool SetOutputReport(const uint8_t* b, size_t n) override {
            return dev_->SetOutputReport(b, n);
        }
        void FlushInput() override { dev_->FlushInput(); }
        void Cancel() override { dev_->Cancel(); }
        void Shutdown() override { dev_->Shutdown(); }

      private:
        std::unique_ptr<hid::HidDevice> dev_;
        std::shared_ptr<std::atomic<uint64_t>> reads_;
    };

    std::shared_ptr<hid::HidBackend> inner_;
    std::shared_ptr<std::atomic<uint64_t>> reads_ = std::make_shared<std::atomic<uint64_t>>(0);
};

struct Bus {
    testing_support::ScopedUserFolders folders;
    std::shared_ptr<sim::SimBackend> sim = std::make_shared<sim::SimBackend>();
    std::shared_ptr<CountingBackend> counting = std::make_shared<CountingBackend>(sim);
    std::unique_ptr<sim::SimulatedDevices> devices;

    explicit Bus(sim::SimulatedDevicesOptions options) {
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        sim->SetReportLatencyMicros(0);
        hid::SetBackend(counting);
        options.persist = false;
        devices = std::make_unique<sim::SimulatedDevices>(sim, options);
    }
    ~Bus() {
        devices.reset();
        hid::SetBackend(nullptr);
    }
};

sim::SimulatedDevicesOptions Only(bool pad, bool receiver) {
    sim::SimulatedDevicesOptions o;
    o.keyboard = false;
    o.headset = false;
    o.mousePad = pad;
    o.receiver = receiver;
    return o;
}

// Sends events until stopped, from its own thread like a device would.
class EventSource {
  public:
    explicit EventSource(std::function<void()> send)
        : thread_([this, send = std::move(send)] {
              while (!stop_.load()) {
                  send();
                  std::this_thread::yield();
              }
          }) {}
    ~EventSource() {
        stop_.store(true);
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

TEST(DeviceThreads, ConsumerEventsDuringCloseAndReopen) {
    Bus bus(Only(true, false));
    CVornelMousePadDevice pad;
    const std::string path = PathOf(*bus.sim, "pid_1004", "&col03");
    ASSERT_FALSE(path.empty());
    EventSource source([&] { bus.devices->MousePadInterface().SendEvent(0x00E9); });
    // Unplug, reopen and exit all close the channel while the event thread
    // may be decoding a report with the handle's capabilities.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(pad.OpenEventChannel(path, 3));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pad.CloseEventChannel();
    }
}

TEST(DeviceThreads, DeadHandlesAreNotRetriedWithoutAWait) {
    Bus bus(Only(true, true));
    CVornelMousePadDevice pad;
    ASSERT_TRUE(pad.OpenEventChannel(PathOf(*bus.sim, "pid_1004", "&col03"), 3));
    CVornelMouseDevice mouse;
    const std::string receiverEvents = PathOf(*bus.sim, "pid_22aa", "&col03");
    ASSERT_TRUE(mouse.OpenEventChannel(receiverEvents, 6));
    ReceiverEventService::Instance().StartService();

    // Both handles stay open until the window handles the removal; their
    // reads fail at once from now on.
    ASSERT_TRUE(bus.devices->Unplug(sim::SimUnit::MousePad));
    ASSERT_TRUE(bus.devices->Unplug(sim::SimUnit::Receiver));
    const uint64_t before = bus.counting->Reads();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint64_t reads = bus.counting->Reads() - before;
    // Two readers at one read per 100 ms, with room for a slow machine.
    EXPECT_LE(reads, 40u) << "a reader spins on a dead handle";

    ReceiverEventService::Instance().StopService();
    mouse.CloseEventChannel();
    pad.CloseEventChannel();
    if (auto shared = hid::CShareHidPackMgr::Instance().Get(receiverEvents)) {
        shared->Close();
    }
}
