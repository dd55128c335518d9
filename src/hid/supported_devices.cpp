#include "hid/supported_devices.h"

#include <cctype>

namespace hid {

namespace {

SupportedDeviceEntry Row(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t type,
                         uint16_t role, uint16_t page, uint16_t usage, uint16_t linked,
                         uint16_t keyboardPartner, uint16_t mousePartner) {
    SupportedDeviceEntry e;
    e.vendorId = vid;
    e.productId = pid;
    e.interfaceNumber = mi;
    e.collectionNumber = col;
    e.deviceType = type;
    e.interfaceRole = role;
    e.present = 0;
    e.usagePage = page;
    e.usage = usage;
    e.linked = linked;
    e.keyboardPartner = keyboardPartner;
    e.mousePartner = mousePartner;
    return e;
}

std::array<SupportedDeviceEntry, kSlotCount> BuildTable() {
    return {{
        Row(0x320F, 0x22AB, 1, 4, 1, 0, 0xFF1C, 0x92, 1, 4, 0),
        Row(0x320F, 0x22AB, 1, 3, 1, 255, 0x000C, 0x01, 1, 5, 0),
        Row(0x320F, 0x0000, 1, 4, 9, 0, 0xFF1C, 0x92, 1, 0, 0),
        Row(0x320F, 0x0000, 1, 3, 9, 255, 0x000C, 0x01, 1, 1, 0),
        Row(0x320F, 0x22AA, 1, 4, 10, 0, 0xFF1C, 0x92, 1, 0, 6),
        Row(0x320F, 0x22AA, 1, 3, 10, 255, 0x000C, 0x01, 1, 1, 7),
        Row(0x0000, 0x0000, 1, 2, 2, 0, 0xFF1C, 0x92, 1, 0, 4),
        Row(0x0000, 0x0000, 0, 3, 2, 255, 0x000C, 0x01, 1, 0, 5),
        Row(0x320F, 0x0000, 1, 4, 6, 0, 0xFF1C, 0x92, 1, 0, 6),
        Row(0x320F, 0x0000, 1, 3, 6, 255, 0x000C, 0x01, 1, 0, 7),
        Row(0x320F, 0x1004, 1, 4, 3, 0, 0xFF1C, 0x92, 0, 0, 0),
        Row(0x320F, 0x1004, 1, 3, 3, 255, 0x000C, 0x01, 0, 0, 0),
        Row(0x0C76, 0x1630, 3, 0, 7, 0, 0x000C, 0x01, 0, 0, 0),
    }};
}

// Case-insensitive search for an ASCII marker, then "%x" on what follows
// (leading white space and an optional "0x" accepted as sscanf does).
uint16_t ParseAfter(const std::string& path, const char* marker) {
    const std::string m(marker);
    if (path.size() < m.size()) {
        return 0;
    }
    for (size_t i = 0; i + m.size() <= path.size(); ++i) {
        bool same = true;
        for (size_t k = 0; k < m.size(); ++k) {
            if (std::tolower(static_cast<unsigned char>(path[i + k])) !=
                std::tolower(static_cast<unsigned char>(m[k]))) {
                same = false;
                break;
            }
        }
        if (!same) {
            continue;
        }
        size_t p = i + m.size();
        while (p < path.size() && std::isspace(static_cast<unsigned char>(path[p]))) {
            ++p;
        }
        if (p + 1 < path.size() && path[p] == '0' && (path[p + 1] == 'x' || path[p + 1] == 'X') &&
            p + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[p + 2]))) {
            p += 2;
        }
        uint32_t value = 0;
        while (p < path.size() && std::isxdigit(static_cast<unsigned char>(path[p]))) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(path[p])));
            value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
            ++p;
        }
        // The caller's field is 16 bits wide; keep the low bits as a
        // truncating store would.
        return static_cast<uint16_t>(value);
    }
    return 0;
}

bool SameFour(const SupportedDeviceEntry& e, const DeviceCandidate& c) {
    return e.vendorId == c.vendorId && e.productId == c.productId &&
           e.collectionNumber == c.collectionNumber && e.interfaceNumber == c.interfaceNumber;
}

bool SameSix(const SupportedDeviceEntry& e, const DeviceCandidate& c) {
    return SameFour(e, c) && e.usagePage == c.usagePage && e.usage == c.usage;
}

bool IsFree(const DeviceSlot& s) {
    return s.present == 0 && s.path.empty();
}

}  // namespace

const std::array<SupportedDeviceEntry, kSlotCount>& SupportedDeviceTable() {
    static const std::array<SupportedDeviceEntry, kSlotCount> table = BuildTable();
    return table;
}

uint16_t ParseVendorId(const std::string& path) {
    return ParseAfter(path, "vid_");
}
uint16_t ParseProductId(const std::string& path) {
    return ParseAfter(path, "pid_");
}
uint16_t ParseInterfaceNumber(const std::string& path) {
    return ParseAfter(path, "&mi_");
}
uint16_t ParseCollectionNumber(const std::string& path) {
    return ParseAfter(path, "&col");
}

DeviceCandidate CandidateFromPath(const std::string& path) {
    DeviceCandidate c;
    c.vendorId = ParseVendorId(path);
    c.productId = ParseProductId(path);
    c.interfaceNumber = ParseInterfaceNumber(path);
    c.collectionNumber = ParseCollectionNumber(path);
    c.path = path;
    return c;
}

int FindModelRow(uint16_t vendorId, uint16_t productId, uint16_t deviceType,
                 uint16_t interfaceRole) {
    const auto& table = SupportedDeviceTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const auto& e = table[i];
        if (e.vendorId == vendorId && e.productId == productId && e.deviceType == deviceType &&
            e.interfaceRole == interfaceRole) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DeviceSlotList::DeviceSlotList() : slots_(SupportedDeviceTable()) {}

DeviceSlot DeviceSlotList::Get(size_t i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return i < slots_.size() ? slots_[i] : DeviceSlot{};
}

std::vector<DeviceSlot> DeviceSlotList::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<DeviceSlot>(slots_.begin(), slots_.end());
}

bool DeviceSlotList::SetPresent(size_t i, bool present) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (i >= slots_.size()) {
        return false;
    }
    slots_[i].present = present ? 1 : 0;
    return true;
}

bool DeviceSlotList::Bind(size_t i, const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (i >= slots_.size()) {
        return false;
    }
    slots_[i].present = 1;
    slots_[i].path = path;
    return true;
}

bool DeviceSlotList::Free(size_t i) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (i >= slots_.size()) {
        return false;
    }
    slots_[i].present = 0;
    slots_[i].path.clear();
    return true;
}

bool DeviceSlotList::FreeIfPath(size_t i, const std::string& path, bool& wasPresent) {
    std::lock_guard<std::mutex> lock(mutex_);
    wasPresent = false;
    if (i >= slots_.size() || slots_[i].path.empty() || slots_[i].path != path) {
        return false;
    }
    wasPresent = slots_[i].present != 0;
    slots_[i].present = 0;
    slots_[i].path.clear();
    return true;
}

bool DeviceSlotList::FirstStageMatch(const DeviceCandidate& candidate) const {
    bool known = false;
    for (const auto& row : SupportedDeviceTable()) {
        if (SameFour(row, candidate)) {
            known = true;
            break;
        }
    }
    if (!known) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& slot : slots_) {
        if (SameFour(slot, candidate) && IsFree(slot)) {
            return true;
        }
    }
    return false;
}

bool DeviceSlotList::FullMatch(DeviceCandidate& candidate, int& slotIndex) {
    const SupportedDeviceEntry* row = nullptr;
    for (const auto& e : SupportedDeviceTable()) {
        if (SameSix(e, candidate)) {
            row = &e;
            break;
        }
    }
    if (row == nullptr) {
        return false;
    }
    candidate.deviceType = row->deviceType;
    candidate.interfaceRole = row->interfaceRole;
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        DeviceSlot& slot = slots_[i];
        if (SameSix(slot, candidate) && IsFree(slot)) {
            slot.present = 1;
            slot.path = candidate.path;
            slotIndex = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool DeviceSlotList::AllBound() const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& slot : slots_) {
        if (IsFree(slot)) {
            return false;
        }
    }
    return true;
}

}  // namespace hid
