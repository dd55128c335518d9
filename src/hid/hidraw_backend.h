// HidBackend over Linux hidraw: enumeration from sysfs, one path per
// top-level collection, poll()-based transfers that a Shutdown from another
// thread ends at once.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hid/hid_backend.h"

namespace hid {

class HidrawBackend : public HidBackend {
  public:
    // Opens a device node and returns a file descriptor, or -1. The default
    // is open(2); tests hand out socket ends that stand in for hidraw nodes.
    using NodeOpener = std::function<int(const std::string& nodePath, bool read, bool write)>;

    explicit HidrawBackend(std::string sysfsRoot = "/sys/class/hidraw",
                           std::string devRoot = "/dev", NodeOpener opener = {});
    ~HidrawBackend() override;

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidDevice> Open(const std::string& path, const OpenFlags& flags) override;
    // Watches the device folder for hidraw nodes that come, go or change
    // their access (udev applies it just after the node appears).
    bool WaitForChange(std::chrono::milliseconds timeout, const platform::StopEvent& stop) override;
    bool WatchesChanges() const override { return watchFd_ >= 0; }

    struct NodeInfo;

  private:
    bool ReadNode(const std::string& name, NodeInfo& info) const;
    // Reads every queued inotify event; true when one was about a hidraw node.
    bool DrainWatch();

    std::string sysfsRoot_;
    std::string devRoot_;
    NodeOpener opener_;
    int watchFd_ = -1;  // inotify on devRoot_, -1 when it could not be set up
};

}  // namespace hid
