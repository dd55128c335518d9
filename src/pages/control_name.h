// Control names as the routing reads them: "color_option_3" is the prefix
// "color_option_" and the index 3. Names are compared without case unless a
// route says otherwise.
#pragma once

#include <string_view>

namespace pages {

struct IndexedName {
    // False for a name without an underscore: it has no prefix and no index.
    bool indexed = false;
    // Up to and including the last underscore.
    std::string_view prefix;
    // The rest read as a decimal number: an optional sign and the leading
    // digits; no digits give 0. Saturates at the int range.
    int index = 0;
};

IndexedName SplitControlName(std::string_view name);

// Text read as atoi does: leading blanks, a sign, the leading digits; 0
// without digits. Saturates at the int range.
int LeadingNumber(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pages
