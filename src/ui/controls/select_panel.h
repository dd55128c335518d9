// CSelectPanelUI ("SelectPanel"): the device picture. Dragging over it marks
// the key buttons the dragged rectangle touches and ends with the
// notification "click_select_end". A click without movement selects nothing.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

class CSelectPanelUI : public QWidget {
    Q_OBJECT
  public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);

    // "bkimage": the picture drawn behind the buttons (skin-relative).
    bool SetAttribute(const QString& name, const QString& value);
    const QRect& SelectionRect() const { return selection_; }
    bool Dragging() const { return dragging_; }
    // Called after "click_select_end" was sent (also without a window).
    void SetSelectEndHandler(std::function<void(CSelectPanelUI*)> handler) {
        selectEnd_ = std::move(handler);
    }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

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
};

}  // namespace ui
