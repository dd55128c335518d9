// The main window's part in macro recording: it owns the input capture,
// starts and stops recordings of the current device's macro page with the
// bar lock, hands captured events to that page, and routes the macro page's
// notifications and menu commands. Events arrive in a posted message, by
// value; the window's own keys are kept from its buttons while recording.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "macro/input_capture.h"
#include "macro/macro_recorder.h"
#include "pages/page_hooks.h"
#include "ui/pages/macro_control_ui.h"

namespace ui {

class CMainWnd;

// Private message of the main window carrying one captured event.
inline constexpr uint32_t kMsgInputCapture = 1060;

class MacroRecording : public QObject, public pages::PageHooks {
    Q_OBJECT
  public:
    // `backend` null: chosen from the desktop (X11 raw events or the window).
    MacroRecording(CMainWnd* window, std::unique_ptr<macro::CaptureBackend> backend = nullptr);
    ~MacroRecording() override;

    bool Handle(const pages::RouteEvent& event) override;
    // The posted message of a captured event.
    void OnCaptureMessage(uint64_t wParam, int64_t lParam);
    // Message 1054: single-key capture for the key page on (true) or off.
    void SingleKeyCapture(bool on);
    // Where single-key events go (the key page).
    void SetSingleKeySink(std::function<void(const macro::InputEvent&)> sink) {
        singleKeySink_ = std::move(sink);
    }
    // Ends any recording or capture in progress (saving as the stop button
    // does) and unlocks the bars.
    void StopAll();

    bool Start(macro::TimeMode time, macro::CaptureMode mode);
    void Stop();
    bool Recording() const { return static_cast<bool>(recordingPage_); }
    macro::InputCapture& Capture() { return *capture_; }
    // The current device's macro page, prepared (folder, allowed actions).
    CMacroControlUI* CurrentPage() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CMainWnd* window_;
    std::unique_ptr<macro::InputCapture> capture_;
    macro::FedCaptureBackend* fed_ = nullptr;  // when the window's input is the source
    QPointer<CMacroControlUI> recordingPage_;
    std::function<void(const macro::InputEvent&)> singleKeySink_;
    bool windowNoticeShown_ = false;
    // The input event fed last (compared, never dereferenced).
    const void* lastEvent_ = nullptr;
    int lastType_ = 0;
    quint64 lastStamp_ = 0;
};

}  // namespace ui
