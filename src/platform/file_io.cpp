#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    if (path.empty() || path.back() == '/') {
        return false;
    }
    std::string temp = path + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    temp.assign(name.data());
    // Keep the permissions of the file we replace; new files are private.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
    bool ok =
        ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) {
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool KeepBackup(const std::string& path) {
    std::string bytes;
    // A backup is a copy of whatever is there, even an oversized file.
    if (ReadRegularFile(path, bytes, static_cast<size_t>(-1)) != ReadResult::Ok) {
        return false;
    }
    return WriteFileAtomically(path + ".bak", bytes);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace platform
