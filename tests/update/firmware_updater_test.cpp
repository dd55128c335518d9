// Where the firmware updater is looked for, and which files are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "update/firmware_updater.h"

namespace {

namespace fs = std::filesystem;

std::string Install(const testing_support::TempDir& dir, fs::perms perms) {
    fs::create_directories(dir.Path() + "Update");
    const std::string path = dir.Path() + "Update/qx70-firmware-updater";
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, perms);
    return path;
}

TEST(FirmwareUpdater, FoundWithItsFolderAndArguments) {
    testing_support::TempDir dir;
    const std::string path = Install(dir, fs::perms::owner_all | fs::perms::group_read);
    const std::optional<update::UpdaterLaunch> launch = update::FindFirmwareUpdater(dir.Path());
    ASSERT_TRUE(launch);
    EXPECT_EQ(launch->program, path);
    EXPECT_EQ(launch->workingFolder, dir.Path() + "Update");
    EXPECT_EQ(launch->args, (std::vector<std::string>{"On", "the", "upgrade"}));
    // Without the trailing slash too.
    std::string bare = dir.Path();
    bare.pop_back();
    EXPECT_TRUE(update::FindFirmwareUpdater(bare));
}

TEST(FirmwareUpdater, RefusesWhatIsNotASafeExecutable) {
    EXPECT_FALSE(update::FindFirmwareUpdater(""));
    testing_support::TempDir missing;
    EXPECT_FALSE(update::FindFirmwareUpdater(missing.Path()));

    testing_support::TempDir plain;
    Install(plain, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(update::FindFirmwareUpdater(plain.Path()));

    testing_support::TempDir open;
    Install(open, fs::perms::owner_all | fs::perms::others_write);
    EXPECT_FALSE(update::FindFirmwareUpdater(open.Path()));

    testing_support::TempDir folder;
    fs::create_directories(folder.Path() + "Update/qx70-firmware-updater");
    EXPECT_FALSE(update::FindFirmwareUpdater(folder.Path()));

    testing_support::TempDir openFolder;
    Install(openFolder, fs::perms::owner_all);
    fs::permissions(openFolder.Path() + "Update", fs::perms::others_write, fs::perm_options::add);
    EXPECT_FALSE(update::FindFirmwareUpdater(openFolder.Path()));
}

}  // namespace
