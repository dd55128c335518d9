// Profile data: a typed view over one device's record inside the active
// profile file. Getters decode from the record (with fixed defaults) and keep
// the decoded copy; setters change the copy and the record in memory only;
// the Save operations write the file.
#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "profile/json_file_store.h"
#include "profile/profile_types.h"

namespace profile {

class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // Writes the active record into item `deviceIndex` of the profile file.
    virtual bool Save();
    // Read-modify-write of `path`: the file's other slots and keys survive.
    // A file that exists but cannot be parsed is kept as "<path>.bak" first.
    virtual bool SaveRecord(const Json::Value& record, const std::string& path);
    virtual bool SaveScratch(const std::string& path);
    // Writes `document` unchanged.
    virtual bool WriteDocument(const Json::Value& document, const std::string& path);

    // Paths: an empty argument leaves the path unchanged.
    void SetProfilePath(const std::string& path);
    void SetDefaultDataPath(const std::string& path);
    const std::string& GetProfilePath() const { return profilePath; }
    const std::string& GetDefaultDataPath() const { return defaultDataPath; }
    void SetLightConfigPath(const std::string& path);
    const std::string& GetLightConfigPath() const { return lightConfigPath; }
    // Slots beyond the supported-device table are refused.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex; }

    // Loads this device's record from `path`, seeding it from the default data
    // file (and writing the profile file) when the file lacks it.
    Json::Value LoadProfile(const std::string& path);
    Json::Value LoadScratchProfile(const std::string& path);
    Json::Value LoadLightConfig(const std::string& path);
    const Json::Value& ActiveRecord() const { return activeRecord; }
    const Json::Value& ScratchRecord() const { return scratchRecord; }

    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& value);
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& value);
    std::vector<LightInfo> GetLightList();
    std::vector<KeyListEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyListEntry>& list);
    std::vector<KeyListEntry> GetScratchKeyList();
    void SetScratchKeyList(const std::vector<KeyListEntry>& list);
    std::vector<LedEffectStep> GetCustomEffectSteps();

    // After macro `deletedIndex` was removed from the macro list: each key
    // assigned to that macro gets its default back, keys assigned to later
    // macros move down by one. Returns true when `list` changed.
    static bool RenumberMacroReferences(std::vector<KeyListEntry>& list, int deletedIndex);
    // Applies the renumbering to every profile file in `profilePaths` (a file
    // is written only when one of its keys changed) and to the active key list
    // in memory. False when a file that needed the change could not be written.
    bool RemoveMacroReferences(int deletedIndex, const std::vector<std::string>& profilePaths);

  protected:
    static std::vector<KeyListEntry> DecodeKeyList(const Json::Value& record);
    static void EncodeKeyList(Json::Value& record, const std::vector<KeyListEntry>& list);
    Json::Value LoadRecord(const std::string& path);

    std::string profilePath;
    std::string defaultDataPath;
    int32_t customEffectBase = 0;
    LightInfo lightInfo;
    LightInfo defaultLightInfo;
    AudioLightInfo audioLightInfo;
    std::vector<LightInfo> lightList;
    Json::Value activeRecord;
    JsonFileStore jsonStore;
    Json::Value scratchRecord;
    std::string lightConfigPath;
    std::vector<LedEffectStep> customEffectSteps;
    Json::Value lightConfig;
    std::vector<KeyListEntry> keyList;
    std::vector<KeyListEntry> scratchKeyList;
    int32_t deviceIndex = 0;
};

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    KeyboardSystemStages GetSystemStages();
    void SetSystemStages(const KeyboardSystemStages& value);
    int GetCustomLightModeGroupIndex();
    void SetCustomLightModeGroupIndex(int index);
    // Colours of custom group `group` (0 to 31) for `count` keys (at most 170);
    // missing entries are created as zeros in the record.
    std::vector<LightColorInfo> GetCustomLightColors(int group, int count);
    // As GetCustomLightColors, but changes neither the record nor the copy.
    std::vector<LightColorInfo> PeekCustomLightColors(int group, int count) const;
    void SetCustomLightColors(int group, const std::vector<LightColorInfo>& colors);

  private:
    KeyboardSystemStages systemStages;
    std::vector<LightColorInfo> customLightColors;
    int32_t customLightModeGroupIndex = 0;
};

class CMouseProfiledata : public CBasicProfiledata {
  public:
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    void SetActiveDpiStage(int stage);
    int GetActiveDpiStage() const { return activeDpiStage; }
    MouseSystemStages GetSystemStages();
    void SetSystemStages(const MouseSystemStages& value);

  private:
    std::vector<DpiStage> dpiStages;
    int32_t activeDpiStage = 0;
    MouseSystemStages systemStages;
};

class CRi6533Profiledata : public CBasicProfiledata {
  public:
    // 13 (a user preset) gives no values; 1 to 12 the preset; anything else
    // preset 1. Missing band values are written into the record as 0.
    std::vector<int32_t> GetPresetEq(int eqType);
    void SetPresetEq(int index, const std::vector<int32_t>& values);
    std::vector<int32_t> GetCustomEq(int index);
    void SetCustomEq(int index, const std::vector<int32_t>& values);
    std::vector<std::string> GetCustomEqNames() const;
    void SetCustomEqNames(const std::vector<std::string>& names);
    SystemSetStages GetSystemSetStages();
    void SetSystemSetStages(const SystemSetStages& value);

  private:
    std::vector<int32_t> ReadBands(const char* key, int index);
    void WriteBands(const char* key, int index, const std::vector<int32_t>& values);

    SystemSetStages systemSetStages;
    std::vector<int32_t> eqValues;
};

}  // namespace profile
