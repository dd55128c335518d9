#include "ui/controls/select_panel.h"

#include <QChildEvent>
#include <QDynamicPropertyChangeEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/device_key_button.h"
#include "ui/framework/notification.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

// Forwards the mouse events of the panel's buttons to the panel, so a drag
// that starts on a key still selects.
class ChildMouseFilter : public QObject {
  public:
    explicit ChildMouseFilter(CSelectPanelUI* panel) : QObject(panel), panel_(panel) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CSelectPanelUI* panel_;
};

}  // namespace

class SelectPanelAccess {
  public:
    static void Press(CSelectPanelUI* p, QPoint at) { p->OnPress(at); }
    static void Move(CSelectPanelUI* p, QPoint at) { p->OnMove(at); }
    static void Release(CSelectPanelUI* p) { p->OnRelease(); }
};

bool ChildMouseFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* child = qobject_cast<QWidget*>(watched);
    if (child == nullptr || child->parentWidget() != panel_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint at = child->mapTo(panel_, me->position().toPoint());
            if (event->type() == QEvent::MouseButtonPress) {
                if (me->button() == Qt::LeftButton) {
                    SelectPanelAccess::Press(panel_, at);
                }
            } else if (event->type() == QEvent::MouseMove) {
                SelectPanelAccess::Move(panel_, at);
            } else if (me->button() == Qt::LeftButton) {
                SelectPanelAccess::Release(panel_);
            }
            break;
        }
        default:
            break;
    }
    return false;
}

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QStringLiteral("SelectPanel"));
    filter_ = new ChildMouseFilter(this);
}

bool CSelectPanelUI::SetAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("bkimage"), Qt::CaseInsensitive) == 0) {
        bkImage_ = value;
        update();
        return true;
    }
    return false;
}

bool CSelectPanelUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        SetAttribute(QString::fromLatin1(name), property(name).toString());
    } else if (event->type() == QEvent::ChildAdded) {
        if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
            w->installEventFilter(filter_);
        }
    }
    return QWidget::event(event);
}

void CSelectPanelUI::paintEvent(QPaintEvent*) {
    if (bkImage_.isEmpty()) {
        return;
    }
    const QPixmap& picture = SkinPixmap(bkImage_);
    if (!picture.isNull()) {
        QPainter p(this);
        p.drawPixmap(0, 0, picture);
    }
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnPress(event->position().toPoint());
    }
    QWidget::mousePressEvent(event);
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    OnMove(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnRelease();
    }
    QWidget::mouseReleaseEvent(event);
}

void CSelectPanelUI::OnPress(QPoint at) {
    if (!isEnabled()) {
        return;
    }
    pressed_ = true;
    start_ = at;
}

void CSelectPanelUI::OnMove(QPoint at) {
    if (pressed_) {
        dragging_ = true;
    }
    if (!dragging_) {
        return;
    }
    current_ = at;
    selection_ =
        QRect(QPoint(std::min(start_.x(), current_.x()), std::min(start_.y(), current_.y())),
              QPoint(std::max(start_.x(), current_.x()), std::max(start_.y(), current_.y())));
}

void CSelectPanelUI::OnRelease() {
    pressed_ = false;
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    start_ = current_;
    for (QObject* child : children()) {
        auto* button = qobject_cast<CDeviceKeyButtonUI*>(child);
        if (button == nullptr) {
            continue;
        }
        // A hidden button is no key of this picture.
        button->SetInSelection(
            button->isVisibleTo(this) && button->geometry().intersects(selection_) ? 1 : 0);
    }
    update();
    if (auto* w = qobject_cast<Window*>(window())) {
        w->SendNotify(this, QString::fromLatin1(notify::kClickSelectEnd));
    }
    if (selectEnd_) {
        selectEnd_(this);
    }
}

}  // namespace ui
