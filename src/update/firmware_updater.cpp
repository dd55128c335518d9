#include "update/firmware_updater.h"

#include <sys/stat.h>
#include <unistd.h>

namespace update {

std::optional<UpdaterLaunch> FindFirmwareUpdater(const std::string& programFolder) {
    if (programFolder.empty())
        return std::nullopt;
    std::string folder = programFolder;
    if (folder.back() != '/')
        folder += '/';
    folder += kUpdaterFolder;
    const std::string program = folder + "/" + kUpdaterName;
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    if ((st.st_mode & S_IWOTH) != 0 || ::access(program.c_str(), X_OK) != 0)
        return std::nullopt;
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0 || (dir.st_mode & S_IWOTH) != 0)
        return std::nullopt;
    // The arguments the updater has always been started with.
    return UpdaterLaunch{program, {"On", "the", "upgrade"}, folder};
}

}  // namespace update
