// The start-at-login entry: where it goes, what turns it on or off, and that
// a failed write is reported.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/autostart.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ScopedUserFolders;

std::string Entry(const ScopedUserFolders& f) {
    return f.Root() + "config/autostart/io.qx70.Qx70Config.desktop";
}

TEST(Autostart, WritesTheEntryIntoTheUsersConfigFolderAndRemovesIt) {
    ScopedUserFolders folders;
    EXPECT_EQ(platform::AutostartFile(), Entry(folders));
    EXPECT_FALSE(platform::AutostartEnabled());
    // Removing what is not there is no failure.
    EXPECT_TRUE(platform::SetAutostart(false));

    ASSERT_TRUE(platform::SetAutostart(true));
    EXPECT_TRUE(platform::AutostartEnabled());
    const std::string text = testing_support::ReadAll(Entry(folders));
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=qx70-config --minimized\n"), std::string::npos);
    EXPECT_NE(text.find("\nIcon=io.qx70.Qx70Config\n"), std::string::npos);
    // Twice on is still one entry.
    ASSERT_TRUE(platform::SetAutostart(true));
    EXPECT_EQ(testing_support::ReadAll(Entry(folders)), text);

    ASSERT_TRUE(platform::SetAutostart(false));
    EXPECT_FALSE(platform::FileExists(Entry(folders)));
    EXPECT_FALSE(platform::AutostartEnabled());
}

TEST(Autostart, FollowsTheXdgRulesForTheConfigFolder) {
    ScopedUserFolders folders;
    const char* oldHome = std::getenv("HOME");
    const std::string home = oldHome != nullptr ? oldHome : "";
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::AutostartFile(),
              "/home/someone/.config/autostart/io.qx70.Qx70Config.desktop");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    EXPECT_EQ(platform::AutostartFile(), "");
    EXPECT_FALSE(platform::SetAutostart(true));
    EXPECT_FALSE(platform::AutostartEnabled());
    if (oldHome != nullptr)
        ::setenv("HOME", home.c_str(), 1);
}

TEST(Autostart, EntriesTheDesktopSwitchedOffOrThatAreNoEntryCountAsOff) {
    ScopedUserFolders folders;
    ASSERT_TRUE(platform::SetAutostart(true));
    const std::string path = Entry(folders);
    const std::string base = platform::AutostartEntry();
    struct Case {
        std::string text;
        bool on;
    };
    const Case cases[] = {
        {base + "Hidden=true\n", false},
        {base + "Hidden = true\r\n", false},
        {base + "Hidden=false\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\nExec=qx70-config\n", false},
        // Keys of another group do not switch the main one off.
        {base + "[Desktop Action x]\nHidden=true\n", true},
        {"", false},
        {"not a desktop entry\n", false},
        {std::string("\0\xff\xfe", 3), false},
    };
    for (const Case& c : cases) {
        testing_support::WriteAll(path, c.text);
        EXPECT_EQ(platform::AutostartEnabled(), c.on) << c.text;
    }
    // A folder in its place is not an entry, and is not removed as one.
    ASSERT_TRUE(platform::RemoveFile(path));
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(platform::AutostartEnabled());
    EXPECT_FALSE(platform::SetAutostart(true));
    ::rmdir(path.c_str());
}

TEST(Autostart, AWriteThatFailsIsReportedAndLeavesNoFile) {
    ScopedUserFolders folders;
    const std::string dir = folders.Root() + "config/autostart";
    ASSERT_TRUE(platform::MakeFolders(folders.Root() + "config"));
    // A file where the folder belongs.
    testing_support::WriteAll(dir, "not a folder");
    EXPECT_FALSE(platform::SetAutostart(true));
    EXPECT_FALSE(platform::AutostartEnabled());
    ASSERT_TRUE(platform::RemoveFile(dir));
    if (::geteuid() == 0)
        return;  // root writes into read-only folders
    ASSERT_EQ(::mkdir(dir.c_str(), 0500), 0);
    EXPECT_FALSE(platform::SetAutostart(true));
    EXPECT_FALSE(platform::AutostartEnabled());
    ::chmod(dir.c_str(), 0700);
}

}  // namespace
