// The main window's side of the profile bar: the routes of the bar's buttons,
// combo and tabs, the message window and file dialogs the flows ask for, and
// the switch timer. The flows themselves are device::ProfileBarFlow.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "device/profile_bar_flow.h"
#include "pages/page_hooks.h"

class QWidget;

namespace ui {

class CMainWnd;
class CDeviceProfileUI;

// The open and save dialogs for profile files; tests answer them.
class ProfileFileDialogs {
  public:
    virtual ~ProfileFileDialogs() = default;
    // "" when cancelled.
    virtual QString OpenProfile(QWidget* parent, const QString& title) = 0;
    virtual QString SaveProfile(QWidget* parent, const QString& title,
                                const QString& suggestedName) = 0;
};

// Qt's own dialog (never the desktop's: a typed path and Return work the
// same everywhere), "Profile Files (*.json)", ".json" added on save.
std::unique_ptr<ProfileFileDialogs> MakeQtProfileFileDialogs();

class ProfileBarPage : public pages::PageHooks, public device::ProfileBarShell {
  public:
    explicit ProfileBarPage(CMainWnd& window);
    ~ProfileBarPage() override;

    void SetFileDialogs(std::unique_ptr<ProfileFileDialogs> dialogs);

    bool Handle(const pages::RouteEvent& event) override;
    // Timer 1055.
    void OnSwitchTimer();

    // The current device's bar; null when no device is current.
    CDeviceProfileUI* CurrentBar() const;

    // device::ProfileBarShell
    bool Ask(const std::string& textId) override;
    void Inform(const std::string& textId) override;
    void InformText(const std::string& text) override;
    std::string Translate(const std::string& textId) const override;
    std::string ChooseImportFile() override;
    std::string ChooseExportFile(const std::string& suggestedName) override;
    void ShowLoadingLayer(bool show) override;
    void StartSwitchTimer() override;
    void AfterReset(device::CVornelUSBDevice& device) override;

  private:
    CMainWnd& window_;
    device::ProfileBarFlow flow_{*this};
    std::unique_ptr<ProfileFileDialogs> dialogs_;
};

}  // namespace ui
