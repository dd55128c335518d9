// CComboEditContainerElementUI ("ComboEditContainerElement"): a list
// element built from its own layout ("ComboEditElementItem"), with two text
// labels ("text1", "text2") and an edit ("delay_edit"). It behaves as a list
// element: selection by click (Ctrl toggles it among several), "itemclick",
// activation on Return or a double click, a hot state under the pointer and
// "menu" when its context menu is enabled.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace ui {

class CComboEditContainerElementUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ComboEditContainerElement";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    explicit CComboEditContainerElementUI(QWidget* parent = nullptr);

    // Builds the element's own controls; runs once, at the latest before the
    // element is first shown. False when the layout cannot be built.
    bool Init();
    QWidget* Text1() const { return text1_; }
    QWidget* Text2() const { return text2_; }
    QWidget* DelayEdit() const { return delayEdit_; }

    // "normalimage", "hotimage" and "selectedimage" (with case) are taken
    // and ignored: the element's looks come from its layout. "mouse" and
    // "menu" ("true"/"false"); false for any other name.
    bool SetAttribute(const QString& name, const QString& value);

    bool IsSelected() const { return selected_; }
    // No notification (a change by code).
    void Select(bool selected);
    bool IsHot() const { return hot_; }
    bool MouseEnabled() const { return mouseEnabled_; }
    // The element's index among its parent's elements, -1 without one.
    int Index() const;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Notify(const char* type, uintptr_t wParam = 0, intptr_t lParam = 0);
    void Activate();

    bool built_ = false;
    QPointer<QWidget> text1_;
    QPointer<QWidget> text2_;
    QPointer<QWidget> delayEdit_;
    bool selected_ = false;
    bool hot_ = false;
    bool mouseEnabled_ = true;
    bool menuEnabled_ = false;
};

}  // namespace ui
