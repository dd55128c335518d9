#include "ui/pages/device_profile_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui/framework/window.h"

namespace ui {
namespace {

// Every combo item is one row of this height (design pixels).
constexpr int kItemHeight = 30;

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
    setProperty("controlClass", QString::fromLatin1(kClassName));
}

void CDeviceProfileUI::Register() {
    auto create = [](QWidget* parent) -> QWidget* { return new CDeviceProfileUI(parent); };
    ControlFactory::Instance().RegisterControl(QString::fromLatin1(kClassName), create);
    ControlFactory::Instance().RegisterControl(QStringLiteral("CDeviceProfileUI"), create);
}

QComboBox* CDeviceProfileUI::Combo() const {
    if (!combo_)
        combo_ = qobject_cast<QComboBox*>(FindSubControlByName(
            const_cast<CDeviceProfileUI*>(this), QStringLiteral("device_profile_combo")));
    return combo_;
}

QLineEdit* CDeviceProfileUI::NameEdit() const {
    if (!nameEdit_)
        nameEdit_ = qobject_cast<QLineEdit*>(FindSubControlByName(
            const_cast<CDeviceProfileUI*>(this), QStringLiteral("device_profile_name_edit")));
    return nameEdit_;
}

QWidget* CDeviceProfileUI::MenuLayout() const {
    if (!menu_)
        menu_ = FindSubControlByName(const_cast<CDeviceProfileUI*>(this),
                                     QStringLiteral("profile_menu_layout"));
    return menu_;
}

QAbstractButton* CDeviceProfileUI::TabOption(int type) const {
    if (type < 1 || type > pages::kFunctionTabCount)
        return nullptr;
    QPointer<QAbstractButton>& tab = tabs_[static_cast<size_t>(type - 1)];
    if (!tab)
        tab = qobject_cast<QAbstractButton*>(
            FindSubControlByName(const_cast<CDeviceProfileUI*>(this),
                                 QString::fromLatin1(pages::kFunctionTabNames[type - 1])));
    return tab;
}

void CDeviceProfileUI::SetProfilePaths(const std::string& profileDir,
                                       const std::string& defaultDataFile) {
    list_.SetProfilePaths(profileDir, defaultDataFile);
}

void CDeviceProfileUI::MirrorList() {
    QComboBox* combo = Combo();
    if (combo == nullptr)
        return;
    // The program's own changes raise no notification.
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& n : list_.Names()) {
        const QString name = QString::fromStdString(n);
        combo->addItem(name, name);
        const int i = combo->count() - 1;
        combo->setItemData(i, name, Qt::ToolTipRole);
        combo->setItemData(i, QSize(0, kItemHeight), Qt::SizeHintRole);
    }
    combo->setCurrentIndex(list_.GetSelectedIndex());
    // The framework reports the previous index with a selection; keep it true.
    combo->setProperty("_qx70Index", combo->currentIndex());
    combo->setToolTip(combo->currentText());
    SetControlText(NameEdit(), combo->currentText());
}

bool CDeviceProfileUI::LoadProfileList() {
    list_.SetDeviceType(deviceType_);
    const bool ok = list_.LoadProfileList();
    MirrorList();
    ApplyTabVisibility();
    return ok;
}

void CDeviceProfileUI::ApplyTabVisibility() {
    for (int type = 1; type <= pages::kFunctionTabCount; ++type) {
        const std::optional<bool> shown = pages::FunctionTabShown(deviceType_, type);
        if (shown)
            SetControlVisible(TabOption(type), *shown);
    }
}

void CDeviceProfileUI::SelectTabOption(int type) {
    std::array<QAbstractButton*, pages::kFunctionTabCount> tabs{};
    for (int t = 1; t <= pages::kFunctionTabCount; ++t) {
        tabs[static_cast<size_t>(t - 1)] = TabOption(t);
        if (tabs[static_cast<size_t>(t - 1)] == nullptr)
            return;
    }
    const std::array<bool, pages::kFunctionTabCount> marks = pages::FunctionTabMarks(type);
    for (size_t i = 0; i < tabs.size(); ++i) {
        QAbstractButton* tab = tabs[i];
        const QSignalBlocker block(tab);
        // An exclusive option cannot be cleared while it holds the mark.
        const bool exclusive = tab->autoExclusive();
        tab->setAutoExclusive(false);
        tab->setChecked(marks[i]);
        tab->setAutoExclusive(exclusive);
    }
}

int CDeviceProfileUI::GetSelectedIndex() const {
    QComboBox* combo = Combo();
    return combo != nullptr ? combo->currentIndex() : -1;
}

int CDeviceProfileUI::AddProfile() {
    const int r = list_.AddProfile();
    // Whatever happened, the combo shows the list as it is on disk.
    MirrorList();
    return r;
}

int CDeviceProfileUI::CopyProfile() {
    const int r = list_.CopyProfile();
    MirrorList();
    return r;
}

int CDeviceProfileUI::DeleteProfile() {
    const int before = list_.GetSelectedIndex();
    const int r = list_.DeleteProfile();
    MirrorList();
    // The selection moved: the device follows as if the user had chosen.
    if (r == profile::ProfileList::kDone && Combo() != nullptr)
        SelectProfile(list_.GetSelectedIndex(), true);
    (void)before;
    return r;
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    const int r = list_.RenameProfile(name.toStdString());
    MirrorList();
    return r;
}

bool CDeviceProfileUI::SelectProfile(int index, bool notify) {
    QComboBox* combo = Combo();
    if (combo == nullptr || index < 0 || index >= combo->count())
        return false;
    const bool ok = list_.SelectProfile(index);
    MirrorList();
    if (notify) {
        if (auto* w = qobject_cast<Window*>(window()))
            w->SendNotify(combo, QString::fromLatin1(notify::kItemSelect),
                          static_cast<uintptr_t>(combo->currentIndex()));
    }
    return ok;
}

bool CDeviceProfileUI::ExportProfile(const QString& path) const {
    return list_.ExportProfile(path.toStdString());
}

int CDeviceProfileUI::ImportProfile(const QString& path, const QString& name) {
    if (Combo() == nullptr)
        return -1;
    const int r = list_.ImportProfile(path.toStdString(), name.toStdString());
    MirrorList();
    return r;
}

bool CDeviceProfileUI::ResetProfile() {
    return list_.ResetProfile();
}

QString CDeviceProfileUI::GetNameEditText() const {
    return ControlText(NameEdit());
}

void CDeviceProfileUI::SetNameEditText(const QString& name) {
    SetControlText(NameEdit(), name);
}

void CDeviceProfileUI::ResetNameEdit() {
    SetControlText(NameEdit(), QString::fromStdString(list_.SelectedName()));
}

bool CDeviceProfileUI::IsProfileMenuShown() const {
    QWidget* menu = MenuLayout();
    return menu != nullptr && !menu->isHidden();
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    SetControlVisible(MenuLayout(), show);
}

}  // namespace ui
