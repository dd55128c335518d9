// The command line: --simulate, --minimized, --help, --version. Nothing
// else configures the program; unknown arguments are reported and ignored.
#pragma once

#include <string>
#include <vector>

namespace app {

struct CommandLine {
    bool simulate = false;
    bool minimized = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> unknown;
};

CommandLine ParseCommandLine(int argc, char** argv);
std::string UsageText();
std::string VersionText();

// Set once at start-up from --simulate: the device layer then talks to the
// built-in simulator instead of hidraw.
void SetSimulateRequested(bool simulate);
bool SimulateRequested();

}  // namespace app
