// CUpdateInfoListItemUI ("UpdateInfoListItemUI"): one row of the settings
// window's update list, built from "device_Update_list_item.xml". It shows
// a list row's name, versions and state; texts from the server are shown as
// plain text only.
#pragma once

#include <QWidget>

#include "update/update_list.h"

namespace ui {

class CUpdateInfoListItemUI : public QWidget {
    Q_OBJECT
  public:
    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "UpdateInfoListItemUI";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\device_Update_list_item.xml";
    static constexpr int kHeight = 50;

    // Shows `row`: texts, the state's look, the check box.
    void Show(const update::ListRow& row);
    void SetProgress(int percent);
    int State() const { return state_; }
    // The server's download address; kept, never fetched.
    const QString& UserData() const { return userData_; }
    bool Ticked() const;

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void ApplyLook(int state);

    int state_ = -1;
    bool hot_ = false;
    QString userData_;
};

}  // namespace ui
