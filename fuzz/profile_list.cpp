// The profile list loader (and one operation after it) on an arbitrary list file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_io.h"
#include "profile/profile_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char pattern[] = "/tmp/qx70-fuzz-list-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (made == nullptr) {
        return 0;
    }
    const std::string folder = std::string(made) + "/";
    profile::ProfileList list;
    list.SetProfilePaths(folder, folder + "none.Json");
    platform::WriteFileAtomically(list.ListPath(),
                                  std::string(reinterpret_cast<const char*>(data), size));
    list.LoadProfileList();
    if (size > 0 && data[0] % 2 == 0) {
        list.DeleteProfile();
    } else {
        list.AddProfile();
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
