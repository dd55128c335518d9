#include "sim/simulated_devices.h"

#include <algorithm>
#include <cctype>
#include <charconv>

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

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// "colourtable<g>" with g a plain decimal group number; -1 otherwise.
int ColourTableGroup(const std::string& region) {
    static const std::string prefix = "colourtable";
    if (region.size() <= prefix.size() || region.size() > prefix.size() + 2 ||
        region.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    int group = -1;
    const char* first = region.data() + prefix.size();
    const char* last = region.data() + region.size();
    const auto [end, error] = std::from_chars(first, last, group);
    if (error != std::errc() || end != last || group < 0 ||
        static_cast<size_t>(group) >= kColourTableGroups) {
        return -1;
    }
    return group;
}

void PutRelease(DeviceModel& model, uint16_t release) {
    model.PokeRegion(kRegionInfo, 2,
                     {static_cast<uint8_t>(release & 0xFF), static_cast<uint8_t>(release >> 8)});
}

}  // namespace

bool SimUnitNamed(const std::string& name, SimUnit& unit) {
    const std::string n = Lower(name);
    if (n == "keyboard") {
        unit = SimUnit::Keyboard;
    } else if (n == "receiver") {
        unit = SimUnit::Receiver;
    } else if (n == "mousepad") {
        unit = SimUnit::MousePad;
    } else if (n == "headset") {
        unit = SimUnit::Headset;
    } else {
        return false;
    }
    return true;
}

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
    ApplyRelease(unit);
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

void SimulatedDevices::UnplugAtCommand(SimUnit unit, uint8_t command, int skip) {
    InterfacePtr(unit)->Faults().Inject(Fault::Unplug, skip, command);
}

DeviceModel* SimulatedDevices::ModelNamed(const std::string& device) {
    const std::string n = Lower(device);
    if (n == "keyboard") {
        return keyboard_.get();
    }
    if (n == "mouse") {
        return mouse_.get();
    }
    if (n == "mousepad") {
        return mousePad_.get();
    }
    if (n == "headset") {
        return headset_.get();
    }
    return nullptr;
}

std::optional<std::vector<uint8_t>> SimulatedDevices::ReadRegion(const std::string& device,
                                                                 const std::string& region) {
    DeviceModel* model = ModelNamed(device);
    if (model == nullptr) {
        return std::nullopt;
    }
    const std::string name = Lower(region);
    if (model == keyboard_.get()) {
        const int group = ColourTableGroup(name);
        if (group >= 0) {
            return keyboard_->ColourTable(static_cast<size_t>(group));
        }
    }
    std::vector<uint8_t> bytes = model->ReadRegion(name);
    if (bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

bool SimulatedDevices::SendEvent(const std::string& device, uint16_t code) {
    DeviceModel* model = ModelNamed(device);
    if (model == nullptr) {
        return false;
    }
    model->EmitEvent(code);
    return true;
}

std::optional<uint64_t> SimulatedDevices::FrameCount(const std::string& device) {
    if (Lower(device) != "keyboard") {
        return std::nullopt;
    }
    return keyboard_->FrameCount();
}

void SimulatedDevices::SetRelease(SimUnit unit, uint16_t release) {
    std::lock_guard<std::mutex> lock(mutex_);
    releases_[Index(unit)] = release;
}

void SimulatedDevices::ApplyRelease(SimUnit unit) {
    std::optional<uint16_t> release;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        release = releases_[Index(unit)];
        releases_[Index(unit)].reset();
    }
    if (!release) {
        return;
    }
    switch (unit) {
        case SimUnit::Keyboard:
            keyboard_->SetReleaseNumber(*release);
            break;
        case SimUnit::Receiver:
            receiverIf_->SetReleaseNumber(*release);
            break;
        case SimUnit::MousePad:
            PutRelease(*mousePad_, *release);
            mousePadIf_->SetReleaseNumber(*release);
            break;
        case SimUnit::Headset:
            PutRelease(*headset_, *release);
            headsetIf_->SetReleaseNumber(*release);
            break;
    }
}

bool SimulatedDevices::SetBattery(const std::string& device, uint8_t level, bool charging) {
    if (level > 100) {
        return false;
    }
    const std::string n = Lower(device);
    BatteryModel* battery = n == "keyboard"   ? &keyboard_->Battery()
                            : n == "mouse"    ? &mouse_->Battery()
                            : n == "mousepad" ? &mousePad_->Battery()
                            : n == "headset"  ? &headset_->Battery()
                                              : nullptr;
    if (battery == nullptr) {
        return false;
    }
    battery->Set(level, charging ? BatteryModel::kCharging : BatteryModel::kOnBattery);
    return true;
}

}  // namespace sim
