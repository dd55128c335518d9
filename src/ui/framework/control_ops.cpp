#include "ui/framework/control_ops.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>

namespace ui {
namespace {

QWidget* FindIn(QWidget* parent, const QString& name) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr)
            continue;
        if (w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return w;
        if (QWidget* found = FindIn(w, name))
            return found;
    }
    return nullptr;
}

}  // namespace

QWidget* FindSubControlByName(QWidget* parent, const QString& name) {
    if (parent == nullptr || name.isEmpty())
        return nullptr;
    return FindIn(parent, name);
}

QEvent::Type TextChangedEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void SetControlText(QWidget* control, const QString& text) {
    if (control == nullptr)
        return;
    if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        b->setText(text);
        QEvent changed(TextChangedEvent());
        QCoreApplication::sendEvent(b, &changed);
    } else if (auto* l = qobject_cast<QLabel*>(control))
        l->setText(text);
    else if (auto* e = qobject_cast<QLineEdit*>(control))
        e->setText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(control))
        t->setPlainText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(control))
        p->setPlainText(text);
    else if (auto* c = qobject_cast<QComboBox*>(control); c != nullptr && c->isEditable())
        c->setEditText(text);
    else
        control->setProperty("text", text);
}

QString ControlText(QWidget* control) {
    if (control == nullptr)
        return QString();
    if (auto* b = qobject_cast<QAbstractButton*>(control))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(control))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(control))
        return e->text();
    if (auto* t = qobject_cast<QTextEdit*>(control))
        return t->toPlainText();
    if (auto* p = qobject_cast<QPlainTextEdit*>(control))
        return p->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(control))
        return c->currentText();
    return control->property("text").toString();
}

void SetControlVisible(QWidget* control, bool visible) {
    if (control != nullptr)
        control->setVisible(visible);
}

void SetControlEnabled(QWidget* control, bool enabled) {
    if (control != nullptr)
        control->setEnabled(enabled);
}

void SetControlChecked(QWidget* control, bool checked) {
    if (auto* b = qobject_cast<QAbstractButton*>(control))
        b->setChecked(checked);
}

bool ControlChecked(QWidget* control) {
    auto* b = qobject_cast<QAbstractButton*>(control);
    return b != nullptr && b->isChecked();
}

void SetControlValue(QWidget* control, int value) {
    if (auto* s = qobject_cast<QAbstractSlider*>(control))
        s->setValue(value);
    else if (auto* p = qobject_cast<QProgressBar*>(control))
        p->setValue(value);
    else if (auto* sb = qobject_cast<QSpinBox*>(control))
        sb->setValue(value);
}

void SetControlCurrentIndex(QWidget* control, int index) {
    if (auto* c = qobject_cast<QComboBox*>(control))
        c->setCurrentIndex(index);
    else if (auto* s = qobject_cast<QStackedWidget*>(control))
        s->setCurrentIndex(index);
    else if (auto* t = qobject_cast<QTabWidget*>(control))
        t->setCurrentIndex(index);
    else if (auto* v = qobject_cast<QAbstractItemView*>(control); v != nullptr && v->model())
        v->setCurrentIndex(v->model()->index(index, 0, v->rootIndex()));
}

int ControlCurrentIndex(QWidget* control) {
    if (auto* c = qobject_cast<QComboBox*>(control))
        return c->currentIndex();
    if (auto* s = qobject_cast<QStackedWidget*>(control))
        return s->currentIndex();
    if (auto* t = qobject_cast<QTabWidget*>(control))
        return t->currentIndex();
    if (auto* v = qobject_cast<QAbstractItemView*>(control))
        return v->currentIndex().row();
    return -1;
}

}  // namespace ui
