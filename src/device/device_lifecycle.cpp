#include "device/device_lifecycle.h"

#include "hid/share_hid_pack_mgr.h"
#include "platform/debug_output.h"

namespace device {
namespace {

constexpr int kRowKeyboard = 0;
constexpr int kRowMouse = 1;
constexpr int kRowMousePad = 2;
constexpr int kRowHeadset = 3;

bool IsKeyboardType(int type) {
    return type == hid::kDeviceKeyboard || type == hid::kDeviceKeyboardViaReceiver;
}

}  // namespace

DeviceLifecycle::DeviceLifecycle(hid::DeviceSlotList& slots, LifecycleWindow& window)
    : slots_(slots), window_(window) {}

DeviceLifecycle::~DeviceLifecycle() = default;

int DeviceLifecycle::RowForType(int deviceType) {
    switch (deviceType) {
        case hid::kDeviceKeyboard:
        case hid::kDeviceKeyboardViaReceiver:
            return kRowKeyboard;
        case hid::kDeviceMouse:
        case hid::kDeviceMouseViaReceiver:
            return kRowMouse;
        case hid::kDeviceMousePad:
            return kRowMousePad;
        case hid::kDeviceHeadset:
            return kRowHeadset;
        default:
            return -1;
    }
}

void DeviceLifecycle::BindModel(int row, CVornelUSBDevice* device, LifecycleEntry* entry) {
    if (row >= 0 && row < static_cast<int>(devices_.size())) {
        devices_[static_cast<size_t>(row)] = device;
        entries_[static_cast<size_t>(row)] = entry;
    }
}

CVornelUSBDevice* DeviceLifecycle::Device(int row) const {
    return row >= 0 && row < static_cast<int>(devices_.size()) ? devices_[static_cast<size_t>(row)]
                                                               : nullptr;
}

LifecycleEntry* DeviceLifecycle::Entry(int row) const {
    return row >= 0 && row < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(row)]
                                                               : nullptr;
}

int DeviceLifecycle::CurrentRow() const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] != nullptr && entries_[i]->IsShown() && entries_[i]->IsSelected()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CVornelUSBDevice* DeviceLifecycle::CurrentDevice() const {
    return Device(CurrentRow());
}

bool DeviceLifecycle::AnyEntryShown() const {
    for (const LifecycleEntry* e : entries_) {
        if (e != nullptr && e->IsShown()) {
            return true;
        }
    }
    return false;
}

int DeviceLifecycle::IdentitySlot(const hid::DeviceSlot& slot, int index) const {
    if (slot.deviceType == hid::kDeviceKeyboardViaReceiver && slot.linked) {
        return slot.keyboardPartner;
    }
    if (slot.deviceType == hid::kDeviceMouseViaReceiver && slot.linked) {
        return slot.mousePartner;
    }
    return index;
}

bool DeviceLifecycle::ReachedThroughReceiver(const hid::DeviceSlot& slot, bool keyboard) const {
    const int partnerIndex = keyboard ? slot.keyboardPartner : slot.mousePartner;
    const hid::DeviceSlot partner = slots_.Get(static_cast<size_t>(partnerIndex));
    if (partner.deviceType != hid::kDeviceReceiver || !partner.present || partner.path.empty()) {
        return false;
    }
    return keyboard ? keyboardLinked_ : MouseLinked();
}

bool DeviceLifecycle::OpenCommandChannel(CVornelUSBDevice& device, const std::string& path,
                                         int type) {
    hid::ReportChannel& channel = device.CommandChannel();
    std::lock_guard lock(channel.TransferLock());
    bool ok = false;
    if (CVornelUSBDevice::IsReceiverType(type)) {
        channel.DirectPack().Close();
        ok = channel.BindReceiver(path,
                                  IsKeyboardType(type) ? hid::kTargetKeyboard : hid::kTargetMouse);
    } else {
        channel.UnbindReceiver();
        ok = channel.DirectPack().Open(path, true, true, true, false);
        channel.SetConnection(hid::kConnectionDirect);
    }
    channel.SetOpen(ok);
    return ok;
}

void DeviceLifecycle::OpenEventInterface(int row, const std::string& path, int type) {
    if (CVornelUSBDevice* device = Device(row); device != nullptr && !path.empty()) {
        device->OpenEventChannel(path, type);
    }
}

void DeviceLifecycle::Attach(int slotIndex) {
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    const int row = RowForType(slot.deviceType);
    CVornelUSBDevice* device = Device(row);
    LifecycleEntry* entry = Entry(row);
    if (device == nullptr) {
        return;
    }
    if (slot.interfaceRole == hid::kRoleConsumer) {
        OpenEventInterface(row, slot.path, slot.deviceType);
        return;
    }
    const bool keyboard = IsKeyboardType(slot.deviceType);
    const bool wired = !CVornelUSBDevice::IsReceiverType(slot.deviceType);
    if ((keyboard || row == kRowMouse) && wired && device->CommandChannel().ReceiverMode() &&
        device->IsCommandChannelOpen() && ReachedThroughReceiver(slot, keyboard)) {
        ConnectionSwitch(slotIndex, true);
        return;
    }
    if (!device->IsCommandChannelOpen() &&
        OpenCommandChannel(*device, slot.path, slot.deviceType)) {
        device->SetSlotRecord(slots_.Get(static_cast<size_t>(IdentitySlot(slot, slotIndex))));
    }
    if (entry == nullptr) {
        return;
    }
    if (wired && !entry->IsShown()) {
        window_.SetEntryState(row, true, !AnyEntryShown());
    }
    entry->StartConnect();
}

void DeviceLifecycle::AttachThroughReceiver(int slotIndex) {
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    const int row = RowForType(slot.deviceType);
    CVornelUSBDevice* device = Device(row);
    if (device == nullptr) {
        return;
    }
    if (slot.interfaceRole == hid::kRoleConsumer) {
        OpenEventInterface(row, slots_.Get(hid::kSlotReceiverConsumer).path, slot.deviceType);
        return;
    }
    const std::string path = slots_.Get(hid::kSlotReceiver).path;
    if (!device->IsCommandChannelOpen() && OpenCommandChannel(*device, path, slot.deviceType)) {
        const int identity = slot.linked ? IdentitySlot(slot, slotIndex) : hid::kSlotReceiver;
        device->SetSlotRecord(slots_.Get(static_cast<size_t>(identity)));
    }
    if (LifecycleEntry* entry = Entry(row)) {
        entry->StartConnect();
    }
}

void DeviceLifecycle::Release(int row) {
    CVornelUSBDevice* device = Device(row);
    if (device == nullptr) {
        return;
    }
    {
        hid::ReportChannel& channel = device->CommandChannel();
        std::lock_guard lock(channel.TransferLock());
        channel.DirectPack().Close();
        channel.UnbindReceiver();
        channel.SetReceiverMode(false);
        channel.SetOpen(false);
    }
    LifecycleEntry* entry = Entry(row);
    if (entry == nullptr) {
        return;
    }
    const bool wasCurrent = entry->IsShown() && entry->IsSelected();
    if (wasCurrent) {
        window_.OnSelectedDeviceLost();
    }
    window_.SetEntryState(row, false, false);
    if (!wasCurrent) {
        return;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (static_cast<int>(i) != row && entries_[i] != nullptr && entries_[i]->IsShown()) {
            window_.SetEntryState(static_cast<int>(i), true, true);
            return;
        }
    }
}

void DeviceLifecycle::ConnectionSwitch(int slotIndex, bool toWired) {
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    if (!slot.linked) {
        return;
    }
    const bool keyboard = IsKeyboardType(slot.deviceType);
    const int row = keyboard ? kRowKeyboard : kRowMouse;
    CVornelUSBDevice* device = Device(row);
    if (device == nullptr) {
        return;
    }
    const int partnerIndex = keyboard ? slot.keyboardPartner : slot.mousePartner;
    const std::string receiverPath = slots_.Get(static_cast<size_t>(partnerIndex)).path;
    const int receiverType =
        keyboard ? hid::kDeviceKeyboardViaReceiver : hid::kDeviceMouseViaReceiver;
    const int type = toWired ? static_cast<int>(slot.deviceType) : receiverType;
    const bool ok = OpenCommandChannel(*device, toWired ? slot.path : receiverPath, type);
    if (!ok) {
        Release(row);
        return;
    }
    LifecycleEntry* entry = Entry(row);
    if (!toWired) {
        // The events now come through the receiver as well.
        OpenEventInterface(row, receiverConsumerPath_, type);
        if (entry != nullptr) {
            entry->StartLinkWatch(2000);
        }
        device->OnConnected();
        return;
    }
    if (entry != nullptr) {
        entry->StartConnect();
    }
    window_.SendEntryNotice(row, 1);
    if (device->GetBatteryWidgetEnabled()) {
        device->PollBattery();
    }
}

void DeviceLifecycle::DeviceLost(int slotIndex, bool keyboard) {
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    const int row = keyboard ? kRowKeyboard : kRowMouse;
    CVornelUSBDevice* device = Device(row);
    if (device == nullptr) {
        return;
    }
    if (slot.interfaceRole == hid::kRoleConsumer) {
        device->CloseEventChannel();
        // A device still linked through the receiver keeps its events.
        const bool linked = keyboard ? keyboardLinked_ : MouseLinked();
        if (!CVornelUSBDevice::IsReceiverType(slot.deviceType) && linked) {
            OpenEventInterface(
                row, receiverConsumerPath_,
                keyboard ? hid::kDeviceKeyboardViaReceiver : hid::kDeviceMouseViaReceiver);
        }
        return;
    }
    platform::DebugOutput(keyboard ? "键盘设备丢失" : "鼠标设备丢失");
    const bool wiredSlot = !CVornelUSBDevice::IsReceiverType(slot.deviceType);
    if (wiredSlot && device->IsCommandChannelOpen() && !device->CommandChannel().ReceiverMode() &&
        ReachedThroughReceiver(slot, keyboard)) {
        ConnectionSwitch(slotIndex, false);
        return;
    }
    // Losing one connection must not close the other one the device is
    // using at the moment.
    const bool viaReceiver = device->CommandChannel().ReceiverMode();
    if (device->IsCommandChannelOpen() && viaReceiver == wiredSlot) {
        return;
    }
    Release(row);
}

void DeviceLifecycle::KeyboardLost(int slot) {
    DeviceLost(slot, true);
}
void DeviceLifecycle::MouseLost(int slot) {
    DeviceLost(slot, false);
}

void DeviceLifecycle::DetachFromReceiver(int row) {
    CVornelUSBDevice* device = Device(row);
    if (device != nullptr && device->EventChannel().ReceiverMode()) {
        device->CloseEventChannel();
    }
}

void DeviceLifecycle::OnDeviceArrived(int slotIndex) {
    if (slotIndex < 0 || slotIndex >= static_cast<int>(slots_.Size())) {
        return;
    }
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    switch (slot.deviceType) {
        case hid::kDeviceKeyboard:
        case hid::kDeviceKeyboardViaReceiver:
            keyboardPresent_ = true;
            platform::DebugOutput("添加一个键盘设备");
            Attach(slotIndex);
            break;
        case hid::kDeviceMouse:
            mousePresent_ = true;
            platform::DebugOutput("添加一个鼠标设备");
            Attach(slotIndex);
            break;
        case hid::kDeviceMouseViaReceiver:
            platform::DebugOutput("添加一个鼠标设备");
            Attach(slotIndex);
            break;
        case hid::kDeviceMousePad:
            platform::DebugOutput("添加一个鼠标垫设备");
            Attach(slotIndex);
            break;
        case hid::kDeviceHeadset:
            Attach(slotIndex);
            break;
        case hid::kDeviceReceiver:
            platform::DebugOutput("添加一个Dongle设备");
            if (slot.interfaceRole == hid::kRoleCommand) {
                receiverCommandPath_ = slot.path;
                // A handle kept from an earlier receiver on this path is dead.
                if (auto pack = hid::CShareHidPackMgr::Instance().Get(slot.path)) {
                    std::lock_guard lock(pack->TransferLock());
                    pack->Close();
                }
            } else if (slot.interfaceRole == hid::kRoleConsumer) {
                receiverConsumerPath_ = slot.path;
            }
            window_.StartReceiverPoll(kReceiverPollFirstMs);
            break;
        default:
            break;
    }
    window_.RefreshNoDeviceIndicator();
    window_.WakeUp();
}

void DeviceLifecycle::OnDeviceRemoved(int slotIndex) {
    if (slotIndex < 0 || slotIndex >= static_cast<int>(slots_.Size())) {
        return;
    }
    const hid::DeviceSlot slot = slots_.Get(static_cast<size_t>(slotIndex));
    switch (slot.deviceType) {
        case hid::kDeviceKeyboard:
        case hid::kDeviceKeyboardViaReceiver:
            platform::DebugOutput("删除一个键盘设备");
            KeyboardLost(slotIndex);
            keyboardPresent_ = false;
            break;
        case hid::kDeviceMouse:
        case hid::kDeviceMouseViaReceiver:
            platform::DebugOutput("删除一个鼠标设备");
            MouseLost(slotIndex);
            mousePresent_ = false;
            break;
        case hid::kDeviceMousePad:
            platform::DebugOutput("删除一个鼠标垫设备");
            if (slot.interfaceRole == hid::kRoleConsumer) {
                if (CVornelUSBDevice* pad = Device(kRowMousePad)) {
                    pad->CloseEventChannel();
                }
            } else {
                Release(kRowMousePad);
            }
            break;
        case hid::kDeviceHeadset:
            if (CVornelUSBDevice* headset = Device(kRowHeadset)) {
                headset->CloseEventChannel();
            }
            Release(kRowHeadset);
            break;
        case hid::kDeviceReceiver: {
            receiverAttached_ = false;
            platform::DebugOutput("删除一个Dongle设备");
            // The presence check may already have cleared the mouse-linked
            // flag; every device reached through the receiver is lost now.
            for (int row : {kRowKeyboard, kRowMouse}) {
                CVornelUSBDevice* device = Device(row);
                if (device == nullptr) {
                    continue;
                }
                if (device->EventChannel().ReceiverMode()) {
                    device->CloseEventChannel();
                }
                if (device->IsCommandChannelOpen() && device->CommandChannel().ReceiverMode()) {
                    platform::DebugOutput(row == kRowKeyboard ? "键盘设备丢失" : "鼠标设备丢失");
                    Release(row);
                }
            }
            keyboardLinked_ = false;
            slots_.MouseLinked().store(false);
            std::string& path = slot.interfaceRole == hid::kRoleConsumer ? receiverConsumerPath_
                                                                         : receiverCommandPath_;
            if (auto pack = hid::CShareHidPackMgr::Instance().Get(path)) {
                std::lock_guard lock(pack->TransferLock());
                pack->Close();
            }
            path.clear();
            break;
        }
        default:
            break;
    }
    window_.RefreshNoDeviceIndicator();
}

void DeviceLifecycle::ReceiverLinkPoll() {
    if (receiverCommandPath_.empty()) {
        // No receiver: the next arrival starts the poll again.
        return;
    }
    uint8_t keyboardLink = 0;
    uint8_t mouseLink = 0;
    int rc = 0;
    {
        std::lock_guard lock(pollChannel_.TransferLock());
        const bool bound = pollChannel_.BindReceiver(receiverCommandPath_, hid::kTargetKeyboard);
        pollChannel_.SetOpen(bound);
        rc = bound ? pollChannel_.LinkStatus(keyboardLink, mouseLink) : 0;
    }
    if (rc != hid::kResultOk) {
        // A failed query says nothing about the links: keep them as they are.
        window_.StartReceiverPoll(kReceiverPollMs);
        return;
    }
    const bool keyboardUp = keyboardLink == 0xFF;
    const bool mouseUp = mouseLink == 0xFF;

    if (keyboardUp && !keyboardLinked_) {
        keyboardLinked_ = true;
        slots_.SetPresent(hid::kSlotReceiver, true);
        slots_.SetPresent(hid::kSlotReceiverConsumer, true);
        AttachThroughReceiver(hid::kSlotReceiverKeyboard);
        AttachThroughReceiver(hid::kSlotReceiverKeyboardConsumer);
        receiverAttached_ = true;
    } else if (!keyboardUp && keyboardLinked_) {
        keyboardLinked_ = false;
        DetachFromReceiver(kRowKeyboard);
        KeyboardLost(hid::kSlotReceiverKeyboard);
        if (keyboardPresent_) {
            Attach(hid::kSlotKeyboard);
            Attach(hid::kSlotKeyboardConsumer);
        }
    }

    if (mouseUp && !MouseLinked()) {
        slots_.MouseLinked().store(true);
        slots_.SetPresent(hid::kSlotReceiver, true);
        slots_.SetPresent(hid::kSlotReceiverConsumer, true);
        AttachThroughReceiver(hid::kSlotReceiverMouse);
        AttachThroughReceiver(hid::kSlotReceiverMouseConsumer);
        receiverAttached_ = true;
    } else if (!mouseUp && MouseLinked()) {
        slots_.MouseLinked().store(false);
        DetachFromReceiver(kRowMouse);
        if (!mousePresent_) {
            MouseLost(hid::kSlotReceiverMouse);
        }
    }
    window_.StartReceiverPoll(kReceiverPollMs);
}

}  // namespace device
