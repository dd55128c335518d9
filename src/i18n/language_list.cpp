#include "i18n/language_list.h"

#include <limits>

#include "platform/paths.h"
#include "profile/default_data.h"
#include "profile/json_access.h"
#include "profile/json_file_store.h"

namespace i18n {
namespace {

namespace json = profile::json;

// Names and files are short; anything longer is a damaged or hostile file.
constexpr size_t kMaxFieldLength = 256;

bool IsSharedFaceIndex(int index) {
    return index == 15 || index == 0 || index == 2;
}

std::optional<std::string> Field(const Json::Value& entry, const char* key) {
    std::optional<std::string> s = json::String(json::Member(entry, key));
    if (!s || s->empty() || s->size() > kMaxFieldLength)
        return std::nullopt;
    return s;
}

LanguageEntry ParseEntry(const Json::Value& item) {
    LanguageEntry e;
    const std::optional<int64_t> id = json::Int(json::Member(item, "Language_ID"));
    const std::optional<std::string> name = Field(item, "Language_name");
    const std::optional<std::string> file = Field(item, "Language_file");
    const std::optional<std::string> text = Field(item, "Language_text");
    if (id && *id >= std::numeric_limits<int>::min() && *id <= std::numeric_limits<int>::max())
        e.id = static_cast<int>(*id);
    e.name = name.value_or("");
    e.file = file.value_or("");
    e.textId = text.value_or("");
    // A language file is looked up in the skin folder, never beside it.
    e.usable = id && e.id == *id && name && file && text && platform::IsPlainFileName(*file);
    return e;
}

}  // namespace

const LanguageEntry* LanguageList::At(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(entries.size()))
        return nullptr;
    const LanguageEntry& e = entries[static_cast<size_t>(index)];
    return e.usable ? &e : nullptr;
}

std::optional<int> LanguageList::IndexOfId(int id) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].usable && entries[i].id == id)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

LanguageList ParseLanguageList(const Json::Value& document) {
    LanguageList list;
    const Json::Value& array = json::Member(document, "Language");
    if (!array.isArray())
        return list;
    list.loaded = true;
    // The index space is an int; no real list comes near this.
    const int64_t n = std::min<int64_t>(json::Size(array), 1024);
    for (int64_t i = 0; i < n; ++i)
        list.entries.push_back(ParseEntry(json::Item(array, i)));
    return list;
}

LanguageList LoadLanguageList(const std::string& path) {
    Json::Value document;
    if (profile::JsonFileStore().ParseJsonFile(path, document) != profile::JsonStatus::Ok)
        return {};
    return ParseLanguageList(document);
}

std::string LanguageListPath() {
    return profile::DefaultDataFolder() + "Language.config";
}

int StoredLanguageIndex(const LanguageList& list, std::optional<int> storedId) {
    return list.IndexOfId(storedId.value_or(kDefaultLanguageId)).value_or(0);
}

std::string FaceForIndex(int index) {
    switch (index) {
        case 15:
            return "Noto Sans Thai";
        case 0:
            return "汉仪菱心体简";
        case 2:
            return "Noto Sans CJK TC Regular";
        default:
            return "Verdana Unicode MS";
    }
}

bool NeedsFontRebuild(int current, int next) {
    if (current == next)
        return false;
    return IsSharedFaceIndex(next) || IsSharedFaceIndex(current) || current == kNoLanguage;
}

const std::vector<FontSetEntry>& FontSet() {
    static const std::vector<FontSetEntry> set = {
        {0, 15, false, false},  {kDefaultFontId, 14, false, false},
        {1, 14, false, true},   {2, 18, false, false},
        {3, 30, false, false},  {4, 16, false, false},
        {5, 20, false, false},  {6, 22, false, false},
        {7, 14, false, false},  {8, 12, false, false},
        {9, 11, false, false},  {10, 10, false, false},
        {11, 28, false, false}, {50, 18, true, false},
    };
    return set;
}

}  // namespace i18n
