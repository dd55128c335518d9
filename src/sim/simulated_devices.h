// The standard set of simulated devices on a SimBackend: the wired
// keyboard, the receiver with the mouse linked, the mouse pad and the
// headset. Tests and the --simulate mode plug, unplug and replug each.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_backend.h"
#include "sim/sim_firmware.h"
#include "sim/sim_models.h"

namespace sim {

enum class SimUnit { Keyboard, Receiver, MousePad, Headset };

// "keyboard", "receiver", "mousepad", "headset" (without case); false for
// any other name.
bool SimUnitNamed(const std::string& name, SimUnit& unit);

struct SimulatedDevicesOptions {
    bool keyboard = true;         // wired keyboard plugged
    bool receiver = true;         // receiver plugged
    bool keyboardLinked = false;  // keyboard linked to the receiver
    bool mouseLinked = true;      // mouse linked to the receiver
    bool mousePad = true;
    bool headset = true;
    bool persist = true;  // keep device state under the user data folder
};

class SimulatedDevices {
  public:
    SimulatedDevices(std::shared_ptr<SimBackend> backend,
                     const SimulatedDevicesOptions& options = {});
    ~SimulatedDevices();  // unplugs everything it plugged
    SimulatedDevices(const SimulatedDevices&) = delete;
    SimulatedDevices& operator=(const SimulatedDevices&) = delete;

    bool Plug(SimUnit unit);
    bool Unplug(SimUnit unit);
    bool IsPlugged(SimUnit unit) const;
    // The next transfers on the unit's interface go through until `skip`
    // further requests have been answered; then the unit is pulled out
    // without answering.
    void UnplugDuringTransfer(SimUnit unit, int skip = 0);
    // The same counting only requests with that command byte: the others
    // (the LED stream, status polls) go on being answered.
    void UnplugAtCommand(SimUnit unit, uint8_t command, int skip = 0);

    // Probes for tests and scripts. A device is named "keyboard", "mouse",
    // "mousepad" or "headset" (without case); null for any other name.
    DeviceModel* ModelNamed(const std::string& device);
    // A memory region as the device's read commands see it: the model's own
    // regions ("settings", "keymap", "macros", "frame", "info", "status",
    // ...) and on the keyboard "colourtables" whole or "colourtable<g>" for
    // custom group g. Nothing for an unknown device or region.
    std::optional<std::vector<uint8_t>> ReadRegion(const std::string& device,
                                                   const std::string& region);
    // The device sends an event report (through the receiver when linked to it).
    bool SendEvent(const std::string& device, uint16_t code);
    // Complete LED frames the device received; only the keyboard counts them.
    std::optional<uint64_t> FrameCount(const std::string& device);
    // The firmware release the unit reports from its next plug on.
    void SetRelease(SimUnit unit, uint16_t release);
    // False for a device without a battery or a level above 100.
    bool SetBattery(const std::string& device, uint8_t level, bool charging);

    KeyboardModel& Keyboard() { return *keyboard_; }
    MouseModel& Mouse() { return *mouse_; }
    MousePadModel& MousePad() { return *mousePad_; }
    HeadsetModel& Headset() { return *headset_; }
    std::shared_ptr<KeyboardModel> KeyboardPtr() { return keyboard_; }
    std::shared_ptr<MouseModel> MousePtr() { return mouse_; }

    UsbInterface& KeyboardInterface() { return *keyboardIf_; }
    ReceiverInterface& Receiver() { return *receiverIf_; }
    UsbInterface& MousePadInterface() { return *mousePadIf_; }
    UsbInterface& HeadsetInterface() { return *headsetIf_; }
    CommandInterface& Interface(SimUnit unit);
    SimBackend& Backend() { return *backend_; }

  private:
    std::shared_ptr<CommandInterface> InterfacePtr(SimUnit unit) const;
    int& NodeOf(SimUnit unit);

    std::shared_ptr<SimBackend> backend_;
    std::shared_ptr<KeyboardModel> keyboard_;
    std::shared_ptr<MouseModel> mouse_;
    std::shared_ptr<MousePadModel> mousePad_;
    std::shared_ptr<HeadsetModel> headset_;
    std::shared_ptr<UsbInterface> keyboardIf_;
    std::shared_ptr<ReceiverInterface> receiverIf_;
    std::shared_ptr<UsbInterface> mousePadIf_;
    std::shared_ptr<UsbInterface> headsetIf_;

    void ApplyRelease(SimUnit unit);

    mutable std::mutex mutex_;
    int nodes_[4] = {-1, -1, -1, -1};
    std::optional<uint16_t> releases_[4];
};

}  // namespace sim
