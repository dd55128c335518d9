#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::mutex g_injectMutex;
std::string g_injectedReadError;

bool ReadErrorInjected(const std::string& path) {
    std::lock_guard lock(g_injectMutex);
    return !g_injectedReadError.empty() && g_injectedReadError == path;
}

// The file a write of `path` really replaces: symbolic links followed to
// their target, which need not exist yet. False on a loop or a bad link.
bool ResolveLinks(std::string path, std::string& target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = std::move(path);
            return true;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) {
            return false;
        }
        const std::string to(link, static_cast<size_t>(n));
        path = to.front() == '/' ? to : FolderOf(path) + "/" + to;
    }
    return false;
}

// Creates a new, empty, private temporary file beside `path`; -1 on failure.
int MakeTemporary(const std::string& path, std::string& temp) {
    // Long names are cut so the marker and the random part always fit.
    std::string base = BaseOf(path).substr(0, 200);
    temp = FolderOf(path) + "/." + base + kTempMarker + "XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
        temp.assign(name.data());
    }
    return fd;
}

void SyncFolderOf(const std::string& path) {
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

int SweepFolder(int dirFd, int depth) {
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            folders.push_back(name);
        } else if (S_ISREG(st.st_mode) && IsTemporaryFileName(name) &&
                   ::unlinkat(::dirfd(dir), name.c_str(), 0) == 0) {
            ++removed;
        }
    }
    if (depth > 0) {
        for (const std::string& name : folders) {
            const int sub = ::openat(::dirfd(dir), name.c_str(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                removed += SweepFolder(sub, depth - 1);
            }
        }
    }
    ::closedir(dir);
    return removed;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

ReadResult ReadRegularFile(const std::string& path, std::string& out, size_t maxBytes) {
    out.clear();
    // O_NONBLOCK so that opening a FIFO does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Error;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadResult::Error;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::NotRegular;
    }
    if (ReadErrorInjected(path)) {
        ::close(fd);
        errno = EIO;
        return ReadResult::Error;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            out.clear();
            return ReadResult::Error;
        }
        if (n == 0) {
            break;
        }
        // The file may grow while it is read.
        if (out.size() + static_cast<size_t>(n) > maxBytes) {
            ::close(fd);
            out.clear();
            return ReadResult::TooLarge;
        }
        out.append(buffer.data(), static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string target;
    if (path.empty() || path.back() == '/' || !ResolveLinks(path, target)) {
        return false;
    }
    // The temporary file lives beside the target, so the rename stays in one
    // file system and replaces the target rather than a link to it.
    std::string temp;
    const int fd = MakeTemporary(target, temp);
    if (fd < 0) {
        return false;
    }
    // Keep the permissions of the file we replace; new files are private.
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
    bool ok =
        ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(target);
    return true;
}

bool IsTemporaryFileName(const std::string& name) {
    const size_t marker = std::strlen(kTempMarker);
    return name.size() > 1 + marker + 6 && name.front() == '.' &&
           name.compare(name.size() - 6 - marker, marker, kTempMarker) == 0;
}

int SweepTemporaryFiles(const std::string& folder) {
    if (folder.empty()) {
        return 0;
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : SweepFolder(fd, 8);
}

bool KeepBackup(const std::string& path, BackupWay way) {
    std::string target;
    struct stat st {};
    if (path.empty() || !ResolveLinks(path, target) || ::lstat(target.c_str(), &st) != 0) {
        return false;
    }
    const std::string backup = target + ".bak";
    // A link made under a temporary name and renamed over the old backup:
    // the old backup is only replaced once the new one exists.
    std::string temp;
    const int fd = MakeTemporary(backup, temp);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        if (::link(target.c_str(), temp.c_str()) == 0) {
            if (::rename(temp.c_str(), backup.c_str()) == 0) {
                SyncFolderOf(target);
                return true;
            }
            ::unlink(temp.c_str());
        }
    }
    if (way == BackupWay::LinkOnly || ::rename(target.c_str(), backup.c_str()) != 0) {
        return false;
    }
    SyncFolderOf(target);
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

void InjectReadErrorForTests(const std::string& path) {
    std::lock_guard lock(g_injectMutex);
    g_injectedReadError = path;
}

}  // namespace platform
