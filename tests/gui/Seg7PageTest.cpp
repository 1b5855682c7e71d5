// The 7-segment page against its own virtual board: arrows step and wrap the
// digits, every step sends all eight, and a closed link is a lost link here.
#include "pages/FormSeg7.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class Seg7PageTest : public BoardPageTest {
  protected:
    Seg7PageTest() {
        Watch(page);
        page.RepaintNow();
    }

    void Step(int digit, bool up, int times = 1) {
        for (int i = 0; i < times; ++i)
            ClickButton(&page, page.Buttons(), 2 * digit + (up ? 0 : 1));
    }
    bool Shows(int digit, int value) {
        const QPoint at = page.DigitPos(digit) + QPoint(8, 20);
        return SpriteAt(page.GetCanvas().Image(), at, QString("HEX_%1").arg(value, 0, 16).toUpper());
    }

    TFormSeg7 page{nullptr};
};

TEST_F(Seg7PageTest, ArrowsStepWrapAndSendEveryDigit) {
    for (int d = 0; d < kSeg7DigitCount; ++d)
        EXPECT_TRUE(Shows(d, 8)) << d;
    EXPECT_EQ(page.DigitPos(0), QPoint(244, 145));
    EXPECT_EQ(page.DigitPos(7), QPoint(70, 20));

    // Disabled until attached; attaching sends nothing.
    Step(0, true);
    EXPECT_EQ(page.Digits()[0], 8);
    Ctl("log requests");
    page.AttachBoard(&session);
    EXPECT_EQ(Ctl("log requests"), "");
    EXPECT_TRUE(page.Buttons().FindButton(15)->Enabled());

    Step(0, true);
    EXPECT_EQ(Ctl("get seg7"), "0x88888889 0x00");
    EXPECT_TRUE(Shows(0, 9));
    Step(0, false);
    Step(7, false);
    EXPECT_EQ(Ctl("get seg7"), "0x78888888 0x00");
    EXPECT_TRUE(Shows(7, 7));

    Step(1, false, 9); // 8 down to 0, then F
    EXPECT_EQ(Ctl("get seg7"), "0x788888F8 0x00");
    EXPECT_TRUE(Shows(1, 15));
    Step(1, true); // F up to 0
    EXPECT_EQ(Ctl("get seg7"), "0x78888808 0x00");
    EXPECT_TRUE(Shows(1, 0));
    // One SetSeg7 per step, nothing else.
    std::string steps = "07";
    for (int i = 1; i < 13; ++i)
        steps += " 07";
    EXPECT_EQ(Ctl("log requests"), steps);
    EXPECT_EQ(linkLost, 0);
}

TEST_F(Seg7PageTest, ClosedLinkRaisesLinkLostAndKeepsTheDigit) {
    page.AttachBoard(&session);
    session.Disconnect();
    Step(3, true);
    EXPECT_EQ(linkLost, 1);
    EXPECT_EQ(page.Digits()[3], 9);
    EXPECT_TRUE(Shows(3, 9));

    page.DetachBoard();
    EXPECT_FALSE(page.Buttons().FindButton(6)->Enabled());
    Step(3, true);
    EXPECT_EQ(page.Digits()[3], 9);
}

} // namespace
