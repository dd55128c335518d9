#include "profile/profile_data.h"

#include <algorithm>

#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "profile/identifiers.h"
#include "profile/json_access.h"

namespace profile {

using json::Byte;
using json::Item;
using json::Member;
using json::MemberRef;
using json::Word;

namespace {

// Effect files are read only; bound the steps a hostile file can produce.
constexpr int64_t kMaxEffectSteps = 4096;
constexpr int64_t kMaxLightListItems = 256;

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

Json::Value Bytes(uint8_t v) {
    return Json::Value(static_cast<int>(v));
}

}  // namespace

// --- files -------------------------------------------------------------------

bool CBasicProfiledata::Save() {
    return SaveRecord(activeRecord, profilePath);
}

bool CBasicProfiledata::SaveRecord(const Json::Value& record, const std::string& path) {
    if (path.empty()) {
        return false;
    }
    Json::Value document;
    JsonStatus status = JsonStatus::Missing;
    if (!ParseOrKeepBackup(path, document, status)) {
        return false;
    }
    json::AsObject(document);
    Json::Value& devices = document["Device"];
    if (!devices.isArray()) {
        devices = Json::Value(Json::arrayValue);
    }
    devices[static_cast<Json::ArrayIndex>(deviceIndex)] = record;
    return jsonStore.WriteJsonFile(path, document);
}

bool CBasicProfiledata::SaveScratch(const std::string& path) {
    return SaveRecord(scratchRecord, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path) {
    return !path.empty() && jsonStore.WriteJsonFile(path, document);
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) {
        profilePath = path;
    }
}

void CBasicProfiledata::SetDefaultDataPath(const std::string& path) {
    if (!path.empty()) {
        defaultDataPath = path;
    }
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) {
    if (!path.empty()) {
        lightConfigPath = path;
    }
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    if (index >= 0 && index < kMaxDeviceSlots) {
        deviceIndex = index;
    }
}

Json::Value CBasicProfiledata::LoadRecord(const std::string& path) {
    if (path.empty()) {
        return Json::Value();
    }
    Json::Value document;
    JsonStatus status = JsonStatus::Missing;
    const bool replaceable = ParseOrKeepBackup(path, document, status);
    Json::Value record = Item(Member(document, "Device"), deviceIndex);
    if (!record.isNull()) {
        return record;
    }
    // Seed the missing record from the default data and save it at once.
    const Json::Value defaults = jsonStore.ParseJsonFile(defaultDataPath);
    record = Item(Member(defaults, "Device"), deviceIndex);
    if (!replaceable) {
        // The defaults serve this run; the file stays as it is.
        return record;
    }
    if (status != JsonStatus::Ok) {
        document = Json::Value(Json::objectValue);
    }
    Json::Value& devices = document["Device"];
    if (!devices.isArray()) {
        // A wrong-typed member is replaced; keep what was there.
        if (!devices.isNull() && !platform::KeepBackup(path)) {
            platform::DebugOutputF("could not keep %s as .bak; it is not replaced\n", path.c_str());
            return record;
        }
        devices = Json::Value(Json::arrayValue);
    }
    devices[static_cast<Json::ArrayIndex>(deviceIndex)] = record;
    jsonStore.WriteJsonFile(path, document);
    return record;
}

Json::Value CBasicProfiledata::LoadProfile(const std::string& path) {
    activeRecord = LoadRecord(path);
    return activeRecord;
}

Json::Value CBasicProfiledata::LoadScratchProfile(const std::string& path) {
    scratchRecord = LoadRecord(path);
    return scratchRecord;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
    lightConfig = jsonStore.ParseJsonFile(path);
    return lightConfig;
}

// --- common settings -----------------------------------------------------------

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& v = Member(activeRecord, "LightInfo");
    if (v.isNull()) {
        lightInfo = defaultLightInfo;
        return lightInfo;
    }
    LightInfo li;
    li.SelectItem = Byte(Member(v, "SelectItem"));
    li.Light = Byte(Member(v, "Light"));
    li.Speed = Byte(Member(v, "Speed"));
    li.MultiColor = json::BoolOr(Member(v, "MultiColor"), false) ? 1 : 0;
    li.Red = Byte(Member(v, "Red"));
    li.Green = Byte(Member(v, "Green"));
    li.Blue = Byte(Member(v, "Blue"));
    li.Fx = Byte(Member(v, "Fx"));
    li.ZZCCLedMode = Byte(Member(v, "ZZCCLedMode"));
    li.CustomGroup = Byte(Member(v, "CustomGroup"));
    li.OldLedmode = Byte(Member(v, "OldLedmode"));
    li.CloseBkLight = Byte(Member(v, "CloseBkLight"));
    lightInfo = li;
    return lightInfo;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& value) {
    lightInfo = value;
    Json::Value v(Json::objectValue);
    v["SelectItem"] = Bytes(value.SelectItem);
    v["Light"] = Bytes(value.Light);
    v["Speed"] = Bytes(value.Speed);
    v["Fx"] = Bytes(value.Fx);
    v["MultiColor"] = value.MultiColor != 0 ? 1 : 0;
    v["Red"] = Bytes(value.Red);
    v["Green"] = Bytes(value.Green);
    v["Blue"] = Bytes(value.Blue);
    v["ZZCCLedMode"] = Bytes(value.ZZCCLedMode);
    v["CustomGroup"] = Bytes(value.CustomGroup);
    v["OldLedmode"] = Bytes(value.OldLedmode);
    v["CloseBkLight"] = Bytes(value.CloseBkLight);
    MemberRef(activeRecord, "LightInfo") = v;
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& v = Member(activeRecord, "AudioLightInfo");
    AudioLightInfo a;
    if (!v.isNull()) {
        a.AudioMode = Byte(Member(v, "AudioMode"));
        a.BkColorR = Byte(Member(v, "BkColorR"));
        a.BkColorG = Byte(Member(v, "BkColorG"));
        a.BkColorB = Byte(Member(v, "BkColorB"));
        a.FgColorR = Byte(Member(v, "FgColorR"));
        a.FgColorG = Byte(Member(v, "FgColorG"));
        a.FgColorB = Byte(Member(v, "FgColorB"));
        a.SevenColorFlags = json::BoolOr(Member(v, "7ColorFlags"), false) ? 1 : 0;
        a.ColorTypeFlags = json::BoolOr(Member(v, "ColorTypeFlags"), false) ? 1 : 0;
    }
    audioLightInfo = a;
    return audioLightInfo;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& value) {
    audioLightInfo = value;
    Json::Value v(Json::objectValue);
    v["AudioMode"] = Bytes(value.AudioMode);
    v["BkColorR"] = Bytes(value.BkColorR);
    v["BkColorG"] = Bytes(value.BkColorG);
    v["BkColorB"] = Bytes(value.BkColorB);
    v["FgColorR"] = Bytes(value.FgColorR);
    v["FgColorG"] = Bytes(value.FgColorG);
    v["FgColorB"] = Bytes(value.FgColorB);
    v["7ColorFlags"] = Bytes(value.SevenColorFlags);
    v["ColorTypeFlags"] = Bytes(value.ColorTypeFlags);
    MemberRef(activeRecord, "AudioLightInfo") = v;
}

std::vector<LightInfo> CBasicProfiledata::GetLightList() {
    const Json::Value& list = Member(activeRecord, "LightList");
    lightList.clear();
    const int64_t n = std::min(json::Size(list), kMaxLightListItems);
    for (int64_t i = 0; i < n; ++i) {
        const Json::Value& item = Item(list, i);
        LightInfo li;
        if (!item.isNull()) {
            li.present = 1;
            li.SelectItem = Byte(Member(item, "LEDREGMode"));
            li.Light = Byte(Member(item, "LEDBrightness"));
            li.Speed = Byte(Member(item, "LEDSpeed"));
            li.MultiColor = json::BoolOr(Member(item, "LEDMultiColor"), false) ? 1 : 0;
            li.Fx = json::BoolOr(Member(item, "LEDDirection"), false) ? 1 : 0;
            li.Blue = Byte(Member(item, "blue"));
            li.Green = Byte(Member(item, "green"));
            li.Red = Byte(Member(item, "red"));
        }
        lightList.push_back(li);
    }
    return lightList;
}

std::vector<KeyListEntry> CBasicProfiledata::DecodeKeyList(const Json::Value& record) {
    const Json::Value& list = Member(record, "KeyList");
    std::vector<KeyListEntry> out;
    const int64_t n = std::min<int64_t>(json::Size(list), kMaxKeys);
    out.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const Json::Value& item = Item(list, i);
        const auto index = static_cast<uint16_t>(i);
        out.push_back(
            {KeyAssignment::FromPersisted(index, json::IntOr(Member(item, "Assignment"), 0)),
             KeyAssignment::FromPersisted(index,
                                          json::IntOr(Member(item, "DefaultAssignment"), 0))});
    }
    return out;
}

void CBasicProfiledata::EncodeKeyList(Json::Value& record, const std::vector<KeyListEntry>& list) {
    Json::Value& keys = MemberRef(record, "KeyList");
    json::AsArray(keys);
    const size_t n = std::min<size_t>(list.size(), kMaxKeys);
    for (size_t i = 0; i < n; ++i) {
        Json::Value& item = json::ItemRef(keys, static_cast<uint32_t>(i));
        MemberRef(item, "Assignment") = list[i].Assignment.Persisted();
    }
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    keyList = DecodeKeyList(activeRecord);
    return keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    keyList = list;
    EncodeKeyList(activeRecord, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetScratchKeyList() {
    scratchKeyList = DecodeKeyList(scratchRecord);
    return scratchKeyList;
}

void CBasicProfiledata::SetScratchKeyList(const std::vector<KeyListEntry>& list) {
    scratchKeyList = list;
    EncodeKeyList(scratchRecord, list);
}

std::vector<LedEffectStep> CBasicProfiledata::GetCustomEffectSteps() {
    std::vector<LedEffectStep> steps;
    const int k = static_cast<int>(lightInfo.SelectItem) - customEffectBase;
    if (!lightConfig.isNull() && k >= 0) {
        const Json::Value& entry = Item(Item(Member(lightConfig, "LightInfo"), deviceIndex), k);
        const std::string guid = json::StringOr(Member(entry, "Guid"));
        // The identifier names a file; anything but a plain identifier is refused.
        if (IsPlainIdentifier(guid)) {
            // Effect files lie beside the lighting configuration document.
            const Json::Value effect =
                jsonStore.ParseJsonFile(FolderOf(lightConfigPath) + guid + ".light");
            const Json::Value& list = Member(effect, "LEDEffectList");
            const int64_t n = std::min(json::Size(list), kMaxEffectSteps);
            for (int64_t j = 0; j < n; ++j) {
                const Json::Value& s = Item(list, j);
                LedEffectStep step;
                step.LEDREGMode = Byte(Member(s, "LEDREGMode"));
                step.LEDDirection = Byte(Member(s, "LEDDirection"));
                step.LEDBrightness = Byte(Member(s, "LEDBrightness"));
                step.LEDSpeed = Byte(Member(s, "LEDSpeed"));
                step.LEDMultiColor = Byte(Member(s, "LEDMultiColor"));
                step.red = Byte(Member(s, "red"));
                step.green = Byte(Member(s, "green"));
                step.blue = Byte(Member(s, "blue"));
                step.Time = json::Int32(Member(s, "Time"));
                step.Cyle = json::Int32(Member(s, "Cyle"));
                steps.push_back(step);
            }
        }
    }
    customEffectSteps = steps;
    return customEffectSteps;
}

bool CBasicProfiledata::RenumberMacroReferences(std::vector<KeyListEntry>& list, int deletedIndex) {
    if (deletedIndex < 0 || deletedIndex > 0xFF) {
        return false;
    }
    bool changed = false;
    for (KeyListEntry& entry : list) {
        if (!entry.Assignment.IsMacro()) {
            continue;
        }
        if (entry.Assignment.code1 == deletedIndex) {
            const uint16_t index = entry.Assignment.keyIndex;
            entry.Assignment = entry.DefaultAssignment;
            entry.Assignment.keyIndex = index;
            changed = true;
        } else if (entry.Assignment.code1 > deletedIndex) {
            --entry.Assignment.code1;
            changed = true;
        }
    }
    return changed;
}

bool CBasicProfiledata::RemoveMacroReferences(int deletedIndex,
                                              const std::vector<std::string>& profilePaths) {
    bool ok = true;
    for (const std::string& path : profilePaths) {
        LoadScratchProfile(path);
        std::vector<KeyListEntry> list = GetScratchKeyList();
        if (RenumberMacroReferences(list, deletedIndex)) {
            SetScratchKeyList(list);
            ok = SaveScratch(path) && ok;
        }
    }
    std::vector<KeyListEntry> active = GetKeyList();
    if (RenumberMacroReferences(active, deletedIndex)) {
        SetKeyList(active);
    }
    return ok;
}

// --- keyboard ------------------------------------------------------------------

KeyboardSystemStages CKeyboardProfiledata::GetSystemStages() {
    const Json::Value& v = Member(activeRecord, "SystemStages");
    KeyboardSystemStages s;
    s.Repeat = Word(Member(v, "Repeat"));
    s.RepeatDelay = Word(Member(v, "RepeatDelay"));
    s.Key6Flag = Word(Member(v, "Key6Flag"));
    s.PollingRate = Word(Member(v, "PollingRate"));
    s.WFlag = Word(Member(v, "WFlag"));
    s.WinFlag = Word(Member(v, "WinFlag"));
    systemStages = s;
    return systemStages;
}

void CKeyboardProfiledata::SetSystemStages(const KeyboardSystemStages& value) {
    systemStages = value;
    Json::Value& v = MemberRef(activeRecord, "SystemStages");
    json::AsObject(v);
    v["Repeat"] = value.Repeat;
    v["RepeatDelay"] = value.RepeatDelay;
    v["Key6Flag"] = value.Key6Flag;
    v["PollingRate"] = value.PollingRate;
    v["WFlag"] = value.WFlag;
    v["WinFlag"] = value.WinFlag;
}

int CKeyboardProfiledata::GetCustomLightModeGroupIndex() {
    customLightModeGroupIndex =
        json::Int32(Member(Member(activeRecord, "CustomLightMode"), "CustomLightModeGroupIndex"));
    return customLightModeGroupIndex;
}

void CKeyboardProfiledata::SetCustomLightModeGroupIndex(int index) {
    customLightModeGroupIndex = index;
    MemberRef(MemberRef(activeRecord, "CustomLightMode"), "CustomLightModeGroupIndex") = index;
}

namespace {

LightColorInfo ReadColor(const Json::Value& v) {
    return {Byte(Member(v, "Red")), Byte(Member(v, "Green")), Byte(Member(v, "Blue")),
            Byte(Member(v, "Alpha"))};
}

void WriteColor(Json::Value& v, const LightColorInfo& c) {
    json::AsObject(v);
    v["Red"] = Bytes(c.Red);
    v["Green"] = Bytes(c.Green);
    v["Blue"] = Bytes(c.Blue);
    v["Alpha"] = Bytes(c.Alpha);
}

bool GroupInRange(int group) {
    return group >= 0 && group < kMaxCustomGroups;
}

}  // namespace

std::vector<LightColorInfo> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    count = std::clamp(count, 0, kMaxKeys);
    std::vector<LightColorInfo> colors(static_cast<size_t>(count));
    if (GroupInRange(group)) {
        Json::Value& groups =
            MemberRef(MemberRef(activeRecord, "CustomLightMode"), "LightColorInfo");
        Json::Value& entries = json::ItemRef(groups, static_cast<uint32_t>(group));
        for (int i = 0; i < count; ++i) {
            Json::Value& entry = json::ItemRef(entries, static_cast<uint32_t>(i));
            if (entry.isObject()) {
                colors[static_cast<size_t>(i)] = ReadColor(entry);
            } else {
                WriteColor(entry, LightColorInfo{});
            }
        }
    }
    customLightColors = colors;
    return colors;
}

std::vector<LightColorInfo> CKeyboardProfiledata::PeekCustomLightColors(int group,
                                                                        int count) const {
    count = std::clamp(count, 0, kMaxKeys);
    std::vector<LightColorInfo> colors(static_cast<size_t>(count));
    const Json::Value& entries =
        Item(Member(Member(activeRecord, "CustomLightMode"), "LightColorInfo"), group);
    for (int i = 0; i < count; ++i) {
        colors[static_cast<size_t>(i)] = ReadColor(Item(entries, i));
    }
    return colors;
}

void CKeyboardProfiledata::SetCustomLightColors(int group,
                                                const std::vector<LightColorInfo>& colors) {
    customLightColors = colors;
    if (!GroupInRange(group)) {
        return;
    }
    Json::Value& groups = MemberRef(MemberRef(activeRecord, "CustomLightMode"), "LightColorInfo");
    Json::Value& entries = json::ItemRef(groups, static_cast<uint32_t>(group));
    const size_t n = std::min<size_t>(colors.size(), kMaxKeys);
    for (size_t i = 0; i < n; ++i) {
        WriteColor(json::ItemRef(entries, static_cast<uint32_t>(i)), colors[i]);
    }
}

// --- mouse ---------------------------------------------------------------------

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& v = Member(activeRecord, "DPIStages");
    if (!v.isNull()) {
        activeDpiStage = json::Int32(Member(v, "StageActive"));
        const Json::Value& list = Member(v, "StageDPIs");
        const int64_t n = std::min<int64_t>(json::Size(list), kMaxDpiStages);
        for (int64_t i = 0; i < n; ++i) {
            const Json::Value& item = Item(list, i);
            DpiStage s;
            s.StageActive = Byte(Member(item, "StageActive"));
            s.StageColorB = Byte(Member(item, "StageColorB"));
            s.StageColorG = Byte(Member(item, "StageColorG"));
            s.StageColorR = Byte(Member(item, "StageColorR"));
            s.StageXY = Byte(Member(item, "StageXY"));
            s.StageDPIX = Word(Member(item, "StageDPIX"));
            s.StageDPIY = Word(Member(item, "StageDPIY"));
            if (static_cast<size_t>(i) < dpiStages.size()) {
                dpiStages[static_cast<size_t>(i)] = s;
            } else {
                dpiStages.push_back(s);
            }
        }
    }
    return dpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages = stages;
    if (dpiStages.size() > static_cast<size_t>(kMaxDpiStages)) {
        dpiStages.resize(kMaxDpiStages);
    }
    Json::Value& list = MemberRef(MemberRef(activeRecord, "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < dpiStages.size(); ++i) {
        Json::Value& item = json::AsObject(json::ItemRef(list, static_cast<uint32_t>(i)));
        const DpiStage& s = dpiStages[i];
        item["StageActive"] = Bytes(s.StageActive);
        item["StageXY"] = Bytes(s.StageXY);
        item["StageDPIX"] = (s.StageDPIX & 0xFF) + 256 * (s.StageDPIX >> 8);
        item["StageDPIY"] = (s.StageDPIY & 0xFF) + 256 * (s.StageDPIY >> 8);
        item["StageColorR"] = Bytes(s.StageColorR);
        item["StageColorG"] = Bytes(s.StageColorG);
        item["StageColorB"] = Bytes(s.StageColorB);
    }
}

void CMouseProfiledata::SetActiveDpiStage(int stage) {
    activeDpiStage = stage;
    MemberRef(MemberRef(activeRecord, "DPIStages"), "StageActive") = stage;
}

MouseSystemStages CMouseProfiledata::GetSystemStages() {
    const Json::Value& v = Member(activeRecord, "SystemStages");
    MouseSystemStages s;
    s.DoubleClickTime = Word(Member(v, "DoubleClickTime"));
    s.MouseSpeed = Word(Member(v, "MouseSpeed"));
    s.PointerPrecision = Word(Member(v, "PointerPrecision"));
    s.ScorllPage = Word(Member(v, "ScorllPage"));
    s.WheelScorlllinse = Word(Member(v, "WheelScorlllinse"));
    s.Logoledmode = Word(Member(v, "Logoledmode"));
    s.AntiShakeTime = Word(Member(v, "AntiShakeTime"));
    const Json::Value& r = Member(activeRecord, "ReportStages");
    if (!r.isNull()) {
        s.ReportRate = Word(Member(r, "StageActive"));
        s.ble_sleep1 = Word(Member(r, "ble_sleep1"));
        s.ble_sleep2 = Word(Member(r, "ble_sleep2"));
        s.device_sleep1 = Word(Member(r, "device_sleep1"));
        s.device_sleep2 = Word(Member(r, "device_sleep2"));
    }
    systemStages = s;
    return systemStages;
}

void CMouseProfiledata::SetSystemStages(const MouseSystemStages& value) {
    systemStages = value;
    Json::Value& v = json::AsObject(MemberRef(activeRecord, "SystemStages"));
    v["DoubleClickTime"] = value.DoubleClickTime;
    v["MouseSpeed"] = value.MouseSpeed;
    v["PointerPrecision"] = value.PointerPrecision;
    v["ScorllPage"] = value.ScorllPage;
    v["WheelScorlllinse"] = value.WheelScorlllinse;
    v["Logoledmode"] = value.Logoledmode;
    v["AntiShakeTime"] = value.AntiShakeTime;
    Json::Value& r = json::AsObject(MemberRef(activeRecord, "ReportStages"));
    r["StageActive"] = value.ReportRate;
    r["ble_sleep1"] = value.ble_sleep1;
    r["ble_sleep2"] = value.ble_sleep2;
    r["device_sleep1"] = value.device_sleep1;
    r["device_sleep2"] = value.device_sleep2;
}

// --- headset -------------------------------------------------------------------

std::vector<int32_t> CRi6533Profiledata::ReadBands(const char* key, int index) {
    std::vector<int32_t> values;
    Json::Value& curve = json::ItemRef(MemberRef(activeRecord, key), static_cast<uint32_t>(index));
    for (int b = 0; b < kMaxEqBands; ++b) {
        Json::Value& band = json::ItemRef(curve, static_cast<uint32_t>(b));
        const std::optional<int64_t> value = json::Int(Member(band, "value"));
        if (!value) {
            MemberRef(band, "value") = 0;
        }
        values.push_back(static_cast<int32_t>(value.value_or(0)));
    }
    return values;
}

void CRi6533Profiledata::WriteBands(const char* key, int index,
                                    const std::vector<int32_t>& values) {
    Json::Value& curve = json::ItemRef(MemberRef(activeRecord, key), static_cast<uint32_t>(index));
    const size_t n = std::min<size_t>(values.size(), kMaxEqBands);
    for (size_t b = 0; b < n; ++b) {
        MemberRef(json::ItemRef(curve, static_cast<uint32_t>(b)), "value") = values[b];
    }
}

std::vector<int32_t> CRi6533Profiledata::GetPresetEq(int eqType) {
    if (eqType == 13) {
        eqValues.clear();
        return eqValues;
    }
    const int preset = eqType >= 1 && eqType <= kMaxEqPresets ? eqType : 1;
    eqValues = ReadBands("EQHzValueInfo", preset);
    return eqValues;
}

void CRi6533Profiledata::SetPresetEq(int index, const std::vector<int32_t>& values) {
    if (index >= 0 && index <= kMaxEqPresets) {
        WriteBands("EQHzValueInfo", index, values);
    }
}

std::vector<int32_t> CRi6533Profiledata::GetCustomEq(int index) {
    if (index < 0 || index >= kMaxCustomEqs) {
        return {};
    }
    eqValues = ReadBands("CustomEQHzValueInfo", index);
    return eqValues;
}

void CRi6533Profiledata::SetCustomEq(int index, const std::vector<int32_t>& values) {
    if (index >= 0 && index < kMaxCustomEqs) {
        WriteBands("CustomEQHzValueInfo", index, values);
    }
}

std::vector<std::string> CRi6533Profiledata::GetCustomEqNames() const {
    std::vector<std::string> names;
    const Json::Value& list = Member(activeRecord, "CustomEQNameInfo");
    const int64_t n = std::min<int64_t>(json::Size(list), kMaxCustomEqs);
    for (int64_t i = 0; i < n; ++i) {
        names.push_back(json::StringOr(Member(Item(list, i), "Name")));
    }
    return names;
}

void CRi6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    const size_t n = std::min<size_t>(names.size(), kMaxCustomEqs);
    for (size_t i = 0; i < n; ++i) {
        Json::Value item(Json::objectValue);
        item["Name"] = names[i];
        list.append(item);
    }
    MemberRef(activeRecord, "CustomEQNameInfo") = list;
}

SystemSetStages CRi6533Profiledata::GetSystemSetStages() {
    const Json::Value& v = Member(activeRecord, "SystemSetStages");
    SystemSetStages s;
    s.MagicEnable = json::Int32(Member(v, "MagicEnable"));
    s.MagicType = json::Int32(Member(v, "MagicType"));
    s.EqType = json::Int32(Member(v, "EqType"));
    s.CustomEqSeletIndex = json::Int32(Member(v, "CustomEqSeletIndex"));
    s.MicInSelect = json::Int32(Member(v, "MicInSelect"));
    s.MicInValue = json::Int32(Member(v, "MicInValue"));
    s.MicMoniterSelect = json::Int32(Member(v, "MicMoniterSelect"));
    s.MicMoniterValue = json::Int32(Member(v, "MicMoniterValue"));
    systemSetStages = s;
    return systemSetStages;
}

void CRi6533Profiledata::SetSystemSetStages(const SystemSetStages& value) {
    systemSetStages = value;
    Json::Value& v = json::AsObject(MemberRef(activeRecord, "SystemSetStages"));
    v["MagicEnable"] = value.MagicEnable;
    v["MagicType"] = value.MagicType;
    v["EqType"] = value.EqType;
    v["CustomEqSeletIndex"] = value.CustomEqSeletIndex;
    v["MicInSelect"] = value.MicInSelect;
    v["MicInValue"] = value.MicInValue;
    v["MicMoniterSelect"] = value.MicMoniterSelect;
    v["MicMoniterValue"] = value.MicMoniterValue;
}

}  // namespace profile
