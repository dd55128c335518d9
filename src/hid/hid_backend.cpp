#include "hid/hid_backend.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "hid/hidraw_backend.h"
#include "platform/stop_event.h"

namespace hid {

namespace {

std::mutex& BackendMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<HidBackend>& BackendSlot() {
    static std::shared_ptr<HidBackend> backend;
    return backend;
}

}  // namespace

bool HidDevice::ReadOrStop(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs,
                           const platform::StopEvent& stop) {
    constexpr int kSliceMs = 50;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bytesRead = 0;
    while (!stop.IsSet()) {
        int slice = kSliceMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            slice = static_cast<int>(std::min<int64_t>(left.count(), kSliceMs));
        }
        const auto start = std::chrono::steady_clock::now();
        if (Read(buffer, length, bytesRead, slice)) {
            return true;
        }
        // A read that failed before its slice was up was cancelled or lost
        // the device: that ends this read too.
        if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(slice)) {
            return false;
        }
    }
    return false;
}

bool HidBackend::WaitForChange(std::chrono::milliseconds timeout, const platform::StopEvent& stop) {
    stop.Wait(timeout);
    return false;
}

std::shared_ptr<HidBackend> CurrentBackend() {
    std::lock_guard lock(BackendMutex());
    std::shared_ptr<HidBackend>& slot = BackendSlot();
    if (!slot) {
        slot = std::make_shared<HidrawBackend>();
    }
    return slot;
}

void SetBackend(std::shared_ptr<HidBackend> backend) {
    std::lock_guard lock(BackendMutex());
    BackendSlot() = std::move(backend);
}

}  // namespace hid
