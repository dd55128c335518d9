#include "profile/colour_swatches.h"

#include <cstdio>

#include "platform/paths.h"
#include "profile/default_data.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

namespace profile {

namespace {

constexpr const char* kRoot = "coloroptioninfo";
constexpr const char* kFixed = "palletDialogcoloroption";
constexpr const char* kFixedIndex = "palletDialogcoloroption_selectitem";
constexpr const char* kUser = "palletDialogcollectcoloroption";
constexpr const char* kUserIndex = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColour = "color";
constexpr const char* kUserData = "UserData";
constexpr uint32_t kWhite = 0xFFFFFFFF;

int SwatchIndex(const Json::Value& value, int fallback) {
    const auto index = json::Int(value);
    return index && *index >= 0 && *index < kSwatchCount ? static_cast<int>(*index) : fallback;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<uint32_t> ColourOf(const Json::Value& entry) {
    const auto text = json::String(json::Member(entry, kColour));
    return text ? ParseSwatchColour(*text) : std::nullopt;
}

// User data is a short marker ("1" or "0"); other text, which the writer
// could not give back byte for byte, counts as missing.
std::string UserDataOf(const Json::Value& entry) {
    const std::string text = json::StringOr(json::Member(entry, kUserData));
    if (text.size() > 64)
        return {};
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            return {};
    }
    return text;
}

// Parse or rebuild the user's copy for a save.
bool ReadForSave(const std::string& path, Json::Value& document) {
    JsonStatus status = JsonStatus::Missing;
    if (!ParseOrKeepBackup(path, document, status))
        return false;
    if (status != JsonStatus::Ok)
        document = Json::Value(Json::objectValue);
    return true;
}

}  // namespace

std::optional<uint32_t> ParseSwatchColour(std::string_view text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

std::string SwatchColourText(uint32_t argb) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(argb));
    return text;
}

bool UserSwatch::Filled() const {
    return userData.size() == 1 && userData[0] == '1';
}

uint32_t UserSwatch::ShownColour() const {
    return Filled() ? colour : kWhite;
}

SwatchFile ReadSwatches(const Json::Value& document) {
    SwatchFile file;
    const Json::Value& root = json::Member(document, kRoot);
    file.fixedIndex = SwatchIndex(json::Member(root, kFixedIndex), kDefaultFixedSwatch);
    file.userIndex = SwatchIndex(json::Member(root, kUserIndex), kDefaultUserSwatch);
    const Json::Value& fixed = json::Member(root, kFixed);
    const Json::Value& user = json::Member(root, kUser);
    for (int i = 0; i < kSwatchCount; ++i) {
        file.fixedColours[i] = ColourOf(json::Item(fixed, i));
        const Json::Value& entry = json::Item(user, i);
        if (const auto colour = ColourOf(entry)) {
            file.user[i].present = true;
            file.user[i].colour = *colour;
            file.user[i].userData = UserDataOf(entry);
        }
    }
    return file;
}

void PutFixedSwatches(Json::Value& document,
                      const std::array<std::optional<uint32_t>, kSwatchCount>& colours, int index) {
    Json::Value& root = json::MemberRef(document, kRoot);
    Json::Value& list = json::MemberRef(root, kFixed);
    json::AsArray(list);
    for (int i = 0; i < kSwatchCount; ++i) {
        if (!colours[i])
            continue;
        Json::Value& entry = json::AsObject(json::ItemRef(list, static_cast<uint32_t>(i)));
        entry[kColour] = SwatchColourText(*colours[i]);
    }
    root[kFixedIndex] = index;
}

void PutUserSwatches(Json::Value& document, const std::array<UserSwatch, kSwatchCount>& swatches,
                     int index) {
    Json::Value& root = json::MemberRef(document, kRoot);
    Json::Value& list = json::MemberRef(root, kUser);
    json::AsArray(list);
    for (int i = 0; i < kSwatchCount; ++i) {
        if (!swatches[i].present)
            continue;
        Json::Value& entry = json::AsObject(json::ItemRef(list, static_cast<uint32_t>(i)));
        entry[kColour] = SwatchColourText(swatches[i].colour);
        entry[kUserData] = swatches[i].userData;
    }
    root[kUserIndex] = index;
}

std::string UserSwatchPath() {
    const std::string folder = platform::UserDataFolder();
    return folder.empty() ? std::string() : folder + kSwatchFileName;
}

std::string DefaultSwatchPath() {
    return DefaultDataFolder() + kSwatchFileName;
}

Json::Value LoadSwatchDocument(const std::string& userPath, const std::string& defaultPath) {
    Json::Value document;
    JsonStatus status = JsonStatus::Missing;
    const bool replaceable = ParseOrKeepBackup(userPath, document, status);
    if (status == JsonStatus::Ok)
        return document;
    const JsonFileStore store;
    Json::Value fallback;
    if (store.ParseJsonFile(defaultPath, fallback) != JsonStatus::Ok)
        return Json::Value();
    if (replaceable)
        store.WriteJsonFile(userPath, fallback);
    return fallback;
}

bool SaveFixedSwatches(const std::string& userPath,
                       const std::array<std::optional<uint32_t>, kSwatchCount>& colours,
                       int index) {
    Json::Value document;
    if (!ReadForSave(userPath, document))
        return false;
    PutFixedSwatches(document, colours, index);
    return JsonFileStore().WriteJsonFile(userPath, document);
}

bool SaveUserSwatches(const std::string& userPath,
                      const std::array<UserSwatch, kSwatchCount>& swatches, int index) {
    Json::Value document;
    if (!ReadForSave(userPath, document))
        return false;
    PutUserSwatches(document, swatches, index);
    return JsonFileStore().WriteJsonFile(userPath, document);
}

}  // namespace profile
