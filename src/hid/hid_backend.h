// The seam between CHidPack and the operating system: the hidraw backend
// talks to real devices, the simulator backend (src/sim) to simulated
// firmware. Everything above CHidPack is the same for both.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class StopEvent;
}

namespace hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;  // bcdDevice, the firmware release number
};

struct OpenFlags {
    bool read = true;
    bool write = true;
    bool overlapped = true;
    bool exclusive = false;
};

// One open top-level collection of an interface.
class HidDevice {
  public:
    virtual ~HidDevice() = default;

    virtual HidAttributes Attributes() const = 0;
    // The report descriptor of the whole interface and the 0-based index of
    // the top-level collection this handle stands for; CHidPack derives the
    // capabilities from them.
    virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
    virtual int CollectionIndex() const = 0;

    // Reads one input report of this collection (report id first). Blocks up
    // to `timeoutMs`; false on time-out, failure, unplug or Cancel().
    virtual bool Read(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs) = 0;
    // The same read, also ended at once by `stop`: a listener can wait long
    // for the next report without waking to look at its stop event. The base
    // form reads in short slices and looks at the event between them.
    virtual bool ReadOrStop(uint8_t* buffer, size_t length, size_t& bytesRead, int timeoutMs,
                            const platform::StopEvent& stop);
    // Writes one output report on the interrupt pipe (report id first).
    // `timeoutMs` and Cancel() bound only the wait before the write starts:
    // on hidraw the write itself is synchronous and takes up to the kernel's
    // USB time-out (5 s) when the device does not take the report.
    virtual bool Write(const uint8_t* buffer, size_t length, size_t& bytesWritten,
                       int timeoutMs) = 0;
    // Sends an output report on the control pipe; the same 5 s bound.
    virtual bool SetOutputReport(const uint8_t* buffer, size_t length) = 0;
    // Drops the input reports queued so far.
    virtual void FlushInput() = 0;
    // Ends a pending Read, or a Write still waiting to start, at once (from
    // any thread); later calls work again.
    virtual void Cancel() = 0;
    // Ends pending calls at once and makes every later Read, Write and
    // SetOutputReport fail: the handle is being closed, possibly by another
    // thread than the one blocked in it.
    virtual void Shutdown() { Cancel(); }
};

class HidBackend {
  public:
    virtual ~HidBackend() = default;
    // Paths of every present top-level collection, e.g.
    // "/dev/hidraw3#vid_320f&pid_22ab&mi_01&col04". False on failure.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Null when the path is gone or cannot be opened with these flags.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path, const OpenFlags& flags) = 0;

    // Sleeps until the set of collections may have changed since the last
    // call, `stop` is set or `timeout` passes; true when a change was seen.
    // Meant for one watcher (the discovery thread). The base form cannot
    // tell and only sleeps.
    virtual bool WaitForChange(std::chrono::milliseconds timeout, const platform::StopEvent& stop);
    // True when WaitForChange sees every change, so a watcher may poll rarely.
    virtual bool WatchesChanges() const { return false; }
};

// The process-wide backend CHidPack uses: the hidraw backend unless one was
// installed (the simulator at start-up with --simulate; tests).
std::shared_ptr<HidBackend> CurrentBackend();
void SetBackend(std::shared_ptr<HidBackend> backend);

}  // namespace hid
