// The device pages as the main window composes them: the profile bar and the
// feature pages come from their own layouts by tag, a missing layout leaves
// an empty container behind, and the function tabs switch the page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QStackedWidget>

#include "device/device_classes.h"
#include "platform/debug_output.h"
#include "ui/framework/control_ops.h"
#include "ui/pages/device_profile_ui.h"
#include "ui_test_support.h"
#include "window_test_support.h"

using uitest::ProcessUntil;
using uitest::WindowWorld;

namespace {

QStackedWidget* Stack(QWidget* page, const char* name) {
    return qobject_cast<QStackedWidget*>(ui::FindSubControlByName(page, QString::fromLatin1(name)));
}

}  // namespace

TEST(DevicePages, EveryPageHoldsItsBarPictureAndFeaturePages) {
    platform::DebugCapture capture;
    WindowWorld w;
    ASSERT_TRUE(w.Start());
    struct Expect {
        int row;
        const char* picture;
        std::vector<const char*> features;
    };
    const Expect pages[] = {
        {0,
         "keyboard_device_key_light",
         {"LightControlItem", "KeySetControlItem", "MacroControlItem"}},
        {1,
         "mouse_device_seting_layout",
         {"LightControlItem", "KeySetControlItem", "MacroControlItem", "ShootControlItem"}},
        {2, "mousepad_device_key_light", {"LightControlItem"}},
        {3,
         "ri6533_device_key_light",
         {"LightControlItem", "Voice6533ControlItem", "MagicControlItem", "VirtualSetControlItem"}},
    };
    for (const Expect& e : pages) {
        QWidget* page = w.Window().PageOfRow(e.row);
        ASSERT_NE(page, nullptr) << e.row;
        auto* bar = qobject_cast<ui::CDeviceProfileUI*>(
            ui::FindSubControlByName(page, QStringLiteral("DeviceProfileItem")));
        ASSERT_NE(bar, nullptr) << e.row;
        EXPECT_NE(bar->Combo(), nullptr) << e.row;
        for (int type = 1; type <= 9; ++type)
            EXPECT_NE(bar->TabOption(type), nullptr) << e.row << " tab " << type;
        EXPECT_NE(ui::FindSubControlByName(page, QString::fromLatin1(e.picture)), nullptr) << e.row;
        QStackedWidget* a = Stack(page, "device_function_switch");
        QStackedWidget* b = Stack(page, "device_key_function_switch");
        ASSERT_NE(a, nullptr) << e.row;
        ASSERT_NE(b, nullptr) << e.row;
        EXPECT_TRUE(a->widget(0)->isAncestorOf(b)) << "the key tabs sit in the first function tab";
        for (const char* feature : e.features)
            EXPECT_NE(ui::FindSubControlByName(page, QString::fromLatin1(feature)), nullptr)
                << e.row << " " << feature;
    }
    // A feature page whose layout is not in the skin is an empty container
    // and one line, never a failed page.
    if (ui::FindSubControlByName(w.Window().PageOfRow(3), QStringLiteral("VirtualSetControlItem"))
            ->children()
            .size() <= 1) {
        EXPECT_EQ(capture.Count("page VirtualSetControlUI: layout "
                                "XML/CustomControlXML/VirtualSet.ui not in the skin, left empty"),
                  1u);
    }
}

TEST(DevicePages, FunctionTabsSwitchTheKeyboardPage) {
    WindowWorld w;
    ASSERT_TRUE(w.StartWithKeyboard());
    QWidget* page = w.Window().PageOfRow(0);
    auto* bar = qobject_cast<ui::CDeviceProfileUI*>(
        ui::FindSubControlByName(page, QStringLiteral("DeviceProfileItem")));
    ASSERT_NE(bar, nullptr);
    QStackedWidget* a = Stack(page, "device_function_switch");
    QStackedWidget* b = Stack(page, "device_key_function_switch");
    ASSERT_TRUE(a && b);
    struct Step {
        int type, tabA, tabB;
    };
    // Macros, keys, settings, lighting: the page follows each click.
    for (const Step s : {Step{3, 1, 0}, Step{2, 0, 1}, Step{4, 3, 1}, Step{1, 0, 0}}) {
        QAbstractButton* tab = bar->TabOption(s.type);
        ASSERT_NE(tab, nullptr);
        ASSERT_TRUE(tab->isVisible()) << s.type;
        uitest::Click(tab);
        EXPECT_EQ(a->currentIndex(), s.tabA) << s.type;
        EXPECT_EQ(b->currentIndex(), s.tabB) << s.type;
        EXPECT_TRUE(tab->isChecked()) << s.type;
        for (int other = 1; other <= 9; ++other) {
            if (other != s.type) {
                EXPECT_FALSE(bar->TabOption(other)->isChecked()) << s.type << " " << other;
            }
        }
    }
}
