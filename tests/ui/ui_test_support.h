// Shared pieces of the UI suites: the offscreen application, a skin folder
// written per test, a window that records what reaches it, and user input.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/framework/window.h"

class QWidget;

namespace uitest {

// The one ui::Application of the test process (offscreen platform).
void EnsureApplication();

// Runs the event loop until `done` or about `maxMs` passed; returns done().
bool ProcessUntil(const std::function<bool()>& done, int maxMs = 2000);
void ProcessPending();

// A skin folder with the given files (relative path -> content), made the
// current skin folder while it lives.
class ScopedSkin {
  public:
    explicit ScopedSkin(const std::vector<std::pair<std::string, std::string>>& files);
    ~ScopedSkin();
    std::string Path() const { return dir_.Path(); }

  private:
    testing_support::TempDir dir_;
    QString oldPath_;
};

// A .ui document with `body` as the children of a QWidget named `rootName`
// laid out vertically.
std::string UiDocument(const std::string& rootName, const std::string& body);

struct Received {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class RecordingWindow : public ui::Window {
  public:
    explicit RecordingWindow(QString skinFile) : skinFile_(std::move(skinFile)) {}

    std::vector<ui::Notification> notifications;
    std::vector<Received> messages;
    std::vector<QString> createRequests;
    std::function<void(const ui::Notification&)> onNotify;
    std::function<intptr_t(uint32_t, uintptr_t, intptr_t)> onMessage;
    bool initRan = false;
    bool rootExistedAtInit = false;

    int Count(const QString& type, const QString& sender = QString()) const;
    std::vector<QString> Types() const;

  protected:
    QString GetSkinFile() const override { return skinFile_; }
    void InitWindow() override;
    void Notify(const ui::Notification& n) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;

  private:
    QString skinFile_;
};

// User input delivered through the application (as the platform would).
void Click(QWidget* w, QPoint pos = QPoint(-1, -1));
void DoubleClick(QWidget* w, QPoint pos = QPoint(-1, -1));
void Press(QWidget* w, int key, const QString& text = QString());

}  // namespace uitest
