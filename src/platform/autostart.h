// Start at login: the XDG autostart entry in the user's config folder
// ($XDG_CONFIG_HOME/autostart/<desktop id>.desktop). The file itself is the
// state; nothing else remembers whether the option is on.
#pragma once

#include <string>

namespace platform {

// The reverse-domain id of the desktop entry, the icon and the metadata.
inline constexpr const char* kDesktopId = "io.qx70.Qx70Config";

// Full path of the autostart entry; empty when there is no config folder.
std::string AutostartFile();

// The entry written: starts the program hidden in the tray.
std::string AutostartEntry();

// True when the entry exists, reads as a desktop entry and is not switched
// off by the desktop (Hidden=true, X-GNOME-Autostart-enabled=false).
bool AutostartEnabled();

// Writes (atomically) or removes the entry. False when it failed; the
// previous state is then left as it was.
bool SetAutostart(bool enabled);

}  // namespace platform
