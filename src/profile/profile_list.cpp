#include "profile/profile_list.h"

#include <filesystem>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/debug_output.h"
#include "platform/file_io.h"
#include "profile/identifiers.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

namespace profile {
namespace {

constexpr const char* kListFileName = "ProfileList.ini";
constexpr const char* kProfileExtension = ".Json";

// Length of a name in the single/double-byte code page the limit was set for:
// ASCII counts one byte, every other character two.
size_t AnsiLength(const std::string& text) {
    size_t length = 0;
    for (unsigned char c : text) {
        if (c < 0x80) {
            ++length;
        } else if ((c & 0xC0) != 0x80) {
            length += 2;
        }
    }
    return length;
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

Json::Value NewEntry(const std::string& name, const std::string& uuid) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

}  // namespace

void ProfileList::SetProfilePaths(const std::string& profileDir,
                                  const std::string& defaultDataFile) {
    profileDir_ = profileDir;
    if (!profileDir_.empty() && profileDir_.back() != '/') {
        profileDir_ += '/';
    }
    defaultDataFile_ = defaultDataFile;
    listPath_ = profileDir_ + kListFileName;
}

std::string ProfileList::PathOf(const std::string& uuid) const {
    return IsPlainIdentifier(uuid) ? profileDir_ + uuid + kProfileExtension : std::string();
}

bool ProfileList::ReadList(List& list) const {
    list = List();
    Json::Value document;
    const JsonStatus status = JsonFileStore().ParseJsonFile(listPath_, document);
    if (status == JsonStatus::Unusable || status == JsonStatus::Invalid) {
        return false;
    }
    list.document = status == JsonStatus::Ok ? document : Json::Value(Json::objectValue);
    const Json::Value& items = json::Member(list.document, "profilelist");
    bool dropped = false;
    for (int64_t i = 0; i < json::Size(items); ++i) {
        const Json::Value& item = json::Item(items, i);
        const auto name = json::String(json::Member(item, "profilename"));
        const auto uuid = json::String(json::Member(item, "profileUUID"));
        // An entry whose identifier is not a plain file name is never used.
        if (!name || !uuid || !IsPlainIdentifier(*uuid) ||
            list.entries.size() >= static_cast<size_t>(kMaxProfiles)) {
            dropped = true;
            continue;
        }
        list.entries.push_back({*name, *uuid, item});
    }
    // The file stays in use, so it is only linked; a rewrite drops the
    // entries, which must not happen unless they were kept.
    if (dropped && !platform::KeepBackup(listPath_, platform::BackupWay::LinkOnly)) {
        platform::DebugOutput("profile list could not be kept as .bak; it is not rewritten");
        list.locked = true;
    }
    const int64_t select = json::IntOr(json::Member(list.document, "profileselect"), 0);
    list.select = select >= 0 && select < static_cast<int64_t>(list.entries.size())
                      ? static_cast<int>(select)
                      : 0;
    return true;
}

bool ProfileList::WriteList(List& list) const {
    if (list.locked) {
        return false;
    }
    Json::Value items(Json::arrayValue);
    for (Entry& entry : list.entries) {
        json::AsObject(entry.raw);
        entry.raw["profilename"] = entry.name;
        entry.raw["profileUUID"] = entry.uuid;
        items.append(entry.raw);
    }
    json::AsObject(list.document);
    list.document["profilelist"] = items;
    list.document["profileselect"] = list.select;
    return JsonFileStore().WriteJsonFile(listPath_, list.document);
}

void ProfileList::Mirror(const List& list) {
    names_.clear();
    uuids_.clear();
    for (const Entry& entry : list.entries) {
        names_.push_back(entry.name);
        uuids_.push_back(entry.uuid);
    }
    if (selected_ >= static_cast<int>(names_.size())) {
        selected_ = names_.empty() ? -1 : static_cast<int>(names_.size()) - 1;
    }
}

Json::Value ProfileList::Template() const {
    Json::Value document = JsonFileStore().ParseJsonFile(defaultDataFile_);
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

bool ProfileList::CreateProfileFile(Json::Value document, const std::string& name,
                                    const std::string& uuid) const {
    const std::string path = PathOf(uuid);
    if (path.empty()) {
        return false;
    }
    json::AsObject(document);
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    return JsonFileStore().WriteJsonFile(path, document);
}

bool ProfileList::NameTaken(const List& list, const std::string& name, int except) const {
    for (size_t i = 0; i < list.entries.size(); ++i) {
        if (static_cast<int>(i) != except && EqualsNoCase(list.entries[i].name, name)) {
            return true;
        }
    }
    return false;
}

bool ProfileList::StartFresh(List& list) {
    list.entries.clear();
    list.select = 0;
    json::AsObject(list.document);
    const std::string uuid = MakeTimestampId(profileDir_, kProfileExtension);
    // Without a list that can be written the file would only be clutter.
    const bool fileOk = !list.locked && CreateProfileFile(Template(), "profile1", uuid);
    list.entries.push_back({"profile1", uuid, NewEntry("profile1", uuid)});
    return WriteList(list) && fileOk;
}

void ProfileList::RebuildFromFiles(List& list) const {
    list = List();
    list.document = Json::Value(Json::objectValue);
    std::vector<std::string> stems;
    if (DIR* dir = ::opendir(profileDir_.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string file = item->d_name;
            const size_t extension = std::char_traits<char>::length(kProfileExtension);
            if (file.size() > extension &&
                file.compare(file.size() - extension, extension, kProfileExtension) == 0) {
                const std::string stem = file.substr(0, file.size() - extension);
                if (IsPlainIdentifier(stem)) {
                    stems.push_back(stem);
                }
            }
        }
        ::closedir(dir);
    }
    // Identifiers are time stamps, so their order is the order of creation.
    std::sort(stems.begin(), stems.end());
    for (const std::string& stem : stems) {
        if (list.entries.size() >= static_cast<size_t>(kMaxProfiles)) {
            break;
        }
        Json::Value document;
        // Only documents that name themselves are profiles of this list.
        if (JsonFileStore().ParseJsonFile(PathOf(stem), document) != JsonStatus::Ok ||
            json::StringOr(json::Member(document, "profileUUID")) != stem) {
            continue;
        }
        std::string name = json::StringOr(json::Member(document, "profilename"));
        if (Trim(name).empty()) {
            name = "profile" + std::to_string(list.entries.size() + 1);
        }
        std::string candidate = name;
        for (int n = 1; NameTaken(list, candidate); ++n) {
            candidate = name + "(" + std::to_string(n) + ")";
        }
        list.entries.push_back({candidate, stem, NewEntry(candidate, stem)});
    }
}

bool ProfileList::KeepBrokenList() const {
    if (platform::KeepBackup(listPath_)) {
        return true;
    }
    platform::DebugOutput("profile list could not be kept as .bak; it is not rewritten");
    return false;
}

ProfileList::List ProfileList::FreshList() {
    List list;
    if (!ReadList(list)) {
        const bool kept = KeepBrokenList();
        RebuildFromFiles(list);
        list.locked = !kept;
        if (list.entries.empty()) {
            StartFresh(list);
        } else {
            WriteList(list);
        }
    }
    return list;
}

bool ProfileList::LoadProfileList() {
    bool ok = true;
    List list;
    if (!ReadList(list)) {
        const bool kept = KeepBrokenList();
        RebuildFromFiles(list);
        list.locked = !kept;
        ok = kept;
        if (!list.entries.empty()) {
            ok = WriteList(list);
        }
    }
    if (list.entries.empty()) {
        ok = StartFresh(list);
    }
    Mirror(list);
    selected_ = list.select;
    currentProfileUUID_ = list.entries[static_cast<size_t>(selected_)].uuid;
    return SelectProfile(list.select) && ok;
}

int ProfileList::AppendEntry(List& list, const std::string& name, const std::string& uuid,
                             bool select) {
    list.entries.push_back({name, uuid, NewEntry(name, uuid)});
    const int previous = list.select;
    if (select) {
        list.select = static_cast<int>(list.entries.size()) - 1;
    }
    if (!WriteList(list)) {
        // No list entry, so no file either.
        platform::RemoveFile(PathOf(uuid));
        list.entries.pop_back();
        list.select = previous;
        return kWriteFailed;
    }
    Mirror(list);
    return kDone;
}

int ProfileList::AddProfile() {
    List list = FreshList();
    if (list.entries.size() >= static_cast<size_t>(kMaxProfiles)) {
        return kListFull;
    }
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(list, name)) {
            break;
        }
    }
    const std::string uuid = MakeTimestampId(profileDir_, kProfileExtension);
    if (!CreateProfileFile(Template(), name, uuid)) {
        return kWriteFailed;
    }
    return AppendEntry(list, name, uuid, true);
}

int ProfileList::CopyProfile() {
    List list = FreshList();
    Mirror(list);
    if (list.entries.size() >= static_cast<size_t>(kMaxProfiles)) {
        return kListFull;
    }
    if (selected_ < 0) {
        return kWriteFailed;
    }
    const Entry& source = list.entries[static_cast<size_t>(selected_)];
    std::string name = source.name + " copy";
    while (NameTaken(list, name)) {
        name += " copy";
    }
    Json::Value document;
    // A source that cannot be read still gives a working profile: the copy
    // starts from the device's defaults, not from a document with only a
    // name and an identifier.
    if (JsonFileStore().ParseJsonFile(PathOf(source.uuid), document) != JsonStatus::Ok ||
        !document.isObject()) {
        document = Template();
    }
    const std::string uuid = MakeTimestampId(profileDir_, kProfileExtension);
    if (!CreateProfileFile(document, name, uuid)) {
        return kWriteFailed;
    }
    return AppendEntry(list, name, uuid, false);
}

int ProfileList::RenameProfile(const std::string& name) {
    List list = FreshList();
    Mirror(list);
    if (selected_ < 0) {
        return kWriteFailed;
    }
    if (Trim(name).empty()) {
        return kNameBlank;
    }
    if (NameTaken(list, name, selected_)) {
        return kNameTaken;
    }
    Entry& entry = list.entries[static_cast<size_t>(selected_)];
    entry.name = name;
    if (!WriteList(list)) {
        return kWriteFailed;
    }
    Mirror(list);
    const std::string path = PathOf(entry.uuid);
    Json::Value document;
    JsonStatus status = JsonStatus::Missing;
    if (ParseOrKeepBackup(path, document, status) && status == JsonStatus::Ok) {
        document["profilename"] = name;
        if (!JsonFileStore().WriteJsonFile(path, document)) {
            return kWriteFailed;
        }
    }
    return kDone;
}

int ProfileList::DeleteProfile() {
    List list = FreshList();
    Mirror(list);
    if (selected_ < 0 || list.entries.size() <= 1) {
        return 0;
    }
    const int removed = selected_;
    const std::string path = PathOf(list.entries[static_cast<size_t>(removed)].uuid);
    const int next = removed > 0 ? removed - 1 : 0;
    list.entries.erase(list.entries.begin() + removed);
    list.select = next;
    if (!WriteList(list)) {
        return kWriteFailed;
    }
    // The list no longer names the file, so removing it cannot orphan an entry.
    platform::RemoveFile(path);
    Mirror(list);
    selected_ = next;
    currentProfileUUID_ = list.entries[static_cast<size_t>(next)].uuid;
    return kDone;
}

bool ProfileList::SelectProfile(int index) {
    List list = FreshList();
    Mirror(list);
    if (index < 0 || index >= static_cast<int>(list.entries.size())) {
        return false;
    }
    selected_ = index;
    list.select = index;
    currentProfileUUID_ = list.entries[static_cast<size_t>(index)].uuid;
    return WriteList(list);
}

bool ProfileList::ExportProfile(const std::string& path) const {
    Json::Value document;
    if (JsonFileStore().ParseJsonFile(GetCurrentProfilePath(), document) != JsonStatus::Ok) {
        return false;
    }
    return JsonFileStore().WriteJsonFile(path, document);
}

int ProfileList::ImportProfile(const std::string& path, const std::string& name) {
    // Only a regular file of a sensible size is read: a FIFO or a device
    // would block or never end, and no profile comes near 16 MiB.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(path, error) > kMaxImportBytes || error) {
        return kNotAProfile;
    }
    Json::Value document;
    if (JsonFileStore().ParseJsonFile(path, document) != JsonStatus::Ok || !document.isObject() ||
        !json::String(json::Member(document, "profilename")) ||
        !json::String(json::Member(document, "profileUUID"))) {
        return kNotAProfile;
    }
    if (!CheckImportName(name).empty()) {
        return kNameTooLong;
    }
    List list = FreshList();
    if (list.entries.size() >= static_cast<size_t>(kMaxProfiles)) {
        return kListFull;
    }
    std::string candidate = Trim(name).empty() ? std::string("profile") : name;
    for (int n = 1; NameTaken(list, candidate); ++n) {
        candidate += "(" + std::to_string(n) + ")";
    }
    const std::string uuid = MakeTimestampId(profileDir_, kProfileExtension);
    if (!CreateProfileFile(document, candidate, uuid)) {
        return kWriteFailed;
    }
    const int result = AppendEntry(list, candidate, uuid, true);
    if (result == kDone) {
        selected_ = list.select;
        currentProfileUUID_ = uuid;
    }
    return result;
}

bool ProfileList::ResetProfile() {
    List list = FreshList();
    Mirror(list);
    if (selected_ < 0) {
        return false;
    }
    const Entry& entry = list.entries[static_cast<size_t>(selected_)];
    const std::string path = PathOf(entry.uuid);
    Json::Value document = Template();
    JsonStatus status = JsonStatus::Missing;
    if (deviceType_ == kHeadsetDeviceType) {
        // The user's own equaliser curves and their names survive a reset.
        Json::Value current;
        if (!ParseOrKeepBackup(path, current, status)) {
            return false;
        }
        const Json::Value& record = json::Item(json::Member(current, "Device"), 0);
        Json::Value& target = json::ItemRef(json::MemberRef(document, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& value = json::Member(record, key);
            if (!value.isNull()) {
                json::MemberRef(target, key) = value;
            }
        }
    } else {
        Json::Value current;
        if (!ParseOrKeepBackup(path, current, status)) {
            return false;
        }
    }
    return CreateProfileFile(document, entry.name, entry.uuid);
}

int ProfileList::GetProfileCount() const {
    List list;
    ReadList(list);
    return static_cast<int>(list.entries.size());
}

std::string ProfileList::GetProfileFilePath(int index) const {
    List list;
    ReadList(list);
    if (index < 0 || index >= static_cast<int>(list.entries.size())) {
        return {};
    }
    return PathOf(list.entries[static_cast<size_t>(index)].uuid);
}

std::vector<std::string> ProfileList::GetProfileFilePaths() const {
    List list;
    ReadList(list);
    std::vector<std::string> paths;
    for (const Entry& entry : list.entries) {
        paths.push_back(PathOf(entry.uuid));
    }
    return paths;
}

std::string ProfileList::GetCurrentProfilePath() const {
    return PathOf(currentProfileUUID_);
}

std::string ProfileList::SelectedName() const {
    return selected_ >= 0 && selected_ < static_cast<int>(names_.size())
               ? names_[static_cast<size_t>(selected_)]
               : std::string();
}

std::string ProfileList::CheckRenameText(const std::string& name) {
    if (name.empty()) {
        return "message_text_5_1";
    }
    if (AnsiLength(name) > 16) {
        return "message_text_36";
    }
    if (name.find_first_of("<>:\" /\\|?#%&*=") != std::string::npos) {
        return "message_text_37";
    }
    return {};
}

std::string ProfileList::CheckImportName(const std::string& name) {
    return CharacterCount(name) > 16 ? "message_text_36" : std::string();
}

}  // namespace profile
