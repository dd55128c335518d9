// The fixed list of HID interfaces the program drives, the device slots
// built from it, and the matching rules the discovery thread binds with.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace hid {

// Device kinds of the slot table.
enum DeviceType : uint16_t {
    kDeviceKeyboard = 1,
    kDeviceMouse = 2,
    kDeviceMousePad = 3,
    kDeviceMouseViaReceiver = 6,
    kDeviceHeadset = 7,
    kDeviceKeyboardViaReceiver = 9,
    kDeviceReceiver = 10,
};

// interfaceRole values.
inline constexpr uint16_t kRoleCommand = 0;
inline constexpr uint16_t kRoleConsumer = 255;

inline constexpr uint16_t kVendorMain = 0x320F;
inline constexpr uint16_t kProductKeyboard = 0x22AB;
inline constexpr uint16_t kProductReceiver = 0x22AA;
inline constexpr uint16_t kProductMousePad = 0x1004;
inline constexpr uint16_t kVendorHeadset = 0x0C76;
inline constexpr uint16_t kProductHeadset = 0x1630;

struct SupportedDeviceEntry {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t deviceType = 0;
    uint16_t interfaceRole = 0;
    uint16_t present = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t linked = 0;
    uint16_t keyboardPartner = 0;
    uint16_t mousePartner = 0;
    std::string path;
};

// The runtime copy of one table row: present and path change at run time.
using DeviceSlot = SupportedDeviceEntry;

inline constexpr size_t kSlotCount = 13;
// Slot indices the rest of the program names.
inline constexpr int kSlotKeyboard = 0;
inline constexpr int kSlotKeyboardConsumer = 1;
inline constexpr int kSlotReceiverKeyboard = 2;
inline constexpr int kSlotReceiverKeyboardConsumer = 3;
inline constexpr int kSlotReceiver = 4;
inline constexpr int kSlotReceiverConsumer = 5;
inline constexpr int kSlotMouse = 6;
inline constexpr int kSlotMouseConsumer = 7;
inline constexpr int kSlotReceiverMouse = 8;
inline constexpr int kSlotReceiverMouseConsumer = 9;
inline constexpr int kSlotMousePad = 10;
inline constexpr int kSlotMousePadConsumer = 11;
inline constexpr int kSlotHeadset = 12;

// The 13 rows in slot order (present 0, path empty).
const std::array<SupportedDeviceEntry, kSlotCount>& SupportedDeviceTable();

// Path parsers: the hexadecimal number after the marker (found without
// regard to case), 0 when the marker is absent or no digit follows.
uint16_t ParseVendorId(const std::string& path);
uint16_t ParseProductId(const std::string& path);
uint16_t ParseInterfaceNumber(const std::string& path);
uint16_t ParseCollectionNumber(const std::string& path);

// What the discovery thread knows of one present interface.
struct DeviceCandidate {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t deviceType = 0;     // set by a full match
    uint16_t interfaceRole = 0;  // set by a full match
    std::string path;
};

// vid, pid, mi and col from the path.
DeviceCandidate CandidateFromPath(const std::string& path);

// The slot list. The discovery thread and the UI thread both change it, so
// every access goes through its lock; nothing is held while a message is
// delivered.
class DeviceSlotList {
  public:
    DeviceSlotList();  // one slot per table row

    size_t Size() const { return kSlotCount; }
    // A copy of slot i (a default slot when out of range).
    DeviceSlot Get(size_t i) const;
    std::vector<DeviceSlot> Snapshot() const;
    // Present flag and path of slot i; false when i is out of range.
    bool SetPresent(size_t i, bool present);
    bool Bind(size_t i, const std::string& path);  // present 1, the path
    bool Free(size_t i);                           // present 0, path empty
    // Frees slot i only while it still holds `path` (a slot re-bound in the
    // meantime is left alone); `wasPresent` tells whether it was watched.
    bool FreeIfPath(size_t i, const std::string& path, bool& wasPresent);

    // True when some table row has the candidate's vid, pid, col and mi
    // (from the path) and a slot with those four values is free.
    bool FirstStageMatch(const DeviceCandidate& candidate) const;
    // True when a table row has the candidate's six values and a slot with
    // them is free: the candidate takes the row's type and role, the first
    // such slot is bound to its path and its index returned.
    bool FullMatch(DeviceCandidate& candidate, int& slotIndex);
    // True when no slot is free (present 0 with an empty path).
    bool AllBound() const;

    // The mouse-linked flag of the receiver link poll; the presence check
    // clears it when the receiver goes away.
    std::atomic<bool>& MouseLinked() { return mouseLinked_; }

  private:
    mutable std::mutex mutex_;
    std::array<DeviceSlot, kSlotCount> slots_;
    std::atomic<bool> mouseLinked_{false};
};

// First table row with this identity, -1 when none.
int FindModelRow(uint16_t vendorId, uint16_t productId, uint16_t deviceType,
                 uint16_t interfaceRole);

}  // namespace hid
