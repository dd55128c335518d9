// Tags a device page names for whole feature pages: each is built from a
// layout of its own, so a page composes from the profile bar and the
// feature pages without repeating them.
#pragma once

#include <string_view>

namespace pages {

struct SubLayout {
    const char* tag;
    const char* layout;  // below the skin folder
};

// The layout that builds `tag` (compared without case); null for a tag that
// is a control class of its own.
const char* SubLayoutOfTag(std::string_view tag);

}  // namespace pages
