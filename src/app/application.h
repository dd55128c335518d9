// Process entry: command line, start-up, message loop and shutdown.
#pragma once

namespace app {

// Returns the process exit code: 0 on every path.
int RunApplication(int argc, char** argv);

}  // namespace app
