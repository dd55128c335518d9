// What a key is called on the device picture and the key page: the
// language-file ids of an assignment's caption. Plain data; the page
// translates the ids and joins them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profile/profile_types.h"

namespace pages {

// The caption ids of an assignment, in the order they are shown (a modifier
// before its key). Empty when no caption fits: the caller falls back to the
// codes. Macros have no id (their name is the caption) and give empty too.
std::vector<std::string> CaptionIdsOf(const profile::KeyAssignment& a);

// Every id CaptionIdsOf can return and every caption of the page's item
// lists, once each, in table order: the texts the language files must hold.
std::vector<std::string> AllCaptionIds();

}  // namespace pages
