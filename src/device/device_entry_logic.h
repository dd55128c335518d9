// The timers a device-bar entry runs for its device: connect, preview
// frames, battery, link watch and keep-alive. The Qt entry widget owns one
// of these and forwards its timer events; this class holds the rules.
#pragma once

#include "platform/tick_count.h"

#include "device/usb_device.h"

namespace device {

// What the logic needs from the entry widget.
class DeviceEntryHost {
  public:
    virtual ~DeviceEntryHost() = default;
    // One-shot timers: starting a running timer restarts it.
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsSelected() const = 0;
    // Repaints the device's preview panel; false when there is none.
    virtual bool RepaintPreview() = 0;
    // Whether anyone can see the preview (the window is shown, not minimised).
    virtual bool PreviewVisible() const { return true; }
};

class DeviceEntryLogic {
  public:
    explicit DeviceEntryLogic(DeviceEntryHost& host) : host_(host) {}

    void SetDevice(CVornelUSBDevice* device) { device_ = device; }
    CVornelUSBDevice* Device() const { return device_; }

    void StartConnect() { host_.StartTimer(kTimerConnect, 500); }
    void StartLinkWatch(int ms);
    void RestartKeepAliveA();
    void RestartKeepAliveB();

    // A timer of the entry fired. Each handler stops its own timer first and
    // starts it again when it should repeat.
    void OnTimer(int id);
    // The preview may be seen again: frames that run slow because nobody
    // saw it are brought forward to now.
    void PreviewMayShow();

    static constexpr int kKeepAliveBMs = 170000;
    // Frame period while nobody sees the preview (the window is hidden or
    // has no attention, the entry is not selected, another page or tab is
    // shown, the picture is not lit) and nothing is streamed. Whatever
    // brings it back into view calls PreviewMayShow; this period only
    // bounds a missed call.
    static constexpr int kHiddenFrameMs = 1000;
    // A picture that is not streamed to the device is handed a frame every
    // other tick (about 31 a second): the effects still step every tick,
    // and twice the frames would cost twice the painting for no visible
    // gain.
    static constexpr uint32_t kPictureFrameMs = 2 * platform::kTickStepMs;

  private:
    void OnConnectTimer();
    void OnFrameTimer();
    // The frame timer's next period: while the device is streamed frames
    // 5 ms (20 ms through the receiver), else just past the tick change at
    // which the picture is next due, and slow while nobody sees it.
    int NextFrameMs() const;
    // The entry is selected, its page shown and the window has attention.
    bool PageShown() const;
    // Somebody may see the preview's lights: the page is shown, the window
    // and the picture are visible and the picture is lit.
    bool PreviewSeen() const;
    void OnLinkWatchTimer();
    void StartKeepAliveA();
    void NotifyWindow(int linkUp);
    bool ReceiverMode() const { return device_->CommandChannel().ReceiverMode(); }
    bool ChannelOpen() const { return device_->IsCommandChannelOpen(); }

    DeviceEntryHost& host_;
    CVornelUSBDevice* device_ = nullptr;
    uint32_t lastRepaintTick_ = 1;  // never a tick value (ticks are multiples of 16)
    uint32_t lastFrameTick_ = 0;
    bool framed_ = false;      // a frame was handed over since the device was set
    bool slowFrames_ = false;  // the frame timer runs at kHiddenFrameMs
};

}  // namespace device
