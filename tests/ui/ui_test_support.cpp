#include "ui_test_support.h"

#include <sys/stat.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QThread>

#include <cstdlib>

#include "support/temp_dir.h"
#include "ui/framework/application.h"
#include "ui/framework/skin.h"

namespace uitest {

void EnsureApplication() {
    static ui::Application* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_ui";
        static char* argv[] = {name, nullptr};
        auto* a = new ui::Application(argc, argv);
        a->setQuitOnLastWindowClosed(false);
        return a;
    }();
    (void)app;
}

bool ProcessUntil(const std::function<bool()>& done, int maxMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > maxMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void ProcessPending() {
    QCoreApplication::processEvents();
}

ScopedSkin::ScopedSkin(const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, content] : files) {
        const std::string path = dir_.File(name);
        const size_t slash = path.rfind('/');
        std::string folder = path.substr(0, slash);
        // Nested folders of the skin (XML/...).
        for (size_t pos = dir_.Path().size(); pos < folder.size();) {
            size_t next = folder.find('/', pos + 1);
            if (next == std::string::npos)
                next = folder.size();
            mkdir(folder.substr(0, next).c_str(), 0700);
            pos = next;
        }
        testing_support::WriteAll(path, content);
    }
    oldPath_ = ui::Skin::Instance().ResourcePath();
    ui::Skin::Instance().Release();
    ui::Skin::Instance().SetResourcePath(QString::fromStdString(dir_.Path()));
}

ScopedSkin::~ScopedSkin() {
    ui::Skin::Instance().Release();
    ui::Skin::Instance().SetResourcePath(oldPath_);
}

std::string UiDocument(const std::string& rootName, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n<class>" + rootName +
           "</class>\n<widget class=\"QWidget\" name=\"" + rootName +
           "\">\n<layout class=\"QVBoxLayout\" name=\"" + rootName + "_layout\">\n" + body +
           "</layout>\n</widget>\n</ui>\n";
}

int RecordingWindow::Count(const QString& type, const QString& sender) const {
    int n = 0;
    for (const auto& note : notifications) {
        if (note.type != type)
            continue;
        if (!sender.isEmpty() && (!note.sender || note.sender->objectName() != sender))
            continue;
        ++n;
    }
    return n;
}

std::vector<QString> RecordingWindow::Types() const {
    std::vector<QString> types;
    for (const auto& note : notifications)
        types.push_back(note.type);
    return types;
}

void RecordingWindow::InitWindow() {
    initRan = true;
    rootExistedAtInit = Root() != nullptr;
}

void RecordingWindow::Notify(const ui::Notification& n) {
    notifications.push_back(n);
    if (onNotify)
        onNotify(n);
}

intptr_t RecordingWindow::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                              bool& handled) {
    if (message < 0x0400)
        return 0;  // leave the framework's own messages alone
    messages.push_back(Received{message, wParam, lParam});
    handled = true;
    return onMessage ? onMessage(message, wParam, lParam) : 0;
}

QWidget* RecordingWindow::CreateControl(const QString& className, QWidget* parent) {
    createRequests.push_back(className);
    if (className.compare(QLatin1String("MyTag"), Qt::CaseInsensitive) == 0) {
        auto* label = new QLabel(parent);
        label->setProperty("madeByCallback", true);
        return label;
    }
    return nullptr;
}

static QPoint Centre(QWidget* w, QPoint pos) {
    return pos.x() < 0 ? w->rect().center() : pos;
}

void Click(QWidget* w, QPoint pos) {
    const QPoint p = Centre(w, pos);
    const QPoint g = w->mapToGlobal(p);
    QMouseEvent press(QEvent::MouseButtonPress, p, g, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

void DoubleClick(QWidget* w, QPoint pos) {
    const QPoint p = Centre(w, pos);
    const QPoint g = w->mapToGlobal(p);
    Click(w, pos);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, p, g, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(w, &dbl);
    QMouseEvent release(QEvent::MouseButtonRelease, p, g, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

void Press(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &release);
}

}  // namespace uitest
