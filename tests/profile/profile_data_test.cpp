#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_io.h"
#include "profile/json_file_store.h"
#include "profile/profile_data.h"
#include "support/temp_dir.h"

using namespace profile;
using testing_support::ReadAll;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

Json::Value Parse(const std::string& path) {
    return JsonFileStore().ParseJsonFile(path);
}

// A default data file with one record at slot 0.
void WriteDefaults(const std::string& path) {
    WriteAll(path, R"({"Device":[{"LightInfo":{"SelectItem":5,"Light":4,"Red":255},
        "KeyList":[{"Assignment":2097193,"DefaultAssignment":2097193},
                   {"Assignment":2097210,"DefaultAssignment":2097210}]}],
        "profilename":"","profileUUID":""})");
}

template <typename P>
struct Fixture {
    TempDir dir;
    P data;
    std::string path = dir.File("2024_01_01_00_00_00_000.Json");
    Fixture() {
        WriteDefaults(dir.File("defaults.Json"));
        data.SetDefaultDataPath(dir.File("defaults.Json"));
        data.SetProfilePath(path);
    }
    // Save, then read everything back through a fresh object.
    P Reloaded() {
        EXPECT_TRUE(data.Save());
        P other;
        other.SetDeviceIndex(data.GetDeviceIndex());
        other.LoadProfile(path);
        return other;
    }
};

}  // namespace

TEST(ProfileData, LoadSeedsMissingRecordFromDefaultsAndKeepsOtherSlots) {
    Fixture<CKeyboardProfiledata> f;
    // Slot 0 empty, slot 1 present: the device at slot 1 reads its own record.
    WriteAll(f.path, R"({"Device":[null,{"LightInfo":{"SelectItem":9}}],"profilename":"p"})");
    CBasicProfiledata second;
    second.SetDeviceIndex(1);
    second.SetDefaultDataPath(f.dir.File("defaults.Json"));
    second.LoadProfile(f.path);
    EXPECT_EQ(second.GetLightInfo().SelectItem, 9);

    f.data.LoadProfile(f.path);
    EXPECT_EQ(f.data.GetLightInfo().SelectItem, 5);
    const Json::Value written = Parse(f.path);
    EXPECT_EQ(written["Device"][0]["LightInfo"]["SelectItem"].asInt(), 5);
    EXPECT_EQ(written["Device"][1]["LightInfo"]["SelectItem"].asInt(), 9);
    EXPECT_EQ(written["profilename"].asString(), "p");
}

TEST(ProfileData, BrokenProfileIsKeptAsBackupThenSeeded) {
    Fixture<CKeyboardProfiledata> f;
    WriteAll(f.path, "{ not json");
    f.data.LoadProfile(f.path);
    EXPECT_EQ(ReadAll(f.path + ".bak"), "{ not json");
    EXPECT_EQ(Parse(f.path)["Device"][0]["LightInfo"]["Light"].asInt(), 4);
}

TEST(ProfileData, UnreadableProfileIsNeverReplacedUnlessKept) {
    Fixture<CKeyboardProfiledata> f;
    const std::string tuned =
        R"({"Device":[null,{"LightInfo":{"SelectItem":9}}],"profilename":"tuned"})";
    WriteAll(f.path, tuned);
    // As for a root-owned 0600 file read by the user, or an I/O error.
    platform::InjectReadErrorForTests(f.path);
    f.data.LoadProfile(f.path);
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(f.path + ".bak"), tuned);
    EXPECT_EQ(f.data.GetLightInfo().SelectItem, 5) << "this run goes on with the defaults";

    // When it cannot be kept either, neither loading nor saving touches it.
    WriteAll(f.path, tuned);
    ASSERT_TRUE(platform::RemoveFile(f.path + ".bak"));
    ASSERT_EQ(::mkdir((f.path + ".bak").c_str(), 0700), 0);
    WriteAll(f.path + ".bak/x", "x");
    platform::InjectReadErrorForTests(f.path);
    f.data.LoadProfile(f.path);
    EXPECT_FALSE(f.data.Save());
    platform::InjectReadErrorForTests("");
    EXPECT_EQ(ReadAll(f.path), tuned);
}

TEST(ProfileData, WithoutAnyFileGettersYieldDefaults) {
    TempDir dir;
    CMouseProfiledata data;
    data.SetDefaultDataPath(dir.File("none.Json"));
    data.LoadProfile(dir.File("p.Json"));
    EXPECT_EQ(data.GetLightInfo(), LightInfo{});
    EXPECT_TRUE(data.GetKeyList().empty());
    EXPECT_TRUE(data.GetDpiStages().empty());
    EXPECT_EQ(data.GetSystemStages(), MouseSystemStages{});
    EXPECT_TRUE(Parse(dir.File("p.Json"))["Device"][0].isNull());
}

TEST(ProfileData, LightInfoRoundTripDropsUnstoredBytes) {
    Fixture<CKeyboardProfiledata> f;
    f.data.LoadProfile(f.path);
    LightInfo li{};
    li.SelectItem = 19;
    li.Light = 3;
    li.Speed = 1;
    li.Fx = 1;
    li.MultiColor = 7;  // any non-zero reads back as 1
    li.Red = 1;
    li.Green = 2;
    li.Blue = 3;
    li.reserved8 = li.reserved9 = li.present = 9;
    li.ZZCCLedMode = 2;
    li.CustomGroup = 4;
    li.OldLedmode = 5;
    li.CloseBkLight = 1;
    f.data.SetLightInfo(li);
    const LightInfo back = f.Reloaded().GetLightInfo();
    li.reserved8 = li.reserved9 = li.present = 0;
    li.MultiColor = 1;
    EXPECT_EQ(back, li);

    AudioLightInfo a{6, 1, 2, 3, 4, 5, 6, 1, 1};
    f.data.SetAudioLightInfo(a);
    EXPECT_EQ(f.Reloaded().GetAudioLightInfo(), a);
}

TEST(ProfileData, KeyListDecodesAndWritesOnlyAssignments) {
    Fixture<CKeyboardProfiledata> f;
    WriteAll(f.path, R"({"Device":[{"KeyList":[{"Assignment":7344692,"DefaultAssignment":2097193},
        {"Assignment":1},{"Assignment":2}]}]})");
    f.data.LoadProfile(f.path);
    std::vector<KeyListEntry> keys = f.data.GetKeyList();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].Assignment, (KeyAssignment{0, 0x70, 0x12, 0x34}));
    EXPECT_EQ(keys[0].DefaultAssignment, (KeyAssignment{0, 0x20, 0x00, 0x29}));
    EXPECT_EQ(keys[2].Assignment.keyIndex, 2);

    // Fewer entries leave the rest alone; more append items without defaults.
    f.data.SetKeyList({{{0, 0x20, 0, 4}, {}}});
    EXPECT_EQ(f.Reloaded().GetKeyList()[2].Assignment.code2, 2);
    std::vector<KeyListEntry> longer(4);
    longer[3].Assignment = {3, 0x30, 0xE2, 0};
    f.data.SetKeyList(longer);
    const std::vector<KeyListEntry> back = f.Reloaded().GetKeyList();
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[3].Assignment, (KeyAssignment{3, 0x30, 0xE2, 0}));
    EXPECT_EQ(back[3].DefaultAssignment, (KeyAssignment{3, 0, 0, 0}));
    EXPECT_EQ(back[0].DefaultAssignment, (KeyAssignment{0, 0x20, 0x00, 0x29}));
}

TEST(ProfileData, DeletingAMacroRenumbersEveryProfile) {
    TempDir dir;
    const std::string a = dir.File("a.Json"), b = dir.File("b.Json");
    // Key 0: macro 2 (reset to default); key 1: macro 5 -> 4; key 2: macro 1 stays.
    WriteAll(a, R"({"Device":[{"KeyList":[{"Assignment":7340544,"DefaultAssignment":2097193},
        {"Assignment":7406848,"DefaultAssignment":2097210},{"Assignment":7340288}]}]})");
    WriteAll(b, R"({"Device":[{"KeyList":[{"Assignment":2097193}]}]})");
    const std::string untouched = ReadAll(b);
    CKeyboardProfiledata data;
    data.LoadProfile(a);
    EXPECT_TRUE(data.RemoveMacroReferences(2, {a, b}));
    const std::vector<KeyListEntry> active = data.GetKeyList();
    EXPECT_EQ(active[0].Assignment, (KeyAssignment{0, 0x20, 0, 0x29}));
    EXPECT_EQ(active[1].Assignment, (KeyAssignment{1, 0x71, 4, 0}));
    EXPECT_EQ(active[2].Assignment, (KeyAssignment{2, 0x70, 1, 0}));
    CKeyboardProfiledata fromDisk;
    fromDisk.LoadProfile(a);
    EXPECT_EQ(fromDisk.GetKeyList(), active);
    EXPECT_EQ(ReadAll(b), untouched);  // nothing changed, nothing written
}

TEST(ProfileData, KeyboardBlocksRoundTripAndBoundIndices) {
    Fixture<CKeyboardProfiledata> f;
    f.data.LoadProfile(f.path);
    KeyboardSystemStages s{30, 1, 1, 3, 1, 1};
    f.data.SetSystemStages(s);
    f.data.SetCustomLightModeGroupIndex(3);
    f.data.SetCustomLightColors(2, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    CKeyboardProfiledata back = f.Reloaded();
    EXPECT_EQ(back.GetSystemStages(), s);
    EXPECT_EQ(back.GetCustomLightModeGroupIndex(), 3);
    EXPECT_EQ(back.PeekCustomLightColors(2, 3),
              (std::vector<LightColorInfo>{{1, 2, 3, 4}, {5, 6, 7, 8}, {}}));
    // Peek writes nothing; Get creates the missing entries as zeros.
    EXPECT_TRUE(back.ActiveRecord()["CustomLightMode"]["LightColorInfo"][2][2].isNull());
    EXPECT_EQ(back.GetCustomLightColors(2, 3).size(), 3u);
    EXPECT_EQ(back.ActiveRecord()["CustomLightMode"]["LightColorInfo"][2][2]["Alpha"].asInt(), 0);

    // Group and count taken from a file cannot grow the record without bound.
    back.GetCustomLightColors(255, 100000);
    EXPECT_LE(back.ActiveRecord()["CustomLightMode"]["LightColorInfo"].size(), 32u);
    back.SetDeviceIndex(100000);
    EXPECT_EQ(back.GetDeviceIndex(), 0);
}

TEST(ProfileData, MouseBlocksRoundTripAndStagesNeverShrink) {
    Fixture<CMouseProfiledata> f;
    f.data.LoadProfile(f.path);
    std::vector<DpiStage> stages(5);
    for (uint8_t i = 0; i < 5; ++i) {
        stages[i] = {1, i, static_cast<uint16_t>(0x0F0F * (i + 1)), 0x1234, 255, i, 0};
    }
    f.data.SetDpiStages(stages);
    f.data.SetActiveDpiStage(2);
    MouseSystemStages s{500, 10, 1, 0, 3, 3, 5, 30, 6, 31, 2, 4};
    f.data.SetSystemStages(s);
    CMouseProfiledata back = f.Reloaded();
    EXPECT_EQ(back.GetDpiStages(), stages);
    EXPECT_EQ(back.GetActiveDpiStage(), 2);
    EXPECT_EQ(back.GetSystemStages(), s);

    // A later file with 3 stages replaces the first 3 of the 5 known ones.
    WriteAll(f.path, R"({"Device":[{"DPIStages":{"StageActive":0,"StageDPIs":[
        {"StageDPIX":1},{"StageDPIX":2},{"StageDPIX":3}]}}]})");
    back.LoadProfile(f.path);
    const std::vector<DpiStage> mixed = back.GetDpiStages();
    ASSERT_EQ(mixed.size(), 5u);
    EXPECT_EQ(mixed[2].StageDPIX, 3);
    EXPECT_EQ(mixed[4], stages[4]);
}

TEST(ProfileData, HeadsetEqualiserRoundTripAndPresetRules) {
    Fixture<CRi6533Profiledata> f;
    f.data.LoadProfile(f.path);
    const std::vector<int32_t> one{7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    f.data.SetPresetEq(1, one);
    f.data.SetCustomEq(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    f.data.SetCustomEqNames({"低音", "Vocal"});
    SystemSetStages s{1, 2, 13, 1, 1, 80, 0, 50};
    f.data.SetSystemSetStages(s);
    CRi6533Profiledata back = f.Reloaded();
    EXPECT_EQ(back.GetPresetEq(1), one);
    EXPECT_EQ(back.GetPresetEq(0), one);
    EXPECT_EQ(back.GetPresetEq(14), one);
    EXPECT_TRUE(back.GetPresetEq(13).empty());
    EXPECT_EQ(back.GetCustomEq(3), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(back.GetCustomEq(0), std::vector<int32_t>(10, 0));
    EXPECT_TRUE(back.GetCustomEq(20).empty());
    EXPECT_EQ(back.GetCustomEqNames(), (std::vector<std::string>{"低音", "Vocal"}));
    EXPECT_EQ(back.GetSystemSetStages(), s);
}

TEST(ProfileData, WrongTypedValuesReadAsMissingAndSettersRecover) {
    Fixture<CKeyboardProfiledata> f;
    WriteAll(f.path, R"({"Device":[{"LightInfo":{"SelectItem":"5","Red":[1],"Light":2},
        "KeyList":"none","SystemStages":[1,2],"CustomLightMode":{"LightColorInfo":{"0":1}},
        "LightList":[null,{"LEDREGMode":3,"red":"x"},7]}]})");
    f.data.LoadProfile(f.path);
    const LightInfo li = f.data.GetLightInfo();
    EXPECT_EQ(li.SelectItem, 0);
    EXPECT_EQ(li.Red, 0);
    EXPECT_EQ(li.Light, 2);
    EXPECT_TRUE(f.data.GetKeyList().empty());
    EXPECT_EQ(f.data.GetSystemStages(), KeyboardSystemStages{});
    const std::vector<LightInfo> list = f.data.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].present, 0);
    EXPECT_EQ(list[1].present, 1);
    EXPECT_EQ(list[1].SelectItem, 3);
    EXPECT_EQ(list[1].Red, 0);
    EXPECT_EQ(f.data.GetCustomLightColors(0, 2).size(), 2u);
    f.data.SetSystemStages({1, 1, 1, 1, 1, 1});
    f.data.SetKeyList({{}});
    EXPECT_EQ(f.Reloaded().GetSystemStages().Repeat, 1);
}

TEST(ProfileData, CustomEffectStepsComeFromPlainIdentifiersOnly) {
    TempDir dir;
    WriteAll(dir.File("tavik_light.config"),
             R"({"LightInfo":[[{"LightName":"a","Guid":"{1234-AB}"},
                 {"LightName":"b","Guid":"../../etc/passwd"}]]})");
    WriteAll(dir.File("{1234-AB}.light"),
             R"({"LEDEffectList":[{"LEDREGMode":4,"red":300,"Time":1000,"Cyle":2}]})");
    CKeyboardProfiledata data;
    data.SetLightConfigPath(dir.File("tavik_light.config"));
    data.LoadLightConfig(dir.File("tavik_light.config"));
    LightInfo li{};
    data.SetLightInfo(li);
    data.GetLightInfo();
    const std::vector<LedEffectStep> steps = data.GetCustomEffectSteps();
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].LEDREGMode, 4);
    EXPECT_EQ(steps[0].red, 300 & 0xFF);
    EXPECT_EQ(steps[0].Time, 1000);
    li.SelectItem = 1;
    data.SetLightInfo(li);
    EXPECT_TRUE(data.GetCustomEffectSteps().empty());
}
