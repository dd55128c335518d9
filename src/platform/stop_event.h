// A manual-reset event that a worker thread waits on, alone or together with
// a file descriptor (poll), so that every blocking wait ends when it is set.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

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

    // Runs `hook` when the event is set (at once when it already is) until
    // RemoveHook returns, which is how a wait on another condition variable
    // also ends on this event. Hooks run with the event's lock held: they
    // may only take locks that are never held while calling into the event.
    uint64_t AddHook(std::function<void()> hook) const;
    void RemoveHook(uint64_t id) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    mutable std::vector<std::pair<uint64_t, std::function<void()>>> hooks_;
    mutable uint64_t nextHook_ = 0;
    bool set_ = false;
    int fd_ = -1;
};

// AddHook for the lifetime of the object.
class ScopedStopHook {
  public:
    ScopedStopHook(const StopEvent& stop, std::function<void()> hook)
        : stop_(stop), id_(stop.AddHook(std::move(hook))) {}
    ~ScopedStopHook() { stop_.RemoveHook(id_); }
    ScopedStopHook(const ScopedStopHook&) = delete;
    ScopedStopHook& operator=(const ScopedStopHook&) = delete;

  private:
    const StopEvent& stop_;
    const uint64_t id_;
};

// While the result lives, setting `stop` sets `flag` under `mutex` and wakes
// `cv`: a wait on `cv` whose predicate reads `flag` also ends on the event.
template <class Mutex, class CondVar>
ScopedStopHook RaiseOnStop(const StopEvent& stop, Mutex& mutex, CondVar& cv, bool& flag) {
    return ScopedStopHook(stop, [&mutex, &cv, &flag] {
        std::lock_guard lock(mutex);
        flag = true;
        cv.notify_all();
    });
}

}  // namespace platform
