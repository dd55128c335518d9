#include "device/receiver_event_service.h"

#include <array>
#include <memory>

#include "device/usb_device.h"
#include "platform/debug_output.h"

namespace device {

ReceiverEventService& ReceiverEventService::Instance() {
    static ReceiverEventService service;
    return service;
}

bool ReceiverEventService::Register(int kind, CVornelUSBDevice* device) {
    std::lock_guard lock(mutex_);
    auto [it, inserted] = registry_.emplace(kind, device);
    ++registryVersion_;
    registryChanged_.notify_all();
    return inserted || it->second == device;
}

void ReceiverEventService::Forget(CVornelUSBDevice* device) {
    std::lock_guard lock(mutex_);
    for (auto it = registry_.begin(); it != registry_.end();) {
        it = it->second == device ? registry_.erase(it) : std::next(it);
    }
    ++registryVersion_;
    registryChanged_.notify_all();
}

CVornelUSBDevice* ReceiverEventService::Registered(int kind) const {
    std::lock_guard lock(mutex_);
    auto it = registry_.find(kind);
    return it == registry_.end() ? nullptr : it->second;
}

void ReceiverEventService::StartService() {
    thread_.Start([this](const platform::StopEvent& stop) { Run(stop); }, "qx70-receiver");
}

void ReceiverEventService::StopService() {
    thread_.StopAndJoin(kServiceThreadJoin, DeviceThreadJoinTexts());
}

void ReceiverEventService::Run(const platform::StopEvent& stop) {
    std::array<uint8_t, 64> report{};
    bool stopping = false;  // guarded by mutex_
    const platform::ScopedStopHook hook =
        platform::RaiseOnStop(stop, mutex_, registryChanged_, stopping);
    while (!stop.IsSet()) {
        std::shared_ptr<hid::CHidPack> pack;
        uint64_t version = 0;
        {
            std::lock_guard lock(mutex_);
            version = registryVersion_;
            for (const auto& [kind, device] : registry_) {
                pack = device->EventChannel().ReceiverPack();
                if (pack) {
                    break;
                }
            }
        }
        if (!pack || !pack->IsOpen()) {
            // Nothing to listen to: sleep until a device registers. The
            // bound covers a handle that opens without a registration.
            std::unique_lock lock(mutex_);
            registryChanged_.wait_for(lock, std::chrono::milliseconds(500),
                                      [&] { return stopping || registryVersion_ != version; });
            continue;
        }
        uint32_t got = 0;
        if (!ReadEventReport(*pack, report.data(), report.size(), got, stop)) {
            continue;
        }
        std::lock_guard lock(mutex_);
        Dispatch(DeviceEventCode(report.data(), got), report.data(), got);
    }
    platform::DebugOutput("MS 设备同步线程设定退出");
}

void ReceiverEventService::Dispatch(uint16_t code, const uint8_t* report, size_t length) {
    if (auto it = registry_.find(kKeyboard); it != registry_.end()) {
        it->second->DispatchEvent(code, report, length);
    }
    if (auto it = registry_.find(kMouse); it != registry_.end()) {
        CVornelUSBDevice* mouse = it->second;
        if (code == 0x0481) {
            platform::DebugOutput("Mouse接收到自动添加设备的同步信息要求");
            mouse->RequestResync(50);
        } else if (code == 0x0401) {
            platform::DebugOutput("接收到自动添加设备的同步信息要求");
            mouse->RequestResync(50);
        } else if (code > 0x0481) {
            mouse->DispatchEvent(code, report, length);
        }
    }
}

}  // namespace device
