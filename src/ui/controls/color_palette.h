// CColorPaletteUI (class "ColorPalette"): a saturation / value area beside a
// hue strip. The user picks by pressing or dragging in either; each change
// the user makes raises "colorchanged". SetSelectColor, the program's
// change, raises nothing. The lighting page, the colour picker and the music
// window share it.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "pages/colour_hsv.h"

namespace ui {

class CColorPaletteUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ColorPalette";
    static void Register();

    explicit CColorPaletteUI(QWidget* parent = nullptr);

    // 0xAARRGGBB; the selected colour reads back exactly as set.
    void SetSelectColor(uint32_t argb);
    uint32_t GetSelectColor() const { return colour_; }

    // Where a colour lies, for tests and the UI driver.
    QRect AreaRect() const;
    QRect StripRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    enum class Drag { None, Area, Strip };
    void PickAt(QPoint pos);
    void RebuildArea();

    uint32_t colour_ = 0xFFFF0000;
    pages::Hsv hsv_{0, 255, 255};
    Drag drag_ = Drag::None;
    QImage area_;
    int areaHue_ = -1;
};

}  // namespace ui
