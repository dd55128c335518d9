// The message window and the about window: answers, keys, scale, the single
// about window, and closes by the window manager.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "platform/debug_output.h"
#include "ui/dialogs/about_wnd.h"
#include "ui/dialogs/msg_wnd.h"
#include "ui/framework/text_manager.h"
#include "ui/framework/window_messages.h"
#include "ui/main_window/tray_menu.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;

namespace {

ui::CMsgWnd* OpenMessageWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() == QLatin1String("msgwnd") && w->isVisible())
            return qobject_cast<ui::CMsgWnd*>(w);
    }
    return nullptr;
}

QWidget* Child(QWidget* window, const char* name) {
    return static_cast<ui::Window*>(window)->FindControl(QString::fromLatin1(name));
}

// Runs ShowMessage with its real modal loop; `act` runs once the window is up.
int ShowAndAct(int buttons, const std::function<void(ui::CMsgWnd&)>& act) {
    bool acted = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ui::CMsgWnd* w = OpenMessageWindow();
        if (w == nullptr || acted)
            return;
        acted = true;
        act(*w);
    });
    timer.start();
    const int result =
        ui::ShowMessage(nullptr, QString(), QStringLiteral("message_text_5"), 96, true, buttons);
    EXPECT_TRUE(acted);
    return result;
}

class DialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::UseProgramSkin();
        ui::TextManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml"));
    }
    void TearDown() override { ui::SetMessageAnswerer({}); }
};

}  // namespace

TEST_F(DialogsTest, InformationShowsOnlyConfirm) {
    bool cancelShown = true;
    const int confirmed = ShowAndAct(ui::kMessageInfo, [&](ui::CMsgWnd& w) {
        cancelShown = Child(&w, "cancel_btn")->isVisible();
        EXPECT_TRUE(Child(&w, "confirm_btn")->isVisible());
        EXPECT_EQ(static_cast<QLabel*>(Child(&w, "MessageText"))->text(),
                  QStringLiteral("This name is already in use. Please choose another one."));
        uitest::Click(Child(&w, "confirm_btn"));
    });
    EXPECT_FALSE(cancelShown);
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(
        ShowAndAct(ui::kMessageInfo, [](ui::CMsgWnd& w) { uitest::Click(Child(&w, "closebtn")); }),
        0);
}

TEST_F(DialogsTest, QuestionAnswersByButtonAndKey) {
    EXPECT_EQ(ShowAndAct(ui::kMessageQuestion,
                         [](ui::CMsgWnd& w) {
                             EXPECT_TRUE(Child(&w, "cancel_btn")->isVisible());
                             uitest::Click(Child(&w, "cancel_btn"));
                         }),
              0);
    EXPECT_EQ(ShowAndAct(ui::kMessageQuestion,
                         [](ui::CMsgWnd& w) { uitest::Click(Child(&w, "confirm_btn")); }),
              1);
    EXPECT_EQ(
        ShowAndAct(ui::kMessageQuestion,
                   [](ui::CMsgWnd& w) { uitest::Press(Child(&w, "cancel_btn"), Qt::Key_Return); }),
        1);
    EXPECT_EQ(
        ShowAndAct(ui::kMessageQuestion,
                   [](ui::CMsgWnd& w) { uitest::Press(Child(&w, "confirm_btn"), Qt::Key_Escape); }),
        0);
    // A close from outside (the window manager) is a cancel.
    EXPECT_EQ(ShowAndAct(ui::kMessageQuestion, [](ui::CMsgWnd& w) { w.close(); }), 0);
    EXPECT_EQ(OpenMessageWindow(), nullptr);
}

TEST_F(DialogsTest, TitleAndLiteralTextAreShownAsGiven) {
    QString title, text;
    ui::SetMessageAnswerer([&](ui::CMsgWnd& w) {
        title = static_cast<QLabel*>(Child(&w, "MessageTitle"))->text();
        text = static_cast<QLabel*>(Child(&w, "MessageText"))->text();
        return 7;
    });
    EXPECT_EQ(ui::ShowMessage(nullptr, QStringLiteral("<b>T</b>"), QStringLiteral("message_text_5"),
                              96, false, ui::kMessageInfo),
              7);
    EXPECT_EQ(title, QStringLiteral("<b>T</b>"));
    EXPECT_EQ(text, QStringLiteral("message_text_5"));
    // Empty title and text keep the layout's own.
    ui::ShowMessage(nullptr, QString(), QString(), 96, true, ui::kMessageInfo);
    EXPECT_EQ(title, QStringLiteral("Notice"));
}

TEST_F(DialogsTest, SetDpiTakesTheSevenScalesAndScalesOnlyItself) {
    uitest::RecordingWindow other(QStringLiteral("XML_MSG"));
    ASSERT_TRUE(other.Create(nullptr, QStringLiteral("other"), 360, 180));
    ui::CMsgWnd w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("msgwnd"), 360, 180));
    platform::DebugCapture capture;
    w.SetDpi(96);
    EXPECT_TRUE(capture.Lines().empty());
    w.SetDpi(144);
    EXPECT_EQ(w.DPI(), 144);
    EXPECT_EQ(w.width(), 540);
    EXPECT_EQ(other.DPI(), 96);
    EXPECT_FALSE(capture.Contains("MSG_WND DPI SET ERROR"));
    w.SetDpi(100);
    EXPECT_TRUE(capture.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(w.Dpi(), 96);
    EXPECT_EQ(w.DPI(), 96);
    EXPECT_EQ(w.width(), 360);
}

TEST_F(DialogsTest, ButtonsModeOutsideTheTwoChangesNothing) {
    ui::CMsgWnd w;
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("msgwnd"), 360, 180));
    w.SetButtons(ui::kMessageInfo);
    w.SetButtons(5);
    EXPECT_TRUE(Child(&w, "cancel_btn")->isHidden());
    w.SetButtons(ui::kMessageQuestion);
    EXPECT_FALSE(Child(&w, "cancel_btn")->isHidden());
}

TEST(AboutWindow, OpensOnceShowsTheVersionAndSurvivesTheWindowManager) {
    uitest::WindowWorld world;
    ASSERT_TRUE(world.Start());
    ui::CMainWnd& main = world.Window();
    int opened = 0;
    QString version, after;
    bool secondIgnored = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* about = main.AboutWindow();
        if (about == nullptr || !about->isVisible() || opened > 0)
            return;
        opened = 1;
        version = static_cast<QLabel*>(Child(about, "software_ver_label"))->text();
        // A second request while it is open does nothing (and returns at once).
        main.MenuCommand(QStringLiteral("about_menu"));
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            count += w->windowTitle() == QLatin1String("  ") && w->isVisible() ? 1 : 0;
        secondIgnored = count == 1 && main.AboutWindow() == about;
        uitest::Click(Child(about, "homepage_btn"));
        after = about->isVisible() ? QStringLiteral("open") : QString();
        // Alt+F4 / the title bar: the window manager closes it.
        about->close();
    });
    timer.start();
    main.MenuCommand(QStringLiteral("about_menu"));
    timer.stop();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(secondIgnored);
    EXPECT_EQ(after, QStringLiteral("open"));
    EXPECT_EQ(version, ui::TextManager::Instance().Text(QStringLiteral("software_rev_text")) +
                           ui::SoftwareDisplayVersion());
    EXPECT_EQ(main.AboutWindow(), nullptr);
    // The program goes on: the main window is still up and takes messages.
    ProcessUntil([] { return false; }, 100);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.Initialised());
}

TEST(AboutWindow, SysCloseActsLikeTheCloseButton) {
    uitest::UseProgramSkin();
    ui::CAboutWnd about;
    ASSERT_TRUE(about.Create(nullptr, QStringLiteral("  "), ui::kAboutWidth, ui::kAboutHeight));
    int result = -1;
    QTimer::singleShot(20, &about, [&] { about.Send(ui::kWmSysCommand, ui::kScClose, 0); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, &about, [&] { about.Close(9); });
    guard.start(3000);
    result = about.ShowModal();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutWindow, TrayMenuItemOpensItAndTheMenuStaysOnScreen) {
    uitest::WindowWorld world;
    ASSERT_TRUE(world.Start());
    ui::CMainWnd& main = world.Window();
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    // A pointer at the top edge, as with a panel at the top of the screen.
    QCursor::setPos(screen->geometry().topLeft() + QPoint(5, 2));
    main.Send(ui::kTrayNotifyMessage, 0, ui::kWmRButtonUp);
    ui::CTrayMenuWnd* menu = nullptr;
    ASSERT_TRUE(ProcessUntil([&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* m = qobject_cast<ui::CTrayMenuWnd*>(top); m != nullptr && m->isVisible())
                menu = m;
        }
        return menu != nullptr;
    }));
    EXPECT_TRUE(screen->availableGeometry().contains(menu->geometry())) << menu->geometry().y();
    QWidget* item = menu->FindControl(QStringLiteral("about_menu"));
    ASSERT_NE(item, nullptr);
    EXPECT_NE(menu->FindControl(QStringLiteral("setwnd_menu")), nullptr);
    bool opened = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (main.AboutWindow() != nullptr && main.AboutWindow()->isVisible()) {
            opened = true;
            main.AboutWindow()->close();
        }
    });
    timer.start();
    uitest::Click(item);
    timer.stop();
    EXPECT_TRUE(opened);
    EXPECT_FALSE(menu->isVisible());
}
