#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <regex>
#include <set>

#include "platform/file_io.h"
#include "profile/identifiers.h"
#include "profile/json_file_store.h"
#include "profile/profile_data.h"
#include "profile/profile_list.h"
#include "support/temp_dir.h"

using profile::ProfileList;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

Json::Value Parse(const std::string& path) {
    return profile::JsonFileStore().ParseJsonFile(path);
}

struct ListFixture {
    TempDir dir;
    ProfileList list;
    explicit ListFixture(int deviceType = 1) {
        WriteAll(dir.File("template.Json"),
                 R"({"Device":[{"LightInfo":{"SelectItem":1},"CustomEQNameInfo":[]}],
                     "profilename":"","profileUUID":""})");
        list.SetProfilePaths(dir.Path(), dir.File("template.Json"));
        list.SetDeviceType(deviceType);
    }
    std::vector<std::string> ProfileFiles() const {
        std::vector<std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
            const std::string name = e.path().filename().string();
            if (name.size() > 5 && name.substr(name.size() - 5) == ".Json" &&
                name != "template.Json") {
                files.push_back(dir.Path() + name);
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    // The list file and the folder agree: unique names, a file per entry,
    // no other profile file, selection in range, at most 50 entries.
    void ExpectInvariants() const {
        const Json::Value doc = Parse(list.ListPath());
        const Json::Value& entries = doc["profilelist"];
        ASSERT_LE(entries.size(), 50u);
        ASSERT_GE(entries.size(), 1u);
        std::vector<std::string> paths;
        for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
            for (Json::ArrayIndex j = 0; j < i; ++j) {
                EXPECT_FALSE(profile::EqualsNoCase(entries[i]["profilename"].asString(),
                                                   entries[j]["profilename"].asString()));
            }
            const std::string path = dir.Path() + entries[i]["profileUUID"].asString() + ".Json";
            EXPECT_EQ(Parse(path)["profileUUID"].asString(), entries[i]["profileUUID"].asString());
            EXPECT_EQ(Parse(path)["profilename"], entries[i]["profilename"]);
            paths.push_back(path);
        }
        std::sort(paths.begin(), paths.end());
        EXPECT_EQ(paths, ProfileFiles());
        EXPECT_GE(doc["profileselect"].asInt(), 0);
        EXPECT_LT(doc["profileselect"].asInt(), static_cast<int>(entries.size()));
        EXPECT_EQ(list.Names().size(), entries.size());
    }
};

}  // namespace

TEST(ProfileIdentifiers, KeepTheTimeStampFormatAndNeverRepeat) {
    std::set<std::string> seen;
    const std::regex format(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d\d\d)");
    for (int i = 0; i < 2000; ++i) {
        const std::string id = profile::MakeTimestampId();
        EXPECT_TRUE(std::regex_match(id, format)) << id;
        EXPECT_TRUE(seen.insert(id).second) << id;
    }
    EXPECT_TRUE(profile::IsPlainIdentifier("2024_05_01_13_45_09_123"));
    EXPECT_TRUE(profile::IsPlainIdentifier("{8F3A-11}"));
    for (const char* bad : {"", "..", "a/b", "a.b", "..\\x", "a b", "\x01"}) {
        EXPECT_FALSE(profile::IsPlainIdentifier(bad)) << bad;
    }
}

TEST(ProfileList, FirstRunCreatesProfile1WithItsFile) {
    ListFixture f;
    ASSERT_TRUE(f.list.LoadProfileList());
    EXPECT_EQ(f.list.Names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(f.list.GetSelectedIndex(), 0);
    const Json::Value doc = Parse(f.list.GetCurrentProfilePath());
    EXPECT_EQ(doc["profilename"].asString(), "profile1");
    EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
    const Json::Value entry = Parse(f.list.ListPath())["profilelist"][0];
    EXPECT_EQ(entry["profileislink"].asInt(), 0);
    EXPECT_EQ(entry["profilelinkmame"].asString(), "");
    f.ExpectInvariants();
}

TEST(ProfileList, NamingRulesOfAddCopyAndImport) {
    ListFixture f;
    f.list.LoadProfileList();
    EXPECT_EQ(f.list.AddProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.AddProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.Names(), (std::vector<std::string>{"profile1", "profile2", "profile3"}));
    // The new profile is remembered as the selection for the next load only.
    EXPECT_EQ(f.list.GetSelectedIndex(), 0);
    EXPECT_EQ(Parse(f.list.ListPath())["profileselect"].asInt(), 2);
    f.list.SelectProfile(1);
    EXPECT_EQ(f.list.DeleteProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.AddProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.Names().back(), "profile2");

    f.list.SelectProfile(0);
    ASSERT_EQ(f.list.RenameProfile("Game"), ProfileList::kDone);
    EXPECT_EQ(f.list.CopyProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.CopyProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.Names().back(), "Game copy copy");

    WriteAll(f.dir.File("import/Game.json"), "");
    std::filesystem::create_directories(f.dir.File("import"));
    WriteAll(f.dir.File("import/Game.json"),
             R"({"profilename":"x","profileUUID":"y","Device":[{"LightInfo":{"Red":9}}]})");
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("import/Game.json"), "Game"), ProfileList::kDone);
    EXPECT_EQ(f.list.Names().back(), "Game(1)");
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("import/Game.json"), "Game"), ProfileList::kDone);
    EXPECT_EQ(f.list.Names().back(), "Game(1)(2)");
    EXPECT_EQ(f.list.SelectedName(), "Game(1)(2)");
    EXPECT_EQ(Parse(f.list.GetCurrentProfilePath())["Device"][0]["LightInfo"]["Red"].asInt(), 9);
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("import/Game.json"), "ABCDEFGHIJKLMNOPQ"),
              ProfileList::kNameTooLong);
    WriteAll(f.dir.File("import/bad.json"), R"({"profilename":"x"})");
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("import/bad.json"), "bad"),
              ProfileList::kNotAProfile);
    f.ExpectInvariants();
}

TEST(ProfileList, RenameAndDeleteRules) {
    ListFixture f;
    f.list.LoadProfileList();
    f.list.AddProfile();
    f.list.AddProfile();
    f.list.SelectProfile(1);
    EXPECT_EQ(f.list.RenameProfile("profile2"), ProfileList::kDone);  // its own name
    EXPECT_EQ(f.list.RenameProfile("PROFILE1"), ProfileList::kNameTaken);
    EXPECT_EQ(f.list.RenameProfile("\t"), ProfileList::kNameBlank);
    EXPECT_EQ(ProfileList::CheckRenameText("my game"), "message_text_37");
    EXPECT_EQ(ProfileList::CheckRenameText(""), "message_text_5_1");
    EXPECT_EQ(ProfileList::CheckRenameText("中文名字很长很长很长"), "message_text_36");
    EXPECT_EQ(ProfileList::CheckRenameText("中文名字"), "");
    ASSERT_EQ(f.list.RenameProfile("游戏配置"), ProfileList::kDone);
    ProfileList reloaded;
    reloaded.SetProfilePaths(f.dir.Path(), f.dir.File("template.Json"));
    reloaded.LoadProfileList();
    EXPECT_EQ(reloaded.Names()[1], "游戏配置");
    EXPECT_EQ(Parse(reloaded.GetProfileFilePath(1))["profilename"].asString(), "游戏配置");

    // Deleting selects the one above; deleting the first selects the new first.
    f.list.SelectProfile(2);
    EXPECT_EQ(f.list.DeleteProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.GetSelectedIndex(), 1);
    f.list.SelectProfile(0);
    const std::string second = f.list.Names()[1];
    EXPECT_EQ(f.list.DeleteProfile(), ProfileList::kDone);
    EXPECT_EQ(f.list.GetSelectedIndex(), 0);
    EXPECT_EQ(f.list.SelectedName(), second);
    EXPECT_EQ(f.list.DeleteProfile(), 0);  // the last one stays
    f.ExpectInvariants();
}

TEST(ProfileList, FiftyProfilesAtMost) {
    ListFixture f;
    f.list.LoadProfileList();
    for (int i = 1; i < ProfileList::kMaxProfiles; ++i) {
        ASSERT_EQ(f.list.AddProfile(), ProfileList::kDone);
    }
    EXPECT_EQ(f.list.AddProfile(), ProfileList::kListFull);
    EXPECT_EQ(f.list.CopyProfile(), ProfileList::kListFull);
    WriteAll(f.dir.File("x.json"), R"({"profilename":"x","profileUUID":"y"})");
    EXPECT_EQ(f.list.ImportProfile(f.dir.File("x.json"), "x"), ProfileList::kListFull);
    f.ExpectInvariants();
}

TEST(ProfileList, ResetKeepsHeadsetEqualiserCurves) {
    ListFixture f(ProfileList::kHeadsetDeviceType);
    f.list.LoadProfileList();
    profile::CRi6533Profiledata data;
    data.SetProfilePath(f.list.GetCurrentProfilePath());
    data.LoadProfile(f.list.GetCurrentProfilePath());
    data.SetCustomEqNames({"Bass"});
    data.SetCustomEq(0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    data.SetLightInfo({});
    ASSERT_TRUE(data.Save());
    ASSERT_TRUE(f.list.ResetProfile());
    data.LoadProfile(f.list.GetCurrentProfilePath());
    EXPECT_EQ(data.GetCustomEqNames(), std::vector<std::string>{"Bass"});
    EXPECT_EQ(data.GetCustomEq(0)[9], 1);
    EXPECT_EQ(data.GetLightInfo().SelectItem, 1);
    EXPECT_EQ(Parse(f.list.GetCurrentProfilePath())["profilename"].asString(), "profile1");
}

TEST(ProfileList, CorruptListIsBackedUpAndRebuiltFromProfileFiles) {
    ListFixture f;
    f.list.LoadProfileList();
    f.list.AddProfile();
    f.list.SelectProfile(1);
    f.list.RenameProfile("Work");
    WriteAll(f.list.ListPath(), "{\"profilelist\": [ {");
    ProfileList again;
    again.SetProfilePaths(f.dir.Path(), f.dir.File("template.Json"));
    EXPECT_TRUE(again.LoadProfileList());
    EXPECT_EQ(again.Names(), (std::vector<std::string>{"profile1", "Work"}));
    EXPECT_EQ(ReadAll(f.list.ListPath() + ".bak"), "{\"profilelist\": [ {");
    f.ExpectInvariants();
}

TEST(ProfileList, UnreadableListThatCannotBeKeptIsNeverRewritten) {
    ListFixture f;
    f.list.LoadProfileList();
    f.list.AddProfile();
    const std::string before = ReadAll(f.list.ListPath());
    // Unreadable, and its .bak cannot be replaced: nothing may touch it.
    ASSERT_EQ(::mkdir((f.list.ListPath() + ".bak").c_str(), 0700), 0);
    WriteAll(f.list.ListPath() + ".bak/x", "x");
    platform::InjectReadErrorForTests(f.list.ListPath());
    ProfileList again;
    again.SetProfilePaths(f.dir.Path(), f.dir.File("template.Json"));
    EXPECT_FALSE(again.LoadProfileList());
    EXPECT_EQ(again.Names().size(), 2u) << "rebuilt from the profile files for this run";
    EXPECT_NE(again.AddProfile(), ProfileList::kDone);
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(f.list.ListPath()), before);
}

TEST(ProfileList, EntriesWithUnsafeIdentifiersAreNeverUsed) {
    ListFixture f;
    WriteAll(f.dir.File("victim.txt"), "keep");
    WriteAll(f.list.ListPath(), R"({"profilelist":[
        {"profilename":"evil","profileUUID":"../victim"},
        {"profilename":"ok","profileUUID":"2024_01_01_00_00_00_000"}],"profileselect":7})");
    f.list.LoadProfileList();
    EXPECT_EQ(f.list.Names(), std::vector<std::string>{"ok"});
    EXPECT_EQ(f.list.GetSelectedIndex(), 0);
    EXPECT_EQ(f.list.DeleteProfile(), 0);
    EXPECT_EQ(ReadAll(f.dir.File("victim.txt")), "keep");
}

TEST(ProfileList, RandomOperationsKeepInvariants) {
    ListFixture f;
    f.list.LoadProfileList();
    std::mt19937 rng(1234);
    const std::vector<std::string> names = {"a", "A", "b", "Game", "game copy", "x"};
    WriteAll(f.dir.File("in.json"), R"({"profilename":"i","profileUUID":"u"})");
    for (int step = 0; step < 300; ++step) {
        const int count = static_cast<int>(f.list.Names().size());
        switch (rng() % 7) {
            case 0:
                f.list.AddProfile();
                break;
            case 1:
                f.list.CopyProfile();
                break;
            case 2:
                f.list.RenameProfile(names[rng() % names.size()]);
                break;
            case 3:
                f.list.DeleteProfile();
                break;
            case 4:
                f.list.SelectProfile(static_cast<int>(rng() % (count + 2)) - 1);
                break;
            case 5:
                f.list.ImportProfile(f.dir.File("in.json"), names[rng() % names.size()]);
                break;
            case 6:
                f.list.ResetProfile();
                break;
        }
        ASSERT_GE(f.list.GetSelectedIndex(), 0);
        ASSERT_LT(f.list.GetSelectedIndex(), static_cast<int>(f.list.Names().size()));
    }
    f.ExpectInvariants();
}
