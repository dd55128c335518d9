#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/tick_count.h"
#include "support/temp_dir.h"

using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

TEST(DebugOutput, CapturesFromEveryThreadAndFormats) {
    platform::DebugCapture capture;
    std::thread([] { platform::DebugOutput("from a worker"); }).join();
    platform::DebugOutputF("软件标示：%d", 49152);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"from a worker", "软件标示：49152"}));
}

TEST(TickCount, MovesInSixteenMillisecondSteps) {
    platform::ManualTickClock clock;
    clock.Set(1000);
    EXPECT_EQ(platform::TickCount(), 992u);
    clock.Advance(7);  // 1007: same step
    EXPECT_EQ(platform::TickCount(), 992u);
    clock.Advance(1);  // 1008
    EXPECT_EQ(platform::TickCount(), 1008u);
    clock.Set((uint64_t{1} << 32) + 40);
    EXPECT_EQ(platform::TickCount(), 32u) << "wraps at 2^32";
}

TEST(TickCount, RealClockIsMonotonicAndStepped) {
    const uint32_t a = platform::TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    const uint32_t b = platform::TickCount();
    EXPECT_EQ(a % 16, 0u);
    EXPECT_GE(b - a, 16u);
}

TEST(FileIo, AtomicWriteReplacesAndKeepsOldFileOnFailure) {
    TempDir dir;
    const std::string path = dir.File("profile.Json");
    ASSERT_TRUE(platform::WriteFileAtomically(path, "first"));
    ASSERT_TRUE(platform::WriteFileAtomically(path, "second"));
    EXPECT_EQ(ReadAll(path), "second");

    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        ::chmod(dir.Path().c_str(), 0500);
        EXPECT_FALSE(platform::WriteFileAtomically(path, "third"));
        ::chmod(dir.Path().c_str(), 0700);
        EXPECT_EQ(ReadAll(path), "second");
    }
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("no/such/folder/x"), "x"));
    EXPECT_FALSE(platform::WriteFileAtomically(dir.Path(), "x")) << "a folder is not a file";
}

TEST(FileIo, ReaderRefusesWhatIsNotARegularFile) {
    TempDir dir;
    std::string out;
    EXPECT_EQ(platform::ReadRegularFile(dir.File("missing"), out), platform::ReadResult::Missing);
    EXPECT_EQ(platform::ReadRegularFile(dir.Path(), out), platform::ReadResult::NotRegular);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(platform::ReadRegularFile(dir.File("fifo"), out), platform::ReadResult::NotRegular)
        << "a FIFO without a writer must not block";
    WriteAll(dir.File("big"), std::string(2000, 'x'));
    EXPECT_EQ(platform::ReadRegularFile(dir.File("big"), out, 1000),
              platform::ReadResult::TooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(platform::ReadRegularFile(dir.File("big"), out), platform::ReadResult::Ok);
    EXPECT_EQ(out.size(), 2000u);
}

TEST(FileIo, BackupKeepsTheDamagedFile) {
    TempDir dir;
    WriteAll(dir.File("list.ini"), "{ broken");
    ASSERT_TRUE(platform::KeepBackup(dir.File("list.ini")));
    EXPECT_EQ(ReadAll(dir.File("list.ini.bak")), "{ broken");
    EXPECT_FALSE(platform::KeepBackup(dir.File("missing")));
}

TEST(Paths, UserFoldersFollowXdgAndAreCreated) {
    testing_support::ScopedUserFolders folders;
    const std::string data = platform::UserDataFolder();
    EXPECT_EQ(data, folders.Root() + "data/Morvath QX70 MECHANICAL GAMING KEYBOARD/");
    struct stat st {};
    EXPECT_EQ(::stat(data.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(platform::UserConfigFolder(),
              folders.Root() + "config/Morvath QX70 MECHANICAL GAMING KEYBOARD/");
}

TEST(Paths, PlainFileNames) {
    EXPECT_TRUE(platform::IsPlainFileName("2026_12_09_05_01_28_123"));
    EXPECT_TRUE(platform::IsPlainFileName("中文名称"));
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "x\ny"}) {
        EXPECT_FALSE(platform::IsPlainFileName(bad)) << bad;
    }
    EXPECT_FALSE(platform::IsPlainFileName(std::string(256, 'a')));
}

TEST(SettingsStore, RoundTripAndDamagedFileKept) {
    TempDir dir;
    platform::SettingsStore store(dir.File("settings.json"));
    EXPECT_FALSE(store.GetInt("LANGUAGE").has_value());
    ASSERT_TRUE(store.SetInt("LANGUAGE", 2));
    ASSERT_TRUE(store.SetString("skin", "dark"));
    EXPECT_EQ(store.GetInt("LANGUAGE"), 2);
    EXPECT_EQ(store.GetString("skin"), "dark");
    EXPECT_FALSE(store.GetString("LANGUAGE").has_value()) << "wrong type reads as missing";

    WriteAll(dir.File("settings.json"), "[not an object]");
    EXPECT_FALSE(store.GetInt("LANGUAGE").has_value());
    ASSERT_TRUE(store.SetInt("LANGUAGE", 1));
    EXPECT_EQ(ReadAll(dir.File("settings.json.bak")), "[not an object]");
    EXPECT_EQ(store.GetInt("LANGUAGE"), 1);
}

TEST(Launcher, StartsWithoutShellAndRefusesOddTargets) {
    TempDir dir;
    const std::string marker = dir.File("a b;touch x");
    ASSERT_TRUE(platform::Launch("touch", {marker}));
    for (int i = 0; i < 200 && !platform::FileExists(marker); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(platform::FileExists(marker)) << "the argument reaches the program verbatim";
    EXPECT_FALSE(platform::FileExists(dir.File("x")));
    EXPECT_FALSE(platform::Launch("/no/such/program", {}));
    EXPECT_FALSE(platform::OpenWithDesktop("javascript:alert(1)"));
    EXPECT_FALSE(platform::OpenWithDesktop("relative/path"));
}
