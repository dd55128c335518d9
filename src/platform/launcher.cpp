#include "platform/launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace platform {

bool Launch(const std::string& program, const std::vector<std::string>& args) {
    if (program.empty()) {
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

bool OpenWithDesktop(const std::string& target) {
    const bool allowed = target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0 ||
                         target.rfind("file://", 0) == 0 || (!target.empty() && target[0] == '/');
    if (!allowed) {
        return false;
    }
    return Launch("xdg-open", {target});
}

std::vector<LaunchCommand> DeviceSettingsCommands(int which) {
    if (which == 0) {
        return {{"gnome-control-center", {"keyboard"}},
                {"systemsettings", {"kcm_keyboard"}},
                {"xfce4-keyboard-settings", {}}};
    }
    if (which == 1) {
        return {{"gnome-control-center", {"mouse"}},
                {"systemsettings", {"kcm_mouse"}},
                {"xfce4-mouse-settings", {}}};
    }
    return {};
}

bool OpenDeviceSettings(int which) {
    for (const LaunchCommand& c : DeviceSettingsCommands(which)) {
        if (Launch(c.program, c.args)) {
            return true;
        }
    }
    return false;
}

}  // namespace platform
