// Where the program's files live on this system.
#pragma once

#include <string>

namespace platform {

// The one identity string of the program.
inline constexpr const char* kProductTitle = "Morvath QX70 MECHANICAL GAMING KEYBOARD";

// The folder holding skin/, DefaultData/ and Font/, with a trailing '/'.
// Order: $QX70_PROGRAM_DIR; the executable's folder when it holds skin/;
// <executable's folder>/../share/qx70-config when that holds skin/; the
// installed data folder given at build time.
std::string ProgramFolder();
// Overrides the folder found above (the entry sets it once at start; tests).
void SetProgramFolder(const std::string& folder);

// $XDG_DATA_HOME (default ~/.local/share) + "/<product title>/", created on
// first use. Empty when no folder could be made.
std::string UserDataFolder();

// $XDG_CONFIG_HOME (default ~/.config) + "/<product title>/", created on
// first use. Empty when no folder could be made.
std::string UserConfigFolder();

// Creates a folder and its parents (mode 0700 for new ones); true when it
// exists afterwards as a directory.
bool MakeFolders(const std::string& path);

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();

// True when `name` can be used as one plain path component: non-empty, at
// most 255 bytes, not "." or "..", no '/', no NUL, no control characters.
bool IsPlainFileName(const std::string& name);

}  // namespace platform
