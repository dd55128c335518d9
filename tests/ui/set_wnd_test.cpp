// The settings window: its scale, the update check against a local server
// (rows, the update button and pages, the close rule), a server that never
// answers, the language list, and the main window's opening, relay and
// firmware updater prompt.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QStackedWidget>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "ui/dialogs/set_wnd.h"
#include "ui/dialogs/update_info_item.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/main_wnd.h"
#include "ui_test_support.h"
#include "update/test_server.h"
#include "update/update_time.h"
#include "window_test_support.h"

using uitest::ProcessUntil;

namespace {

// Offers `version` to the keyboard's row and no update to the others.
update_test::TestServer::Handler OfferVersion(const std::string& version) {
    return [version](const std::string& request) -> std::optional<std::string> {
        if (request.find("KB01") == std::string::npos)
            return update_test::Response("200 OK", "{}");
        return update_test::Response(
            "200 OK", "{\"name\":\"x\",\"version\":\"" + version + "\",\"version_name\":\"" +
                          version + "\",\"path\":\"https://u.invalid/f\",\"device_id\":3}");
    };
}

QWidget* Child(ui::Window& w, const char* name) {
    return w.FindControl(QString::fromLatin1(name));
}

class SetWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        uitest::UseProgramSkin();
        ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
        platform::SetProgramFolder(QX70_BINARY_DIR "/src/app/");
    }
    void TearDown() override { platform::SetProgramFolder({}); }

    // A window pointed at `url` with short time-outs, shown and running.
    std::unique_ptr<ui::CSetWnd> Open(const std::string& url) {
        auto w = std::make_unique<ui::CSetWnd>();
        EXPECT_TRUE(
            w->Create(nullptr, QStringLiteral("SetWnd"), ui::kSetWndWidth, ui::kSetWndHeight));
        update::UpdateCheck::Options options;
        options.url = url;
        options.dateFilePath = update::UpdateTimePath();
        options.connectTimeout = std::chrono::milliseconds(2000);
        options.stallTimeout = std::chrono::milliseconds(20000);
        w->SetCheckOptions(options);
        // The keyboard wired at 0x0105; the others absent.
        w->SetDevices({{0x320F, 0x22AB, 1, 0, true, false, 0x0105}});
        w->show();
        return w;
    }

    testing_support::ScopedUserFolders folders_;
};

TEST_F(SetWndTest, ScaleTakesTheSevenValuesOnly) {
    ui::CSetWnd w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("SetWnd"), ui::kSetWndWidth, ui::kSetWndHeight));
    platform::DebugCapture capture;
    w.SetScale(144);
    EXPECT_EQ(w.Scale(), 144);
    EXPECT_EQ(w.width(), 945);
    EXPECT_FALSE(capture.Contains("SET_WND DPI SET ERROR"));
    w.SetScale(100);
    EXPECT_TRUE(capture.Contains("SET_WND DPI SET ERROR"));
    EXPECT_EQ(w.Scale(), 96);
    EXPECT_EQ(w.width(), 630);
}

TEST_F(SetWndTest, NewerFirmwareIsOfferedChosenAndDoesNotTrapTheWindow) {
    update_test::TestServer server(OfferVersion("106"));
    ASSERT_TRUE(server.Ok());
    auto w = Open(server.Url("/api/updates"));
    ASSERT_TRUE(ProcessUntil([&] { return w->CheckDone(); }, 10000));
    EXPECT_EQ(server.Requests().size(), 4u);
    const update::ListRow& keyboard = w->List().Row(update::kKeyboardRow);
    EXPECT_EQ(keyboard.state, update::kStateUpdateAvailable);
    EXPECT_EQ(keyboard.currentText, "V0105");
    EXPECT_EQ(keyboard.newText, "V106");
    EXPECT_TRUE(keyboard.ticked);
    EXPECT_EQ(w->Overall(), update::OverallState::HaveUpdate);
    ui::CUpdateInfoListItemUI* item = w->Item(update::kKeyboardRow);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->State(), update::kStateUpdateAvailable);
    EXPECT_EQ(item->UserData(), QStringLiteral("https://u.invalid/f"));
    EXPECT_EQ(ui::ControlText(ui::FindSubControlByName(item, QStringLiteral("updateRev"))),
              QStringLiteral("V106"));

    QWidget* updateButton = Child(*w, "update_fw_and_ap");
    ASSERT_NE(updateButton, nullptr);
    EXPECT_TRUE(updateButton->isVisible());
    // Unticking the only offered row hides the button again.
    QWidget* tick = ui::FindSubControlByName(item, QStringLiteral("check_name_select"));
    ASSERT_TRUE(tick->isEnabled());
    // On the box itself, not beside its short text.
    const QPoint box(6, tick->height() / 2);
    uitest::Click(tick, box);
    EXPECT_FALSE(updateButton->isVisible());
    EXPECT_FALSE(w->List().Row(update::kKeyboardRow).ticked);
    uitest::Click(tick, box);
    ASSERT_TRUE(updateButton->isVisible());

    auto* pages = qobject_cast<QStackedWidget*>(Child(*w, "get_update_tab_layout"));
    ASSERT_NE(pages, nullptr);
    uitest::Click(updateButton);
    EXPECT_EQ(pages->currentIndex(), 1);
    uitest::Click(Child(*w, "update_OK_btn"));
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(w->List().Row(update::kKeyboardRow).state, update::kStateDownloadWait);
    EXPECT_FALSE(updateButton->isEnabled());
    // Nothing downloads here: a row waiting for a download must not keep the
    // window open.
    uitest::Click(Child(*w, "laterbtn"));
    EXPECT_TRUE(ProcessUntil([&] { return !w->isVisible(); }, 2000));
}

TEST_F(SetWndTest, AllOlderClearsTheMarkAndShowsTheDate) {
    update_test::TestServer server(OfferVersion("1"));
    ASSERT_TRUE(server.Ok());
    uitest::RecordingWindow main(QStringLiteral("XML_MSG"));
    ASSERT_TRUE(main.Create(nullptr, QStringLiteral("main"), 300, 200));
    auto w = std::make_unique<ui::CSetWnd>();
    ASSERT_TRUE(w->Create(nullptr, QStringLiteral("SetWnd"), 630, 500));
    update::UpdateCheck::Options options;
    options.url = server.Url("/api/updates");
    options.dateFilePath = update::UpdateTimePath();
    w->SetCheckOptions(options);
    w->SetMainWindow(&main, 1);
    w->show();
    ASSERT_TRUE(ProcessUntil([&] { return w->CheckDone(); }, 10000));
    EXPECT_EQ(w->Overall(), update::OverallState::UpToDate);
    EXPECT_EQ(update::ReadCheckDate(update::UpdateTimePath()), update::TodayCheckDate());
    const QString status = ui::ControlText(Child(*w, "Update_Status_text"));
    EXPECT_TRUE(status.endsWith(QString::fromStdString(update::TodayCheckDate())))
        << status.toStdString();
    bool badgeCleared = false;
    for (const uitest::Received& m : main.messages)
        badgeCleared = badgeCleared || m.message == 3094;
    EXPECT_TRUE(badgeCleared);

    // A language change rebuilds the date text in the new language.
    ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_cn.xml"));
    w->Send(3089, 0, 0);
    EXPECT_TRUE(ui::ControlText(Child(*w, "Update_Status_text"))
                    .startsWith(QString::fromUtf8("已是最新版本")));
    ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
}

TEST_F(SetWndTest, UnreachableServerIsNeverUpToDate) {
    auto w = Open("http://127.0.0.1:" + std::to_string(update_test::ClosedPort()) + "/api/updates");
    ASSERT_TRUE(ProcessUntil([&] { return w->CheckDone(); }, 10000));
    EXPECT_EQ(w->Overall(), update::OverallState::NotReached);
    EXPECT_EQ(ui::ControlText(Child(*w, "Update_Status_text")),
              QStringLiteral("The update server could not be reached."));
    for (size_t i = 0; i < w->List().Size(); ++i)
        EXPECT_EQ(w->List().Row(i).state, update::kStateUpToDate);
}

TEST_F(SetWndTest, NoServerConfiguredSaysSo) {
    auto w = Open("");
    ASSERT_TRUE(ProcessUntil([&] { return w->CheckDone(); }, 5000));
    EXPECT_EQ(ui::ControlText(Child(*w, "Update_Status_text")),
              QStringLiteral("No update server is configured."));
}

TEST_F(SetWndTest, EscapeDuringAHungRequestClosesAtOnce) {
    update_test::TestServer server(
        [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
    ASSERT_TRUE(server.Ok());
    auto w = Open(server.Url("/api/updates"));
    ASSERT_TRUE(ProcessUntil([&] { return !server.Requests().empty(); }, 5000));
    platform::DebugCapture capture;
    const auto start = std::chrono::steady_clock::now();
    uitest::Press(w.get(), Qt::Key_Escape);
    EXPECT_TRUE(ProcessUntil([&] { return !w->isVisible(); }, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(w->CheckRunning());
    EXPECT_TRUE(capture.Contains("所有对象处于激发状态\n"));
    EXPECT_FALSE(capture.Contains("所有对象处于非激发状态，超时\n"));
    // Nothing that was on its way lands after the close.
    ProcessUntil([] { return false; }, 100);
    EXPECT_FALSE(w->CheckDone());
}

TEST_F(SetWndTest, TransferInProgressRefusesEveryClose) {
    auto w = Open("");
    ASSERT_TRUE(ProcessUntil([&] { return w->CheckDone(); }, 5000));
    w->MutableList().SetState(update::kMouseRow, update::kStateDownloading);
    uitest::Click(Child(*w, "laterbtn"));
    uitest::Press(w.get(), Qt::Key_Escape);
    w->close();
    ProcessUntil([] { return false; }, 50);
    EXPECT_TRUE(w->isVisible());
    w->MutableList().SetState(update::kMouseRow, update::kStateUpdateFailed);
    w->close();
    EXPECT_TRUE(ProcessUntil([&] { return !w->isVisible(); }, 2000));
}

TEST_F(SetWndTest, LanguageListShowsTheCurrentLanguageAndReportsAChoice) {
    uitest::RecordingWindow main(QStringLiteral("XML_MSG"));
    ASSERT_TRUE(main.Create(nullptr, QStringLiteral("main"), 300, 200));
    ui::CSetWnd w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("SetWnd"), 630, 500));
    w.SetCheckOptions({});
    w.SetMainWindow(&main, 1);
    w.show();
    auto* combo = qobject_cast<QComboBox*>(Child(w, "Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(ProcessUntil([&] { return combo->count() == 2; }));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->itemText(0), QString::fromUtf8("简体中文"));
    EXPECT_TRUE(main.messages.empty());
    uitest::Press(combo, Qt::Key_Up);
    ASSERT_EQ(main.messages.size(), 1u);
    EXPECT_EQ(main.messages[0].message, 3089u);
    EXPECT_EQ(main.messages[0].wParam, 0u);
    EXPECT_EQ(w.LanguageIndex(), 0);
}

TEST_F(SetWndTest, ClicksInAModalWindowOpenedByAHandlerAreTheUsers) {
    // The settings window runs modally inside the main window's click
    // handler; the user's clicks in it must still raise notifications.
    uitest::RecordingWindow outer(QStringLiteral("setwnd.xml"));
    ASSERT_TRUE(outer.Create(nullptr, QStringLiteral("outer"), 630, 500));
    outer.show();
    int innerClicks = 0;
    outer.onNotify = [&](const ui::Notification& n) {
        if (n.type != QLatin1String("click"))
            return;
        uitest::RecordingWindow inner(QStringLiteral("setwnd.xml"));
        ASSERT_TRUE(inner.Create(nullptr, QStringLiteral("inner"), 630, 500));
        inner.onNotify = [&](const ui::Notification& m) {
            if (m.type == QLatin1String("click")) {
                ++innerClicks;
                inner.Close(0);
            }
        };
        QTimer::singleShot(20, &inner, [&] { uitest::Click(Child(inner, "laterbtn")); });
        QTimer::singleShot(1000, &inner, [&] { inner.Close(0); });
        inner.ShowModal();
    };
    uitest::Click(Child(outer, "laterbtn"));
    EXPECT_EQ(innerClicks, 1);
}

// ---------------------------------------------------------------- the opener

class SettingsOpenerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(world_.Start());
        world_.Window().SetDPI(96);
    }
    uitest::WindowWorld world_;
};

TEST_F(SettingsOpenerTest, SetbtnPlacesItTopRightAndOnlyOneOpens) {
    ui::CMainWnd& main = world_.Window();
    main.move(100, 80);
    int opened = 0;
    QRect placed;
    QRect mainRect;
    int mainDpi = 0;
    bool secondIgnored = false;
    bool relayIgnored = false;
    main.SetSettingsWindowHook([&](QWidget* w) {
        ++opened;
        placed = QRect(w->pos(), w->size());
        mainRect = main.geometry();
        mainDpi = main.DPI();
        main.Send(ui::kMsgOpenSettings, 0, 0);
        ProcessUntil([] { return false; }, 20);
        secondIgnored = opened == 1;
        // The relay reaches the window, which has no row being updated.
        auto* settings = static_cast<ui::CSetWnd*>(w);
        main.Send(ui::RegisteredAppMessages().settingsRelay, 1, 0);
        ProcessUntil([] { return false; }, 20);
        relayIgnored = settings->List().RowBeingUpdated() < 0;
        QMetaObject::invokeMethod(
            w, [w] { w->close(); }, Qt::QueuedConnection);
    });
    ui::Window* window = &main;
    window->SendNotify(main.FindControl(QStringLiteral("setbtn")), QStringLiteral("click"));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(secondIgnored);
    EXPECT_TRUE(relayIgnored);
    EXPECT_EQ(mainRect.right() - placed.right(), 85 * mainDpi / 96);
    EXPECT_EQ(placed.top() - mainRect.top(), 60 * mainDpi / 96);
    EXPECT_EQ(placed.width(), 630 * mainDpi / 96);
    EXPECT_EQ(main.SettingsWindow(), nullptr);
}

TEST_F(SettingsOpenerTest, MessageOpensItCentredAtTheMainWindowsScale) {
    ui::CMainWnd& main = world_.Window();
    QRect placed;
    QRect mainRect;
    int scale = 0;
    int mainDpi = 0;
    main.SetSettingsWindowHook([&](QWidget* w) {
        placed = w->geometry();
        mainRect = main.geometry();
        mainDpi = main.DPI();
        scale = static_cast<ui::CSetWnd*>(w)->Scale();
        QMetaObject::invokeMethod(
            w, [w] { w->close(); }, Qt::QueuedConnection);
    });
    main.SetDPI(144);
    main.Post(ui::kMsgOpenSettings, 0, 0);
    ASSERT_TRUE(ProcessUntil([&] { return scale != 0; }, 3000));
    EXPECT_EQ(scale, mainDpi);
    EXPECT_EQ(placed.width(), 630 * mainDpi / 96);
    EXPECT_LE(std::abs(placed.center().x() - mainRect.center().x()), 2);
}

// A program folder with the stub updater in it.
class UpdaterFolder {
  public:
    explicit UpdaterFolder(bool install) {
        std::filesystem::create_directories(dir_.Path() + "Update");
        if (install) {
            const std::string path = dir_.Path() + "Update/qx70-firmware-updater";
            std::ofstream(path) << "#!/bin/sh\n";
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        }
        platform::SetProgramFolder(dir_.Path());
    }
    ~UpdaterFolder() { platform::SetProgramFolder({}); }
    std::string Path() const { return dir_.Path(); }

  private:
    testing_support::TempDir dir_;
};

TEST_F(SettingsOpenerTest, OldFirmwarePromptsOnceAndStartsTheUpdater) {
    ui::CMainWnd& main = world_.Window();
    UpdaterFolder folder(true);
    int prompts = 0;
    QString textId;
    main.SetMessageWindow([&](QWidget*, const QString&, const QString& text, int, bool isId, int) {
        ++prompts;
        textId = isId ? text : QString();
        return 1;
    });
    std::vector<update::UpdaterLaunch> launched;
    main.SetUpdaterLauncher([&](const update::UpdaterLaunch& l) {
        launched.push_back(l);
        return true;
    });
    // Asked twice (a reconnect) before the first prompt ran: one prompt.
    main.Send(3332, 0x22AB, 0x0108);
    main.Send(3332, 0x22AB, 0x0108);
    EXPECT_EQ(prompts, 0);  // posted, never inside the device's send
    ASSERT_TRUE(ProcessUntil([&] { return !launched.empty(); }));
    ProcessUntil([] { return false; }, 50);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(textId, QStringLiteral("UpdateTiShiText"));
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].program, folder.Path() + "Update/qx70-firmware-updater");
    EXPECT_EQ(launched[0].args, (std::vector<std::string>{"On", "the", "upgrade"}));
    EXPECT_EQ(launched[0].workingFolder, folder.Path() + "Update");
    // A current release asks nothing.
    main.Send(3332, 0x22AB, 0x0109);
    ProcessUntil([] { return false; }, 50);
    EXPECT_EQ(prompts, 1);
}

TEST_F(SettingsOpenerTest, NoUpdaterNoPrompt) {
    ui::CMainWnd& main = world_.Window();
    UpdaterFolder folder(false);
    int prompts = 0;
    main.SetMessageWindow([&](QWidget*, const QString&, const QString&, int, bool, int) {
        ++prompts;
        return 0;
    });
    platform::DebugCapture capture;
    main.Send(3332, 0x22AB, 0x0108);
    ProcessUntil([] { return false; }, 50);
    EXPECT_EQ(prompts, 0);
    EXPECT_TRUE(capture.Contains("firmware updater not installed: no prompt"));
    EXPECT_TRUE(main.isVisible());
}

}  // namespace
