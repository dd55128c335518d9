// The profile bar in the real window against the simulated keyboard: the
// start-up fill, the buttons through the message window, the combo's switch
// with the loading layer and timer, the file dialogs, reset, and the list
// write that fails.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <fstream>

#include "device/device_classes.h"
#include "platform/paths.h"
#include "profile/json_file_store.h"
#include "ui/framework/control_ops.h"
#include "ui/pages/device_profile_ui.h"
#include "ui/pages/profile_bar_page.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

class AnsweredDialogs : public ui::ProfileFileDialogs {
  public:
    explicit AnsweredDialogs(QString* path) : path_(path) {}
    QString OpenProfile(QWidget*, const QString&) override { return *path_; }
    QString SaveProfile(QWidget*, const QString&, const QString& name) override {
        suggested = name;
        return *path_;
    }
    QString suggested;

  private:
    QString* path_;
};

class ProfileBarWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        // New profiles are made from the real default data.
        oldProgramFolder_ = platform::ProgramFolder();
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        ASSERT_TRUE(world_.StartWithKeyboard());
        wnd().SetMessageWindow(
            [this](QWidget*, const QString&, const QString& text, int, bool isId, int buttons) {
                messages.push_back((isId ? "id " : "text ") + text.toStdString());
                return buttons == 1 ? answer : 1;
            });
        wnd().ProfileBars().SetFileDialogs(std::make_unique<AnsweredDialogs>(&dialogPath));
        bar_ = qobject_cast<ui::CDeviceProfileUI*>(
            ui::FindSubControlByName(wnd().PageOfRow(0), QStringLiteral("DeviceProfileItem")));
        ASSERT_NE(bar_, nullptr);
    }
    void TearDown() override { platform::SetProgramFolder(oldProgramFolder_); }
    ui::CMainWnd& wnd() { return world_.Window(); }
    device::CVornelKeyboardDevice& keyboard() {
        return *static_cast<device::CVornelKeyboardDevice*>(wnd().DeviceOfRow(0));
    }
    QAbstractButton* Button(const char* name) {
        return qobject_cast<QAbstractButton*>(
            ui::FindSubControlByName(wnd().PageOfRow(0), QString::fromLatin1(name)));
    }
    std::string Folder() const {
        return bar_->List().ListPath().substr(0, bar_->List().ListPath().rfind('/') + 1);
    }
    QStringList ComboItems() {
        QStringList items;
        for (int i = 0; i < bar_->Combo()->count(); ++i)
            items << bar_->Combo()->itemText(i);
        return items;
    }
    uint8_t SettingsByte(size_t i) {
        auto region = world_.Devices().ReadRegion("keyboard", "settings");
        return region && region->size() > i ? (*region)[i] : 0xEE;
    }

    std::string oldProgramFolder_;
    WindowWorld world_;
    ui::CDeviceProfileUI* bar_ = nullptr;
    std::vector<std::string> messages;
    int answer = 1;
    QString dialogPath;
};

}  // namespace

TEST_F(ProfileBarWindow, StartFillsTheBarAndTheDeviceStartsOnItsSelection) {
    EXPECT_EQ(ComboItems(), QStringList{QStringLiteral("profile1")});
    EXPECT_EQ(bar_->Combo()->itemData(0, Qt::ToolTipRole).toString(), QStringLiteral("profile1"));
    EXPECT_EQ(bar_->Combo()->itemData(0).toString(), QStringLiteral("profile1"));
    EXPECT_EQ(bar_->GetNameEditText(), "profile1");
    EXPECT_EQ(keyboard().GetProfileName(), bar_->GetCurrentProfileUUID());
    EXPECT_EQ(bar_->GetDeviceType(), 1);
    EXPECT_TRUE(bar_->TabOption(1)->isChecked()) << "the first tab is selected";
    EXPECT_FALSE(bar_->TabOption(5)->isVisible());
    EXPECT_FALSE(bar_->TabOption(9)->isVisible());
    EXPECT_TRUE(bar_->TabOption(4)->isVisible());
}

TEST_F(ProfileBarWindow, ButtonsAskAndTheComboMirrorsTheList) {
    answer = 0;
    uitest::Click(Button("device_add_btn"));
    EXPECT_EQ(messages, std::vector<std::string>{"id message_text_27"});
    EXPECT_EQ(ComboItems().size(), 1);
    answer = 1;
    uitest::Click(Button("device_add_btn"));
    uitest::Click(Button("device_copy_btn"));
    EXPECT_EQ(ComboItems(), (QStringList{"profile1", "profile2", "profile1 copy"}));
    EXPECT_EQ(bar_->Combo()->currentIndex(), 0);

    // The spread button folds the menu; its name is compared with case.
    ASSERT_TRUE(bar_->IsProfileMenuShown());
    uitest::Click(Button("profile_fun_spread_btn"));
    EXPECT_FALSE(bar_->IsProfileMenuShown());
    uitest::Click(Button("profile_fun_spread_btn"));
    EXPECT_TRUE(bar_->IsProfileMenuShown());

    // Deleting the first selects the new first and switches the device.
    messages.clear();
    uitest::Click(Button("device_sub_btn"));
    EXPECT_EQ(ComboItems(), (QStringList{"profile2", "profile1 copy"}));
    EXPECT_EQ(bar_->Combo()->currentIndex(), 0);
    ASSERT_TRUE(ProcessUntil(
        [&] { return keyboard().GetProfileName() == bar_->GetCurrentProfileUUID(); }, 3000));
    EXPECT_EQ(messages, std::vector<std::string>{"id message_text_29"});
}

TEST_F(ProfileBarWindow, ChoosingAProfileShowsTheLayerAndSendsItsRecord) {
    uitest::Click(Button("device_add_btn"));
    const std::string file = bar_->GetProfileFilePath(1);
    Json::Value doc = profile::JsonFileStore().ParseJsonFile(file);
    doc["Device"][0]["SystemStages"]["PollingRate"] = 1;
    doc["Device"][0]["SystemStages"]["WinFlag"] = 1;
    ASSERT_TRUE(profile::JsonFileStore().WriteJsonFile(file, doc));
    ASSERT_NE(SettingsByte(22), 1);

    QWidget* layer = wnd().FindControl(QStringLiteral("Loading_Layout"));
    ASSERT_NE(layer, nullptr);
    bar_->Combo()->setFocus();
    // A person's choice: the layer is up before any transfer starts.
    wnd().SendNotify(bar_->Combo(), QStringLiteral("itemselect"), 1);
    bar_->Combo()->setCurrentIndex(1);
    EXPECT_FALSE(layer->isHidden());
    ASSERT_TRUE(ProcessUntil([&] { return layer->isHidden(); }, 3000));
    EXPECT_EQ(keyboard().GetProfileName(), bar_->List().GetCurrentProfileUUID());
    EXPECT_EQ(SettingsByte(22), 1);
    EXPECT_EQ(SettingsByte(21), 1);
    EXPECT_EQ(bar_->GetNameEditText(), "profile2");
}

TEST_F(ProfileBarWindow, ExportAndImportGoThroughTheDialogs) {
    dialogPath = QString::fromStdString(Folder()) + QStringLiteral("Game.json");
    uitest::Click(Button("device_export_btn"));
    std::ifstream in(dialogPath.toStdString());
    ASSERT_TRUE(in.good());
    uitest::Click(Button("device_import_btn"));
    uitest::Click(Button("device_import_btn"));
    EXPECT_EQ(ComboItems(), (QStringList{"profile1", "Game", "Game(1)"}));
    EXPECT_EQ(bar_->Combo()->currentIndex(), 2);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProfileBarWindow, ResetRestoresTheDefaultsAndLocksTheKeyButtons) {
    const std::string file = bar_->GetProfileFilePath(0);
    Json::Value doc = profile::JsonFileStore().ParseJsonFile(file);
    doc["Device"][0]["SystemStages"]["PollingRate"] = 2;
    ASSERT_TRUE(profile::JsonFileStore().WriteJsonFile(file, doc));
    answer = 0;
    uitest::Click(Button("device_reset_btn"));
    EXPECT_EQ(
        profile::JsonFileStore().ParseJsonFile(file)["Device"][0]["SystemStages"]["PollingRate"],
        2);
    EXPECT_TRUE(wnd().FindControl(QStringLiteral("Loading_Layout"))->isHidden());
    answer = 1;
    uitest::Click(Button("device_reset_btn"));
    const Json::Value reset = profile::JsonFileStore().ParseJsonFile(file);
    EXPECT_EQ(reset["Device"][0]["SystemStages"]["PollingRate"].asInt(), 0);
    EXPECT_EQ(reset["profilename"].asString(), "profile1");
    EXPECT_EQ(reset["profileUUID"].asString(), bar_->GetCurrentProfileUUID());
    EXPECT_EQ(SettingsByte(22), 0);
    EXPECT_TRUE(wnd().KeyEditFlag());
    EXPECT_TRUE(wnd().FindControl(QStringLiteral("Loading_Layout"))->isHidden());
}

TEST_F(ProfileBarWindow, AListThatCannotBeWrittenIsSaidAndTheComboFollowsTheDisk) {
    if (geteuid() == 0)
        GTEST_SKIP() << "a read-only folder does not stop root";
    const std::string folder = Folder();
    ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
    uitest::Click(Button("device_add_btn"));
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(messages,
              (std::vector<std::string>{"id message_text_27", "id profile_list_write_failed"}));
    EXPECT_EQ(ComboItems(), QStringList{QStringLiteral("profile1")});
}
