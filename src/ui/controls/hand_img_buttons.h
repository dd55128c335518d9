// Picture buttons that show a picture from any path (a skin image or an
// absolute path the user picked):
//   CHandImgButtonUI ("HandImgButton"): the whole picture over the button,
//     with a delete button in its lower right corner while shown and hot.
//   CHandImgSelectButtonUI ("HandImgSelectButton"): the part of a larger
//     picture that fits the button, panned by dragging.
#pragma once

#include <QPixmap>
#include <QPoint>

#include "pages/image_string.h"
#include "ui/controls/image_button.h"

namespace ui {

class CHandImgButtonUI : public CImageButtonUI {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "HandImgButton";
    static constexpr const char* kDeleteNotify = "click_handdelete";

    explicit CHandImgButtonUI(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;
    const QString& HandImage() const { return handImage_; }
    void SetHandImage(const QString& image);

    // The delete button is hidden until code shows it.
    void SetDeleteHidden(bool hidden);
    bool DeleteHidden() const { return deleteHidden_; }
    // The image the delete button shows now (normal or hot).
    const QString& ChosenDeleteImage() const { return *chosenDelete_; }
    // In the button's own pixels: 20 x 20 design pixels, its right edge 10
    // inside the button's right edge, its top 29 above the button's bottom.
    QRect DeleteArea() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QString handImage_;
    QString deleteNormalImage_;
    QString deleteHotImage_;
    const QString* chosenDelete_ = &deleteNormalImage_;
    bool deleteHidden_ = true;
};

class CHandImgSelectButtonUI : public CImageButtonUI {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "HandImgSelectButton";

    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

    bool SetAttribute(const QString& name, const QString& value) override;

    // Shows the top-left part of a picture larger than the button, else the
    // whole picture. A picture that cannot be loaded changes nothing shown.
    void SetHandImage(const QString& path);
    const QString& HandImage() const { return handImage_; }
    const QString& DrawImage() const { return drawImage_; }
    // In the picture's pixels; all zero while the whole picture shows.
    const pages::IntRect& SourceRect() const { return source_; }
    QSize PictureSize() const { return pictureSize_; }
    bool Dragging() const { return dragging_; }

    // Cursor names of the "cursor" attribute; false for any other name.
    static bool CursorShapeFor(const QString& name, Qt::CursorShape& shape);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Press(QMouseEvent* event);
    // The button's size in design pixels: the picture keeps its own scale
    // relation to the window like every other image.
    QSize DesignSize() const;

    QString handImage_;
    QString drawImage_;
    pages::IntRect source_;
    QSize pictureSize_;
    bool dragging_ = false;
    bool captured_ = false;
    QPoint last_;
};

}  // namespace ui
