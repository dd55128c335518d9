// The main window's message queue as the worker threads of the HID layer see
// it: a blocking send (returns once the window has handled the message) and
// a queued post. The UI implements it; tests use a recording double.
#pragma once

#include <cstdint>

namespace platform {
class StopEvent;
}

namespace hid {

inline constexpr uint32_t WM_DEVICE_ARRIVED = 3090;
inline constexpr uint32_t WM_DEVICE_REMOVED = 3091;

class WindowMessageSink {
  public:
    virtual ~WindowMessageSink() = default;
    // Delivers the message on the window's thread and waits until it was
    // handled. When `abandonOn` is set while waiting, the implementation
    // returns without waiting further (the sender is shutting down; the
    // window must not block its own shutdown on a sender it is joining).
    virtual intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                          const platform::StopEvent* abandonOn) = 0;
    // Queues the message and returns at once.
    virtual void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace hid
