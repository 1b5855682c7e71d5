#include <QWidget>
#include <gtest/gtest.h>

#include "skin/Canvas.h"
#include "skin/SkinFont.h"
#include "tests/skin/SkinTestUtil.h"

namespace {

TEST(CanvasTest, FramesLieInsideTheirRectangle) {
    Canvas c(nullptr, QSize(40, 40));
    c.FillRect(c.Image().rect(), Qt::black);
    const QRect r(5, 5, 20, 10);
    c.Frame(r, Qt::yellow, 2);
    EXPECT_EQ(CountColour(c, c.Image().rect(), Qt::yellow), r.width() * r.height() - 16 * 6);
    EXPECT_EQ(c.Pixel(5, 5), QColor(Qt::yellow));
    EXPECT_EQ(c.Pixel(24, 14), QColor(Qt::yellow));
    EXPECT_EQ(c.Pixel(25, 15), QColor(Qt::black));
    EXPECT_EQ(c.Pixel(7, 7), QColor(Qt::black));

    c.FillRect(c.Image().rect(), Qt::black);
    c.Frame(r, Qt::yellow, 2, true);
    const int dotted = CountColour(c, c.Image().rect(), Qt::yellow);
    EXPECT_GT(dotted, 0);
    EXPECT_LT(dotted, r.width() * r.height() - 16 * 6);
}

TEST(CanvasTest, TextHasNoBackgroundBoxAndMeasuresInPixels) {
    Canvas c(nullptr, QSize(100, 30));
    c.FillRect(c.Image().rect(), Qt::blue);
    const QFont font = SkinFontPoints(QStringLiteral("Arial"), 8);
    EXPECT_EQ(font.pixelSize(), 11);
    EXPECT_EQ(font.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(SkinFontPixels(QStringLiteral("Times New Roman"), 13).family(),
              QStringLiteral("Liberation Serif"));
    EXPECT_NE(SkinFontPixels(QStringLiteral("MS Sans Serif"), 13).family(),
              QStringLiteral("MS Sans Serif"));
    const QSize extent = c.TextExtent(QStringLiteral("Light All"), font);
    EXPECT_GT(extent.width(), 30);
    EXPECT_LT(extent.width(), 64);
    EXPECT_GE(extent.height(), 11);
    c.TextOut(2, 2, QStringLiteral("Light All"), font, Qt::white);
    EXPECT_GT(CountColour(c, c.Image().rect(), Qt::white), 0);
    EXPECT_EQ(c.Pixel(2, 2 + extent.height() - 1), QColor(Qt::blue)) << "no box behind the text";
}

TEST(CanvasTest, DrawingLandsAtOnceAndSurvivesAResize) {
    Canvas unsized(nullptr, QSize(0, 0));
    unsized.FillRect(QRect(0, 0, 5, 5), Qt::red);  // a window not sized yet: nothing, no fault
    unsized.TextOut(0, 0, QStringLiteral("x"), SkinFontPoints(QStringLiteral("Arial"), 8), Qt::red);

    QWidget owner;
    owner.resize(50, 50);
    owner.show();
    Canvas c(&owner, QSize(50, 50));
    c.SetNotifyOwner(false);
    c.FillRect(QRect(0, 0, 10, 10), Qt::red);
    EXPECT_EQ(c.Pixel(3, 3), QColor(Qt::red)) << "drawing lands at once";
    c.SetNotifyOwner(true);
    c.Resize(QSize(60, 20));
    EXPECT_EQ(c.Size(), QSize(60, 20));
    EXPECT_EQ(c.Pixel(3, 3), QColor(Qt::red)) << "resizing keeps what was drawn";
}

} // namespace
