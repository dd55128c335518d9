#include "ui/main_window/discovery_slot.h"

#include "hid/discovery.h"

namespace ui {

DiscoverySlot::DiscoverySlot() : thread_(std::make_unique<hid::DiscoveryThread>()) {}
DiscoverySlot::~DiscoverySlot() = default;

bool DiscoverySlot::Start(hid::DeviceSlotList& slots, hid::WindowMessageSink& window,
                          uint32_t instanceMessage) {
    hid::DiscoveryParams params;
    params.slots = &slots;
    params.window = &window;
    params.instanceMessage = instanceMessage;
    return thread_->Start(params);
}

void DiscoverySlot::Stop(std::chrono::milliseconds bound, const platform::JoinTexts& texts) {
    thread_->Stop(bound, texts);
}

bool DiscoverySlot::Running() const {
    return thread_->Running();
}

}  // namespace ui
