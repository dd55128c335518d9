// The main window's notification routing with the real window: the debug
// line, every page route reaching its page, the close button to the tray,
// the window's own handlers and the bounds and option rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <memory>

#include "device/device_classes.h"
#include "device/keyboard_light_driver.h"
#include "pages/dispatch_routes.h"
#include "pages/page_hooks.h"
#include "platform/debug_output.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/window_messages.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using pages::Owner;
using pages::Route;
using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

class RecordingPage : public pages::PageHooks {
  public:
    bool Handle(const pages::RouteEvent& e) override {
        events.push_back(e);
        return true;
    }
    std::vector<pages::RouteEvent> events;
};

struct Hooks {
    std::array<RecordingPage, static_cast<size_t>(Owner::Count)> pages;
    explicit Hooks(ui::CMainWnd& w) {
        for (size_t i = 0; i < pages.size(); ++i)
            w.SetPageHooks(static_cast<Owner>(i), &pages[i]);
    }
    std::vector<pages::RouteEvent>& Of(Owner o) { return pages[static_cast<size_t>(o)].events; }
    size_t Total() const {
        size_t n = 0;
        for (const RecordingPage& p : pages)
            n += p.events.size();
        return n;
    }
};

// A control that exists only to be the sender of a notification.
struct Sender {
    explicit Sender(const std::string& name) { w.setObjectName(QString::fromStdString(name)); }
    QWidget w;
};

const char* TypeOf(pages::NotifyKind k) {
    switch (k) {
        case pages::NotifyKind::ColorChanged:
            return "colorchanged";
        case pages::NotifyKind::Click:
            return "click";
        case pages::NotifyKind::SelectChanged:
            return "selectchanged";
        case pages::NotifyKind::ValueChanged:
            return "valuechanged";
        case pages::NotifyKind::MoveValueChanged:
            return "movevaluechanged";
        case pages::NotifyKind::ItemSelect:
            return "itemselect";
        case pages::NotifyKind::KillFocus:
            return "killfocus";
        case pages::NotifyKind::ClickSelectEnd:
            return "click_select_end";
        case pages::NotifyKind::ItemActivate:
            return "itemactivate";
        default:
            return "";
    }
}

}  // namespace

TEST(MainWndDispatch, EveryNotificationButTimerWritesItsTypeAndSender) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    Sender hover("some_label");
    platform::DebugCapture capture;
    uitest::Click(wnd.FindControl(QStringLiteral("device_select_next")));
    wnd.SendNotify(&hover.w, QStringLiteral("msenter"));
    wnd.SendNotify(&hover.w, QStringLiteral("dbclick"));
    wnd.SendNotify(&hover.w, QStringLiteral("timer"), 7);
    EXPECT_TRUE(capture.Contains("click device_select_next"));
    EXPECT_TRUE(capture.Contains("msenter some_label"));
    EXPECT_TRUE(capture.Contains("dbclick some_label"));
    EXPECT_FALSE(capture.Contains("timer"));
}

TEST(MainWndDispatch, EveryPageRouteReachesItsPage) {
    WindowWorld w;
    ASSERT_TRUE(w.StartWithKeyboard());
    ui::CMainWnd& wnd = w.Window();
    Hooks hooks(wnd);
    using K = pages::NotifyKind;
    for (K kind :
         {K::ColorChanged, K::Click, K::SelectChanged, K::ValueChanged, K::MoveValueChanged,
          K::ItemSelect, K::KillFocus, K::ClickSelectEnd, K::ItemActivate}) {
        for (const pages::RouteRow& row : pages::RoutesOf(kind)) {
            const Owner owner = pages::InfoOf(row.route).owner;
            if (owner == Owner::Shell || row.match == pages::Match::Identity)
                continue;
            const std::string name =
                std::string(row.name) + (row.match == pages::Match::Prefix ? "1" : "");
            SCOPED_TRACE(std::string(TypeOf(kind)) + " " + name);
            Sender sender(name);
            const size_t before = hooks.Of(owner).size();
            wnd.SendNotify(&sender.w, QString::fromLatin1(TypeOf(kind)), 1, 0);
            ASSERT_EQ(hooks.Of(owner).size(), before + 1);
            const pages::RouteEvent& e = hooks.Of(owner).back();
            EXPECT_EQ(e.route, row.route);
            EXPECT_EQ(e.control, name);
            EXPECT_EQ(e.index, row.match == pages::Match::Prefix ? 1 : row.arg);
        }
    }
    // Menu commands arrive as message 1145 and go to their owner.
    for (const pages::RouteRow& row : pages::MenuRoutes()) {
        const Owner owner = pages::InfoOf(row.route).owner;
        if (owner == Owner::Shell)
            continue;
        const size_t before = hooks.Of(owner).size();
        wnd.MenuCommand(QString::fromLatin1(row.name));
        ASSERT_EQ(hooks.Of(owner).size(), before + 1) << row.name;
        EXPECT_EQ(hooks.Of(owner).back().route, row.route) << row.name;
        EXPECT_EQ(hooks.Of(owner).back().index, row.arg) << row.name;
    }
    // The key capture edit: focus installs the capture (message 1054), losing it removes it.
    Sender edit("keyset_keyboard_text_edit");
    wnd.SendNotify(&edit.w, QStringLiteral("setfocus"));
    ASSERT_FALSE(hooks.Of(Owner::KeyPage).empty());
    EXPECT_EQ(hooks.Of(Owner::KeyPage).back().route, Route::KeyCaptureOn);
    wnd.SendNotify(&edit.w, QStringLiteral("killfocus"));
    EXPECT_EQ(hooks.Of(Owner::KeyPage).back().route, Route::KeyCaptureOff);
    // A function tab selects the device's page and the profile bar's tab.
    Sender tab("macro_Op_tab");
    wnd.SendNotify(&tab.w, QStringLiteral("selectchanged"), 1);
    EXPECT_EQ(wnd.DeviceOfRow(0)->GetFunctionPage(), 3);
    ASSERT_FALSE(hooks.Of(Owner::ProfileBar).empty());
    EXPECT_EQ(hooks.Of(Owner::ProfileBar).back().route, Route::FunctionTab);
    EXPECT_EQ(hooks.Of(Owner::ProfileBar).back().index, 3);
}

TEST(MainWndDispatch, IndexBoundsOptionMarksAndMissingDeviceStopARoute) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    Hooks hooks(wnd);
    auto send = [&](const char* name, const char* type, uintptr_t wParam = 1) {
        Sender s(name);
        wnd.SendNotify(&s.w, QString::fromLatin1(type), wParam);
    };
    // No current device: no keys to select, no recording to start.
    send("key_0", "click");
    wnd.MenuCommand(QStringLiteral("redio_later_record_time"));
    wnd.MenuCommand(QStringLiteral("macro_action_edit"));
    EXPECT_EQ(hooks.Total(), 0u);

    send("DPI_color_option_7", "click");
    send("DPI_color_option_-1", "click");
    send("6533_eq_hz_slider_10", "valuechanged");
    send("key_ComBox_check_5", "selectchanged");
    EXPECT_EQ(hooks.Total(), 0u);
    send("DPI_color_option_6", "click");
    EXPECT_EQ(hooks.Of(Owner::MousePage).size(), 1u);

    // An option of a group that lost its mark does nothing; a check box
    // acts on both states.
    send("mouse_device_seting_option_2", "selectchanged", 0);
    send("6533_eq_option_3", "selectchanged", 0);
    EXPECT_EQ(hooks.Total(), 1u);
    send("mouse_device_seting_option_2", "selectchanged", 1);
    EXPECT_EQ(hooks.Of(Owner::MousePage).size(), 2u);
    send("key_ComBox_check_2", "selectchanged", 0);
    ASSERT_EQ(hooks.Of(Owner::KeyPage).size(), 1u);
    EXPECT_EQ(hooks.Of(Owner::KeyPage).back().wParam, 0u);

    // Case: "CloseBtn" is the close button, "Profile_Fun_Spread_btn" nothing.
    send("Profile_Fun_Spread_btn", "click");
    EXPECT_TRUE(hooks.Of(Owner::ProfileBar).empty());
    send("CloseBtn", "click");
    EXPECT_FALSE(wnd.isVisible());
}

TEST(MainWndDispatch, CloseButtonHidesToTheTrayAndTheTrayClickRestores) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    platform::DebugCapture capture;
    uitest::Click(wnd.FindControl(QStringLiteral("closebtn")));
    uitest::ProcessPending();
    EXPECT_FALSE(wnd.isVisible());
    EXPECT_TRUE(wnd.DeviceOfRow(0)->IsPageHidden());
    EXPECT_TRUE(wnd.DeviceOfRow(1)->IsPageHidden());
    EXPECT_FALSE(capture.Contains("退出测试")) << "the program keeps running";
    EXPECT_TRUE(wnd.Tray().Exists());

    wnd.Send(ui::kTrayNotifyMessage, 0, ui::kWmLButtonUp);
    EXPECT_TRUE(wnd.isVisible());
    EXPECT_FALSE(wnd.DeviceOfRow(0)->IsPageHidden());

    // The window manager's close still ends the program.
    w.Close();
    EXPECT_TRUE(capture.Contains("退出测试"));
}

TEST(MainWndDispatch, DefaultButtonAsksAndRestoresOnlyOnConfirmation) {
    WindowWorld w;
    ASSERT_TRUE(w.StartWithKeyboard());
    ui::CMainWnd& wnd = w.Window();
    auto* keyboard = static_cast<device::CVornelKeyboardDevice*>(wnd.DeviceOfRow(0));
    profile::KeyboardSystemStages changed = keyboard->GetSystemStagesCopy();
    changed.Repeat = 77;
    keyboard->SetSystemStagesAll(changed);

    Sender button("default_btn");
    // Without a message window the question counts as declined.
    wnd.SendNotify(&button.w, QStringLiteral("click"));
    EXPECT_EQ(keyboard->GetSystemStagesCopy().Repeat, 77);

    struct Asked {
        QString text;
        bool isId;
        int buttons;
    };
    std::vector<Asked> asked;
    int answer = 0;
    wnd.SetMessageWindow(
        [&](QWidget* parent, const QString&, const QString& text, int, bool isId, int buttons) {
            EXPECT_EQ(parent, &wnd);
            asked.push_back({text, isId, buttons});
            return answer;
        });
    wnd.SendNotify(&button.w, QStringLiteral("click"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, QStringLiteral("message_text_22"));
    EXPECT_TRUE(asked[0].isId);
    EXPECT_EQ(asked[0].buttons, 1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().Repeat, 77);

    answer = 1;
    wnd.SendNotify(&button.w, QStringLiteral("click"));
    EXPECT_NE(keyboard->GetSystemStagesCopy().Repeat, 77);

    // The device lost while the question was open: nothing is restored.
    keyboard->SetSystemStagesAll(changed);
    wnd.SetMessageWindow([&](QWidget*, const QString&, const QString&, int, bool, int) {
        wnd.Send(device::kMsgEntryNotice, 0, 0);
        return 1;
    });
    wnd.SendNotify(&button.w, QStringLiteral("click"));
    EXPECT_EQ(keyboard->GetSystemStagesCopy().Repeat, 77);
    // No current device: not even asked.
    asked.clear();
    wnd.SetMessageWindow([&](QWidget*, const QString& t, const QString&, int, bool, int) {
        asked.push_back({t, false, 0});
        return 1;
    });
    wnd.SendNotify(&button.w, QStringLiteral("click"));
    EXPECT_TRUE(asked.empty());
}

TEST(MainWndDispatch, KeyboardSystemSettingsAreStoredWithinTheirRanges) {
    WindowWorld w;
    ASSERT_TRUE(w.StartWithKeyboard());
    ui::CMainWnd& wnd = w.Window();
    auto* keyboard = static_cast<device::CVornelKeyboardDevice*>(wnd.DeviceOfRow(0));
    QWidget* page = wnd.PageOfRow(0);
    // The keyboard page's settings tab holds the real check boxes.
    auto* key6 =
        qobject_cast<QCheckBox*>(ui::FindSubControlByName(page, QStringLiteral("6flag_option")));
    auto* winLock = qobject_cast<QCheckBox*>(
        ui::FindSubControlByName(page, QStringLiteral("winlockflag_option")));
    ASSERT_TRUE(key6 && winLock);

    key6->setChecked(true);
    wnd.SendNotify(key6, QStringLiteral("selectchanged"), 1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().Key6Flag, 1);
    winLock->setChecked(false);
    wnd.SendNotify(winLock, QStringLiteral("selectchanged"), 0);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().WinFlag, 0);
    key6->setChecked(false);
    wnd.SendNotify(key6, QStringLiteral("selectchanged"), 0);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().Key6Flag, 0) << "a check box acts when cleared";

    Sender rate3("polling_rate_option_3"), rate4("polling_rate_option_4");
    wnd.SendNotify(&rate3.w, QStringLiteral("selectchanged"), 1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().PollingRate, 3);
    wnd.SendNotify(&rate4.w, QStringLiteral("selectchanged"), 1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().PollingRate, 3) << "a keyboard has rates 0..3";
    Sender delay1("repeat_delay_check_1"), delay2("repeat_delay_check_2");
    wnd.SendNotify(&delay2.w, QStringLiteral("selectchanged"), 1);
    wnd.SendNotify(&delay1.w, QStringLiteral("selectchanged"), 0);  // lost its mark
    EXPECT_EQ(keyboard->GetSystemStagesCopy().RepeatDelay, 2);

    // Real options of a group: the click on one also unmarks the other,
    // which must not undo the choice.
    auto* group = new QWidget(page);
    auto* rate1 = new QRadioButton(group);
    rate1->setObjectName(QStringLiteral("polling_rate_option_1"));
    auto* rate2 = new QRadioButton(group);
    rate2->setObjectName(QStringLiteral("polling_rate_option_2"));
    rate2->move(0, 30);
    group->resize(200, 80);
    group->show();
    wnd.WireControls(group);
    uitest::Click(rate1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().PollingRate, 1);
    uitest::Click(rate2);
    ASSERT_TRUE(rate2->isChecked());
    EXPECT_FALSE(rate1->isChecked());
    EXPECT_EQ(keyboard->GetSystemStagesCopy().PollingRate, 2);
    uitest::Click(rate1);
    EXPECT_EQ(keyboard->GetSystemStagesCopy().PollingRate, 1);

    // The custom colour buttons fill the custom table: off switches the
    // palette slot off, bright takes a palette colour.
    auto* driver = dynamic_cast<device::KeyboardLightingDriver*>(keyboard->LightingHooks());
    ASSERT_NE(driver, nullptr);
    driver->Lighting().SetCurrentPaletteSlot(5);
    Sender off("custom_off_color_btn"), bright("custom_bright_color_btn");
    wnd.SendNotify(&off.w, QStringLiteral("click"));
    EXPECT_EQ(driver->Lighting().CurrentPaletteSlot(), 0);
    wnd.SendNotify(&bright.w, QStringLiteral("click"));
    EXPECT_GE(driver->Lighting().CurrentPaletteSlot(), 1);
}

TEST(MainWndDispatch, TitleButtonsActByIdentityAndOpenTheirWindows) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    Hooks hooks(wnd);
    // A control that only shares the name is not the title button.
    Sender lookalike("maxbtn");
    wnd.SendNotify(&lookalike.w, QStringLiteral("click"));
    EXPECT_FALSE(wnd.isMaximized());
    uitest::Click(wnd.FindControl(QStringLiteral("maxbtn")));
    EXPECT_TRUE(wnd.isMaximized());
    uitest::Click(wnd.FindControl(QStringLiteral("restorebtn")));
    EXPECT_FALSE(wnd.isMaximized());
    uitest::Click(wnd.FindControl(QStringLiteral("skinbtn")));
    uitest::Click(wnd.FindControl(QStringLiteral("setbtn")));
    ASSERT_EQ(hooks.Of(Owner::SkinPanel).size(), 1u);
    ASSERT_EQ(hooks.Of(Owner::SettingsWindow).size(), 1u);
    EXPECT_EQ(hooks.Of(Owner::SettingsWindow).back().route, Route::OpenSettingsAtButton);
    Sender noDevice("nodevice_ok_btn");
    wnd.SendNotify(&noDevice.w, QStringLiteral("click"));
    EXPECT_FALSE(wnd.isVisible());
}

TEST(MainWndDispatch, DpiEditClampsSlidersShowTheirValueAndDeviceSettingsOpen) {
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    ui::CMainWnd& wnd = w.Window();
    auto* edit = new QLineEdit(wnd.Root());
    edit->setObjectName(QStringLiteral("tavik_DPI_edit_2"));
    auto* slider = new QSlider(wnd.Root());
    slider->setObjectName(QStringLiteral("tavik_DPI_slider_2"));
    slider->setRange(0, 10000);
    const std::pair<const char*, int> cases[] = {
        {"99999", 6500}, {"abc", 200}, {"-5", 200}, {"3200x", 3200}, {"  800", 800}};
    for (const auto& [text, value] : cases) {
        edit->setText(QString::fromLatin1(text));
        wnd.SendNotify(edit, QStringLiteral("killfocus"));
        EXPECT_EQ(edit->text(), QString::number(value)) << text;
        EXPECT_EQ(slider->value(), value) << text;
    }
    wnd.SendNotify(slider, QStringLiteral("movevaluechanged"), 1234);
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));

    auto* label = new QLabel(wnd.Root());
    label->setObjectName(QStringLiteral("G_light_label"));
    Sender green("G_light_slider");
    wnd.SendNotify(&green.w, QStringLiteral("valuechanged"), 17);
    EXPECT_EQ(label->text(), QStringLiteral("G 17"));

    std::vector<int> opened;
    wnd.SetDeviceSettingsOpener([&](int which) {
        opened.push_back(which);
        return true;
    });
    platform::DebugCapture capture;
    for (const char* name : {"windowdeviceset_0", "windowdeviceset_1", "windowdeviceset_2"}) {
        Sender s(name);
        wnd.SendNotify(&s.w, QStringLiteral("click"));
    }
    EXPECT_EQ(opened, (std::vector<int>{0, 1}));
    EXPECT_TRUE(capture.Contains("open device settings 1"));
}
