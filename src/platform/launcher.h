// Starts other programs without a shell (arguments are never interpreted).
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts `program` (looked up in PATH when it has no '/') with `args` and
// does not wait for it. False when it could not be started. The child is
// reaped by a detached waiter so no zombie is left.
bool Launch(const std::string& program, const std::vector<std::string>& args);

// Opens a web address or a file with the desktop's default handler
// (xdg-open). Only http, https and file addresses and absolute paths.
bool OpenWithDesktop(const std::string& target);

// The desktop's keyboard (0) or mouse (1) settings: the settings programs
// of the common desktops, tried in order until one starts.
struct LaunchCommand {
    std::string program;
    std::vector<std::string> args;
};
std::vector<LaunchCommand> DeviceSettingsCommands(int which);
// False for another `which` or when none of them could be started.
bool OpenDeviceSettings(int which);

}  // namespace platform
