#include "ui/controls/wnd_host.h"

#include <QEvent>

namespace ui {

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

void CWndUI::AttachWidget(QWidget* widget) {
    window_.clear();
    widget_ = widget;
    WatchAncestors();
    Follow();
}

void CWndUI::AttachWindow(QWindow* window) {
    widget_.clear();
    window_ = window;
    WatchAncestors();
    Follow();
}

void CWndUI::WatchAncestors() {
    for (const QPointer<QWidget>& w : watched_) {
        if (w)
            w->removeEventFilter(this);
    }
    watched_.clear();
    if (!widget_ && !window_)
        return;
    // A layout moves a container, not the control inside it: every
    // ancestor's moves move the control on the screen.
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        w->installEventFilter(this);
        watched_.append(w);
    }
}

void CWndUI::Follow() {
    const bool shown = isVisible();
    if (widget_) {
        QWidget* host = widget_->parentWidget();
        QRect target = rect();
        if (host != nullptr && host->window() == window()) {
            target.moveTopLeft(mapTo(host, QPoint(0, 0)));
        } else {
            target.moveTopLeft(mapToGlobal(QPoint(0, 0)));
        }
        if (widget_->geometry() != target)
            widget_->setGeometry(target);
        widget_->setVisible(shown);
    } else if (window_) {
        const QRect target(mapToGlobal(QPoint(0, 0)), size());
        if (window_->geometry() != target)
            window_->setGeometry(target);
        window_->setVisible(shown);
    }
}

bool CWndUI::event(QEvent* event) {
    const bool result = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ParentChange:
            if (event->type() == QEvent::ParentChange)
                WatchAncestors();
            Follow();
            break;
        default:
            break;
    }
    return result;
}

bool CWndUI::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            Follow();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui
