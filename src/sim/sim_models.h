// The simulated devices' firmware behaviour: keyboard, mouse, mouse pad,
// headset.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "sim/keyboard_light_memory.h"
#include "sim/sim_device_model.h"

namespace sim {

// Region names shared by the models.
inline constexpr const char* kRegionInfo = "info";
inline constexpr const char* kRegionKeyDefaults = "keydefaults";
inline constexpr const char* kRegionKeyMap = "keymap";
inline constexpr const char* kRegionLeds = "leds";
inline constexpr const char* kRegionSettings = "settings";
inline constexpr const char* kRegionMacros = "macros";
inline constexpr const char* kRegionPalette = "palette";
inline constexpr const char* kRegionFrame = "frame";
inline constexpr const char* kRegionStatus = "status";
inline constexpr const char* kRegionShoot = "shoot";
inline constexpr const char* kRegionHeadsetLeds = "headsetleds";

inline constexpr size_t kInfoBlockSize = 34;

// Battery level and charge state that move with time: on battery the level
// falls, at the low mark the device charges, when full it stays on the
// charger for a while and then runs on battery again. Thread-safe.
class BatteryModel {
  public:
    enum State : uint8_t { kFull = 0, kCharging = 1, kOnBattery = 2 };
    BatteryModel();
    // Brings the model up to the current time and returns {level, state}.
    std::array<uint8_t, 2> Sample();
    void Set(uint8_t level, uint8_t state);
    // Lets simulated time pass (tests).
    void Advance(std::chrono::seconds seconds);

    static constexpr int kDrainSeconds = 30;   // per percent on battery
    static constexpr int kChargeSeconds = 10;  // per percent on the charger
    static constexpr int kFullSeconds = 120;   // kept full before unplugging
    static constexpr uint8_t kLowMark = 15;

  private:
    void Step(int64_t seconds);
    std::mutex mutex_;
    uint8_t level_ = 80;
    uint8_t state_ = kOnBattery;
    int64_t carry_ = 0;  // seconds spent in the current step
    std::chrono::steady_clock::time_point last_;
};

// The default function code of each of the 170 key buttons.
const std::array<std::array<uint8_t, 3>, 170>& KeyboardDefaultCodeTable();

class KeyboardModel : public DeviceModel {
  public:
    static constexpr uint16_t kDefaultRelease = 0x0110;
    static constexpr uint8_t kMacroUnits = 32;  // 4 KiB of macro memory

    explicit KeyboardModel(const std::string& storeName = "keyboard");

    uint8_t KeyCount() const { return static_cast<uint8_t>(keyButtons_.size()); }
    // The key button index of each device key, in device order.
    const std::vector<int>& DeviceKeyButtons() const { return keyButtons_; }
    uint16_t ReleaseNumber() const;
    // Also what the information block reports; the USB side takes it at the
    // next plug.
    void SetReleaseNumber(uint16_t release);
    bool LightControlOn() const;
    BatteryModel& Battery() { return battery_; }

    // Memory as tests inspect it.
    uint8_t ActiveSlot() const;
    std::vector<uint8_t> SettingsRecord(uint8_t slot) const;  // 28 bytes at slot × 25
    std::vector<uint8_t> KeyTable() const;                    // written with 0x09
    std::vector<uint8_t> FactoryKeyTable() const;             // read with 0x07
    std::vector<uint8_t> LedTable() const;                    // read with 0x1B
    std::vector<uint8_t> MacroMemory() const;                 // written with 0x15
    // Macro memory the firmware offers, in 128-byte units (at most
    // kMacroUnits); writes beyond it are refused with status 0xFE.
    size_t MacroCapacity() const;
    void SetMacroUnits(uint8_t units);

    // Things a user does on the keyboard itself.
    void PressKey(uint8_t deviceKey);    // event 0x05kk
    void ReleaseKey(uint8_t deviceKey);  // event 0x06kk
    // Fn-key profile switch: new active slot, then the resync event.
    void SwitchSlot(uint8_t slot);
    // A profile changed on the keyboard itself (on-board editing): the
    // program reloads its profile list and profile (event 0xA402).
    void NotifyProfileChanged();
    // Lighting memory (keyboard_light_memory.h).
    std::vector<uint8_t> ColourTable(size_t group) const;
    uint64_t FrameCount() const { return frames_.Frames(); }

  protected:
    uint8_t HandleOther(uint8_t command, const uint8_t* request, uint8_t* answer) override;
    void BeforeRead(const std::string& region) override;
    size_t RegionLimit(const std::string& region, size_t size) const override;
    void AfterWrite(const std::string& region, size_t offset, size_t length) override;

  private:
    LedFrameCounter frames_;
    std::vector<int> keyButtons_;
    uint16_t release_ = kDefaultRelease;
    bool lightControl_ = false;
    BatteryModel battery_;
};

class MouseModel : public DeviceModel {
  public:
    static constexpr uint8_t kButtons = 11;
    static constexpr size_t kSlotStride = 128;
    static constexpr size_t kRecordSize = 87;
    static constexpr uint16_t kSensorId = 0x3325;

    explicit MouseModel(const std::string& storeName = "mouse");
    BatteryModel& Battery() { return battery_; }
    // The slot / DPI buttons underneath the mouse (events 0x10 / 0x11).
    void SwitchSlot(uint8_t slot);
    void SwitchDpiStage(uint8_t stage);

  protected:
    void BeforeRead(const std::string& region) override;

  private:
    BatteryModel battery_;
};

class MousePadModel : public DeviceModel {
  public:
    explicit MousePadModel(const std::string& storeName = "mousepad");
    BatteryModel& Battery() { return battery_; }
    // A change made with the pad's own button: the resync event 0x0401.
    void SwitchMode(uint8_t modeValue);

  protected:
    void BeforeRead(const std::string& region) override;

  private:
    BatteryModel battery_;
};

class HeadsetModel : public DeviceModel {
  public:
    explicit HeadsetModel(const std::string& storeName = "headset");
    BatteryModel& Battery() { return battery_; }
    // The LED chip report: bank 0x22 / 0x44, register 0xAA..0xAF, 7 values.
    void OnOtherReport(const std::vector<uint8_t>& report) override;
    // Colour value `index` (0..6) last written to a register; -1 when unknown.
    int LedRegister(uint8_t bank, uint8_t reg, size_t index) const;
    void SwitchMode(uint8_t modeValue);

  protected:
    void BeforeRead(const std::string& region) override;

  private:
    BatteryModel battery_;
};

}  // namespace sim
