#include "ui/controls/image_button.h"

#include <QDynamicPropertyChangeEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/controls/image_painter.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/window.h"

namespace ui {

bool SameName(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

CImageButtonUI::CImageButtonUI(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

bool CImageButtonUI::SetAttribute(const QString& name, const QString& value) {
    QString* target = SameName(name, "normalimage")     ? &normalImage_
                      : SameName(name, "hotimage")      ? &hotImage_
                      : SameName(name, "pushedimage")   ? &pushedImage_
                      : SameName(name, "disabledimage") ? &disabledImage_
                                                        : nullptr;
    if (target == nullptr)
        return false;
    if (*target != value) {
        *target = value;
        update();
    }
    return true;
}

void CImageButtonUI::SetNormalImage(const QString& image) {
    if (StoreNormalImage(image))
        update();
}

bool CImageButtonUI::StoreNormalImage(const QString& image) {
    if (image == normalImage_)
        return false;
    normalImage_ = image;
    return true;
}

const QString& CImageButtonUI::StatusImage() const {
    if (!isEnabled() && !disabledImage_.isEmpty())
        return disabledImage_;
    if (isDown() && !pushedImage_.isEmpty())
        return pushedImage_;
    if (hot_ && !hotImage_.isEmpty())
        return hotImage_;
    return normalImage_;
}

void CImageButtonUI::SetHot(bool hot) {
    if (hot != hot_) {
        hot_ = hot;
        update();
    }
}

void CImageButtonUI::Notify(const char* type, uintptr_t wParam, intptr_t lParam) {
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(this, QString::fromLatin1(type), wParam, lParam);
}

bool CImageButtonUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        // Our own bookkeeping properties start with '_'.
        if (!name.startsWith('_'))
            SetAttribute(QString::fromLatin1(name), property(name).toString());
    } else if (event->type() == LayoutAttributeEvent::EventType()) {
        // A layout attribute named like one of Qt's own properties.
        const auto* attribute = static_cast<LayoutAttributeEvent*>(event);
        SetAttribute(attribute->Name(), attribute->Value());
        return true;
    }
    return QPushButton::event(event);
}

void CImageButtonUI::PaintStatus(QPainter& painter) {
    const QString& image = StatusImage();
    if (!image.isEmpty())
        DrawImageString(painter, rect(), image, WidgetDpi(this));
    if (!text().isEmpty()) {
        QStyleOptionButton option;
        initStyleOption(&option);
        style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
    }
}

void CImageButtonUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintStatus(p);
}

}  // namespace ui
