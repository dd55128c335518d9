// Fuzzes the language list: any text parsed as "Language.config" gives a
// list whose usable entries are safe to apply (plain file names, every
// lookup in range).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "i18n/language_list.h"
#include "platform/paths.h"
#include "profile/json_file_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Json::Value document;
    if (!profile::ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size),
                                document)) {
        return 0;
    }
    const i18n::LanguageList list = i18n::ParseLanguageList(document);
    const int n = static_cast<int>(list.entries.size());
    for (int i = -1; i <= n; ++i) {
        const i18n::LanguageEntry* e = list.At(i);
        if (e != nullptr && (!platform::IsPlainFileName(e->file) || e->name.empty())) {
            std::abort();
        }
        if (const auto index = list.IndexOfId(e != nullptr ? e->id : i);
            index && list.At(*index) == nullptr) {
            std::abort();
        }
    }
    const int stored = i18n::StoredLanguageIndex(list, n);
    if (stored < 0 || (stored > 0 && stored >= n)) {
        std::abort();
    }
    return 0;
}
