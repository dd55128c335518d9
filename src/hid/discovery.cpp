#include "hid/discovery.h"

#include "hid/hid_backend.h"
#include "hid/hid_pack.h"
#include "platform/debug_output.h"

namespace hid {

bool InterfacePresent(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::shared_ptr<HidBackend> backend = CurrentBackend();
    if (!backend) {
        return false;
    }
    OpenFlags probe;
    probe.read = false;
    probe.write = false;
    probe.overlapped = false;
    probe.exclusive = false;
    return backend->Open(path, probe) != nullptr;
}

DiscoveryPass::DiscoveryPass(const DiscoveryParams& params)
    : params_(params), pack_(std::make_unique<CHidPack>()) {}

DiscoveryPass::~DiscoveryPass() = default;

bool DiscoveryPass::Run(const platform::StopEvent* abandonOn) {
    if (params_.slots == nullptr) {
        return false;
    }
    if (!params_.slots->AllBound()) {
        if (!pack_->Enumerate()) {
            return false;
        }
        BindNew(abandonOn);
        pack_->ClearPaths();
    }
    if (first_) {
        // The first pass wakes the main window even when nothing is present.
        first_ = false;
        if (params_.window != nullptr) {
            params_.window->Post(params_.instanceMessage, 0, 0);
        }
    }
    CheckPresence(abandonOn);
    return true;
}

void DiscoveryPass::BindNew(const platform::StopEvent* abandonOn) {
    DeviceSlotList& slots = *params_.slots;
    while (const char* raw = pack_->NextPath()) {
        DeviceCandidate candidate = CandidateFromPath(raw);
        if (!slots.FirstStageMatch(candidate)) {
            continue;
        }
        if (!pack_->Open(candidate.path, true, false, true, false)) {
            continue;  // tried again on the next pass while the slot is free
        }
        candidate.vendorId = pack_->Attributes().vendorId;
        candidate.productId = pack_->Attributes().productId;
        candidate.usagePage = pack_->Caps().usagePage;
        candidate.usage = pack_->Caps().usage;
        pack_->Close();
        int slot = -1;
        if (!slots.FullMatch(candidate, slot)) {
            continue;
        }
        if (candidate.deviceType == kDeviceReceiver) {
            // Taken but not watched: the receiver link poll marks it present
            // once a wireless device is linked.
            slots.SetPresent(static_cast<size_t>(slot), false);
        }
        if (params_.window != nullptr) {
            params_.window->Send(WM_DEVICE_ARRIVED, static_cast<uintptr_t>(slot), 0, abandonOn);
        }
    }
}

void DiscoveryPass::CheckPresence(const platform::StopEvent* abandonOn) {
    DeviceSlotList& slots = *params_.slots;
    const std::vector<DeviceSlot> snapshot = slots.Snapshot();
    for (size_t i = 0; i < snapshot.size(); ++i) {
        const DeviceSlot& slot = snapshot[i];
        // Watched slots, and receiver slots taken before any link: without
        // the latter an unplugged idle receiver would keep its slots forever.
        const bool watched = slot.present != 0;
        const bool takenReceiver =
            slot.present == 0 && !slot.path.empty() && slot.deviceType == kDeviceReceiver;
        if (!watched && !takenReceiver) {
            continue;
        }
        if (InterfacePresent(slot.path)) {
            continue;
        }
        if (slot.vendorId == kVendorMain && slot.productId == kProductReceiver) {
            slots.MouseLinked().store(false);
        }
        bool wasPresent = false;
        if (!slots.FreeIfPath(i, slot.path, wasPresent)) {
            continue;
        }
        if (wasPresent && params_.window != nullptr) {
            params_.window->Send(WM_DEVICE_REMOVED, i, 0, abandonOn);
        }
    }
}

DiscoveryThread::~DiscoveryThread() {
    Stop();
}

platform::JoinTexts DiscoveryThread::DefaultJoinTexts() {
    platform::JoinTexts texts;
    texts.signalled = "线程退出：：对象处于激发状态\n";
    texts.timedOut = "线程退出：：对象处于非激发状态，超时\n";
    return texts;
}

bool DiscoveryThread::Start(const DiscoveryParams& params) {
    if (params.slots == nullptr) {
        return false;
    }
    return worker_.Start(
        [params](const platform::StopEvent& stop) {
            DiscoveryPass pass(params);
            while (true) {
                if (stop.Wait(std::chrono::milliseconds(1))) {
                    platform::DebugOutput("抓取设备线程设定退出");
                    return;
                }
                if (!pass.Run(&stop)) {
                    return;  // enumeration failed: no more reports this run
                }
                // A backend that reports every node that comes or goes wakes the
                // next pass itself; the slow poll only retries opens that failed.
                const std::shared_ptr<HidBackend> backend = CurrentBackend();
                backend->WaitForChange(backend->WatchesChanges()
                                           ? std::max(params.period, params.watchedPeriod)
                                           : params.period,
                                       stop);
                if (stop.IsSet()) {
                    platform::DebugOutput("抓取设备线程设定退出");
                    return;
                }
            }
        },
        "qx70-discovery");
}

void DiscoveryThread::Stop(std::chrono::milliseconds bound, const platform::JoinTexts& texts) {
    if (!worker_.Running()) {
        return;
    }
    worker_.StopAndJoin(bound, texts);
}

}  // namespace hid
