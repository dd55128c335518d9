#include "platform/launcher.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace platform {

namespace {

class FileActions {
  public:
    FileActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
    ~FileActions() {
        if (ok_)
            ::posix_spawn_file_actions_destroy(&actions_);
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    bool Ok() const { return ok_; }
    posix_spawn_file_actions_t* Get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
    bool ok_ = false;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(separator, start);
        const size_t stop = end == std::string::npos ? text.size() : end;
        if (stop > start)
            parts.push_back(text.substr(start, stop - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

struct DesktopSettings {
    const char* desktop;  // as XDG_CURRENT_DESKTOP names it, lower case
    LaunchCommand keyboard;
    LaunchCommand mouse;
};

const std::vector<DesktopSettings>& DesktopTable() {
    static const std::vector<DesktopSettings> table = {
        {"gnome", {"gnome-control-center", {"keyboard"}}, {"gnome-control-center", {"mouse"}}},
        {"kde", {"systemsettings", {"kcm_keyboard"}}, {"systemsettings", {"kcm_mouse"}}},
        {"xfce", {"xfce4-keyboard-settings", {}}, {"xfce4-mouse-settings", {}}},
        {"mate", {"mate-keyboard-properties", {}}, {"mate-mouse-properties", {}}},
        {"x-cinnamon", {"cinnamon-settings", {"keyboard"}}, {"cinnamon-settings", {"mouse"}}},
    };
    return table;
}

}  // namespace

bool Launch(const std::string& program, const std::vector<std::string>& args,
            const std::string& workingFolder) {
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
    FileActions actions;
    if (!actions.Ok()) {
        return false;
    }
    if (!workingFolder.empty() &&
        ::posix_spawn_file_actions_addchdir_np(actions.Get(), workingFolder.c_str()) != 0) {
        return false;
    }
    pid_t pid = 0;
    const int rc =
        ::posix_spawnp(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), environ);
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

std::string FindOnPath(const std::vector<std::string>& programs, const std::string& pathList) {
    const std::vector<std::string> folders = SplitOn(pathList, ':');
    for (const std::string& program : programs) {
        if (program.empty() || program.find('/') != std::string::npos)
            continue;
        for (const std::string& folder : folders) {
            if (IsExecutableFile(folder + "/" + program))
                return program;
        }
    }
    return {};
}

bool OpenWithDesktop(const std::string& target) {
    const bool allowed = target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0 ||
                         target.rfind("file://", 0) == 0 || (!target.empty() && target[0] == '/');
    if (!allowed) {
        return false;
    }
    return Launch("xdg-open", {target});
}

std::vector<LaunchCommand> DeviceSettingsCommands(int which, const std::string& desktop) {
    if (which != 0 && which != 1) {
        return {};
    }
    std::vector<LaunchCommand> first;
    std::vector<LaunchCommand> rest;
    const std::vector<std::string> names = SplitOn(Lower(desktop), ':');
    for (const DesktopSettings& d : DesktopTable()) {
        const LaunchCommand& c = which == 0 ? d.keyboard : d.mouse;
        const bool current = std::find(names.begin(), names.end(), d.desktop) != names.end();
        (current ? first : rest).push_back(c);
    }
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

bool OpenDeviceSettings(int which) {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const char* path = std::getenv("PATH");
    for (const LaunchCommand& c : DeviceSettingsCommands(which, desktop ? desktop : "")) {
        if (FindOnPath({c.program}, path ? path : "").empty()) {
            continue;
        }
        return Launch(c.program, c.args);
    }
    return false;
}

}  // namespace platform
