#include "ui/dialogs/update_info_item.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

QWidget* Part(const QWidget* item, const char* name) {
    return FindSubControlByName(const_cast<QWidget*>(item), QString::fromLatin1(name));
}

// Text from outside the program must never be read as markup.
void SetPlainText(QWidget* control, const std::string& text) {
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setTextFormat(Qt::PlainText);
    SetControlText(control, QString::fromStdString(text));
}

void SetColours(QWidget* control, uint32_t text, uint32_t disabled) {
    if (control == nullptr)
        return;
    // Fixed colours of the state table only; no outside text enters here.
    const QString cls = QString::fromLatin1(control->metaObject()->className());
    const QString on = QColor::fromRgba(text).name(QColor::HexRgb);
    const QString off = QColor::fromRgba(disabled).name(QColor::HexRgb);
    control->setStyleSheet(
        QStringLiteral("%1 { color: %2; } %1:disabled { color: %3; }").arg(cls, on, off));
}

}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::fromLatin1(kClassName));
    setAttribute(Qt::WA_Hover);
}

void CUpdateInfoListItemUI::Show(const update::ListRow& row) {
    SetPlainText(Part(this, "check_name_select"), row.name);
    SetPlainText(Part(this, "OldRev"), row.currentText);
    QWidget* newRev = Part(this, "updateRev");
    SetPlainText(newRev, row.newText);
    SetControlVisible(newRev, !row.newText.empty());
    userData_ = QString::fromStdString(row.path);
    ApplyLook(row.state);
    QWidget* check = Part(this, "check_name_select");
    SetControlEnabled(check, row.checkEnabled);
    SetControlChecked(check, row.ticked);
    update();
}

void CUpdateInfoListItemUI::ApplyLook(int state) {
    if (state == state_)
        return;
    const update::ItemStateLook* look = update::LookOfState(state);
    if (look == nullptr)
        return;
    state_ = state;
    SetTextId(Part(this, "update_status_text"), QString::fromLatin1(look->textKey));
    SetControlVisible(Part(this, "update_status_ing"), look->busy);
    SetControlVisible(Part(this, "update_progress_value"), look->busy);
    SetControlVisible(Part(this, "update_status_ok"), look->done);
    for (const char* name : {"check_name_select", "OldRev", "updateRev", "update_status_text",
                             "update_progress_value"})
        SetColours(Part(this, name), look->textColour, look->disabledColour);
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
    SetControlText(Part(this, "update_progress_value"), QStringLiteral("%1%").arg(percent));
}

bool CUpdateInfoListItemUI::Ticked() const {
    return ControlChecked(Part(this, "check_name_select"));
}

void CUpdateInfoListItemUI::enterEvent(QEnterEvent* event) {
    hot_ = true;
    update();
    QWidget::enterEvent(event);
}

void CUpdateInfoListItemUI::leaveEvent(QEvent* event) {
    hot_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CUpdateInfoListItemUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (auto* w = qobject_cast<Window*>(window()))
            w->SendNotify(this, QStringLiteral("menu"));
        return;
    }
    QWidget::mousePressEvent(event);
}

void CUpdateInfoListItemUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (auto* w = qobject_cast<Window*>(window()))
        w->SendNotify(this, QLatin1String(notify::kItemActivate));
    QWidget::mouseDoubleClickEvent(event);
}

void CUpdateInfoListItemUI::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!hot_ || Ticked())
        return;
    QPainter painter(this);
    painter.setPen(QColor(0x00, 0x99, 0xFF));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ui
