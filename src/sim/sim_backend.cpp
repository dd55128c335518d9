#include "sim/sim_backend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <utility>

#include "hid/hid_path.h"
#include "hid/report_descriptor.h"
#include "platform/stop_event.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

// Like a hidraw file descriptor (a ring of 64 slots, one always free), a
// handle keeps at most this many unread reports; a report that finds the
// ring full is dropped, not the oldest one.
constexpr size_t kMaxQueuedReports = 63;
constexpr size_t kMaxReport = 4096;
constexpr const char* kNodePrefix = "/dev/hidraw";

struct QueuedReport {
    std::vector<uint8_t> bytes;
    Clock::time_point availableAt;
    int collection;  // the one that declares its report id
};

// The state of one open handle that the node's delivery side shares.
struct HandleState {
    explicit HandleState(int c) : collection(c) {}
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<QueuedReport> queue;
    uint64_t generation = 0;
    bool shutdown = false;
    bool unplugged = false;
    const int collection;
};

// The bus moves reports on fixed frame boundaries (one report per
// direction per frame, like an interrupt endpoint polled every `micros`).
// Waiting for an absolute boundary keeps a timer's lateness from adding up
// over a transfer of many reports.
Clock::time_point NextFrame(Clock::time_point now, uint32_t micros) {
    if (micros == 0) {
        return now;
    }
    static const Clock::time_point epoch = Clock::now();
    const auto period = std::chrono::microseconds(micros);
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - epoch);
    return epoch + (elapsed / period + 1) * period;
}

// One plugged interface.
class SimNode : public InputSink {
  public:
    SimNode(std::shared_ptr<SimFirmware> fw, std::vector<uint8_t> descriptor,
            std::vector<hid::ReportDescriptorInfo> collections,
            std::shared_ptr<std::atomic<uint32_t>> latency)
        : firmware(std::move(fw)),
          attributes(firmware->Attributes()),
          interfaceNumber(firmware->InterfaceNumber()),
          descriptor(std::move(descriptor)),
          collections(std::move(collections)),
          latency(std::move(latency)) {}

    void Deliver(const std::vector<uint8_t>& report) override {
        if (report.empty() || report.size() > kMaxReport) {
            return;
        }
        const int target = hid::CollectionForInputReport(collections, report[0]);
        if (target < 0) {
            return;  // no collection declares it: the host never sees it
        }
        const auto at = NextFrame(Clock::now(), latency->load());
        std::lock_guard lock(mutex);
        if (!plugged) {
            return;
        }
        // As hidraw does, every open handle of the interface gets every
        // report, whatever collection it was opened for; a reader skips the
        // others, but they take room in its queue.
        for (auto it = handles.begin(); it != handles.end();) {
            std::shared_ptr<HandleState> h = it->lock();
            if (!h) {
                it = handles.erase(it);
                continue;
            }
            ++it;
            std::lock_guard hl(h->mutex);
            if (h->shutdown || h->queue.size() >= kMaxQueuedReports) {
                continue;
            }
            h->queue.push_back(QueuedReport{report, at, target});
            h->cv.notify_all();
        }
    }

    std::shared_ptr<HandleState> AddHandle(int collection) {
        auto h = std::make_shared<HandleState>(collection);
        std::lock_guard lock(mutex);
        if (!plugged) {
            return nullptr;
        }
        handles.push_back(h);
        return h;
    }

    void MarkUnplugged() {
        std::lock_guard lock(mutex);
        plugged = false;
        for (auto& weak : handles) {
            if (std::shared_ptr<HandleState> h = weak.lock()) {
                std::lock_guard hl(h->mutex);
                h->unplugged = true;
                h->cv.notify_all();
            }
        }
        handles.clear();
    }

    bool Plugged() {
        std::lock_guard lock(mutex);
        return plugged;
    }

    const std::shared_ptr<SimFirmware> firmware;
    const hid::HidAttributes attributes;
    const uint8_t interfaceNumber;
    const std::vector<uint8_t> descriptor;
    const std::vector<hid::ReportDescriptorInfo> collections;
    const std::shared_ptr<std::atomic<uint32_t>> latency;
    std::vector<std::string> paths;
    std::atomic<uint32_t> stallMillis{0};
    // Serialises the firmware's entry points; recursive because firmware
    // may unplug itself from inside OnOutputReport (fault injection).
    std::recursive_mutex firmwareMutex;

  private:
    std::mutex mutex;
    bool plugged = true;
    std::vector<std::weak_ptr<HandleState>> handles;
};

// What firmware holds to send reports: it must not keep the node alive.
class SinkProxy : public InputSink {
  public:
    explicit SinkProxy(std::weak_ptr<SimNode> node) : node_(std::move(node)) {}
    void Deliver(const std::vector<uint8_t>& report) override {
        if (std::shared_ptr<SimNode> node = node_.lock()) {
            node->Deliver(report);
        }
    }

  private:
    std::weak_ptr<SimNode> node_;
};

class SimDevice : public hid::HidDevice {
  public:
    SimDevice(std::shared_ptr<SimNode> node, std::shared_ptr<HandleState> handle, bool readable,
              bool writable)
        : node_(std::move(node)),
          handle_(std::move(handle)),
          readable_(readable),
          writable_(writable) {}

    hid::HidAttributes Attributes() const override { return node_->attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return node_->descriptor; }
    int CollectionIndex() const override { return handle_->collection; }

    bool Read(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs) override {
        return ReadUnless(buffer, length, bytesRead, timeoutMs, nullptr);
    }

    bool ReadOrStop(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs,
                    const platform::StopEvent& stop) override {
        bool stopped = false;  // guarded by the handle's mutex
        const platform::ScopedStopHook hook =
            platform::RaiseOnStop(stop, handle_->mutex, handle_->cv, stopped);
        return ReadUnless(buffer, length, bytesRead, timeoutMs, &stopped);
    }

  private:
    // Reads until a report, the time-out, a cancel, or `*stopped` (read
    // under the handle's mutex) becomes true.
    bool ReadUnless(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs,
                    const bool* stopped) {
        bytesRead = 0;
        if (!readable_) {
            return false;
        }
        HandleState& h = *handle_;
        std::unique_lock lock(h.mutex);
        const uint64_t generation = h.generation;
        const bool forever = timeoutMs < 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            if (h.shutdown || h.unplugged || h.generation != generation ||
                (stopped != nullptr && *stopped)) {
                return false;
            }
            const auto now = Clock::now();
            while (!h.queue.empty() && h.queue.front().availableAt <= now &&
                   h.queue.front().collection != h.collection) {
                h.queue.pop_front();
            }
            if (!h.queue.empty() && h.queue.front().availableAt <= now) {
                const std::vector<uint8_t>& r = h.queue.front().bytes;
                const size_t copy = std::min(r.size(), length);
                if (copy > 0) {
                    std::memcpy(buffer, r.data(), copy);
                }
                bytesRead = copy;
                h.queue.pop_front();
                return true;
            }
            if (!forever && now >= deadline) {
                return false;
            }
            auto until = forever ? Clock::time_point::max() : deadline;
            if (!h.queue.empty()) {
                until = std::min(until, h.queue.front().availableAt);
            }
            if (until == Clock::time_point::max()) {
                h.cv.wait(lock);
            } else {
                h.cv.wait_until(lock, until);
            }
        }
    }

  public:
    bool Write(const uint8_t* buffer, size_t length, size_t& bytesWritten, int timeoutMs) override {
        (void)timeoutMs;  // the simulated pipe always accepts within the latency
        bytesWritten = 0;
        if (!Send(buffer, length)) {
            return false;
        }
        bytesWritten = length;
        return true;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        return Send(buffer, length);
    }

    void FlushInput() override {
        std::lock_guard lock(handle_->mutex);
        handle_->queue.clear();
    }

    void Cancel() override {
        std::lock_guard lock(handle_->mutex);
        ++handle_->generation;
        handle_->cv.notify_all();
    }

    void Shutdown() override {
        std::lock_guard lock(handle_->mutex);
        handle_->shutdown = true;
        handle_->queue.clear();
        handle_->cv.notify_all();
    }

  private:
    bool Send(const uint8_t* buffer, size_t length) {
        if (!writable_ || buffer == nullptr || length == 0 || length > kMaxReport) {
            return false;
        }
        HandleState& h = *handle_;
        {
            std::unique_lock lock(h.mutex);
            if (const uint32_t stall = node_->stallMillis.load(); stall > 0) {
                // A device that does not take the report: the kernel waits out
                // its USB time-out whatever the caller asked, and neither a
                // cancel nor a close ends the wait; only an unplug does.
                h.cv.wait_for(lock, std::chrono::milliseconds(stall), [&] { return h.unplugged; });
                return false;
            }
            // The modelled transfer time; a cancel or unplug ends it early.
            const uint64_t generation = h.generation;
            auto stopped = [&] { return h.shutdown || h.unplugged || h.generation != generation; };
            if (stopped()) {
                return false;
            }
            const uint32_t micros = node_->latency->load();
            if (micros > 0 && h.cv.wait_until(lock, NextFrame(Clock::now(), micros), stopped)) {
                return false;
            }
        }
        std::lock_guard fw(node_->firmwareMutex);
        if (!node_->Plugged()) {
            return false;
        }
        node_->firmware->OnOutputReport(std::vector<uint8_t>(buffer, buffer + length), *node_);
        return true;
    }

    const std::shared_ptr<SimNode> node_;
    const std::shared_ptr<HandleState> handle_;
    const bool readable_;
    const bool writable_;
};

bool ParseNodeNumber(std::string_view node, int& number) {
    const std::string_view prefix = kNodePrefix;
    if (node.size() <= prefix.size() || node.size() > prefix.size() + 6 ||
        node.substr(0, prefix.size()) != prefix) {
        return false;
    }
    int n = 0;
    for (char c : node.substr(prefix.size())) {
        if (c < '0' || c > '9') {
            return false;
        }
        n = n * 10 + (c - '0');
    }
    number = n;
    return true;
}

}  // namespace

struct SimBackend::Impl {
    mutable std::mutex mutex;
    std::map<int, std::shared_ptr<SimNode>> nodes;
    std::condition_variable changed;
    bool changePending = false;  // a plug or unplug the watcher has not seen
    std::shared_ptr<std::atomic<uint32_t>> latency = std::make_shared<std::atomic<uint32_t>>(1000);
};

SimBackend::SimBackend() : impl_(std::make_shared<Impl>()) {}

SimBackend::~SimBackend() {
    std::vector<int> numbers;
    {
        std::lock_guard lock(impl_->mutex);
        for (const auto& [n, node] : impl_->nodes) {
            numbers.push_back(n);
        }
    }
    for (int n : numbers) {
        Unplug(n);
    }
}

int SimBackend::Plug(std::shared_ptr<SimFirmware> firmware) {
    if (!firmware) {
        return -1;
    }
    std::vector<uint8_t> descriptor = firmware->ReportDescriptor();
    std::vector<hid::ReportDescriptorInfo> collections;
    if (!hid::ReportDescriptorInfo::Parse(descriptor.data(), descriptor.size(), collections)) {
        return -1;
    }
    auto node = std::make_shared<SimNode>(firmware, std::move(descriptor), std::move(collections),
                                          impl_->latency);
    int number = 0;
    {
        std::lock_guard lock(impl_->mutex);
        // The lowest free number, as the kernel hands out hidraw minors.
        while (impl_->nodes.count(number)) {
            ++number;
        }
        const std::string name = kNodePrefix + std::to_string(number);
        for (size_t i = 0; i < node->collections.size(); ++i) {
            node->paths.push_back(
                hid::MakeCollectionPath(name, node->attributes.vendorId, node->attributes.productId,
                                        node->interfaceNumber, i, node->collections.size()));
        }
        impl_->nodes[number] = node;
        impl_->changePending = true;
    }
    impl_->changed.notify_all();
    std::lock_guard fw(node->firmwareMutex);
    firmware->OnPlugged(std::make_shared<SinkProxy>(node));
    return number;
}

void SimBackend::Unplug(int number) {
    std::shared_ptr<SimNode> node;
    {
        std::lock_guard lock(impl_->mutex);
        auto it = impl_->nodes.find(number);
        if (it == impl_->nodes.end()) {
            return;
        }
        node = it->second;
        impl_->nodes.erase(it);
        impl_->changePending = true;
    }
    impl_->changed.notify_all();
    node->MarkUnplugged();
    std::lock_guard fw(node->firmwareMutex);
    node->firmware->OnUnplugged();
}

bool SimBackend::IsPlugged(int number) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->nodes.count(number) != 0;
}

bool SimBackend::StallWrites(const std::string& path, uint32_t millis) {
    int number = 0;
    if (!ParseNodeNumber(hid::PathNode(path), number)) {
        return false;
    }
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->nodes.find(number);
    if (it == impl_->nodes.end()) {
        return false;
    }
    it->second->stallMillis.store(millis);
    return true;
}

void SimBackend::SetReportLatencyMicros(uint32_t micros) {
    impl_->latency->store(micros);
}

uint32_t SimBackend::ReportLatencyMicros() const {
    return impl_->latency->load();
}

bool SimBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::lock_guard lock(impl_->mutex);
    for (const auto& [n, node] : impl_->nodes) {
        paths.insert(paths.end(), node->paths.begin(), node->paths.end());
    }
    return true;
}

bool SimBackend::WaitForChange(std::chrono::milliseconds timeout, const platform::StopEvent& stop) {
    Impl& impl = *impl_;
    bool stopped = false;  // guarded by the backend's mutex
    const platform::ScopedStopHook hook =
        platform::RaiseOnStop(stop, impl.mutex, impl.changed, stopped);
    std::unique_lock lock(impl.mutex);
    impl.changed.wait_for(lock, timeout, [&] { return stopped || impl.changePending; });
    return std::exchange(impl.changePending, false);
}

std::unique_ptr<hid::HidDevice> SimBackend::Open(const std::string& path,
                                                 const hid::OpenFlags& flags) {
    int number = 0;
    if (!ParseNodeNumber(hid::PathNode(path), number)) {
        return nullptr;
    }
    std::shared_ptr<SimNode> node;
    {
        std::lock_guard lock(impl_->mutex);
        auto it = impl_->nodes.find(number);
        if (it == impl_->nodes.end()) {
            return nullptr;
        }
        node = it->second;
    }
    int collection = -1;
    for (size_t i = 0; i < node->paths.size(); ++i) {
        if (hid::SamePathIgnoringCase(node->paths[i], path)) {
            collection = static_cast<int>(i);
            break;
        }
    }
    if (collection < 0) {
        return nullptr;
    }
    std::shared_ptr<HandleState> handle = node->AddHandle(collection);
    if (!handle) {
        return nullptr;
    }
    return std::make_unique<SimDevice>(std::move(node), std::move(handle), flags.read, flags.write);
}

}  // namespace sim
