// The USB side of the simulated devices: a device's own interface, and the
// 2.4 GHz receiver that carries the keyboard and the mouse. Framing,
// checksum check, echo, status, events on the consumer collection, and
// fault injection for tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "sim/sim_backend.h"
#include "sim/sim_device_model.h"

namespace sim {

enum class Fault {
    NoAnswer,          // the request is swallowed: the host's read times out
    StaleAnswerFirst,  // the previous answer is sent again before this one
    StatusFF,          // answered with status 0xFF, nothing done
    StatusFE,          // answered with status 0xFE, nothing done
    Unreachable,       // receiver: answered as if the target were not linked
    Unplug,            // no answer, and the interface is pulled out
};

// Faults waiting for coming requests, in order. Thread-safe.
class FaultPlan {
  public:
    static constexpr int kAnyCommand = -1;
    // The fault hits the request after `skip` further requests. With a
    // command (0 to 255) only requests of that command count and are hit,
    // and the others pass: a device streaming LED frames still meets the
    // fault in the transfer it is meant for.
    void Inject(Fault fault, int skip = 0, int command = kAnyCommand);
    void Clear();
    size_t Pending() const;
    // The fault for this request (command byte `command`), if any.
    bool Next(Fault& fault, uint8_t command);

  private:
    struct Entry {
        Fault fault;
        int skip;
        int command;
    };
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
};

// Common part of both interfaces.
class CommandInterface : public SimFirmware {
  public:
    CommandInterface();
    ~CommandInterface() override;

    FaultPlan& Faults() { return faults_; }
    // Called (on the host's writing thread) when an Unplug fault fires; the
    // owner pulls the interface out.
    void SetUnplugHook(std::function<void()> hook);

    void OnPlugged(std::shared_ptr<InputSink> sink) override;
    void OnUnplugged() override;
    // Sends an event report on the consumer collection while plugged.
    void SendEvent(uint16_t code);
    // Requests served and checksum failures seen (tests, benchmarks).
    uint64_t RequestCount() const;
    uint64_t ChecksumErrors() const;

  protected:
    // What to do with this request given the fault plan; false when no
    // answer must be sent.
    struct Plan {
        bool answer = true;
        bool staleFirst = false;
        uint8_t forcedStatus = 0;  // 0: none
        bool unreachable = false;
    };
    Plan TakeFault(uint8_t command);
    void SendAnswer(InputSink& sink, const std::vector<uint8_t>& answer, bool staleFirst);
    void CountChecksumError();

    // Frames an answer: id 4, echo of bytes 3..6, status, checksum.
    static std::vector<uint8_t> Frame(const std::vector<uint8_t>& request, uint8_t status,
                                      std::vector<uint8_t> answer);

    // Shared with the model listeners, which may outlive this object.
    struct EventPort {
        std::mutex mutex;
        std::shared_ptr<InputSink> sink;
        void Deliver(const std::vector<uint8_t>& report);
    };
    std::shared_ptr<EventPort> port_;

  private:
    FaultPlan faults_;
    mutable std::mutex mutex_;
    std::function<void()> unplugHook_;
    std::vector<uint8_t> lastAnswer_;
    uint64_t requests_ = 0;
    uint64_t checksumErrors_ = 0;
};

// A device's own USB interface (wired keyboard, mouse pad, headset).
class UsbInterface : public CommandInterface {
  public:
    UsbInterface(std::shared_ptr<DeviceModel> model, hid::HidAttributes attributes,
                 uint8_t interfaceNumber, std::vector<uint8_t> descriptor);
    ~UsbInterface() override;

    hid::HidAttributes Attributes() const override;
    uint8_t InterfaceNumber() const override { return interfaceNumber_; }
    std::vector<uint8_t> ReportDescriptor() const override { return descriptor_; }
    void OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) override;

    void SetReleaseNumber(uint16_t release);
    DeviceModel& Model() { return *model_; }

  private:
    std::shared_ptr<DeviceModel> model_;
    mutable std::mutex attrMutex_;
    hid::HidAttributes attributes_;
    uint8_t interfaceNumber_;
    std::vector<uint8_t> descriptor_;
    int listener_ = 0;
};

// The 2.4 GHz receiver: answers the link status itself and passes every
// other request to the keyboard (target 0) or the mouse (target 2) by
// request byte 32, 24 payload bytes at most. Events of both linked devices
// come out of its one consumer collection.
class ReceiverInterface : public CommandInterface {
  public:
    static constexpr uint16_t kRelease = 0x0105;
    static constexpr size_t kMaxPayload = 24;

    ReceiverInterface();
    ~ReceiverInterface() override;

    hid::HidAttributes Attributes() const override;
    uint8_t InterfaceNumber() const override { return 1; }
    std::vector<uint8_t> ReportDescriptor() const override;
    void OnOutputReport(const std::vector<uint8_t>& report, InputSink& sink) override;

    void LinkKeyboard(std::shared_ptr<DeviceModel> keyboard);
    void UnlinkKeyboard();
    void LinkMouse(std::shared_ptr<DeviceModel> mouse);
    void UnlinkMouse();
    bool KeyboardLinked() const;
    bool MouseLinked() const;
    // The release number its attributes report (kRelease by default).
    void SetReleaseNumber(uint16_t release);

  private:
    struct Link {
        std::shared_ptr<DeviceModel> model;
        int listener = 0;
    };
    void Attach(Link& link, std::shared_ptr<DeviceModel> model);
    static void Detach(Link& link);

    std::atomic<uint16_t> release_{kRelease};
    mutable std::mutex linkMutex_;
    Link keyboard_;
    Link mouse_;
};

// Verifies request bytes 1-2 against bytes 3..63, leaving byte `skip` out of
// the sum when skip < 64 (the receiver's target byte).
bool ChecksumMatches(const std::vector<uint8_t>& request, size_t skip = 64);

}  // namespace sim
