// CSetWnd ("SetWnd", "setwnd.xml"): the settings window. It holds the
// language list and the update area; while it is open one update check runs
// on a worker that only talks to the network and posts its results here,
// where the list controls are changed.
#pragma once

#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "ui/framework/window.h"
#include "update/update_check.h"
#include "update/update_list.h"

namespace ui {

class CUpdateInfoListItemUI;

inline constexpr int kSetWndWidth = 630;
inline constexpr int kSetWndHeight = 500;
inline constexpr int kSetWndRightGap = 85;  // from the main window's right edge
inline constexpr int kSetWndTopGap = 60;    // below the main window's top

// One of the seven scales the window accepts, else 96 (and the caller
// writes the error line).
bool IsAcceptedSetWndScale(int dpi);

class CSetWnd : public Window {
    Q_OBJECT
  public:
    CSetWnd();
    ~CSetWnd() override;

    // A scale outside the accepted ones writes "SET_WND DPI SET ERROR" and
    // uses 96. The same scale again changes nothing.
    void SetScale(int dpi);
    int Scale() const { return scale_; }
    // The window the language choice, 3094 and the relay belong to.
    void SetMainWindow(Window* main, int languageIndex);
    int LanguageIndex() const { return languageIndex_; }
    // The devices of the main window's device selector, as it saw them.
    void SetDevices(std::vector<update::DeviceVersion> devices);
    // The registered number of the settings relay; 0 ignores none.
    void SetRelayMessage(uint32_t message) { relayMessage_ = message; }
    // Tests shorten the check's time-outs and point it at their server.
    void SetCheckOptions(update::UpdateCheck::Options options) {
        options_ = std::move(options);
        optionsSet_ = true;
    }

    const update::UpdateList& List() const { return list_; }
    update::UpdateList& MutableList() { return list_; }
    update::OverallState Overall() const { return overall_; }
    bool CheckRunning() const { return check_.Running(); }
    bool CheckDone() const { return checkDone_; }
    const std::string& LastCheckDate() const { return lastCheckDate_; }
    CUpdateInfoListItemUI* Item(size_t row) const;

    // Stops the check and joins it (bounded, reported); results that are
    // still on their way are dropped. Stopping again does nothing.
    void StopThreads();

  protected:
    QString GetSkinFile() const override { return QStringLiteral("setwnd.xml"); }
    void InitWindow() override;
    void Notify(const Notification& notification) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    void OnCloseRequest() override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void OnWindowInit();
    void OnClick(QWidget* sender, const QString& name);
    void OnItemSelect(QWidget* sender, uintptr_t index);
    void OnSelectChanged(QWidget* sender);
    // A close by the close button, Escape or the window manager.
    void RequestClose();
    void FillLanguageList();
    void BuildRows();
    void ShowRow(size_t row);
    void StartCheck();
    void ApplyRowResult(int row, const update::UpdateInfo& info);
    void ApplyCheckDone(const update::CheckSummary& summary);
    // State 4 also takes the update mark off the main window's "setbtn".
    void ShowOverall(update::OverallState state, bool tellMainWindow = true);
    void ShowUpdateButton();
    void ShowMaximisedState();

    update::UpdateCheck check_;
    update::UpdateCheck::Options options_;
    bool optionsSet_ = false;
    bool acceptResults_ = false;
    bool checkDone_ = false;
    bool serverConfigured_ = false;
    std::vector<update::DeviceVersion> devices_;
    update::UpdateList list_;
    std::vector<QPointer<CUpdateInfoListItemUI>> items_;
    QPointer<QWidget> updateList_;
    QPointer<QWidget> closeBtn_, maxBtn_, restoreBtn_, minBtn_, menuBtn_, laterBtn_;
    QPointer<QWidget> languageList_;
    QPointer<Window> mainWnd_;
    int languageIndex_ = -1;
    int scale_ = 96;
    uint32_t relayMessage_ = 0;
    std::string lastCheckDate_;
    update::OverallState overall_ = update::OverallState::Checking;
};

}  // namespace ui
