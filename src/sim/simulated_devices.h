// The standard set of simulated devices on a SimBackend: the wired
// keyboard, the receiver with the mouse linked, the mouse pad and the
// headset. Tests and the --simulate mode plug, unplug and replug each.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "sim/sim_backend.h"
#include "sim/sim_firmware.h"
#include "sim/sim_models.h"

namespace sim {

enum class SimUnit { Keyboard, Receiver, MousePad, Headset };

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

    mutable std::mutex mutex_;
    int nodes_[4] = {-1, -1, -1, -1};
};

}  // namespace sim
