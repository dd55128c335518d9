// CDeviceProfileUI ("DeviceProfile"): the profile bar above a device page.
// It owns the device's profile list (profile::ProfileList) and mirrors it in
// "device_profile_combo", keeps the name edit and the folded profile menu,
// and marks the function tab options. The main window asks the questions
// and shows the messages; this class only changes the list and the combo.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "device/profile_bar_flow.h"
#include "device/profile_bar_view.h"
#include "pages/function_tabs.h"
#include "profile/profile_list.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace ui {

class CDeviceProfileUI : public QWidget,
                         public device::ProfileBarView,
                         public device::ProfileBarOps {
    Q_OBJECT
  public:
    explicit CDeviceProfileUI(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "DeviceProfile";
    static void Register();

    // device::ProfileBarView
    void SetDeviceType(int type) override { deviceType_ = type; }
    void SetProfilePaths(const std::string& profileDir,
                         const std::string& defaultDataFile) override;
    bool LoadProfileList() override;
    void SelectTabOption(int type) override;
    std::string GetCurrentProfileUUID() const override { return list_.GetCurrentProfileUUID(); }
    std::vector<std::string> ProfileFilePaths() const override {
        return list_.GetProfileFilePaths();
    }

    int GetDeviceType() const { return deviceType_; }
    // device::ProfileBarOps; results as profile::ProfileList gives them.
    int AddProfile() override;
    int CopyProfile() override;
    int DeleteProfile() override;
    int RenameProfile(const std::string& name) override;
    // Records the selection; the combo raises "itemselect" only with `notify`.
    bool SelectProfile(int index, bool notify) override;
    bool ExportProfile(const std::string& path) const override;
    // -1 without a combo.
    int ImportProfile(const std::string& path, const std::string& name) override;
    bool ResetProfile() override;
    int GetSelectedIndex() const override;
    std::string SelectedName() const override { return list_.SelectedName(); }
    std::string GetNameEditText() const override;
    void ResetNameEdit() override;
    bool IsProfileMenuShown() const override;
    void ShowProfileMenu(bool show) override;

    int GetProfileCount() const { return list_.GetProfileCount(); }
    std::string GetProfileFilePath(int index) const { return list_.GetProfileFilePath(index); }
    void SetNameEditText(const QString& name);

    const profile::ProfileList& List() const { return list_; }
    QComboBox* Combo() const;
    QAbstractButton* TabOption(int type) const;

  private:
    // Refills the combo from the list as it is on disk now.
    void MirrorList();
    void ApplyTabVisibility();
    QLineEdit* NameEdit() const;
    QWidget* MenuLayout() const;

    profile::ProfileList list_;
    int deviceType_ = 0;
    mutable QPointer<QComboBox> combo_;
    mutable QPointer<QLineEdit> nameEdit_;
    mutable QPointer<QWidget> menu_;
    mutable std::array<QPointer<QAbstractButton>, pages::kFunctionTabCount> tabs_;
};

}  // namespace ui
