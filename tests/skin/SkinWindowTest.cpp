#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

#include "skin/Animate.h"
#include "skin/BitmapManager.h"
#include "skin/ButtonManager.h"
#include "skin/ScreenCursor.h"
#include "skin/SkinWindow.h"
#include "tests/skin/SkinTestUtil.h"

namespace {

const QString kStrip = QStringLiteral("NORMAL_BTN");

// A small skinned window as the real ones are built: background, one button.
class TestWindow : public TSkinWindow {
public:
    explicit TestWindow(QWidget* parent = nullptr)
        : TSkinWindow(parent, parent ? Qt::Widget : Qt::FramelessWindowHint),
          bitmaps(&GetCanvas()),
          buttons(this, &GetCanvas(), bmPush) {
        bitmaps.AddBitmap(0, QStringLiteral("ABOUT_BK"), false);
        const QSize size = bitmaps.GetBitmapSize(0);
        SetClientSize(size.width(), size.height());
        buttons.AddButton(0, QString(), kStrip, 118, 274);
    }
    int paints = 0;
    std::vector<QString> events;
    bool handCursor = false;

protected:
    void FormPaint() override {
        ++paints;
        bitmaps.DrawBitmap(0, 0, 0);
        buttons.PaintButtons();
    }
    void FormMouseDown(int x, int y) override {
        events.push_back(QStringLiteral("down %1,%2").arg(x).arg(y));
        buttons.ButtonsMouseDown(x, y);
    }
    void FormMouseMove(int x, int y) override {
        buttons.ButtonsMouseMove(x, y, true);
    }
    void FormMouseUp(int x, int y) override {
        events.push_back(QStringLiteral("up %1,%2 -> %3").arg(x).arg(y).arg(buttons.ButtonsMouseUp(x, y)));
    }
    bool IsOverSkinButton(int x, int y) const override { return buttons.IsOverButton(x, y); }
    bool HandCursorOnDragArea() const override { return handCursor; }

    TBitmapManager bitmaps;
    TButtonManager buttons;
};

void Show(QWidget& w) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QApplication::processEvents();
}

class SkinWindowTest : public ::testing::Test {
protected:
    ~SkinWindowTest() override { SetScreenCursor(ScreenCursor::Default); }
};

TEST_F(SkinWindowTest, FormPaintRunsOnlyForAWholeRepaint) {
    TestWindow w;
    EXPECT_EQ(w.size(), QSize(300, 300));
    EXPECT_EQ(w.GetCanvas().Size(), QSize(300, 300));
    Show(w);
    EXPECT_EQ(w.paints, 1);
    EXPECT_TRUE(ShowsFace(w.GetCanvas(), 118, 274, kStrip, bfNormal));

    w.update();
    w.repaint();
    EXPECT_EQ(w.paints, 1) << "an ordinary update only shows the canvas";
    w.Invalidate();
    w.repaint();
    EXPECT_EQ(w.paints, 2);
    w.RepaintNow();
    EXPECT_EQ(w.paints, 3);
}

TEST_F(SkinWindowTest, HotFaceSurvivesAFollowingPaintEvent) {
    TestWindow w;
    Show(w);
    QTest::mouseMove(&w, QPoint(130, 280));
    QApplication::processEvents();
    ASSERT_TRUE(ShowsFace(w.GetCanvas(), 118, 274, kStrip, bfHot));
    w.repaint();
    EXPECT_TRUE(ShowsFace(w.GetCanvas(), 118, 274, kStrip, bfHot));
    // What reaches the screen is the canvas, hot face included.
    const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.copy(118, 274, 64, 17), StripFace(kStrip, bfHot));
    QTest::mouseMove(&w, QPoint(10, 10));
    QApplication::processEvents();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(SkinWindowTest, LeftButtonEventsArriveInClientCoordinates) {
    TestWindow w;
    Show(w);
    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(130, 280));
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(130, 280));
    EXPECT_TRUE(w.events.empty()) << "only the left button is forwarded";
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(130, 280));
    EXPECT_TRUE(ShowsFace(w.GetCanvas(), 118, 274, kStrip, bfPressed));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(131, 281));
    ASSERT_EQ(w.events.size(), 2u);
    EXPECT_EQ(w.events[0], QStringLiteral("down 130,280"));
    EXPECT_EQ(w.events[1], QStringLiteral("up 131,281 -> 0"));
}

void Drag(QWidget& w, QPoint from, QPoint by) {
    const QPoint g = w.mapToGlobal(from);
    QMouseEvent press(QEvent::MouseButtonPress, from, g, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &press);
    QMouseEvent move(QEvent::MouseMove, from + by, g + by, Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, from + by, g + by, Qt::LeftButton, {}, {});
    QApplication::sendEvent(&w, &release);
}

TEST_F(SkinWindowTest, TopLevelWindowIsDraggedFromAnywhereButItsButtons) {
    TestWindow w;
    w.move(100, 100);
    Show(w);
    const QPoint start = w.pos();
    Drag(w, QPoint(130, 280), QPoint(30, 20));
    EXPECT_EQ(w.pos(), start) << "a press on a skinned button does not drag";
    Drag(w, QPoint(20, 20), QPoint(30, 20));
    EXPECT_EQ(w.pos(), start + QPoint(30, 20));

    TestWindow parent;
    TestWindow page(&parent);
    page.move(10, 10);
    Show(parent);
    const QPoint parentStart = parent.pos();
    Drag(page, QPoint(20, 20), QPoint(30, 20));
    EXPECT_EQ(page.pos(), QPoint(10, 10)) << "a child page is never dragged";
    EXPECT_EQ(parent.pos(), parentStart) << "nor does it drag its window";
}

TEST_F(SkinWindowTest, DragAreaShowsTheHandCursorWhereTheWindowAsksForIt) {
    TestWindow w;
    Show(w);
    QTest::mouseMove(&w, QPoint(20, 20));
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::Default);
    w.handCursor = true;
    QTest::mouseMove(&w, QPoint(22, 20));
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::HandPoint);
}

TEST_F(SkinWindowTest, ScreenCursorNeverStacksOverrides) {
    SetScreenCursor(ScreenCursor::HandPoint);
    SetScreenCursor(ScreenCursor::HourGlass);
    SetScreenCursor(ScreenCursor::HourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetScreenCursor(ScreenCursor::Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::Default);
}

TEST_F(SkinWindowTest, WelcomeAnimationPlaysAndStandsStill) {
    TAnimate a;
    EXPECT_FALSE(a.Open(QStringLiteral("NO_SUCH_AVI")));
    ASSERT_TRUE(a.Open(QStringLiteral("WELCOME_AVI")));
    EXPECT_GT(a.FrameCount(), 1);
    EXPECT_EQ(a.size(), QSize(387, 296));
    a.SetActive(true);
    EXPECT_TRUE(a.Active());
    QTest::qWait(200);
    a.SetActive(false);
    const int frame = a.CurrentFrame();
    EXPECT_GT(frame, 0);
    QTest::qWait(120);
    EXPECT_EQ(a.CurrentFrame(), frame);
}

} // namespace
