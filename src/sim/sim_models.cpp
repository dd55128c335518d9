#include "sim/sim_models.h"

#include <algorithm>
#include <cstring>

#include "hid/keyboard_factory_codes.h"

namespace sim {

namespace {

// A record of the keyboard and pad settings memory (28 bytes at slot × 25).
void PutLightRecord(std::vector<uint8_t>& mem, size_t at, uint8_t mode, uint8_t r, uint8_t g,
                    uint8_t b) {
    mem[at + 1] = mode;
    mem[at + 2] = 4;  // brightness
    mem[at + 3] = 1;  // 4 - speed 3
    mem[at + 4] = 0;  // direction
    mem[at + 5] = 0;  // multi-colour
    mem[at + 6] = r;
    mem[at + 7] = g;
    mem[at + 8] = b;
}

std::vector<uint8_t> StatusBytes(BatteryModel& battery) {
    const auto sample = battery.Sample();
    return {sample[0], sample[1], 0, 0, 0, 0};
}

}  // namespace

// ---------------------------------------------------------------- battery

BatteryModel::BatteryModel() : last_(std::chrono::steady_clock::now()) {}

std::array<uint8_t, 2> BatteryModel::Sample() {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - last_);
    if (seconds.count() > 0) {
        last_ += seconds;
        Step(seconds.count());
    }
    return {level_, state_};
}

void BatteryModel::Set(uint8_t level, uint8_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    level_ = std::min<uint8_t>(level, 100);
    state_ = state <= kOnBattery ? state : static_cast<uint8_t>(kOnBattery);
    carry_ = 0;
}

void BatteryModel::Advance(std::chrono::seconds seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (seconds.count() > 0) {
        Step(seconds.count());
    }
}

void BatteryModel::Step(int64_t seconds) {
    carry_ += seconds;
    while (true) {
        const int64_t need = state_ == kOnBattery  ? kDrainSeconds
                             : state_ == kCharging ? kChargeSeconds
                                                   : kFullSeconds;
        if (carry_ < need) {
            return;
        }
        carry_ -= need;
        if (state_ == kOnBattery) {
            if (level_ > 0) {
                --level_;
            }
            if (level_ <= kLowMark) {
                state_ = kCharging;
            }
        } else if (state_ == kCharging) {
            if (level_ < 100) {
                ++level_;
            }
            if (level_ >= 100) {
                state_ = kFull;
            }
        } else {
            state_ = kOnBattery;
        }
    }
}

// ---------------------------------------------------------------- keyboard

const std::array<std::array<uint8_t, 3>, 170>& KeyboardDefaultCodeTable() {
    static const std::array<std::array<uint8_t, 3>, 170> table = [] {
        std::array<std::array<uint8_t, 3>, 170> t{};
        for (size_t j = 0; j < t.size(); ++j) {
            t[j] = j < hid::kFactoryKeyCodeCount ? hid::KeyboardFactoryCodes()[j]
                                                 : std::array<uint8_t, 3>{0x20, 0x00, 0x00};
        }
        return t;
    }();
    return table;
}

KeyboardModel::KeyboardModel(const std::string& storeName) : DeviceModel(storeName) {
    // The physical keys: every plain key of the code table except the blank
    // positions, the menu key and the two shortcut entries, plus Fn.
    const auto& codes = KeyboardDefaultCodeTable();
    std::vector<int> layout;
    for (int j = 0; j < 130; ++j) {
        const auto& c = codes[static_cast<size_t>(j)];
        const bool blank = c[0] == 0x20 && c[1] == 0 && c[2] == 0;
        if ((c[0] == 0x20 && !blank && j != 111 && j != 128 && j != 129) || j == 110) {
            layout.push_back(j);
        }
    }
    // The device numbers its keys in matrix order, not in layout order.
    const size_t n = layout.size();  // 114
    keyButtons_.resize(n);
    std::vector<uint8_t> leds(n);
    for (size_t k = 0; k < n; ++k) {
        const size_t position = (k * 7) % n;
        keyButtons_[k] = layout[position];
        leds[k] = static_cast<uint8_t>(position);  // LEDs follow the layout, 0..113
    }
    std::vector<uint8_t> keyTable(n * 3);
    for (size_t k = 0; k < n; ++k) {
        const auto& c = codes[static_cast<size_t>(keyButtons_[k])];
        std::memcpy(&keyTable[k * 3], c.data(), 3);
    }

    std::vector<uint8_t> info(kInfoBlockSize, 0);
    info[0] = 0xAB;  // product id, little-endian
    info[1] = 0x22;
    info[2] = static_cast<uint8_t>(kDefaultRelease & 0xFF);
    info[3] = static_cast<uint8_t>(kDefaultRelease >> 8);
    info[5] = static_cast<uint8_t>(n);
    info[6] = kMacroUnits;
    info[7] = 114;  // LED count

    std::vector<uint8_t> settings(512, 0);
    PutLightRecord(settings, 0, 1, 0xFF, 0x00, 0x00);
    settings[22] = 3;  // polling rate stage
    PutLightRecord(settings, 25, 2, 0x00, 0xFF, 0x00);
    PutLightRecord(settings, 50, 3, 0x00, 0x00, 0xFF);
    settings[0] = 0;  // active slot

    AddRegion(kRegionInfo, info, false);
    AddRegion(kRegionKeyDefaults, keyTable, false);
    AddRegion(kRegionKeyMap, keyTable, true);
    AddRegion(kRegionLeds, leds, false);
    AddRegion(kRegionSettings, settings, true);
    AddRegion(kRegionMacros, std::vector<uint8_t>(kMacroUnits * 128u, 0), true);
    AddRegion(kRegionPalette, std::vector<uint8_t>(1024, 0), true);  // kept for old state files
    AddRegion(kRegionColourTables, FactoryColourTables(), true);
    AddRegion(kRegionFrame, std::vector<uint8_t>(512, 0), false);
    AddRegion(kRegionStatus, std::vector<uint8_t>(6, 0), false);
    MapCommand(0x03, Access::Read, kRegionInfo);
    MapCommand(0x07, Access::Read, kRegionKeyDefaults);
    MapCommand(0x1B, Access::Read, kRegionLeds);
    MapCommand(0x05, Access::Read, kRegionSettings);
    MapCommand(0x06, Access::Write, kRegionSettings);
    MapCommand(0x09, Access::Write, kRegionKeyMap);
    MapCommand(0x15, Access::Write, kRegionMacros);
    MapCommand(0x0B, Access::Write, kRegionColourTables);
    MapCommand(0x12, Access::Write, kRegionFrame);
    MapCommand(0x1A, Access::Read, kRegionStatus);
    LoadState();
}

std::vector<uint8_t> KeyboardModel::ColourTable(size_t group) const {
    return ColourTableOf(Region(kRegionColourTables), group);
}

void KeyboardModel::AfterWrite(const std::string& region, size_t offset, size_t length) {
    if (region == kRegionFrame) {
        frames_.OnWrite(offset, length);
    }
}

bool KeyboardModel::LightControlOn() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return lightControl_;
}

uint8_t KeyboardModel::HandleOther(uint8_t command, const uint8_t* request, uint8_t* answer) {
    switch (command) {
        case 0x1C:
            lightControl_ = true;
            return kStatusOk;
        case 0xAA:
            // Asked directly (not through the receiver): nothing is linked.
            answer[8] = 0;
            answer[9] = 0;
            return kStatusOk;
        default:
            return DeviceModel::HandleOther(command, request, answer);
    }
}

void KeyboardModel::BeforeRead(const std::string& region) {
    if (region == kRegionStatus) {
        Mem(kRegionStatus) = StatusBytes(battery_);
    }
}

void KeyboardModel::PressKey(uint8_t deviceKey) {
    EmitEvent(static_cast<uint16_t>(0x0500 | deviceKey));
}

void KeyboardModel::ReleaseKey(uint8_t deviceKey) {
    EmitEvent(static_cast<uint16_t>(0x0600 | deviceKey));
}

void KeyboardModel::SwitchSlot(uint8_t slot) {
    PokeRegion(kRegionSettings, 0, {static_cast<uint8_t>(slot % 3)});
    EmitEvent(0xA401);
}

void KeyboardModel::NotifyProfileChanged() {
    EmitEvent(0xA402);
}

uint16_t KeyboardModel::ReleaseNumber() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return release_;
}

void KeyboardModel::SetReleaseNumber(uint16_t release) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    release_ = release;
    PokeRegion(kRegionInfo, 2,
               {static_cast<uint8_t>(release & 0xFF), static_cast<uint8_t>(release >> 8)});
}

uint8_t KeyboardModel::ActiveSlot() const {
    const std::vector<uint8_t> settings = Region(kRegionSettings);
    return settings.empty() ? 0 : settings[0];
}

std::vector<uint8_t> KeyboardModel::SettingsRecord(uint8_t slot) const {
    const std::vector<uint8_t> settings = Region(kRegionSettings);
    const size_t at = static_cast<size_t>(slot) * 25;
    if (at + 28 > settings.size()) {
        return {};
    }
    return {settings.begin() + static_cast<long>(at),
            settings.begin() + static_cast<long>(at + 28)};
}

std::vector<uint8_t> KeyboardModel::KeyTable() const {
    return Region(kRegionKeyMap);
}

std::vector<uint8_t> KeyboardModel::FactoryKeyTable() const {
    return Region(kRegionKeyDefaults);
}

std::vector<uint8_t> KeyboardModel::LedTable() const {
    return Region(kRegionLeds);
}

std::vector<uint8_t> KeyboardModel::MacroMemory() const {
    return Region(kRegionMacros);
}

size_t KeyboardModel::MacroCapacity() const {
    const std::vector<uint8_t> info = Region(kRegionInfo);
    return info.size() > 6 ? std::min<size_t>(info[6], kMacroUnits) * 128u : 0;
}

void KeyboardModel::SetMacroUnits(uint8_t units) {
    PokeRegion(kRegionInfo, 6, {units});
}

size_t KeyboardModel::RegionLimit(const std::string& region, size_t size) const {
    if (region == kRegionMacros) {
        return std::min(size, MacroCapacity());
    }
    return size;
}

// ---------------------------------------------------------------- mouse

MouseModel::MouseModel(const std::string& storeName) : DeviceModel(storeName) {
    static const uint8_t buttons[kButtons][3] = {
        {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
        {0x10, 0x08, 0x00}, {0x40, 0x01, 0x00}, {0x40, 0x02, 0x00}, {0x40, 0x03, 0x00},
        {0x40, 0x04, 0x00}, {0x40, 0x05, 0x00}, {0x40, 0x06, 0x00},
    };
    std::vector<uint8_t> keyTable(kButtons * 3);
    for (size_t k = 0; k < kButtons; ++k) {
        std::memcpy(&keyTable[k * 3], buttons[k], 3);
    }
    std::vector<uint8_t> info(kInfoBlockSize, 0);
    info[0] = 0x01;
    info[1] = 0x10;
    info[2] = 0x05;
    info[3] = 0x01;
    info[5] = kButtons;
    info[6] = 16;  // 2 KiB of macro memory
    info[9] = kSensorId & 0xFF;
    info[10] = kSensorId >> 8;
    info[11] = 50;  // DPI step
    info[14] = 50;  // DPI base
    info[15] = 0;

    std::vector<uint8_t> settings(kSlotStride * 5, 0);
    static const uint8_t stageCodes[7] = {7, 15, 31, 47, 63, 79, 95};
    static const uint8_t stageColours[7][3] = {{255, 0, 0},    {0, 255, 0},   {0, 0, 255},
                                               {255, 255, 0},  {0, 255, 255}, {255, 0, 255},
                                               {255, 255, 255}};
    for (size_t slot = 0; slot < 5; ++slot) {
        const size_t at = slot * kSlotStride;
        settings[at + 1] = 1;
        settings[at + 2] = 4;
        settings[at + 3] = 1;
        settings[at + 5] = 1;
        settings[at + 6] = 255;
        settings[at + 11] = 0;  // 3 - report rate stage 3 (1000 Hz)
        settings[at + 12] = 1;  // active DPI stage
        for (size_t s = 0; s < 7; ++s) {
            uint8_t* stage = &settings[at + 14 + 9 * s];
            stage[0] = s < 5 ? 1 : 0;
            stage[2] = stageCodes[s];
            stage[3] = stageCodes[s];
            std::memcpy(stage + 6, stageColours[s], 3);
        }
        settings[at + 77] = 10;
        settings[at + 78] = 30;
        settings[at + 79] = 5;
        settings[at + 80] = 30;
        settings[at + 81] = 4;
        settings[at + 86] = 1;
    }
    settings[0] = 0;

    AddRegion(kRegionInfo, info, false);
    AddRegion(kRegionKeyDefaults, keyTable, false);
    AddRegion(kRegionKeyMap, keyTable, true);
    AddRegion(kRegionSettings, settings, true);
    AddRegion(kRegionMacros, std::vector<uint8_t>(16 * 128, 0), true);
    AddRegion(kRegionShoot, std::vector<uint8_t>(2048, 0), true);
    AddRegion(kRegionPalette, std::vector<uint8_t>(256, 0), true);
    AddRegion(kRegionFrame, std::vector<uint8_t>(256, 0), false);
    AddRegion(kRegionStatus, std::vector<uint8_t>(6, 0), false);
    MapCommand(0x03, Access::Read, kRegionInfo);
    MapCommand(0x07, Access::Read, kRegionKeyDefaults);
    MapCommand(0x05, Access::Read, kRegionSettings);
    MapCommand(0x06, Access::Write, kRegionSettings);
    MapCommand(0x09, Access::Write, kRegionKeyMap);
    MapCommand(0x15, Access::Write, kRegionMacros);
    MapCommand(0x17, Access::Write, kRegionShoot);
    MapCommand(0x0B, Access::Write, kRegionPalette);
    MapCommand(0x12, Access::Write, kRegionFrame);
    MapCommand(0x1A, Access::Read, kRegionStatus);
    LoadState();
}

void MouseModel::BeforeRead(const std::string& region) {
    if (region == kRegionStatus) {
        Mem(kRegionStatus) = StatusBytes(battery_);
    }
}

void MouseModel::SwitchSlot(uint8_t slot) {
    slot = static_cast<uint8_t>(slot % 5);
    PokeRegion(kRegionSettings, 0, {slot});
    EmitEvent(static_cast<uint16_t>(0x1000 | slot));
}

void MouseModel::SwitchDpiStage(uint8_t stage) {
    stage = static_cast<uint8_t>(stage % 7);
    const uint8_t slot = Region(kRegionSettings)[0];
    PokeRegion(kRegionSettings, slot * kSlotStride + 12, {stage});
    EmitEvent(static_cast<uint16_t>(0x1100 | (stage << 4) | slot));
}

// ---------------------------------------------------------------- mouse pad

MousePadModel::MousePadModel(const std::string& storeName) : DeviceModel(storeName) {
    std::vector<uint8_t> info(kInfoBlockSize, 0);
    info[0] = 0x04;
    info[1] = 0x10;
    info[2] = 0x02;
    info[3] = 0x01;
    info[7] = 26;  // LEDs around the pad
    std::vector<uint8_t> settings(256, 0);
    PutLightRecord(settings, 0, 1, 0x00, 0x80, 0xFF);
    AddRegion(kRegionInfo, info, false);
    AddRegion(kRegionSettings, settings, true);
    AddRegion(kRegionPalette, std::vector<uint8_t>(256, 0), true);
    AddRegion(kRegionFrame, std::vector<uint8_t>(256, 0), false);
    AddRegion(kRegionStatus, std::vector<uint8_t>(6, 0), false);
    MapCommand(0x03, Access::Read, kRegionInfo);
    MapCommand(0x05, Access::Read, kRegionSettings);
    MapCommand(0x06, Access::Write, kRegionSettings);
    MapCommand(0x0B, Access::Write, kRegionPalette);
    MapCommand(0x12, Access::Write, kRegionFrame);
    MapCommand(0x1A, Access::Read, kRegionStatus);
    LoadState();
}

void MousePadModel::BeforeRead(const std::string& region) {
    if (region == kRegionStatus) {
        Mem(kRegionStatus) = StatusBytes(battery_);
    }
}

void MousePadModel::SwitchMode(uint8_t modeValue) {
    PokeRegion(kRegionSettings, 1, {modeValue});
    EmitEvent(0x0401);
}

// ---------------------------------------------------------------- headset

HeadsetModel::HeadsetModel(const std::string& storeName) : DeviceModel(storeName) {
    std::vector<uint8_t> info(kInfoBlockSize, 0);
    info[0] = 0x30;
    info[1] = 0x16;
    info[2] = 0x01;
    info[3] = 0x01;
    info[7] = 13;
    std::vector<uint8_t> settings(256, 0);
    PutLightRecord(settings, 0, 1, 0xFF, 0x40, 0x00);
    AddRegion(kRegionInfo, info, false);
    AddRegion(kRegionSettings, settings, true);
    AddRegion(kRegionStatus, std::vector<uint8_t>(6, 0), false);
    AddRegion(kRegionHeadsetLeds, std::vector<uint8_t>(2 * 6 * 8, 0), false);
    MapCommand(0x03, Access::Read, kRegionInfo);
    MapCommand(0x05, Access::Read, kRegionSettings);
    MapCommand(0x06, Access::Write, kRegionSettings);
    MapCommand(0x1A, Access::Read, kRegionStatus);
    LoadState();
}

void HeadsetModel::BeforeRead(const std::string& region) {
    if (region == kRegionStatus) {
        Mem(kRegionStatus) = StatusBytes(battery_);
    }
}

void HeadsetModel::OnOtherReport(const std::vector<uint8_t>& report) {
    if (report.size() < 11 || report[0] != 0xFF) {
        return;
    }
    const int bank = report[1] == 0x22 ? 0 : report[1] == 0x44 ? 1 : -1;
    if (bank < 0 || report[2] < 0xAA || report[2] > 0xAF) {
        return;
    }
    const size_t at = (static_cast<size_t>(bank) * 6 + (report[2] - 0xAA)) * 8;
    std::vector<uint8_t> values(report.begin() + 4, report.begin() + 11);
    PokeRegion(kRegionHeadsetLeds, at, values);
}

int HeadsetModel::LedRegister(uint8_t bank, uint8_t reg, size_t index) const {
    const int b = bank == 0x22 ? 0 : bank == 0x44 ? 1 : -1;
    if (b < 0 || reg < 0xAA || reg > 0xAF || index >= 7) {
        return -1;
    }
    const auto leds = Region(kRegionHeadsetLeds);
    return leds[(static_cast<size_t>(b) * 6 + (reg - 0xAA)) * 8 + index];
}

void HeadsetModel::SwitchMode(uint8_t modeValue) {
    PokeRegion(kRegionSettings, 1, {modeValue});
    EmitEvent(0x0401);
}

}  // namespace sim
