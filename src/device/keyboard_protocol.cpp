#include "device/keyboard_protocol.h"

#include <json/value.h>

#include <algorithm>
#include <cstring>

#include "hid/keyboard_factory_codes.h"
#include "platform/paths.h"
#include "profile/json_file_store.h"

namespace device {

const std::array<KeyCode, kKeyButtons>& KeyboardDefaultCodes() {
    static const std::array<KeyCode, kKeyButtons> table = [] {
        std::array<KeyCode, kKeyButtons> t{};
        for (size_t j = 0; j < t.size(); ++j) {
            t[j] = j < hid::kFactoryKeyCodeCount ? hid::KeyboardFactoryCodes()[j]
                                                 : KeyCode{0x20, 0x00, 0x00};
        }
        return t;
    }();
    return table;
}

DeviceLightRecord DeviceLightRecord::Build(uint8_t value, uint8_t modeValue,
                                           const profile::LightInfo& light,
                                           const profile::KeyboardSystemStages& stages,
                                           const std::array<uint8_t, kSize>& previous) {
    DeviceLightRecord r;
    auto& b = r.bytes;
    b[0] = value;
    b[1] = modeValue;
    b[2] = light.Light;
    b[3] = SpeedToDevice(light.Speed);
    b[4] = light.Fx;
    b[5] = light.MultiColor;
    b[6] = light.Red;
    b[7] = light.Green;
    b[8] = light.Blue;
    // Bytes 13 and 14 belong to the firmware: hand back what it gave us.
    b[13] = previous[13];
    b[14] = previous[14];
    b[16] = light.CloseBkLight;
    b[18] = light.ZZCCLedMode;
    b[19] = static_cast<uint8_t>(stages.WFlag);
    b[20] = static_cast<uint8_t>(stages.Key6Flag);
    b[21] = static_cast<uint8_t>(stages.WinFlag);
    b[22] = static_cast<uint8_t>(std::min<uint16_t>(stages.PollingRate, 3));
    b[25] = light.CustomGroup;
    return r;
}

bool ModeValueOf(const std::vector<int>& modeValues, int index, uint8_t& value) {
    if (index < 0 || index >= static_cast<int>(modeValues.size())) {
        return false;
    }
    const int v = modeValues[static_cast<size_t>(index)];
    if (v == 29 || v == 30) {
        value = DeviceLightRecord::kProgramDriven;
        return true;
    }
    if (v < 0 || v > 255) {
        return false;
    }
    value = static_cast<uint8_t>(v);
    return true;
}

int ModeIndexOf(const std::vector<int>& modeValues, uint8_t value) {
    for (size_t i = 0; i < modeValues.size(); ++i) {
        if (modeValues[i] == value) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

size_t MacroImage::SizeFor(const std::vector<std::vector<macro::MacroEvent>>& macros) {
    size_t size = kHeaderSize + 6 * macros.size();
    for (const auto& m : macros) {
        size += 4 * m.size();
    }
    return size;
}

namespace {
void Put16(std::vector<uint8_t>& out, size_t at, size_t v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
}  // namespace

std::vector<uint8_t> MacroImage::Build(const std::vector<std::vector<macro::MacroEvent>>& macros) {
    const size_t size = SizeFor(macros);
    std::vector<uint8_t> image(size, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    Put16(image, 2, size);
    Put16(image, 4, macros.size());
    size_t at = kHeaderSize + 2 * macros.size();
    for (size_t p = 0; p < macros.size(); ++p) {
        Put16(image, kHeaderSize + 2 * p, at);
        Put16(image, at, macros[p].size());
        at += 4;
        for (const macro::MacroEvent& e : macros[p]) {
            Put16(image, at, e.delay);
            image[at + 2] = static_cast<uint8_t>((e.type & 0x7F) | (e.down ? 0x80 : 0));
            image[at + 3] = e.button;
            at += 4;
        }
    }
    return image;
}

KeyMaps BuildKeyMaps(const uint8_t* keyDefaults, const uint8_t* keyLeds, int keyCount) {
    KeyMaps maps;
    keyCount = std::clamp(keyCount, 0, kMaxDeviceKeys);
    maps.keyCount = keyCount;
    const auto& codes = KeyboardDefaultCodes();
    for (int j = 0; j < kKeyButtons; ++j) {
        for (int k = 0; k < keyCount; ++k) {
            if (std::memcmp(keyDefaults + 3 * k, codes[static_cast<size_t>(j)].data(), 3) == 0) {
                maps.deviceIndex[static_cast<size_t>(j)] = static_cast<uint8_t>(k);
                maps.led[static_cast<size_t>(j)] = keyLeds[k];
                break;
            }
        }
    }
    return maps;
}

std::vector<int> DownloadKeys(const KeyMaps& maps, size_t listSize) {
    std::vector<int> keys;
    std::array<bool, 256> taken{};
    for (int j = 0; j < kKeyButtons && static_cast<size_t>(j) < listSize; ++j) {
        const uint8_t k = maps.deviceIndex[static_cast<size_t>(j)];
        if (k == kUnmappedKey || taken[k]) {
            continue;
        }
        taken[k] = true;
        keys.push_back(j);
    }
    return keys;
}

std::vector<int> CollectMacroRefs(const KeyMaps& maps,
                                  const std::vector<profile::KeyListEntry>& list, int macroCount) {
    std::vector<int> refs;
    for (int j : DownloadKeys(maps, list.size())) {
        const profile::KeyAssignment& a = list[static_cast<size_t>(j)].Assignment;
        if (a.IsMacro() && a.code1 < macroCount &&
            std::find(refs.begin(), refs.end(), a.code1) == refs.end()) {
            refs.push_back(a.code1);
        }
    }
    return refs;
}

std::vector<uint8_t> BuildKeyTable(const KeyMaps& maps, const uint8_t* keyDefaults,
                                   const std::vector<profile::KeyListEntry>& list, int macroCount) {
    std::vector<uint8_t> table(keyDefaults, keyDefaults + 3 * maps.keyCount);
    std::vector<int> used;
    for (int j : DownloadKeys(maps, list.size())) {
        const size_t k = maps.deviceIndex[static_cast<size_t>(j)];
        if (static_cast<int>(k) >= maps.keyCount) {
            continue;
        }
        profile::KeyAssignment e = list[static_cast<size_t>(j)].Assignment;
        if (e.IsMacro()) {
            if (e.code1 < macroCount) {
                auto it = std::find(used.begin(), used.end(), e.code1);
                if (it == used.end()) {
                    used.push_back(e.code1);
                    it = used.end() - 1;
                }
                e.code1 = static_cast<uint8_t>(it - used.begin());
            } else {
                e = list[static_cast<size_t>(j)].DefaultAssignment;
            }
        }
        table[3 * k] = e.type;
        table[3 * k + 1] = e.code1;
        table[3 * k + 2] = e.code2;
    }
    return table;
}

MacroList ReadMacroList(const std::string& folder) {
    MacroList list;
    if (folder.empty()) {
        return list;
    }
    Json::Value document;
    const profile::JsonStatus status =
        profile::JsonFileStore().ParseJsonFile(folder + "macro.config", document);
    if (status != profile::JsonStatus::Ok) {
        list.broken = status != profile::JsonStatus::Missing;
        return list;
    }
    const Json::Value& info = document["MacroInfo"];
    list.ok = true;
    if (!info.isArray()) {
        return list;
    }
    for (const Json::Value& item : info) {
        const Json::Value& guid = item.isObject() ? item["Guid"] : Json::Value::nullSingleton();
        list.guids.push_back(guid.isString() ? guid.asString() : std::string());
    }
    return list;
}

}  // namespace device
