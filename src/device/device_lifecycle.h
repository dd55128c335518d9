// The main window's device lifecycle without Qt: what happens when the
// discovery thread reports an interface arriving or leaving, when the
// receiver reports a wireless device linked or unlinked, and how a device
// object is bound to its wired or receiver connection and released again.
// CMainWnd owns one and implements LifecycleWindow; the device-bar entries
// implement LifecycleEntry.
#pragma once

#include <array>
#include <string>

#include "device/device_models.h"
#include "device/usb_device.h"
#include "hid/report_channel.h"
#include "hid/supported_devices.h"

namespace device {

class LifecycleEntry {
  public:
    virtual ~LifecycleEntry() = default;
    // Shown means connected.
    virtual bool IsShown() const = 0;
    virtual bool IsSelected() const = 0;
    virtual void StartConnect() = 0;
    virtual void StartLinkWatch(int ms) = 0;
};

class LifecycleWindow {
  public:
    virtual ~LifecycleWindow() = default;
    // Shows or hides entry `row`, selecting it (page, battery widget,
    // option) when `select` is set, then refreshes "No_device_Link".
    virtual void SetEntryState(int row, bool visible, bool select) = 0;
    virtual void RefreshNoDeviceIndicator() = 0;
    // Restore the window and bring it to the front.
    virtual void WakeUp() = 0;
    // The selected, connected device was lost: close the child windows and
    // end a key edit or macro recording in progress.
    virtual void OnSelectedDeviceLost() = 0;
    // Timer 1068.
    virtual void StartReceiverPoll(int ms) = 0;
    // Message 3331 to the window itself.
    virtual void SendEntryNotice(int row, int linkUp) = 0;
};

class DeviceLifecycle {
  public:
    DeviceLifecycle(hid::DeviceSlotList& slots, LifecycleWindow& window);
    ~DeviceLifecycle();

    // The device object and entry of a model row, created at window start.
    void BindModel(int row, CVornelUSBDevice* device, LifecycleEntry* entry);
    CVornelUSBDevice* Device(int row) const;
    LifecycleEntry* Entry(int row) const;

    void OnDeviceArrived(int slot);
    void OnDeviceRemoved(int slot);
    // Timer 1068: asks the receiver which devices are linked.
    void ReceiverLinkPoll();

    // The device of the first shown and selected entry; null when none.
    CVornelUSBDevice* CurrentDevice() const;
    int CurrentRow() const;
    bool AnyEntryShown() const;

    bool KeyboardPresent() const { return keyboardPresent_; }
    bool MousePresent() const { return mousePresent_; }
    bool KeyboardLinked() const { return keyboardLinked_; }
    bool MouseLinked() const { return slots_.MouseLinked().load(); }
    bool ReceiverAttached() const { return receiverAttached_; }
    const std::string& ReceiverCommandPath() const { return receiverCommandPath_; }

    // The model row a slot's device belongs to, -1 for the receiver.
    static int RowForType(int deviceType);

    static constexpr int kReceiverPollFirstMs = 200;
    static constexpr int kReceiverPollMs = 1500;

  private:
    void Attach(int slot);
    void AttachThroughReceiver(int slot);
    void OpenEventInterface(int row, const std::string& path, int type);
    bool OpenCommandChannel(CVornelUSBDevice& device, const std::string& path, int type);
    void Release(int row);
    // Moves the keyboard or mouse of wired slot `slot` to its cable or to the receiver.
    void ConnectionSwitch(int slot, bool toWired);
    void KeyboardLost(int slot);
    void MouseLost(int slot);
    void DeviceLost(int slot, bool keyboard);
    void DetachFromReceiver(int row);
    bool ReachedThroughReceiver(const hid::DeviceSlot& slot, bool keyboard) const;
    int IdentitySlot(const hid::DeviceSlot& slot, int index) const;

    hid::DeviceSlotList& slots_;
    LifecycleWindow& window_;
    std::array<CVornelUSBDevice*, kDeviceModels.size()> devices_{};
    std::array<LifecycleEntry*, kDeviceModels.size()> entries_{};

    bool keyboardPresent_ = false;
    bool mousePresent_ = false;
    bool keyboardLinked_ = false;
    bool receiverAttached_ = false;
    std::string receiverCommandPath_;
    std::string receiverConsumerPath_;
    // The link query has a channel of its own, so polling never changes the
    // connection of the device the user is working with.
    hid::ReportChannel pollChannel_;
};

}  // namespace device
