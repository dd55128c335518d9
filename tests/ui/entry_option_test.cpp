// The device-bar entry: icon sets and tooltips, the synchronised option's
// image swap, the tab and power bindings, selection, and its one-shot
// timers (also when a worker thread asks for them).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QStackedWidget>
#include <thread>

#include "device/device_views.h"
#include "ui/framework/notification.h"
#include "ui/pages/device_option_ui.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

// An entry built from the skin's layout, outside the bar and without a device.
std::unique_ptr<ui::CDeviceOptionUI> LooseEntry(ui::CMainWnd& w) {
    QWidget* built =
        w.BuildLayout(QStringLiteral("XML\\CustomControlXML\\DeviceOption.xml"), nullptr);
    return std::unique_ptr<ui::CDeviceOptionUI>(qobject_cast<ui::CDeviceOptionUI*>(built));
}

}  // namespace

TEST(DeviceOptionEntry, KindsGiveTheirIconSetsAndTooltips) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    auto entry = LooseEntry(w.Window());
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry->SelectOption(), nullptr);
    EXPECT_EQ(entry->NormalImage(), QStringLiteral("common/device_ico/unknow_device_normal.png"));
    EXPECT_TRUE(entry->IsShown()) << "an entry counts as shown until it is hidden";

    entry->SetKind(3, 1);
    EXPECT_EQ(entry->NormalImage(), QStringLiteral("common/device_ico/soft_mp_device_normal.png"));
    EXPECT_EQ(entry->SelectedImage(),
              QStringLiteral("common/device_ico/soft_mp_device_selected.png"));
    EXPECT_EQ(entry->SynchroNormalImage(),
              QStringLiteral("common/device_ico/soft_mp_device_synchro_normal.png"));
    EXPECT_EQ(entry->TooltipId(), QStringLiteral("soft_mp_device_name_text"));
    EXPECT_EQ(entry->SelectOption()->toolTip(), QString::fromUtf8("软质鼠标垫"));
    QAbstractButton* option = entry->SelectOption();
    EXPECT_EQ(option->property("disabledimage"), option->property("normalimage"));

    entry->SetKind(3, 2);  // an unknown pad keeps the icons
    EXPECT_EQ(entry->GetVariant(), 2);
    EXPECT_EQ(entry->NormalImage(), QStringLiteral("common/device_ico/soft_mp_device_normal.png"));
    entry->SetKind(7, 0);
    EXPECT_EQ(entry->NormalImage(), QStringLiteral("common/device_ico/hd_device_normal.png"));
    entry->SetKind(6, 0);
    EXPECT_EQ(entry->NormalImage(), QStringLiteral("common/device_ico/unknow_device_normal.png"));
    entry->SetKind(1, 5);
    EXPECT_EQ(entry->TooltipId(), QStringLiteral("kb_device_name_text"));
    // Every image the sets name exists in the skin.
    for (const char* word : {"kb", "ms", "hard_mp", "soft_mp", "hd", "hub", "unknow"}) {
        for (const char* state : {"normal", "selected", "synchro_normal", "synchro_selected"}) {
            const std::string file =
                std::string(QX70_SOURCE_DIR "/resources/skin/common/device_ico/") + word +
                "_device_" + state + ".png";
            EXPECT_TRUE(QFile::exists(QString::fromStdString(file))) << file;
        }
    }
}

TEST(DeviceOptionEntry, SynchronisedOptionSwapsTheIconSet) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    auto entry = LooseEntry(w.Window());
    ASSERT_NE(entry, nullptr);
    entry->SetKind(2, 0);
    entry->SetSynchroVisible(false);
    EXPECT_EQ(entry->ShownNormalImage(), QStringLiteral("common/device_ico/ms_device_normal.png"));
    entry->SetSynchroSelected(true);
    EXPECT_TRUE(entry->IsSynchroSelected());
    EXPECT_EQ(entry->ShownNormalImage(),
              QStringLiteral("common/device_ico/ms_device_synchro_normal.png"));
    EXPECT_EQ(entry->ShownSelectedImage(),
              QStringLiteral("common/device_ico/ms_device_synchro_selected.png"));
    entry->SetSynchroSelected(false);
    EXPECT_EQ(entry->ShownSelectedImage(),
              QStringLiteral("common/device_ico/ms_device_selected.png"));
}

TEST(DeviceOptionEntry, PowerPageAndTabBindings) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    auto entry = LooseEntry(w.Window());
    ASSERT_NE(entry, nullptr);
    entry->SetPowerPage(nullptr, 3);
    EXPECT_EQ(entry->GetPowerIndex(), -1);
    const QString name = QStringLiteral("device_power_switch");
    entry->SetPowerPage(&name, 2);
    entry->SetPowerPage(&name, -1);
    EXPECT_EQ(entry->GetPowerLayoutName(), name);
    EXPECT_EQ(entry->GetPowerIndex(), 2) << "a negative index keeps the earlier one";
    EXPECT_EQ(entry->GetTabIndex(), -1);
    entry->BindTab(QStringLiteral("device_switch"), 4);
    EXPECT_EQ(entry->GetTabName(), QStringLiteral("device_switch"));
    EXPECT_EQ(entry->GetTabIndex(), 4);
}

TEST(DeviceOptionEntry, SelectShowsTheBoundPageAndTellsTheWindow) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    ui::CDeviceOptionUI* pad = wnd.EntryOfRow(2);
    ui::CDeviceOptionUI* headset = wnd.EntryOfRow(3);
    pad->Select(true);
    auto* pages = qobject_cast<QStackedWidget*>(wnd.FindControl(QStringLiteral("device_switch")));
    EXPECT_EQ(pages->currentWidget(), wnd.PageOfRow(2));
    EXPECT_EQ(wnd.SelectedEntryIndex(), 2);
    // The options form one group: selecting another clears the first.
    headset->Select(true);
    EXPECT_FALSE(pad->IsSelected());
    EXPECT_EQ(pages->currentWidget(), wnd.PageOfRow(3));
    headset->Select(false);
    EXPECT_FALSE(headset->IsSelected());
}

TEST(DeviceOptionEntry, TimersAreOneShotAndWorkerRequestsRunOnTheUiThread) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    auto entry = LooseEntry(w.Window());
    ASSERT_NE(entry, nullptr);
    std::thread worker([&] { entry->StartTimer(device::kTimerResync, 30); });
    worker.join();
    EXPECT_FALSE(entry->TimerActive(device::kTimerResync)) << "queued, not started on the worker";
    ASSERT_TRUE(ProcessUntil([&] { return entry->TimerActive(device::kTimerResync); }));
    EXPECT_EQ(entry->TimerPeriod(device::kTimerResync), 30);
    // Without a device the handler only stops its timer.
    ASSERT_TRUE(ProcessUntil([&] { return !entry->TimerActive(device::kTimerResync); }));

    entry->RestartKeepAliveA();
    entry->RestartKeepAliveB();
    EXPECT_EQ(entry->TimerPeriod(device::kTimerKeepAliveA), 50);
    EXPECT_EQ(entry->TimerPeriod(device::kTimerKeepAliveB), 50);
    entry->StopTimer(device::kTimerKeepAliveA);
    EXPECT_FALSE(entry->TimerActive(device::kTimerKeepAliveA));
    // Ids outside the entry's table are refused.
    entry->StartTimer(1010, 10);
    EXPECT_FALSE(entry->TimerActive(1010));
    entry->StartLinkWatch(2000);
    EXPECT_FALSE(entry->TimerActive(device::kTimerLinkWatch)) << "no device, no link watch";
}

TEST(DeviceOptionEntry, FrameTimersShareOneClockAndStayOneShot) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    auto a = LooseEntry(w.Window());
    auto b = LooseEntry(w.Window());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->StartTimer(device::kTimerFrame, 5);
    b->StartTimer(device::kTimerFrame, 20);
    EXPECT_EQ(a->TimerPeriod(device::kTimerFrame), 5);
    EXPECT_EQ(b->TimerPeriod(device::kTimerFrame), 20);
    a->StopTimer(device::kTimerFrame);
    EXPECT_FALSE(a->TimerActive(device::kTimerFrame));
    EXPECT_TRUE(b->TimerActive(device::kTimerFrame));
    // Without a device the frame handler only stops its timer.
    ASSERT_TRUE(ProcessUntil([&] { return !b->TimerActive(device::kTimerFrame); }));
    // An entry that goes away leaves the clock.
    a->StartTimer(device::kTimerFrame, 5);
    a.reset();
    b->StartTimer(device::kTimerFrame, 5);
    ASSERT_TRUE(ProcessUntil([&] { return !b->TimerActive(device::kTimerFrame); }));
}
