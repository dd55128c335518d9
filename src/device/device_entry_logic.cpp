#include "device/device_entry_logic.h"

#include "platform/debug_output.h"
#include "platform/tick_count.h"

namespace device {

void DeviceEntryLogic::StartLinkWatch(int ms) {
    if (device_ != nullptr && ChannelOpen()) {
        host_.StartTimer(kTimerLinkWatch, ms);
    }
}

void DeviceEntryLogic::StartKeepAliveA() {
    // A sleep time of ten seconds or less would make a period of zero or
    // less: such a keep-alive is not started.
    const long long period = static_cast<long long>(device_->GetKeepAliveMinutes()) * 60000 - 10000;
    if (period > 0 && period <= 0x7FFFFFFF) {
        host_.StartTimer(kTimerKeepAliveA, static_cast<int>(period));
    }
}

void DeviceEntryLogic::RestartKeepAliveA() {
    host_.StopTimer(kTimerKeepAliveA);
    host_.StartTimer(kTimerKeepAliveA, 50);
}

void DeviceEntryLogic::RestartKeepAliveB() {
    host_.StopTimer(kTimerKeepAliveB);
    host_.StartTimer(kTimerKeepAliveB, 50);
}

void DeviceEntryLogic::NotifyWindow(int linkUp) {
    if (MainWindowLink* window = device_->GetMainWindow()) {
        window->SendToWindow(kMsgEntryNotice, static_cast<uintptr_t>(device_->GetModelRow()),
                             linkUp);
    }
}

void DeviceEntryLogic::OnTimer(int id) {
    host_.StopTimer(id);
    if (device_ == nullptr) {
        return;
    }
    switch (id) {
        case kTimerFrame:
            OnFrameTimer();
            break;
        case kTimerConnect:
            OnConnectTimer();
            break;
        case kTimerResync:
            device_->OnResync();
            break;
        case kTimerHookA:
            device_->OnTimerHookA();
            break;
        case kTimerHookB:
            device_->OnTimerHookB();
            break;
        case kTimerBattery:
            device_->PollBattery();
            if (device_->GetBatteryWidgetEnabled()) {
                host_.StartTimer(kTimerBattery, 5000);
            }
            break;
        case kTimerLinkWatch:
            OnLinkWatchTimer();
            break;
        case kTimerKeepAliveA:
            StartKeepAliveA();
            break;
        case kTimerKeepAliveB:
            host_.StartTimer(kTimerKeepAliveB, kKeepAliveBMs);
            break;
        default:
            break;
    }
}

void DeviceEntryLogic::OnConnectTimer() {
    if (ReceiverMode() && ChannelOpen()) {
        if (!device_->IsLinkUp()) {
            // The window's lost-link handling only acts on a shown entry, so
            // it is told before the entry is hidden.
            if (host_.IsShown()) {
                NotifyWindow(0);
                host_.SetVisible(false);
            }
            host_.StartTimer(kTimerConnect, 3000);
            return;
        }
        host_.StartTimer(kTimerKeepAliveA, 50);
        host_.StartTimer(kTimerKeepAliveB, 50);
        NotifyWindow(1);
    }
    device_->OnConnected();
    host_.StartTimer(kTimerFrame, 5);
    if (device_->GetBatteryWidgetEnabled() && ChannelOpen()) {
        host_.StartTimer(kTimerBattery, 50);
    }
    if (ReceiverMode()) {
        StartLinkWatch(2000);
    }
}

void DeviceEntryLogic::OnFrameTimer() {
    const uint32_t tick = platform::TickCount();
    if (device_->NeedsFramesWhileHidden() || !framed_ || tick - lastFrameTick_ >= kPictureFrameMs) {
        framed_ = true;
        lastFrameTick_ = tick;
        device_->PushLedFrame();
    }
    // The preview only changes when the tick count does, so repainting more
    // often than that would draw the same picture again.
    device_->SetPreviewShown(PreviewSeen());
    if (tick != lastRepaintTick_ && PageShown()) {
        lastRepaintTick_ = tick;
        host_.RepaintPreview();
    }
    slowFrames_ = false;
    if (ChannelOpen()) {
        const int next = NextFrameMs();
        slowFrames_ = next == kHiddenFrameMs;
        host_.StartTimer(kTimerFrame, next);
    }
}

void DeviceEntryLogic::PreviewMayShow() {
    if (slowFrames_ && device_ != nullptr && ChannelOpen()) {
        slowFrames_ = false;
        host_.StartTimer(kTimerFrame, 1);
    }
}

bool DeviceEntryLogic::PageShown() const {
    return host_.IsSelected() && device_->GetWindowAttention() && !device_->IsPageHidden();
}

bool DeviceEntryLogic::PreviewSeen() const {
    return PageShown() && host_.PreviewVisible() && device_->PreviewShowsLights();
}

int DeviceEntryLogic::NextFrameMs() const {
    const bool streaming = device_->NeedsFramesWhileHidden();
    // Nobody sees the preview: keep the timer but slow it down, unless the
    // device itself is fed the frames.
    if (!PreviewSeen() && !streaming) {
        return kHiddenFrameMs;
    }
    if (streaming) {
        return ReceiverMode() ? 20 : 5;
    }
    // Otherwise only the picture needs frames, and it only changes when the
    // tick does: every device wakes just after the tick changes, together,
    // instead of every 5 or 20 ms.
    uint32_t ms = platform::MsUntilNextTick() + 1;
    if (framed_ &&
        platform::TickCount() + platform::kTickStepMs - lastFrameTick_ < kPictureFrameMs) {
        ms += platform::kTickStepMs;
    }
    return static_cast<int>(ms);
}

void DeviceEntryLogic::OnLinkWatchTimer() {
    if (!ReceiverMode()) {
        if (ChannelOpen()) {
            platform::DebugOutput("2.4gcesvdfherhue  12312423");
        }
        return;
    }
    if (device_->IsLinkUp()) {
        if (!host_.IsShown()) {
            NotifyWindow(1);
        }
        if (device_->GetBatteryWidgetEnabled()) {
            device_->PollBattery();
        }
        platform::DebugOutput("2.4gcesvdfherhue  12312423 123342341");
        if (device_->CommandChannel().ReceiverTarget() == hid::kTargetMouse) {
            device_->CommandChannel().KeepAlive();
        }
    } else if (host_.IsShown()) {
        NotifyWindow(0);
        platform::DebugOutput("2.4gcesvdfherhue");
    }
    StartLinkWatch(3000);
}

}  // namespace device
