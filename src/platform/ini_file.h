// INI files written the way the Windows profile-string call writes them:
// one key changed, every other section, key, comment and line kept as it
// was, the file created when missing. Only "main.ini" uses it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// `text` with `key` of `section` set to `value` (section and key names are
// compared without regard to ASCII case and surrounding blanks). A missing
// key is added after the section's last entry, a missing section at the end.
// No value removes the key; no key removes the whole section. New lines end
// in CR LF. nullopt when a name or the value would break the file's
// structure (a line end, a NUL, '[' or ']' in a section, '=' in a key, an
// empty name).
std::optional<std::string> SetIniString(std::string_view text, std::string_view section,
                                        std::optional<std::string_view> key,
                                        std::optional<std::string_view> value);

// Reads `path` (a missing file is empty), applies SetIniString and writes
// the result atomically. False when the file exists but cannot be read,
// the input is refused, or the write fails; the file is then unchanged.
bool WriteIniString(const std::string& path, std::string_view section,
                    std::optional<std::string_view> key, std::optional<std::string_view> value);

}  // namespace platform
