#include "ui/controls/combo_edit_element.h"

#include <QContextMenuEvent>
#include <QDynamicPropertyChangeEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/framework/control_ops.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/notification.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"

namespace ui {

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
    setFocusPolicy(Qt::ClickFocus);
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
}

bool CComboEditContainerElementUI::Init() {
    if (built_)
        return text1_ || text2_ || delayEdit_;
    built_ = true;
    // The element's own children give way to the built layout.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        delete child;
    const QString layout = QString::fromLatin1(kLayout);
    QWidget* built = nullptr;
    if (auto* w = qobject_cast<Window*>(window()))
        built = w->BuildLayout(layout, this);
    if (built == nullptr && qobject_cast<Window*>(window()) == nullptr) {
        LayoutLoader loader;
        built = loader.Build(layout, this);
        if (built != nullptr) {
            this->layout()->addWidget(built);
            TextManager::Instance().ApplyTexts(built);
        }
    }
    if (built == nullptr)
        return false;
    text1_ = FindSubControlByName(built, QStringLiteral("text1"));
    text2_ = FindSubControlByName(built, QStringLiteral("text2"));
    delayEdit_ = FindSubControlByName(built, QStringLiteral("delay_edit"));
    return true;
}

bool CComboEditContainerElementUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("normalimage") || name == QLatin1String("hotimage") ||
        name == QLatin1String("selectedimage")) {
        return true;
    }
    if (name.compare(QLatin1String("mouse"), Qt::CaseInsensitive) == 0) {
        mouseEnabled_ = value.trimmed().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
        return true;
    }
    if (name.compare(QLatin1String("menu"), Qt::CaseInsensitive) == 0) {
        menuEnabled_ = value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        return true;
    }
    return false;
}

int CComboEditContainerElementUI::Index() const {
    QWidget* owner = parentWidget();
    if (owner == nullptr)
        return -1;
    int i = 0;
    for (auto* e : owner->findChildren<CComboEditContainerElementUI*>(Qt::FindDirectChildrenOnly)) {
        if (e == this)
            return i;
        ++i;
    }
    return -1;
}

void CComboEditContainerElementUI::Select(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        update();
    }
}

void CComboEditContainerElementUI::Notify(const char* type, uintptr_t wParam, intptr_t lParam) {
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(this, QString::fromLatin1(type), wParam, lParam);
}

void CComboEditContainerElementUI::Activate() {
    if (!isEnabled())
        return;
    Notify(notify::kItemActivate);
}

bool CComboEditContainerElementUI::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Polish:
            Init();
            break;
        case QEvent::DynamicPropertyChange: {
            const QByteArray name =
                static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
            if (!name.startsWith('_'))
                SetAttribute(QString::fromLatin1(name), property(name).toString());
            break;
        }
        default:
            break;
    }
    return QWidget::event(event);
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    if (isEnabled() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        Activate();
        Notify(notify::kReturn);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (!mouseEnabled_ || !isEnabled()) {
        event->ignore();  // the owning list has it
        return;
    }
    const bool toggle = event->modifiers().testFlag(Qt::ControlModifier);
    if (toggle) {
        Select(!selected_);
    } else {
        // One selected element among its siblings.
        if (QWidget* owner = parentWidget()) {
            for (auto* e :
                 owner->findChildren<CComboEditContainerElementUI*>(Qt::FindDirectChildrenOnly)) {
                if (e != this)
                    e->Select(false);
            }
        }
        Select(true);
    }
    const int index = Index();
    Notify(notify::kItemSelect, static_cast<uintptr_t>(std::max(index, 0)), selected_ ? 1 : 0);
    event->accept();
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!mouseEnabled_ || !isEnabled()) {
        event->ignore();
        return;
    }
    Notify(notify::kItemClick);
    event->accept();
}

void CComboEditContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!mouseEnabled_ || !isEnabled()) {
        event->ignore();
        return;
    }
    Activate();
    event->accept();
}

void CComboEditContainerElementUI::enterEvent(QEnterEvent* event) {
    if (mouseEnabled_ && isEnabled() && !hot_) {
        hot_ = true;
        update();
    }
    QWidget::enterEvent(event);
}

void CComboEditContainerElementUI::leaveEvent(QEvent* event) {
    if (hot_) {
        hot_ = false;
        update();
    }
    QWidget::leaveEvent(event);
}

void CComboEditContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
    if (!menuEnabled_ || !isEnabled()) {
        event->ignore();
        return;
    }
    const QPoint p = event->pos();
    Notify(notify::kMenu, 0, (static_cast<intptr_t>(p.y()) << 16) | (p.x() & 0xFFFF));
    event->accept();
}

void CComboEditContainerElementUI::paintEvent(QPaintEvent*) {
    if (!selected_ && !hot_)
        return;
    QPainter p(this);
    p.fillRect(rect(), selected_ ? QColor(0, 120, 215, 70) : QColor(255, 255, 255, 30));
}

}  // namespace ui
