// The program's QApplication. It records when the UI thread is delivering a
// user input event, which is how the framework tells a change the user made
// from one the program made (only the former raises a notification).
#pragma once

#include <QApplication>

namespace ui {

class Application : public QApplication {
    Q_OBJECT
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // True while a mouse, keyboard, wheel, touch or context-menu event is
    // being delivered on the UI thread.
    static bool InUserInput();
};

// Nesting depth of notification handlers on the UI thread: changes a handler
// makes are the program's, not the user's.
class NotifyScope {
  public:
    NotifyScope();
    ~NotifyScope();
    NotifyScope(const NotifyScope&) = delete;
    NotifyScope& operator=(const NotifyScope&) = delete;
    static bool Active();
};

// A nested event loop (a modal window) opened from a handler or from an
// input event starts afresh: the user's input inside it is the user's, and
// the program's changes there are the program's.
class NestedLoopScope {
  public:
    NestedLoopScope();
    ~NestedLoopScope();
    NestedLoopScope(const NestedLoopScope&) = delete;
    NestedLoopScope& operator=(const NestedLoopScope&) = delete;

  private:
    int savedInput_;
    int savedNotify_;
};

// A change seen now comes from the user: inside user input, outside any
// notification handler.
inline bool IsUserChange() {
    return Application::InUserInput() && !NotifyScope::Active();
}

}  // namespace ui
