// What a device object needs from the user interface, without Qt: its page
// (key and LED buttons, tab layouts), its entry in the device bar (timers),
// its battery widget and the main window's message queue. src/ui implements
// these over the real controls; tests use doubles. Every operation tolerates
// a missing control and then does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace device {

class DevicePageView {
  public:
    virtual ~DevicePageView() = default;
    // Names of the "DeviceKeyButton" children of the page's first
    // "SelectPanel", in child order; false when the page has no select panel.
    virtual bool SelectPanelButtons(std::vector<std::string>& names) = 0;
    // Tints button `button` (an index into the list above) with a colour word
    // (R | B << 8 | G << 16) and an alpha.
    virtual void SetButtonColour(int button, uint32_t colourWord, uint8_t alpha) = 0;
    virtual bool IsButtonVisible(int button) const = 0;
    virtual void SetButtonText(int button, const std::string& text) = 0;
    // The page container's own indicator colour.
    virtual void SetIndicatorColour(uint32_t colourWord, uint8_t alpha) = 0;
    // Selects tabs of "device_function_switch" (a) and
    // "device_key_function_switch" (b); -1 leaves one unchanged. False and no
    // change when either layout is missing.
    virtual bool SelectFunctionTabs(int tabA, int tabB) = 0;
    // Repaints the select panel (the preview).
    virtual void RepaintPreview() = 0;
};

// The device's entry in the device bar: it owns the timers that drive the
// device. Safe to call from any thread (worker threads queue the request to
// the UI thread).
class DeviceEntryView {
  public:
    virtual ~DeviceEntryView() = default;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // The device's preview may have come into view (its page, the window's
    // attention): preview frames slowed down for nobody resume at once.
    virtual void PreviewMayShow() {}
};

class PowerWidgetView {
  public:
    virtual ~PowerWidgetView() = default;
    // Shows or hides the battery part (the device's battery-widget flag).
    virtual void SetEnabled(bool enabled) = 0;
    // The first `length` bytes of a battery status record as the device
    // read it: level, charge state, -, wireless mark, -, phone type.
    virtual void SetBatteryStatus(const uint8_t* bytes, size_t length) = 0;
    // The wireless mark; false when the widget has none.
    virtual bool ShowWirelessLogo(bool shown) = 0;
};

// The main window's message queue as device objects use it.
class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;
    // Blocks until handled when called on a worker thread; handled directly
    // on the UI thread.
    virtual intptr_t SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual void PostToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

// Private messages of the device objects.
inline constexpr uint32_t kMsgSettingsRead = 3328;
inline constexpr uint32_t kMsgBatteryRead = 3329;
inline constexpr uint32_t kMsgEntryNotice = 3331;
inline constexpr uint32_t kMsgFirmwareUpgrade = 3332;

// Timers of the device bar entry.
inline constexpr int kTimerFrame = 1000;
inline constexpr int kTimerConnect = 1001;
inline constexpr int kTimerResync = 1002;
inline constexpr int kTimerHookA = 1003;
inline constexpr int kTimerHookB = 1004;
inline constexpr int kTimerBattery = 1005;
inline constexpr int kTimerLinkWatch = 1007;
inline constexpr int kTimerKeepAliveA = 1008;
inline constexpr int kTimerKeepAliveB = 1009;

}  // namespace device
