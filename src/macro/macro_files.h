// The macro files of one device: the list "macro.config" (names and
// identifiers, in the order key assignments refer to) and one "<id>.mac"
// file per macro with its events. Plain operations; the macro page shows
// the messages whose text ids the results name.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace macro {

struct MacroEvent {
    bool down = false;   // "Action": "down" (press, or movement left/up) or "up"
    uint8_t type = 0;    // 1 mouse button, 4/5 movement, 9 modifier, 10 key (below 128)
    uint8_t button = 0;  // key or button code, or movement distance
    uint16_t delay = 0;  // milliseconds after this action
    bool operator==(const MacroEvent&) const = default;
};

inline constexpr int kMaxMacros = 50;
inline constexpr int kMaxImportedEvents = 90;
inline constexpr int kMacroFileVersion = 64;
inline constexpr uint16_t kMinSavedDelay = 10;

// "Delay" as its text ("120", or an integer's decimal form), converted like a
// decimal string-to-integer conversion (leading blanks, sign, digits up to the
// first other character) with overflow checks, clamped to 0..65535.
uint16_t ParseDelay(const Json::Value& value);
// The events of a macro document. Events whose type lies outside 0..127 or
// whose button lies outside 0..255 are dropped.
std::vector<MacroEvent> ParseMacroEvents(const Json::Value& document);
// Events of the ".mac" file at `path` (none when it is missing or broken).
std::vector<MacroEvent> LoadMacroFile(const std::string& path);

// The message (text id) a rename to `name` is refused with, or "" when the
// name is acceptable. `names` are the device's macro names; the renamed
// macro's own name counts too.
std::string CheckMacroName(const std::string& name, const std::vector<std::string>& names);
// "macro_%d" with the smallest number not used (ignoring case).
std::string DefaultMacroName(const std::vector<std::string>& names);

class MacroFiles {
  public:
    // Results.
    static constexpr int kDone = 1;
    static constexpr int kListFull = 0;      // "message_text_30"
    static constexpr int kWriteFailed = -1;  // nothing changed on disk
    static constexpr int kListBroken = -2;   // "macro.config" exists but cannot be parsed
    static constexpr int kBadIndex = -3;
    static constexpr int kNameTooLong = -4;  // import: "message_text_35"
    static constexpr int kBadName = -5;      // rename: see the message text id

    // `folder` is the device data folder (with a trailing '/').
    explicit MacroFiles(std::string folder);

    const std::string& Folder() const { return folder_; }
    std::string ListPath() const { return folder_ + "macro.config"; }
    // Path of macro `index`'s ".mac" file; "" when there is no such macro or
    // its identifier is not a plain identifier.
    std::string MacroPath(int index) const;

    std::vector<std::string> Names() const;
    int Count() const;
    std::string Guid(int index) const;

    // Appends a macro named `name` (the default name when empty); sets
    // `index` to its position.
    int Create(const std::string& name = {}, int* index = nullptr);
    // Validates `name` (the message id goes to `messageId`) and renames.
    int Rename(int index, const std::string& name, std::string* messageId = nullptr);
    // Removes the list entry, then lets `renumber(index)` fix the key
    // assignments of every profile, then removes the ".mac" file.
    int Delete(int index, const std::function<void(int)>& renumber = {});
    // Writes the events (delays below 10 are written as 10).
    int Save(int index, const std::vector<MacroEvent>& events);
    std::vector<MacroEvent> Load(int index) const;
    int Export(int index, const std::string& path) const;
    // Imports the ".mac" file at `path`; `cut` tells whether events beyond 90
    // were dropped ("message_text_33").
    int Import(const std::string& path, int* index = nullptr, bool* cut = nullptr);

  private:
    // Reads the list; false when the file exists but cannot be parsed.
    bool ReadList(Json::Value& document) const;
    // Identifier and name of macro `index`; false when there is no such macro
    // or its identifier cannot name a file.
    bool Entry(int index, std::string& guid, std::string& name) const;
    int AppendEntry(Json::Value& document, const std::string& name, const std::string& guid,
                    int* index);

    std::string folder_;
};

}  // namespace macro
