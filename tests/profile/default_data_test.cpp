#include <gtest/gtest.h>

#include "profile/default_data.h"
#include "profile/json_file_store.h"
#include "profile/profile_data.h"
#include "support/temp_dir.h"

using namespace profile;
using testing_support::TempDir;
using testing_support::WriteAll;

namespace {

const std::string kShipped = std::string(QX70_SOURCE_DIR) + "/resources/DefaultData/";

}  // namespace

TEST(DefaultData, ShippedKeyboardTemplateCarriesTheFactoryKeyTable) {
    CKeyboardProfiledata data;
    data.SetDefaultDataPath(kShipped + "keyboard.Json");
    TempDir dir;
    data.LoadProfile(dir.File("p.Json"));
    const std::vector<KeyListEntry> keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 170u);
    EXPECT_EQ(keys[0].DefaultAssignment.Persisted(), 0x200029u);
    EXPECT_EQ(keys[110].DefaultAssignment.Persisted(), 0xA00100u);
    EXPECT_EQ(keys[127].DefaultAssignment.Persisted(), 0x309201u);
    EXPECT_EQ(keys[169].DefaultAssignment.Persisted(), 0x200000u);
    for (const KeyListEntry& k : keys) {
        EXPECT_EQ(k.Assignment, k.DefaultAssignment);
    }
    EXPECT_EQ(data.GetLightList().size(), 34u);
    EXPECT_NE(data.GetLightInfo().Light, 0);
}

TEST(DefaultData, ShippedFilesParseAndDescribeEveryDevice) {
    for (const char* name :
         {"keyboard.Json", "mouse.Json", "MousePad.Json", "HD.Json", "default_light.json",
          "Language.config", "color_option_info.config", "AudioFile.json"}) {
        EXPECT_TRUE(JsonFileStore().ParseJsonFile(kShipped + name).isObject()) << name;
    }
    CRi6533Profiledata headset;
    headset.SetDefaultDataPath(kShipped + "HD.Json");
    TempDir dir;
    headset.LoadProfile(dir.File("h.Json"));
    EXPECT_EQ(headset.GetPresetEq(2), (std::vector<int32_t>{7, 11, 6, -3, -11, -1, 6, 13, 6, 13}));
    EXPECT_EQ(headset.GetPresetEq(5), std::vector<int32_t>(10, 0));
    CMouseProfiledata mouse;
    mouse.SetDefaultDataPath(kShipped + "mouse.Json");
    mouse.LoadProfile(dir.File("m.Json"));
    EXPECT_EQ(mouse.GetDpiStages().size(), 7u);
    EXPECT_GT(mouse.GetSystemStages().device_sleep1, 0);

    PresetLists lists;
    LoadPresetLists(lists, dir.Path(), kShipped, 0);
    ASSERT_EQ(lists.modeCodes.size(), 34u);
    EXPECT_FALSE(lists.modeVisible[20]);
    EXPECT_TRUE(lists.modeVisible[17]);
    EXPECT_EQ(ModeCodeOfIndex(lists.modeCodes, 29), 29);
    PresetLists mouseLists;
    LoadPresetLists(mouseLists, dir.Path(), kShipped, 1);
    EXPECT_EQ(mouseLists.modeCodes.size(), 12u);
    EXPECT_EQ(mouseLists.modeNames[0], "mouse_mode_static");
}

TEST(DefaultData, PresetListsKeepHiddenIndicesAndSurviveMissingFiles) {
    TempDir dir;
    WriteAll(dir.File("default_light.json"), R"({"DefaultLightName":[
        [{"LightName":"a","visible":true,"value":0},{"LightName":"b","visible":false,"value":1},
         {"LightName":"c","visible":1,"value":2},{"LightName":"d","visible":true,"value":5}],
        [{"LightName":"m","visible":true,"value":7}]],
        "AreaLightName":[[{"LightName":"z"}]]})");
    WriteAll(dir.File("macro.config"), R"({"MacroInfo":[{"MacroName":"连招","Guid":"g"}]})");
    PresetLists lists;
    LoadPresetLists(lists, dir.Path(), dir.Path(), 0);
    EXPECT_EQ(lists.modeNames, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(lists.modeVisible, (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ(lists.zoneModeNames, std::vector<std::string>{"z"});
    EXPECT_EQ(lists.macroNames, std::vector<std::string>{"连招"});
    EXPECT_EQ(ModeIndexOfCode(lists.modeCodes, 5), 3);
    EXPECT_EQ(ModeIndexOfCode(lists.modeCodes, 9), 9);
    EXPECT_EQ(ModeCodeOfIndex(lists.modeCodes, 3), 5);
    EXPECT_EQ(ModeCodeOfIndex(lists.modeCodes, 40), 0);  // never past the table
    EXPECT_EQ(ModeCodeOfIndex({}, 7), 7);

    PresetLists second;
    LoadPresetLists(second, dir.Path(), dir.Path(), 1);
    EXPECT_EQ(second.modeCodes, std::vector<int>{7});
    // A missing file or slot leaves the lists as they were.
    LoadPresetLists(lists, dir.File("none/"), dir.File("none/"), 0);
    LoadPresetLists(lists, dir.Path(), dir.Path(), 5);
    EXPECT_EQ(lists.modeCodes.size(), 4u);
    EXPECT_EQ(lists.macroNames.size(), 1u);
}
