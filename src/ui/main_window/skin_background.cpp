#include "ui/main_window/skin_background.h"

#include <QDir>

#include "ui/controls/background_image.h"
#include "ui/controls/colour_fill.h"
#include "ui/dialogs/skin_frame.h"
#include "ui/framework/window.h"

namespace ui {

SkinBackground::SkinBackground(Window& window) : window_(window) {
    pages::SkinChangeObserver().AddReceiver(this);
}

int SkinBackground::Receive(const pages::SkinChangedParam& param) {
    QWidget* root = window_.FindControl(QStringLiteral("root"));
    if (root == nullptr)
        return 1;
    if (param.useColor) {
        SetControlBkColor(root, param.bkColor);
        SetBackgroundImage(root, QString());
        return 1;
    }
    // Colour 0 is transparent: the layout's own background shows again
    // under the picture.
    SetControlBkColor(root, 0);
    const QString image = QString::fromStdString(param.bkImage);
    if (QDir::isAbsolutePath(image))
        SetBackgroundPictureFile(root, image);
    else
        SetBackgroundImage(root, image);
    return 1;
}

bool SkinPanelHooks::Handle(const pages::RouteEvent& event) {
    if (event.route != pages::Route::OpenSkinPanel)
        return false;
    CSkinFrame::Open(&window_, window_.FindControl(QStringLiteral("skinbtn")));
    return true;
}

}  // namespace ui
