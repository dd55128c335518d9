// The image-string painting rule against reference pixels: stretched
// pictures, dest offsets, sources, nine-patch corners, fade and mask at the
// design scale (96) and at 144, missing pictures and absolute paths.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include "platform/debug_output.h"
#include "ui/controls/image_painter.h"
#include "ui_test_support.h"

namespace {

// 4 x 4: red top-left, green top-right, blue bottom-left, white bottom-right.
QImage Quadrants() {
    QImage image(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const QColor c = y < 2 ? (x < 2 ? Qt::red : Qt::green) : (x < 2 ? Qt::blue : Qt::white);
            image.setPixelColor(x, y, c);
        }
    }
    return image;
}

// 6 x 6: a red frame 2 pixels wide around a blue centre.
QImage Framed() {
    QImage image(6, 6, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (int y = 2; y < 4; ++y) {
        for (int x = 2; x < 4; ++x)
            image.setPixelColor(x, y, Qt::blue);
    }
    return image;
}

std::string Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class ImagePainterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        uitest::EnsureApplication();
        ui::ClearImageCache();
        skin_ = std::make_unique<uitest::ScopedSkin>(
            std::vector<std::pair<std::string, std::string>>{{"img/quad.png", Png(Quadrants())},
                                                             {"img/frame.png", Png(Framed())},
                                                             {"img/broken.png", "not a png"}});
    }
    void TearDown() override {
        skin_.reset();
        ui::ClearImageCache();
    }
    // Paints into a transparent canvas of `size`; the control fills it
    // unless `control` is given.
    QImage Paint(const QString& image, int dpi, QSize size, QRect control = QRect(),
                 bool* drawn = nullptr, const ui::ImageDrawOptions& options = {}) {
        QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        const bool ok =
            ui::DrawImageString(p, control.isNull() ? canvas.rect() : control, image, dpi, options);
        p.end();
        if (drawn != nullptr)
            *drawn = ok;
        return canvas.convertToFormat(QImage::Format_ARGB32);
    }
    static QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y); }

    std::unique_ptr<uitest::ScopedSkin> skin_;
};

TEST_F(ImagePainterTest, PlainNameStretchesThePictureOverTheControl) {
    for (int dpi : {96, 144}) {
        const QImage out = Paint(QStringLiteral("img/quad.png"), dpi, QSize(16, 16));
        EXPECT_EQ(At(out, 2, 2), qRgb(255, 0, 0)) << dpi;
        EXPECT_EQ(At(out, 13, 2), qRgb(0, 255, 0)) << dpi;
        EXPECT_EQ(At(out, 2, 13), qRgb(0, 0, 255)) << dpi;
        EXPECT_EQ(At(out, 13, 13), qRgb(255, 255, 255)) << dpi;
    }
}

TEST_F(ImagePainterTest, DestOffsetsScaleWithTheWindow) {
    const QString image = QStringLiteral("file='img/quad.png' dest='2,2,6,6'");
    // At 96 the picture covers 2..5; at 144 the same offsets cover 3..8.
    const QImage at96 = Paint(image, 96, QSize(12, 12));
    EXPECT_EQ(qAlpha(At(at96, 1, 1)), 0);
    EXPECT_EQ(At(at96, 2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(At(at96, 5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(At(at96, 6, 6)), 0);
    const QImage at144 = Paint(image, 144, QSize(12, 12));
    EXPECT_EQ(qAlpha(At(at144, 2, 2)), 0);
    EXPECT_EQ(At(at144, 3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(At(at144, 8, 8), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(At(at144, 9, 9)), 0);
}

TEST_F(ImagePainterTest, SourceSelectsPartOfThePicture) {
    const QImage out =
        Paint(QStringLiteral("file='img/quad.png' source='2,0,4,2'"), 144, QSize(10, 10));
    EXPECT_EQ(At(out, 0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(At(out, 9, 9), qRgb(0, 255, 0));
}

TEST_F(ImagePainterTest, CornersKeepTheirWidthAtEachScale) {
    const QString image = QStringLiteral("file='img/frame.png' corner='2,2,2,2'");
    // At 96 the frame stays 2 pixels wide; at 144 it is 3.
    const QImage at96 = Paint(image, 96, QSize(30, 30));
    EXPECT_EQ(At(at96, 1, 15), qRgb(255, 0, 0));
    EXPECT_EQ(At(at96, 2, 15), qRgb(0, 0, 255));
    EXPECT_EQ(At(at96, 15, 15), qRgb(0, 0, 255));
    EXPECT_EQ(At(at96, 28, 28), qRgb(255, 0, 0));
    const QImage at144 = Paint(image, 144, QSize(30, 30));
    EXPECT_EQ(At(at144, 2, 15), qRgb(255, 0, 0));
    EXPECT_EQ(At(at144, 3, 15), qRgb(0, 0, 255));
    EXPECT_EQ(At(at144, 26, 26), qRgb(0, 0, 255));
    EXPECT_EQ(At(at144, 27, 27), qRgb(255, 0, 0));
    // A hole leaves the centre out.
    const QImage holed = Paint(image + QStringLiteral(" hole='true'"), 144, QSize(30, 30));
    EXPECT_EQ(qAlpha(At(holed, 15, 15)), 0);
    EXPECT_EQ(At(holed, 1, 15), qRgb(255, 0, 0));
}

TEST_F(ImagePainterTest, FadeAndMask) {
    const QImage faded = Paint(QStringLiteral("file='img/quad.png' fade='128'"), 96, QSize(4, 4));
    EXPECT_NEAR(qAlpha(At(faded, 0, 0)), 128, 2);
    const QImage masked =
        Paint(QStringLiteral("file='img/quad.png' mask='#FF00FF00'"), 96, QSize(4, 4));
    EXPECT_EQ(qAlpha(At(masked, 3, 0)), 0);  // the green quadrant
    EXPECT_EQ(At(masked, 0, 0), qRgb(255, 0, 0));
}

TEST_F(ImagePainterTest, ThePaintAreaLimitsTheDrawing) {
    QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setClipRect(QRect(0, 0, 5, 5));
    EXPECT_FALSE(ui::DrawImageString(p, QRect(10, 10, 8, 8), QStringLiteral("img/quad.png"), 96));
    EXPECT_TRUE(ui::DrawImageString(p, QRect(2, 2, 8, 8), QStringLiteral("img/quad.png"), 96));
}

TEST_F(ImagePainterTest, MissingOrUnreadablePictureDrawsNothingAndIsReportedOnce) {
    platform::DebugCapture capture;
    for (const char* name : {"img/none.png", "img/broken.png"}) {
        for (int i = 0; i < 3; ++i) {
            for (int dpi : {96, 144}) {
                bool drawn = true;
                const QImage out = Paint(QString::fromLatin1(name), dpi, QSize(8, 8), {}, &drawn);
                EXPECT_FALSE(drawn);
                EXPECT_EQ(qAlpha(At(out, 4, 4)), 0);
            }
        }
        EXPECT_EQ(capture.Count(std::string("image not loaded: ") + name), 1u) << name;
    }
    // Nothing for empty strings, empty controls, or no name at all.
    bool drawn = true;
    Paint(QString(), 96, QSize(8, 8), {}, &drawn);
    EXPECT_FALSE(drawn);
    Paint(QStringLiteral("img/quad.png"), 96, QSize(8, 8), QRect(0, 0, 0, 5), &drawn);
    EXPECT_FALSE(drawn);
    Paint(QStringLiteral("fade='20'"), 96, QSize(8, 8), {}, &drawn);
    EXPECT_FALSE(drawn);
}

TEST_F(ImagePainterTest, AbsolutePathsOnlyWhereAllowed) {
    const QString absolute = QString::fromStdString(skin_->Path() + "/img/quad.png");
    bool drawn = true;
    Paint(absolute, 96, QSize(8, 8), {}, &drawn);
    EXPECT_FALSE(drawn);
    ui::ImageDrawOptions any;
    any.allowAbsolutePath = true;
    const QImage out = Paint(absolute, 96, QSize(8, 8), {}, &drawn, any);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(At(out, 0, 0), qRgb(255, 0, 0));
    // A name that leaves the skin folder is not read through it.
    Paint(QStringLiteral("../img/quad.png"), 96, QSize(8, 8), {}, &drawn);
    EXPECT_FALSE(drawn);
}

}  // namespace
