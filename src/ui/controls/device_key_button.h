// CDeviceKeyButtonUI ("DeviceKeyButton"): a key or an LED on a device
// picture. An LED button draws its light image tinted with the colour the
// preview gives it; a key button draws the mark of a changed assignment.
#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <cstdint>

namespace ui {

class CSelectPanelUI;

class CDeviceKeyButtonUI : public QPushButton {
    Q_OBJECT
  public:
    explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

    // `colour` is the preview's colour word: red in the low byte, then blue,
    // then green. Stores only; a changed value schedules one repaint.
    void SetLightTint(uint32_t colour, int alpha, bool on);
    uint32_t TintColour() const { return tintColour_; }
    int TintAlpha() const { return tintAlpha_; }
    bool TintOn() const { return tintOn_; }

    void SetKeysetImageHidden(bool hidden);
    bool KeysetImageHidden() const { return keysetImageHidden_; }

    // The buttons on a select panel are painted by the panel (see
    // CSelectPanelUI::AdoptLight and AdoptKey) and stay hidden as widgets;
    // these answer whether they show on the picture.
    void setVisible(bool visible) override;
    // Hides QAbstractButton::setText so that a panel painting this key
    // hears of the new legend (SetControlText reaches it through
    // kTextChangedEvent).
    void setText(const QString& text);
    // Draws what the key shows over the picture: the legend, the press or
    // hover highlight (alpha 0, 30 or 60 of white) and the mark.
    void PaintKeyFace(QPainter& p, int highlightAlpha);
    bool KeyMarked() const { return !keysetImageHidden_ && !keysetImage_.isEmpty(); }
    bool PaintedByPanel() const { return paintedBy_ != nullptr; }
    // Shown once its panel is: the panel's view of isVisibleTo(parent).
    bool IsShownOnPanel() const;
    // Shown on screen now: the panel's view of isVisible().
    bool IsShown() const;

    void SetInSelection(int flag) { inSelection_ = flag; }
    int IsInSelection() const { return inSelection_; }

    // Layout attributes: "lightimage", "keysetimage" (names without case);
    // false for an attribute this class does not know.
    bool SetAttribute(const QString& name, const QString& value);
    const QString& LightImage() const { return lightImage_; }
    const QString& KeysetImage() const { return keysetImage_; }

    // The colour of the tint as RGB.
    static QColor TintRgb(uint32_t colour);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    friend class CSelectPanelUI;
    const QPixmap& TintedLight();
    const QPixmap& Legend();

    QString lightImage_;
    QString keysetImage_;
    bool keysetImageHidden_ = true;
    bool tintOn_ = false;
    uint32_t tintColour_ = 255;
    int tintAlpha_ = 200;
    int inSelection_ = 0;
    CSelectPanelUI* paintedBy_ = nullptr;
    bool panelKey_ = false;  // painted by the panel as a key, not as a light
    size_t panelIndex_ = 0;
    bool shownOnPanel_ = true;

    // The light image tinted with tintColour_ at this size, made on demand.
    QPixmap tinted_;
    // The light image scaled to the button, made once per size: tinting it
    // again for every new colour is then a single fill.
    QPixmap scaledLight_;
    QSize scaledSize_;
    QString scaledFrom_;
    // The legend drawn once; text layout is the dearest part of a paint.
    QPixmap legend_;
    QString legendText_;
    QSize legendSize_;
    bool legendEnabled_ = true;
    double legendScale_ = 1.0;
    uint32_t tintedColour_ = 0xFFFFFFFFu;
    QSize tintedSize_;
};

// Loads a skin image (a path relative to the skin folder, or an image string
// with file='...'); cached per process. Null when it cannot be loaded.
const QPixmap& SkinPixmap(const QString& imageString);
// The same image scaled to `size` with smooth filtering, made once per size
// (a window's scale changes rarely; frames never rescale). Null when the
// image cannot be loaded or the size is empty.
const QPixmap& ScaledSkinPixmap(const QString& imageString, QSize size);
// The scale of the window `w` lives in, as a factor of the design size.
double WindowScale(const QWidget* w);

// Registers "DeviceKeyButton" and "SelectPanel" (and their C++ class names)
// with the control factory.
void RegisterKeyboardPictureControls();

}  // namespace ui
