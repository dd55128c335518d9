#include "ui/controls/device_key_button.h"

#include <QDynamicPropertyChangeEvent>
#include <QFontMetrics>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/controls/select_panel.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui/framework/skin.h"
#include "ui/framework/window.h"

namespace ui {

const QPixmap& SkinPixmap(const QString& imageString) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(imageString);
    if (it != cache.end()) {
        return *it;
    }
    QString file = imageString.trimmed();
    static const QRegularExpression fileKey(QStringLiteral("file='([^']*)'"));
    const QRegularExpressionMatch m = fileKey.match(file);
    if (m.hasMatch()) {
        file = m.captured(1);
    }
    QPixmap pixmap;
    const QString path = Skin::Instance().FilePath(file);
    if (!path.isEmpty()) {
        pixmap.load(path);
    }
    return *cache.insert(imageString, pixmap);
}

const QPixmap& ScaledSkinPixmap(const QString& imageString, QSize size) {
    static QHash<QString, QPixmap> cache;
    static const QPixmap none;
    const QPixmap& source = SkinPixmap(imageString);
    if (source.isNull() || size.isEmpty()) {
        return none;
    }
    if (source.size() == size) {
        return source;
    }
    const QString key = imageString + QLatin1Char('|') + QString::number(size.width()) +
                        QLatin1Char('x') + QString::number(size.height());
    auto it = cache.find(key);
    if (it != cache.end()) {
        return *it;
    }
    return *cache.insert(key, source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

double WindowScale(const QWidget* w) {
    const auto* window = w != nullptr ? qobject_cast<const Window*>(w->window()) : nullptr;
    return window != nullptr ? window->DPI() / 96.0 : 1.0;
}

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setProperty("controlClass", QStringLiteral("DeviceKeyButton"));
}

QColor CDeviceKeyButtonUI::TintRgb(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 16 & 0xFF),
                  static_cast<int>(colour >> 8 & 0xFF));
}

void CDeviceKeyButtonUI::SetLightTint(uint32_t colour, int alpha, bool on) {
    alpha = std::clamp(alpha, 0, 255);
    if (colour == tintColour_ && alpha == tintAlpha_ && on == tintOn_) {
        return;
    }
    tintColour_ = colour;
    tintAlpha_ = alpha;
    tintOn_ = on;
    if (paintedBy_ != nullptr) {
        paintedBy_->ButtonChanged(this);
    } else {
        update();
    }
}

void CDeviceKeyButtonUI::setVisible(bool visible) {
    if (paintedBy_ == nullptr) {
        QPushButton::setVisible(visible);
    } else if (visible != shownOnPanel_) {
        shownOnPanel_ = visible;
        paintedBy_->ButtonChanged(this);
    }
}

void CDeviceKeyButtonUI::setText(const QString& text) {
    QPushButton::setText(text);
    if (paintedBy_ != nullptr) {
        paintedBy_->ButtonChanged(this);
    }
}

bool CDeviceKeyButtonUI::IsShownOnPanel() const {
    if (paintedBy_ != nullptr) {
        return shownOnPanel_;
    }
    return parentWidget() != nullptr ? isVisibleTo(parentWidget()) : !isHidden();
}

bool CDeviceKeyButtonUI::IsShown() const {
    return paintedBy_ != nullptr ? shownOnPanel_ && paintedBy_->isVisible() : isVisible();
}

void CDeviceKeyButtonUI::SetKeysetImageHidden(bool hidden) {
    if (hidden != keysetImageHidden_) {
        keysetImageHidden_ = hidden;
        if (paintedBy_ != nullptr) {
            paintedBy_->ButtonChanged(this);
        } else {
            update();
        }
    }
}

bool CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("lightimage"), Qt::CaseInsensitive) == 0) {
        lightImage_ = value;
        tintedColour_ = 0xFFFFFFFFu;
        if (!value.isEmpty()) {
            tintOn_ = true;
        }
        if (paintedBy_ != nullptr) {
            paintedBy_->ButtonChanged(this);
        } else if (auto* panel = qobject_cast<CSelectPanelUI*>(parentWidget());
                   panel != nullptr && !value.isEmpty()) {
            panel->AdoptLight(this);
        } else {
            update();
        }
        return true;
    }
    if (name.compare(QLatin1String("keysetimage"), Qt::CaseInsensitive) == 0) {
        keysetImage_ = value;
        if (paintedBy_ != nullptr) {
            paintedBy_->ButtonChanged(this);
        } else {
            update();
        }
        return true;
    }
    return false;
}

bool CDeviceKeyButtonUI::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName();
        SetAttribute(QString::fromLatin1(name), property(name).toString());
    } else if (paintedBy_ != nullptr &&
               (event->type() == QEvent::EnabledChange || event->type() == TextChangedEvent())) {
        paintedBy_->ButtonChanged(this);
    }
    return QPushButton::event(event);
}

const QPixmap& CDeviceKeyButtonUI::TintedLight() {
    if (tintedColour_ == tintColour_ && tintedSize_ == size()) {
        return tinted_;
    }
    tintedColour_ = tintColour_;
    tintedSize_ = size();
    tinted_ = QPixmap();
    if (width() <= 0 || height() <= 0) {
        return tinted_;
    }
    if (scaledSize_ != size() || scaledFrom_ != lightImage_) {
        scaledSize_ = size();
        scaledFrom_ = lightImage_;
        scaledLight_ = QPixmap();
        const QPixmap& source = SkinPixmap(lightImage_);
        if (!source.isNull()) {
            scaledLight_ = source.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
    }
    if (scaledLight_.isNull()) {
        return tinted_;
    }
    QPixmap out = scaledLight_.copy();
    QPainter p(&out);
    // Keep the image's alpha, take the colour of the tint.
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(rect(), TintRgb(tintColour_));
    p.end();
    tinted_ = out;
    return tinted_;
}

const QPixmap& CDeviceKeyButtonUI::Legend() {
    if (legendText_ == text() && legendSize_ == size() && legendEnabled_ == isEnabled() &&
        legendScale_ == WindowScale(this)) {
        return legend_;
    }
    legendText_ = text();
    legendSize_ = size();
    legendEnabled_ = isEnabled();
    legendScale_ = WindowScale(this);
    legend_ = QPixmap();
    if (width() <= 0 || height() <= 0) {
        return legend_;
    }
    QPixmap out(size());
    out.fill(Qt::transparent);
    QPainter p(&out);
    // The key legend, as the picture's caps carry none.
    p.setPen(isEnabled() ? QColor(230, 230, 235) : QColor(120, 120, 128));
    QFont f = font();
    // 8 to 11 pixels at design size, growing with the window's scale; a
    // legend that does not fit its key gets smaller, down to 6, rather
    // than losing letters at the sides.
    const double scale = WindowScale(this);
    const QRect area = rect().adjusted(2, 1, -2, -1);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    int pixels =
        std::max(static_cast<int>(8 * scale), std::min(static_cast<int>(11 * scale), height() / 3));
    const int smallest = std::max(1, static_cast<int>(6 * scale));
    for (;; --pixels) {
        f.setPixelSize(pixels);
        const QRect needed = QFontMetrics(f).boundingRect(area, flags, text());
        if (pixels <= smallest ||
            (needed.width() <= area.width() && needed.height() <= area.height())) {
            break;
        }
    }
    p.setFont(f);
    p.drawText(area, flags, text());
    p.end();
    legend_ = out;
    return legend_;
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    const bool lit = tintOn_ && !lightImage_.isEmpty() && tintAlpha_ > 0;
    const int highlight = isDown() ? 60 : underMouse() ? 30 : 0;
    if (!lit && !KeyMarked() && highlight == 0 && text().isEmpty()) {
        return;  // a painter is not free
    }
    QPainter p(this);
    if (lit) {
        p.setOpacity(tintAlpha_ / 255.0);
        p.drawPixmap(0, 0, TintedLight());
        p.setOpacity(1.0);
    }
    PaintKeyFace(p, highlight);
}

void CDeviceKeyButtonUI::PaintKeyFace(QPainter& p, int highlightAlpha) {
    if (!text().isEmpty()) {
        p.drawPixmap(0, 0, Legend());
    }
    if (highlightAlpha > 0) {
        p.fillRect(rect(), QColor(255, 255, 255, highlightAlpha));
    }
    if (KeyMarked()) {
        // The mark keeps its design size and inset relative to the key.
        const double scale = WindowScale(this);
        const QPixmap& source = SkinPixmap(keysetImage_);
        const QPixmap& mark =
            ScaledSkinPixmap(keysetImage_, (QSizeF(source.size()) * scale).toSize());
        if (!mark.isNull()) {
            const int inset = static_cast<int>(2 * scale);
            p.drawPixmap(width() - mark.width() - inset, inset, mark);
        }
    }
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!isEnabled() || !rect().contains(event->position().toPoint())) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    // Pushed and captured until the release.
    setDown(true);
    if (auto* w = qobject_cast<Window*>(window())) {
        w->SendNotify(this, QString::fromLatin1(notify::kDbClick));
    }
    update();
    event->accept();
}

void RegisterKeyboardPictureControls() {
    ControlFactory& factory = ControlFactory::Instance();
    const auto button = [](QWidget* parent) -> QWidget* { return new CDeviceKeyButtonUI(parent); };
    const auto panel = [](QWidget* parent) -> QWidget* { return new CSelectPanelUI(parent); };
    factory.RegisterControl(QStringLiteral("DeviceKeyButton"), button);
    factory.RegisterControl(QStringLiteral("CDeviceKeyButtonUI"), button);
    factory.RegisterControl(QStringLiteral("SelectPanel"), panel);
    factory.RegisterControl(QStringLiteral("CSelectPanelUI"), panel);
}

}  // namespace ui
