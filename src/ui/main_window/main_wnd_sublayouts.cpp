// The main window's own control tags: a device page names the profile bar
// and each feature page by a tag, and the tag is built from that page's own
// layout file.
#include <QVBoxLayout>

#include "pages/sub_layouts.h"
#include "platform/debug_output.h"
#include "ui/framework/skin.h"
#include "ui/main_window/main_wnd.h"

namespace ui {

QWidget* CMainWnd::CreateControl(const QString& className, QWidget* parent) {
    const char* layout = pages::SubLayoutOfTag(className.toStdString());
    if (layout == nullptr)
        return nullptr;
    const QString resource = QString::fromLatin1(layout);
    QWidget* built = nullptr;
    if (Skin::Instance().LayoutPath(resource).isEmpty())
        platform::DebugOutputF("page %s: layout %s not in the skin, left empty",
                               qPrintable(className), layout);
    else
        built = BuildSubLayout(resource, parent);
    if (built != nullptr)
        return built;
    // A page whose layout is missing (or broken) must not take the whole
    // device page down with it: the tag becomes an empty container that
    // keeps its name, so lookups fail softly.
    auto* empty = new QWidget(parent);
    auto* box = new QVBoxLayout(empty);
    box->setContentsMargins(0, 0, 0, 0);
    empty->setProperty("controlClass", className);
    return empty;
}

}  // namespace ui
