#include "device/keyboard_protocol.h"

#include <json/value.h>

#include <algorithm>
#include <cstring>

#include "platform/paths.h"
#include "profile/json_file_store.h"

namespace device {

const std::array<KeyCode, kKeyButtons>& KeyboardDefaultCodes() {
    static const std::array<KeyCode, kKeyButtons> table = [] {
        static const KeyCode first[130] = {
            {0x20, 0x00, 0x29}, {0x20, 0x00, 0x3A}, {0x20, 0x00, 0x3B}, {0x20, 0x00, 0x3C},
            {0x20, 0x00, 0x3D}, {0x20, 0x00, 0x3E}, {0x20, 0x00, 0x3F}, {0x20, 0x00, 0x40},
            {0x20, 0x00, 0x41}, {0x20, 0x00, 0x42}, {0x20, 0x00, 0x43}, {0x20, 0x00, 0x44},
            {0x20, 0x00, 0x45}, {0x20, 0x00, 0x46}, {0x20, 0x00, 0x47}, {0x20, 0x00, 0x48},
            {0xA0, 0x47, 0x00}, {0xA0, 0x47, 0x01}, {0xA0, 0x47, 0x02}, {0xA0, 0x47, 0x03},
            {0x20, 0x00, 0x00}, {0x20, 0x00, 0x35}, {0x20, 0x00, 0x1E}, {0x20, 0x00, 0x1F},
            {0x20, 0x00, 0x20}, {0x20, 0x00, 0x21}, {0x20, 0x00, 0x22}, {0x20, 0x00, 0x23},
            {0x20, 0x00, 0x24}, {0x20, 0x00, 0x25}, {0x20, 0x00, 0x26}, {0x20, 0x00, 0x27},
            {0x20, 0x00, 0x2D}, {0x20, 0x00, 0x2E}, {0x20, 0x00, 0x2A}, {0x20, 0x00, 0x49},
            {0x20, 0x00, 0x4A}, {0x20, 0x00, 0x4B}, {0x20, 0x00, 0x53}, {0x20, 0x00, 0x54},
            {0x20, 0x00, 0x55}, {0x20, 0x00, 0x56}, {0x20, 0x00, 0x2B}, {0x20, 0x00, 0x14},
            {0x20, 0x00, 0x1A}, {0x20, 0x00, 0x08}, {0x20, 0x00, 0x15}, {0x20, 0x00, 0x17},
            {0x20, 0x00, 0x1C}, {0x20, 0x00, 0x18}, {0x20, 0x00, 0x0C}, {0x20, 0x00, 0x12},
            {0x20, 0x00, 0x13}, {0x20, 0x00, 0x2F}, {0x20, 0x00, 0x30}, {0x20, 0x00, 0x31},
            {0x20, 0x00, 0x4C}, {0x20, 0x00, 0x4D}, {0x20, 0x00, 0x4E}, {0x20, 0x00, 0x5F},
            {0x20, 0x00, 0x60}, {0x20, 0x00, 0x61}, {0x20, 0x00, 0x32}, {0x20, 0x00, 0x39},
            {0x20, 0x00, 0x04}, {0x20, 0x00, 0x16}, {0x20, 0x00, 0x07}, {0x20, 0x00, 0x09},
            {0x20, 0x00, 0x0A}, {0x20, 0x00, 0x0B}, {0x20, 0x00, 0x0D}, {0x20, 0x00, 0x0E},
            {0x20, 0x00, 0x0F}, {0x20, 0x00, 0x33}, {0x20, 0x00, 0x34}, {0x20, 0x00, 0x28},
            {0x20, 0x00, 0x5C}, {0x20, 0x00, 0x5D}, {0x20, 0x00, 0x5E}, {0x20, 0x00, 0x8A},
            {0x20, 0x00, 0x8B}, {0x20, 0x00, 0x90}, {0x20, 0x00, 0x91}, {0x20, 0x00, 0x88},
            {0x20, 0x02, 0x00}, {0x20, 0x00, 0x1D}, {0x20, 0x00, 0x1B}, {0x20, 0x00, 0x06},
            {0x20, 0x00, 0x19}, {0x20, 0x00, 0x05}, {0x20, 0x00, 0x11}, {0x20, 0x00, 0x10},
            {0x20, 0x00, 0x36}, {0x20, 0x00, 0x37}, {0x20, 0x00, 0x38}, {0x20, 0x20, 0x00},
            {0x20, 0x00, 0x52}, {0x20, 0x00, 0x59}, {0x20, 0x00, 0x5A}, {0x20, 0x00, 0x5B},
            {0x20, 0x00, 0x87}, {0x20, 0x00, 0x89}, {0x20, 0x00, 0x64}, {0x20, 0x00, 0x85},
            {0x20, 0x00, 0x00}, {0x20, 0x01, 0x00}, {0x20, 0x08, 0x00}, {0x20, 0x04, 0x00},
            {0x20, 0x00, 0x2C}, {0x20, 0x40, 0x00}, {0xA0, 0x01, 0x00}, {0x20, 0x00, 0x65},
            {0x20, 0x10, 0x00}, {0x20, 0x00, 0x50}, {0x20, 0x00, 0x51}, {0x20, 0x00, 0x4F},
            {0x20, 0x00, 0x62}, {0x20, 0x00, 0x63}, {0x20, 0x00, 0x58}, {0x20, 0x00, 0x57},
            {0xD0, 0xA2, 0x01}, {0xD0, 0xA2, 0x02}, {0xD0, 0xA2, 0x03}, {0xD0, 0xA2, 0x04},
            {0xD0, 0xA2, 0x05}, {0x20, 0x80, 0x00}, {0x30, 0xE2, 0x00}, {0x30, 0x92, 0x01},
            {0x20, 0x08, 0x0F}, {0x20, 0x08, 0x07}};
        std::array<KeyCode, kKeyButtons> t{};
        for (size_t j = 0; j < t.size(); ++j) {
            t[j] = j < 130 ? first[j] : KeyCode{0x20, 0x00, 0x00};
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
