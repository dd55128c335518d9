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

}  // namespace platform
