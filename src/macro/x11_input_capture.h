// Input capture from an X server: raw key and button events selected on the
// root window, so input typed into any X client is seen. Raw events only
// observe; the keys still reach the program they were typed into. A keyboard
// grab would hide them from everyone else, but a program that hung while
// holding it would then hold the whole desktop's keyboard.
#pragma once

#include <memory>
#include <string>

#include "macro/input_capture.h"

namespace macro {

// Whether this build has the X11 backend at all.
bool X11CaptureBuilt();
// Whether `display` can be opened and offers raw input events (XInput 2).
bool X11CaptureAvailable(const std::string& display);
// The backend for `display` (the DISPLAY variable's form); nullptr when the
// build has no X11 support.
std::unique_ptr<CaptureBackend> MakeX11CaptureBackend(const std::string& display);

}  // namespace macro
