// The discovery thread as the main window holds it. Kept free of Qt headers
// on purpose: the discovery parameters have a member named like one of Qt's
// keywords, so only this file's source sees them.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace hid {
class DeviceSlotList;
class DiscoveryThread;
class WindowMessageSink;
}  // namespace hid
namespace platform {
struct JoinTexts;
}

namespace ui {

class DiscoverySlot {
  public:
    DiscoverySlot();
    ~DiscoverySlot();  // stops a running thread without a report
    DiscoverySlot(const DiscoverySlot&) = delete;
    DiscoverySlot& operator=(const DiscoverySlot&) = delete;

    bool Start(hid::DeviceSlotList& slots, hid::WindowMessageSink& window,
               uint32_t instanceMessage);
    // Sets the stop event, waits at most `bound` (the outcome is written),
    // then joins.
    void Stop(std::chrono::milliseconds bound, const platform::JoinTexts& texts);
    bool Running() const;

  private:
    std::unique_ptr<hid::DiscoveryThread> thread_;
};

}  // namespace ui
