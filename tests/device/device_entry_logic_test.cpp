#include "device/device_entry_logic.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "device/device_classes.h"
#include "platform/debug_output.h"
#include "platform/tick_count.h"

using namespace device;

namespace {

class FakeHost : public DeviceEntryHost {
  public:
    std::map<int, int> running;  // id -> period
    std::vector<std::string> log;
    bool shown = true;
    bool selected = true;
    bool visible = true;
    int repaints = 0;

    void StartTimer(int id, int ms) override { running[id] = ms; }
    void StopTimer(int id) override { running.erase(id); }
    bool IsShown() const override { return shown; }
    void SetVisible(bool v) override {
        shown = v;
        log.push_back(v ? "show" : "hide");
    }
    bool IsSelected() const override { return selected; }
    bool RepaintPreview() override {
        ++repaints;
        return true;
    }
    bool PreviewVisible() const override { return visible; }
};

class FakeWindow : public MainWindowLink {
  public:
    explicit FakeWindow(std::vector<std::string>& log) : log_(log) {}
    intptr_t SendToWindow(uint32_t msg, uintptr_t w, intptr_t l) override {
        log_.push_back(std::to_string(msg) + ":" + std::to_string(w) + ":" + std::to_string(l));
        return 0;
    }
    void PostToWindow(uint32_t, uintptr_t, intptr_t) override {}

  private:
    std::vector<std::string>& log_;
};

class ScriptedMouse : public CVornelMouseDevice {
  public:
    int linkUp = 1;
    int connects = 0;
    int batteryPolls = 0;
    int keepAliveMinutes = 1;
    int IsLinkUp() override { return linkUp; }
    void OnConnected() override { ++connects; }
    void PollBattery() override { ++batteryPolls; }
    int GetKeepAliveMinutes() override { return keepAliveMinutes; }
    bool streamed = false;
    bool NeedsFramesWhileHidden() const override { return streamed; }
    bool previewShown = false;
    void SetPreviewShown(bool shown) override { previewShown = shown; }
    int frames = 0;
    void PushLedFrame() override { ++frames; }
    // Lit on its first function page only, as the keyboard's picture is.
    bool PreviewShowsLights() const override { return GetFunctionPage() == 1; }
};

struct Fixture {
    FakeHost host;
    FakeWindow window{host.log};
    ScriptedMouse mouse;
    DeviceEntryLogic entry{host};
    Fixture() {
        mouse.SetMainWindow(&window);
        mouse.SetModelRow(1);
        entry.SetDevice(&mouse);
        mouse.CommandChannel().SetOpen(true);
    }
};

}  // namespace

TEST(DeviceEntry, WiredDeviceConnectsAtOnceAndNeverWatchesTheLink) {
    platform::ManualTickClock clock;
    clock.Set(1600);
    Fixture f;
    f.mouse.SetBatteryWidgetEnabled(true);
    f.entry.StartConnect();
    EXPECT_EQ(f.host.running[kTimerConnect], 500);
    f.entry.OnTimer(kTimerConnect);
    EXPECT_EQ(f.mouse.connects, 1);
    EXPECT_EQ(f.host.running.count(kTimerConnect), 0u);
    EXPECT_EQ(f.host.running[kTimerFrame], 5);
    EXPECT_EQ(f.host.running[kTimerBattery], 50);
    EXPECT_EQ(f.host.running.count(kTimerLinkWatch), 0u);
    EXPECT_TRUE(f.host.log.empty()) << "no link notice for a wired device";

    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.mouse.frames, 1);
    EXPECT_EQ(f.host.running[kTimerFrame], 33)
        << "the picture's next frame is due just after the tick after next";
    EXPECT_EQ(f.host.repaints, 1);
    EXPECT_TRUE(f.mouse.previewShown);
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.repaints, 1) << "one repaint per tick of the clock";
    EXPECT_EQ(f.mouse.frames, 1) << "and one frame every other tick";
    clock.Advance(5);
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running[kTimerFrame], 28);
    clock.Advance(27);  // 1632: two ticks on
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.mouse.frames, 2);
    EXPECT_EQ(f.host.running[kTimerFrame], 33);
    clock.Advance(5);
    f.mouse.streamed = true;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running[kTimerFrame], 5) << "a device fed the frames gets them every 5 ms";
    f.mouse.streamed = false;
    clock.Advance(16);
    f.mouse.SetPageHidden(true);
    f.host.visible = false;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.repaints, 2) << "no repaint while the window is in the tray";
    EXPECT_FALSE(f.mouse.previewShown) << "and the device knows nobody looks";
    EXPECT_EQ(f.host.running[kTimerFrame], DeviceEntryLogic::kHiddenFrameMs) << "and slower frames";
    f.mouse.SetPageHidden(false);
    f.host.visible = true;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running[kTimerFrame], 12)
        << "the clock stands at 1653, the picture is due at 1664";

    f.entry.OnTimer(kTimerBattery);
    EXPECT_EQ(f.mouse.batteryPolls, 1);
    EXPECT_EQ(f.host.running[kTimerBattery], 5000);

    f.mouse.CommandChannel().SetOpen(false);
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running.count(kTimerFrame), 0u) << "frames stop with the channel";
}

// The entry as the device sees it: the frames brought forward land here.
class EntryView : public DeviceEntryView {
  public:
    explicit EntryView(DeviceEntryLogic& logic) : logic_(logic) {}
    void StartTimer(int, int) override {}
    void StopTimer(int) override {}
    void PreviewMayShow() override {
        ++calls;
        logic_.PreviewMayShow();
    }
    int calls = 0;

  private:
    DeviceEntryLogic& logic_;
};

TEST(DeviceEntry, FramesSlowDownWhileNobodySeesThePictureAndResumeWhenItMayBeSeen) {
    platform::ManualTickClock clock;
    clock.Set(1600);
    Fixture f;
    EntryView view(f.entry);
    f.mouse.SetOptionButton(&view);
    f.entry.OnTimer(kTimerFrame);
    ASSERT_EQ(f.host.running[kTimerFrame], 33);

    // Each reason nobody looks, then what brings the picture back.
    struct Case {
        const char* what;
        std::function<void()> hide;
        std::function<void()> show;
        int notices;  // PreviewMayShow calls the device makes itself
    };
    const Case cases[] = {
        {"another entry selected", [&] { f.host.selected = false; },
         [&] { f.host.selected = true; }, 0},
        {"the window without attention", [&] { f.mouse.SetWindowAttention(false); },
         [&] { f.mouse.SetWindowAttention(true); }, 1},
        {"another page shown", [&] { f.mouse.SetPageHidden(true); },
         [&] { f.mouse.SetPageHidden(false); }, 1},
        {"the window in the tray", [&] { f.host.visible = false; }, [&] { f.host.visible = true; },
         0},
        {"a function page without lights", [&] { f.mouse.SelectFunctionPage(2); },
         [&] { f.mouse.SelectFunctionPage(1); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.calls = 0;
        c.hide();
        f.entry.OnTimer(kTimerFrame);
        EXPECT_EQ(f.host.running[kTimerFrame], DeviceEntryLogic::kHiddenFrameMs);
        EXPECT_FALSE(f.mouse.previewShown) << "the light thread may idle";
        c.show();
        EXPECT_EQ(view.calls, c.notices);
        f.entry.PreviewMayShow();  // what the widget does for the rest
        EXPECT_EQ(f.host.running[kTimerFrame], 1) << "the next frame comes at once";
        f.entry.OnTimer(kTimerFrame);
        EXPECT_LT(f.host.running[kTimerFrame], 40) << "and the picture's pace is back";
        EXPECT_TRUE(f.mouse.previewShown);
        f.host.running[kTimerFrame] = 7;
        f.entry.PreviewMayShow();
        EXPECT_EQ(f.host.running[kTimerFrame], 7)
            << "frames at the picture's pace stay as they are";
        clock.Advance(16);
    }

    // Setting a flag that is already set tells nobody.
    view.calls = 0;
    f.mouse.SetWindowAttention(true);
    f.mouse.SetPageHidden(false);
    EXPECT_EQ(view.calls, 0);

    f.mouse.streamed = true;
    f.host.visible = false;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running[kTimerFrame], 5) << "a device fed the frames keeps them coming";

    f.mouse.streamed = false;
    f.entry.OnTimer(kTimerFrame);
    f.mouse.CommandChannel().SetOpen(false);
    f.host.running.erase(kTimerFrame);
    f.entry.PreviewMayShow();
    EXPECT_EQ(f.host.running.count(kTimerFrame), 0u) << "no frames without the channel";
    f.mouse.SetOptionButton(nullptr);
}

TEST(DeviceEntry, ReceiverLinkDownNotifiesBeforeHiding) {
    Fixture f;
    f.mouse.CommandChannel().SetReceiverMode(true);
    f.mouse.linkUp = 0;
    f.entry.OnTimer(kTimerConnect);
    EXPECT_EQ(f.host.log, (std::vector<std::string>{"3331:1:0", "hide"}));
    EXPECT_EQ(f.host.running[kTimerConnect], 3000);
    EXPECT_EQ(f.mouse.connects, 0);

    f.entry.OnTimer(kTimerConnect);
    EXPECT_EQ(f.host.log.size(), 2u) << "a hidden entry is not reported twice";

    f.mouse.linkUp = 1;
    f.host.log.clear();
    f.entry.OnTimer(kTimerConnect);
    EXPECT_EQ(f.host.log, (std::vector<std::string>{"3331:1:1"}));
    EXPECT_EQ(f.mouse.connects, 1);
    EXPECT_EQ(f.host.running[kTimerKeepAliveA], 50);
    EXPECT_EQ(f.host.running[kTimerKeepAliveB], 50);
    EXPECT_EQ(f.host.running[kTimerLinkWatch], 2000);
    f.mouse.streamed = true;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_EQ(f.host.running[kTimerFrame], 20) << "slower streamed frames through the receiver";
    f.mouse.streamed = false;
    f.entry.OnTimer(kTimerFrame);
    EXPECT_LE(f.host.running[kTimerFrame], 33) << "the picture alone follows every other tick";
}

TEST(DeviceEntry, LinkWatchReportsChangesAndKeepsWatching) {
    platform::DebugCapture capture;
    Fixture f;
    f.mouse.CommandChannel().SetReceiverMode(true);
    f.host.shown = false;
    f.entry.OnTimer(kTimerLinkWatch);
    EXPECT_EQ(f.host.log, (std::vector<std::string>{"3331:1:1"}));
    EXPECT_TRUE(capture.Contains("2.4gcesvdfherhue  12312423 123342341"));
    EXPECT_EQ(f.host.running[kTimerLinkWatch], 3000);

    f.host.shown = true;
    f.mouse.linkUp = 0;
    f.host.log.clear();
    f.entry.OnTimer(kTimerLinkWatch);
    EXPECT_EQ(f.host.log, (std::vector<std::string>{"3331:1:0"})) << "the window hides the entry";
    EXPECT_TRUE(f.host.shown);

    f.mouse.CommandChannel().SetReceiverMode(false);
    f.entry.OnTimer(kTimerLinkWatch);
    EXPECT_TRUE(capture.Contains("2.4gcesvdfherhue  12312423"));
    EXPECT_EQ(f.host.running.count(kTimerLinkWatch), 0u);
}

TEST(DeviceEntry, KeepAlivePeriods) {
    Fixture f;
    f.mouse.keepAliveMinutes = 5;
    f.entry.OnTimer(kTimerKeepAliveA);
    EXPECT_EQ(f.host.running[kTimerKeepAliveA], 290000);
    f.entry.OnTimer(kTimerKeepAliveB);
    EXPECT_EQ(f.host.running[kTimerKeepAliveB], 170000);
    for (int minutes : {0, -3}) {
        f.mouse.keepAliveMinutes = minutes;
        f.entry.OnTimer(kTimerKeepAliveA);
        EXPECT_EQ(f.host.running.count(kTimerKeepAliveA), 0u) << "period " << minutes;
    }
    f.entry.RestartKeepAliveA();
    EXPECT_EQ(f.host.running[kTimerKeepAliveA], 50);
}

TEST(DeviceEntry, WithoutDeviceTimersOnlyStop) {
    FakeHost host;
    DeviceEntryLogic entry(host);
    host.running[kTimerBattery] = 5000;
    entry.OnTimer(kTimerBattery);
    EXPECT_TRUE(host.running.empty());
}
