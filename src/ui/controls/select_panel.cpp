#include "ui/controls/select_panel.h"

#include <QBackingStore>
#include <QChildEvent>
#include <QCoreApplication>
#include <QDynamicPropertyChangeEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "ui/controls/device_key_button.h"
#include "ui/controls/light_blend.h"
#include "ui/framework/notification.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

const auto kLightsChangedEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Premultiplied `src` over `dst`.
inline uint32_t SourceOver(uint32_t src, uint32_t dst) {
    const uint32_t alpha = src >> 24;
    if (alpha == 0) {
        return dst;
    }
    if (alpha == 255) {
        return src;
    }
    const uint32_t keep = 255 - alpha;
    uint32_t rb = (dst & 0x00FF00FFu) * keep;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((dst >> 8) & 0x00FF00FFu) * keep;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu) + 0x00800080u) & 0xFF00FF00u;
    return src + (rb | ag);
}

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
    setMouseTracking(true);  // the hover highlight of the keys
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
        if (DrawChangesDirect(pendingUpdate_)) {
            pendingUpdate_ = QRect();
            return true;
        }
        update(pendingUpdate_);
        askedUpdate_ |= pendingUpdate_;
        pendingUpdate_ = QRect();
        return true;
    }
    if (event->type() == QEvent::Show) {
        AdoptKeys();
    } else if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int k = KeyAt(help->pos());
        const QString tip = k >= 0 ? keys_[k].button->toolTip() : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, keys_[k].rect);
        }
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
    for (PaintedKey& key : keys_) {
        if (key.button) {
            key.button->paintedBy_ = nullptr;
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

void CSelectPanelUI::AdoptKeys() {
    if (keysAdopted_) {
        return;
    }
    keysAdopted_ = true;
    for (QObject* child : children()) {
        auto* key = qobject_cast<CDeviceKeyButtonUI*>(child);
        if (key != nullptr && key->paintedBy_ == nullptr && key->lightImage_.isEmpty()) {
            AdoptKey(key);
        }
    }
}

void CSelectPanelUI::AdoptKey(CDeviceKeyButtonUI* key) {
    if (key == nullptr || key->paintedBy_ != nullptr || key->parentWidget() != this) {
        return;
    }
    key->shownOnPanel_ = key->isVisibleTo(this);
    key->QPushButton::setVisible(false);
    key->paintedBy_ = this;
    key->panelKey_ = true;
    setAttribute(Qt::WA_OpaquePaintEvent);
    key->panelIndex_ = keys_.size();
    PaintedKey entry;
    entry.button = key;
    entry.rect = key->geometry();
    entry.shown = key->shownOnPanel_;
    keys_.push_back(std::move(entry));
    update(key->geometry());
}

void CSelectPanelUI::ButtonChanged(CDeviceKeyButtonUI* button) {
    if (button == nullptr || button->paintedBy_ != this) {
        return;
    }
    QRect area;
    if (button->panelKey_) {
        if (button->panelIndex_ >= keys_.size()) {
            return;
        }
        PaintedKey& entry = keys_[button->panelIndex_];
        entry.dirty = true;
        area = entry.rect.united(button->geometry());
    } else {
        if (button->panelIndex_ >= lights_.size()) {
            return;
        }
        PaintedLight& entry = lights_[button->panelIndex_];
        entry.dirty = true;
        anyLightDirty_ = true;
        area = entry.drawn ? entry.rect.united(button->geometry()) : button->geometry();
    }
    if (!isVisible()) {
        return;
    }
    // One rectangle per batch of changes: a region of a hundred separate
    // squares costs Qt more to clip every child against than the copy of
    // the few pixels between them.
    pendingUpdate_ |= area;
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

bool CSelectPanelUI::DrawLight(PaintedLight& light, const Canvas& canvas, const QRect& clip,
                               bool overCanvas) {
    const CDeviceKeyButtonUI& button = *light.button;
    const QRect at = light.rect;
    if (light.mask.size() != at.size() || light.maskImage != button.LightImage()) {
        light.maskImage = button.LightImage();
        light.mask = LightMask(light.maskImage, at.size());
    }
    if (light.mask.isNull()) {
        return false;
    }
    const uint32_t tint = 0xFF000000u | CDeviceKeyButtonUI::TintRgb(button.TintColour()).rgb();
    const auto alpha = static_cast<uint32_t>(button.TintAlpha());
    const QRect onPanel = at.intersected(rect());
    const QRect clipped = onPanel.intersected(clip);
    if (clipped.isEmpty()) {
        return true;
    }
    const int baseStride = static_cast<int>(base_.bytesPerLine() / 4);
    const int maskStride = static_cast<int>(light.mask.bytesPerLine());
    const auto* picture = reinterpret_cast<const uint32_t*>(base_.constBits());
    // Lights that do not overlap each lie straight over the base, so the
    // runs made over the base hold for them.
    if (!overCanvas && clipped == onPanel) {
        const uchar* mask =
            light.mask.constScanLine(onPanel.top() - at.top()) + (onPanel.left() - at.left());
        if (light.runsBase != baseGeneration_ || light.runsRect != at ||
            light.runsMask != light.mask.cacheKey()) {
            light.runs.Build(picture, baseStride, mask, maskStride, onPanel.left(), onPanel.top(),
                             onPanel.width(), onPanel.height());
            light.runsBase = baseGeneration_;
            light.runsRect = at;
            light.runsMask = light.mask.cacheKey();
        }
        light.runs.Draw(canvas.At(0, 0), canvas.stride, tint, alpha);
        return true;
    }
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        uint32_t* to = canvas.At(clipped.left(), y);
        const uint32_t* from =
            overCanvas ? to : picture + static_cast<qsizetype>(y) * baseStride + clipped.left();
        BlendTintRow(from, to,
                     light.mask.constScanLine(y - at.top()) + (clipped.left() - at.left()),
                     clipped.width(), tint, alpha);
    }
    return true;
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
    ++baseGeneration_;
}

void CSelectPanelUI::CopyBase(const Canvas& canvas, const QRect& area) {
    const QRect clipped = area.intersected(canvas.bounds);
    const qsizetype baseStride = base_.bytesPerLine() / 4;
    const auto* from = reinterpret_cast<const uint32_t*>(base_.constBits());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        std::memcpy(canvas.At(clipped.left(), y), from + y * baseStride + clipped.left(),
                    static_cast<size_t>(clipped.width()) * 4);
    }
}

bool CSelectPanelUI::WantsLight(const PaintedLight& light) {
    const CDeviceKeyButtonUI* b = light.button.data();
    return b != nullptr && b->shownOnPanel_ && b->tintOn_ && b->tintAlpha_ > 0 &&
           !b->lightImage_.isEmpty() && !light.rect.isEmpty();
}

bool CSelectPanelUI::BaseCurrent() const {
    return baseValid_ && base_.size() == size() && basePosition_ == mapTo(window(), QPoint());
}

bool CSelectPanelUI::SyncLayout() {
    bool full = false;
    if (!BaseCurrent()) {
        BuildBase();
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
    UpdateKeyFaces(full);
    if (!full) {
        return false;
    }
    frameStale_ = true;
    lightsOverlap_ = false;
    for (size_t i = 0; i < lights_.size() && !lightsOverlap_; ++i) {
        for (size_t j = i + 1; j < lights_.size() && !lightsOverlap_; ++j) {
            lightsOverlap_ =
                lights_[i].shown && lights_[j].shown && lights_[i].rect.intersects(lights_[j].rect);
        }
    }
    // Which key faces a redrawn light covers; faces only change in a full
    // redraw, so this holds until the next one.
    keysOverLight_.assign(lights_.size(), {});
    allKeys_.clear();
    for (size_t k = 0; k < keys_.size(); ++k) {
        if (!keys_[k].shown || keys_[k].faceRect.isEmpty()) {
            continue;
        }
        allKeys_.push_back(static_cast<int>(k));
        for (size_t i = 0; i < lights_.size(); ++i) {
            if (lights_[i].rect.intersects(keys_[k].faceRect)) {
                keysOverLight_[i].push_back(static_cast<int>(k));
            }
        }
    }
    // Per row, the stretches of the panel no shown light covers.
    gapsByRow_.assign(static_cast<size_t>(std::max(height(), 0)), {});
    std::vector<std::pair<int, int>> covered;
    for (int y = 0; y < height(); ++y) {
        covered.clear();
        for (const PaintedLight& light : lights_) {
            if (light.shown && light.rect.top() <= y && light.rect.bottom() >= y) {
                covered.emplace_back(std::max(light.rect.left(), 0),
                                     std::min(light.rect.right() + 1, width()));
            }
        }
        std::sort(covered.begin(), covered.end());
        int x = 0;
        for (const auto& [from, to] : covered) {
            if (from > x) {
                gapsByRow_[static_cast<size_t>(y)].emplace_back(x, from);
            }
            x = std::max(x, to);
        }
        if (x < width()) {
            gapsByRow_[static_cast<size_t>(y)].emplace_back(x, width());
        }
    }
    return true;
}

void CSelectPanelUI::RenderLights() {
    SyncLayout();
    bool full = frameStale_ || frame_.size() != size();
    frameStale_ = false;
    if (frame_.size() != size()) {
        frame_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    if (!full && !anyLightDirty_) {
        return;
    }
    const Canvas canvas = CanvasOf(frame_, QPoint());
    // Restoring one light's square must not cut into a neighbour's, so a
    // picture whose lights overlap is always drawn whole.
    full = full || lightsOverlap_;
    if (full) {
        CopyBase(canvas, frame_.rect());
        for (PaintedLight& light : lights_) {
            light.dirty = true;
            light.drawn = false;
        }
    }
    for (size_t i = 0; i < lights_.size(); ++i) {
        PaintedLight& light = lights_[i];
        if (!light.dirty) {
            continue;
        }
        light.dirty = false;
        const bool wasDrawn = light.drawn;
        light.drawn = WantsLight(light);
        if (light.drawn) {
            DrawLight(light, canvas, canvas.bounds, lightsOverlap_);
        } else if (wasDrawn) {
            CopyBase(canvas, light.rect);
        } else {
            continue;
        }
        if (!full && i < keysOverLight_.size()) {
            DrawKeyFaces(canvas, light.rect, keysOverLight_[i]);
        }
    }
    if (full) {
        DrawKeyFaces(canvas, frame_.rect(), allKeys_);
    }
    anyLightDirty_ = false;
}

void CSelectPanelUI::ComposeInto(const Canvas& canvas, const QRegion& region, bool changesOnly,
                                 bool intoWindow) {
    if (changesOnly) {
        // The window's buffer still holds the rest of the picture: only the
        // lights that changed are drawn again, each with the key faces over
        // it. A light or two that change far apart no longer cost all the
        // picture between them.
        const QRect asked = region.boundingRect();
        for (size_t i = 0; i < lights_.size(); ++i) {
            PaintedLight& light = lights_[i];
            if (!light.dirty || !light.shown || !asked.contains(light.rect)) {
                continue;
            }
            light.dirty = false;
            light.drawn = WantsLight(light) && DrawLight(light, canvas, asked, false);
            if (!light.drawn) {
                CopyBase(canvas, light.rect);
            }
            if (i < keysOverLight_.size()) {
                DrawKeyFaces(canvas, light.rect, keysOverLight_[i]);
            }
        }
        frameStale_ = true;
        return;
    }
    const qsizetype baseStride = base_.bytesPerLine() / 4;
    const auto* base = reinterpret_cast<const uint32_t*>(base_.constBits());
    for (const QRect& asked : region) {
        const QRect area = asked.intersected(canvas.bounds);
        if (area.isEmpty()) {
            continue;
        }
        // The base where no light lies, then each light whole (the lights
        // do not overlap), then the key faces over them: every pixel of
        // the area is written once.
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (const auto& [from, to] : gapsByRow_[static_cast<size_t>(y)]) {
                const int left = std::max(from, area.left());
                const int right = std::min(to, area.right() + 1);
                if (left < right) {
                    std::memcpy(canvas.At(left, y), base + y * baseStride + left,
                                static_cast<size_t>(right - left) * 4);
                }
            }
        }
        for (PaintedLight& light : lights_) {
            if (!light.shown || !light.rect.intersects(area)) {
                continue;
            }
            if (!WantsLight(light) || !DrawLight(light, canvas, area, false)) {
                CopyBase(canvas, light.rect.intersected(area));
            }
        }
        DrawKeyFaces(canvas, area, allKeys_);
    }
    // A light drawn whole into the window is up to date there; one drawn in
    // part, or into a grab's picture, is drawn again when its own update
    // comes.
    const QRect painted = region.boundingRect();
    for (PaintedLight& light : lights_) {
        if (intoWindow && region.rectCount() == 1 && painted.contains(light.rect)) {
            light.dirty = false;
            light.drawn = light.shown && WantsLight(light);
        }
    }
    // The frame missed these changes; it is drawn whole when next used.
    frameStale_ = true;
}

int CSelectPanelUI::HighlightOf(const PaintedKey& key) const {
    if (key.button == nullptr || !key.button->isEnabled()) {
        return 0;
    }
    if (key.button->isDown()) {
        return 60;
    }
    return hoveredKey_ >= 0 && &keys_[static_cast<size_t>(hoveredKey_)] == &key ? 30 : 0;
}

void CSelectPanelUI::UpdateKeyFaces(bool& full) {
    for (PaintedKey& key : keys_) {
        CDeviceKeyButtonUI* b = key.button.data();
        const QRect rect = b != nullptr ? b->geometry() : QRect();
        const bool shown = b != nullptr && b->shownOnPanel_;
        if (rect != key.rect || shown != key.shown) {
            key.rect = rect;
            key.shown = shown;
            key.dirty = true;
        }
        if (b == nullptr) {
            if (key.dirty) {
                key.dirty = false;
                key.face = QImage();
                key.faceRect = QRect();
                full = true;
            }
            continue;
        }
        // Only what the key reported (ButtonChanged) or a move is looked at:
        // asking 170 keys for their text on every frame is not free.
        if (!key.dirty) {
            continue;
        }
        key.dirty = false;
        key.highlight = HighlightOf(key);
        BuildKeyFace(key);
        full = true;
    }
}

void CSelectPanelUI::BuildKeyFace(PaintedKey& key) {
    key.face = QImage();
    key.faceRect = QRect();
    if (!key.shown || key.rect.isEmpty()) {
        return;
    }
    QImage face(key.rect.size(), QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    {
        QPainter p(&face);
        key.button->PaintKeyFace(p, key.highlight);
    }
    // Keep only the part that is not clear: most of a key is, and each
    // frame lays the faces of all keys under a moving light again.
    int top = face.height();
    int bottom = -1;
    int left = face.width();
    int right = -1;
    for (int y = 0; y < face.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(face.constScanLine(y));
        for (int x = 0; x < face.width(); ++x) {
            if (row[x] >> 24 != 0) {
                top = std::min(top, y);
                bottom = y;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    if (bottom < 0) {
        return;
    }
    const QRect used(QPoint(left, top), QPoint(right, bottom));
    key.face = face.copy(used);
    key.faceRect = used.translated(key.rect.topLeft());
}

void CSelectPanelUI::DrawKeyFaces(const Canvas& canvas, const QRect& area,
                                  const std::vector<int>& keys) {
    const QRect bounds = area.intersected(canvas.bounds);
    for (int index : keys) {
        const PaintedKey& key = keys_[static_cast<size_t>(index)];
        const QRect r = key.faceRect.intersected(bounds);
        if (r.isEmpty() || key.face.isNull()) {
            continue;
        }
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const auto* src =
                reinterpret_cast<const uint32_t*>(key.face.constScanLine(y - key.faceRect.top())) +
                (r.left() - key.faceRect.left());
            uint32_t* dst = canvas.At(r.left(), y);
            // A legend is mostly clear: step over clear pairs of pixels.
            int x = 0;
            for (; x + 2 <= r.width(); x += 2) {
                uint64_t pair;
                std::memcpy(&pair, src + x, sizeof pair);
                if (pair == 0) {
                    continue;
                }
                dst[x] = SourceOver(src[x], dst[x]);
                dst[x + 1] = SourceOver(src[x + 1], dst[x + 1]);
            }
            if (x < r.width() && src[x] != 0) {
                dst[x] = SourceOver(src[x], dst[x]);
            }
        }
    }
}

int CSelectPanelUI::KeyAt(QPoint at) const {
    for (size_t i = keys_.size(); i-- > 0;) {
        const PaintedKey& key = keys_[i];
        if (key.button != nullptr && key.button->shownOnPanel_ && key.button->isEnabled() &&
            key.button->geometry().contains(at)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CSelectPanelUI::SetHoveredKey(int index) {
    if (index == hoveredKey_) {
        return;
    }
    for (int k : {hoveredKey_, index}) {
        if (k >= 0 && keys_[static_cast<size_t>(k)].button != nullptr) {
            keys_[static_cast<size_t>(k)].dirty = true;
            ButtonChanged(keys_[static_cast<size_t>(k)].button);
        }
    }
    hoveredKey_ = index;
}

void CSelectPanelUI::paintEvent(QPaintEvent* event) {
    if (lights_.empty() && keys_.empty()) {
        // A picture without lights: the background image only.
        const QPixmap& picture = ScaledSkinPixmap(bkImage_, size());
        if (!picture.isNull()) {
            QPainter p(this);
            p.drawPixmap(0, 0, picture);
        }
        return;
    }
    // Before the painter: it may render the ancestors into the base.
    const bool full = SyncLayout();
    // Only what this panel asked for, and nothing moved: the rest of the
    // window's buffer is as this panel left it.
    const bool asked =
        !full && event->region().rectCount() == 1 && event->region().boundingRect() == askedUpdate_;
    QPainter p(this);
    Canvas canvas;
    bool windowBuffer = false;
    if (!lightsOverlap_ && WindowCanvas(p, canvas, windowBuffer)) {
        // A grab leaves the window's own repaint as it was asked.
        if (windowBuffer) {
            askedUpdate_ = QRect();
        }
        ComposeInto(canvas, event->region(), asked && windowBuffer, windowBuffer);
        return;
    }
    askedUpdate_ = QRect();
    RenderLights();
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

CSelectPanelUI::Canvas CSelectPanelUI::CanvasOf(QImage& image, QPoint origin) const {
    Canvas canvas;
    // constBits: the image is not shared while painted on, and bits() would
    // copy a shared one instead of writing where the window reads.
    canvas.stride = image.bytesPerLine() / 4;
    canvas.origin = reinterpret_cast<uint32_t*>(const_cast<uchar*>(image.constBits())) +
                    origin.y() * canvas.stride + origin.x();
    canvas.bounds = rect().intersected(image.rect().translated(-origin));
    return canvas;
}

bool CSelectPanelUI::DrawChangesDirect(const QRect& area) {
    // Only where the window's buffer is one image the display reads from
    // (X11 shared memory) or nobody reads at all: a Wayland buffer may be
    // held by the compositor until the next begun paint.
    static const bool platformFits = QGuiApplication::platformName() == QLatin1String("xcb") ||
                                     QGuiApplication::platformName() == QLatin1String("offscreen");
    if (!platformFits || area.isEmpty() || lightsOverlap_ || !askedUpdate_.isEmpty() ||
        !isVisible() || !updatesEnabled() || !BaseCurrent()) {
        return false;
    }
    QWidget* top = window();
    QWindow* handle = top->windowHandle();
    if (handle == nullptr || !handle->isExposed() || nativeParentWidget() != top) {
        return false;
    }
    QBackingStore* store = top->backingStore();
    QImage* image = DrawableImage(store != nullptr ? store->paintDevice() : nullptr);
    if (image == nullptr) {
        return false;
    }
    const QPoint offset = mapTo(top, QPoint());
    const Canvas canvas = CanvasOf(*image, offset);
    if (!canvas.bounds.contains(area) || DrawnOver(area)) {
        return false;
    }
    if (SyncLayout()) {
        // A key's face changed or a button moved: the area is drawn whole,
        // as a paint that was not asked for only by lights would be.
        update(area);
        return true;
    }
    ComposeInto(canvas, QRegion(area), true, true);
    store->flush(QRegion(area.translated(offset)), handle);
    return true;
}

bool CSelectPanelUI::DrawnOver(const QRect& area) const {
    const QWidget* top = window();
    const QRect inWindow = area.translated(mapTo(top, QPoint()));
    // Shown widgets among `parent`'s children from `first` on; later
    // children lie on top of earlier ones.
    auto anyOver = [&inWindow, top](const QWidget* parent, qsizetype first) {
        const QPoint origin = parent->mapTo(top, QPoint());
        const QObjectList& children = parent->children();
        for (qsizetype i = first; i < children.size(); ++i) {
            const auto* w = qobject_cast<const QWidget*>(children[i]);
            if (w != nullptr && !w->isWindow() && w->isVisible() &&
                w->geometry().translated(origin).intersects(inWindow)) {
                return true;
            }
        }
        return false;
    };
    if (anyOver(this, 0)) {
        return true;
    }
    for (const QWidget* w = this; w != top; w = w->parentWidget()) {
        // An effect changes what Qt's paint would put in the buffer.
        if (w->graphicsEffect() != nullptr) {
            return true;
        }
        const QWidget* parent = w->parentWidget();
        if (anyOver(parent, parent->children().indexOf(const_cast<QWidget*>(w)) + 1)) {
            return true;
        }
    }
    return false;
}

QImage* CSelectPanelUI::DrawableImage(QPaintDevice* device) {
    if (device == nullptr || device->devType() != QInternal::Image) {
        return nullptr;
    }
    auto* image = static_cast<QImage*>(device);
    const bool layoutFits = image->format() == QImage::Format_RGB32 ||
                            image->format() == QImage::Format_ARGB32_Premultiplied;
    return layoutFits && image->devicePixelRatio() == 1.0 ? image : nullptr;
}

bool CSelectPanelUI::WindowCanvas(QPainter& painter, Canvas& canvas, bool& windowBuffer) const {
    // The painter's device is an image this panel can draw, at a whole
    // offset.
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) {
        return false;
    }
    QPaintDevice* device = engine->paintDevice();
    QImage* image = DrawableImage(device);
    if (image == nullptr) {
        return false;
    }
    const QTransform t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) ||
        t.dy() != std::floor(t.dy())) {
        return false;
    }
    canvas = CanvasOf(*image, QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy())));
    // A grab or a render paints into a picture of its own.
    QBackingStore* store = window()->backingStore();
    windowBuffer = store != nullptr && store->paintDevice() == device;
    return true;
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        OnPress(at);
        pressedKey_ = KeyAt(at);
        if (pressedKey_ >= 0) {
            CDeviceKeyButtonUI* key = keys_[static_cast<size_t>(pressedKey_)].button;
            key->setDown(true);
            ButtonChanged(key);
        }
    }
    QWidget::mousePressEvent(event);
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    OnMove(at);
    SetHoveredKey(KeyAt(at));
    QWidget::mouseMoveEvent(event);
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnRelease();
        // As a push button: a click when released over the key pressed.
        const int pressed = std::exchange(pressedKey_, -1);
        if (pressed >= 0) {
            QPointer<CDeviceKeyButtonUI> key = keys_[static_cast<size_t>(pressed)].button;
            if (key != nullptr) {
                key->setDown(false);
                ButtonChanged(key);
                if (KeyAt(event->position().toPoint()) == pressed) {
                    key->click();
                }
            }
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void CSelectPanelUI::mouseDoubleClickEvent(QMouseEvent* event) {
    const int k = event->button() == Qt::LeftButton ? KeyAt(event->position().toPoint()) : -1;
    if (k < 0) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // Pushed until the release, as a key of its own would be.
    pressedKey_ = k;
    QPointer<CDeviceKeyButtonUI> key = keys_[static_cast<size_t>(k)].button;
    key->setDown(true);
    ButtonChanged(key);
    if (auto* w = qobject_cast<Window*>(window())) {
        w->SendNotify(key, QString::fromLatin1(notify::kDbClick));
    }
    event->accept();
}

void CSelectPanelUI::leaveEvent(QEvent* event) {
    SetHoveredKey(-1);
    QWidget::leaveEvent(event);
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
