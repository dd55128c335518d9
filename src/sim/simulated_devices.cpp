#include "sim/simulated_devices.h"

#include "sim/sim_descriptors.h"

namespace sim {

namespace {

hid::HidAttributes Attr(uint16_t vid, uint16_t pid, uint16_t release) {
    hid::HidAttributes a;
    a.vendorId = vid;
    a.productId = pid;
    a.versionNumber = release;
    return a;
}

size_t Index(SimUnit unit) {
    return static_cast<size_t>(unit);
}

}  // namespace

SimulatedDevices::SimulatedDevices(std::shared_ptr<SimBackend> backend,
                                   const SimulatedDevicesOptions& options)
    : backend_(std::move(backend)) {
    keyboard_ = std::make_shared<KeyboardModel>(options.persist ? "keyboard" : "");
    mouse_ = std::make_shared<MouseModel>(options.persist ? "mouse" : "");
    mousePad_ = std::make_shared<MousePadModel>(options.persist ? "mousepad" : "");
    headset_ = std::make_shared<HeadsetModel>(options.persist ? "headset" : "");

    keyboardIf_ =
        std::make_shared<UsbInterface>(keyboard_, Attr(0x320F, 0x22AB, keyboard_->ReleaseNumber()),
                                       1, VendorInterfaceDescriptor());
    receiverIf_ = std::make_shared<ReceiverInterface>();
    mousePadIf_ = std::make_shared<UsbInterface>(mousePad_, Attr(0x320F, 0x1004, 0x0102), 1,
                                                 VendorInterfaceDescriptor());
    headsetIf_ = std::make_shared<UsbInterface>(headset_, Attr(0x0C76, 0x1630, 0x0101), 3,
                                                HeadsetInterfaceDescriptor());
    if (options.keyboardLinked) {
        receiverIf_->LinkKeyboard(keyboard_);
    }
    if (options.mouseLinked) {
        receiverIf_->LinkMouse(mouse_);
    }
    for (SimUnit unit :
         {SimUnit::Keyboard, SimUnit::Receiver, SimUnit::MousePad, SimUnit::Headset}) {
        auto iface = InterfacePtr(unit);
        // Runs on the host's writing thread inside the bus, which allows a
        // firmware to pull itself out there.
        iface->SetUnplugHook([this, unit] { Unplug(unit); });
    }
    if (options.keyboard) {
        Plug(SimUnit::Keyboard);
    }
    if (options.receiver) {
        Plug(SimUnit::Receiver);
    }
    if (options.mousePad) {
        Plug(SimUnit::MousePad);
    }
    if (options.headset) {
        Plug(SimUnit::Headset);
    }
}

SimulatedDevices::~SimulatedDevices() {
    for (SimUnit unit :
         {SimUnit::Keyboard, SimUnit::Receiver, SimUnit::MousePad, SimUnit::Headset}) {
        Unplug(unit);
        InterfacePtr(unit)->SetUnplugHook(nullptr);
    }
}

std::shared_ptr<CommandInterface> SimulatedDevices::InterfacePtr(SimUnit unit) const {
    switch (unit) {
        case SimUnit::Keyboard:
            return keyboardIf_;
        case SimUnit::Receiver:
            return receiverIf_;
        case SimUnit::MousePad:
            return mousePadIf_;
        case SimUnit::Headset:
            return headsetIf_;
    }
    return keyboardIf_;
}

CommandInterface& SimulatedDevices::Interface(SimUnit unit) {
    return *InterfacePtr(unit);
}

int& SimulatedDevices::NodeOf(SimUnit unit) {
    return nodes_[Index(unit)];
}

bool SimulatedDevices::Plug(SimUnit unit) {
    // The bus takes the firmware's lock inside Plug, and the unplug hook
    // takes ours under that lock: never hold ours across a bus call.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const int node = NodeOf(unit);
        if (node >= 0 && backend_->IsPlugged(node)) {
            return false;
        }
    }
    if (unit == SimUnit::Keyboard) {
        keyboardIf_->SetReleaseNumber(keyboard_->ReleaseNumber());
    }
    const int node = backend_->Plug(InterfacePtr(unit));
    std::lock_guard<std::mutex> lock(mutex_);
    NodeOf(unit) = node;
    return node >= 0;
}

bool SimulatedDevices::Unplug(SimUnit unit) {
    int node;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        node = NodeOf(unit);
        NodeOf(unit) = -1;
    }
    if (node < 0) {
        return false;
    }
    backend_->Unplug(node);
    return true;
}

bool SimulatedDevices::IsPlugged(SimUnit unit) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int node = nodes_[Index(unit)];
    return node >= 0 && backend_->IsPlugged(node);
}

void SimulatedDevices::UnplugDuringTransfer(SimUnit unit, int skip) {
    InterfacePtr(unit)->Faults().Inject(Fault::Unplug, skip);
}

}  // namespace sim
