#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "macro/macro_files.h"
#include "platform/file_io.h"
#include "profile/identifiers.h"
#include "profile/json_file_store.h"
#include "support/temp_dir.h"

using macro::MacroEvent;
using macro::MacroFiles;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

std::string EventsJson(int count, const std::string& delay = "\"120\"") {
    std::string text = R"({"Guid":"other","MacroName":"other","Version":64,"Events":[)";
    for (int i = 0; i < count; ++i) {
        text += std::string(i ? "," : "") + R"({"Action":"down","Type":10,"Button":4,"Delay":)" +
                delay + "}";
    }
    return text + "]}";
}

}  // namespace

TEST(MacroFiles, CreateUsesDefaultNamesAndStopsAtFifty) {
    TempDir dir;
    MacroFiles files(dir.Path());
    int index = -1;
    ASSERT_EQ(files.Create({}, &index), MacroFiles::kDone);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(files.Rename(0, "MACRO_2"), MacroFiles::kDone);
    files.Create();
    files.Create();
    EXPECT_EQ(files.Names(), (std::vector<std::string>{"MACRO_2", "macro_1", "macro_3"}));
    EXPECT_FALSE(platform::FileExists(files.MacroPath(0)));  // no events yet
    for (int i = 3; i < macro::kMaxMacros; ++i) {
        ASSERT_EQ(files.Create(), MacroFiles::kDone);
    }
    EXPECT_EQ(files.Create(), MacroFiles::kListFull);
    EXPECT_EQ(files.Count(), 50);
    std::set<std::string> guids;
    for (int i = 0; i < 50; ++i) {
        guids.insert(files.Guid(i));
    }
    EXPECT_EQ(guids.size(), 50u);  // created within milliseconds, still unique
}

TEST(MacroFiles, RenameValidationOrder) {
    const std::vector<std::string> names = {"Fire", "macro_1"};
    EXPECT_EQ(macro::CheckMacroName(" x", names), "message_text_5_2");
    EXPECT_EQ(macro::CheckMacroName(" ", names), "message_text_5_2");
    EXPECT_EQ(macro::CheckMacroName("", names), "message_text_5_1");
    EXPECT_EQ(macro::CheckMacroName("\t", names), "message_text_5_1");
    EXPECT_EQ(macro::CheckMacroName("a#b", names), "message_text_37");
    EXPECT_EQ(macro::CheckMacroName("FIRE", names), "message_text_5");
    EXPECT_EQ(macro::CheckMacroName("连招", names), "");
    TempDir dir;
    MacroFiles files(dir.Path());
    files.Create("Fire");
    std::string message;
    EXPECT_EQ(files.Rename(0, "fire", &message), MacroFiles::kBadName);
    EXPECT_EQ(message, "message_text_5");
    EXPECT_EQ(files.Rename(3, "x"), MacroFiles::kBadIndex);
}

TEST(MacroFiles, SaveLoadRoundTripWithStringDelays) {
    TempDir dir;
    MacroFiles files(dir.Path());
    files.Create("连招");
    const std::vector<MacroEvent> events = {
        {true, 9, 0x02, 50}, {true, 10, 0x04, 65535}, {false, 10, 0x04, 3}, {false, 1, 0x01, 10}};
    ASSERT_EQ(files.Save(0, events), MacroFiles::kDone);
    const Json::Value doc = profile::JsonFileStore().ParseJsonFile(files.MacroPath(0));
    EXPECT_EQ(doc["Version"].asInt(), 64);
    EXPECT_EQ(doc["MacroName"].asString(), "连招");
    EXPECT_EQ(doc["Guid"].asString(), files.Guid(0));
    EXPECT_EQ(doc["Events"][0]["Delay"], Json::Value("50"));
    std::vector<MacroEvent> expected = events;
    expected[2].delay = 10;  // a saved delay is at least 10
    EXPECT_EQ(files.Load(0), expected);
}

TEST(MacroFiles, LoaderClampsDelaysAndDropsOutOfRangeEvents) {
    Json::Value doc;
    ASSERT_TRUE(profile::ParseJsonText(R"({"Events":[
        {"Action":"down","Type":10,"Button":4,"Delay":120},
        {"Action":"up","Type":10,"Button":4,"Delay":"120"},
        {"Action":"down","Type":10,"Button":5,"Delay":"70000"},
        {"Action":"down","Type":10,"Button":5,"Delay":"99999999999999999999999"},
        {"Action":"down","Type":10,"Button":5,"Delay":"-5"},
        {"Action":"down","Type":10,"Button":5,"Delay":" 42ms"},
        {"Action":"DOWN","Type":10,"Button":5,"Delay":1e300},
        {"Action":"down","Type":200,"Button":5,"Delay":"1"},
        {"Action":"down","Type":10,"Button":256,"Delay":"1"},
        {"Action":"down","Type":-1,"Button":1,"Delay":"1"},
        "junk", 5]})",
                                       doc));
    const std::vector<MacroEvent> events = macro::ParseMacroEvents(doc);
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0], (MacroEvent{true, 10, 4, 120}));
    EXPECT_EQ(events[1], (MacroEvent{false, 10, 4, 120}));
    EXPECT_EQ(events[2].delay, 65535);
    EXPECT_EQ(events[3].delay, 65535);
    EXPECT_EQ(events[4].delay, 0);
    EXPECT_EQ(events[5].delay, 42);
    EXPECT_FALSE(events[6].down);
    EXPECT_EQ(events[6].delay, 65535);
}

TEST(MacroFiles, BrokenListRefusesChangesAndIsLeftAlone) {
    TempDir dir;
    MacroFiles files(dir.Path());
    WriteAll(files.ListPath(), "{\"MacroInfo\": [");
    EXPECT_EQ(files.Create(), MacroFiles::kListBroken);
    WriteAll(dir.File("a.mac"), EventsJson(1));
    EXPECT_EQ(files.Import(dir.File("a.mac")), MacroFiles::kListBroken);
    EXPECT_EQ(ReadAll(files.ListPath()), "{\"MacroInfo\": [");
    EXPECT_TRUE(files.Names().empty());
    // A list whose MacroInfo is not an array has no macros.
    WriteAll(files.ListPath(), R"({"MacroInfo":{"MacroName":"x"}})");
    EXPECT_EQ(files.Count(), 0);
    EXPECT_EQ(files.Create(), MacroFiles::kDone);
    EXPECT_EQ(files.Names(), std::vector<std::string>{"macro_1"});
}

TEST(MacroFiles, DeleteUpdatesListThenRenumbersThenRemovesFile) {
    TempDir dir;
    MacroFiles files(dir.Path());
    files.Create("a");
    files.Create("b");
    files.Save(0, {{true, 10, 4, 10}});
    const std::string path = files.MacroPath(0);
    bool called = false;
    ASSERT_EQ(files.Delete(0,
                           [&](int index) {
                               called = true;
                               EXPECT_EQ(index, 0);
                               EXPECT_EQ(files.Names(), std::vector<std::string>{"b"});
                               EXPECT_TRUE(platform::FileExists(path));
                           }),
              MacroFiles::kDone);
    EXPECT_TRUE(called);
    EXPECT_FALSE(platform::FileExists(path));
    EXPECT_EQ(files.Delete(0), MacroFiles::kDone);  // no .mac file: not an error
    EXPECT_EQ(files.Delete(0), MacroFiles::kBadIndex);
}

TEST(MacroFiles, UnsafeIdentifiersNeverReachTheFileSystem) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("dev"));
    WriteAll(dir.File("victim.mac"), "keep");
    MacroFiles files(dir.File("dev"));
    WriteAll(files.ListPath(), R"({"MacroInfo":[{"MacroName":"x","Guid":"../victim"}]})");
    EXPECT_EQ(files.MacroPath(0), "");
    EXPECT_EQ(files.Save(0, {}), MacroFiles::kBadIndex);
    EXPECT_EQ(files.Delete(0), MacroFiles::kDone);
    EXPECT_EQ(ReadAll(dir.File("victim.mac")), "keep");
}

TEST(MacroFiles, ImportNamesLimitsAndCut) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("dev"));
    MacroFiles files(dir.File("dev"));
    WriteAll(dir.File("abc.mac"), EventsJson(120));
    WriteAll(dir.File("ninety.mac"), EventsJson(90));
    WriteAll(dir.File("abcdefghijk.mac"), EventsJson(1));
    EXPECT_EQ(files.Import(dir.File("abcdefghijk.mac")), MacroFiles::kNameTooLong);
    bool cut = false;
    int index = -1;
    ASSERT_EQ(files.Import(dir.File("abc.mac"), &index, &cut), MacroFiles::kDone);
    EXPECT_TRUE(cut);
    EXPECT_EQ(files.Load(index).size(), 90u);
    // The file's own identifier and name stay inside; the list governs.
    EXPECT_EQ(profile::JsonFileStore().ParseJsonFile(files.MacroPath(index))["Guid"].asString(),
              "other");
    ASSERT_EQ(files.Import(dir.File("abc.mac"), &index, &cut), MacroFiles::kDone);
    ASSERT_EQ(files.Import(dir.File("ninety.mac"), &index, &cut), MacroFiles::kDone);
    EXPECT_FALSE(cut);
    EXPECT_EQ(ReadAll(files.MacroPath(index)), ReadAll(dir.File("ninety.mac")));
    EXPECT_EQ(files.Names(), (std::vector<std::string>{"abc", "2", "ninety"}));
    EXPECT_EQ(files.Export(0, dir.File("out.mac")), MacroFiles::kDone);
    EXPECT_EQ(ReadAll(dir.File("out.mac")), ReadAll(files.MacroPath(0)));
}

TEST(MacroFiles, RandomOperationsKeepInvariants) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("dev"));
    MacroFiles files(dir.File("dev"));
    WriteAll(dir.File("imp.mac"), EventsJson(3));
    std::mt19937 rng(99);
    const std::vector<std::string> names = {"a", "A", "b", "macro_1", "Fire"};
    for (int step = 0; step < 400; ++step) {
        const int count = files.Count();
        const int index = count > 0 ? static_cast<int>(rng() % count) : 0;
        switch (rng() % 5) {
            case 0:
                files.Create();
                break;
            case 1:
                files.Rename(index, names[rng() % names.size()]);
                break;
            case 2:
                files.Delete(index);
                break;
            case 3:
                files.Save(index, {{true, 10, 4, 20}});
                break;
            case 4:
                files.Import(dir.File("imp.mac"));
                break;
        }
    }
    const std::vector<std::string> list = files.Names();
    ASSERT_LE(list.size(), 50u);
    std::set<std::string> macFiles;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("dev"))) {
        if (e.path().extension() == ".mac") {
            macFiles.insert(e.path().string());
        }
    }
    for (size_t i = 0; i < list.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(profile::EqualsNoCase(list[i], list[j]));
        }
        macFiles.erase(files.MacroPath(static_cast<int>(i)));
    }
    EXPECT_TRUE(macFiles.empty());  // no orphaned macro files
}
