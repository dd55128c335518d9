#include "platform/stop_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

StopEvent::StopEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopEvent::~StopEvent() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void StopEvent::Set() {
    std::lock_guard lock(mutex_);
    if (!set_) {
        set_ = true;
        if (fd_ >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
        }
        for (const auto& [id, hook] : hooks_) {
            hook();
        }
    }
    cv_.notify_all();
}

uint64_t StopEvent::AddHook(std::function<void()> hook) const {
    std::lock_guard lock(mutex_);
    const uint64_t id = ++nextHook_;
    if (set_) {
        hook();
    }
    hooks_.emplace_back(id, std::move(hook));
    return id;
}

void StopEvent::RemoveHook(uint64_t id) const {
    std::lock_guard lock(mutex_);
    std::erase_if(hooks_, [id](const auto& entry) { return entry.first == id; });
}

void StopEvent::Reset() {
    std::lock_guard lock(mutex_);
    if (set_) {
        set_ = false;
        if (fd_ >= 0) {
            uint64_t value = 0;
            [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
        }
    }
}

bool StopEvent::IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool StopEvent::Wait(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [this] { return set_; });
}

}  // namespace platform
