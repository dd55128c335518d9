// What the list takes from files it did not write: a copy whose source
// cannot be read, and import files that are no profile or no regular file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "profile/json_file_store.h"
#include "profile/profile_list.h"
#include "support/temp_dir.h"

using profile::ProfileList;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

struct Folder {
    TempDir dir;
    ProfileList list;
    Folder() {
        WriteAll(
            dir.File("template.Json"),
            R"({"Device":[{"LightInfo":{"SelectItem":7}}],"profilename":"","profileUUID":""})");
        list.SetProfilePaths(dir.Path(), dir.File("template.Json"));
        list.SetDeviceType(1);
        list.LoadProfileList();
    }
};

}  // namespace

TEST(ProfileListSources, ACopyOfAnUnreadableProfileStartsFromTheDefaults) {
    Folder f;
    WriteAll(f.list.GetProfileFilePath(0), "{ broken");
    ASSERT_EQ(f.list.CopyProfile(), ProfileList::kDone);
    const Json::Value copy = profile::JsonFileStore().ParseJsonFile(f.list.GetProfileFilePath(1));
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
    EXPECT_EQ(copy["profilename"].asString(), "profile1 copy");
}

TEST(ProfileListSources, OnlyAPlainProfileFileOfSensibleSizeIsImported) {
    Folder f;
    const std::string big = f.dir.File("big.json");
    {
        std::ofstream out(big);
        out << R"({"profilename":"a","profileUUID":"b","pad":")";
        out << std::string(ProfileList::kMaxImportBytes, 'x') << "\"}";
    }
    EXPECT_EQ(f.list.ImportProfile(big, "big"), ProfileList::kNotAProfile);
    const std::string fifo = f.dir.File("fifo.json");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(f.list.ImportProfile(fifo, "fifo"), ProfileList::kNotAProfile) << "never blocks";
    EXPECT_EQ(f.list.ImportProfile(f.dir.Path(), "folder"), ProfileList::kNotAProfile);
    WriteAll(f.dir.File("array.json"), R"([{"profilename":"a","profileUUID":"b"}])");
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("array.json"), "array"), ProfileList::kNotAProfile);
    // An identifier that is a path is never used: the import gets its own.
    WriteAll(f.dir.File("evil.json"), R"({"profilename":"x","profileUUID":"../../escape"})");
    ASSERT_EQ(f.list.ImportProfile(f.dir.File("evil.json"), "evil"), ProfileList::kDone);
    EXPECT_NE(f.list.GetCurrentProfileUUID(), "../../escape");
    EXPECT_EQ(f.list.GetProfileFilePath(1).rfind(f.dir.Path(), 0), 0u);
    EXPECT_EQ(f.list.Names(), (std::vector<std::string>{"profile1", "evil"}));
}
