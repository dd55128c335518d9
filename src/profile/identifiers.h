// Time-stamp identifiers and name helpers shared by profiles and macros.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace profile {

// "%d_%02d_%02d_%02d_%02d_%02d_%03d" of the local time: year, month, day,
// hour, minute, second, millisecond. Two calls never return the same text in
// one process: a call in the same millisecond as (or, after a clock step,
// before) the previous one moves on by a millisecond.
std::string MakeTimestampId();
// The same, also skipping identifiers for which `folder` + id + `extension`
// already exists (a clock set back must not overwrite an older file).
std::string MakeTimestampId(const std::string& folder, const std::string& extension);
// Formats a time given in milliseconds since the epoch (local time).
std::string FormatTimestampId(int64_t epochMilliseconds);

// True when `id` may become a path component: 1 to 100 characters from
// [A-Za-z0-9_-{}], so no separators, dots or control characters.
bool IsPlainIdentifier(std::string_view id);

// ASCII case-insensitive equality (the names the program generates and the
// user types are compared this way; other characters compare exactly).
bool EqualsNoCase(std::string_view a, std::string_view b);
// `text` without leading and trailing white space (space, tab, CR, LF, VT, FF).
std::string_view Trim(std::string_view text);

}  // namespace profile
