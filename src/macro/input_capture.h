// Desktop-wide observation of key presses and mouse buttons while a macro is
// recorded or a key is captured for an assignment. A backend sees the input
// (X11 raw events on the root window, the window's own events, or a test
// source) and hands each event over by value; the owner posts it to the UI
// thread packed into the two message words, so no address ever travels in a
// message and nothing the backend does can block on the UI.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace macro {

// What the capture is for; the values are the bits callers pass.
enum class CaptureMode : int {
    SingleKey = 1,     // one key for a key assignment
    Append = 4,        // recording, events at the end of the action list
    InsertBefore = 8,  // recording, events before the selected action
    InsertAfter = 16,  // recording, events after the selected action
    Replace = 32,      // the key or button of the selected action
};
std::optional<CaptureMode> CaptureModeFromInt(int mode);
inline bool IsRecordingMode(CaptureMode mode) {
    return mode != CaptureMode::SingleKey;
}

enum class InputKind : uint8_t { KeyPress = 1, KeyRelease, ButtonPress, ButtonRelease };
inline bool IsKey(InputKind kind) {
    return kind == InputKind::KeyPress || kind == InputKind::KeyRelease;
}
inline bool IsPress(InputKind kind) {
    return kind == InputKind::KeyPress || kind == InputKind::ButtonPress;
}

struct InputEvent {
    InputKind kind = InputKind::KeyPress;
    uint16_t code = 0;   // Linux input code of a key (below 4096)
    uint8_t button = 0;  // X pointer button: 1 left, 2 middle, 3 right, 8 back, 9 forward
    int32_t x = 0;       // pointer position on the screen
    int32_t y = 0;
    uint32_t timeMs = 0;  // time stamp of the source's clock, wrapping at 2^32
    bool operator==(const InputEvent&) const = default;
};

// Milliseconds of the monotonic clock, the base X servers stamp their
// events with; the window's own events are stamped with it too.
uint32_t CaptureClockMs();

// The two message words an event travels in, with the install it belongs to.
struct PackedEvent {
    uint64_t wParam = 0;
    int64_t lParam = 0;
};
PackedEvent Pack(const InputEvent& event, uint8_t generation);
// Nullopt for words that hold no event (an unknown kind or a code too large).
std::optional<InputEvent> Unpack(uint64_t wParam, int64_t lParam, uint8_t* generation = nullptr);

// A source of input. Start may be called again after Stop.
class CaptureBackend {
  public:
    using Sink = std::function<void(const InputEvent&)>;
    virtual ~CaptureBackend() = default;
    // Starts handing events to `sink`, from any thread; the sink never
    // blocks. False when the input cannot be observed.
    virtual bool Start(Sink sink, bool keyboard, bool mouse) = 0;
    // After Stop returns the sink is not called any more.
    virtual void Stop() = 0;
    // True when input typed into other programs is seen too.
    virtual bool Global() const = 0;
    virtual const char* Name() const = 0;
};

// Input the application feeds itself: the window's own key and mouse events
// (the in-window capture), and the source tests drive.
class FedCaptureBackend : public CaptureBackend {
  public:
    explicit FedCaptureBackend(bool global = false) : global_(global) {}
    bool Start(Sink sink, bool keyboard, bool mouse) override;
    void Stop() override;
    bool Global() const override { return global_; }
    const char* Name() const override { return "window"; }

    // Hands the event on when capture runs and covers its kind; true then.
    bool Feed(const InputEvent& event);
    bool Running() const { return static_cast<bool>(sink_); }
    // Tests: make the next starts fail.
    void SetStartFails(bool fails) { startFails_ = fails; }

  private:
    Sink sink_;
    bool keyboard_ = false;
    bool mouse_ = false;
    bool global_;
    bool startFails_ = false;
};

// The process's capture: at most one mode installed at a time. Used on the
// UI thread only; the backend's thread reaches it only through `post`.
class InputCapture {
  public:
    // Posts the two words to the UI thread without waiting; false when the
    // queue refused them (the event is then lost, which recording tolerates).
    using Post = std::function<bool(uint64_t wParam, int64_t lParam)>;

    InputCapture(std::unique_ptr<CaptureBackend> backend, Post post);
    ~InputCapture();
    InputCapture(const InputCapture&) = delete;
    InputCapture& operator=(const InputCapture&) = delete;

    // Removes whatever is installed, then starts the backend for `mode`.
    // False (and nothing installed) for a mode outside CaptureMode or when
    // the backend cannot start.
    bool Install(int mode, bool keyboard, bool mouse);
    // True when something was installed.
    bool Uninstall();
    bool Installed() const { return installed_; }
    std::optional<CaptureMode> Mode() const;
    bool Global() const { return backend_->Global(); }
    const char* BackendName() const { return backend_->Name(); }
    CaptureBackend& Backend() { return *backend_; }

    // The event a posted message carries, when it belongs to the install in
    // force; events still queued from an earlier install are dropped.
    std::optional<InputEvent> Accept(uint64_t wParam, int64_t lParam) const;

  private:
    std::unique_ptr<CaptureBackend> backend_;
    Post post_;
    bool installed_ = false;
    CaptureMode mode_ = CaptureMode::SingleKey;
    uint8_t generation_ = 0;
};

// Where the input comes from on this desktop.
struct CaptureEnvironment {
    std::string override;        // QX70_INPUT_CAPTURE
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string display;         // DISPLAY
    bool x11Available = false;   // the X server offers raw input events
};
enum class CaptureSource { X11, Window };
// Raw X events only see X clients, so on Wayland (XWayland included) the
// window's own input is the only honest source.
CaptureSource ChooseCaptureSource(const CaptureEnvironment& env);
CaptureEnvironment ReadCaptureEnvironment();

}  // namespace macro
