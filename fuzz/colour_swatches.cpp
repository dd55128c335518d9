// Fuzzes the swatch file: any document reads without throwing, indices stay
// in range, and what a save writes reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profile/colour_swatches.h"
#include "profile/json_file_store.h"

namespace {

bool InRange(int index) {
    return index >= 0 && index < profile::kSwatchCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Json::Value input;
    if (!profile::ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size),
                                input)) {
        return 0;
    }
    // Start from the file as written once: the styled writer itself does not
    // give back every input byte for byte (member names holding NUL).
    Json::Value document;
    if (!profile::ParseJsonText(profile::StyledJsonText(input), document))
        return 0;
    const profile::SwatchFile first = profile::ReadSwatches(document);
    if (!InRange(first.fixedIndex) || !InRange(first.userIndex))
        std::abort();

    profile::PutFixedSwatches(document, first.fixedColours, first.fixedIndex);
    profile::PutUserSwatches(document, first.user, first.userIndex);
    Json::Value reread;
    if (!profile::ParseJsonText(profile::StyledJsonText(document), reread))
        std::abort();
    const profile::SwatchFile second = profile::ReadSwatches(reread);
    if (second.fixedIndex != first.fixedIndex || second.userIndex != first.userIndex ||
        second.fixedColours != first.fixedColours) {
        std::abort();
    }
    for (int i = 0; i < profile::kSwatchCount; ++i) {
        const profile::UserSwatch& a = first.user[i];
        const profile::UserSwatch& b = second.user[i];
        if (a.present != b.present ||
            (a.present && (a.colour != b.colour || a.userData != b.userData))) {
            std::abort();
        }
    }
    return 0;
}
