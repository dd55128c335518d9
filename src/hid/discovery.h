// The discovery thread: every 100 ms it binds newly present supported
// interfaces to free slots and watches bound slots for removal, reporting
// both to the main window.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "hid/supported_devices.h"
#include "hid/window_message_sink.h"
#include "platform/worker_thread.h"

namespace hid {

class CHidPack;

struct DiscoveryParams {
    DeviceSlotList* slots = nullptr;
    WindowMessageSink* window = nullptr;
    // The registered instance message posted once after the first pass.
    uint32_t instanceMessage = 0;
    std::chrono::milliseconds period{100};
    // The pause between passes when the backend reports changes itself.
    std::chrono::milliseconds watchedPeriod{1000};
};

// One pass of the loop, callable without a thread (tests, the thread body).
class DiscoveryPass {
  public:
    explicit DiscoveryPass(const DiscoveryParams& params);
    ~DiscoveryPass();
    DiscoveryPass(const DiscoveryPass&) = delete;
    DiscoveryPass& operator=(const DiscoveryPass&) = delete;

    // Binds new interfaces (unless every slot is bound), posts the instance
    // message after the first pass, then checks the taken slots. False when
    // the enumeration failed (the thread ends).
    bool Run(const platform::StopEvent* abandonOn);

  private:
    void BindNew(const platform::StopEvent* abandonOn);
    void CheckPresence(const platform::StopEvent* abandonOn);

    DiscoveryParams params_;
    std::unique_ptr<CHidPack> pack_;
    bool first_ = true;
};

class DiscoveryThread {
  public:
    DiscoveryThread() = default;
    ~DiscoveryThread();
    DiscoveryThread(const DiscoveryThread&) = delete;
    DiscoveryThread& operator=(const DiscoveryThread&) = delete;

    bool Start(const DiscoveryParams& params);
    bool Running() const { return worker_.Running(); }
    // Sets the stop event and joins after a wait of at most `bound`, whose
    // outcome is written to the debug output.
    void Stop(std::chrono::milliseconds bound = std::chrono::milliseconds(1000),
              const platform::JoinTexts& texts = DefaultJoinTexts());
    static platform::JoinTexts DefaultJoinTexts();

  private:
    platform::WorkerThread worker_;
};

// True when the interface at `path` is still there (the removal test: an
// open without read or write access).
bool InterfacePresent(const std::string& path);

}  // namespace hid
