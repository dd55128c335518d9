// Starts other programs without a shell (arguments are never interpreted).
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts `program` (looked up in PATH when it has no '/') with `args` and
// does not wait for it. False when it could not be started. The child is
// reaped by a detached waiter so no zombie is left. A non-empty
// `workingFolder` becomes the child's current folder; when it cannot be
// entered the program is not started.
bool Launch(const std::string& program, const std::vector<std::string>& args,
            const std::string& workingFolder = {});

// The first of `programs` that is an executable file in one of the folders
// of `pathList` (a PATH value); empty when none is.
std::string FindOnPath(const std::vector<std::string>& programs, const std::string& pathList);

// Opens a web address or a file with the desktop's default handler
// (xdg-open). Only http, https and file addresses and absolute paths.
bool OpenWithDesktop(const std::string& target);

// The desktop's keyboard (0) or mouse (1) settings. `desktop` is a
// XDG_CURRENT_DESKTOP value (a colon-separated list, matched without case);
// its desktops' programs come first, then those of the other known desktops.
struct LaunchCommand {
    std::string program;
    std::vector<std::string> args;
};
std::vector<LaunchCommand> DeviceSettingsCommands(int which, const std::string& desktop);
// The first of those found on PATH, started; false for another `which` or
// when none is installed.
bool OpenDeviceSettings(int which);

}  // namespace platform
