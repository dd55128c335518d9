#include "ui/framework/application.h"

namespace ui {
namespace {

thread_local int g_inputDepth = 0;
thread_local int g_notifyDepth = 0;

bool IsInputEvent(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    if (!IsInputEvent(event->type()))
        return QApplication::notify(receiver, event);
    ++g_inputDepth;
    const bool result = QApplication::notify(receiver, event);
    --g_inputDepth;
    return result;
}

bool Application::InUserInput() {
    return g_inputDepth > 0;
}

NotifyScope::NotifyScope() {
    ++g_notifyDepth;
}
NotifyScope::~NotifyScope() {
    --g_notifyDepth;
}
bool NotifyScope::Active() {
    return g_notifyDepth > 0;
}

NestedLoopScope::NestedLoopScope() : savedInput_(g_inputDepth), savedNotify_(g_notifyDepth) {
    g_inputDepth = 0;
    g_notifyDepth = 0;
}
NestedLoopScope::~NestedLoopScope() {
    g_inputDepth = savedInput_;
    g_notifyDepth = savedNotify_;
}

}  // namespace ui
