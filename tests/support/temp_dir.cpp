#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace testing_support {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qx70-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        std::abort();
    }
    path_ = std::string(buffer.data()) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

ScopedUserFolders::ScopedUserFolders() {
    if (const char* d = std::getenv("XDG_DATA_HOME")) {
        hadData_ = true;
        oldData_ = d;
    }
    if (const char* c = std::getenv("XDG_CONFIG_HOME")) {
        hadConfig_ = true;
        oldConfig_ = c;
    }
    ::setenv("XDG_DATA_HOME", (dir_.Path() + "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_.Path() + "config").c_str(), 1);
}

ScopedUserFolders::~ScopedUserFolders() {
    if (hadData_) {
        ::setenv("XDG_DATA_HOME", oldData_.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    if (hadConfig_) {
        ::setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace testing_support
