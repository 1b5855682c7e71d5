#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/Assert.h"
#include "skin/ButtonManager.h"
#include "skin/SkinResources.h"
#include "skin/ScreenCursor.h"
#include "tests/skin/SkinTestUtil.h"

namespace {

const QString kStrip = QStringLiteral("NORMAL_BTN");  // 64 x 17 faces
const QColor kMarker(0x12, 0x34, 0x56);
const QColor kCaptionActive(0x00, 0xEA, 0xFF);
const QColor kCaptionDisabled(0x96, 0x96, 0x96);

class ButtonManagerTest : public ::testing::Test {
protected:
    ButtonManagerTest() : canvas(&owner, QSize(300, 120)) { canvas.FillRect(canvas.Image().rect(), kMarker); }
    ~ButtonManagerTest() override { SetScreenCursor(ScreenCursor::Default); }

    std::unique_ptr<TButtonManager> Make(TButtonMode mode) {
        return std::make_unique<TButtonManager>(&owner, &canvas, mode);
    }
    // Two buttons side by side: id 1 at (10, 10), id 2 at (74, 10), touching.
    std::unique_ptr<TButtonManager> Pair(TButtonMode mode) {
        auto m = Make(mode);
        m->AddButton(1, QString(), kStrip, 10, 10);
        m->AddButton(2, QString(), kStrip, 74, 10);
        return m;
    }
    void Click(TButtonManager& m, int x, int y, int expectId) {
        EXPECT_TRUE(m.ButtonsMouseDown(x, y));
        EXPECT_EQ(m.ButtonsMouseUp(x, y), expectId);
    }

    QWidget owner;
    Canvas canvas;
};

TEST_F(ButtonManagerTest, HitTestingTakesFirstEnabledButtonWithExclusiveFarEdges) {
    auto m = Make(bmPush);
    m->AddButton(1, QString(), kStrip, 10, 10);
    m->AddButton(2, QString(), kStrip, 40, 15);   // overlaps 1 from (40, 15)
    m->AddButton(3, QString(), QString(), 0, 0);  // no bitmap: never hit
    EXPECT_EQ(m->FindButtonAt(45, 20)->Id(), 1) << "first added wins where enabled buttons overlap";
    EXPECT_EQ(m->FindButtonAt(10, 10)->Id(), 1) << "left and top edges are inside";
    EXPECT_EQ(m->FindButtonAt(73, 26)->Id(), 1);
    EXPECT_EQ(m->FindButtonAt(74, 20)->Id(), 2) << "right edge of 1 is outside it";
    EXPECT_EQ(m->FindButtonAt(20, 27), nullptr) << "bottom edge is outside";
    EXPECT_EQ(m->FindButtonAt(9, 10), nullptr);
    EXPECT_EQ(m->FindButtonAt(0, 0), nullptr);

    m->SetButtonEnabled(1, false);
    EXPECT_EQ(m->FindButtonAt(45, 20)->Id(), 2) << "a disabled button does not hide one below it";
    EXPECT_EQ(m->FindButtonAt(20, 12), nullptr);
    EXPECT_FALSE(m->ButtonsMouseDown(20, 12));
    EXPECT_EQ(m->ButtonsMouseUp(20, 12), -1) << "a disabled button is never clicked";
}

TEST_F(ButtonManagerTest, ModesDecideTheCheckedState) {
    auto radio = Pair(bmRadio);
    Click(*radio, 20, 15, 1);
    EXPECT_TRUE(radio->IsButtonChecked(1));
    Click(*radio, 80, 15, 2);
    EXPECT_FALSE(radio->IsButtonChecked(1));
    EXPECT_TRUE(radio->IsButtonChecked(2));
    Click(*radio, 80, 15, 2);
    EXPECT_TRUE(radio->IsButtonChecked(2)) << "a re-click leaves the radio button checked";
    EXPECT_FALSE(radio->IsButtonChecked(1));

    auto toggle = Pair(bmToggle);
    Click(*toggle, 20, 15, 1);
    EXPECT_TRUE(toggle->IsButtonChecked(1));
    EXPECT_FALSE(toggle->IsButtonChecked(2));
    Click(*toggle, 20, 15, 1);
    EXPECT_FALSE(toggle->IsButtonChecked(1)) << "two toggles leave it as it was";

    auto push = Pair(bmPush);
    push->SetButtonChecked(2, true);
    Click(*push, 20, 15, 1);
    Click(*push, 80, 15, 2);
    EXPECT_FALSE(push->IsButtonChecked(1));
    EXPECT_TRUE(push->IsButtonChecked(2)) << "push clicks leave checked states alone";
    EXPECT_FALSE(push->IsButtonChecked(99));
}

TEST_F(ButtonManagerTest, ReleaseAloneDecidesTheClick) {
    auto m = Pair(bmToggle);
    EXPECT_FALSE(m->ButtonsMouseDown(200, 100));
    EXPECT_EQ(m->ButtonsMouseUp(20, 15), 1) << "press outside, release over a button";
    EXPECT_TRUE(m->IsButtonChecked(1));

    EXPECT_TRUE(m->ButtonsMouseDown(20, 15));
    EXPECT_EQ(m->ButtonsMouseUp(80, 15), 2) << "press on one button, release on another";
    EXPECT_TRUE(m->IsButtonChecked(2));
    EXPECT_TRUE(m->IsButtonChecked(1));

    EXPECT_TRUE(m->ButtonsMouseDown(20, 15));
    EXPECT_EQ(m->ButtonsMouseUp(200, 100), -1);
    // The release ended the press: a move over the button shows it hot, not pressed.
    m->ButtonsMouseMove(20, 15, true);
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfHot));
}

TEST_F(ButtonManagerTest, HotTrackingMovesBetweenNeighbours) {
    auto m = Pair(bmPush);
    m->PaintButtons();
    EXPECT_TRUE(m->ButtonsMouseMove(73, 15, true));
    EXPECT_EQ(m->HotId(), 1);
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfHot));
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::HandPoint);

    EXPECT_TRUE(m->ButtonsMouseMove(74, 15, true));
    EXPECT_EQ(m->HotId(), 2);
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfHot));
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfNormal)) << "the old hot button is back at rest";

    EXPECT_FALSE(m->ButtonsMouseMove(200, 100, false));
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::HandPoint) << "no reset was asked for";
    EXPECT_EQ(m->HotId(), -1);
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfNormal));
    m->ButtonsMouseMove(200, 100, true);
    EXPECT_EQ(CurrentScreenCursor(), ScreenCursor::Default);
}

TEST_F(ButtonManagerTest, PressShowsPressedFaceUntilRelease) {
    auto m = Pair(bmPush);
    m->PaintButtons();
    ASSERT_TRUE(m->ButtonsMouseDown(20, 15));
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfPressed));
    EXPECT_EQ(m->HotId(), 1);
    m->ButtonsMouseMove(80, 15, true);
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfPressed)) << "a press under way shows pressed";
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfNormal)) << "even without a move before the press";
    EXPECT_EQ(m->ButtonsMouseUp(80, 15), 2);
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfNormal));
    EXPECT_EQ(m->HotId(), 2) << "a release does not reset the hot id";
}

TEST_F(ButtonManagerTest, StateChangesDrawOnlyTheAffectedButtons) {
    auto m = Pair(bmRadio);
    const QRect first(10, 10, 64, 17), second(74, 10, 64, 17);
    m->SetButtonEnabled(2, false);
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfDisabled));
    EXPECT_EQ(CountColour(canvas, first, kMarker), first.width() * first.height())
        << "the other button was not drawn";

    m->SetButtonEnabled(2, true);
    canvas.FillRect(canvas.Image().rect(), kMarker);
    m->UncheckAllButtons();
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfNormal));
    EXPECT_TRUE(ShowsFace(canvas, 74, 10, kStrip, bfNormal));

    canvas.FillRect(canvas.Image().rect(), kMarker);
    m->AddButton(3, QString(), kStrip, 10, 60);
    EXPECT_EQ(CountColour(canvas, QRect(10, 60, 64, 17), kMarker), 64 * 17)
        << "adding draws nothing";
    Click(*m, 20, 65, 3);
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfNormal)) << "a radio click redraws all";
    EXPECT_EQ(CountColour(canvas, QRect(0, 0, 300, 8), kMarker), 300 * 8);
}

TEST_F(ButtonManagerTest, CaptionColourFollowsStateAndFace) {
    auto m = Make(bmPush);
    m->AddButton(1, QStringLiteral("Write"), kStrip, 10, 10);
    const QRect r(10, 10, 64, 17);
    m->PaintButtons();
    EXPECT_GT(CountColour(canvas, r, Qt::white), 0);
    EXPECT_EQ(CountColour(canvas, r, kCaptionActive), 0);

    m->ButtonsMouseDown(20, 15);
    EXPECT_GT(CountColour(canvas, r, kCaptionActive), 0) << "pressed caption";
    m->ButtonsMouseUp(200, 100);
    m->SetButtonChecked(1, true);
    EXPECT_GT(CountColour(canvas, r, kCaptionActive), 0) << "checked caption";
    EXPECT_EQ(CountColour(canvas, r, Qt::white), 0);

    m->SetButtonEnabled(1, false);
    EXPECT_GT(CountColour(canvas, r, kCaptionDisabled), 0);
    EXPECT_EQ(CountColour(canvas, r, kCaptionActive), 0);

    // A caption wider than the face starts left of it and is clipped by nothing.
    m->SetButtonEnabled(1, true);
    m->SetButtonChecked(1, false);
    m->SetButtonCaption(1, QStringLiteral("A much wider caption than the face"));
    const QRect leftOfFace(0, 10, 10, 17);
    EXPECT_LT(CountColour(canvas, leftOfFace, kMarker), leftOfFace.width() * leftOfFace.height());
}

TEST_F(ButtonManagerTest, SharedIdsActOnTheFirstButton) {
    auto m = Make(bmPush);
    m->AddButton(5, QString(), kStrip, 10, 10);
    m->AddButton(5, QString(), kStrip, 10, 50);
    EXPECT_EQ(m->FindButton(5)->Y(), 10);
    m->SetButtonEnabled(5, false);
    EXPECT_FALSE(m->FindButtonAt(20, 15));
    EXPECT_TRUE(m->FindButtonAt(20, 55)) << "the second button keeps its own state";
    m->SetButtonChecked(5, true);
    EXPECT_TRUE(m->IsButtonChecked(5));
    canvas.FillRect(canvas.Image().rect(), kMarker);
    m->RedrawButton(5);
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, kStrip, bfDisabled));
    EXPECT_EQ(CountColour(canvas, QRect(10, 50, 64, 17), kMarker), 64 * 17);

    // Unknown ids change nothing and draw nothing.
    m->SetButtonEnabled(7, false);
    m->SetButtonChecked(7, true);
    m->RedrawButton(7);
    m->SetButtonCaption(7, QStringLiteral("x"));
    m->SetButtonBitmap(7, QStringLiteral("LONG_BTN"));
    EXPECT_EQ(m->FindButton(7), nullptr);
    EXPECT_EQ(CountColour(canvas, QRect(0, 0, 300, 50), kMarker) + 64 * 17, 300 * 50);
}

TEST_F(ButtonManagerTest, BitmapCanBeSwappedButOnlyOnAButtonThatHasOne) {
    auto m = Make(bmToggle);
    m->AddButton(0, QString(), QStringLiteral("LEDG_LIGHT_BTN"), 10, 10);
    m->AddButton(1, QStringLiteral("no face"), QString(), 100, 10);
    m->PaintButtons();
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, QStringLiteral("LEDG_LIGHT_BTN"), bfNormal));
    EXPECT_EQ(CountColour(canvas, QRect(80, 0, 220, 120), kMarker), 220 * 120)
        << "a button without a bitmap draws nothing, not even its caption";

    m->SetButtonBitmap(0, QStringLiteral("ledg_unlight_btn"));
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, QStringLiteral("LEDG_UNLIGHT_BTN"), bfNormal));
    m->SetButtonBitmap(0, QString());
    EXPECT_TRUE(ShowsFace(canvas, 10, 10, QStringLiteral("LEDG_UNLIGHT_BTN"), bfNormal));

    try {
        m->SetButtonBitmap(1, QStringLiteral("NORMAL_BTN"));
        FAIL() << "expected an assertion";
    } catch (const platform::AssertionFailure& e) {
        EXPECT_STREQ(e.what(), "m_pBitmap");
    }
    EXPECT_THROW(m->AddButton(2, QString(), QStringLiteral("NO_SUCH_BTN"), 0, 0), ResourceNotFound);
    EXPECT_EQ(m->Count(), 2);
}

TEST_F(ButtonManagerTest, CapturesTheMouseOnlyWhileOverAButtonOfAVisibleOwner) {
    auto m = Pair(bmPush);
    m->ButtonsMouseMove(20, 15, true);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a hidden owner is never grabbed";

    owner.resize(300, 120);
    owner.show();
    m->ButtonsMouseMove(20, 15, true);
    EXPECT_EQ(QWidget::mouseGrabber(), &owner);
    m->ButtonsMouseMove(80, 15, true);
    EXPECT_EQ(QWidget::mouseGrabber(), &owner);
    m->ButtonsMouseMove(200, 100, true);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    m->ButtonsMouseMove(20, 15, true);
    m->ButtonsMouseDown(20, 15);
    m->ButtonsMouseUp(20, 15);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a release lets go";

    m->ButtonsMouseMove(20, 15, true);
    ASSERT_EQ(QWidget::mouseGrabber(), &owner);
    m.reset();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "no grab outlives its manager";
    owner.hide();
}

} // namespace
