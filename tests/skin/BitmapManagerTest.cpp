#include <QWidget>
#include <gtest/gtest.h>

#include "skin/BitmapManager.h"
#include "skin/SkinResources.h"
#include "tests/skin/SkinTestUtil.h"

namespace {

const QColor kMarker(0x12, 0x34, 0x56);

class BitmapManagerTest : public ::testing::Test {
protected:
    BitmapManagerTest() : canvas(nullptr, QSize(120, 100)) {
        canvas.FillRect(canvas.Image().rect(), kMarker);
    }
    Canvas canvas;
    TBitmapManager bitmaps{&canvas};
};

TEST_F(BitmapManagerTest, UnknownKeyDrawsNothingAndHasNoSize) {
    bitmaps.AddBitmap(1, QStringLiteral("SW_UP"), true);
    bitmaps.DrawBitmap(2, 0, 0);
    EXPECT_EQ(CountColour(canvas, canvas.Image().rect(), kMarker), 120 * 100);
    EXPECT_EQ(bitmaps.GetBitmapSize(2), QSize(0, 0));
    EXPECT_EQ(bitmaps.GetBitmap(2), nullptr);
}

TEST_F(BitmapManagerTest, FirstEntryOfAKeyWins) {
    bitmaps.AddBitmap(0, QStringLiteral("BUTTON_UP"), false);
    bitmaps.AddBitmap(0, QStringLiteral("SW_DOWN"), false);
    EXPECT_EQ(bitmaps.GetBitmapSize(0), QSize(44, 44));
    bitmaps.DrawBitmap(0, 0, 0);
    EXPECT_EQ(Region(canvas, QRect(0, 0, 44, 44)), LoadSkinBitmap(QStringLiteral("BUTTON_UP")));
}

TEST_F(BitmapManagerTest, NamesAreFoundWithoutRegardToCase) {
    bitmaps.AddBitmap(10, QStringLiteral("HEX_a"), true);
    bitmaps.AddBitmap(11, QStringLiteral("hex_f"), true);
    ASSERT_NE(bitmaps.GetBitmap(10), nullptr);
    EXPECT_EQ(bitmaps.GetBitmap(10)->image, LoadSkinBitmap(QStringLiteral("HEX_A")));
    EXPECT_NE(bitmaps.GetBitmap(10)->image, bitmaps.GetBitmap(11)->image);
    EXPECT_TRUE(bitmaps.GetBitmap(10)->transparent);
    EXPECT_TRUE(SkinBitmapExists(QStringLiteral("Main_Ui")));

    EXPECT_THROW(bitmaps.AddBitmap(12, QStringLiteral("HEX_G"), true), ResourceNotFound);
    EXPECT_EQ(bitmaps.GetBitmap(12), nullptr) << "a failed load adds no entry";
}

TEST_F(BitmapManagerTest, TransparentSpriteLeavesTheBackgroundUnderItsKeyColour) {
    bitmaps.AddBitmap(1, QStringLiteral("SW_UP"), true);
    bitmaps.AddBitmap(2, QStringLiteral("SW_UP"), false);
    const QImage sprite = bitmaps.GetBitmap(1)->image;
    const QRgb key = sprite.pixel(0, sprite.height() - 1);
    bitmaps.DrawBitmap(1, 5, 7);
    int seeThrough = 0;
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; x < sprite.width(); ++x) {
            const QRgb want = sprite.pixel(x, y) == key ? kMarker.rgb() : sprite.pixel(x, y);
            ASSERT_EQ(canvas.Image().pixel(5 + x, 7 + y), want) << x << "," << y;
            seeThrough += sprite.pixel(x, y) == key;
        }
    EXPECT_GT(seeThrough, 0);
    EXPECT_LT(seeThrough, sprite.width() * sprite.height());

    bitmaps.DrawBitmap(2, 60, 7);
    EXPECT_EQ(Region(canvas, QRect(QPoint(60, 7), sprite.size())), sprite) << "opaque draws whole";
}

TEST_F(BitmapManagerTest, DrawsOntoANamedCanvasAndClipsAtItsEdges) {
    Canvas other(nullptr, QSize(30, 30));
    other.FillRect(other.Image().rect(), Qt::black);
    bitmaps.AddBitmap(0, QStringLiteral("BUTTON_DOWN"), false);
    bitmaps.DrawBitmap(0, -10, -5, &other);
    EXPECT_EQ(CountColour(canvas, canvas.Image().rect(), kMarker), 120 * 100);
    const QImage src = LoadSkinBitmap(QStringLiteral("BUTTON_DOWN"));
    EXPECT_EQ(Region(other, other.Image().rect()), src.copy(10, 5, 30, 30));

    bitmaps.AddBitmap(1, QStringLiteral("BUTTON_DOWN"), true);
    bitmaps.DrawBitmap(1, 100, 90);  // mostly off the canvas
    bitmaps.DrawBitmap(1, -100, -100);
    EXPECT_EQ(canvas.Pixel(0, 0), kMarker);
}

TEST_F(BitmapManagerTest, OnACanvasOfRatioTwoSpritesComeFromThe2xSetKeyedAsAt1x) {
    canvas.SetDevicePixelRatio(2);
    canvas.FillRect(QRect(0, 0, 120, 100), kMarker);
    bitmaps.AddBitmap(1, QStringLiteral("HEX_8"), true);
    const QImage sprite = bitmaps.GetBitmap(1)->At(2).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(sprite.size(), bitmaps.GetBitmapSize(1) * 2);
    const QRgb key = sprite.pixel(0, sprite.height() - 1);
    // Overhanging the right edge: clipped in device pixels, placed in 1x ones.
    bitmaps.DrawBitmap(1, 100, 7);
    for (int y = 0; y < sprite.height(); ++y)
        for (int x = 0; 200 + x < canvas.Image().width(); ++x) {
            const QRgb want = sprite.pixel(x, y) == key ? kMarker.rgb() : sprite.pixel(x, y);
            ASSERT_EQ(canvas.Image().pixel(200 + x, 14 + y), want) << x << "," << y;
        }
    EXPECT_EQ(canvas.Pixel(110, 20).rgb(), canvas.Image().pixel(220, 40)) << "1x coordinates";
}

} // namespace
