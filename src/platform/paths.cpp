#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {
namespace {

std::mutex& FolderMutex() {
    static std::mutex m;
    return m;
}

std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) : std::string();
}

std::string XdgFolder(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    // The XDG rules ignore relative values.
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/" + fallbackBelowHome;
}

std::string ProductFolderBelow(const std::string& base) {
    if (base.empty()) {
        return {};
    }
    std::string folder = WithSlash(base) + kProductTitle + "/";
    return MakeFolders(folder) ? folder : std::string();
}

}  // namespace

bool MakeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty() || IsDirectory(partial)) {
            continue;
        }
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return IsDirectory(path);
}

std::string ExecutableFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return "./";
    }
    std::string exe(buffer.data(), static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

void SetProgramFolder(const std::string& folder) {
    std::lock_guard lock(FolderMutex());
    ProgramFolderOverride() = WithSlash(folder);
}

std::string ProgramFolder() {
    {
        std::lock_guard lock(FolderMutex());
        if (!ProgramFolderOverride().empty()) {
            return ProgramFolderOverride();
        }
    }
    if (const char* env = std::getenv("QX70_PROGRAM_DIR"); env != nullptr && env[0] != '\0') {
        return WithSlash(env);
    }
    const std::string beside = ExecutableFolder();
    if (IsDirectory(beside + "skin")) {
        return beside;
    }
    // Installed as <prefix>/bin/qx70-config: <prefix>/share/qx70-config, so
    // a tree installed below another prefix (the Debian package) finds its
    // own folder.
    const size_t parentEnd = beside.rfind('/', beside.size() >= 2 ? beside.size() - 2 : 0);
    if (parentEnd != std::string::npos && parentEnd > 0) {
        const std::string shared = beside.substr(0, parentEnd + 1) + "share/qx70-config/";
        if (IsDirectory(shared + "skin")) {
            return shared;
        }
    }
#ifdef QX70_INSTALLED_PROGRAM_DIR
    return WithSlash(QX70_INSTALLED_PROGRAM_DIR);
#else
    return WithSlash("/usr/local/share/qx70-config");
#endif
}

std::string UserDataFolder() {
    return ProductFolderBelow(XdgFolder("XDG_DATA_HOME", ".local/share"));
}

std::string UserConfigFolder() {
    return ProductFolderBelow(XdgFolder("XDG_CONFIG_HOME", ".config"));
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") {
        return false;
    }
    for (unsigned char c : name) {
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace platform
