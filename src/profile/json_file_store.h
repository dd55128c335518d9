// Whole-file JSON reads and styled, atomic JSON writes. Every JSON file of
// the program (profiles, lists, macros, default data) goes through here.
#pragma once

#include <json/value.h>

#include <string>
#include <string_view>

namespace profile {

// Deeper documents than this are refused: no file of ours nests beyond a
// handful of levels, and the limit keeps hostile files from exhausting the
// stack in the parser or in later copies.
inline constexpr int kMaxJsonDepth = 64;

enum class JsonStatus {
    Ok,        // parsed; the root is an object
    Missing,   // no such file
    Unusable,  // exists but cannot be read (not a regular file, too large, I/O error)
    Invalid,   // read, but empty, not JSON, too deep, or the root is not an object
};

// Parses JSON text (a UTF-8 byte-order mark is skipped). Only an object root
// is accepted. Never throws; on failure `out` is null.
bool ParseJsonText(std::string_view text, Json::Value& out);

// The styled layout every file is written in: three-space indent, members in
// key order, CR LF line ends and one extra line end after the document.
std::string StyledJsonText(const Json::Value& document);

class JsonFileStore {
  public:
    // The file's bytes, "" when it is missing, unreadable, not a regular file
    // or larger than 16 MiB.
    std::string readjsonFile(const std::string& path) const;
    // The parsed document, or null.
    Json::Value ParseJsonFile(const std::string& path) const;
    // As ParseJsonFile, telling a missing file from a broken one.
    JsonStatus ParseJsonFile(const std::string& path, Json::Value& out) const;
    // Atomic write of the styled text; false when the file could not be written
    // (the old file is then left as it was).
    bool WriteJsonFile(const std::string& path, const Json::Value& document) const;
};

// Parses `path` into `out`, the outcome in `status`; when the file exists but
// is unusable or invalid, it is first kept as "<path>.bak" so a fallback
// written over it loses nothing. False when it could not be kept: nothing
// may then be written in its place.
[[nodiscard]] bool ParseOrKeepBackup(const std::string& path, Json::Value& out, JsonStatus& status);

}  // namespace profile
