// The program's own font files, made available to this process only. A
// missing or unreadable file is skipped; the UI then falls back to the fonts
// the system has.
#pragma once

#include <string>
#include <vector>

namespace app {

// Relative to the program folder, in load order.
const std::vector<std::string>& PrivateFontFiles();

class PrivateFonts {
  public:
    PrivateFonts() = default;
    ~PrivateFonts() { UnloadAll(); }
    PrivateFonts(const PrivateFonts&) = delete;
    PrivateFonts& operator=(const PrivateFonts&) = delete;

    // Loads every file of PrivateFontFiles() from `programFolder` (with a
    // trailing '/'); returns how many were registered.
    int LoadAll(const std::string& programFolder);
    // One file; false when it is missing, unreadable or not a font.
    bool Load(const std::string& path);
    // Removes the loaded fonts in reverse order.
    void UnloadAll();
    size_t LoadedCount() const { return ids_.size(); }

  private:
    std::vector<int> ids_;
};

}  // namespace app
