#include "ui/pages/profile_bar_page.h"

#include <QFileDialog>

#include "device/usb_device.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/main_window/main_wnd.h"
#include "ui/pages/device_option_ui.h"
#include "ui/pages/device_profile_ui.h"

namespace ui {
namespace {

using pages::Route;

class QtProfileFileDialogs : public ProfileFileDialogs {
  public:
    QString OpenProfile(QWidget* parent, const QString& title) override {
        QFileDialog dialog(parent, title);
        Prepare(dialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    }
    QString SaveProfile(QWidget* parent, const QString& title,
                        const QString& suggestedName) override {
        QFileDialog dialog(parent, title);
        Prepare(dialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("json"));
        dialog.selectFile(suggestedName + QStringLiteral(".json"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    }

  private:
    static void Prepare(QFileDialog& dialog) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setNameFilter(TextManager::Instance().Text(QStringLiteral("profile_file_filter")) +
                             QStringLiteral(" (*.json *.JSON *.Json)"));
    }
};

}  // namespace

std::unique_ptr<ProfileFileDialogs> MakeQtProfileFileDialogs() {
    return std::make_unique<QtProfileFileDialogs>();
}

ProfileBarPage::ProfileBarPage(CMainWnd& window)
    : window_(window), dialogs_(MakeQtProfileFileDialogs()) {}

ProfileBarPage::~ProfileBarPage() = default;

void ProfileBarPage::SetFileDialogs(std::unique_ptr<ProfileFileDialogs> dialogs) {
    dialogs_ = dialogs ? std::move(dialogs) : MakeQtProfileFileDialogs();
}

CDeviceProfileUI* ProfileBarPage::CurrentBar() const {
    device::CVornelUSBDevice* current = window_.CurrentDevice();
    if (current == nullptr)
        return nullptr;
    return qobject_cast<CDeviceProfileUI*>(FindSubControlByName(
        window_.PageOfRow(current->GetModelRow()), QStringLiteral("DeviceProfileItem")));
}

bool ProfileBarPage::Handle(const pages::RouteEvent& event) {
    CDeviceProfileUI* bar = CurrentBar();
    switch (event.route) {
        case Route::ProfileAdd:
            flow_.Add(bar);
            return true;
        case Route::ProfileCopy:
            flow_.Copy(bar);
            return true;
        case Route::ProfileDelete:
            flow_.Delete(bar);
            return true;
        case Route::ProfileRename:
            flow_.Rename(bar);
            return true;
        case Route::ProfileImport:
            flow_.Import(bar);
            return true;
        case Route::ProfileExport:
            flow_.Export(bar);
            return true;
        case Route::ProfileSpread:
            flow_.ToggleMenu(bar);
            return true;
        case Route::ProfileSwitch:
            flow_.OnProfileChosen();
            return true;
        case Route::ProfileReset:
            flow_.Reset(window_.CurrentDevice(), bar);
            return true;
        case Route::FunctionTab:
            if (bar != nullptr)
                bar->SelectTabOption(event.index);
            return true;
        default:
            return false;
    }
}

void ProfileBarPage::OnSwitchTimer() {
    flow_.SwitchProfile(window_.CurrentDevice(), CurrentBar());
}

bool ProfileBarPage::Ask(const std::string& textId) {
    return window_.ShowMessage(QString::fromStdString(textId), true, kMessageQuestion) == 1;
}

void ProfileBarPage::Inform(const std::string& textId) {
    window_.ShowMessage(QString::fromStdString(textId), true, kMessageInfo);
}

void ProfileBarPage::InformText(const std::string& text) {
    window_.ShowMessage(QString::fromStdString(text), false, kMessageInfo);
}

std::string ProfileBarPage::Translate(const std::string& textId) const {
    return TextManager::Instance().Text(QString::fromStdString(textId)).toStdString();
}

std::string ProfileBarPage::ChooseImportFile() {
    return dialogs_
        ->OpenProfile(&window_,
                      TextManager::Instance().Text(QStringLiteral("profile_import_title")))
        .toStdString();
}

std::string ProfileBarPage::ChooseExportFile(const std::string& suggestedName) {
    return dialogs_
        ->SaveProfile(&window_,
                      TextManager::Instance().Text(QStringLiteral("profile_export_title")),
                      QString::fromStdString(suggestedName))
        .toStdString();
}

void ProfileBarPage::ShowLoadingLayer(bool show) {
    window_.ShowLoadingLayer(show);
}

void ProfileBarPage::StartSwitchTimer() {
    window_.SetWindowTimer(kProfileSwitchTimer, 150);
}

void ProfileBarPage::AfterReset(device::CVornelUSBDevice& device) {
    const int type = device.GetDeviceType();
    QWidget* page = window_.PageOfRow(device.GetModelRow());
    if (type == 1 || type == 2) {
        // The key page shows no key after a reset.
        SetControlVisible(FindSubControlByName(page, QStringLiteral("keyset_layout")), false);
        if (CDeviceOptionUI* entry = window_.EntryOfRow(device.GetModelRow())) {
            if (type == 1)
                entry->RestartKeepAliveB();
            else
                entry->RestartKeepAliveA();
        }
    }
    // Nothing is left to save or cancel on the key page.
    window_.BarLock(false, true);
}

}  // namespace ui
