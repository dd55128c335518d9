// The button the picture buttons build on: a flat push button that draws its
// status images ("normalimage", "hotimage", "pushedimage", "disabledimage")
// through the image-string rule, then its text. Layout attributes arrive as
// dynamic properties, or from the layout loader when Qt has a property of
// the same name ("cursor"); names are compared without case and each class
// hands the ones it does not know to the class it derives from.
#pragma once

#include <QPushButton>
#include <QString>

namespace ui {

class CImageButtonUI : public QPushButton {
    Q_OBJECT
  public:
    explicit CImageButtonUI(QWidget* parent = nullptr);

    // False for an attribute no class in the chain knows; the property then
    // stays as it was given.
    virtual bool SetAttribute(const QString& name, const QString& value);

    void SetNormalImage(const QString& image);
    const QString& NormalImage() const { return normalImage_; }
    const QString& HotImage() const { return hotImage_; }
    const QString& PushedImage() const { return pushedImage_; }
    const QString& DisabledImage() const { return disabledImage_; }
    // Hot: the pointer is over the button (kept by the button's own events).
    bool IsHot() const { return hot_; }

    // The status image for the button's state now.
    const QString& StatusImage() const;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The status image and the text; subclasses paint over it.
    void PaintStatus(QPainter& painter);
    // Sends a notification through the button's window, the button as sender.
    void Notify(const char* type, uintptr_t wParam = 0, intptr_t lParam = 0);
    void SetHot(bool hot);
    // Stores the normal image without scheduling a repaint; true when it
    // changed. For a caller that repaints at once itself.
    bool StoreNormalImage(const QString& image);

  private:
    QString normalImage_;
    QString hotImage_;
    QString pushedImage_;
    QString disabledImage_;
    bool hot_ = false;
};

// Equal without letter case.
bool SameName(const QString& a, const char* b);

}  // namespace ui
