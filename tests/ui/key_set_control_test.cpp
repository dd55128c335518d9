// The key page built from its own layout, offscreen: assignments shown on
// the controls and read back, capture from key events, number edits, the
// macro list and the captions in both languages.
#include "ui/pages/key_set_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStackedWidget>

#include "ui/framework/control_ops.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui_test_support.h"

using ui::CKeySetControlUI;

namespace {

profile::KeyAssignment A(uint8_t type, uint8_t code1, uint8_t code2) {
    return {7, type, code1, code2};
}

class KeySetControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        CKeySetControlUI::Register();
        oldSkin_ = ui::Skin::Instance().ResourcePath();
        ui::Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
        ASSERT_TRUE(ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml")));
        window_ = std::make_unique<uitest::RecordingWindow>(
            QStringLiteral("XML\\CustomControlXML\\KeySetControl.xml"));
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("keys"), 760, 200));
        window_->show();
        page_ = window_->Root()->findChild<CKeySetControlUI*>();
        if (page_ == nullptr)
            page_ = qobject_cast<CKeySetControlUI*>(window_->Root());
        ASSERT_NE(page_, nullptr);
        page_->BindControls();
        // Esc, whose own function is itself.
        page_->SetKeyEntry({A(0x20, 0, 0x29), A(0x20, 0, 0x29)});
    }
    void TearDown() override {
        window_.reset();
        ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
        ui::Skin::Instance().SetResourcePath(oldSkin_);
    }
    QComboBox* Combo(const char* name) { return qobject_cast<QComboBox*>(page_->Control(name)); }
    QLineEdit* Edit(const char* name) { return qobject_cast<QLineEdit*>(page_->Control(name)); }
    QString Text(const char* name) { return ui::ControlText(page_->Control(name)); }
    void ChooseFunction(int function) {
        Combo("keyset_function_combo")->setCurrentIndex(page_->FindFunctionItem(function));
        page_->OnFunctionSelected();
    }
    void PressNative(quint32 xKeycode) {
        QLineEdit* edit = Edit("keyset_keyboard_text_edit");
        QKeyEvent e(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, xKeycode, 0, 0);
        QApplication::sendEvent(edit, &e);
    }

    QString oldSkin_;
    std::unique_ptr<uitest::RecordingWindow> window_;
    CKeySetControlUI* page_ = nullptr;
};

TEST_F(KeySetControlTest, AKeyShowsItsNameAndItsOwnFunction) {
    EXPECT_TRUE(page_->Control("keyset_layout")->isVisibleTo(page_));
    EXPECT_EQ(Text("keyset_key_name"), QStringLiteral("Esc"));
    EXPECT_EQ(Combo("keyset_function_combo")->currentData().toString(), QStringLiteral("0"));
    EXPECT_EQ(
        qobject_cast<QStackedWidget*>(page_->Control("function_switch_tablayout"))->currentIndex(),
        0);
    // Every control the page works with is in the layout.
    for (const char* name : {"keyset_function_combo",
                             "key_butt_keydefalut",
                             "key_butt_keysave",
                             "key_butt_keycancel",
                             "key_butt_prosave",
                             "keyset_mousekey_combo",
                             "keyset_mouseswing_combo",
                             "keyset_mouseswing_num_edit",
                             "keyset_mouseswing_delay_edit",
                             "keyset_mouseswing_speed_edit",
                             "keyset_mousewheel_combo",
                             "keyset_mousewheel_num_edit",
                             "keyset_mousewheel_delay_edit",
                             "keyset_mousewheel_speed_edit",
                             "keyset_mousedpi_combo",
                             "keyset_mousefire_interval_edit",
                             "keyset_mousefire_num_edit",
                             "keyset_keyboard_text_edit",
                             "keyset_media_combo",
                             "keyset_system_combo",
                             "keyset_macro_combo",
                             "keyset_macro_over_combo",
                             "keyset_macro_cycle_layout",
                             "keyset_macro_cycle_edit",
                             "keyset_gunkey_combo",
                             "keyset_combokey_combo",
                             "text_test",
                             "key_ComBox_check_0",
                             "key_ComBox_check_4"})
        EXPECT_NE(page_->Control(name), nullptr) << name;
    // The buttons wait for a change.
    EXPECT_FALSE(page_->Control("key_butt_keysave")->isEnabled());
    EXPECT_TRUE(page_->Control("key_butt_keydefalut")->isEnabled());
}

TEST_F(KeySetControlTest, ControlsRoundTripTheirAssignment) {
    // Mute from the media list.
    ChooseFunction(7);
    Combo("keyset_media_combo")->setCurrentIndex(7);
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x30, 0xE2, 0x00));
    // Wheel down 3: 0xFD, and shown back the same way.
    page_->ShowAssignment(A(0x12, 0x12, 0xFD));
    EXPECT_EQ(Combo("keyset_mousewheel_combo")->currentIndex(), 1);
    EXPECT_EQ(Edit("keyset_mousewheel_num_edit")->text(), QStringLiteral("3"));
    EXPECT_EQ(Edit("keyset_mousewheel_delay_edit")->text(), QStringLiteral("1"));
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x12, 0x12, 0xFD));
    // Ctrl+C shows as the shortcut function.
    page_->ShowAssignment(A(0x20, 0x10, 0x06));
    EXPECT_EQ(Combo("keyset_function_combo")->currentData().toString(), QStringLiteral("11"));
    EXPECT_EQ(Combo("keyset_combokey_combo")->currentIndex(), 4);
    // Equal to the key's own function: function 0 whatever the type.
    page_->ShowAssignment(A(0x20, 0, 0x29));
    EXPECT_EQ(Combo("keyset_function_combo")->currentData().toString(), QStringLiteral("0"));
}

TEST_F(KeySetControlTest, AFunctionTheComboLacksHidesThePanel) {
    Combo("keyset_function_combo")->removeItem(page_->FindFunctionItem(10));
    page_->ShowAssignment(A(0x72, 1, 0));
    EXPECT_FALSE(page_->Control("keyset_layout")->isVisibleTo(page_));
    page_->ShowAssignment(A(0x10, 0x01, 0));
    EXPECT_TRUE(page_->Control("keyset_layout")->isVisibleTo(page_));
}

TEST_F(KeySetControlTest, CaptureTakesTheKeyFromTheNativeScanCode) {
    int applied = 0;
    page_->SetCaptureHandler([&] { ++applied; });
    ChooseFunction(6);
    EXPECT_TRUE(Edit("keyset_keyboard_text_edit")->isReadOnly());
    // Capture off: the key is swallowed and nothing changes.
    PressNative(56);
    EXPECT_EQ(applied, 0);
    EXPECT_TRUE(Edit("keyset_keyboard_text_edit")->text().isEmpty());

    page_->SetCaptureOn(true);
    window_->notifications.clear();
    PressNative(108);  // right Alt: X key code = Linux code 100 + 8
    EXPECT_EQ(page_->GetModifierOption(), 3);
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(page_->Control("key_ComBox_check_3"))->isChecked());
    PressNative(56);  // B
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->text(), QStringLiteral("B"));
    EXPECT_EQ(applied, 2);
    // What the capture shows is not reported back as the user's choice:
    // each such report would apply a half-updated page.
    EXPECT_EQ(window_->Count(QStringLiteral("itemselect")), 0);
    EXPECT_EQ(window_->Count(QStringLiteral("selectchanged")), 0);
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x20, 0x04, 0x05));

    // Keypad Enter is its own key, not Enter.
    PressNative(104);
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->text(), QStringLiteral("Num Enter"));
    // A key the table lacks changes nothing.
    PressNative(255);
    EXPECT_EQ(applied, 3);
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x20, 0x04, 0x58));
}

TEST_F(KeySetControlTest, NumberEditsAreClampedAndShowTheValueUsed) {
    ChooseFunction(3);
    Edit("keyset_mousewheel_num_edit")->setText(QStringLiteral("abc"));
    page_->ClampEdit("keyset_mousewheel_num_edit");
    EXPECT_EQ(Edit("keyset_mousewheel_num_edit")->text(), QStringLiteral("0"));
    Edit("keyset_mousewheel_num_edit")->setText(QStringLiteral("999"));
    page_->ClampEdit("keyset_mousewheel_num_edit");
    EXPECT_EQ(Edit("keyset_mousewheel_num_edit")->text(), QStringLiteral("127"));
    Edit("keyset_mousewheel_speed_edit")->setText(QStringLiteral("-4"));
    EXPECT_EQ(page_->ReadAssignment().Assignment.code2, 127);
    EXPECT_EQ(Edit("keyset_mousewheel_speed_edit")->text(), QStringLiteral("0"));

    ChooseFunction(5);
    Edit("keyset_mousefire_interval_edit")->setText(QStringLiteral("3"));
    Edit("keyset_mousefire_num_edit")->setText(QStringLiteral("300"));
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x14, 10, 255));
    EXPECT_EQ(Edit("keyset_mousefire_interval_edit")->text(), QStringLiteral("10"));
    EXPECT_EQ(Edit("keyset_mousefire_num_edit")->text(), QStringLiteral("255"));
}

TEST_F(KeySetControlTest, MacroListOperationsAndNoSelectedRow) {
    page_->SetMacroNames({"one", "two"});
    page_->AddMacroName("three");
    page_->RenameMacroItem(1, "TWO");
    page_->RenameMacroItem(9, "ignored");
    EXPECT_EQ(page_->MacroNames(), (std::vector<std::string>{"one", "TWO", "three"}));
    EXPECT_EQ(Combo("keyset_macro_combo")->currentIndex(), -1);

    page_->ShowAssignment(A(0x71, 2, 5));
    EXPECT_EQ(Combo("keyset_macro_combo")->currentIndex(), 2);
    EXPECT_EQ(Combo("keyset_macro_over_combo")->currentIndex(), 4);
    EXPECT_TRUE(page_->Control("keyset_macro_cycle_layout")->isVisibleTo(page_));
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x71, 2, 5));

    // No row selected: the key keeps what it had instead of reading row -1.
    Combo("keyset_macro_combo")->setCurrentIndex(-1);
    EXPECT_EQ(page_->ReadAssignment().Assignment, A(0x71, 2, 5));
    // A macro beyond the list shows none and is kept as well.
    page_->RemoveMacroItem(0);
    page_->ShowAssignment(A(0x70, 2, 0));
    EXPECT_EQ(Combo("keyset_macro_combo")->currentIndex(), -1);
}

TEST_F(KeySetControlTest, CaptionsFollowTheLanguage) {
    ChooseFunction(6);
    page_->SetCaptureOn(true);
    PressNative(65);  // Space
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->text(), QStringLiteral("Space"));
    ASSERT_TRUE(ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_cn.xml")));
    ui::TextManager::Instance().ReloadText();
    EXPECT_EQ(Edit("keyset_keyboard_text_edit")->text(), QStringLiteral("空格"));
    EXPECT_EQ(Combo("keyset_media_combo")->itemText(7), QStringLiteral("静音"));
    EXPECT_EQ(page_->Control("key_butt_prosave")->property("text").toString(),
              QStringLiteral("保存到键盘"));
}

}  // namespace
