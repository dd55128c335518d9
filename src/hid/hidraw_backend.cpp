#include "hid/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>

#include "hid/hid_path.h"
#include "hid/report_descriptor.h"
#include "platform/stop_event.h"

namespace hid {

struct HidrawBackend::NodeInfo {
    std::string nodePath;
    HidAttributes attributes;
    int interfaceNumber = -1;
    std::vector<uint8_t> descriptor;
    std::vector<ReportDescriptorInfo> collections;
};

namespace {

// hidraw never hands out more than this per report.
constexpr size_t kMaxReport = 4096;
constexpr size_t kMaxSysfsFile = 64 * 1024;

bool ReadSmallFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buf[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > kMaxSysfsFile) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok;
}

// A sysfs attribute holding one hexadecimal number ("320f\n").
bool ReadHexAttribute(const std::string& path, uint32_t maxValue, uint32_t& value) {
    std::string text;
    if (!ReadSmallFile(path, text)) {
        return false;
    }
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    uint64_t v = 0;
    size_t digits = 0;
    for (; i < text.size() && digits < 9; ++i, ++digits) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        if (c >= '0' && c <= '9') {
            v = v * 16 + static_cast<uint64_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            v = v * 16 + static_cast<uint64_t>(c - 'a' + 10);
        } else {
            break;
        }
    }
    if (digits == 0 || v > maxValue) {
        return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// "HID_ID=0003:0000320F:000022AB" in the HID device's uevent.
bool ParseHidId(const std::string& uevent, uint16_t& vendor, uint16_t& product) {
    const std::string key = "HID_ID=";
    size_t pos = 0;
    while (pos < uevent.size()) {
        size_t end = uevent.find('\n', pos);
        if (end == std::string::npos) {
            end = uevent.size();
        }
        const std::string line = uevent.substr(pos, end - pos);
        pos = end + 1;
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        unsigned bus = 0;
        unsigned long vid = 0;
        unsigned long pid = 0;
        if (std::sscanf(line.c_str() + key.size(), "%x:%lx:%lx", &bus, &vid, &pid) != 3 ||
            vid > 0xFFFF || pid > 0xFFFF) {
            return false;
        }
        vendor = static_cast<uint16_t>(vid);
        product = static_cast<uint16_t>(pid);
        return true;
    }
    return false;
}

bool IsNodeName(const char* name) {
    if (std::strncmp(name, "hidraw", 6) != 0 || name[6] == '\0') {
        return false;
    }
    for (const char* p = name + 6; *p; ++p) {
        if (*p < '0' || *p > '9') {
            return false;
        }
    }
    return std::strlen(name) <= 16;
}

unsigned long NodeNumber(const std::string& name) {
    return std::strtoul(name.c_str() + 6, nullptr, 10);
}

std::vector<std::string> CollectionPaths(const HidrawBackend::NodeInfo& info) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < info.collections.size(); ++i) {
        paths.push_back(MakeCollectionPath(info.nodePath, info.attributes.vendorId,
                                           info.attributes.productId, info.interfaceNumber, i,
                                           info.collections.size()));
    }
    return paths;
}

int DefaultOpen(const std::string& nodePath, bool read, bool write) {
    const int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    return ::open(nodePath.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
}

// One open collection of a hidraw node. Every open handle has its own file
// descriptor, and hidraw gives each descriptor a copy of every input
// report, so a handle keeps the reports of its collection and drops the
// others.
class HidrawDevice : public HidDevice {
  public:
    HidrawDevice(int fd, bool writable, HidrawBackend::NodeInfo&& info, int collection)
        : fd_(fd),
          eventFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
          writable_(writable),
          info_(std::move(info)),
          collection_(collection) {}

    ~HidrawDevice() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (eventFd_ >= 0) {
            ::close(eventFd_);
        }
    }

    HidAttributes Attributes() const override { return info_.attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return info_.descriptor; }
    int CollectionIndex() const override { return collection_; }

    bool Read(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs) override {
        return ReadWaking(buffer, length, bytesRead, timeoutMs, -1);
    }

    bool ReadOrStop(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs,
                    const platform::StopEvent& stop) override {
        if (stop.Fd() < 0) {
            return HidDevice::ReadOrStop(buffer, length, bytesRead, timeoutMs, stop);
        }
        return !stop.IsSet() && ReadWaking(buffer, length, bytesRead, timeoutMs, stop.Fd());
    }

    // A read that a readable `stopFd` (when >= 0) also ends.
    bool ReadWaking(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs, int stopFd) {
        bytesRead = 0;
        uint64_t generation = 0;
        if (fd_ < 0 || !Begin(generation)) {
            return false;
        }
        const auto deadline = Deadline(timeoutMs);
        const bool withId = info_.collections.front().InterfaceUsesReportIds();
        uint8_t report[kMaxReport + 1];
        for (;;) {
            if (Wait(POLLIN, deadline, timeoutMs < 0, generation, stopFd) != kReady) {
                return false;
            }
            // Reports of interfaces without ids arrive bare; give them the
            // leading 0 every caller expects.
            uint8_t* dest = withId ? report : report + 1;
            report[0] = 0;
            const ssize_t n = ::read(fd_, dest, kMaxReport);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    continue;
                }
                return false;
            }
            if (n == 0) {
                return false;  // the node went away
            }
            const size_t size = static_cast<size_t>(n) + (withId ? 0 : 1);
            if (CollectionForInputReport(info_.collections, report[0]) != collection_) {
                continue;
            }
            const size_t copy = std::min(size, length);
            if (copy > 0) {
                std::memcpy(buffer, report, copy);
            }
            bytesRead = copy;
            return true;
        }
    }

    // poll() always reports a hidraw node writable and write() ignores
    // O_NONBLOCK: the kernel sends the report synchronously and waits up to
    // its USB time-out (5 s) for a device that does not take it. The
    // time-out and a cancel only end the wait before that; nothing ends the
    // write itself, so callers that must not block write on a thread of
    // their own.
    bool Write(const uint8_t* buffer, size_t length, size_t& bytesWritten, int timeoutMs) override {
        bytesWritten = 0;
        uint64_t generation = 0;
        if (fd_ < 0 || !writable_ || length == 0 || length > kMaxReport || !Begin(generation)) {
            return false;
        }
        const auto deadline = Deadline(timeoutMs);
        for (;;) {
            if (Wait(POLLOUT, deadline, timeoutMs < 0, generation) != kReady) {
                return false;
            }
            const ssize_t n = ::write(fd_, buffer, length);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    continue;
                }
                return false;
            }
            bytesWritten = static_cast<size_t>(n);
            return bytesWritten == length;
        }
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        uint64_t generation = 0;
        if (fd_ < 0 || !writable_ || length == 0 || length > kMaxReport || !Begin(generation)) {
            return false;
        }
        std::vector<uint8_t> copy(buffer, buffer + length);
        if (::ioctl(fd_, HIDIOCSOUTPUT(length), copy.data()) >= 0) {
            return true;
        }
        // Kernels before 5.11 (and nodes that are not hidraw at all) lack the
        // control-pipe request; the interrupt pipe carries the same report.
        if (errno != ENOTTY && errno != EINVAL && errno != ENOSYS) {
            return false;
        }
        size_t written = 0;
        return Write(buffer, length, written, 1000);
    }

    void FlushInput() override {
        if (fd_ < 0) {
            return;
        }
        uint8_t scratch[kMaxReport];
        for (int i = 0; i < 4096; ++i) {
            const ssize_t n = ::read(fd_, scratch, sizeof scratch);
            if (n <= 0 && !(n < 0 && errno == EINTR)) {
                break;
            }
        }
    }

    void Cancel() override { Signal(false); }
    void Shutdown() override { Signal(true); }

  private:
    enum WaitResult { kReady, kTimeout, kCancelled, kError };
    using Clock = std::chrono::steady_clock;

    static Clock::time_point Deadline(int timeoutMs) {
        return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    }

    bool Begin(uint64_t& generation) {
        std::lock_guard lock(mutex_);
        generation = generation_;
        return !shutdown_;
    }

    void Signal(bool shutdown) {
        std::lock_guard lock(mutex_);
        if (shutdown) {
            shutdown_ = true;
        }
        ++generation_;
        if (eventFd_ >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(eventFd_, &one, sizeof one);
        }
    }

    // Waits for `events` on the node, the cancel eventfd or the deadline. A
    // cancel wakes every waiter; the eventfd is drained only by the last
    // waiter to leave, so no waiter can miss a cancel meant for it.
    // A readable `stopFd` (when >= 0) counts as a cancel of this wait only.
    WaitResult Wait(short events, Clock::time_point deadline, bool forever, uint64_t generation,
                    int stopFd = -1) {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (shutdown_ || generation_ != generation) {
                    return kCancelled;
                }
                ++waiters_;
            }
            int timeout = -1;
            if (!forever) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
            } else if (eventFd_ < 0) {
                timeout = 10;
            }
            // The stop descriptor goes last so that it can be left out.
            pollfd fds[3] = {{fd_, events, 0}, {eventFd_, POLLIN, 0}, {}};
            nfds_t count = eventFd_ >= 0 ? 2 : 1;
            if (stopFd >= 0) {
                fds[count++] = {stopFd, POLLIN, 0};
            }
            const int r = ::poll(fds, count, timeout);
            const int err = errno;
            const bool stopped = r > 0 && stopFd >= 0 && (fds[count - 1].revents & POLLIN);
            const bool wake = r > 0 && eventFd_ >= 0 && (fds[1].revents & POLLIN);
            {
                std::lock_guard lock(mutex_);
                --waiters_;
                if (shutdown_ || generation_ != generation) {
                    return kCancelled;
                }
                if (wake && waiters_ == 0) {
                    uint64_t value = 0;
                    [[maybe_unused]] ssize_t n = ::read(eventFd_, &value, sizeof value);
                }
            }
            if (stopped) {
                return kCancelled;
            }
            if (r < 0) {
                if (err == EINTR) {
                    continue;
                }
                return kError;
            }
            const short revents = fds[0].revents;
            if (revents & events) {
                return kReady;  // data queued before a hang-up is still read
            }
            if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return kError;
            }
            if (!forever && Clock::now() >= deadline) {
                return kTimeout;
            }
        }
    }

    const int fd_;
    const int eventFd_;
    const bool writable_;
    const HidrawBackend::NodeInfo info_;
    const int collection_;

    std::mutex mutex_;
    uint64_t generation_ = 0;
    bool shutdown_ = false;
    int waiters_ = 0;
};

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot, NodeOpener opener)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)), opener_(std::move(opener)) {
    if (!opener_) {
        opener_ = DefaultOpen;
    }
    watchFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ >= 0 &&
        ::inotify_add_watch(watchFd_, devRoot_.c_str(),
                            IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(watchFd_);
        watchFd_ = -1;
    }
}

HidrawBackend::~HidrawBackend() {
    if (watchFd_ >= 0) {
        ::close(watchFd_);
    }
}

bool HidrawBackend::WaitForChange(std::chrono::milliseconds timeout,
                                  const platform::StopEvent& stop) {
    if (watchFd_ < 0 || stop.Fd() < 0) {
        return HidBackend::WaitForChange(timeout, stop);
    }
    // Only hidraw nodes count; the rest of the folder changes all the time,
    // and waking the watcher for it would cost a pass each time.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool changed = false;
    while (!changed) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fds[2] = {{watchFd_, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        const int ms = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
        if (::poll(fds, 2, ms) <= 0 || !(fds[0].revents & POLLIN) || (fds[1].revents & POLLIN)) {
            return false;
        }
        changed = DrainWatch();
    }
    return true;
}

bool HidrawBackend::DrainWatch() {
    bool changed = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watchFd_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (at + static_cast<ssize_t>(sizeof(inotify_event) + event->len) > n) {
                break;
            }
            const size_t nameLength = strnlen(event->name, event->len);
            if ((event->mask & IN_Q_OVERFLOW) ||
                std::string_view(event->name, nameLength).starts_with("hidraw")) {
                changed = true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

bool HidrawBackend::ReadNode(const std::string& name, NodeInfo& info) const {
    const std::string device = sysfsRoot_ + "/" + name + "/device";
    info = NodeInfo{};
    info.nodePath = devRoot_ + "/" + name;

    std::string text;
    if (ReadSmallFile(device + "/report_descriptor", text) && !text.empty()) {
        info.descriptor.assign(text.begin(), text.end());
    } else {
        const int fd = opener_(info.nodePath, true, false);
        if (fd < 0) {
            return false;
        }
        int size = 0;
        hidraw_report_descriptor rd{};
        if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) >= 0 && size > 0 &&
            size <= HID_MAX_DESCRIPTOR_SIZE) {
            rd.size = static_cast<uint32_t>(size);
            if (::ioctl(fd, HIDIOCGRDESC, &rd) >= 0) {
                info.descriptor.assign(rd.value, rd.value + size);
            }
        }
        ::close(fd);
        if (info.descriptor.empty()) {
            return false;
        }
    }
    if (!ReportDescriptorInfo::Parse(info.descriptor.data(), info.descriptor.size(),
                                     info.collections)) {
        return false;
    }

    // The USB device two levels up has the ids and the release number; a
    // node on another bus has only the HID ids from uevent.
    uint32_t value = 0;
    uint32_t vid = 0;
    uint32_t pid = 0;
    if (ReadHexAttribute(device + "/../../idVendor", 0xFFFF, vid) &&
        ReadHexAttribute(device + "/../../idProduct", 0xFFFF, pid)) {
        info.attributes.vendorId = static_cast<uint16_t>(vid);
        info.attributes.productId = static_cast<uint16_t>(pid);
    } else if (!ReadSmallFile(device + "/uevent", text) ||
               !ParseHidId(text, info.attributes.vendorId, info.attributes.productId)) {
        return false;
    }
    if (ReadHexAttribute(device + "/../../bcdDevice", 0xFFFF, value)) {
        info.attributes.versionNumber = static_cast<uint16_t>(value);
    }
    if (ReadHexAttribute(device + "/../bInterfaceNumber", 0xFF, value)) {
        info.interfaceNumber = static_cast<int>(value);
    }
    return true;
}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    DIR* dir = ::opendir(sysfsRoot_.c_str());
    if (dir == nullptr) {
        // No hidraw class at all means no HID device is present.
        return errno == ENOENT;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsNodeName(entry->d_name)) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return NodeNumber(a) < NodeNumber(b);
    });
    for (const std::string& name : names) {
        NodeInfo info;
        if (!ReadNode(name, info)) {
            continue;  // gone meanwhile, or a descriptor we cannot use
        }
        for (std::string& p : CollectionPaths(info)) {
            paths.push_back(std::move(p));
        }
    }
    return true;
}

std::unique_ptr<HidDevice> HidrawBackend::Open(const std::string& path, const OpenFlags& flags) {
    const std::string_view node = PathNode(path);
    const std::string prefix = devRoot_ + "/";
    if (node.size() <= prefix.size() || node.substr(0, prefix.size()) != prefix) {
        return nullptr;
    }
    const std::string name(node.substr(prefix.size()));
    if (!IsNodeName(name.c_str())) {
        return nullptr;
    }
    NodeInfo info;
    if (!ReadNode(name, info)) {
        return nullptr;
    }
    // The path must still name this node's device: a node number reused by
    // another device does not open under an old path.
    const std::vector<std::string> paths = CollectionPaths(info);
    int collection = -1;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (SamePathIgnoringCase(paths[i], path)) {
            collection = static_cast<int>(i);
            break;
        }
    }
    if (collection < 0) {
        return nullptr;
    }
    int fd = -1;
    if (flags.read || flags.write) {
        fd = opener_(info.nodePath, flags.read, flags.write);
        if (fd < 0) {
            return nullptr;
        }
        const int fl = ::fcntl(fd, F_GETFL);
        if (fl < 0 || ::fcntl(fd, F_SETFL, fl | O_NONBLOCK) < 0) {
            ::close(fd);
            return nullptr;
        }
    } else {
        // Opened without access only to learn that it exists.
        struct stat st {};
        if (::stat(info.nodePath.c_str(), &st) != 0) {
            return nullptr;
        }
    }
    return std::make_unique<HidrawDevice>(fd, flags.write, std::move(info), collection);
}

}  // namespace hid
