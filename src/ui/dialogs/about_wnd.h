// The about window ("AboutWnd.xml"): the software version, a home-page
// button and its own title bar. The main window opens at most one.
#pragma once

#include "ui/framework/window.h"

namespace ui {

inline constexpr int kAboutWidth = 800;
inline constexpr int kAboutHeight = 572;

class CAboutWnd : public Window {
    Q_OBJECT
  public:
    CAboutWnd();

    // "software_rev_text" in the current language, followed by `version`,
    // into "software_ver_label".
    void ShowVersion(const QString& version);

  protected:
    QString GetSkinFile() const override { return QStringLiteral("AboutWnd.xml"); }
    void InitWindow() override;
    void Notify(const Notification& notification) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    void changeEvent(QEvent* event) override;

  private:
    void ShowMaximisedState();

    QWidget* closeBtn_ = nullptr;
    QWidget* maxBtn_ = nullptr;
    QWidget* restoreBtn_ = nullptr;
    QWidget* minBtn_ = nullptr;
    QWidget* menuBtn_ = nullptr;
};

// The version the about window shows: "V" and the build's version.
QString SoftwareDisplayVersion();

}  // namespace ui
