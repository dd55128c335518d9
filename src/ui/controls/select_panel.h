// CSelectPanelUI ("SelectPanel"): the device picture. Dragging over it marks
// the key buttons the dragged rectangle touches and ends with the
// notification "click_select_end". A click without movement selects nothing.
#pragma once

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "ui/controls/light_blend.h"

class QPainter;

namespace ui {

class CDeviceKeyButtonUI;

class CSelectPanelUI : public QWidget {
    Q_OBJECT
  public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);
    ~CSelectPanelUI() override;

    // "bkimage": the picture drawn behind the buttons (skin-relative).
    bool SetAttribute(const QString& name, const QString& value);
    const QRect& SelectionRect() const { return selection_; }
    bool Dragging() const { return dragging_; }
    // Called after "click_select_end" was sent (also without a window).
    void SetSelectEndHandler(std::function<void(CSelectPanelUI*)> handler) {
        selectEnd_ = std::move(handler);
    }

    // LED buttons on the panel are drawn by the panel in its own paint, not
    // as widgets: an animated picture changes every LED on every frame, and
    // Qt's cost of repainting overlapping sibling widgets grows with their
    // number. An adopted button stays hidden as a widget; its tint and its
    // visibility are reported here.
    void AdoptLight(CDeviceKeyButtonUI* light);
    // The key buttons too: each frame would otherwise repaint every one of
    // them over the lights. The panel draws their faces over the lights and
    // takes their mouse input (click, double click, hover, tooltip) for
    // them. Keys are adopted when the panel is first shown.
    void AdoptKey(CDeviceKeyButtonUI* key);
    // An adopted button's tint, visibility, legend or mark changed.
    void ButtonChanged(CDeviceKeyButtonUI* button);
    void LightChanged(CDeviceKeyButtonUI* light) { ButtonChanged(light); }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    friend class SelectPanelAccess;
    void OnPress(QPoint at);
    void OnMove(QPoint at);
    void OnRelease();

    QObject* filter_ = nullptr;
    std::function<void(CSelectPanelUI*)> selectEnd_;
    QString bkImage_;
    bool dragging_ = false;
    bool pressed_ = false;
    QPoint start_;
    QPoint current_;
    QRect selection_;

    struct PaintedLight {
        QPointer<CDeviceKeyButtonUI> button;
        QRect rect;          // the button's geometry when last rendered
        bool shown = false;  // and whether it was shown on the panel
        bool drawn = false;  // the layer holds it at `rect`
        bool dirty = true;
        QImage mask;  // the light image's alpha at `rect`'s size
        QString maskImage;
        // The light split into runs over the base; valid while the base,
        // the rect and the mask are those they were built for.
        LightRuns runs;
        int runsBase = -1;  // baseGeneration_ when built
        QRect runsRect;
        qint64 runsMask = 0;  // the mask's cacheKey
    };
    // 32-bit pixels the panel draws into: its own frame, or the window's
    // buffer while painting.
    struct Canvas {
        uint32_t* origin = nullptr;  // the panel's (0, 0)
        qsizetype stride = 0;        // pixels a row
        QRect bounds;                // the panel's pixels it holds
        uint32_t* At(int x, int y) const { return origin + y * stride + x; }
    };
    Canvas CanvasOf(QImage& image, QPoint origin) const;
    // `device` as an image in one of the two 32-bit layouts this panel
    // draws, one image pixel per panel pixel; null if it is not one.
    static QImage* DrawableImage(QPaintDevice* device);
    // The image behind `painter`, when the panel can draw into it directly;
    // `windowBuffer`: it is the window's own buffer (not a grab's picture).
    bool WindowCanvas(QPainter& painter, Canvas& canvas, bool& windowBuffer) const;

    // The picture is the base (what lies beneath the panel, and the
    // picture) with the lights and the key faces laid over. SyncLayout
    // brings the base, the places and the faces up to date (true when all
    // must be drawn again). Where it can, the panel composes the asked
    // region straight into the window's buffer (ComposeInto); otherwise
    // (lights that overlap, a buffer it cannot write) RenderLights keeps a
    // frame of its own up to date and the painter copies from it.
    void BuildBase();
    bool BaseCurrent() const;
    bool SyncLayout();
    // Lights that changed, drawn into the window's buffer and shown at
    // once, outside Qt's paint: that paint first waits for the X server to
    // finish reading the last frame, a round trip that wakes two threads
    // on every frame. False when this cannot be done safely (another
    // widget lies over the area, a layout change is pending, a platform
    // whose buffers the display may still hold).
    bool DrawChangesDirect(const QRect& area);
    bool DrawnOver(const QRect& area) const;
    void CopyBase(const Canvas& canvas, const QRect& area);
    void RenderLights();
    // Draws `region` whole, or (`changesOnly`) just the lights that
    // changed within it; `intoWindow`: the canvas is the window's buffer.
    void ComposeInto(const Canvas& canvas, const QRegion& region, bool changesOnly,
                     bool intoWindow);
    static bool WantsLight(const PaintedLight& light);
    // Lays the light over the base (or, `overCanvas`, over what the canvas
    // holds) within `clip`; false when it has no image to draw.
    bool DrawLight(PaintedLight& light, const Canvas& canvas, const QRect& clip, bool overCanvas);
    const QImage& LightMask(const QString& image, QSize size);

    struct PaintedKey {
        QPointer<CDeviceKeyButtonUI> button;
        QRect rect;
        bool shown = false;
        int highlight = 0;  // what the face was drawn with
        // The key told of a change (ButtonChanged), or moved.
        bool dirty = true;
        QImage face;     // premultiplied, the part of the key that is not clear
        QRect faceRect;  // where `face` lies on the panel; empty when clear
    };
    void AdoptKeys();
    void UpdateKeyFaces(bool& full);
    void BuildKeyFace(PaintedKey& key);
    // Lays the faces of the keys over `area` of the canvas (restored just
    // before, so no face is laid twice over the same pixels).
    void DrawKeyFaces(const Canvas& canvas, const QRect& area, const std::vector<int>& keys);
    int KeyAt(QPoint at) const;
    int HighlightOf(const PaintedKey& key) const;
    void SetHoveredKey(int index);

    std::vector<PaintedKey> keys_;
    bool keysAdopted_ = false;
    int hoveredKey_ = -1;
    int pressedKey_ = -1;
    // Per light, the keys whose faces overlap it.
    std::vector<std::vector<int>> keysOverLight_;
    std::vector<int> allKeys_;

    std::vector<PaintedLight> lights_;
    bool anyLightDirty_ = true;
    bool lightsOverlap_ = false;
    QRect pendingUpdate_;
    QRect askedUpdate_;  // what the panel asked to repaint since its last paint
    bool updatePosted_ = false;
    QImage base_;
    QPoint basePosition_;  // the panel's place in its window when built
    bool baseValid_ = false;
    int baseGeneration_ = 0;  // counts the bases built
    QImage frame_;            // premultiplied ARGB, opaque
    bool frameStale_ = true;  // frame_ must be drawn whole before use
    // Per row of the panel, the stretches [from, to) no shown light covers.
    std::vector<std::vector<std::pair<int, int>>> gapsByRow_;
    // Light images scaled to a button's size, keyed by image and size.
    QHash<QString, QImage> masks_;
};

}  // namespace ui
