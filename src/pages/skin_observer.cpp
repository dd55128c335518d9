#include "pages/skin_observer.h"

#include "platform/ini_file.h"
#include "platform/paths.h"

namespace pages {

SkinObserver& SkinChangeObserver() {
    // Lives for the rest of the process: windows made later still find it,
    // and none is ever called after it is gone.
    static SkinObserver* observer = new SkinObserver();
    return *observer;
}

bool WriteSkinChoice(const std::string& iniPath, bool fromList, const std::string& image) {
    if (iniPath.empty())
        return false;
    // Two keys, each written as its own profile-string call would: the
    // second only after the first succeeded.
    if (!platform::WriteIniString(iniPath, "SKINIMAGE", "FLAGS", fromList ? "1" : "0"))
        return false;
    return platform::WriteIniString(iniPath, "SKINIMAGE", "IMAGE", image);
}

std::string SkinIniPath() {
    const std::string base = platform::UserDataFolder();
    if (base.empty())
        return {};
    platform::MakeFolders(base);
    return base + kSkinIniName;
}

}  // namespace pages
