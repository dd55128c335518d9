// Skin index, layouts and the control factory, lookups, texts, scale, tray.
#include <gtest/gtest.h>

#include <set>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>

#include "platform/debug_output.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/registered_messages.h"
#include "ui/framework/skin.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/tray_icon.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/control_classes.h"
#include "ui_test_support.h"

using uitest::RecordingWindow;

namespace {

const std::string kMainBody = R"(
<item><widget class="QLabel" name="Title_Text"><property name="textId" stdset="0"><string>t_title</string></property></widget></item>
<item><widget class="QPushButton" name="fixed_btn">
  <property name="minimumSize"><size><width>40</width><height>20</height></size></property>
  <property name="maximumSize"><size><width>40</width><height>20</height></size></property>
</widget></item>
<item><widget class="CHandImgButtonUI" name="key_17"/></item>
<item><widget class="CVornelUSBDevice" name="device_page"/></item>
<item><widget class="MyTag" name="by_callback"/></item>
<item><widget class="NoSuchClass" name="unknown_one"/></item>
<item><widget class="QWidget" name="holder"><layout class="QVBoxLayout" name="holder_box"/></widget></item>
)";

const std::string kIndex = R"(<?xml version="1.0"?>
<Res>
  <Layout name="XML_MAIN" file="main.ui"/>
  <Layout name="XML_ESCAPE" file="../outside.ui"/>
</Res>
)";

const std::string kLanCn = R"(<?xml version="1.0" encoding="utf-8"?>
<Language><Text id="t_title">标题</Text><Text id="t_other">其他</Text></Language>
)";
const std::string kLanEn = R"(<?xml version="1.0" encoding="utf-8"?>
<Language><Text id="t_title">Title</Text></Language>
)";

class FrameworkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        ui::RegisterControlClasses();
        skin_ =
            std::make_unique<uitest::ScopedSkin>(std::vector<std::pair<std::string, std::string>>{
                {"res.xml", kIndex},
                {"main.ui", uitest::UiDocument("root", kMainBody)},
                {"XML/Parts/part.ui",
                 uitest::UiDocument(
                     "part_root",
                     "<item><widget class=\"QPushButton\" name=\"Part_Button\"/></item>"
                     "<item><widget class=\"MyTag\" name=\"part_tag\"/></item>")},
                {"lan_cn.xml", kLanCn},
                {"lan_en.xml", kLanEn},
                {"broken.xml", "<Language><Text id=\"t_title\">x</Text"},
            });
        ASSERT_TRUE(ui::Skin::Instance().LoadResourceIndex(QStringLiteral("res.xml")));
        ui::TextManager::Instance().Clear();
    }
    void TearDown() override { skin_.reset(); }

    std::unique_ptr<uitest::ScopedSkin> skin_;
};

TEST_F(FrameworkTest, ResourceIndexAndPathsStayInsideTheSkinFolder) {
    ui::Skin& skin = ui::Skin::Instance();
    EXPECT_EQ(skin.LayoutPath(QStringLiteral("XML_MAIN")),
              QString::fromStdString(skin_->Path() + "main.ui"));
    EXPECT_EQ(skin.LayoutPath(QStringLiteral("xml_main")),
              skin.LayoutPath(QStringLiteral("XML_MAIN")));
    // Paths as the program names them: backslashes, ".xml" for the layout.
    EXPECT_EQ(skin.LayoutPath(QStringLiteral("XML\\Parts\\part.xml")),
              QString::fromStdString(skin_->Path() + "XML/Parts/part.ui"));
    EXPECT_TRUE(skin.LayoutPath(QStringLiteral("XML_ESCAPE")).isEmpty());
    EXPECT_TRUE(skin.LayoutPath(QStringLiteral("..\\..\\etc\\passwd")).isEmpty());
    EXPECT_TRUE(skin.LayoutPath(QStringLiteral("/etc/passwd")).isEmpty());
    EXPECT_TRUE(skin.LayoutPath(QStringLiteral("XML_MISSING")).isEmpty());
    EXPECT_FALSE(skin.LoadResourceIndex(QStringLiteral("nothing.xml")));
    // A malformed index is refused and the names loaded before stay.
    EXPECT_FALSE(skin.LoadResourceIndex(QStringLiteral("broken.xml")));
    EXPECT_FALSE(skin.LayoutPath(QStringLiteral("XML_MAIN")).isEmpty());
}

TEST_F(FrameworkTest, LayoutBuildsRegisteredClassesAndAsksTheWindowForUnknownTags) {
    platform::DebugCapture capture;
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));

    // A built class is made by its own creator; one registered before it is
    // built is a plain widget of its base kind.
    QWidget* key = w.FindControl(QStringLiteral("key_17"));
    ASSERT_NE(key, nullptr);
    EXPECT_NE(qobject_cast<QPushButton*>(key), nullptr);
    EXPECT_EQ(key->property("controlClass").toString(), QStringLiteral("HandImgButton"));
    QWidget* page = w.FindControl(QStringLiteral("device_page"));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->property("controlClass").toString(), QStringLiteral("CVornelUSBDevice"));
    EXPECT_TRUE(page->property("controlPlaceholder").toBool());

    QWidget* byCallback = w.FindControl(QStringLiteral("by_callback"));
    ASSERT_NE(byCallback, nullptr);
    EXPECT_TRUE(byCallback->property("madeByCallback").toBool());
    // Unknown to the window and the factory: left out, reported, no crash.
    EXPECT_EQ(w.FindControl(QStringLiteral("unknown_one")), nullptr);
    EXPECT_TRUE(capture.Contains("layout: unknown control class NoSuchClass"));
    // Qt's own classes never reach the callback.
    for (const QString& cls : w.createRequests)
        EXPECT_FALSE(cls.startsWith(QLatin1Char('Q')));

    // A sub-layout at run time, unknown tags again through the callback.
    QWidget* holder = w.FindControl(QStringLiteral("holder"));
    QWidget* part = w.BuildLayout(QStringLiteral("XML\\Parts\\part.xml"), holder);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(ui::FindSubControlByName(holder, QStringLiteral("PART_BUTTON")),
              w.FindControl(QStringLiteral("part_button")));
    EXPECT_NE(w.FindControl(QStringLiteral("part_tag")), nullptr);
    EXPECT_EQ(w.BuildLayout(QStringLiteral("XML\\Parts\\missing.xml"), holder), nullptr);
}

TEST_F(FrameworkTest, EveryProgramControlClassIsRegisteredInOrder) {
    const auto& classes = ui::ControlClasses();
    ASSERT_EQ(classes.size(), 24u);
    EXPECT_STREQ(classes.front().name, "CCircleProgressUI");
    EXPECT_STREQ(classes.back().name, "CVornelRI6533Device");
    for (const auto& c : classes) {
        EXPECT_TRUE(ui::ControlFactory::Instance().IsRegistered(QString::fromLatin1(c.name)))
            << c.name;
        std::unique_ptr<QWidget> w(
            ui::ControlFactory::Instance().Create(QString::fromLatin1(c.name).toUpper(), nullptr));
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_TRUE(w->inherits(c.baseClass)) << c.name;
    }
    EXPECT_EQ(ui::ControlFactory::Instance().Create(QStringLiteral("CNotAClassUI"), nullptr),
              nullptr);
}

TEST_F(FrameworkTest, LookupsIgnoreCaseAndMissingControlsMakeOperationsDoNothing) {
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));
    QWidget* title = w.FindControl(QStringLiteral("title_text"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(w.FindControl(QStringLiteral("TITLE_TEXT")), title);
    EXPECT_EQ(w.FindControl(QStringLiteral("ROOT")), w.Root());
    EXPECT_EQ(ui::FindSubControlByName(w.Root(), QStringLiteral("Title_Text")), title);
    EXPECT_EQ(ui::FindSubControlByName(nullptr, QStringLiteral("Title_Text")), nullptr);
    EXPECT_EQ(w.FindControl(QString()), nullptr);

    QWidget* missing = w.FindControl(QStringLiteral("no_such_control"));
    ASSERT_EQ(missing, nullptr);
    ui::SetControlText(missing, QStringLiteral("x"));
    ui::SetControlVisible(missing, false);
    ui::SetControlEnabled(missing, false);
    ui::SetControlChecked(missing, true);
    ui::SetControlValue(missing, 3);
    ui::SetControlCurrentIndex(missing, 1);
    ui::SetTextId(missing, QStringLiteral("t_title"));
    EXPECT_EQ(ui::ControlText(missing), QString());
    EXPECT_EQ(ui::ControlCurrentIndex(missing), -1);
    EXPECT_FALSE(w.SetTimer(missing, 1, 10));
    EXPECT_FALSE(w.KillTimer(missing, 1));
}

TEST_F(FrameworkTest, TextIdsFollowTheLoadedLanguage) {
    ui::TextManager& texts = ui::TextManager::Instance();
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));
    auto* title = qobject_cast<QLabel*>(w.FindControl(QStringLiteral("Title_Text")));
    ASSERT_NE(title, nullptr);
    ASSERT_TRUE(texts.LoadLanguage(QStringLiteral("lan_cn.xml")));
    texts.ReloadText();
    EXPECT_EQ(title->text(), QStringLiteral("标题"));

    // A later file replaces the ids it has and keeps the others.
    ASSERT_TRUE(texts.LoadLanguage(QStringLiteral("lan_en.xml")));
    texts.ReloadText();
    EXPECT_EQ(title->text(), QStringLiteral("Title"));
    EXPECT_EQ(texts.Text(QStringLiteral("t_other")), QStringLiteral("其他"));
    EXPECT_EQ(texts.Text(QStringLiteral("t_unknown")), QStringLiteral("t_unknown"));

    // A broken or missing file changes nothing.
    EXPECT_FALSE(texts.LoadLanguage(QStringLiteral("broken.xml")));
    EXPECT_FALSE(texts.LoadLanguage(QStringLiteral("lan_xx.xml")));
    texts.ReloadText();
    EXPECT_EQ(title->text(), QStringLiteral("Title"));

    auto* button = qobject_cast<QPushButton*>(w.FindControl(QStringLiteral("fixed_btn")));
    ui::SetTextId(button, QStringLiteral("t_other"));
    EXPECT_EQ(button->text(), QStringLiteral("其他"));
}

TEST_F(FrameworkTest, ScaleStaysWithinItsRangeAndScalesTheWindow) {
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));
    EXPECT_EQ(w.size(), QSize(300, 200));
    EXPECT_FALSE(w.SetDPI(47));
    EXPECT_FALSE(w.SetDPI(193));
    EXPECT_EQ(w.DPI(), 96);
    ASSERT_TRUE(w.SetDPI(144));
    EXPECT_EQ(w.size(), QSize(450, 300));
    QWidget* fixed = w.FindControl(QStringLiteral("fixed_btn"));
    EXPECT_EQ(fixed->maximumSize(), QSize(60, 30));
    // Back to the design size, not a compounded one.
    ASSERT_TRUE(w.SetDPI(96));
    EXPECT_EQ(fixed->maximumSize(), QSize(40, 20));
    EXPECT_EQ(w.size(), QSize(300, 200));
    ASSERT_TRUE(w.SetDPI(48));
    EXPECT_EQ(w.Scaled(100), 50);

    // A shown window that left its screen is brought back to its centre; one
    // on the screen stays where it is.
    const QRect area = w.screen()->availableGeometry();
    w.show();
    w.move(area.topLeft() + QPoint(10, 10));
    w.KeepOnScreen();
    EXPECT_EQ(w.pos(), area.topLeft() + QPoint(10, 10));
    w.move(area.bottomRight() - QPoint(10, 10));
    w.KeepOnScreen();
    EXPECT_TRUE(area.contains(w.frameGeometry())) << w.frameGeometry().x();
}

TEST_F(FrameworkTest, FontsByNumberFollowTheFontTable) {
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));
    QWidget* title = w.FindControl(QStringLiteral("Title_Text"));
    title->setProperty("fontId", 2);
    ui::FontTable::Shared().AddFont(2,
                                    ui::FontSpec{QStringLiteral("Sans"), 18, true, false, false});
    w.Fonts().AddFont(2, ui::FontSpec{QStringLiteral("Sans"), 20, false, true, false});
    w.ApplyFonts();
    EXPECT_EQ(title->font().pixelSize(), 20);  // the window's own font first
    EXPECT_TRUE(title->font().underline());
    w.Fonts().RemoveAll();
    ASSERT_TRUE(w.SetDPI(144));
    EXPECT_EQ(title->font().pixelSize(), 27);
    EXPECT_TRUE(title->font().bold());
    ui::FontTable::Shared().RemoveAll();
}

TEST_F(FrameworkTest, TrayClicksArriveAsTheTrayMessage) {
    RecordingWindow w(QStringLiteral("XML_MAIN"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 300, 200));
    ui::TrayIcon tray;
    tray.Create(&w, QIcon(), QStringLiteral("tip"), ui::kTrayNotifyMessage);
    ASSERT_TRUE(tray.Exists());
    EXPECT_EQ(tray.Icon()->toolTip(), QStringLiteral("tip"));
    emit tray.Icon()->activated(QSystemTrayIcon::Trigger);
    emit tray.Icon()->activated(QSystemTrayIcon::Context);
    ASSERT_TRUE(uitest::ProcessUntil([&] { return w.messages.size() == 2; }));
    EXPECT_EQ(w.messages[0].message, 1025u);
    EXPECT_EQ(w.messages[0].lParam, 514);
    EXPECT_EQ(w.messages[1].lParam, 517);
    tray.Delete();
    EXPECT_FALSE(tray.Exists());
}

TEST(RegisteredMessages, SameStringSameNumberInTheRegisteredRange) {
    const uint32_t a = ui::RegisterWindowMessage("Morvath QX70 MECHANICAL GAMING KEYBOARD");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(ui::RegisterWindowMessage("morvath qx70 mechanical gaming keyboard"), a);
    EXPECT_EQ(ui::FindRegisteredMessage("Morvath QX70 MECHANICAL GAMING KEYBOARD"), a);
    EXPECT_EQ(ui::RegisteredMessageName(a), "Morvath QX70 MECHANICAL GAMING KEYBOARD");
    std::set<uint32_t> numbers{a};
    for (int i = 0; i < 200; ++i) {
        const uint32_t n = ui::RegisterWindowMessage("WM_TEST_" + std::to_string(i));
        EXPECT_GE(n, 0xC000u);
        EXPECT_TRUE(numbers.insert(n).second) << "collision left unresolved";
    }
    EXPECT_EQ(ui::RegisterWindowMessage(""), 0u);
    EXPECT_EQ(ui::FindRegisteredMessage("never registered"), 0u);
}

}  // namespace
