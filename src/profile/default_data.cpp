#include "profile/default_data.h"

#include "platform/paths.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"
#include "profile/profile_types.h"

namespace profile {
namespace {

// More entries than any combo shows are ignored.
constexpr int64_t kMaxListEntries = 256;

}  // namespace

std::string DeviceDataFolder(const std::string& deviceFolder) {
    if (!platform::IsPlainFileName(deviceFolder)) {
        return {};
    }
    const std::string base = platform::UserDataFolder();
    if (base.empty()) {
        return {};
    }
    const std::string folder = base + deviceFolder + "/";
    return platform::MakeFolders(folder) ? folder : std::string();
}

std::string DefaultDataFolder() {
    return platform::ProgramFolder() + "DefaultData/";
}

std::string DefaultDataFile(const std::string& deviceFolder) {
    return platform::IsPlainFileName(deviceFolder) ? DefaultDataFolder() + deviceFolder + ".Json"
                                                   : std::string();
}

std::vector<std::string> ReadMacroNames(const std::string& path) {
    std::vector<std::string> names;
    const Json::Value document = JsonFileStore().ParseJsonFile(path);
    const Json::Value& list = json::Member(document, "MacroInfo");
    for (int64_t i = 0; i < json::Size(list) && i < kMaxListEntries; ++i) {
        names.push_back(json::StringOr(json::Member(json::Item(list, i), "MacroName")));
    }
    return names;
}

void LoadPresetLists(PresetLists& lists, const std::string& userFolder,
                     const std::string& defaultFolder, int slot) {
    if (slot < 0 || slot >= kMaxDeviceSlots) {
        return;
    }
    const JsonFileStore store;
    const Json::Value macros = store.ParseJsonFile(userFolder + "macro.config");
    if (!json::Member(macros, "MacroInfo").isNull()) {
        lists.macroNames = ReadMacroNames(userFolder + "macro.config");
    }

    const Json::Value modes = store.ParseJsonFile(defaultFolder + "default_light.json");
    const Json::Value& entries = json::Item(json::Member(modes, "DefaultLightName"), slot);
    if (!entries.isNull()) {
        lists.modeNames.clear();
        lists.modeVisible.clear();
        lists.modeCodes.clear();
        for (int64_t i = 0; i < json::Size(entries) && i < kMaxListEntries; ++i) {
            const Json::Value& entry = json::Item(entries, i);
            lists.modeNames.push_back(json::StringOr(json::Member(entry, "LightName")));
            lists.modeVisible.push_back(json::BoolOr(json::Member(entry, "visible"), false));
            lists.modeCodes.push_back(json::Int32(json::Member(entry, "value")));
        }
    }
    const Json::Value& zones = json::Item(json::Member(modes, "AreaLightName"), slot);
    if (!zones.isNull()) {
        lists.zoneModeNames.clear();
        for (int64_t i = 0; i < json::Size(zones) && i < kMaxListEntries; ++i) {
            lists.zoneModeNames.push_back(
                json::StringOr(json::Member(json::Item(zones, i), "LightName")));
        }
    }

    const Json::Value effects = store.ParseJsonFile(userFolder + "tavik_light.config");
    const Json::Value& effectList = json::Item(json::Member(effects, "LightInfo"), slot);
    if (!effectList.isNull()) {
        lists.customEffectNames.clear();
        for (int64_t i = 0; i < json::Size(effectList) && i < kMaxListEntries; ++i) {
            lists.customEffectNames.push_back(
                json::StringOr(json::Member(json::Item(effectList, i), "LightName")));
        }
    }
}

int ModeIndexOfCode(const std::vector<int>& codes, int code) {
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == code) {
            return static_cast<int>(i);
        }
    }
    return code;
}

int ModeCodeOfIndex(const std::vector<int>& codes, int index) {
    if (codes.empty()) {
        return index;
    }
    if (index < 0 || static_cast<size_t>(index) >= codes.size()) {
        return codes.front();
    }
    return codes[static_cast<size_t>(index)];
}

}  // namespace profile
