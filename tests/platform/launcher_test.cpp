// The launcher's working folder, the PATH lookup and the desktop's device
// settings programs.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/file_io.h"
#include "platform/launcher.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 300 && !platform::FileExists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return platform::FileExists(path);
}

TEST(LauncherFolder, ChildStartsInTheGivenFolder) {
    TempDir dir;
    fs::create_directories(dir.File("work"));
    // A relative name lands in the working folder.
    ASSERT_TRUE(platform::Launch("touch", {"made-here"}, dir.File("work")));
    EXPECT_TRUE(WaitForFile(dir.File("work/made-here")));
    // A folder that cannot be entered starts nothing.
    EXPECT_FALSE(platform::Launch("touch", {dir.File("never")}, dir.File("missing")));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(platform::FileExists(dir.File("never")));
}

TEST(LauncherPath, FindsTheFirstInstalledExecutable) {
    TempDir a, b;
    const auto make = [](const std::string& path, fs::perms perms) {
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, perms);
    };
    make(a.File("plain-file"), fs::perms::owner_read);
    make(b.File("tool-two"), fs::perms::owner_all);
    make(a.File("tool-one"), fs::perms::owner_all);
    fs::create_directories(b.File("a-folder"));
    const std::string path = a.Path() + ":" + b.Path() + "::";
    EXPECT_EQ(platform::FindOnPath({"missing", "tool-two", "tool-one"}, path), "tool-two");
    EXPECT_EQ(platform::FindOnPath({"plain-file", "a-folder"}, path), "");
    EXPECT_EQ(platform::FindOnPath({"tool-one"}, ""), "");
    // A name with a folder in it is not looked up.
    EXPECT_EQ(platform::FindOnPath({"../tool-one"}, path), "");
}

TEST(LauncherDeviceSettings, CurrentDesktopFirst) {
    const auto first = [](int which, const std::string& desktop) {
        const std::vector<platform::LaunchCommand> c =
            platform::DeviceSettingsCommands(which, desktop);
        return c.empty() ? std::string()
                         : c.front().program +
                               (c.front().args.empty() ? "" : " " + c.front().args.front());
    };
    EXPECT_EQ(first(0, "GNOME"), "gnome-control-center keyboard");
    EXPECT_EQ(first(1, "ubuntu:GNOME"), "gnome-control-center mouse");
    EXPECT_EQ(first(0, "KDE"), "systemsettings kcm_keyboard");
    EXPECT_EQ(first(1, "XFCE"), "xfce4-mouse-settings");
    EXPECT_EQ(first(0, "MATE"), "mate-keyboard-properties");
    EXPECT_EQ(first(1, "X-Cinnamon"), "cinnamon-settings mouse");
    // An unknown desktop still tries every known program.
    EXPECT_EQ(platform::DeviceSettingsCommands(0, "").size(), 5u);
    EXPECT_EQ(platform::DeviceSettingsCommands(1, "sway").size(), 5u);
    EXPECT_TRUE(platform::DeviceSettingsCommands(2, "GNOME").empty());
    EXPECT_TRUE(platform::DeviceSettingsCommands(-1, "GNOME").empty());
}

}  // namespace
