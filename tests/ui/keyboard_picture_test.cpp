// The keyboard picture: the generated page layout with its key and LED
// buttons, drag selection on the select panel, the tinted LED buttons and the
// double-click notification.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QMouseEvent>

#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/skin.h"
#include "ui_test_support.h"

using ui::CDeviceKeyButtonUI;
using ui::CSelectPanelUI;
using uitest::RecordingWindow;

namespace {

class KeyboardPictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        ui::RegisterKeyboardPictureControls();
        oldSkin_ = ui::Skin::Instance().ResourcePath();
        ui::Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
        window_ = std::make_unique<RecordingWindow>(
            QStringLiteral("XML\\DeviceXml\\keyboarddevice_7322.xml"));
        ASSERT_TRUE(window_->Create(nullptr, QStringLiteral("keyboard"), 760, 240));
        window_->show();
        uitest::ProcessUntil([&] { return window_->Count(QStringLiteral("windowinit")) > 0; });
        window_->notifications.clear();
        panel_ =
            qobject_cast<CSelectPanelUI*>(window_->FindControl(QStringLiteral("device_key_light")));
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        window_.reset();
        ui::Skin::Instance().SetResourcePath(oldSkin_);
    }
    CDeviceKeyButtonUI* Button(const char* prefix, int n) {
        return qobject_cast<CDeviceKeyButtonUI*>(
            window_->FindControl(QString::fromLatin1(prefix) + QString::number(n)));
    }
    // What the window's buffer holds where the panel lies, after the
    // changes made so far and the repaint they ask for; null where the
    // buffer is not an image.
    QImage PanelOnScreen() {
        for (int i = 0; i < 4; ++i) {
            QApplication::processEvents();
        }
        QBackingStore* store = window_->backingStore();
        const auto* buffer =
            dynamic_cast<QImage*>(store != nullptr ? store->paintDevice() : nullptr);
        if (buffer == nullptr) {
            return QImage();
        }
        const QRect at(panel_->mapTo(window_.get(), QPoint()), panel_->size());
        return buffer->copy(at).convertToFormat(QImage::Format_RGB32);
    }
    void Mouse(QWidget* target, QEvent::Type type, QPoint panelPoint) {
        const QPoint local = target->mapFrom(panel_, panelPoint);
        QMouseEvent e(type, local, target->mapToGlobal(local), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }

    QString oldSkin_;
    std::unique_ptr<RecordingWindow> window_;
    CSelectPanelUI* panel_ = nullptr;
};

TEST_F(KeyboardPictureTest, EveryKeyAndLedButtonIsOnThePanel) {
    int visible = 0;
    for (int n = 0; n < 170; ++n) {
        CDeviceKeyButtonUI* key = Button("key_", n);
        CDeviceKeyButtonUI* light = Button("light_", n);
        ASSERT_NE(key, nullptr) << n;
        ASSERT_NE(light, nullptr) << n;
        EXPECT_EQ(key->parentWidget(), panel_);
        EXPECT_EQ(light->parentWidget(), panel_);
        EXPECT_EQ(key->geometry(), light->geometry()) << n;
        EXPECT_EQ(key->IsShownOnPanel(), light->IsShownOnPanel());
        // The panel paints the LEDs and the keys; as widgets they stay hidden.
        EXPECT_TRUE(light->PaintedByPanel());
        EXPECT_TRUE(light->isHidden());
        EXPECT_TRUE(key->PaintedByPanel());
        EXPECT_TRUE(key->isHidden());
        EXPECT_FALSE(light->LightImage().isEmpty());
        EXPECT_FALSE(key->KeysetImage().isEmpty());
        visible += key->IsShownOnPanel() ? 1 : 0;
    }
    EXPECT_EQ(visible, 114);
    EXPECT_EQ(panel_->parentWidget()->objectName(), QStringLiteral("keyboard_device_key_light"));
    // Space is wide, Esc is left of F1, the numpad Enter is two rows tall.
    EXPECT_GT(Button("key_", 108)->width(), 2 * Button("key_", 0)->width());
    EXPECT_LT(Button("key_", 0)->x(), Button("key_", 1)->x());
    EXPECT_EQ(Button("key_", 118)->height(), 2 * 32 - 2);
    EXPECT_FALSE(Button("key_", 130)->isVisibleTo(panel_));
}

TEST_F(KeyboardPictureTest, DragSelectsTheTouchedKeysAndNotifiesOnce) {
    CDeviceKeyButtonUI* k3 = Button("key_", 3);
    CDeviceKeyButtonUI* k4 = Button("key_", 4);
    Button("key_", 60)->SetInSelection(1);
    const QPoint from = k3->geometry().center();
    const QPoint to = k4->geometry().center();
    // The drag starts on a key button: the panel still sees it.
    Mouse(k3, QEvent::MouseButtonPress, from);
    Mouse(k3, QEvent::MouseMove, (from + to) / 2);
    Mouse(k3, QEvent::MouseMove, to);
    Mouse(k3, QEvent::MouseButtonRelease, to);
    EXPECT_EQ(
        window_->Count(QStringLiteral("click_select_end"), QStringLiteral("device_key_light")), 1);
    for (int n = 0; n < 170; ++n) {
        const int expected = (n == 3 || n == 4) ? 1 : 0;
        EXPECT_EQ(Button("key_", n)->IsInSelection(), expected) << n;
        EXPECT_EQ(Button("light_", n)->IsInSelection(), expected) << n;
    }

    // A click without movement changes nothing and sends nothing.
    window_->notifications.clear();
    const QPoint p = Button("key_", 70)->geometry().center();
    Mouse(panel_, QEvent::MouseButtonPress, p);
    Mouse(panel_, QEvent::MouseButtonRelease, p);
    EXPECT_EQ(window_->Count(QStringLiteral("click_select_end")), 0);
    EXPECT_EQ(k3->IsInSelection(), 1);
    EXPECT_EQ(Button("key_", 70)->IsInSelection(), 0);
}

TEST_F(KeyboardPictureTest, LedButtonsShowTheirTint) {
    CDeviceKeyButtonUI* light = Button("light_", 51);
    const auto centre = [&] {
        const QImage image = panel_->grab(light->geometry()).toImage();
        return image.pixelColor(image.rect().center());
    };
    light->SetLightTint(0, 0, true);
    const QColor unlit = centre();
    const QRect next = Button("light_", 52)->geometry();
    const QImage nextBefore = panel_->grab(next).toImage();
    // Word format: red low byte, then blue, then green.
    light->SetLightTint(0x00FF00u, 255, true);  // blue
    EXPECT_EQ(CDeviceKeyButtonUI::TintRgb(0x00FF00u), QColor(0, 0, 255));
    EXPECT_EQ(CDeviceKeyButtonUI::TintRgb(0xFF0000u), QColor(0, 255, 0));
    QColor lit = centre();
    EXPECT_GT(lit.blue(), lit.red() + 120);
    EXPECT_EQ(panel_->grab(next).toImage(), nextBefore) << "a neighbour is not touched";
    // Alpha 0 draws no light: only the key cap remains.
    light->SetLightTint(0x00FF00u, 0, true);
    EXPECT_EQ(centre(), unlit);
    // A hidden LED shows no light, and shows it again when shown.
    light->SetLightTint(0x0000FFu, 255, true);  // red
    EXPECT_GT(centre().red(), unlit.red() + 120);
    light->hide();
    EXPECT_FALSE(light->IsShownOnPanel());
    EXPECT_EQ(centre(), unlit);
    light->show();
    EXPECT_GT(centre().red(), unlit.red() + 120);
}

TEST_F(KeyboardPictureTest, PanelShowsWhatLiesBeneathItsCorners) {
    // The picture has rounded corners; the panel paints every pixel itself,
    // so the page's background must come through there.
    panel_->parentWidget()->setStyleSheet(
        QStringLiteral("QWidget#keyboard_device_key_light { background: rgb(0, 200, 0); }"));
    const QImage image = panel_->grab().toImage();
    const QColor corner = image.pixelColor(0, 0);
    EXPECT_EQ(corner, QColor(0, 200, 0));
    // Moving the lit keys (the window is scaled) redraws them in place.
    CDeviceKeyButtonUI* light = Button("light_", 40);
    light->SetLightTint(0x00FF00u, 255, true);
    const QRect old = light->geometry();
    light->setGeometry(old.translated(0, 2));
    Button("key_", 40)->setGeometry(old.translated(0, 2));
    const QImage moved = panel_->grab(light->geometry()).toImage();
    const QColor c = moved.pixelColor(moved.rect().center());
    EXPECT_GT(c.blue(), c.red() + 120);
}

TEST_F(KeyboardPictureTest, PictureKeysAndLightsScaleTogether) {
    // Lights off: what is left is the picture beneath the keys.
    for (int n = 0; n < 170; ++n) {
        Button("light_", n)->SetLightTint(0, 0, false);
    }
    const QImage design = panel_->grab().toImage();
    std::vector<QPoint> designCentres;
    for (int n = 0; n < 170; ++n) {
        designCentres.push_back(Button("key_", n)->geometry().center());
    }
    for (const int dpi : {96, 120, 144, 192}) {
        ASSERT_TRUE(window_->SetDPI(dpi));
        QApplication::processEvents();
        EXPECT_EQ(panel_->size(), QSize(760 * dpi / 96, 240 * dpi / 96)) << dpi;
        const QImage picture = panel_->grab().toImage();
        for (int n = 0; n < 170; ++n) {
            CDeviceKeyButtonUI* key = Button("key_", n);
            if (!key->isVisibleTo(panel_)) {
                continue;
            }
            const QRect keyRect = key->geometry();
            EXPECT_TRUE(keyRect.contains(Button("light_", n)->geometry().center())) << dpi << n;
            // The cap beneath the key's centre is the one the design
            // picture has beneath the design centre.
            const QColor want = design.pixelColor(designCentres[n]);
            const QColor got = picture.pixelColor(keyRect.center());
            EXPECT_NEAR(got.red(), want.red(), 24) << dpi << " key " << n;
            EXPECT_NEAR(got.green(), want.green(), 24) << dpi << " key " << n;
            EXPECT_NEAR(got.blue(), want.blue(), 24) << dpi << " key " << n;
        }
        // A lit LED is painted over its key, filling it.
        CDeviceKeyButtonUI* light = Button("light_", 51);
        light->SetLightTint(0x0000FFu, 255, true);  // red
        const QImage lit = panel_->grab().toImage();
        const QRect at = light->geometry();
        EXPECT_EQ(at.size(), QSize(30 * dpi / 96, 30 * dpi / 96)) << dpi;
        const QColor c = lit.pixelColor(at.center());
        EXPECT_GT(c.red(), c.blue() + 120) << dpi;
        light->SetLightTint(0, 0, false);
    }
}

TEST_F(KeyboardPictureTest, KeysetMarkAndDoubleClick) {
    CDeviceKeyButtonUI* key = Button("key_", 22);
    const QPoint markAt(key->width() - 7, 6);
    QImage before = key->grab().toImage();
    key->SetKeysetImageHidden(false);
    QImage after = key->grab().toImage();
    EXPECT_NE(before.pixelColor(markAt), after.pixelColor(markAt));
    EXPECT_GT(after.pixelColor(markAt).red(), after.pixelColor(markAt).blue() + 100);

    uitest::DoubleClick(key);
    EXPECT_EQ(window_->Count(QStringLiteral("dbclick"), QStringLiteral("key_22")), 1);
    key->setEnabled(false);
    uitest::DoubleClick(key);
    EXPECT_EQ(window_->Count(QStringLiteral("dbclick")), 1);
}

TEST_F(KeyboardPictureTest, KeysAreDrawnAndClickedThroughThePanel) {
    CDeviceKeyButtonUI* key = Button("key_", 22);
    CDeviceKeyButtonUI* light = Button("light_", 22);
    const QRect at = key->geometry();
    const auto shot = [&] {
        QApplication::processEvents();
        return panel_->grab(at).toImage();
    };
    // The legend is laid over the light, set through the framework or
    // straight on the button.
    light->SetLightTint(0x0000FF, 255, true);
    const QImage lit = shot();
    ui::SetControlText(key, QStringLiteral("WWW"));
    const QImage legend = shot();
    EXPECT_NE(legend, lit);
    key->setText(QString());
    EXPECT_EQ(shot(), lit);
    key->setText(QStringLiteral("WWW"));
    EXPECT_EQ(shot(), legend);
    // The mark.
    key->SetKeysetImageHidden(false);
    const QColor mark = shot().pixelColor(at.width() - 7, 6);
    EXPECT_GT(mark.red(), mark.blue() + 100);
    // Hovering brightens the key; leaving restores it.
    const QImage unhovered = shot();
    const QPoint centre = at.center();
    QMouseEvent move(QEvent::MouseMove, centre, panel_->mapToGlobal(centre), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel_, &move);
    const QImage hovered = shot();
    EXPECT_GT(hovered.pixelColor(3, at.height() / 2).lightness(),
              unhovered.pixelColor(3, at.height() / 2).lightness());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(panel_, &leave);
    EXPECT_EQ(shot(), unhovered);
    // Clicks reach the key as its own would, with the key as sender.
    window_->notifications.clear();
    Mouse(panel_, QEvent::MouseButtonPress, centre);
    EXPECT_TRUE(key->isDown());
    Mouse(panel_, QEvent::MouseButtonRelease, centre);
    EXPECT_FALSE(key->isDown());
    EXPECT_EQ(window_->Count(QStringLiteral("click"), QStringLiteral("key_22")), 1);
    // Released elsewhere: no click.
    Mouse(panel_, QEvent::MouseButtonPress, centre);
    Mouse(panel_, QEvent::MouseButtonRelease, Button("key_", 60)->geometry().center());
    EXPECT_EQ(window_->Count(QStringLiteral("click")), 1);
    Mouse(panel_, QEvent::MouseButtonDblClick, centre);
    Mouse(panel_, QEvent::MouseButtonRelease, centre);
    EXPECT_EQ(window_->Count(QStringLiteral("dbclick"), QStringLiteral("key_22")), 1);
    // A disabled or hidden key takes nothing.
    window_->notifications.clear();
    key->setEnabled(false);
    Mouse(panel_, QEvent::MouseButtonPress, centre);
    Mouse(panel_, QEvent::MouseButtonRelease, centre);
    key->setEnabled(true);
    key->setVisible(false);
    EXPECT_FALSE(key->IsShownOnPanel());
    Mouse(panel_, QEvent::MouseButtonPress, centre);
    Mouse(panel_, QEvent::MouseButtonRelease, centre);
    EXPECT_EQ(window_->Count(QStringLiteral("click")), 0);
    EXPECT_NE(shot(), legend) << "a hidden key's legend goes with it";
}

// The window's buffer is what the user sees. A frame of the animation
// redraws only the lights that changed there; after many frames, with keys
// hovered, marked and lights switched off between them, at two scales, it
// must hold exactly what drawing the whole picture afresh gives.
TEST_F(KeyboardPictureTest, WindowBufferMatchesTheWholePictureAfterChangedLightsOnly) {
    const auto afresh = [&] {
        return panel_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    if (PanelOnScreen().isNull()) {
        GTEST_SKIP() << "this platform's window buffer is not an image";
    }
    for (const int dpi : {96, 144}) {
        ASSERT_TRUE(window_->SetDPI(dpi));
        QApplication::processEvents();
        for (int frame = 0; frame < 12; ++frame) {
            // Two lights far apart, a row of them, one switched off.
            Button("light_", 1)->SetLightTint(0x10u * frame, 255, true);
            Button("light_", 100)->SetLightTint(0x0000FFu, 40 + 15 * frame, true);
            for (int n = 40; n < 52; ++n) {
                Button("light_", n)->SetLightTint(0x00FF00u + frame, 200, frame % 3 != 0);
            }
            if (frame == 4) {
                Button("key_", 45)->SetKeysetImageHidden(false);
            }
            if (frame == 9) {
                // A grab between two changes of the row: the second asks
                // for the whole row again, and only its ends change.
                afresh();
                Button("light_", 40)->SetLightTint(0x00FFFFu, 255, true);
                Button("light_", 51)->SetLightTint(0x00FFFFu, 255, true);
            }
            if (frame == 7) {
                const QPoint centre = Button("key_", 47)->geometry().center();
                QMouseEvent move(QEvent::MouseMove, centre, panel_->mapToGlobal(centre),
                                 Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(panel_, &move);
            }
            const QImage shown = PanelOnScreen();
            ASSERT_EQ(shown, afresh()) << "scale " << dpi << " frame " << frame;
        }
    }
}

// Changed lights go into the window's buffer outside Qt's paint; a widget
// that lies over the picture must stay on top of them.
TEST_F(KeyboardPictureTest, AWidgetOverThePictureStaysOverChangingLights) {
    if (PanelOnScreen().isNull()) {
        GTEST_SKIP() << "this platform's window buffer is not an image";
    }
    CDeviceKeyButtonUI* covered = Button("light_", 1);
    CDeviceKeyButtonUI* open = Button("light_", 100);
    QWidget* parent = panel_->parentWidget();
    QWidget cover(parent);
    cover.setAutoFillBackground(true);
    QPalette palette = cover.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    cover.setPalette(palette);
    cover.setGeometry(
        QRect(panel_->mapTo(parent, covered->geometry().topLeft()), covered->geometry().size()));
    cover.show();
    cover.raise();
    for (int frame = 0; frame < 3; ++frame) {
        covered->SetLightTint(0xFF0000u + frame, 255, true);
        open->SetLightTint(0x00FF00u + frame, 255, true);
        const QImage shown = PanelOnScreen();
        EXPECT_EQ(shown.pixel(covered->geometry().center()), qRgb(0x12, 0x34, 0x56))
            << "frame " << frame;
        EXPECT_EQ(shown.copy(open->geometry()),
                  panel_->grab(open->geometry()).toImage().convertToFormat(QImage::Format_RGB32))
            << "frame " << frame;
    }
    // Gone again: the lights beneath it are drawn straight away once more.
    cover.hide();
    covered->SetLightTint(0x0000FFu, 255, true);
    EXPECT_EQ(PanelOnScreen().copy(covered->geometry()),
              panel_->grab(covered->geometry()).toImage().convertToFormat(QImage::Format_RGB32));
}

}  // namespace
