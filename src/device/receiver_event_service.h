// One thread that reads the event stream of the 2.4 GHz receiver for every
// device behind it (they share one handle) and hands each event to the
// registered keyboard or mouse object.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/worker_thread.h"

namespace device {

class CVornelUSBDevice;

class ReceiverEventService {
  public:
    static constexpr int kKeyboard = 1;
    static constexpr int kMouse = 2;

    static ReceiverEventService& Instance();

    // True when `kind` was free or already held by `device`; false (and the
    // entry kept) when another device holds it.
    bool Register(int kind, CVornelUSBDevice* device);
    // Removes every entry of `device`; waits for a dispatch to it in progress,
    // so a destroyed object is never called.
    void Forget(CVornelUSBDevice* device);
    CVornelUSBDevice* Registered(int kind) const;

    void StartService();
    void StopService();
    bool Running() const { return thread_.Running(); }

  private:
    void Run(const platform::StopEvent& stop);
    // Hands one event to the registered devices (under the service lock).
    void Dispatch(uint16_t code, const uint8_t* report, size_t length);

    mutable std::recursive_mutex mutex_;
    std::condition_variable_any registryChanged_;
    uint64_t registryVersion_ = 0;  // counts Register and Forget calls
    std::map<int, CVornelUSBDevice*> registry_;
    platform::WorkerThread thread_;
};

}  // namespace device
