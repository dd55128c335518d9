// The firmware updater that may be installed with the program: an
// executable "Update/qx70-firmware-updater" in the program folder, started
// with that folder as its working folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace update {

inline constexpr const char* kUpdaterFolder = "Update";
inline constexpr const char* kUpdaterName = "qx70-firmware-updater";

// Keyboard firmware below this release asks for the updater.
inline constexpr unsigned kFirstCurrentKeyboardRelease = 0x0109;

struct UpdaterLaunch {
    std::string program;  // absolute path
    std::vector<std::string> args;
    std::string workingFolder;
};

// The launch for the updater under `programFolder`; nothing when it is not
// installed there as a regular executable file that only its owner may
// change (a world-writable one could have been replaced by anybody).
std::optional<UpdaterLaunch> FindFirmwareUpdater(const std::string& programFolder);

}  // namespace update
