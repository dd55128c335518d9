// CSkinFrame: the small skin panel that opens below the main window's
// "skinbtn". Its buttons change the window's background to a picture or a
// colour through the skin-change broadcaster; choices from its own picture
// list and the reset are also recorded in "main.ini". It closes when it
// loses the focus (a click elsewhere) and deletes itself once closed.
#pragma once

#include <QPointer>
#include <functional>

#include "ui/framework/window.h"

namespace ui {

class CSkinFrame : public Window {
    Q_OBJECT
  public:
    // Creates the panel for `owner` and places it under `button` (its right
    // edge on the button's right edge). Null when the layout is missing.
    static CSkinFrame* Open(QWidget* owner, QWidget* button);

    // The file chooser of "skin_Custom": an empty answer is a cancel. Tests
    // replace it; an empty function restores the file dialog.
    using FileChooser = std::function<QString(QWidget* parent)>;
    static void SetFileChooser(FileChooser chooser);

    // Where "main.ini" goes; empty restores the user data folder's.
    static void SetIniPathForTest(const std::string& path);

  protected:
    QString GetSkinFile() const override { return QStringLiteral("skin.xml"); }
    void InitWindow() override;
    void Notify(const Notification& notification) override;

  private:
    CSkinFrame();
    void PlaceUnder(QWidget* button);
};

}  // namespace ui
