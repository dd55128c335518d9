// ParseJsonText followed by every profile getter: no input may crash, hang
// or grow memory beyond the document's own size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profile/json_file_store.h"
#include "profile/profile_data.h"

namespace {

class Probe : public profile::CKeyboardProfiledata {
  public:
    void Use(const Json::Value& record) { activeRecord = record; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Json::Value document;
    if (!profile::ParseJsonText(std::string(reinterpret_cast<const char*>(data), size), document)) {
        return 0;
    }
    const Json::Value record = document["Device"].isArray() ? document["Device"][0] : document;
    Probe keyboard;
    keyboard.Use(record);
    keyboard.GetLightInfo();
    keyboard.GetAudioLightInfo();
    keyboard.GetLightList();
    keyboard.GetKeyList();
    keyboard.GetSystemStages();
    keyboard.GetCustomLightModeGroupIndex();
    keyboard.PeekCustomLightColors(keyboard.GetLightInfo().CustomGroup, 170);
    keyboard.GetCustomLightColors(keyboard.GetLightInfo().CustomGroup, 170);
    std::vector<profile::KeyListEntry> keys = keyboard.GetKeyList();
    profile::CBasicProfiledata::RenumberMacroReferences(keys, 1);
    keyboard.SetKeyList(keys);

    // The mouse and headset getters read through the same record.
    struct MouseProbe : profile::CMouseProfiledata {
        void Use(const Json::Value& r) { activeRecord = r; }
    } m;
    m.Use(record);
    m.GetDpiStages();
    m.GetSystemStages();
    struct HeadsetProbe : profile::CRi6533Profiledata {
        void Use(const Json::Value& r) { activeRecord = r; }
    } h;
    h.Use(record);
    h.GetSystemSetStages();
    h.GetPresetEq(h.GetSystemSetStages().EqType);
    h.GetCustomEq(h.GetSystemSetStages().CustomEqSeletIndex);
    h.GetCustomEqNames();
    profile::StyledJsonText(document);
    return 0;
}
