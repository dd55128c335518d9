// The macro page in the real window against the simulated keyboard, as far
// as it reaches beyond its own files: the key page's and the keyboard's
// macro names follow each change, and a deleted macro's keys are mended in
// every profile, on disk and on the device.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "device/device_classes.h"
#include "platform/paths.h"
#include "profile/profile_data.h"
#include "ui/framework/control_ops.h"
#include "ui/pages/device_profile_ui.h"
#include "ui/pages/key_set_control_ui.h"
#include "ui/pages/macro_control_ui.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using profile::KeyAssignment;
using profile::KeyListEntry;
using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

KeyAssignment Macro(uint16_t key, uint8_t index) {
    return {key, profile::kMacroTypeA, index, 0};
}

class MacroPageWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        oldProgramFolder_ = platform::ProgramFolder();
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        ASSERT_TRUE(world_.StartWithKeyboard());
        // The key table can be sent once the keyboard's key maps are read.
        ASSERT_TRUE(ProcessUntil([&] { return keyboard().Maps().keyCount > 0; }, 5000));
        wnd().SetMessageWindow(
            [this](QWidget*, const QString&, const QString& text, int, bool, int buttons) {
                messages.push_back(text.toStdString());
                return buttons == 1 ? answer : 1;
            });
        bar_ = qobject_cast<ui::CDeviceProfileUI*>(Find("DeviceProfileItem"));
        macroPage_ = ui::MacroPageIn(wnd().PageOfRow(0));
        keyPage_ = qobject_cast<ui::CKeySetControlUI*>(Find("KeySetControlItem"));
        ASSERT_NE(bar_, nullptr);
        ASSERT_NE(macroPage_, nullptr);
        ASSERT_NE(keyPage_, nullptr);
        Press("macro_Op_tab");
        ASSERT_TRUE(ProcessUntil([&] { return macroPage_->isVisible(); }, 2000));
    }
    void TearDown() override { platform::SetProgramFolder(oldProgramFolder_); }

    ui::CMainWnd& wnd() { return world_.Window(); }
    device::CVornelKeyboardDevice& keyboard() {
        return *static_cast<device::CVornelKeyboardDevice*>(wnd().DeviceOfRow(0));
    }
    QWidget* Find(const char* name) {
        return ui::FindSubControlByName(wnd().PageOfRow(0), QString::fromLatin1(name));
    }
    void Press(const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(Find(name));
        ASSERT_NE(button, nullptr) << name;
        uitest::Click(button);
    }
    void SelectMacro(int row) {
        auto* list = qobject_cast<QListWidget*>(Find("macro_name_list"));
        ASSERT_NE(list, nullptr);
        ASSERT_NE(list->item(row), nullptr);
        uitest::Click(list->viewport(), list->visualItemRect(list->item(row)).center());
        ASSERT_TRUE(ProcessUntil([&] { return macroPage_->SelectedMacro() == row; }, 2000));
    }
    void AddMacros(int count) {
        for (int i = 0; i < count; ++i)
            Press("macro_btn_name_add");
        ASSERT_NE(macroPage_->Model(), nullptr);
        ASSERT_EQ(macroPage_->Model()->Names().size(), static_cast<size_t>(count));
    }
    // The key page's macro choices.
    std::vector<std::string> KeyPageNames() { return keyPage_->MacroNames(); }
    // Sets keys of the profile file at `path` (not the current one).
    static void AssignInFile(const std::string& path, const std::vector<KeyAssignment>& keys) {
        profile::CKeyboardProfiledata data;
        data.SetProfilePath(path);
        data.LoadProfile(path);
        std::vector<KeyListEntry> list = data.GetKeyList();
        for (const KeyAssignment& a : keys)
            list.at(a.keyIndex).Assignment = a;
        data.SetKeyList(list);
        ASSERT_TRUE(data.Save());
    }
    static std::vector<KeyListEntry> KeysInFile(const std::string& path) {
        profile::CKeyboardProfiledata data;
        data.LoadProfile(path);
        return data.GetKeyList();
    }
    // Entries of the simulated keyboard's key map that call a macro (by its
    // place in the downloaded macro image).
    int DeviceKeysCalling(uint8_t place) {
        const auto map = world_.Devices().ReadRegion("keyboard", "keymap");
        int n = 0;
        for (size_t i = 0; map && i + 2 < map->size(); i += 3)
            n += (*map)[i] == profile::kMacroTypeA && (*map)[i + 1] == place;
        return n;
    }
    int DeviceMacroCount() {
        const auto image = world_.Devices().ReadRegion("keyboard", "macros");
        return image && image->size() > 5 && (*image)[0] == 0xAA ? (*image)[4] | (*image)[5] << 8
                                                                 : -1;
    }

    std::string oldProgramFolder_;
    WindowWorld world_;
    ui::CDeviceProfileUI* bar_ = nullptr;
    ui::CMacroControlUI* macroPage_ = nullptr;
    ui::CKeySetControlUI* keyPage_ = nullptr;
    std::vector<std::string> messages;
    int answer = 1;
};

}  // namespace

TEST_F(MacroPageWindow, NameListsFollowCreateRenameAndDelete) {
    AddMacros(2);
    EXPECT_EQ(KeyPageNames(), (std::vector<std::string>{"macro_1", "macro_2"}));
    EXPECT_EQ(keyboard().MacroNames(), KeyPageNames());

    // A key that calls the second macro shows its new name.
    std::vector<KeyListEntry> keys = keyboard().KeyList();
    keys.at(3).Assignment = Macro(3, 1);
    keyboard().SetKeyListAll(keys);
    SelectMacro(1);
    auto* edit = qobject_cast<QLineEdit*>(Find("macro_edit_macroname"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("burst"));
    Press("macro_btn_name_edit");
    EXPECT_EQ(KeyPageNames(), (std::vector<std::string>{"macro_1", "burst"}));
    EXPECT_EQ(keyboard().MacroNames(), KeyPageNames());

    // The macro shown on the key page follows its entry when an earlier one
    // goes.
    auto* combo = qobject_cast<QComboBox*>(Find("keyset_macro_combo"));
    ASSERT_NE(combo, nullptr);
    ui::SetControlCurrentIndex(combo, 1);
    SelectMacro(0);
    messages.clear();
    Press("macro_btn_name_sub");
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_4"}) << "no key calls macro_1";
    EXPECT_EQ(KeyPageNames(), std::vector<std::string>{"burst"});
    EXPECT_EQ(keyboard().MacroNames(), KeyPageNames());
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(keyboard().KeyList().at(3).Assignment, Macro(3, 0));
}

TEST_F(MacroPageWindow, DeletingAMacroMendsTheKeysOfEveryProfileAndTheDevice) {
    Press("device_add_btn");  // a second profile, the first stays current
    ASSERT_EQ(bar_->GetProfileCount(), 2);
    const std::string other = bar_->GetProfileFilePath(1);
    const std::string current = keyboard().GetProfilePathOf();
    ASSERT_NE(other, current);
    AddMacros(3);

    std::vector<KeyListEntry> keys = keyboard().KeyList();
    const KeyAssignment ownOfKey1 = keys.at(1).DefaultAssignment;
    keys.at(0).Assignment = Macro(0, 2);
    keys.at(1).Assignment = Macro(1, 0);
    keyboard().SetKeyListAll(keys);
    keyboard().SaveProfile();
    AssignInFile(other, {Macro(5, 2), Macro(6, 1), Macro(7, 0)});

    // Declining the second question changes nothing.
    SelectMacro(0);
    messages.clear();
    answer = 0;
    Press("macro_btn_name_sub");
    // The first question was declined already.
    EXPECT_EQ(messages, std::vector<std::string>{"message_text_4"});
    EXPECT_EQ(macroPage_->Model()->Names().size(), 3u);

    messages.clear();
    int asked = 0;
    wnd().SetMessageWindow([&](QWidget*, const QString&, const QString& text, int, bool, int) {
        messages.push_back(text.toStdString());
        return ++asked == 1 ? 1 : 0;  // yes to the first, no to "used by a key"
    });
    Press("macro_btn_name_sub");
    EXPECT_EQ(messages, (std::vector<std::string>{"message_text_4", "message_text_2"}));
    EXPECT_EQ(macroPage_->Model()->Names().size(), 3u);
    EXPECT_EQ(keyboard().KeyList().at(0).Assignment, Macro(0, 2));
    EXPECT_EQ(KeysInFile(other).at(5).Assignment, Macro(5, 2));

    wnd().SetMessageWindow([&](QWidget*, const QString&, const QString& text, int, bool, int) {
        messages.push_back(text.toStdString());
        return 1;
    });
    Press("macro_btn_name_sub");
    EXPECT_EQ(macroPage_->Model()->Names(), (std::vector<std::string>{"macro_2", "macro_3"}));

    // The current profile: in memory, on disk and on the device.
    EXPECT_EQ(keyboard().KeyList().at(0).Assignment, Macro(0, 1));
    EXPECT_EQ(keyboard().KeyList().at(1).Assignment, ownOfKey1);
    EXPECT_EQ(KeysInFile(current).at(0).Assignment, Macro(0, 1));
    EXPECT_EQ(KeysInFile(current).at(1).Assignment, ownOfKey1);
    // Key 0 calls the only macro downloaded, the one that was third.
    EXPECT_EQ(DeviceKeysCalling(0), 1);
    EXPECT_EQ(DeviceKeysCalling(1), 0);
    EXPECT_EQ(DeviceMacroCount(), 1);
    // The other profile, on disk.
    const std::vector<KeyListEntry> otherKeys = KeysInFile(other);
    EXPECT_EQ(otherKeys.at(5).Assignment, Macro(5, 1));
    EXPECT_EQ(otherKeys.at(6).Assignment, Macro(6, 0));
    EXPECT_EQ(otherKeys.at(7).Assignment, otherKeys.at(7).DefaultAssignment);
    EXPECT_EQ(KeyPageNames(), (std::vector<std::string>{"macro_2", "macro_3"}));
}
