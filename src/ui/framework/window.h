// A window built from one skin layout. The layout is built (custom classes
// through CreateControl and the control factory) before InitWindow runs;
// "windowinit" follows once the message loop runs. Controls report user
// actions as notifications to Notify; messages sent or posted to the window
// (from any thread) reach HandleCustomMessage before default handling.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <utility>

#include "ui/framework/font_table.h"
#include "ui/framework/message_queue.h"
#include "ui/framework/notification.h"

class QEventLoop;
class QTimer;

class QSocketNotifier;

namespace ui {

inline constexpr int kMinDpi = 48;
inline constexpr int kMaxDpi = 192;

class Window : public QWidget {
    Q_OBJECT
  public:
    explicit Window(QWidget* parent = nullptr);
    ~Window() override;

    // Builds the layout of GetSkinFile(), sizes the window (width x height
    // at 96 DPI) and runs InitWindow. False when the layout cannot be built.
    bool Create(QWidget* parent, const QString& title, int width, int height);
    void CenterWindow();
    // Centres the window again when its frame does not lie on its screen's
    // available area (a window manager that framed it after a size change).
    void KeepOnScreen();
    // Shows the window and runs a nested loop until Close(result).
    int ShowModal();
    void Close(int result = 0);

    QWidget* Root() const { return root_; }
    // Name lookup without case across the whole window.
    QWidget* FindControl(const QString& name) const;

    // Fills `parent` from a layout at run time; the built root is added to
    // the parent's layout when it has one. Null when nothing was built.
    QWidget* BuildLayout(const QString& resource, QWidget* parent);
    // Makes the widgets of a tree built by code report notifications.
    void WireControls(QWidget* root);

    // Delivers a notification synchronously (custom controls use this).
    void SendNotify(QWidget* sender, const QString& type, uintptr_t wParam = 0,
                    intptr_t lParam = 0);

    // Control timers: one per (control, id); each expiry notifies "timer"
    // with wParam = id. Setting an existing timer restarts it.
    bool SetTimer(QWidget* control, unsigned id, unsigned elapseMs);
    bool KillTimer(QWidget* control, unsigned id);
    void KillTimers(QWidget* control);
    bool HasTimer(QWidget* control, unsigned id) const;
    // Window timers arrive as kWmTimer messages (wParam = id).
    bool SetWindowTimer(unsigned id, unsigned elapseMs);
    bool KillWindowTimer(unsigned id);

    // Thread-safe. Send blocks a worker thread until the message was handled
    // (or the queue closed, or `abandonOn` was set); on the window's own
    // thread it handles the message at once.
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam,
                  const platform::StopEvent* abandonOn = nullptr);
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Drops queued messages and releases blocked senders; later ones are refused.
    void CloseMessageQueue();

    // Scale: 48 to 192 DPI (96 = design size). False and no change outside.
    bool SetDPI(int dpi);
    int DPI() const { return dpi_; }
    int Scaled(int designPixels) const { return designPixels * dpi_ / 96; }

    FontTable& Fonts() { return fonts_; }
    // Re-applies the default font and every control's "fontId" font.
    void ApplyFonts();

  protected:
    virtual QString GetSkinFile() const = 0;
    virtual void InitWindow() {}
    virtual void Notify(const Notification& notification) { (void)notification; }
    // Sets `handled` to stop default handling; the result goes to the sender.
    virtual intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                         bool& handled);
    // Classes a layout names that are not Qt's own; null passes the class on
    // to the control factory.
    virtual QWidget* CreateControl(const QString& className, QWidget* parent);
    // For CreateControl: builds `resource` under `parent` as one control of
    // the layout being built (its controls report notifications like the
    // rest). Null when the layout is missing or cannot be built.
    QWidget* BuildSubLayout(const QString& resource, QWidget* parent);
    virtual void OnTimer(unsigned id) { (void)id; }
    // The window is closing: runs before kWmDestroy reaches HandleCustomMessage.
    virtual void OnDestroy() {}
    // A close that did not come from Close(): the window manager (Alt+F4, the
    // title bar), SC_CLOSE, or a plain QWidget::close(). It acts like the
    // window's own close button, Close(0) unless the window says otherwise;
    // it never ends the program by itself.
    virtual void OnCloseRequest() { Close(0); }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    intptr_t DispatchMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    intptr_t DefaultMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void Dispatch(const Notification& notification);
    void WireControl(QWidget* control);
    void KillTimersOf(QObject* control);
    void ApplyScale(QWidget* w, int dpi);
    void ApplyFontIds(QWidget* root);

    QPointer<QWidget> root_;
    std::unique_ptr<MessageQueue> queue_;
    int wakeFd_ = -1;
    QSocketNotifier* wakeNotifier_ = nullptr;
    std::map<std::pair<QObject*, unsigned>, QTimer*> controlTimers_;
    std::map<unsigned, QTimer*> windowTimers_;
    FontTable fonts_;
    QSize designSize_;
    int dpi_ = 96;
    bool destroyed_ = false;
    bool closing_ = false;
    bool outsideClose_ = false;
    bool outsideCloseAccepted_ = false;
    int closeResult_ = 0;
    QEventLoop* modalLoop_ = nullptr;
};

}  // namespace ui
