// The UI driver's answers over shown, hidden and missing controls, and over
// a light its select panel paints.
#include <gtest/gtest.h>

#include "app/app_test_support.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

#include "app/ui_driver.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"
#include "ui/framework/application.h"

namespace {

using apptest::EnsureApplication;

void Settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

QRect ScreenRectOf(QWidget* w, QRect local) {
    return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

class UiDriverTest : public ::testing::Test {
  protected:
    UiDriverTest() {
        EnsureApplication();
        window_ = std::make_unique<QWidget>();
        window_->setWindowTitle(QStringLiteral("Driver Test"));
        window_->resize(400, 300);
    }
    template <typename W>
    W* Add(const char* name, QRect geometry, QWidget* parent = nullptr) {
        auto* w = new W(parent != nullptr ? parent : window_.get());
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(geometry);
        return w;
    }
    void Show() {
        window_->show();
        Settle();
    }
    std::unique_ptr<QWidget> window_;
};

TEST_F(UiDriverTest, ShownHiddenAndMissingControls) {
    auto* ok = Add<QPushButton>("OkButton", {10, 20, 80, 30});
    ok->setText(QStringLiteral("OK"));
    ok->setCheckable(true);
    ok->setChecked(true);
    auto* secret = Add<QLabel>("Hidden_Label", {10, 60, 80, 20});
    secret->setText(QStringLiteral("secret"));
    secret->hide();
    // The first control of a name is hidden; geometry takes the shown one.
    Add<QLabel>("twin", {0, 0, 10, 10})->hide();
    auto* shownTwin = Add<QLabel>("Twin", {200, 100, 30, 40});
    Add<QSlider>("volume", {10, 90, 100, 20})->setValue(7);
    auto* choice = Add<QComboBox>("choice", {10, 120, 100, 20});
    choice->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    choice->setCurrentIndex(2);
    choice->setEnabled(false);
    Show();

    EXPECT_TRUE(app::UiDriver::ShownWindowTitles().contains(QStringLiteral("Driver Test")));
    EXPECT_EQ(app::UiDriver::ScreenRect(QStringLiteral("okbutton")),
              ScreenRectOf(window_.get(), {10, 20, 80, 30}));
    EXPECT_EQ(app::UiDriver::ShownText(QStringLiteral("OKBUTTON")), QStringLiteral("OK"));
    EXPECT_EQ(app::UiDriver::StateJson(QStringLiteral("okbutton")),
              QStringLiteral(
                  R"({"checked":true,"enabled":true,"selected":-1,"value":null,"visible":true})"));
    EXPECT_EQ(app::UiDriver::ScreenRect(QStringLiteral("twin")),
              ScreenRectOf(window_.get(), shownTwin->geometry()));
    EXPECT_EQ(app::UiDriver::StateJson(QStringLiteral("volume"))->contains(R"("value":7)"), true);
    const QString combo = *app::UiDriver::StateJson(QStringLiteral("choice"));
    EXPECT_TRUE(combo.contains(R"("selected":2)")) << combo.toStdString();
    EXPECT_TRUE(combo.contains(R"("count":3)")) << combo.toStdString();
    EXPECT_TRUE(combo.contains(R"("enabled":false)")) << combo.toStdString();
    EXPECT_EQ(app::UiDriver::ShownText(QStringLiteral("choice")), QStringLiteral("c"));

    // Hidden: no place on the screen, but its text and state are there.
    EXPECT_FALSE(app::UiDriver::ScreenRect(QStringLiteral("hidden_label")).has_value());
    EXPECT_EQ(app::UiDriver::ShownText(QStringLiteral("hidden_label")), QStringLiteral("secret"));
    EXPECT_TRUE(
        app::UiDriver::StateJson(QStringLiteral("hidden_label"))->contains(R"("visible":false)"));

    for (const char* missing : {"nothing", "", "   "}) {
        EXPECT_FALSE(app::UiDriver::ScreenRect(QString::fromLatin1(missing)).has_value());
        EXPECT_FALSE(app::UiDriver::ShownText(QString::fromLatin1(missing)).has_value());
        EXPECT_FALSE(app::UiDriver::StateJson(QString::fromLatin1(missing)).has_value());
    }

    // A hidden window is not searched at all.
    window_->hide();
    Settle();
    EXPECT_FALSE(app::UiDriver::ShownWindowTitles().contains(QStringLiteral("Driver Test")));
    EXPECT_FALSE(app::UiDriver::ScreenRect(QStringLiteral("okbutton")).has_value());
    EXPECT_FALSE(app::UiDriver::ShownText(QStringLiteral("okbutton")).has_value());
}

TEST_F(UiDriverTest, PaintedLightIsWhereThePanelPaintsIt) {
    auto* panel = Add<ui::CSelectPanelUI>("panel", {50, 40, 300, 200});
    auto* light = Add<ui::CDeviceKeyButtonUI>("light_7", {30, 60, 20, 20}, panel);
    light->SetAttribute(QStringLiteral("lightimage"), QStringLiteral("image/none.png"));
    ASSERT_TRUE(light->PaintedByPanel());
    Show();
    ASSERT_FALSE(light->isVisible());  // a hidden widget, painted by the panel

    EXPECT_EQ(app::UiDriver::ScreenRect(QStringLiteral("LIGHT_7")),
              ScreenRectOf(panel, {30, 60, 20, 20}));
    EXPECT_TRUE(app::UiDriver::StateJson(QStringLiteral("light_7"))->contains(R"("visible":true)"));

    light->setVisible(false);  // off the picture
    EXPECT_FALSE(app::UiDriver::ScreenRect(QStringLiteral("light_7")).has_value());
    EXPECT_TRUE(
        app::UiDriver::StateJson(QStringLiteral("light_7"))->contains(R"("visible":false)"));
    light->setVisible(true);
    panel->hide();
    EXPECT_FALSE(app::UiDriver::ScreenRect(QStringLiteral("light_7")).has_value());
}

TEST_F(UiDriverTest, KeyOfAPictureTellsItsMark) {
    auto* panel = Add<ui::CSelectPanelUI>("panel", {50, 40, 300, 200});
    auto* key = Add<ui::CDeviceKeyButtonUI>("key_4", {30, 60, 30, 30}, panel);
    key->SetAttribute(QStringLiteral("keysetimage"), QStringLiteral("image/keyboard/mark.png"));
    auto* plain = Add<ui::CDeviceKeyButtonUI>("key_5", {70, 60, 30, 30}, panel);
    Show();
    auto state = [](const char* name) {
        return app::UiDriver::StateJson(QString::fromLatin1(name)).value_or(QString());
    };
    EXPECT_TRUE(state("key_4").contains(R"("marked":false)")) << state("key_4").toStdString();
    key->SetKeysetImageHidden(false);
    EXPECT_TRUE(state("KEY_4").contains(R"("marked":true)")) << state("key_4").toStdString();
    // A key without a mark image never shows one.
    plain->SetKeysetImageHidden(false);
    EXPECT_TRUE(state("key_5").contains(R"("marked":false)")) << state("key_5").toStdString();
    key->SetKeysetImageHidden(true);
    EXPECT_TRUE(state("key_4").contains(R"("marked":false)"));
    // Other controls have no mark to tell.
    Add<QPushButton>("OkButton", {10, 250, 80, 30});
    EXPECT_FALSE(state("okbutton").contains(QStringLiteral("marked")));
}

TEST_F(UiDriverTest, BusAnswersRectanglesAndErrors) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    Add<QPushButton>("OkButton", {10, 20, 80, 30});
    Show();
    app::UiDriver driver;
    ASSERT_TRUE(driver.Export());
    auto call = [&bus](const char* method, const QString& name) {
        QDBusMessage m = QDBusMessage::createMethodCall(
            bus.baseService(), QString::fromLatin1(app::kUiDriverObjectPath),
            QString::fromLatin1(app::kUiDriverInterface), QString::fromLatin1(method));
        m << name;
        return bus.call(m);
    };
    const QDBusMessage rect = call("Geometry", QStringLiteral("okbutton"));
    ASSERT_EQ(rect.type(), QDBusMessage::ReplyMessage) << rect.errorMessage().toStdString();
    ASSERT_EQ(rect.arguments().size(), 4);
    const QRect expected = ScreenRectOf(window_.get(), {10, 20, 80, 30});
    EXPECT_EQ(rect.arguments()[0].toInt(), expected.x());
    EXPECT_EQ(rect.arguments()[1].toInt(), expected.y());
    EXPECT_EQ(rect.arguments()[2].toInt(), 80);
    EXPECT_EQ(rect.arguments()[3].toInt(), 30);
    // Many at once: only the names that show, in the order asked.
    QDBusMessage many = QDBusMessage::createMethodCall(
        bus.baseService(), QString::fromLatin1(app::kUiDriverObjectPath),
        QString::fromLatin1(app::kUiDriverInterface), QStringLiteral("Geometries"));
    many << QStringList{QStringLiteral("nothing"), QStringLiteral("OKBUTTON")};
    const QDBusMessage rects = bus.call(many);
    ASSERT_EQ(rects.type(), QDBusMessage::ReplyMessage) << rects.errorMessage().toStdString();
    ASSERT_EQ(rects.signature(), QStringLiteral("a(siiii)"));
    const auto list = qdbus_cast<QList<app::NamedRect>>(rects.arguments().at(0));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].name, QStringLiteral("OKBUTTON"));
    EXPECT_EQ(QRect(list[0].x, list[0].y, list[0].width, list[0].height), expected);

    for (const char* method : {"Geometry", "Text", "State"}) {
        const QDBusMessage missing = call(method, QStringLiteral("nothing"));
        EXPECT_EQ(missing.type(), QDBusMessage::ErrorMessage) << method;
        EXPECT_EQ(missing.errorName(), QStringLiteral("io.qx70.UiDriver.Error.NoControl"));
    }
}

}  // namespace
