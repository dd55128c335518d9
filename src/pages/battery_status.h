// The battery widget of a wireless device as plain data: which of its
// displays a status record changes, and to what. The record is the 6-byte
// battery status the keyboard, mouse pad and headset read: level, charge
// state, (unused), wireless mark, (forwarded), phone type.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pages {

// The widget kind whose entry shows the phone picture.
inline constexpr int kBatteryKindWithPhone = 3;

struct PhonePicture {
    std::string tooltipId;
    std::string image;
    friend bool operator==(const PhonePicture&, const PhonePicture&) = default;
};

// Each field is set only when the record changes that display; the others
// keep what they show.
struct BatteryDisplayChange {
    std::optional<int> progressValue;      // 100 minus the level: the empty part
    std::optional<std::string> levelText;  // "85%"
    std::optional<bool> wirelessLogoVisible;
    // The charge state's image; the progress bar is shown with it.
    std::optional<std::string> statusImage;
    std::optional<PhonePicture> phone;
};

class BatteryWidgetModel {
  public:
    void SetWidgetKind(int kind, int value) {
        kind_ = kind;
        kindValue_ = value;
    }
    int WidgetKind() const { return kind_; }
    int WidgetKindValue() const { return kindValue_; }
    // -1 until a record with a level arrives.
    int ShownLevel() const { return shownLevel_; }

    // Reads only the bytes given: a short record changes only the displays
    // its bytes cover. A level above 100 shows as 100.
    BatteryDisplayChange SetBatteryStatus(std::span<const uint8_t> record);

  private:
    int kind_ = 0;
    int kindValue_ = 0;
    int shownLevel_ = -1;
};

}  // namespace pages
