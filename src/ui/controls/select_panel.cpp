#include "ui/controls/select_panel.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QDynamicPropertyChangeEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cstring>

#include "ui/controls/device_key_button.h"
#include "ui/controls/light_blend.h"
#include "ui/framework/notification.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

const auto kLightsChangedEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

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
    // Every event of every button passes here, paints included.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
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
        baseValid_ = false;
        update();
        return true;
    }
    return false;
}

bool CSelectPanelUI::event(QEvent* event) {
    if (event->type() == kLightsChangedEvent) {
        updatePosted_ = false;
        update(pendingUpdate_);
        pendingUpdate_ = QRect();
        return true;
    }
    switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::Show:
        case QEvent::StyleChange:
        case QEvent::PaletteChange:
        case QEvent::ParentChange:
            baseValid_ = false;
            break;
        default:
            break;
    }
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

CSelectPanelUI::~CSelectPanelUI() {
    // The buttons outlive this part of the panel while QWidget deletes them.
    for (PaintedLight& light : lights_) {
        if (light.button) {
            light.button->paintedBy_ = nullptr;
        }
    }
}

void CSelectPanelUI::AdoptLight(CDeviceKeyButtonUI* light) {
    if (light == nullptr || light->paintedBy_ != nullptr || light->parentWidget() != this) {
        return;
    }
    light->shownOnPanel_ = light->isVisibleTo(this);
    light->QPushButton::setVisible(false);
    light->paintedBy_ = this;
    // The panel now paints every pixel it covers (see BuildBase), which
    // spares Qt painting the window's background beneath it on each frame.
    setAttribute(Qt::WA_OpaquePaintEvent);
    light->panelIndex_ = lights_.size();
    PaintedLight entry;
    entry.button = light;
    entry.rect = light->geometry();
    entry.shown = light->shownOnPanel_;
    lights_.push_back(std::move(entry));
    anyLightDirty_ = true;
    update(light->geometry());
}

void CSelectPanelUI::LightChanged(CDeviceKeyButtonUI* light) {
    if (light == nullptr || light->paintedBy_ != this || light->panelIndex_ >= lights_.size()) {
        return;
    }
    PaintedLight& entry = lights_[light->panelIndex_];
    entry.dirty = true;
    anyLightDirty_ = true;
    if (!isVisible()) {
        return;
    }
    // One rectangle per batch of changes: a region of a hundred separate
    // squares costs Qt more to clip every child against than the copy of
    // the few pixels between them.
    pendingUpdate_ |= entry.drawn ? entry.rect.united(light->geometry()) : light->geometry();
    if (!updatePosted_) {
        updatePosted_ = true;
        QCoreApplication::postEvent(this, new QEvent(kLightsChangedEvent));
    }
}

const QImage& CSelectPanelUI::LightMask(const QString& image, QSize size) {
    const QString key = image + QLatin1Char('|') + QString::number(size.width()) +
                        QLatin1Char('x') + QString::number(size.height());
    auto it = masks_.find(key);
    if (it != masks_.end()) {
        return *it;
    }
    QImage mask;
    const QPixmap& source = SkinPixmap(image);
    if (!source.isNull() && !size.isEmpty()) {
        mask = source.toImage()
                   .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_Alpha8);
    }
    return *masks_.insert(key, mask);
}

void CSelectPanelUI::DrawLight(PaintedLight& light, const QImage& under) {
    const CDeviceKeyButtonUI& button = *light.button;
    const QRect at = light.rect;
    if (light.mask.size() != at.size() || light.maskImage != button.LightImage()) {
        light.maskImage = button.LightImage();
        light.mask = LightMask(light.maskImage, at.size());
    }
    if (light.mask.isNull()) {
        return;
    }
    const uint32_t tint = 0xFF000000u | CDeviceKeyButtonUI::TintRgb(button.TintColour()).rgb();
    const auto alpha = static_cast<uint32_t>(button.TintAlpha());
    const QRect clipped = at.intersected(frame_.rect());
    const uchar* from = under.constBits();
    uchar* to = frame_.bits();
    const qsizetype stride = frame_.bytesPerLine();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        const uchar* m = light.mask.constScanLine(y - at.top()) + (clipped.left() - at.left());
        BlendTintRow(reinterpret_cast<const uint32_t*>(from + y * stride) + clipped.left(),
                     reinterpret_cast<uint32_t*>(to + y * stride) + clipped.left(), m,
                     clipped.width(), tint, alpha);
    }
}

void CSelectPanelUI::BuildBase() {
    base_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    base_.fill(palette().color(QPalette::Window));
    basePosition_ = mapTo(window(), QPoint());
    // What lies beneath the panel: each ancestor's own painting (background
    // images come from style sheets), from the window down.
    std::vector<QWidget*> ancestors;
    for (QWidget* w = parentWidget(); w != nullptr;
         w = w->isWindow() ? nullptr : w->parentWidget()) {
        ancestors.push_back(w);
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        const QRect area(mapTo(*it, QPoint()), size());
        (*it)->render(
            &base_, QPoint(), QRegion(area),
            it == ancestors.rbegin() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
    }
    // The picture fills the panel, so it scales with the window like the
    // buttons laid over it.
    const QPixmap& picture = ScaledSkinPixmap(bkImage_, size());
    if (!picture.isNull()) {
        QPainter p(&base_);
        p.drawPixmap(0, 0, picture);
    }
    baseValid_ = true;
}

void CSelectPanelUI::CopyBase(const QRect& area) {
    const QRect clipped = area.intersected(frame_.rect());
    const uchar* from = base_.constBits();
    uchar* to = frame_.bits();
    const qsizetype stride = frame_.bytesPerLine();
    const auto offset = static_cast<qsizetype>(clipped.left()) * 4;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        std::memcpy(to + y * stride + offset, from + y * stride + offset,
                    static_cast<size_t>(clipped.width()) * 4);
    }
}

void CSelectPanelUI::RenderLights() {
    bool full = false;
    if (!baseValid_ || base_.size() != size() || basePosition_ != mapTo(window(), QPoint())) {
        BuildBase();
        frame_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        full = true;
    }
    // A moved, shown or hidden button (the window was scaled, the layout
    // changed) redraws the whole frame.
    for (PaintedLight& light : lights_) {
        const QRect now = light.button ? light.button->geometry() : QRect();
        const bool shown = light.button && light.button->shownOnPanel_;
        if (now != light.rect || shown != light.shown) {
            light.rect = now;
            light.shown = shown;
            full = true;
        }
    }
    if (!full && !anyLightDirty_) {
        return;
    }
    const auto wanted = [](const PaintedLight& light) {
        const CDeviceKeyButtonUI* b = light.button.data();
        return b != nullptr && b->shownOnPanel_ && b->tintOn_ && b->tintAlpha_ > 0 &&
               !b->lightImage_.isEmpty() && !light.rect.isEmpty();
    };
    if (full) {
        lightsOverlap_ = false;
        for (size_t i = 0; i < lights_.size() && !lightsOverlap_; ++i) {
            for (size_t j = i + 1; j < lights_.size() && !lightsOverlap_; ++j) {
                lightsOverlap_ = lights_[i].shown && lights_[j].shown &&
                                 lights_[i].rect.intersects(lights_[j].rect);
            }
        }
    }
    // Restoring one light's square must not cut into a neighbour's, so a
    // picture whose lights overlap is always drawn whole.
    full = full || lightsOverlap_;
    if (full) {
        CopyBase(frame_.rect());
        for (PaintedLight& light : lights_) {
            light.dirty = true;
            light.drawn = false;
        }
    }
    for (PaintedLight& light : lights_) {
        if (!light.dirty) {
            continue;
        }
        light.dirty = false;
        const bool wasDrawn = light.drawn;
        light.drawn = wanted(light);
        if (light.drawn) {
            // Lights that do not overlap are drawn straight over the base.
            DrawLight(light, full ? frame_ : base_);
        } else if (wasDrawn) {
            CopyBase(light.rect);
        }
    }
    anyLightDirty_ = false;
}

void CSelectPanelUI::paintEvent(QPaintEvent* event) {
    if (lights_.empty()) {
        // A picture without lights: the background image only.
        const QPixmap& picture = ScaledSkinPixmap(bkImage_, size());
        if (!picture.isNull()) {
            QPainter p(this);
            p.drawPixmap(0, 0, picture);
        }
        return;
    }
    RenderLights();
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    // Short bands: Qt hands tall fills to its thread pool, whose wake-ups
    // cost more than copying a few thousand pixels.
    constexpr int kBand = 48;
    for (const QRect& r : event->region()) {
        const QRect area = r.intersected(frame_.rect());
        for (int y = area.top(); y <= area.bottom(); y += kBand) {
            const QRect band(area.left(), y, area.width(), std::min(kBand, area.bottom() + 1 - y));
            p.drawImage(band, frame_, band);
        }
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
            button->IsShownOnPanel() && button->geometry().intersects(selection_) ? 1 : 0);
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
