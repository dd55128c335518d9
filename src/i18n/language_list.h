// The languages the program offers: "Language.config" in the default data
// folder lists them, an entry's position is its language index (the order the
// settings window shows), and the stored choice is the entry's id. The face
// of the numbered fonts follows the language index.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace i18n {

// The id used when no choice is stored.
inline constexpr int kDefaultLanguageId = 520;
// The current index before the first language is applied.
inline constexpr int kNoLanguage = -1;

struct LanguageEntry {
    int id = 0;
    std::string name;    // handed to the text manager as its language
    std::string file;    // language file in the skin folder
    std::string textId;  // text id of the language's own display name
    // False when a member is missing or of the wrong type, or the file is not
    // a plain file name: such an entry keeps its position but is never applied.
    bool usable = false;
};

struct LanguageList {
    // False when the file is missing or is not a document with a
    // "Language" array.
    bool loaded = false;
    std::vector<LanguageEntry> entries;

    // The usable entry at `index`, or null.
    const LanguageEntry* At(int64_t index) const;
    // The index of the first entry whose id is `id`; nullopt when none.
    std::optional<int> IndexOfId(int id) const;
};

LanguageList ParseLanguageList(const Json::Value& document);
// Reads `path`; a missing or broken file gives a list that is not loaded.
LanguageList LoadLanguageList(const std::string& path);
// DefaultDataFolder() + "Language.config".
std::string LanguageListPath();

// The index the stored choice selects: the first entry with the stored id
// (520 when nothing usable is stored), else 0.
int StoredLanguageIndex(const LanguageList& list, std::optional<int> storedId);

// The font face of a language index.
std::string FaceForIndex(int index);
// Whether going from `current` to `next` changes the face of the font set;
// the first apply (current kNoLanguage) always rebuilds.
bool NeedsFontRebuild(int current, int next);

struct FontSetEntry {
    int id;  // kDefaultFontId: the default font
    int size;
    bool bold;
    bool underline;
};
inline constexpr int kDefaultFontId = -1;
// The font set every window shares, in the order it is built.
const std::vector<FontSetEntry>& FontSet();

}  // namespace i18n
