#include "ui/dialogs/msg_wnd.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

#include "platform/debug_output.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"

namespace ui {
namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 180;

MessageAnswerer& Answerer() {
    static MessageAnswerer answerer;
    return answerer;
}

bool IsWindowScale(int dpi) {
    return dpi >= 48 && dpi <= 192 && dpi % 24 == 0;
}

void CenterOver(Window* window, QWidget* owner) {
    if (owner == nullptr || !owner->isVisible()) {
        window->CenterWindow();
        return;
    }
    const QRect o = owner->frameGeometry();
    window->move(o.center() - QPoint(window->width() / 2, window->height() / 2));
}

// Plain text for a label, dropping any text id it had from the layout.
void SetPlainText(QWidget* control, const QString& text) {
    if (control == nullptr)
        return;
    control->setProperty("textId", QVariant());
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setTextFormat(Qt::PlainText);
    SetControlText(control, text);
}

}  // namespace

CMsgWnd::CMsgWnd() {
    setObjectName(QStringLiteral("MsgWnd"));
    // A frameless tool popup over its owner, kept out of the task bar.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
}

void CMsgWnd::InitWindow() {
    closeBtn_ = FindControl(QStringLiteral("closebtn"));
}

void CMsgWnd::SetTitle(const QString& title) {
    if (!title.isEmpty())
        SetPlainText(FindControl(QStringLiteral("MessageTitle")), title);
}

void CMsgWnd::SetText(const QString& text, bool isId) {
    if (text.isEmpty())
        return;
    QWidget* label = FindControl(QStringLiteral("MessageText"));
    if (isId)
        SetTextId(label, text);
    else
        SetPlainText(label, text);
}

void CMsgWnd::SetDpi(int dpi) {
    if (dpi == dpi_)
        return;
    if (!IsWindowScale(dpi)) {
        platform::DebugOutput("MSG_WND DPI SET ERROR");
        dpi = 96;
    }
    dpi_ = dpi;
    SetDPI(dpi);
}

void CMsgWnd::SetButtons(int mode) {
    QWidget* confirm = FindControl(QStringLiteral("confirm_btn"));
    QWidget* cancel = FindControl(QStringLiteral("cancel_btn"));
    if (mode == kMessageInfo) {
        SetControlVisible(cancel, false);
        SetControlVisible(confirm, true);
    } else if (mode == kMessageQuestion) {
        SetControlVisible(cancel, true);
        SetControlVisible(confirm, true);
    }
}

void CMsgWnd::Notify(const Notification& n) {
    if (n.type != QLatin1String(notify::kClick) || !n.sender)
        return;
    const QString name = n.sender->objectName().toLower();
    if (name == QLatin1String("confirm_btn"))
        Close(1);
    else if (name == QLatin1String("cancel_btn") || name == QLatin1String("closebtn"))
        Close(0);
}

void CMsgWnd::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Close(1);
            return;
        case Qt::Key_Escape:
            Close(0);
            return;
        default:
            Window::keyPressEvent(event);
    }
}

int ShowMessage(QWidget* parent, const QString& title, const QString& text, int dpi, bool textIsId,
                int buttons) {
    QPointer<CMsgWnd> window = new CMsgWnd();
    if (!window->Create(parent, QStringLiteral("msgwnd"), kWidth, kHeight)) {
        platform::DebugOutput("message window layout missing");
        delete window.data();
        return 0;
    }
    window->SetTitle(title);
    window->SetText(text, textIsId);
    window->SetDpi(dpi);
    window->SetButtons(buttons);
    int result = 0;
    if (Answerer()) {
        result = Answerer()(*window);
    } else {
        CenterOver(window, parent);
        result = window->ShowModal();
    }
    // The owner may have gone (and taken the window with it) meanwhile.
    delete window.data();
    return result;
}

void SetMessageAnswerer(MessageAnswerer answerer) {
    Answerer() = std::move(answerer);
}

}  // namespace ui
