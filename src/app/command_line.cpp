#include "app/command_line.h"

#include <atomic>
#include <cstring>

#include "platform/paths.h"

namespace app {
namespace {

std::atomic<bool> g_simulate{false};

// Options Qt itself understands (QApplication consumes them later).
bool IsQtOption(const char* arg) {
    static const char* const kQtOptions[] = {"-platform",   "-display",         "-style",
                                             "-stylesheet", "-qwindowgeometry", "-qwindowtitle",
                                             "-reverse",    "-session",         "-widgetcount"};
    for (const char* option : kQtOptions) {
        if (std::strcmp(arg, option) == 0)
            return true;
    }
    return false;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg == nullptr)
            continue;
        if (std::strcmp(arg, "--simulate") == 0) {
            line.simulate = true;
        } else if (std::strcmp(arg, "--minimized") == 0) {
            line.minimized = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            line.help = true;
        } else if (std::strcmp(arg, "--version") == 0) {
            line.version = true;
        } else if (IsQtOption(arg)) {
            // Its value (when it has one) belongs to Qt as well.
            if (i + 1 < argc && std::strcmp(arg, "-reverse") != 0)
                ++i;
        } else {
            line.unknown.emplace_back(arg);
        }
    }
    return line;
}

std::string UsageText() {
    return std::string(
               "Usage: qx70-config [--simulate] [--minimized] [--help] [--version]\n"
               "\n"
               "Configuration utility for the ") +
           platform::kProductTitle +
           " and its companions\n"
           "(mouse behind the 2.4 GHz receiver, mouse pad, USB headset).\n"
           "\n"
           "  --simulate   use the built-in device simulator instead of the real devices\n"
           "  --minimized  start hidden in the tray (used when started at login)\n"
           "  --help       show this help and exit\n"
           "  --version    show the version and exit\n"
           "\n"
           "Only one copy runs per desktop session; starting it again brings the\n"
           "running window to the front. QX70_DEBUG=1 prints diagnostics on stderr.\n";
}

std::string VersionText() {
    return std::string("qx70-config ") + QX70_VERSION + "\n";
}

void SetSimulateRequested(bool simulate) {
    g_simulate.store(simulate);
}
bool SimulateRequested() {
    return g_simulate.load();
}

}  // namespace app
