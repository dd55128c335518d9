#include "ui/dialogs/skin_frame.h"

#include <QFileDialog>
#include <QScreen>
#include <QStackedWidget>

#include "pages/skin_observer.h"
#include "platform/debug_output.h"
#include "ui/controls/background_image.h"
#include "ui/controls/colour_fill.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/skin.h"

namespace ui {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 190;

CSkinFrame::FileChooser& Chooser() {
    static CSkinFrame::FileChooser chooser;
    return chooser;
}

std::string& IniPathOverride() {
    static std::string path;
    return path;
}

std::string IniPath() {
    return IniPathOverride().empty() ? pages::SkinIniPath() : IniPathOverride();
}

QString ChooseFile(QWidget* parent) {
    if (Chooser())
        return Chooser()(parent);
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("(*.png) (*.png)"), QStringLiteral("(*.*) (*)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.selectFile(QStringLiteral("*.png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}

void Broadcast(const pages::SkinChangedParam& param) {
    pages::SkinChangeObserver().Broadcast(param);
}

void Record(bool fromList, const std::string& image) {
    if (!pages::WriteSkinChoice(IniPath(), fromList, image))
        platform::DebugOutputF("%s not written", pages::kSkinIniName);
}

}  // namespace

CSkinFrame::CSkinFrame() {
    setObjectName(QStringLiteral("skinframe"));
    // A frameless pop-up: a click outside closes it, which is how it
    // loses the focus here.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
}

void CSkinFrame::SetFileChooser(FileChooser chooser) {
    Chooser() = std::move(chooser);
}

void CSkinFrame::SetIniPathForTest(const std::string& path) {
    IniPathOverride() = path;
}

CSkinFrame* CSkinFrame::Open(QWidget* owner, QWidget* button) {
    auto* frame = new CSkinFrame();
    if (!frame->Create(nullptr, QStringLiteral("skinframe"), kWidth, kHeight)) {
        delete frame;
        return nullptr;
    }
    if (auto* ownerWindow = owner != nullptr ? qobject_cast<Window*>(owner->window()) : nullptr)
        frame->SetDPI(ownerWindow->DPI());
    frame->PlaceUnder(button);
    frame->show();
    return frame;
}

void CSkinFrame::InitWindow() {
    BindColourFills(Root());
    // The picture buttons show their picture, shrunk to the button.
    for (QWidget* w : Root()->findChildren<QWidget*>()) {
        const QString image = w->property("bkimage").toString();
        if (!image.isEmpty())
            SetBackgroundPictureFile(w, Skin::Instance().FilePath(image));
    }
}

void CSkinFrame::PlaceUnder(QWidget* button) {
    if (button == nullptr)
        return;
    const QPoint bottomRight = button->mapToGlobal(QPoint(button->width(), button->height()));
    QPoint topLeft(bottomRight.x() - width(), bottomRight.y());
    // Kept on the screen when the button sits near its left edge.
    if (QScreen* s = button->screen()) {
        const QRect available = s->availableGeometry();
        topLeft.setX(std::max(available.left(), topLeft.x()));
    }
    move(topLeft);
}

void CSkinFrame::Notify(const Notification& n) {
    if (n.type != QLatin1String(notify::kClick) || !n.sender)
        return;
    const QString name = n.sender->objectName();
    auto is = [&name](const char* s) {
        return name.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    };
    if (is("skin_image_btn")) {
        const std::string image = n.sender->property("userdata").toString().toStdString();
        if (image.empty())
            return;
        Broadcast({false, 0, image});
        Record(true, image);
    } else if (is("skin_color_btn")) {
        const std::optional<uint32_t> colour = ControlBkColor(n.sender);
        if (!colour)
            return;
        Broadcast({true, *colour, {}});
    } else if (is("skin_color")) {
        SetControlCurrentIndex(FindControl(QStringLiteral("skin_tab")), 1);
    } else if (is("skin_image")) {
        SetControlCurrentIndex(FindControl(QStringLiteral("skin_tab")), 0);
    } else if (is("skin_reset")) {
        Broadcast({false, 0, pages::kSkinResetImage});
        Record(false, pages::kSkinResetImage);
    } else if (is("skin_Custom")) {
        // The dialog takes the focus; the panel must outlive it.
        QPointer<CSkinFrame> self(this);
        hide();
        const QString file = ChooseFile(parentWidget());
        if (!file.isEmpty())
            Broadcast({false, 0, file.toStdString()});
        if (self)
            Close(0);
    }
}

}  // namespace ui
