#include "platform/autostart.h"

#include <cstdlib>
#include <sstream>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {
namespace {

// An autostart entry is a few hundred bytes; anything far larger is not ours.
constexpr size_t kMaxEntryBytes = 64 * 1024;

std::string ConfigBase() {
    const char* value = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore relative values.
    if (value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return std::string(home) + "/.config";
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::string AutostartFile() {
    const std::string base = ConfigBase();
    if (base.empty())
        return {};
    return base + "/autostart/" + kDesktopId + ".desktop";
}

std::string AutostartEntry() {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=QX70 Config\n"
           "Comment=Keyboard configuration utility, started in the tray\n"
           "Exec=qx70-config --minimized\n"
           "Icon=" +
           std::string(kDesktopId) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEnabled() {
    const std::string path = AutostartFile();
    if (path.empty())
        return false;
    std::string bytes;
    if (ReadRegularFile(path, bytes, kMaxEntryBytes) != ReadResult::Ok)
        return false;
    std::istringstream lines(bytes);
    std::string line;
    bool inMainGroup = false;
    bool sawMainGroup = false;
    while (std::getline(lines, line)) {
        line = Trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            sawMainGroup = sawMainGroup || inMainGroup;
            continue;
        }
        if (!inMainGroup)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = Trimmed(line.substr(0, eq));
        const std::string value = Trimmed(line.substr(eq + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return false;
    }
    return sawMainGroup;
}

bool SetAutostart(bool enabled) {
    const std::string path = AutostartFile();
    if (path.empty())
        return false;
    if (!enabled)
        return RemoveFile(path);
    const std::string folder = path.substr(0, path.rfind('/'));
    return MakeFolders(folder) && WriteFileAtomically(path, AutostartEntry());
}

}  // namespace platform
