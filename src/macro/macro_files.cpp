#include "macro/macro_files.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/file_io.h"
#include "profile/default_data.h"
#include "profile/identifiers.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

namespace macro {

namespace json = profile::json;

namespace {

uint16_t ClampDelay(int64_t value) {
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 65535));
}

// A decimal string-to-integer conversion that saturates instead of overflowing.
int64_t ParseDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(kLimit, value * 10 + (text[i] - '0'));
    }
    return negative ? -value : value;
}

size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

Json::Value EventsDocument(const std::vector<MacroEvent>& events, const std::string& guid,
                           const std::string& name) {
    Json::Value document(Json::objectValue);
    Json::Value list(Json::arrayValue);
    for (const MacroEvent& e : events) {
        Json::Value item(Json::objectValue);
        item["Action"] = e.down ? "down" : "up";
        item["Type"] = e.type;
        item["Button"] = e.button;
        item["Delay"] = std::to_string(std::max(e.delay, kMinSavedDelay));
        list.append(item);
    }
    document["Events"] = list;
    document["Guid"] = guid;
    document["MacroName"] = name;
    document["Version"] = kMacroFileVersion;
    return document;
}

}  // namespace

uint16_t ParseDelay(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return ClampDelay(value.asInt64());
        case Json::uintValue:
            return ClampDelay(static_cast<int64_t>(
                std::min<uint64_t>(value.asUInt64(), std::numeric_limits<int64_t>::max())));
        case Json::realValue: {
            const double d = value.asDouble();
            if (!std::isfinite(d)) {
                return 0;
            }
            return ClampDelay(static_cast<int64_t>(std::clamp(d, -1.0, 65536.0)));
        }
        case Json::stringValue:
            return ClampDelay(ParseDecimal(value.asString()));
        default:
            return 0;
    }
}

std::vector<MacroEvent> ParseMacroEvents(const Json::Value& document) {
    std::vector<MacroEvent> events;
    const Json::Value& list = json::Member(document, "Events");
    for (int64_t i = 0; i < json::Size(list); ++i) {
        const Json::Value& item = json::Item(list, i);
        if (!item.isObject()) {
            continue;
        }
        const int64_t type = json::IntOr(json::Member(item, "Type"), 0);
        const int64_t button = json::IntOr(json::Member(item, "Button"), 0);
        // The device packs the type into seven bits and the button into one byte.
        if (type < 0 || type > 127 || button < 0 || button > 255) {
            continue;
        }
        MacroEvent e;
        e.down = json::StringOr(json::Member(item, "Action")) == "down";
        e.type = static_cast<uint8_t>(type);
        e.button = static_cast<uint8_t>(button);
        e.delay = ParseDelay(json::Member(item, "Delay"));
        events.push_back(e);
    }
    return events;
}

std::vector<MacroEvent> LoadMacroFile(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    return ParseMacroEvents(profile::JsonFileStore().ParseJsonFile(path));
}

std::string CheckMacroName(const std::string& name, const std::vector<std::string>& names) {
    if (!name.empty() && name.front() == ' ') {
        return "message_text_5_2";
    }
    if (profile::Trim(name).empty()) {
        return "message_text_5_1";
    }
    if (name.find_first_of("<>:\" /\\|?#%&*=") != std::string::npos) {
        return "message_text_37";
    }
    for (const std::string& other : names) {
        if (profile::EqualsNoCase(other, name)) {
            return "message_text_5";
        }
    }
    return {};
}

std::string DefaultMacroName(const std::vector<std::string>& names) {
    for (int n = 1;; ++n) {
        const std::string candidate = "macro_" + std::to_string(n);
        bool used = false;
        for (const std::string& name : names) {
            used = used || profile::EqualsNoCase(name, candidate);
        }
        if (!used) {
            return candidate;
        }
    }
}

MacroFiles::MacroFiles(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/') {
        folder_ += '/';
    }
}

bool MacroFiles::ReadList(Json::Value& document) const {
    const profile::JsonStatus status = profile::JsonFileStore().ParseJsonFile(ListPath(), document);
    if (status == profile::JsonStatus::Missing) {
        document = Json::Value(Json::objectValue);
        return true;
    }
    return status == profile::JsonStatus::Ok;
}

std::vector<std::string> MacroFiles::Names() const {
    return profile::ReadMacroNames(ListPath());
}

int MacroFiles::Count() const {
    Json::Value document;
    ReadList(document);
    return static_cast<int>(json::Size(json::Member(document, "MacroInfo")));
}

std::string MacroFiles::Guid(int index) const {
    Json::Value document;
    ReadList(document);
    return json::StringOr(
        json::Member(json::Item(json::Member(document, "MacroInfo"), index), "Guid"));
}

std::string MacroFiles::MacroPath(int index) const {
    std::string guid;
    std::string name;
    return Entry(index, guid, name) ? folder_ + guid + ".mac" : std::string();
}

int MacroFiles::AppendEntry(Json::Value& document, const std::string& name, const std::string& guid,
                            int* index) {
    Json::Value& list = json::MemberRef(document, "MacroInfo");
    if (!list.isArray()) {
        if (!list.isNull() && !platform::KeepBackup(ListPath())) {
            return kWriteFailed;
        }
        list = Json::Value(Json::arrayValue);
    }
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    list.append(entry);
    if (!profile::JsonFileStore().WriteJsonFile(ListPath(), document)) {
        return kWriteFailed;
    }
    if (index != nullptr) {
        *index = static_cast<int>(list.size()) - 1;
    }
    return kDone;
}

int MacroFiles::Create(const std::string& name, int* index) {
    Json::Value document;
    if (!ReadList(document)) {
        return kListBroken;
    }
    if (json::Size(json::Member(document, "MacroInfo")) >= kMaxMacros) {
        return kListFull;
    }
    const std::string chosen = name.empty() ? DefaultMacroName(Names()) : name;
    return AppendEntry(document, chosen, profile::MakeTimestampId(folder_, ".mac"), index);
}

int MacroFiles::Rename(int index, const std::string& name, std::string* messageId) {
    Json::Value document;
    if (!ReadList(document)) {
        return kListBroken;
    }
    Json::Value& list = json::MemberRef(document, "MacroInfo");
    if (index < 0 || index >= json::Size(list)) {
        return kBadIndex;
    }
    const std::string message = CheckMacroName(name, Names());
    if (messageId != nullptr) {
        *messageId = message;
    }
    if (!message.empty()) {
        return kBadName;
    }
    json::MemberRef(list[static_cast<Json::ArrayIndex>(index)], "MacroName") = name;
    return profile::JsonFileStore().WriteJsonFile(ListPath(), document) ? kDone : kWriteFailed;
}

int MacroFiles::Delete(int index, const std::function<void(int)>& renumber) {
    Json::Value document;
    if (!ReadList(document)) {
        return kListBroken;
    }
    Json::Value& list = json::MemberRef(document, "MacroInfo");
    if (index < 0 || index >= json::Size(list)) {
        return kBadIndex;
    }
    const std::string path = MacroPath(index);
    Json::Value removed;
    list.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!profile::JsonFileStore().WriteJsonFile(ListPath(), document)) {
        return kWriteFailed;
    }
    if (renumber) {
        renumber(index);
    }
    if (!path.empty()) {
        platform::RemoveFile(path);
    }
    return kDone;
}

bool MacroFiles::Entry(int index, std::string& guid, std::string& name) const {
    Json::Value document;
    ReadList(document);
    const Json::Value& entry = json::Item(json::Member(document, "MacroInfo"), index);
    guid = json::StringOr(json::Member(entry, "Guid"));
    name = json::StringOr(json::Member(entry, "MacroName"));
    return profile::IsPlainIdentifier(guid);
}

int MacroFiles::Save(int index, const std::vector<MacroEvent>& events) {
    std::string guid;
    std::string name;
    if (!Entry(index, guid, name)) {
        return kBadIndex;
    }
    return profile::JsonFileStore().WriteJsonFile(folder_ + guid + ".mac",
                                                  EventsDocument(events, guid, name))
               ? kDone
               : kWriteFailed;
}

std::vector<MacroEvent> MacroFiles::Load(int index) const {
    return LoadMacroFile(MacroPath(index));
}

int MacroFiles::Export(int index, const std::string& path) const {
    std::string guid;
    std::string name;
    if (!Entry(index, guid, name)) {
        return kBadIndex;
    }
    std::string bytes;
    if (platform::ReadRegularFile(folder_ + guid + ".mac", bytes) != platform::ReadResult::Ok) {
        // A macro that was never saved has no file: export it without events.
        bytes = profile::StyledJsonText(EventsDocument({}, guid, name));
    }
    return platform::WriteFileAtomically(path, bytes) ? kDone : kWriteFailed;
}

int MacroFiles::Import(const std::string& path, int* index, bool* cut) {
    if (cut != nullptr) {
        *cut = false;
    }
    const size_t slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = file.rfind('.');
    const std::string stem = dot == std::string::npos ? file : file.substr(0, dot);
    if (CharacterCount(file) > 14 || CharacterCount(stem) > 10) {
        return kNameTooLong;
    }
    Json::Value document;
    if (!ReadList(document)) {
        return kListBroken;
    }
    if (json::Size(json::Member(document, "MacroInfo")) >= kMaxMacros) {
        return kListFull;
    }
    const std::vector<std::string> names = Names();
    auto used = [&names](const std::string& candidate) {
        for (const std::string& name : names) {
            if (profile::EqualsNoCase(name, candidate)) {
                return true;
            }
        }
        return false;
    };
    std::string name = stem;
    for (int n = 2; used(name); ++n) {
        name = std::to_string(n);
    }
    std::string bytes;
    if (platform::ReadRegularFile(path, bytes) != platform::ReadResult::Ok) {
        return kWriteFailed;
    }
    // The macro file first, then the list entry: no entry without its file.
    const std::string guid = profile::MakeTimestampId(folder_, ".mac");
    const std::string target = folder_ + guid + ".mac";
    Json::Value events;
    if (profile::ParseJsonText(bytes, events)) {
        Json::Value& list = events["Events"];
        if (list.isArray() && list.size() > static_cast<Json::ArrayIndex>(kMaxImportedEvents)) {
            Json::Value kept(Json::arrayValue);
            for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(kMaxImportedEvents);
                 ++i) {
                kept.append(list[i]);
            }
            list = kept;
            bytes = profile::StyledJsonText(events);
            if (cut != nullptr) {
                *cut = true;
            }
        }
    }
    if (!platform::WriteFileAtomically(target, bytes)) {
        return kWriteFailed;
    }
    const int result = AppendEntry(document, name, guid, index);
    if (result != kDone) {
        platform::RemoveFile(target);
    }
    return result;
}

}  // namespace macro
