#include "ui/main_window/macro_recording.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedWidget>

#include "device/usb_device.h"
#include "macro/x11_input_capture.h"
#include "platform/debug_output.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/framework/control_ops.h"
#include "ui/main_window/main_wnd.h"
#include "ui/pages/macro_control_ui.h"

namespace ui {

namespace {

static_assert(sizeof(uintptr_t) == 8 && sizeof(intptr_t) == 8,
              "a captured event travels in two 64-bit message words");

constexpr const char* kCaptureFailedText = "macro_capture_failed_text";
constexpr const char* kWindowOnlyText = "macro_capture_window_only_text";

std::unique_ptr<macro::CaptureBackend> ChooseBackend() {
    const macro::CaptureEnvironment env = macro::ReadCaptureEnvironment();
    if (macro::ChooseCaptureSource(env) == macro::CaptureSource::X11)
        if (auto backend = macro::MakeX11CaptureBackend(env.display))
            return backend;
    return std::make_unique<macro::FedCaptureBackend>();
}

int AllowedActionsOf(const device::CVornelUSBDevice& device) {
    switch (device.GetDeviceType()) {
        case 2:
        case 6:
            return macro::kMouseAllowedActions;
        default:
            return macro::kKeyboardAllowedActions;
    }
}

bool IsLockKey(int key) {
    return key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
}

uint8_t XButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::MiddleButton:
            return 2;
        case Qt::RightButton:
            return 3;
        case Qt::BackButton:
            return 8;
        case Qt::ForwardButton:
            return 9;
        default:
            return 0;
    }
}

}  // namespace

MacroRecording::MacroRecording(CMainWnd* window, std::unique_ptr<macro::CaptureBackend> backend)
    : window_(window) {
    if (!backend)
        backend = ChooseBackend();
    fed_ = dynamic_cast<macro::FedCaptureBackend*>(backend.get());
    QPointer<CMainWnd> target(window);
    capture_ = std::make_unique<macro::InputCapture>(
        std::move(backend), [target](uint64_t wParam, int64_t lParam) {
            // A post never waits for the UI thread; a window that is gone
            // takes nothing.
            return target && target->Post(kMsgInputCapture, static_cast<uintptr_t>(wParam),
                                          static_cast<intptr_t>(lParam));
        });
    platform::DebugOutputF("input capture: %s", capture_->BackendName());
    SetMacroMenuCommandSink([target](const QString& name) {
        if (target)
            target->MenuCommand(name);
    });
    qApp->installEventFilter(this);
}

MacroRecording::~MacroRecording() {
    qApp->removeEventFilter(this);
    SetMacroMenuCommandSink(nullptr);
    capture_->Uninstall();
}

CMacroControlUI* MacroRecording::CurrentPage() const {
    device::CVornelUSBDevice* device = window_->CurrentDevice();
    if (device == nullptr)
        return nullptr;
    auto* pages =
        qobject_cast<QStackedWidget*>(window_->FindControl(QStringLiteral("device_switch")));
    CMacroControlUI* page = MacroPageIn(pages != nullptr ? pages->currentWidget() : nullptr);
    if (page == nullptr)
        return nullptr;
    page->SetOwner(window_);
    CMainWnd* window = window_;
    page->SetMessenger([window](const std::string& id, int buttons) {
        return window->ShowTextMessage(QString::fromStdString(id), buttons);
    });
    page->SetAllowedActions(AllowedActionsOf(*device));
    window_->BindMacroPage(*page);
    if (!page->HasFolder())
        page->SetFolder(device->UserDataFolder());
    return page;
}

bool MacroRecording::Handle(const pages::RouteEvent& event) {
    using pages::Route;
    CMacroControlUI* page = CurrentPage();
    if (page == nullptr)
        return false;
    switch (event.route) {
        case Route::MacroRecordStart:
            if (!Recording())
                Start(page->ConstantTimeChosen() ? macro::TimeMode::Constant
                                                 : macro::TimeMode::Recorded,
                      macro::CaptureMode::Append);
            return true;
        case Route::MacroRecordStop:
            Stop();
            return true;
        case Route::MacroRecordInsert: {
            if (Recording())
                return true;
            // The row's argument: hook mode x 10 + time choice (1 recorded
            // or the fixed delay when chosen, 2 constant, 3 ignored).
            const int hookMode = event.index / 10;
            const int choice = event.index % 10;
            macro::TimeMode time = choice == 3                  ? macro::TimeMode::Ignored
                                   : choice == 2                ? macro::TimeMode::Constant
                                   : page->ConstantTimeChosen() ? macro::TimeMode::Constant
                                                                : macro::TimeMode::Recorded;
            const auto mode = macro::CaptureModeFromInt(hookMode);
            if (mode)
                Start(time, *mode);
            return true;
        }
        case Route::MacroReplaceStep:
            if (!Recording())
                Start(macro::TimeMode::Ignored, macro::CaptureMode::Replace);
            return true;
        default:
            return page->Handle(event);
    }
}

bool MacroRecording::Start(macro::TimeMode time, macro::CaptureMode mode) {
    CMacroControlUI* page = CurrentPage();
    if (page == nullptr || Recording())
        return false;
    // Said once, before anything records: while recording, typed keys
    // only feed the recording.
    if (!capture_->Global() && !windowNoticeShown_) {
        windowNoticeShown_ = true;
        window_->ShowTextMessage(QString::fromLatin1(kWindowOnlyText), kMessageInfo);
    }
    // Single-key capture gives way: modes never stack.
    capture_->Uninstall();
    if (!page->StartRecording(time, mode))
        return false;
    if (!capture_->Install(static_cast<int>(mode), true, true)) {
        // Shown as a failure, not as a recording that records nothing.
        page->StopRecording();
        window_->ShowTextMessage(QString::fromLatin1(kCaptureFailedText), kMessageInfo);
        return false;
    }
    recordingPage_ = page;
    window_->BarLock(true, false);
    return true;
}

void MacroRecording::Stop() {
    if (!Recording()) {
        return;
    }
    QPointer<CMacroControlUI> page = recordingPage_;
    recordingPage_ = nullptr;
    capture_->Uninstall();
    window_->BarLock(true, true);
    if (page)
        page->StopRecording();
}

void MacroRecording::StopAll() {
    if (Recording())
        Stop();
    else
        capture_->Uninstall();
}

void MacroRecording::SingleKeyCapture(bool on) {
    if (Recording())
        return;
    if (on)
        capture_->Install(static_cast<int>(macro::CaptureMode::SingleKey), true, false);
    else
        capture_->Uninstall();
}

void MacroRecording::OnCaptureMessage(uint64_t wParam, int64_t lParam) {
    const auto event = capture_->Accept(wParam, lParam);
    if (!event)
        return;
    const auto mode = capture_->Mode();
    if (mode == macro::CaptureMode::SingleKey) {
        if (singleKeySink_)
            singleKeySink_(*event);
        return;
    }
    if (!IsKey(event->kind) && mode == macro::CaptureMode::Append)
        platform::DebugOutput("WM_HOOK_KEY_MSMACRO");
    if (recordingPage_)
        recordingPage_->OnInput(*event);
}

bool MacroRecording::eventFilter(QObject* watched, QEvent* event) {
    if (!capture_->Installed() || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    // An event that a widget leaves to its parent reaches the filter again;
    // it is fed once.
    bool top = false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto stamp = static_cast<QInputEvent*>(event)->timestamp();
        top = !(event == lastEvent_ && event->type() == lastType_ && stamp == lastStamp_);
        lastEvent_ = event;
        lastType_ = event->type();
        lastStamp_ = stamp;
    }
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (top && fed_ != nullptr && key->nativeScanCode() >= 8 && !key->isAutoRepeat())
                fed_->Feed({event->type() == QEvent::KeyPress ? macro::InputKind::KeyPress
                                                              : macro::InputKind::KeyRelease,
                            static_cast<uint16_t>(key->nativeScanCode() - 8), 0, 0, 0,
                            macro::CaptureClockMs()});
            // While recording, typed keys only feed the recording (Space
            // would press the focused button); lock keys keep working.
            if (Recording() && !IsLockKey(key->key()))
                return true;
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (top && fed_ != nullptr) {
                const QPoint at = mouse->globalPosition().toPoint();
                fed_->Feed(
                    {event->type() == QEvent::MouseButtonPress ? macro::InputKind::ButtonPress
                                                               : macro::InputKind::ButtonRelease,
                     0, XButtonOf(mouse->button()), at.x(), at.y(), macro::CaptureClockMs()});
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
