// The program's own controls: the battery widget over the status records
// the devices send, the recording pulse, the picture buttons (panning, the
// delete area, cursors), the ring progress, the sample bars, the chart, the
// window host, the combo-edit element and their factory names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <array>
#include <vector>

#include "platform/debug_output.h"
#include "ui/controls/audio_record.h"
#include "ui/controls/chart_view.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo_edit_element.h"
#include "ui/controls/custom_controls.h"
#include "ui/controls/hand_img_buttons.h"
#include "ui/controls/image_painter.h"
#include "ui/controls/redio_macro_button.h"
#include "ui/controls/wnd_host.h"
#include "ui/framework/control_factory.h"
#include "ui/framework/control_ops.h"
#include "ui/framework/layout_loader.h"
#include "ui/framework/skin.h"
#include "ui/pages/device_page_adapter.h"
#include "ui/pages/mp_device_power_ui.h"
#include "ui_test_support.h"

using namespace ui;

namespace {

std::string Png(int w, int h, QColor c) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(c);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
    QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QImage Grab(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        RegisterCustomControls();
        CMpDevicePowerUI::Register();
        ClearImageCache();
    }
    void TearDown() override { ClearImageCache(); }
};

// ---------------------------------------------------------------- battery widget

class BatteryWidgetTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        oldSkin_ = Skin::Instance().ResourcePath();
        Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
        LayoutLoader loader;
        built_.reset(
            loader.Build(QStringLiteral("XML\\CustomControlXML\\MpDevicePower.xml"), nullptr));
        power_ = qobject_cast<CMpDevicePowerUI*>(built_.get());
        ASSERT_NE(power_, nullptr);
        power_->show();
    }
    void TearDown() override {
        built_.reset();
        Skin::Instance().SetResourcePath(oldSkin_);
        ControlsTest::TearDown();
    }
    QWidget* Child(const char* name) {
        return FindSubControlByName(power_, QString::fromLatin1(name));
    }
    int Progress() { return qobject_cast<QProgressBar*>(Child("device_Power_progress"))->value(); }
    QString Level() { return ControlText(Child("device_power_value")); }
    QString Status() { return ControlImage(Child("device_power_status")); }
    QString Phone() { return ControlImage(Child("device_phone_type")); }
    bool LogoShown() { return Child("device_wuxian_logo")->isVisibleTo(power_); }

    QString oldSkin_;
    std::unique_ptr<QWidget> built_;
    CMpDevicePowerUI* power_ = nullptr;
};

TEST_F(BatteryWidgetTest, EveryLengthChangesOnlyTheDisplaysItsBytesCover) {
    power_->SetWidgetKind(3, 0);
    const std::array<uint8_t, 6> record = {85, 1, 0, 1, 7, 2};
    for (size_t length = 0; length <= record.size(); ++length) {
        BatteryWidgetTest::TearDown();
        BatteryWidgetTest::SetUp();
        power_->SetWidgetKind(3, 0);
        power_->SetBatteryStatus(record.data(), length);
        EXPECT_EQ(Level(), length >= 1 ? QStringLiteral("85%") : QString()) << length;
        EXPECT_EQ(Progress(), length >= 1 ? 15 : 100) << length;
        EXPECT_EQ(Status(), length >= 2 ? QStringLiteral("file='power/powering.png'") : QString())
            << length;
        EXPECT_EQ(LogoShown(), length >= 4) << length;
        EXPECT_EQ(Phone(),
                  length >= 6 ? QStringLiteral("file='power/Phone_type_samsung.png'") : QString())
            << length;
    }
    // Longer records are read up to 64 bytes and no further.
    std::vector<uint8_t> longRecord(200, 0);
    longRecord[0] = 12;
    power_->SetBatteryStatus(longRecord.data(), longRecord.size());
    EXPECT_EQ(Level(), QStringLiteral("12%"));
    power_->SetBatteryStatus(nullptr, 6);  // no bytes: nothing read
    EXPECT_EQ(Level(), QStringLiteral("12%"));
}

TEST_F(BatteryWidgetTest, LevelsAndChargeStates) {
    const uint8_t empty[] = {0, 2, 0, 0, 0, 0};
    power_->SetBatteryStatus(empty, 6);
    EXPECT_EQ(Level(), QStringLiteral("0%"));
    EXPECT_EQ(Progress(), 100);
    EXPECT_EQ(Status(), QStringLiteral("file='power/power.png'"));
    const uint8_t full[] = {100, 0, 0, 0, 0, 0};
    power_->SetBatteryStatus(full, 6);
    EXPECT_EQ(Level(), QStringLiteral("100%"));
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Status(), QStringLiteral("file='power/powered.png'"));
    // Above 100 shows as full, never a negative bar; an unknown charge
    // state keeps the picture.
    const uint8_t over[] = {150, 9, 0, 0, 0, 0};
    power_->SetBatteryStatus(over, 6);
    EXPECT_EQ(Level(), QStringLiteral("100%"));
    EXPECT_EQ(Progress(), 0);
    EXPECT_EQ(Status(), QStringLiteral("file='power/powered.png'"));
    EXPECT_EQ(power_->ShownLevel(), 100);
    const uint8_t charging[] = {40, 1, 0, 0, 0, 0};
    power_->SetBatteryStatus(charging, 6);
    EXPECT_EQ(Status(), QStringLiteral("file='power/powering.png'"));
    EXPECT_FALSE(LogoShown());
}

TEST_F(BatteryWidgetTest, OnlyKindThreeShowsThePhone) {
    const uint8_t record[] = {50, 0, 0, 0, 0, 1};
    power_->SetWidgetKind(1, 0);
    power_->SetBatteryStatus(record, 6);
    EXPECT_EQ(Phone(), QString());
    EXPECT_FALSE(Child("device_phone_type")->isVisibleTo(power_));
    power_->SetWidgetKind(3, 0);
    for (uint8_t type : {1, 2, 3, 0, 4, 255}) {
        const uint8_t r[] = {50, 0, 0, 0, 0, type};
        power_->SetBatteryStatus(r, 6);
        const char* name = type == 1   ? "iphone"
                           : type == 2 ? "samsung"
                           : type == 3 ? "other"
                                       : "no_device";
        EXPECT_EQ(Phone(),
                  QStringLiteral("file='power/Phone_type_%1.png'").arg(QLatin1String(name)));
        EXPECT_TRUE(Child("device_phone_type")->isVisibleTo(power_));
    }
}

TEST_F(BatteryWidgetTest, VisibilityOperationsAndMissingControls) {
    EXPECT_TRUE(power_->ShowWirelessLogo(true));
    EXPECT_TRUE(LogoShown());
    EXPECT_TRUE(power_->ShowPowerLayout(false));
    EXPECT_FALSE(Child("device_power_Layout")->isVisibleTo(power_));
    power_->SetEnabled(true);
    EXPECT_TRUE(Child("device_power_Layout")->isVisibleTo(power_));
    EXPECT_TRUE(power_->ShowPowerValue(false));

    // A widget without its displays ignores records and reports failure.
    CMpDevicePowerUI bare;
    auto* value = new QLabel(&bare);
    value->setObjectName(QStringLiteral("device_power_value"));
    const uint8_t record[] = {30, 0, 0, 1, 0, 0};
    bare.SetBatteryStatus(record, 6);
    EXPECT_EQ(value->text(), QString());
    EXPECT_EQ(bare.ShownLevel(), -1);
    EXPECT_FALSE(bare.ShowWirelessLogo(true));
    EXPECT_FALSE(bare.ShowPowerLayout(true));
    EXPECT_TRUE(bare.ShowPowerValue(true));
}

TEST_F(BatteryWidgetTest, TheKeyboardPageHandsItsReadsToTheWidget) {
    QWidget page;
    KeyboardPageAdapter adapter(&page);
    adapter.ShowBatteryStatus({60, 1, 0, 1, 0, 0});  // no widget bound: nothing happens
    adapter.SetPowerWidget(power_);
    adapter.ShowBatteryStatus({61, 1, 0, 0, 0, 0});
    EXPECT_EQ(Level(), QStringLiteral("61%"));
    adapter.ShowBatteryWireless(true);
    EXPECT_TRUE(LogoShown());
    adapter.ShowBatteryWireless(false);
    EXPECT_FALSE(LogoShown());
}

// ---------------------------------------------------------------- recording pulse

TEST_F(ControlsTest, RecordingPulseGoesDownToEightyAndBack) {
    CRedioMacroButtonUI button;
    button.PulseStep();  // no image: nothing changes
    EXPECT_EQ(button.Fade(), 255);
    EXPECT_TRUE(button.NormalImage().isEmpty());
    button.setProperty("RedioImage", QStringLiteral("macro/rec.png"));
    std::vector<int> fades;
    for (int i = 0; i < 20; ++i) {
        button.PulseStep();
        fades.push_back(button.Fade());
    }
    const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95,  80,  100,
                                       120, 140, 160, 180, 200, 220, 240, 255, 235, 215};
    EXPECT_EQ(fades, expected);
    EXPECT_EQ(button.NormalImage(), QStringLiteral("res='macro/rec.png' fade='215'"));
}

// The button keeps one picture per fade; each must be what the image string
// of that fade draws, also after a resize.
TEST_F(ControlsTest, RecordingPulseFramesMatchTheirImageStrings) {
    uitest::ScopedSkin skin({{"macro/rec.png", Png(40, 20, QColor(200, 30, 0))}});
    QWidget page;
    auto* button = new CRedioMacroButtonUI(&page);
    button->setGeometry(0, 0, 60, 30);
    button->setProperty("redioimage", QStringLiteral("macro/rec.png"));
    auto* plain = new CImageButtonUI(&page);
    plain->setGeometry(0, 50, 60, 30);
    page.show();
    for (int i = 0; i < 24; ++i) {
        if (i == 12) {
            button->resize(90, 44);
            plain->resize(90, 44);
        }
        button->PulseStep();
        plain->SetNormalImage(button->NormalImage());
        ASSERT_EQ(Grab(button), Grab(plain)) << "fade " << button->Fade();
    }
    // A text on the button is drawn over the pulse as over any image.
    button->setText(QStringLiteral("Rec"));
    plain->setText(QStringLiteral("Rec"));
    EXPECT_EQ(Grab(button), Grab(plain));
    // A picture that cannot be loaded draws nothing at any fade.
    button->setText(QString());
    plain->setText(QString());
    button->setProperty("redioimage", QStringLiteral("macro/none.png"));
    for (int i = 0; i < 3; ++i) {
        button->PulseStep();
        plain->SetNormalImage(button->NormalImage());
        ASSERT_EQ(Grab(button), Grab(plain)) << "fade " << button->Fade();
    }
}

TEST_F(ControlsTest, RecordingPulseRunsOnlyWhilePulsingAndShown) {
    QWidget page;
    auto* button = new CRedioMacroButtonUI(&page);
    button->setProperty("redioimage", QStringLiteral("macro/rec.png"));
    page.show();
    uitest::ProcessUntil([] { return false; }, 150);
    EXPECT_EQ(button->Fade(), 255);
    button->SetPulsing(true);
    ASSERT_TRUE(uitest::ProcessUntil([&] { return button->Fade() <= 195; }, 3000));
    button->SetPulsing(false);
    const int stopped = button->Fade();
    uitest::ProcessUntil([] { return false; }, 200);
    EXPECT_EQ(button->Fade(), stopped);

    // A hidden page rests the pulse; shown again, it goes on from there.
    button->SetPulsing(true);
    page.hide();
    EXPECT_FALSE(button->PulseTimerActive());
    const int hidden = button->Fade();
    uitest::ProcessUntil([] { return false; }, 200);
    EXPECT_EQ(button->Fade(), hidden);
    page.show();
    EXPECT_TRUE(button->PulseTimerActive());
    ASSERT_TRUE(uitest::ProcessUntil([&] { return button->Fade() != hidden; }, 3000));
    // Stopped while hidden, it stays stopped when shown.
    page.hide();
    button->SetPulsing(false);
    page.show();
    EXPECT_FALSE(button->PulseTimerActive());
}

// ---------------------------------------------------------------- picture buttons

class PictureButtonTest : public ControlsTest {
  protected:
    void SetUp() override {
        ControlsTest::SetUp();
        skin_ =
            std::make_unique<uitest::ScopedSkin>(std::vector<std::pair<std::string, std::string>>{
                {"pic/wide.png", Png(200, 100, Qt::red)},
                {"pic/small.png", Png(50, 50, Qt::blue)}});
    }
    std::unique_ptr<uitest::ScopedSkin> skin_;
};

TEST_F(PictureButtonTest, PanningKeepsTheShownPartInsideThePicture) {
    CHandImgSelectButtonUI button;
    button.resize(100, 100);
    button.SetHandImage(QStringLiteral("pic/wide.png"));
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{0, 0, 100, 100}));
    EXPECT_EQ(button.DrawImage(), QStringLiteral("file='pic/wide.png' source='0,0,100,100'"));

    Mouse(&button, QEvent::MouseButtonPress, {60, 50});
    EXPECT_TRUE(button.Dragging());
    EXPECT_TRUE(button.isDown());
    Move(&button, {30, 50});
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{30, 0, 130, 100}));
    Move(&button, {80, 50});
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{0, 0, 100, 100}));
    // 150 pixels to the left on a 200-pixel picture: the part stops at its edge.
    Move(&button, {-70, 50});
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{100, 0, 200, 100}));
    EXPECT_FALSE(button.isDown());  // the pointer left the button
    Move(&button, {-200, -300});
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{100, 0, 200, 100}));
    Mouse(&button, QEvent::MouseButtonRelease, {-200, -300});
    EXPECT_FALSE(button.Dragging());
    Move(&button, {50, 50});
    EXPECT_EQ(button.SourceRect(), (pages::IntRect{100, 0, 200, 100}));
}

TEST_F(PictureButtonTest, SmallOrMissingPictures) {
    CHandImgSelectButtonUI button;
    button.resize(100, 100);
    button.SetHandImage(QStringLiteral("pic/small.png"));
    EXPECT_TRUE(button.SourceRect().IsZero());
    EXPECT_EQ(button.DrawImage(), QStringLiteral("pic/small.png"));
    Mouse(&button, QEvent::MouseButtonPress, {50, 50});
    Move(&button, {10, 10});
    EXPECT_TRUE(button.SourceRect().IsZero());
    Mouse(&button, QEvent::MouseButtonRelease, {10, 10});
    // A picture that cannot be loaded leaves what is shown.
    button.SetHandImage(QStringLiteral("pic/none.png"));
    EXPECT_EQ(button.DrawImage(), QStringLiteral("pic/small.png"));
    EXPECT_EQ(button.HandImage(), QStringLiteral("pic/small.png"));
    EXPECT_EQ(Grab(&button).pixel(50, 50), qRgb(0, 0, 255));
}

TEST_F(PictureButtonTest, CursorAttribute) {
    CHandImgSelectButtonUI button;
    button.setProperty("Cursor", QStringLiteral("hand"));
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    // QWidget has a "cursor" property of its own, so code gives the name.
    EXPECT_TRUE(button.SetAttribute(QStringLiteral("cursor"), QStringLiteral("SizeWE")));
    EXPECT_EQ(button.cursor().shape(), Qt::SizeHorCursor);
    EXPECT_TRUE(button.SetAttribute(QStringLiteral("cursor"), QStringLiteral("bogus")));
    EXPECT_EQ(button.cursor().shape(), Qt::SizeHorCursor);
    Qt::CursorShape shape;
    const std::pair<const char*, Qt::CursorShape> names[] = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor}};
    for (const auto& [name, expected] : names) {
        ASSERT_TRUE(CHandImgSelectButtonUI::CursorShapeFor(QString::fromLatin1(name), shape))
            << name;
        EXPECT_EQ(shape, expected) << name;
    }
}

// The skin names cursors as text, where QWidget's own "cursor" property wants
// a QCursor: the loader hands the text to the control.
TEST_F(PictureButtonTest, CursorFromTheLayout) {
    const std::string body = R"(
<item><widget class="CHandImgSelectButtonUI" name="pan_hand">
  <property name="cursor" stdset="0"><string>hand</string></property>
  <property name="handimage" stdset="0"><string>pic/small.png</string></property>
</widget></item>
<item><widget class="QWidget" name="holder"><layout class="QVBoxLayout" name="holder_box">
  <item><widget class="CHandImgSelectButtonUI" name="pan_sizewe">
    <property name="cursor"><string>SizeWE</string></property></widget></item>
  <item><widget class="CHandImgSelectButtonUI" name="pan_nesw">
    <property name="cursor"><string>sizenesw</string></property></widget></item>
</layout></widget></item>
<item><widget class="CHandImgSelectButtonUI" name="pan_bogus">
  <property name="cursor"><string>bogus</string></property></widget></item>
<item><widget class="CHandImgSelectButtonUI" name="pan_qt">
  <property name="cursor"><cursorShape>CrossCursor</cursorShape></property></widget></item>
<item><widget class="QPushButton" name="plain">
  <property name="cursor"><string>hand</string></property></widget></item>
)";
    uitest::ScopedSkin skin({{"pic/small.png", Png(50, 50, Qt::blue)},
                             {"XML/Parts/pan.ui", uitest::UiDocument("pan_root", body)}});
    platform::DebugCapture capture;
    QWidget host;
    LayoutLoader loader;
    QWidget* root = loader.Build(QStringLiteral("XML\\Parts\\pan.xml"), &host);
    ASSERT_NE(root, nullptr);
    const auto shape = [&](const char* name) {
        QWidget* w = FindSubControlByName(root, QString::fromLatin1(name));
        return w != nullptr ? w->cursor().shape() : Qt::BitmapCursor;
    };
    EXPECT_EQ(shape("pan_hand"), Qt::PointingHandCursor);
    EXPECT_EQ(shape("pan_sizewe"), Qt::SizeHorCursor);
    EXPECT_EQ(shape("pan_nesw"), Qt::SizeBDiagCursor);
    // An unknown name is reported once and leaves the arrow.
    EXPECT_EQ(shape("pan_bogus"), Qt::ArrowCursor);
    EXPECT_EQ(capture.Count("cursor bogus not known"), 1u);
    // Qt's own form still works, and a Qt button ignores the text.
    EXPECT_EQ(shape("pan_qt"), Qt::CrossCursor);
    EXPECT_EQ(shape("plain"), Qt::ArrowCursor);
    // The attributes after the cursor are still applied.
    auto* hand = qobject_cast<CHandImgSelectButtonUI*>(
        FindSubControlByName(root, QStringLiteral("pan_hand")));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->HandImage(), QStringLiteral("pic/small.png"));
}

TEST_F(PictureButtonTest, ChartFontFromTheLayout) {
    // "font" is a Qt property too; the layout's number still reaches the chart.
    const std::string body = R"(
<item><widget class="CChartViewUI" name="chart">
  <property name="font" stdset="0"><string>3</string></property>
  <property name="view" stdset="0"><string>histpgram</string></property>
</widget></item>
)";
    uitest::ScopedSkin skin({{"XML/Parts/chart.ui", uitest::UiDocument("chart_root", body)}});
    QWidget host;
    LayoutLoader loader;
    QWidget* root = loader.Build(QStringLiteral("XML\\Parts\\chart.xml"), &host);
    ASSERT_NE(root, nullptr);
    auto* chart = qobject_cast<CChartViewUI*>(FindSubControlByName(root, QStringLiteral("chart")));
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->FontNumber(), 3);
    EXPECT_EQ(chart->ViewKind(), CChartViewUI::kHistogram);
}

TEST_F(PictureButtonTest, HandButtonDrawsAnyPathAndHasItsDeleteArea) {
    uitest::RecordingWindow window(QString{});
    CHandImgButtonUI button;
    button.resize(100, 100);
    const QString absolute = QString::fromStdString(skin_->Path() + "/pic/small.png");
    button.setProperty("HANDIMAGE", absolute);
    EXPECT_EQ(button.HandImage(), absolute);
    EXPECT_EQ(Grab(&button).pixel(50, 50), qRgb(0, 0, 255));
    // 20 x 20, right edge 10 inside, top 29 above the bottom.
    EXPECT_EQ(button.DeleteArea(), QRect(70, 71, 20, 20));
    EXPECT_TRUE(button.DeleteHidden());
    button.setProperty("deletenormalimage", QStringLiteral("pic/small.png"));
    button.setProperty("deletehotimage", QStringLiteral("pic/wide.png"));
    Move(&button, {80, 80});
    EXPECT_EQ(button.ChosenDeleteImage(), QStringLiteral("pic/wide.png"));
    Move(&button, {10, 10});
    EXPECT_EQ(button.ChosenDeleteImage(), QStringLiteral("pic/small.png"));
    // An unknown attribute stays with the button as it was given.
    button.setProperty("bogus", 7);
    EXPECT_EQ(button.property("bogus").toInt(), 7);
}

// ---------------------------------------------------------------- ring, bars, chart

TEST_F(ControlsTest, RingSweepsTheValuesShareOfTheRange) {
    CCircleProgressUI ring;
    ring.resize(60, 60);
    ring.setProperty("forecolor", QStringLiteral("#FFFF0000"));
    ring.setProperty("BkColor", QStringLiteral("#FF0000FF"));
    ring.setProperty("max", QStringLiteral("100"));
    ring.setProperty("value", QStringLiteral("25"));
    EXPECT_EQ(ring.SweepDegrees(), 90);
    // From the bottom clockwise to the left: the lower left quarter.
    const QImage out = Grab(&ring);
    EXPECT_EQ(out.pixel(14, 48), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(46, 12), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(30, 30), qRgb(255, 255, 255));
    ring.setProperty("min", QStringLiteral("100"));
    EXPECT_EQ(ring.SweepDegrees(), 0);
    EXPECT_EQ(Grab(&ring).pixel(14, 48), qRgb(0, 0, 255));
    EXPECT_FALSE(CCircleProgressUI::ParseColour(QStringLiteral("red")).isValid());
    EXPECT_FALSE(ring.SetAttribute(QStringLiteral("bogus"), QString()));
}

TEST_F(ControlsTest, SampleBars) {
    CAudioRecordUI bars;
    EXPECT_EQ(bars.Samples()[255], 255);
    EXPECT_EQ(bars.Samples()[256], 0);
    bars.resize(20, 40);
    const int full[] = {0, 8192, 4096, 99999, -5};
    bars.SetSamples(full);
    const QImage out = Grab(&bars);
    EXPECT_EQ(out.pixel(2, 0), qRgb(0, 0, 0));  // full scale: the whole height
    EXPECT_EQ(out.pixel(4, 19), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(4, 21), qRgb(0, 0, 0));        // half
    EXPECT_EQ(out.pixel(6, 0), qRgb(0, 0, 0));         // beyond full scale: full
    EXPECT_EQ(out.pixel(8, 30), qRgb(255, 255, 255));  // negative: empty
    EXPECT_EQ(out.pixel(3, 39), qRgb(255, 255, 255));  // between the bars
    std::vector<int> many(900, 8192);
    bars.SetSamples(many);
    EXPECT_EQ(bars.Samples()[499], 8192);
}

TEST_F(PictureButtonTest, ChartAttributesAreCaseSensitiveAndZeroDrawsNothing) {
    CChartViewUI chart;
    chart.resize(300, 200);
    EXPECT_FALSE(chart.SetAttribute(QStringLiteral("View"), QStringLiteral("histpgram")));
    EXPECT_TRUE(chart.SetAttribute(QStringLiteral("view"), QStringLiteral("histpgram")));
    EXPECT_EQ(chart.ViewKind(), CChartViewUI::kHistogram);
    chart.SetAttribute(QStringLiteral("showtext"), QStringLiteral("TRUE"));
    EXPECT_FALSE(chart.ShowText());
    // A histogram without a pillar width, or with all values 0: no pillars.
    chart.setProperty("pillarimage", QStringLiteral("pic/small.png"));
    chart.AddItem(QStringLiteral("a"), 3);
    Grab(&chart);
    chart.setProperty("pillarimagewidth", QStringLiteral("20"));
    chart.ClearItems();
    chart.AddItem(QStringLiteral("a"), 0);
    Grab(&chart);
    chart.ClearItems();
    chart.AddItem(QStringLiteral("a"), 4);
    chart.AddItem(QStringLiteral("b"), 2);
    const QImage pillars = Grab(&chart);
    // spacing = 300 / 20 * 2 = 30: the first pillar spans 30..49 and the
    // whole height, the second half of it.
    EXPECT_EQ(pillars.pixel(40, 10), qRgb(0, 0, 255));
    EXPECT_EQ(pillars.pixel(90, 150), qRgb(0, 0, 255));
    EXPECT_NE(pillars.pixel(90, 50), qRgb(0, 0, 255));
    // An image that cannot be drawn is dropped.
    chart.setProperty("shadowimage", QStringLiteral("pic/none.png"));
    chart.setProperty("shadowimageheight", QStringLiteral("10"));
    Grab(&chart);
    EXPECT_TRUE(chart.ShadowImage().isEmpty());

    chart.setProperty("view", QStringLiteral("pie"));
    chart.ClearItems();
    chart.AddItem(QStringLiteral("zero"), 0);
    chart.AddItem(QStringLiteral("neg"), -3);
    const QImage none = Grab(&chart);
    EXPECT_EQ(none.pixel(100, 100), Grab(&chart).pixel(0, 0));  // background only
    chart.ClearItems();
    chart.AddItem(QStringLiteral("one"), 1);
    const QImage pie = Grab(&chart);
    // A single item fills the pie in the palette's first colour (0x00F5963F).
    EXPECT_EQ(pie.pixel(150, 100), qRgb(0x3F, 0x96, 0xF5));
}

// ---------------------------------------------------------------- window host

TEST_F(ControlsTest, HostKeepsTheWindowOnTheControl) {
    QWidget top;
    top.resize(300, 200);
    auto* holder = new QWidget(&top);
    holder->setGeometry(20, 30, 200, 100);
    auto* host = new CWndUI(holder);
    host->setGeometry(10, 10, 50, 40);
    auto* child = new QWidget(&top);
    host->AttachWidget(child);
    top.show();
    uitest::ProcessPending();
    EXPECT_EQ(child->geometry(), QRect(30, 40, 50, 40));
    EXPECT_TRUE(child->isVisible());
    holder->move(40, 50);
    EXPECT_EQ(child->geometry(), QRect(50, 60, 50, 40));
    host->resize(70, 20);
    EXPECT_EQ(child->geometry().size(), QSize(70, 20));
    host->hide();
    EXPECT_FALSE(child->isVisible());
    host->show();
    EXPECT_TRUE(child->isVisible());
    delete child;  // gone: the host does nothing
    holder->move(0, 0);
    EXPECT_EQ(host->AttachedWidget(), nullptr);
}

// ---------------------------------------------------------------- combo-edit element

TEST_F(ControlsTest, ComboEditElementBuildsItsRowAndSelects) {
    const QString old = Skin::Instance().ResourcePath();
    Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
    uitest::RecordingWindow window(QString{});
    QWidget list;
    auto* a = new CComboEditContainerElementUI(&list);
    auto* b = new CComboEditContainerElementUI(&list);
    ASSERT_TRUE(a->Init());
    ASSERT_TRUE(b->Init());
    EXPECT_NE(qobject_cast<QLabel*>(a->Text1()), nullptr);
    EXPECT_NE(qobject_cast<QLabel*>(a->Text2()), nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(a->DelayEdit()), nullptr);
    EXPECT_TRUE(a->SetAttribute(QStringLiteral("normalimage"), QStringLiteral("x.png")));
    EXPECT_FALSE(a->SetAttribute(QStringLiteral("NormalImage"), QStringLiteral("x.png")));
    EXPECT_EQ(b->Index(), 1);

    Mouse(a, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(a->IsSelected());
    Mouse(b, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());
    Mouse(a, QEvent::MouseButtonPress, {5, 5}, Qt::ControlModifier);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    Mouse(a, QEvent::MouseButtonPress, {5, 5}, Qt::ControlModifier);
    EXPECT_FALSE(a->IsSelected());
    a->setProperty("mouse", QStringLiteral("false"));
    Mouse(a, QEvent::MouseButtonPress, {5, 5});
    EXPECT_FALSE(a->IsSelected());
    Skin::Instance().SetResourcePath(old);
}

// ---------------------------------------------------------------- factory

TEST_F(ControlsTest, FactoryCreatesTheRealControlsByEitherName) {
    const std::pair<const char*, const char*> names[] = {
        {"CCircleProgressUI", "CircleProgress"},
        {"CChartViewUI", "ChartView"},
        {"CWndUI", "Wnd"},
        {"CComboEditContainerElementUI", "ComboEditContainerElement"},
        {"CHandImgButtonUI", "HandImgButton"},
        {"CHandImgSelectButtonUI", "HandImgSelectButton"},
        {"CRedioMacroButtonUI", "RedioMacroButton"},
        {"CAudioRecordUI", "AudioRecord"},
        {"CMpDevicePowerUI", "MpDevicePower"}};
    for (const auto& [cls, tag] : names) {
        for (const char* n : {cls, tag}) {
            std::unique_ptr<QWidget> w(
                ControlFactory::Instance().Create(QString::fromLatin1(n).toLower(), nullptr));
            ASSERT_NE(w, nullptr) << n;
            EXPECT_FALSE(w->property("controlPlaceholder").toBool()) << n;
            EXPECT_EQ(w->metaObject()->className(), QByteArray("ui::") + cls) << n;
        }
    }
}

}  // namespace

namespace {

// The bar's chunk is the empty part: on screen the green share is the level
// at either scale.
TEST_F(ControlsTest, BatteryBarShowsTheLevelAtBothScales) {
    const QString old = Skin::Instance().ResourcePath();
    Skin::Instance().SetResourcePath(QStringLiteral(QX70_SOURCE_DIR "/resources/skin/"));
    for (int dpi : {96, 144}) {
        // Built into a window already at its scale, as the title bar's is.
        uitest::RecordingWindow window(
            QStringLiteral("XML\\CustomControlXML\\ComboEditElementItem.xml"));
        ASSERT_TRUE(window.Create(nullptr, QStringLiteral("power"), 300, 60));
        window.SetDPI(dpi);
        auto* power = qobject_cast<CMpDevicePowerUI*>(window.BuildLayout(
            QStringLiteral("XML\\CustomControlXML\\MpDevicePower.xml"), window.Root()));
        window.show();
        uitest::ProcessPending();
        ASSERT_NE(power, nullptr);
        const uint8_t record[] = {37, 2, 0, 0, 0, 0};
        power->SetBatteryStatus(record, sizeof record);
        uitest::ProcessPending();
        QWidget* bar = FindSubControlByName(power, QStringLiteral("device_Power_progress"));
        const QImage out = Grab(bar);
        int green = 0;
        int dark = 0;
        const int y = out.height() / 2;
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = out.pixelColor(x, y);
            if (c.green() > 150 && c.red() < 120)
                ++green;
            else if (c.red() < 80 && c.green() < 80)
                ++dark;
        }
        ASSERT_GT(green + dark, 0) << dpi;
        EXPECT_NEAR(100.0 * green / (green + dark), 37.0, 6.0) << dpi << " width " << out.width();
    }
    Skin::Instance().SetResourcePath(old);
}

}  // namespace
