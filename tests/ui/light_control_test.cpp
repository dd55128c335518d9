// The lighting page built on its own from its layout: the mode rules on the
// real controls, swatches, colour edits, music colours; the palette's
// notifications; the lighting routes against a keyboard; the skin panel.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <memory>

#include "device/keyboard_device.h"
#include "device/light_change.h"
#include "pages/skin_observer.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "support/temp_dir.h"
#include "ui/controls/color_palette.h"
#include "ui/controls/colour_fill.h"
#include "ui/dialogs/color_select_wnd.h"
#include "ui/dialogs/skin_frame.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/main_window/skin_background.h"
#include "ui/pages/light_control_ui.h"
#include "ui/pages/lighting_page_hooks.h"
#include "ui_test_support.h"
#include "window_test_support.h"

namespace {

using ui::CLightControlUI;
using uitest::RecordingWindow;

class LightPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::UseProgramSkin();
        window_ = std::make_unique<RecordingWindow>(
            QStringLiteral("XML\\CustomControlXML\\LightControl.xml"));
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("light"), 780, 300));
        window_->show();
        uitest::ProcessUntil([&] { return window_->Count(QStringLiteral("windowinit")) > 0; });
        window_->notifications.clear();
        page_ = qobject_cast<CLightControlUI*>(window_->Root());
        ASSERT_NE(page_, nullptr);
        std::vector<std::string> names;
        std::vector<bool> visible;
        for (int i = 0; i < 34; ++i) {
            names.push_back("light_mode_" + std::to_string(i));
            visible.push_back(i != 0);
        }
        page_->SetDeviceKind(1);
        page_->InitModes(names, visible, 4, 4);
    }
    QWidget* C(const char* name) { return window_->FindControl(QString::fromLatin1(name)); }
    bool Enabled(const char* name) {
        QWidget* w = C(name);
        EXPECT_NE(w, nullptr) << name;
        return w != nullptr && w->isEnabled();
    }
    bool Hidden(const char* name) {
        QWidget* w = C(name);
        EXPECT_NE(w, nullptr) << name;
        return w == nullptr || w->isHidden();
    }

    std::unique_ptr<RecordingWindow> window_;
    CLightControlUI* page_ = nullptr;
};

TEST_F(LightPageTest, InitModesFillsTheComboAndSliders) {
    auto* combo = qobject_cast<QComboBox*>(C("light_combo_modeSelect"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 34);
    EXPECT_EQ(combo->itemData(5).toString(), QStringLiteral("light_mode_5"));
    EXPECT_TRUE(qobject_cast<QListView*>(combo->view())->isRowHidden(0));
    EXPECT_EQ(qobject_cast<QAbstractSlider*>(C("deng_light_slider"))->maximum(), 4);
    EXPECT_EQ(qobject_cast<QAbstractSlider*>(C("deng_speed_slider"))->maximum(), 4);
}

TEST_F(LightPageTest, Mode17DisablesEverythingButTheEffect) {
    page_->SelectMode(17);
    EXPECT_EQ(page_->GetMode(), 17);
    EXPECT_TRUE(Enabled("lighteffect_layout"));
    for (const char* name :
         {"deng_7color_check", "deng_color_layout", "colorpallet_layout", "deng_fx_layout",
          "deng_light_layout", "deng_speed_layout", "light_color_layout"})
        EXPECT_FALSE(Enabled(name)) << name;
    // No notification for a change the program made.
    EXPECT_EQ(window_->Count(QStringLiteral("itemselect")), 0);
}

TEST_F(LightPageTest, Mode29ShowsTheMusicModeAndColourPage) {
    page_->SelectMode(29);
    EXPECT_FALSE(Hidden("light_combo_AudiomodeSelectLayout"));
    EXPECT_EQ(ui::ControlCurrentIndex(C("light_color_tablayout")), 1);
    EXPECT_FALSE(Enabled("deng_speed_layout"));
    page_->SelectMode(1);
    EXPECT_TRUE(Hidden("light_combo_AudiomodeSelectLayout"));
    EXPECT_EQ(ui::ControlCurrentIndex(C("light_color_tablayout")), 0);
    EXPECT_TRUE(Enabled("deng_speed_layout"));
}

TEST_F(LightPageTest, ModeRulesSetDirectionTextsAndZoneLayouts) {
    page_->SelectMode(2);
    EXPECT_EQ(C("deng_FXL_check")->property("textId").toString(),
              QStringLiteral("light_set_clockwise_text"));
    page_->SelectMode(15);
    EXPECT_FALSE(Hidden("light_combo_ZZCCmodeSelectLayout"));
    EXPECT_TRUE(Hidden("deng_speed_layout"));
    page_->SelectMode(19);
    EXPECT_FALSE(Hidden("lightcustom_layout"));
    EXPECT_TRUE(Enabled("deng_color_layout"));
    page_->SelectMode(1);
    EXPECT_TRUE(Hidden("lightcustom_layout"));
    EXPECT_EQ(C("deng_FXL_check")->property("textId").toString(),
              QStringLiteral("light_set_right_to_left_text"));
}

TEST_F(LightPageTest, ColourfulOptionWorksAgainAfterMode4) {
    page_->SelectMode(4);
    EXPECT_FALSE(Enabled("deng_7colorselect_layout"));
    page_->SelectMode(5);
    EXPECT_TRUE(Enabled("deng_7colorselect_layout"));
    EXPECT_TRUE(Enabled("deng_7color_check"));
}

TEST_F(LightPageTest, SameEffectButtonNeedsSeveralDevices) {
    page_->SelectMode(5);
    page_->ShowSameModeButton(true);
    EXPECT_TRUE(Hidden("deng_same_mode"));
    page_->SetMultiDevice(true);
    page_->ShowSameModeButton(true);
    EXPECT_FALSE(Hidden("deng_same_mode"));
    page_->UpdateModeControls(5);  // every mode's rules hide it again
    EXPECT_TRUE(Hidden("deng_same_mode"));
}

TEST_F(LightPageTest, ShowLightInfoShowsEveryField) {
    profile::LightInfo l;
    l.SelectItem = 1;
    l.Light = 3;
    l.Speed = 1;
    l.Fx = 0;
    l.MultiColor = 1;
    l.Red = 0x12, l.Green = 0x34, l.Blue = 0x56;
    page_->ShowLightInfo(l);
    EXPECT_EQ(page_->GetMode(), 1);
    EXPECT_EQ(page_->GetBrightness(), 3);
    EXPECT_EQ(page_->GetSpeed(), 1);
    EXPECT_TRUE(page_->GetMultiColor());
    EXPECT_EQ(page_->GetEditG(), QStringLiteral("52"));
    EXPECT_EQ(page_->GetPaletteColor(), 0xFF123456u);
    EXPECT_EQ(ui::ControlBkColor(C("deng_colordp_btn")).value_or(0), 0xFF123456u);
    EXPECT_TRUE(ui::ControlChecked(C("deng_FXR_check")));
    EXPECT_FALSE(ui::ControlChecked(C("deng_FXL_check")));
}

TEST_F(LightPageTest, SwatchesComeFromTheLayout) {
    EXPECT_EQ(page_->GetSwatchColor(0), 0xFFFF0000u);
    EXPECT_EQ(page_->GetSwatchColor(12), 0xFFFFFFFFu);
    EXPECT_EQ(page_->GetSwatchColor(13), 0u);  // missing
    EXPECT_EQ(page_->FindSwatch(0, 0, 255), 8);
    EXPECT_EQ(page_->FindSwatch(1, 2, 3), 0);
    // A swatch whose colour text is no colour is missing its colour.
    C("color_option_3")->setProperty("bkcolor", QStringLiteral("red"));
    EXPECT_EQ(page_->GetSwatchColor(3), 0u);
    EXPECT_EQ(page_->FindSwatch(0, 0, 255), 0);
}

TEST_F(LightPageTest, ColourEditsAreClampedAndRewritten) {
    auto* g = qobject_cast<QLineEdit*>(C("deng_edit_G"));
    ASSERT_NE(g, nullptr);
    const std::pair<const char*, int> cases[] = {
        {"300", 255}, {"255", 255},           {"-5", 0}, {"abc", 0}, {"", 0},
        {" 42 ", 42}, {"99999999999999", 255}};
    for (const auto& [text, want] : cases) {
        g->setText(QString::fromLatin1(text));
        EXPECT_EQ(page_->ClampColourEdit(1), want) << text;
        EXPECT_EQ(g->text(), QString::number(want)) << text;
    }
    EXPECT_EQ(page_->ClampColourEdit(3), -1);
}

TEST_F(LightPageTest, MusicItemGoesInAt29WithThirtyGroups) {
    auto* combo = qobject_cast<QComboBox*>(C("light_combo_custommodeSelect"));
    ASSERT_NE(combo, nullptr);
    combo->clear();
    for (int i = 0; i < 30; ++i)
        combo->addItem(QString::number(i));
    page_->AddMusicItem();
    ASSERT_EQ(combo->count(), 31);
    EXPECT_EQ(combo->itemData(29).toString(), QStringLiteral("light_mode_audiorecord_text"));
    page_->AddMusicItem();  // only from exactly 30
    EXPECT_EQ(combo->count(), 31);
    page_->RemoveMusicItem();
    ASSERT_EQ(combo->count(), 30);
    EXPECT_EQ(combo->itemText(29), QStringLiteral("29"));
    combo->addItem(QStringLiteral("x"));
    combo->addItem(QStringLiteral("y"));
    page_->RemoveMusicItem();  // 32 items: left alone
    EXPECT_EQ(combo->count(), 32);
}

TEST_F(LightPageTest, MusicColoursShowAndReadBack) {
    auto* audioMode = qobject_cast<QComboBox*>(C("light_combo_audiomodeSelect"));
    for (int i = 0; i < 7; ++i)
        audioMode->addItem(QString::number(i));
    profile::AudioLightInfo a;
    a.AudioMode = 2;
    a.BkColorR = 10, a.BkColorG = 20, a.BkColorB = 30;
    a.FgColorR = 200, a.FgColorG = 100, a.FgColorB = 50;
    a.SevenColorFlags = 1;
    a.ColorTypeFlags = 1;
    page_->ShowAudioColors(a);
    EXPECT_EQ(page_->GetAudioEdit(0), QStringLiteral("200"));
    EXPECT_TRUE(ui::ControlChecked(C("audio_FgColor_check")));
    EXPECT_TRUE(ui::ControlChecked(C("deng_7audiocolor_check")));
    EXPECT_TRUE(Enabled("light_audiocolor_layout"));

    profile::AudioLightInfo back;
    ASSERT_TRUE(page_->ReadAudioColors(false, back));
    EXPECT_EQ(back, a);

    // The user picks the background: the button's colour goes there.
    ui::SetControlChecked(C("audio_BkColor_check"), true);
    page_->SetAudioColor(0xFF010203);
    ASSERT_TRUE(page_->ReadAudioColors(true, back));
    EXPECT_EQ(back.ColorTypeFlags, 0);
    EXPECT_EQ(back.BkColorG, 2);
    EXPECT_EQ(back.FgColorR, 200);

    a.AudioMode = 3;
    page_->ShowAudioColors(a);
    EXPECT_FALSE(Enabled("light_audiocolor_layout"));
    EXPECT_FALSE(Enabled("audiocolorpallet_layout"));
}

TEST_F(LightPageTest, MissingMusicControlsStopWithTheErrorText) {
    delete C("audio_FgColor_check");
    platform::DebugCapture capture;
    profile::AudioLightInfo out;
    EXPECT_FALSE(page_->ReadAudioColors(false, out));
    page_->ShowAudioColors(out);
    EXPECT_TRUE(capture.Contains("GetAudioLightInfo control is NULL"));
    EXPECT_TRUE(capture.Contains(" SetAudioLightInfo control is NULL"));
}

TEST_F(LightPageTest, PaletteNotifiesOnlyUserChanges) {
    auto* palette = qobject_cast<ui::CColorPaletteUI*>(C("deng_Color_Pallet"));
    ASSERT_NE(palette, nullptr);
    palette->SetSelectColor(0xFF123456);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF123456u);  // exactly as set
    EXPECT_EQ(window_->Count(QStringLiteral("colorchanged")), 0);

    // Top-right corner of the area: full saturation and value of the hue.
    const QRect area = palette->AreaRect();
    uitest::Click(palette, QPoint(area.right(), area.top()));
    ASSERT_EQ(window_->Count(QStringLiteral("colorchanged"), QStringLiteral("deng_Color_Pallet")),
              1);
    const uint32_t picked = palette->GetSelectColor();
    EXPECT_EQ(picked >> 24, 0xFFu);
    EXPECT_EQ(std::max({picked >> 16 & 0xFF, picked >> 8 & 0xFF, picked & 0xFF}), 0xFFu);
    // The hue strip's top is red.
    uitest::Click(palette, QPoint(palette->StripRect().center().x(), 0));
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    EXPECT_EQ(window_->Count(QStringLiteral("colorchanged")), 2);
    // The same colour again is no change.
    uitest::Click(palette, QPoint(palette->StripRect().center().x(), 0));
    EXPECT_EQ(window_->Count(QStringLiteral("colorchanged")), 2);
}

// Pictures of the page for a person to look at, in both languages and at
// both scales: written only when QX70_SHOT_DIR names a folder.
TEST_F(LightPageTest, PicturesForReview) {
    const QByteArray dir = qgetenv("QX70_SHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "QX70_SHOT_DIR not set";
    for (const char* language : {"lan_en.xml", "lan_cn.xml"}) {
        ui::TextManager::Instance().LoadLanguage(QString::fromLatin1(language));
        ui::TextManager::Instance().ApplyTexts(window_.get());
        for (int dpi : {96, 144}) {
            window_->SetDPI(dpi);
            window_->resize(780 * dpi / 96, 300 * dpi / 96);
            for (int mode : {5, 29}) {
                page_->SelectMode(mode);
                uitest::ProcessPending();
                const QString file = QStringLiteral("%1/light_%2_%3_%4.png")
                                         .arg(QString::fromLocal8Bit(dir))
                                         .arg(QString::fromLatin1(language).left(6))
                                         .arg(dpi)
                                         .arg(mode);
                EXPECT_TRUE(window_->grab().save(file));
            }
        }
    }
}

// ---------------------------------------------------------------- routes

class LightRoutesTest : public LightPageTest {
  protected:
    void SetUp() override {
        LightPageTest::SetUp();
        platform::SetProgramFolder(std::string(QX70_SOURCE_DIR) + "/resources/");
        keyboard_.SetDeviceFolder("keyboard");
        keyboard_.SetProfileName("routes");
        keyboard_.BindProfilePaths();
        keyboard_.LoadActiveProfile();
        hooks_ = std::make_unique<ui::LightingPageHooks>(
            [this] { return &keyboard_; }, [this](device::CVornelUSBDevice*) { return page_; });
    }
    bool Route(pages::Route route, const char* control, uintptr_t w = 0, int index = 0) {
        pages::RouteEvent e;
        e.route = route;
        e.control = control;
        e.wParam = w;
        e.index = index;
        return hooks_->Handle(e);
    }

    testing_support::ScopedUserFolders folders_;
    device::CVornelKeyboardDevice keyboard_;
    std::unique_ptr<ui::LightingPageHooks> hooks_;
};

TEST_F(LightRoutesTest, SwatchClearsTheColourfulVariant) {
    ui::SetControlChecked(C("deng_7color_check"), true);
    ASSERT_TRUE(Route(pages::Route::LightSevenColour, "deng_7color_check", 1));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().MultiColor, 1);
    ASSERT_TRUE(Route(pages::Route::LightColourOption, "color_option_5", 0, 5));
    const profile::LightInfo l = keyboard_.Profile().GetLightInfo();
    EXPECT_EQ(l.MultiColor, 0);
    EXPECT_EQ((uint32_t{l.Red} << 16 | uint32_t{l.Green} << 8 | l.Blue),
              page_->GetSwatchColor(5) & 0xFFFFFFu);
    EXPECT_FALSE(ui::ControlChecked(C("deng_7color_check")));
}

TEST_F(LightRoutesTest, EditAboveAByteStoresAndShows255) {
    qobject_cast<QLineEdit*>(C("deng_edit_G"))->setText(QStringLiteral("300"));
    ASSERT_TRUE(Route(pages::Route::LightColourEdit, "deng_edit_G"));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().Green, 255);
    EXPECT_EQ(page_->GetEditG(), QStringLiteral("255"));
}

TEST_F(LightRoutesTest, ModeSlidersAndDirection) {
    ASSERT_TRUE(Route(pages::Route::LightMode, "light_combo_modeSelect", 17));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().SelectItem, 17);
    EXPECT_FALSE(Enabled("deng_light_layout"));
    ui::SetControlValue(C("deng_light_slider"), 2);
    ASSERT_TRUE(Route(pages::Route::LightBrightness, "deng_light_slider", 2));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().Light, 2);
    ASSERT_TRUE(Route(pages::Route::LightDirection, "deng_FXL_check", 1));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().Fx, 1);
    ASSERT_TRUE(Route(pages::Route::LightDirection, "deng_FXR_check", 1));
    EXPECT_EQ(keyboard_.Profile().GetLightInfo().Fx, 0);
    EXPECT_FALSE(Route(pages::Route::LightMode, "light_combo_other", 1));
}

TEST_F(LightRoutesTest, MusicBackgroundOff) {
    profile::AudioLightInfo a;
    a.BkColorR = 5, a.BkColorG = 6, a.BkColorB = 7;
    const std::array<uint32_t, 3> w = device::AudioWordsOf(a);
    keyboard_.SetAudioLightState(w[0], w[1], w[2]);
    ASSERT_TRUE(Route(pages::Route::MusicBackgroundOff, "Close_bkColor_btn"));
    EXPECT_EQ(keyboard_.Profile().GetAudioLightInfo().BkColorG, 0);
}

TEST_F(LightRoutesTest, NoDeviceNoChange) {
    ui::LightingPageHooks none(
        [] { return nullptr; },
        [](device::CVornelUSBDevice*) { return static_cast<QWidget*>(nullptr); });
    pages::RouteEvent e;
    e.route = pages::Route::LightMode;
    e.control = "light_combo_modeSelect";
    EXPECT_FALSE(none.Handle(e));
}

// ---------------------------------------------------------------- skin panel

class MainLike : public RecordingWindow {
  public:
    MainLike() : RecordingWindow(QStringLiteral("XML_MAIN")) {}
};

TEST(SkinPanel, ResetImageAndColourReachTheRoot) {
    uitest::UseProgramSkin();
    testing_support::TempDir dir;
    ui::CSkinFrame::SetIniPathForTest(dir.File("main.ini"));
    MainLike main;
    ASSERT_TRUE(main.Create(nullptr, QStringLiteral("main"), 1000, 640));
    main.show();
    ui::SkinBackground background(main);
    QWidget* skinbtn = main.FindControl(QStringLiteral("skinbtn"));
    ASSERT_NE(skinbtn, nullptr);

    QPointer<ui::CSkinFrame> panel = ui::CSkinFrame::Open(&main, skinbtn);
    ASSERT_TRUE(panel);
    const QPoint under = skinbtn->mapToGlobal(QPoint(skinbtn->width(), skinbtn->height()));
    EXPECT_EQ(panel->geometry().top(), under.y());

    auto clickNamed = [&](const char* name) {
        QWidget* w = panel->FindControl(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        uitest::Click(w);
    };
    clickNamed("skin_color");
    EXPECT_EQ(ui::ControlCurrentIndex(panel->FindControl(QStringLiteral("skin_tab"))), 1);
    clickNamed("skin_color_btn");
    QWidget* root = main.FindControl(QStringLiteral("root"));
    EXPECT_EQ(ui::ControlBkColor(root).value_or(0), 0xFF2B3A67u);
    // A colour is not recorded.
    EXPECT_TRUE(testing_support::ReadAll(dir.File("main.ini")).empty());

    clickNamed("skin_reset");
    const std::string ini = testing_support::ReadAll(dir.File("main.ini"));
    EXPECT_NE(ini.find("[SKINIMAGE]"), std::string::npos);
    EXPECT_NE(ini.find("FLAGS=0"), std::string::npos);
    EXPECT_NE(ini.find("IMAGE=common/background.png"), std::string::npos);
    EXPECT_EQ(root->property("bkimage").toString(), QStringLiteral("common/background.png"));
    EXPECT_EQ(ui::ControlBkColor(root).value_or(1), 0u);

    // A user's file path stays a path: no style sheet is ever built from it.
    const QString sheet = root->styleSheet();
    ui::CSkinFrame::SetFileChooser(
        [](QWidget*) { return QStringLiteral("/tmp/x'); } * { background: red; /*.png"); });
    clickNamed("skin_Custom");
    EXPECT_EQ(root->styleSheet(), sheet);
    EXPECT_EQ(root->property("bkimage").toString(),
              QStringLiteral("/tmp/x'); } * { background: red; /*.png"));
    EXPECT_TRUE(uitest::ProcessUntil([&] { return panel.isNull(); }, 1000));  // closed and gone

    // Cancelling the dialog leaves the background alone.
    panel = ui::CSkinFrame::Open(&main, skinbtn);
    ui::CSkinFrame::SetFileChooser([](QWidget*) { return QString(); });
    clickNamed("skin_Custom");
    EXPECT_EQ(root->property("bkimage").toString(),
              QStringLiteral("/tmp/x'); } * { background: red; /*.png"));
    ui::CSkinFrame::SetFileChooser({});
    ui::CSkinFrame::SetIniPathForTest({});
    uitest::ProcessPending();
}

// ---------------------------------------------------------------- picker

class PickerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::UseProgramSkin();
        ui::CColorSelectWnd::SetSwatchPathsForTest(
            dir_.File("color_option_info.config"),
            std::string(QX70_SOURCE_DIR) + "/resources/DefaultData/color_option_info.config");
    }
    void TearDown() override {
        ui::SetPickerAnswerer({});
        ui::CColorSelectWnd::SetSwatchPathsForTest({}, {});
    }
    std::string SwatchFile() {
        return testing_support::ReadAll(dir_.File("color_option_info.config"));
    }

    testing_support::TempDir dir_;
};

QWidget* Find(ui::CColorSelectWnd& w, const char* name) {
    QWidget* c = w.FindControl(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void SetEdit(ui::CColorSelectWnd& w, const char* name, const char* text) {
    qobject_cast<QLineEdit*>(Find(w, name))->setText(QString::fromLatin1(text));
}

void LeaveEdit(ui::CColorSelectWnd& w, const char* name) {
    w.SendNotify(Find(w, name), QStringLiteral("killfocus"));
}

TEST_F(PickerTest, EditsAreClampedAndMakeTheColour) {
    uint32_t colour = 0xFF00FF00;
    ui::SetPickerAnswerer([](ui::CColorSelectWnd& w) {
        EXPECT_EQ(w.CurrentColour(), 0xFF00FF00u);
        EXPECT_FALSE(Find(w, "7color_layout")->isVisibleTo(w.Root()));
        SetEdit(w, "color_edit_r", "18");
        SetEdit(w, "color_edit_g", "300");
        SetEdit(w, "color_edit_b", "");
        LeaveEdit(w, "color_edit_g");
        EXPECT_EQ(ui::ControlText(Find(w, "color_edit_g")), QStringLiteral("255"));
        EXPECT_EQ(ui::ControlText(Find(w, "color_edit_b")), QStringLiteral("0"));
        EXPECT_EQ(w.CurrentColour(), 0xFF12FF00u);
        SetEdit(w, "color_edit_g", "52");
        SetEdit(w, "color_edit_b", "-86");  // below 0 is 0, never a wrapped byte
        LeaveEdit(w, "color_edit_b");
        EXPECT_EQ(w.CurrentColour(), 0xFF123400u);
        SetEdit(w, "color_edit_b", "86");
        LeaveEdit(w, "color_edit_b");
        EXPECT_EQ(w.CurrentColour(), 0xFF123456u);
        uitest::Click(Find(w, "okbtn"));
        return ui::kPickerResultOk;
    });
    ASSERT_TRUE(ui::PickColour(nullptr, colour));
    EXPECT_EQ(colour, 0xFF123456u);
}

TEST_F(PickerTest, PaletteFillsOnlyAUserSwatchTheUserPicked) {
    uint32_t colour = 0xFF0000FF;
    ui::SetPickerAnswerer([this](ui::CColorSelectWnd& w) {
        EXPECT_EQ(w.UserIndex(), -1);
        auto* palette = qobject_cast<ui::CColorPaletteUI*>(Find(w, "Pallet"));
        uitest::Click(palette, QPoint(palette->StripRect().center().x(), 0));
        EXPECT_EQ(w.CurrentColour(), 0xFFFF0000u);
        EXPECT_EQ(SwatchFile().find("\"UserData\" : \"1\""), std::string::npos);

        // An empty user swatch becomes the target of the next change.
        uitest::Click(Find(w, "collect_color_option_3"));
        EXPECT_EQ(w.UserIndex(), 3);
        SetEdit(w, "color_edit_r", "18");
        SetEdit(w, "color_edit_g", "52");
        SetEdit(w, "color_edit_b", "86");
        LeaveEdit(w, "color_edit_r");
        EXPECT_EQ(Find(w, "collect_color_option_3")->property("userdata").toString(),
                  QStringLiteral("1"));
        EXPECT_NE(SwatchFile().find("FF123456"), std::string::npos);
        return ui::kPickerResultClosed;
    });
    EXPECT_FALSE(ui::PickColour(nullptr, colour));
    EXPECT_EQ(colour, 0xFF0000FFu);  // closed: unchanged

    // Reopened: the filled swatch is back, but not selected.
    ui::SetPickerAnswerer([](ui::CColorSelectWnd& w) {
        EXPECT_EQ(ui::ControlBkColor(Find(w, "collect_color_option_3")).value_or(0), 0xFF123456u);
        EXPECT_EQ(w.UserIndex(), -1);
        uitest::Click(Find(w, "collect_color_option_3"));
        EXPECT_EQ(w.CurrentColour(), 0xFF123456u);
        EXPECT_EQ(ui::ControlText(Find(w, "color_edit_b")), QStringLiteral("86"));
        return ui::kPickerResultClosed;
    });
    ui::PickColour(nullptr, colour);
}

TEST_F(PickerTest, FixedSwatchIsRememberedAndUnreadableFileKept) {
    testing_support::WriteAll(dir_.File("color_option_info.config"), "{ not json");
    uint32_t colour = 0;
    ui::SetPickerAnswerer([](ui::CColorSelectWnd& w) {
        uitest::Click(Find(w, "color_option_7"));
        EXPECT_EQ(w.FixedIndex(), 7);
        EXPECT_EQ(w.CurrentColour(), ui::ControlBkColor(Find(w, "color_option_7")).value_or(1));
        return ui::kPickerResultClosed;
    });
    ui::PickColour(nullptr, colour);
    EXPECT_EQ(testing_support::ReadAll(dir_.File("color_option_info.config.bak")), "{ not json");
    EXPECT_NE(SwatchFile().find("\"palletDialogcoloroption_selectitem\" : 7"), std::string::npos);
}

TEST_F(PickerTest, WindowManagerCloseIsTheCloseButton) {
    uint32_t colour = 0xFF010101;
    ui::SetPickerAnswerer([](ui::CColorSelectWnd& w) {
        w.show();
        w.close();  // as the window manager asks
        return ui::kPickerResultClosed;
    });
    EXPECT_FALSE(ui::PickColour(nullptr, colour));
    EXPECT_EQ(colour, 0xFF010101u);
}

}  // namespace
