#include "ui/controls/colour_fill.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QWidget>

#include "profile/colour_swatches.h"

namespace ui {
namespace {

constexpr const char* kProperty = "bkcolor";
constexpr const char* kPainterName = "_qx70ColourFill";

std::optional<uint32_t> ParseColour(QString text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('#')))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    return profile::ParseSwatchColour(text.toStdString());
}

class ColourFillPainter : public QObject {
  public:
    explicit ColourFillPainter(QWidget* widget) : QObject(widget) {
        setObjectName(QString::fromLatin1(kPainterName));
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        auto* w = static_cast<QWidget*>(watched);
        const std::optional<uint32_t> colour = ControlBkColor(w);
        if (!colour)
            return false;
        QPainter p(w);
        const QColor fill(static_cast<int>(*colour >> 16 & 0xFF),
                          static_cast<int>(*colour >> 8 & 0xFF), static_cast<int>(*colour & 0xFF),
                          static_cast<int>(*colour >> 24));
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const bool marked = button != nullptr && button->isCheckable() && button->isChecked();
        QRect r = w->rect();
        if (button != nullptr) {
            // Swatches: a small inset keeps neighbours apart and leaves room
            // for the selection ring.
            r.adjust(2, 2, -2, -2);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(marked ? QPen(Qt::white, 2) : QPen(QColor(0, 0, 0, 90), 1));
            p.setBrush(fill);
            p.drawRoundedRect(r, 3, 3);
        } else {
            p.fillRect(r, fill);
        }
        return false;
    }
};

}  // namespace

std::optional<uint32_t> ControlBkColor(const QWidget* control) {
    if (control == nullptr)
        return std::nullopt;
    const QVariant v = control->property(kProperty);
    if (!v.isValid())
        return std::nullopt;
    if (v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::LongLong ||
        v.typeId() == QMetaType::ULongLong)
        return static_cast<uint32_t>(v.toULongLong());
    return ParseColour(v.toString());
}

void SetControlBkColor(QWidget* control, uint32_t argb) {
    if (control == nullptr)
        return;
    if (control->findChild<ColourFillPainter*>(QString::fromLatin1(kPainterName),
                                               Qt::FindDirectChildrenOnly) == nullptr)
        control->installEventFilter(new ColourFillPainter(control));
    control->setProperty(kProperty, QVariant::fromValue(static_cast<uint>(argb)));
    control->update();
}

void ClearControlBkColor(QWidget* control) {
    if (control == nullptr)
        return;
    control->setProperty(kProperty, QVariant());
    control->update();
}

void BindColourFills(QWidget* root) {
    if (root == nullptr)
        return;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (const std::optional<uint32_t> c = ControlBkColor(w))
            SetControlBkColor(w, *c);
    }
}

}  // namespace ui
