#include "hid/hid_backend.h"

#include <mutex>

#include "hid/hidraw_backend.h"

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
