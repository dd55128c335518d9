// CWndUI ("Wnd"): keeps another window on the control's rectangle. The
// attached window is moved to the control after every move, resize, show
// and hide of the control or of a widget it lies in, shown while the
// control is visible and hidden otherwise. A window that is not a child of
// the control's window is placed in screen coordinates. Nothing happens
// while no window is attached (or the attached one is gone).
#pragma once

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace ui {

class CWndUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "Wnd";

    explicit CWndUI(QWidget* parent = nullptr);

    // Attaching one kind detaches the other; null detaches.
    void AttachWidget(QWidget* widget);
    // A native window of another program, or a Qt window (QWindow::fromWinId).
    void AttachWindow(QWindow* window);
    QWidget* AttachedWidget() const { return widget_; }
    QWindow* AttachedWindow() const { return window_; }

    // Puts the attached window on the control now.
    void Follow();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void WatchAncestors();

    QPointer<QWidget> widget_;
    QPointer<QWindow> window_;
    QList<QPointer<QWidget>> watched_;
};

}  // namespace ui
