// Languages in the running main window: the start-up choice, switching
// between Chinese and English (texts of every open window, fonts, the stored
// choice), and lists or indexes that must change nothing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTimer>
#include <filesystem>

#include "i18n/language_list.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "ui/dialogs/about_wnd.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/font_table.h"
#include "ui/framework/text_manager.h"
#include "ui_test_support.h"
#include "window_test_support.h"

namespace fs = std::filesystem;

namespace {

constexpr int kChinese = 0;
constexpr int kEnglish = 1;

class ScopedProgramFolder {
  public:
    explicit ScopedProgramFolder(const std::string& folder) : old_(platform::ProgramFolder()) {
        platform::SetProgramFolder(folder);
    }
    ~ScopedProgramFolder() { platform::SetProgramFolder(old_); }

  private:
    std::string old_;
};

const std::string kResources = QX70_SOURCE_DIR "/resources/";

class LanguageTest : public ::testing::Test {
  protected:
    // Starts the window with `stored` as the stored choice (none when empty).
    void Start(const std::optional<std::string>& storedJson = std::nullopt) {
        if (storedJson) {
            const std::string path = platform::SettingsStore().Path();
            testing_support::WriteAll(path, "{ \"LANGUAGE\" : " + *storedJson + " }\r\n");
        }
        ASSERT_TRUE(world_.Start());
    }
    ui::CMainWnd& Main() { return world_.Window(); }
    QString CloseText() {
        return static_cast<QAbstractButton*>(Main().FindControl(QStringLiteral("closebtn")))
            ->text();
    }
    std::optional<int> Stored() const { return platform::SettingsStore().GetInt("LANGUAGE"); }
    QString DefaultFace() const {
        const auto& def = ui::FontTable::Shared().Default();
        return def ? def->face : QString();
    }
    void SendLanguage(uintptr_t index) { Main().Send(ui::kMsgLanguageChanged, index, 0); }

    uitest::WindowWorld world_;
    std::unique_ptr<ScopedProgramFolder> folder_ =
        std::make_unique<ScopedProgramFolder>(kResources);
};

}  // namespace

TEST_F(LanguageTest, FirstStartAppliesEnglishAndStoresIt) {
    platform::DebugCapture capture;
    Start();
    EXPECT_EQ(Main().LanguageIndex(), kEnglish);
    EXPECT_EQ(Stored(), i18n::kDefaultLanguageId);
    EXPECT_TRUE(capture.Contains("写成功！"));
    EXPECT_EQ(CloseText(), QStringLiteral("Close"));
    EXPECT_EQ(ui::TextManager::Instance().Language(), QStringLiteral("English"));
    // The first apply always builds the font set.
    EXPECT_EQ(DefaultFace(), QStringLiteral("Verdana Unicode MS"));
    ASSERT_TRUE(ui::FontTable::Shared().Find(50).has_value());
    EXPECT_TRUE(ui::FontTable::Shared().Find(50)->bold);
}

TEST_F(LanguageTest, StoredChoiceSelectsItsEntry) {
    Start("2052");
    EXPECT_EQ(Main().LanguageIndex(), kChinese);
    EXPECT_EQ(CloseText(), QStringLiteral("关闭"));
    EXPECT_EQ(DefaultFace(), QStringLiteral("汉仪菱心体简"));
}

TEST_F(LanguageTest, UnknownStoredIdFallsBackToTheFirstEntryAndIsRewritten) {
    Start("9999");
    EXPECT_EQ(Main().LanguageIndex(), kChinese);
    EXPECT_EQ(Stored(), 2052);
}

TEST_F(LanguageTest, NonNumberStoredCountsAsMissing) {
    Start("\"x\"");
    EXPECT_EQ(Main().LanguageIndex(), kEnglish);
    EXPECT_EQ(Stored(), i18n::kDefaultLanguageId);
}

TEST_F(LanguageTest, SwitchingRetextsEveryOpenWindowAndRebuildsFonts) {
    Start();
    ASSERT_EQ(Main().LanguageIndex(), kEnglish);
    QString aboutEnglish, aboutChinese, aboutClose;
    int aboutFontPixels = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* about = static_cast<ui::Window*>(Main().AboutWindow());
        if (about == nullptr || !about->isVisible() || !aboutEnglish.isEmpty())
            return;
        auto* label =
            static_cast<QLabel*>(about->FindControl(QStringLiteral("software_ver_label")));
        aboutEnglish = label->text();
        // The settings window sends this when the user picks a language.
        SendLanguage(kChinese);
        aboutChinese = label->text();
        aboutClose =
            static_cast<QAbstractButton*>(about->FindControl(QStringLiteral("closebtn")))->text();
        aboutFontPixels = label->font().pixelSize();
        about->close();
    });
    timer.start();
    Main().MenuCommand(QStringLiteral("about_menu"));
    timer.stop();
    EXPECT_EQ(aboutEnglish, QStringLiteral("Software version: ") + ui::SoftwareDisplayVersion());
    EXPECT_EQ(aboutChinese, QStringLiteral("软件版本：") + ui::SoftwareDisplayVersion());
    EXPECT_EQ(aboutClose, QStringLiteral("关闭"));
    // Font 4 of the new set, at the window's scale.
    EXPECT_EQ(aboutFontPixels, 16 * Main().DPI() / 96);
    EXPECT_EQ(Main().LanguageIndex(), kChinese);
    EXPECT_EQ(CloseText(), QStringLiteral("关闭"));
    EXPECT_EQ(Stored(), 2052);
    EXPECT_EQ(DefaultFace(), QStringLiteral("汉仪菱心体简"));

    SendLanguage(kEnglish);
    EXPECT_EQ(CloseText(), QStringLiteral("Close"));
    EXPECT_EQ(DefaultFace(), QStringLiteral("Verdana Unicode MS"));
    EXPECT_EQ(Stored(), i18n::kDefaultLanguageId);

    // A layout built after the switch shows its language and fonts as well.
    auto* host = new QWidget(Main().Root());
    ASSERT_NE(Main().BuildLayout(QStringLiteral("AboutWnd.xml"), host), nullptr);
    auto* title =
        static_cast<QLabel*>(ui::FindSubControlByName(host, QStringLiteral("about_title")));
    auto* version =
        static_cast<QLabel*>(ui::FindSubControlByName(host, QStringLiteral("software_ver_label")));
    EXPECT_EQ(title->text(), QStringLiteral("About"));
    EXPECT_EQ(version->font().family(), QStringLiteral("Verdana Unicode MS"));
    EXPECT_EQ(version->font().pixelSize(), 16 * Main().DPI() / 96);
}

TEST_F(LanguageTest, ChoosingTheCurrentLanguageAgainChangesNothing) {
    Start();
    ui::FontTable::Shared().AddFont(999, ui::FontSpec{});
    platform::DebugCapture capture;
    SendLanguage(kEnglish);
    EXPECT_FALSE(capture.Contains("写成功！"));
    EXPECT_TRUE(ui::FontTable::Shared().Find(999).has_value());
}

TEST_F(LanguageTest, BadIndexOrMissingListChangesNothing) {
    Start("2052");
    ASSERT_EQ(Main().LanguageIndex(), kChinese);
    ui::FontTable::Shared().AddFont(999, ui::FontSpec{});
    platform::DebugCapture capture;
    SendLanguage(7);
    SendLanguage(static_cast<uintptr_t>(-1));
    EXPECT_TRUE(capture.Contains("language 7 not applied: no usable entry"));
    EXPECT_EQ(Main().LanguageIndex(), kChinese);

    // A program folder whose list is gone, then one whose list is garbage.
    testing_support::TempDir dir;
    fs::copy(kResources + "skin", dir.Path() + "skin", fs::copy_options::recursive);
    fs::create_directories(dir.Path() + "DefaultData");
    ScopedProgramFolder broken(dir.Path());
    SendLanguage(kEnglish);
    testing_support::WriteAll(dir.Path() + "DefaultData/Language.config", "{\"Language\": 5");
    SendLanguage(kEnglish);
    EXPECT_EQ(capture.Count("language 1 not applied: Language.config unusable"), 2u);

    EXPECT_EQ(Main().LanguageIndex(), kChinese);
    EXPECT_EQ(Stored(), 2052);
    EXPECT_FALSE(capture.Contains("写成功！"));
    EXPECT_TRUE(ui::FontTable::Shared().Find(999).has_value());
    EXPECT_EQ(CloseText(), QStringLiteral("关闭"));
}
