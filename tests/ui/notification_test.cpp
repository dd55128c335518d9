// Notifications come from what the user does, never from what the program
// changes, and carry the type strings the pages dispatch on.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include "ui/framework/control_ops.h"
#include "ui/framework/notification.h"
#include "ui_test_support.h"

using uitest::RecordingWindow;

namespace {

const std::string kControls = R"(
<item><widget class="QPushButton" name="Btn_Apply"><property name="text"><string>Apply</string></property></widget></item>
<item><widget class="QCheckBox" name="opt_check"/></item>
<item><widget class="QRadioButton" name="radio_a"><property name="checked"><bool>true</bool></property></widget></item>
<item><widget class="QRadioButton" name="radio_b"/></item>
<item><widget class="QComboBox" name="combo">
  <item><property name="text"><string>zero</string></property></item>
  <item><property name="text"><string>one</string></property></item>
  <item><property name="text"><string>two</string></property></item>
</widget></item>
<item><widget class="QSlider" name="slider">
  <property name="orientation"><enum>Qt::Horizontal</enum></property>
  <property name="maximum"><number>100</number></property>
  <property name="minimumSize"><size><width>300</width><height>24</height></size></property>
</widget></item>
<item><widget class="QLineEdit" name="edit"/></item>
<item><widget class="QListWidget" name="list">
  <item><property name="text"><string>first</string></property></item>
  <item><property name="text"><string>second</string></property></item>
</widget></item>
)";

class NotificationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        skin_ =
            std::make_unique<uitest::ScopedSkin>(std::vector<std::pair<std::string, std::string>>{
                {"controls.ui", uitest::UiDocument("root", kControls)}});
        window_ = std::make_unique<RecordingWindow>(QStringLiteral("controls.ui"));
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("test"), 400, 500));
        window_->show();
        window_->activateWindow();
        uitest::ProcessUntil([&] {
            return window_->Count(QStringLiteral("windowinit")) > 0 &&
                   QApplication::activeWindow() == window_.get();
        });
        window_->notifications.clear();
    }
    void TearDown() override {
        window_.reset();
        skin_.reset();
    }
    template <class T>
    T* Find(const char* name) {
        return qobject_cast<T*>(window_->FindControl(QString::fromLatin1(name)));
    }
    // Value-style notifications only (focus and hover follow the pointer).
    int ValueNotifications() const {
        int n = 0;
        for (const char* type :
             {"click", "selectchanged", "itemselect", "itemclick", "itemactivate", "valuechanged",
              "movevaluechanged", "textchanged", "return"})
            n += window_->Count(QString::fromLatin1(type));
        return n;
    }

    std::unique_ptr<uitest::ScopedSkin> skin_;
    std::unique_ptr<RecordingWindow> window_;
};

TEST_F(NotificationTest, WindowInitArrivesOnceAfterInitWindowWithTheLayoutBuilt) {
    RecordingWindow w(QStringLiteral("controls.ui"));
    ASSERT_TRUE(w.Create(nullptr, QStringLiteral("t"), 100, 100));
    EXPECT_TRUE(w.initRan);
    EXPECT_TRUE(w.rootExistedAtInit);
    EXPECT_EQ(w.Count(QStringLiteral("windowinit")), 0);  // only once the loop runs
    ASSERT_TRUE(uitest::ProcessUntil([&] { return w.Count(QStringLiteral("windowinit")) == 1; }));
    EXPECT_EQ(w.notifications.front().sender, w.Root());
}

TEST_F(NotificationTest, ButtonsReportClickAndSelectionChanges) {
    uitest::Click(Find<QPushButton>("Btn_Apply"));
    EXPECT_EQ(window_->Count(QStringLiteral("click"), QStringLiteral("Btn_Apply")), 1);

    // Check boxes and radio buttons react on their indicator.
    const auto indicator = [](QWidget* w) { return QPoint(6, w->height() / 2); };
    uitest::Click(Find<QCheckBox>("opt_check"), indicator(Find<QCheckBox>("opt_check")));
    EXPECT_EQ(window_->Count(QStringLiteral("click"), QStringLiteral("opt_check")), 1);
    EXPECT_EQ(window_->Count(QStringLiteral("selectchanged"), QStringLiteral("opt_check")), 1);

    // Selecting the other option of a group changes both.
    uitest::Click(Find<QRadioButton>("radio_b"), indicator(Find<QRadioButton>("radio_b")));
    EXPECT_EQ(window_->Count(QStringLiteral("selectchanged"), QStringLiteral("radio_b")), 1);
    EXPECT_EQ(window_->Count(QStringLiteral("selectchanged"), QStringLiteral("radio_a")), 1);
    // Clicking the selected option again changes nothing.
    window_->notifications.clear();
    uitest::Click(Find<QRadioButton>("radio_b"), indicator(Find<QRadioButton>("radio_b")));
    EXPECT_EQ(window_->Count(QStringLiteral("selectchanged")), 0);
    EXPECT_EQ(window_->Count(QStringLiteral("click"), QStringLiteral("radio_b")), 1);
}

TEST_F(NotificationTest, ComboReportsItemSelectWithNewAndOldIndex) {
    auto* combo = Find<QComboBox>("combo");
    uitest::Press(combo, Qt::Key_Down);
    ASSERT_EQ(window_->Count(QStringLiteral("itemselect"), QStringLiteral("combo")), 1);
    EXPECT_EQ(window_->notifications.back().wParam, 1u);
    EXPECT_EQ(window_->notifications.back().lParam, 0);
    // After a programmatic change the old index is the one the program set.
    combo->setCurrentIndex(2);
    uitest::Press(combo, Qt::Key_Up);
    ASSERT_EQ(window_->Count(QStringLiteral("itemselect")), 2);
    EXPECT_EQ(window_->notifications.back().wParam, 1u);
    EXPECT_EQ(window_->notifications.back().lParam, 2);
}

TEST_F(NotificationTest, SliderReportsValueAndMoveValueChanges) {
    auto* slider = Find<QSlider>("slider");
    uitest::Press(slider, Qt::Key_Right);
    ASSERT_EQ(window_->Count(QStringLiteral("valuechanged"), QStringLiteral("slider")), 1);
    EXPECT_EQ(window_->notifications.back().wParam, 1u);

    // Drag the handle: moves while held, the value when released.
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_SliderHandle;
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                         QStyle::SC_SliderHandle, slider);
    const QPoint from = handle.center();
    const QPoint to(slider->width() / 2, from.y());
    QMouseEvent press(QEvent::MouseButtonPress, from, slider->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &press);
    QMouseEvent move(QEvent::MouseMove, to, slider->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(slider, &move);
    EXPECT_GE(window_->Count(QStringLiteral("movevaluechanged"), QStringLiteral("slider")), 1);
    EXPECT_EQ(window_->Count(QStringLiteral("valuechanged")), 1);  // not while held
    QMouseEvent release(QEvent::MouseButtonRelease, to, slider->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &release);
    ASSERT_EQ(window_->Count(QStringLiteral("valuechanged")), 2);
    EXPECT_EQ(window_->notifications.back().wParam, static_cast<uintptr_t>(slider->value()));
    EXPECT_GT(slider->value(), 1);
}

TEST_F(NotificationTest, EditReportsTextChangedReturnAndFocus) {
    auto* edit = Find<QLineEdit>("edit");
    edit->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(window_->Count(QStringLiteral("setfocus"), QStringLiteral("edit")), 1);
    uitest::Press(edit, Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(window_->Count(QStringLiteral("textchanged"), QStringLiteral("edit")), 1);
    uitest::Press(edit, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(window_->Count(QStringLiteral("return"), QStringLiteral("edit")), 1);
    uitest::Press(edit, Qt::Key_Tab);  // focus moves on
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_EQ(window_->Count(QStringLiteral("killfocus"), QStringLiteral("edit")), 1);
}

TEST_F(NotificationTest, ListReportsItemClickSelectAndActivate) {
    auto* list = Find<QListWidget>("list");
    const QRect second = list->visualItemRect(list->item(1));
    uitest::Click(list->viewport(), second.center());
    EXPECT_EQ(window_->Count(QStringLiteral("itemclick"), QStringLiteral("list")), 1);
    ASSERT_EQ(window_->Count(QStringLiteral("itemselect"), QStringLiteral("list")), 1);
    uitest::DoubleClick(list->viewport(), second.center());
    EXPECT_EQ(window_->Count(QStringLiteral("itemactivate"), QStringLiteral("list")), 1);
}

TEST_F(NotificationTest, PointerEventsReportHoverDoubleClickAndMenu) {
    auto* button = Find<QPushButton>("Btn_Apply");
    const QPointF p(5, 5);
    QEnterEvent enter(p, p, button->mapToGlobal(p));
    QApplication::sendEvent(button, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(window_->Count(QStringLiteral("msenter"), QStringLiteral("Btn_Apply")), 1);
    EXPECT_EQ(window_->Count(QStringLiteral("msleave"), QStringLiteral("Btn_Apply")), 1);

    uitest::DoubleClick(button);
    EXPECT_EQ(window_->Count(QStringLiteral("dbclick"), QStringLiteral("Btn_Apply")), 1);

    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 4),
                           button->mapToGlobal(QPoint(3, 4)));
    QApplication::sendEvent(button, &menu);
    ASSERT_EQ(window_->Count(QStringLiteral("menu"), QStringLiteral("Btn_Apply")), 1);
    EXPECT_EQ(window_->notifications.back().lParam, (4 << 16) | 3);

    window_->resize(420, 520);
    EXPECT_GE(window_->Count(QStringLiteral("windowsize"), QStringLiteral("root")), 1);
}

TEST_F(NotificationTest, ProgrammaticChangesRaiseNothing) {
    Find<QCheckBox>("opt_check")->setChecked(true);
    Find<QRadioButton>("radio_b")->setChecked(true);
    Find<QPushButton>("Btn_Apply")->click();
    Find<QComboBox>("combo")->setCurrentIndex(2);
    Find<QSlider>("slider")->setValue(40);
    Find<QLineEdit>("edit")->setText(QStringLiteral("typed by code"));
    Find<QListWidget>("list")->setCurrentRow(1);
    ui::SetControlValue(Find<QSlider>("slider"), 10);
    ui::SetControlCurrentIndex(Find<QComboBox>("combo"), 0);
    uitest::ProcessPending();
    EXPECT_EQ(ValueNotifications(), 0);
}

TEST_F(NotificationTest, ChangesMadeByAHandlerRaiseNothing) {
    auto* combo = Find<QComboBox>("combo");
    auto* slider = Find<QSlider>("slider");
    window_->onNotify = [&](const ui::Notification& n) {
        if (n.type == QLatin1String("click")) {
            combo->setCurrentIndex(2);
            slider->setValue(70);
        }
    };
    uitest::Click(Find<QPushButton>("Btn_Apply"));
    EXPECT_EQ(window_->Types(), std::vector<QString>{QStringLiteral("click")});
}

TEST_F(NotificationTest, CustomControlsDeliverTheirOwnTypes) {
    auto* button = Find<QPushButton>("Btn_Apply");
    window_->SendNotify(button, QString::fromLatin1(ui::notify::kClickSelectEnd), 3, 4);
    window_->SendNotify(button, QString::fromLatin1(ui::notify::kClickWpRemove));
    ASSERT_EQ(window_->notifications.size(), 2u);
    EXPECT_EQ(window_->notifications[0].type, QStringLiteral("click_select_end"));
    EXPECT_EQ(window_->notifications[0].wParam, 3u);
    EXPECT_EQ(window_->notifications[0].lParam, 4);
    EXPECT_EQ(window_->notifications[1].type, QStringLiteral("click_wpremove"));
}

TEST_F(NotificationTest, TimersArriveAsTimerForTheirControlAndId) {
    auto* a = Find<QPushButton>("Btn_Apply");
    auto* b = Find<QLineEdit>("edit");
    ASSERT_TRUE(window_->SetTimer(a, 7, 5));
    ASSERT_TRUE(window_->SetTimer(b, 9, 5));
    EXPECT_FALSE(window_->SetTimer(nullptr, 1, 5));
    auto seen = [&](QWidget* w, uintptr_t id) {
        for (const auto& n : window_->notifications)
            if (n.type == QLatin1String("timer") && n.sender == w && n.wParam == id)
                return true;
        return false;
    };
    ASSERT_TRUE(uitest::ProcessUntil([&] { return seen(a, 7) && seen(b, 9); }));
    for (const auto& n : window_->notifications) {
        if (n.type != QLatin1String("timer"))
            continue;
        EXPECT_TRUE((n.sender == a && n.wParam == 7u) || (n.sender == b && n.wParam == 9u));
    }
    EXPECT_TRUE(window_->KillTimer(a, 7));
    EXPECT_FALSE(window_->KillTimer(a, 7));
    EXPECT_FALSE(window_->HasTimer(a, 7));
    EXPECT_TRUE(window_->HasTimer(b, 9));
    window_->notifications.clear();
    ASSERT_TRUE(uitest::ProcessUntil([&] { return seen(b, 9); }));
    EXPECT_FALSE(seen(a, 7));
    // A destroyed control takes its timers with it.
    delete b;
    EXPECT_FALSE(window_->HasTimer(b, 9));
}

}  // namespace
