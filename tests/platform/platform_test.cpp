#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A .bak that cannot be replaced makes both ways of keeping a file fail.
void BlockBackup(const std::string& path) {
    ASSERT_EQ(::mkdir((path + ".bak").c_str(), 0700), 0);
    WriteAll(path + ".bak/inside", "x");
}

}  // namespace

TEST(FileIo, BackupIsKeptWithoutReadingTheFile) {
    TempDir dir;
    const std::string path = dir.File("list.ini");
    WriteAll(path, "{ broken");
    WriteAll(path + ".bak", "older");
    platform::InjectReadErrorForTests(path);
    std::string out;
    EXPECT_EQ(platform::ReadRegularFile(path, out), platform::ReadResult::Error);
    ASSERT_TRUE(platform::KeepBackup(path, platform::BackupWay::LinkOnly));
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(path + ".bak"), "{ broken") << "the older backup gives way";
    EXPECT_EQ(ReadAll(path), "{ broken") << "a linked backup leaves the file in place";
    EXPECT_EQ(InodeOf(path), InodeOf(path + ".bak"));
    EXPECT_FALSE(platform::KeepBackup(dir.File("missing")));

    const std::string blocked = dir.File("blocked.Json");
    WriteAll(blocked, "data");
    BlockBackup(blocked);
    EXPECT_FALSE(platform::KeepBackup(blocked));
    EXPECT_EQ(ReadAll(blocked), "data");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_FALSE(platform::IsTemporaryFileName(entry.path().filename().string()))
            << entry.path();
    }
}

TEST(FileIo, OversizedFileIsKeptWithoutCopying) {
    TempDir dir;
    const std::string path = dir.File("profile.Json");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const bool sparse = ::ftruncate(fd, off_t{40} << 30) == 0;  // 40 GiB, no blocks
    ::close(fd);
    if (!sparse) {
        GTEST_SKIP() << "no large sparse files here";
    }
    std::string out;
    EXPECT_EQ(platform::ReadRegularFile(path, out), platform::ReadResult::TooLarge);
    ASSERT_TRUE(platform::KeepBackup(path));
    EXPECT_EQ(InodeOf(path + ".bak"), InodeOf(path));
}

TEST(FileIo, WritesGoThroughSymbolicLinksToTheirTarget) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("dotfiles").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.File("data").c_str(), 0700), 0);
    WriteAll(dir.File("dotfiles/profile.Json"), "old");
    // A relative link, resolved against the link's own folder.
    ASSERT_EQ(::symlink("../dotfiles/profile.Json", dir.File("data/profile.Json").c_str()), 0);
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("data/profile.Json"), "new"));
    EXPECT_TRUE(IsLink(dir.File("data/profile.Json")));
    EXPECT_EQ(ReadAll(dir.File("dotfiles/profile.Json")), "new");

    // Kept aside by a move, the target is written again through the link.
    ASSERT_TRUE(platform::KeepBackup(dir.File("data/profile.Json")));
    EXPECT_EQ(ReadAll(dir.File("dotfiles/profile.Json.bak")), "new");
    ASSERT_EQ(::unlink(dir.File("dotfiles/profile.Json").c_str()), 0);
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("data/profile.Json"), "fresh"));
    EXPECT_TRUE(IsLink(dir.File("data/profile.Json")));
    EXPECT_EQ(ReadAll(dir.File("dotfiles/profile.Json")), "fresh");

    ASSERT_EQ(::symlink("loop", dir.File("loop").c_str()), 0);
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("loop"), "x"));
}

TEST(FileIo, LeftoverTemporaryFilesAreSwept) {
    TempDir dir;
    TempDir outside;
    ASSERT_EQ(::mkdir(dir.File("keyboard").c_str(), 0700), 0);
    // What a kill between create and rename leaves.
    const std::string leftover = std::string(".p.Json") + platform::kTempMarker + "Ab12Cd";
    WriteAll(dir.File(leftover), "partial");
    WriteAll(dir.File("keyboard/" + leftover), "partial");
    WriteAll(outside.File(leftover), "partial");
    ASSERT_EQ(::symlink(outside.Path().c_str(), dir.File("linked").c_str()), 0);
    for (const char* keep : {"p.Json", ".hidden", "p.Json.XXXXXX", "keyboard/p.Json.bak"}) {
        WriteAll(dir.File(keep), "keep");
    }
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("keyboard/p.Json"), "done"));

    EXPECT_EQ(platform::SweepTemporaryFiles(dir.File("keyboard")), 1);
    EXPECT_EQ(platform::SweepTemporaryFiles(dir.Path()), 1) << "links to folders are not followed";
    EXPECT_FALSE(platform::FileExists(dir.File(leftover)));
    EXPECT_TRUE(platform::FileExists(outside.File(leftover)));
    for (const char* keep :
         {"p.Json", ".hidden", "p.Json.XXXXXX", "keyboard/p.Json.bak", "keyboard/p.Json"}) {
        EXPECT_TRUE(platform::FileExists(dir.File(keep))) << keep;
    }
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

    // A file that can be neither read nor kept is left alone.
    WriteAll(dir.File("settings.json"), R"({"LANGUAGE":3,"other":"x"})");
    ASSERT_EQ(::unlink(dir.File("settings.json.bak").c_str()), 0);
    BlockBackup(dir.File("settings.json"));
    platform::InjectReadErrorForTests(dir.File("settings.json"));
    EXPECT_FALSE(store.SetInt("LANGUAGE", 0));
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(dir.File("settings.json")), R"({"LANGUAGE":3,"other":"x"})");
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
