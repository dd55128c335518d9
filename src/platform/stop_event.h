// A manual-reset event that a worker thread waits on, alone or together with
// a file descriptor (poll), so that every blocking wait ends when it is set.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class StopEvent {
  public:
    StopEvent();
    ~StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits until the event is set or the time-out passes; true when set.
    bool Wait(std::chrono::milliseconds timeout) const;

    // Readable (POLLIN) while the event is set; -1 when no eventfd could be
    // made, in which case callers fall back to short polls of IsSet().
    int Fd() const { return fd_; }

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool set_ = false;
    int fd_ = -1;
};

}  // namespace platform
