// The flows behind the profile bar: each button's question accepted and
// declined, the messages of refusals, the switch and reset with their
// order of device operations, and the number in a language text.
#include "device/profile_bar_flow.h"

#include <gtest/gtest.h>

#include <fstream>

#include "device/usb_device.h"
#include "platform/paths.h"
#include "profile/profile_list.h"
#include "support/temp_dir.h"

using device::ProfileBarFlow;
using profile::ProfileList;

namespace {

// The bar over a real list in a temporary folder.
class ListBar : public device::ProfileBarOps {
  public:
    explicit ListBar(const std::string& dir) {
        list.SetProfilePaths(dir,
                             std::string(QX70_SOURCE_DIR) + "/resources/DefaultData/keyboard.Json");
        list.SetDeviceType(1);
        list.LoadProfileList();
        edit = list.SelectedName();
    }
    int AddProfile() override { return list.AddProfile(); }
    int CopyProfile() override { return list.CopyProfile(); }
    int DeleteProfile() override { return list.DeleteProfile(); }
    int RenameProfile(const std::string& name) override { return list.RenameProfile(name); }
    bool SelectProfile(int index, bool notify) override {
        selections.emplace_back(index, notify);
        return list.SelectProfile(index);
    }
    bool ExportProfile(const std::string& path) const override { return list.ExportProfile(path); }
    int ImportProfile(const std::string& path, const std::string& name) override {
        return list.ImportProfile(path, name);
    }
    bool ResetProfile() override { return resetWorks && list.ResetProfile(); }
    int GetSelectedIndex() const override {
        return selectedOverride ? *selectedOverride : list.GetSelectedIndex();
    }
    std::string GetCurrentProfileUUID() const override { return list.GetCurrentProfileUUID(); }
    std::string SelectedName() const override { return list.SelectedName(); }
    std::string GetNameEditText() const override { return edit; }
    void ResetNameEdit() override { edit = list.SelectedName(); }
    bool IsProfileMenuShown() const override { return menu; }
    void ShowProfileMenu(bool show) override { menu = show; }

    ProfileList list;
    std::string edit;
    bool menu = true;
    bool resetWorks = true;
    std::optional<int> selectedOverride;
    std::vector<std::pair<int, bool>> selections;
};

class Shell : public device::ProfileBarShell {
  public:
    bool Ask(const std::string& id) override {
        events.push_back("ask " + id);
        return answer;
    }
    void Inform(const std::string& id) override { events.push_back("inform " + id); }
    void InformText(const std::string& text) override { events.push_back("text " + text); }
    std::string Translate(const std::string& id) const override {
        return id == "message_text_16" ? "%d macros %s lost, %d" : id;
    }
    std::string ChooseImportFile() override { return importPath; }
    std::string ChooseExportFile(const std::string& name) override {
        events.push_back("save as " + name);
        return exportPath;
    }
    void ShowLoadingLayer(bool show) override { events.push_back(show ? "layer on" : "layer off"); }
    void StartSwitchTimer() override { events.push_back("timer"); }
    void AfterReset(device::CVornelUSBDevice&) override { events.push_back("after reset"); }

    bool answer = true;
    std::string importPath, exportPath;
    std::vector<std::string> events;
};

// Records the device operations of a switch in order.
class RecordingDevice : public device::CVornelUSBDevice {
  public:
    explicit RecordingDevice(int type) : CVornelUSBDevice(type) {}
    int LoadActiveProfile() override { return Log("load " + GetProfileName()); }
    void ValidateMacroKeys() override { Log("validate"); }
    void RefreshPage() override { Log("refresh"); }
    int SendLightRecord(int slot, int value, int, int, int) override {
        return Log("light " + std::to_string(slot) + " " + std::to_string(value));
    }
    void ApplyCustomGroup() override { Log("custom group"); }
    std::vector<int> CollectMacroRefs() override {
        Log("collect");
        return {0, 2};
    }
    int SendMacros(const std::vector<int>& list) override {
        Log("macros " + std::to_string(list.size()));
        return macroResult;
    }
    int SendStoredKeyAssignments(int base) override { return Log("keys " + std::to_string(base)); }

    int Log(const std::string& s) {
        calls.push_back(s);
        return 1;
    }
    int macroResult = 0;
    std::vector<std::string> calls;
};

class ProfileBarFlowTest : public ::testing::Test {
  protected:
    testing_support::TempDir dir_;
    ListBar bar_{dir_.Path()};
    Shell shell_;
    ProfileBarFlow flow_{shell_};
};

}  // namespace

TEST_F(ProfileBarFlowTest, EachButtonActsOnlyWhenItsQuestionIsConfirmed) {
    shell_.answer = false;
    flow_.Add(&bar_);
    flow_.Copy(&bar_);
    flow_.Delete(&bar_);
    EXPECT_EQ(bar_.list.Names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(shell_.events, (std::vector<std::string>{"ask message_text_27", "ask message_text_32",
                                                       "ask message_text_29"}));
    shell_.answer = true;
    shell_.events.clear();
    flow_.Add(&bar_);
    flow_.Copy(&bar_);
    EXPECT_EQ(bar_.list.Names(),
              (std::vector<std::string>{"profile1", "profile2", "profile1 copy"}));
    // The new profile waits for the next start; the combo keeps its choice.
    EXPECT_EQ(bar_.list.SelectedName(), "profile1");
    flow_.Delete(&bar_);
    EXPECT_EQ(bar_.list.Names(), (std::vector<std::string>{"profile2", "profile1 copy"}));
    EXPECT_EQ(bar_.list.GetSelectedIndex(), 0) << "deleting the first selects the new first";
    flow_.Delete(&bar_);
    flow_.Delete(&bar_);
    EXPECT_EQ(bar_.list.Names(), std::vector<std::string>{"profile1 copy"})
        << "the last profile stays";
    for (const std::string& e : shell_.events)
        EXPECT_EQ(e.rfind("ask ", 0), 0u) << "nothing refused: " << e;
    // No bar (no current device): not even the question.
    shell_.events.clear();
    flow_.Add(nullptr);
    flow_.Rename(nullptr);
    flow_.Import(nullptr);
    EXPECT_TRUE(shell_.events.empty());
}

TEST_F(ProfileBarFlowTest, TheListLimitRefusesTheOneTooMany) {
    for (int i = 1; i < ProfileList::kMaxProfiles; ++i)
        flow_.Add(&bar_);
    ASSERT_EQ(bar_.list.Names().size(), 50u);
    shell_.events.clear();
    flow_.Add(&bar_);
    flow_.Copy(&bar_);
    EXPECT_EQ(bar_.list.Names().size(), 50u);
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"ask message_text_27", "inform message_text_30",
                                        "ask message_text_32", "inform message_text_30"}));
}

TEST_F(ProfileBarFlowTest, RenameRefusalsNameTheirMessageAndPutTheNameBack) {
    flow_.Add(&bar_);
    struct Case {
        std::string name, message;
    };
    for (const Case& c :
         {Case{"", "message_text_5_1"}, Case{"a b", "message_text_37"},
          Case{"x/y", "message_text_37"}, Case{"seventeen_chars_x", "message_text_36"},
          Case{"PROFILE2", "message_text_5"}}) {
        shell_.events.clear();
        bar_.edit = c.name;
        flow_.Rename(&bar_);
        EXPECT_EQ(shell_.events, std::vector<std::string>{"inform " + c.message}) << c.name;
        EXPECT_EQ(bar_.edit, "profile1") << c.name;
        EXPECT_EQ(bar_.list.Names()[0], "profile1");
    }
    shell_.events.clear();
    bar_.edit = "Profile1";
    flow_.Rename(&bar_);
    bar_.edit = "Game";
    flow_.Rename(&bar_);
    EXPECT_TRUE(shell_.events.empty());
    EXPECT_EQ(bar_.list.Names()[0], "Game");
}

TEST_F(ProfileBarFlowTest, ImportTwiceSuffixesTheSecondAndRefusesWhatIsNoProfile) {
    const std::string game = dir_.Path() + "Game.json";
    shell_.exportPath = game;
    flow_.Export(&bar_);
    EXPECT_EQ(shell_.events, std::vector<std::string>{"save as profile1"});
    shell_.importPath = game;
    flow_.Import(&bar_);
    flow_.Import(&bar_);
    EXPECT_EQ(bar_.list.Names(), (std::vector<std::string>{"profile1", "Game", "Game(1)"}));
    EXPECT_EQ(bar_.list.SelectedName(), "Game(1)") << "an import is selected";

    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir_.Path() + name) << text;
        return dir_.Path() + name;
    };
    shell_.events.clear();
    for (const std::string& path :
         {write("text.json", "not json"), write("array.json", "[1, 2]"),
          write("number.json", R"({"profilename": 5, "profileUUID": "x"})"),
          write("noid.json", R"({"profilename": "a"})"), dir_.Path() + "missing.json"}) {
        shell_.importPath = path;
        flow_.Import(&bar_);
    }
    EXPECT_EQ(shell_.events, std::vector<std::string>(5, "inform profile_import_refused"));
    shell_.events.clear();
    shell_.importPath =
        write("a_name_of_17_char.json", R"({"profilename": "a", "profileUUID": "b"})");
    flow_.Import(&bar_);
    EXPECT_EQ(shell_.events, std::vector<std::string>{"inform message_text_36"});
    EXPECT_EQ(bar_.list.Names().size(), 3u);
    // A cancelled dialog does nothing.
    shell_.events.clear();
    shell_.importPath.clear();
    shell_.exportPath.clear();
    flow_.Import(&bar_);
    flow_.Export(&bar_);
    EXPECT_EQ(shell_.events, std::vector<std::string>{"save as Game(1)"});
}

TEST_F(ProfileBarFlowTest, SwitchLoadsTheSelectionAndSendsItInOrder) {
    flow_.Add(&bar_);
    bar_.list.SelectProfile(1);
    RecordingDevice keyboard(1);
    keyboard.macroResult = 700;
    flow_.OnProfileChosen();
    flow_.SwitchProfile(&keyboard, &bar_);
    const std::string uuid = bar_.list.GetCurrentProfileUUID();
    EXPECT_EQ(keyboard.calls,
              (std::vector<std::string>{"load " + uuid, "validate", "refresh", "light 0 0",
                                        "collect", "macros 2", "keys 0"}));
    EXPECT_EQ(bar_.selections, (std::vector<std::pair<int, bool>>{{1, false}}));
    // Only the first "%d" takes the number; "%s" stays text.
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"ask message_text_27", "layer on", "timer",
                                        "text 700 macros %s lost, %d", "layer off"}));
    shell_.events.clear();
    keyboard.macroResult = -1;
    flow_.SwitchProfile(&keyboard, &bar_);
    EXPECT_EQ(shell_.events, (std::vector<std::string>{"inform message_text_7", "layer off"}));
}

TEST_F(ProfileBarFlowTest, NoDeviceOrNoSelectionHidesTheLayerAndSwitchesNothing) {
    RecordingDevice keyboard(1);
    flow_.SwitchProfile(nullptr, &bar_);
    bar_.selectedOverride = -1;
    flow_.SwitchProfile(&keyboard, &bar_);
    flow_.SwitchProfile(&keyboard, nullptr);
    EXPECT_TRUE(keyboard.calls.empty());
    EXPECT_TRUE(bar_.selections.empty());
    EXPECT_EQ(shell_.events, std::vector<std::string>(3, "layer off"));
}

TEST_F(ProfileBarFlowTest, ResetAsksRestoresAndSendsOnlyWhenTheFileWasReset) {
    RecordingDevice keyboard(1);
    shell_.answer = false;
    flow_.Reset(&keyboard, &bar_);
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"layer on", "ask message_text_22", "layer off"}));
    EXPECT_TRUE(keyboard.calls.empty());

    shell_.answer = true;
    shell_.events.clear();
    bar_.resetWorks = false;
    flow_.Reset(&keyboard, &bar_);
    EXPECT_TRUE(keyboard.calls.empty()) << "nothing is downloaded after a failed reset";
    EXPECT_EQ(shell_.events,
              (std::vector<std::string>{"layer on", "ask message_text_22", "layer off",
                                        "inform profile_reset_failed"}));

    bar_.resetWorks = true;
    shell_.events.clear();
    flow_.Reset(&keyboard, &bar_);
    EXPECT_EQ(keyboard.calls,
              (std::vector<std::string>{"load " + keyboard.GetProfileName(), "refresh", "light 0 0",
                                        "custom group", "collect", "macros 2", "keys 0"}));
    EXPECT_EQ(shell_.events.back(), "after reset");
    // A mouse pad has no macros or keys to send.
    RecordingDevice pad(3);
    flow_.Reset(&pad, &bar_);
    EXPECT_EQ(pad.calls,
              (std::vector<std::string>{"load ", "refresh", "light 0 0", "custom group"}));
}

TEST(ProfileBarFlowText, OnlyTheFirstNumberMarkIsReplaced) {
    EXPECT_EQ(ProfileBarFlow::WithNumber("%d of %d", 3), "3 of %d");
    EXPECT_EQ(ProfileBarFlow::WithNumber("no mark", 3), "no mark");
    EXPECT_EQ(ProfileBarFlow::WithNumber("%s %n %d%%", -1), "%s %n -1%%");
    EXPECT_EQ(ProfileBarFlow::WithNumber("", 1), "");
}
