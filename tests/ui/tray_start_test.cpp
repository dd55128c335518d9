// Starting in the tray (--minimized) and the tray menu's start-at-login item,
// whose state is the autostart entry in the user's config folder.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "platform/autostart.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "ui/main_window/app_messages.h"
#include "ui/main_window/tray_menu.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

constexpr int kKeyboard = 0;

std::string EntryPath(const WindowWorld& w) {
    return w.UserFolders() + "config/autostart/io.qx70.Qx70Config.desktop";
}

}  // namespace

TEST(TrayStart, StaysHiddenWithTheTrayIconWhileDevicesArriveUntilOpened) {
    WindowWorld w;
    ASSERT_TRUE(w.StartInTray());
    ui::CMainWnd& wnd = w.Window();
    EXPECT_TRUE(wnd.Tray().Exists());
    uitest::ProcessPending();
    EXPECT_FALSE(wnd.isVisible());
    ASSERT_TRUE(w.Devices().Plug(sim::SimUnit::Keyboard));
    ASSERT_TRUE(ProcessUntil([&] { return w.Selected(kKeyboard); }, 3000));
    uitest::ProcessPending();
    EXPECT_FALSE(wnd.isVisible()) << "a device arrival opened a window started in the tray";
    EXPECT_TRUE(wnd.Tray().Exists());

    // The menu's "Open" brings it up; from then on it behaves as usual.
    wnd.MenuCommand(QStringLiteral("show"));
    uitest::ProcessPending();
    EXPECT_TRUE(wnd.isVisible());
    EXPECT_FALSE(wnd.StartingInTray());
}

TEST(TrayStart, SecondStartOpensAWindowStartedInTheTray) {
    WindowWorld w;
    ASSERT_TRUE(w.StartInTray());
    w.Window().Post(ui::RegisteredAppMessages().instance, 0, 1);
    EXPECT_TRUE(ProcessUntil([&] { return w.Window().isVisible(); }, 3000));
}

TEST(TrayStart, StartAtLoginItemWritesAndRemovesTheEntry) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    const std::string entry = EntryPath(w);
    ASSERT_EQ(platform::AutostartFile(), entry);
    ui::CTrayMenuWnd menu(&wnd);
    ASSERT_TRUE(menu.Create(nullptr, QString(), 160, 120));
    auto* item = qobject_cast<QCheckBox*>(menu.FindControl(QStringLiteral("autostart")));
    ASSERT_NE(item, nullptr);
    menu.Popup();
    EXPECT_FALSE(item->isChecked());

    // A click on the item, as the user makes it.
    uitest::Click(item);
    uitest::ProcessPending();
    ASSERT_TRUE(platform::FileExists(entry));
    const std::string text = testing_support::ReadAll(entry);
    EXPECT_NE(text.find("Exec=qx70-config --minimized\n"), std::string::npos) << text;
    EXPECT_TRUE(item->isChecked());

    menu.Popup();
    uitest::Click(item);
    uitest::ProcessPending();
    EXPECT_FALSE(platform::FileExists(entry));
    EXPECT_FALSE(item->isChecked());

    // The check shows the file, however it came or went.
    testing_support::WriteAll(entry, platform::AutostartEntry());
    menu.Popup();
    EXPECT_TRUE(item->isChecked());
    menu.hide();
}
