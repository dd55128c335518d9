// A private temporary folder for one test, removed with its content.
#pragma once

#include <string>

namespace testing_support {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // With a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// Points XDG_DATA_HOME and XDG_CONFIG_HOME into a fresh temporary folder for
// the lifetime of the object, so tests never touch the real user folders.
class ScopedUserFolders {
  public:
    ScopedUserFolders();
    ~ScopedUserFolders();
    const std::string& Root() const { return dir_.Path(); }

  private:
    TempDir dir_;
    std::string oldData_, oldConfig_;
    bool hadData_ = false, hadConfig_ = false;
};

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);

}  // namespace testing_support
