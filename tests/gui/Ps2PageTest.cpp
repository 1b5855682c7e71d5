// The PS/2 page against its own virtual board: Start, the pointer's trace in
// the box, Stop, a missing mouse, the board's mode after the page is left, and
// the box when the page comes back.
#include "pages/DeviceMonitor.h"
#include "pages/FormPS2.h"
#include "skin/ButtonManager.h"
#include "skin/CustomButton.h"
#include "skin/SkinResources.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class Ps2PageTest : public BoardPageTest {
  protected:
    Ps2PageTest() {
        Watch(page);
        page.RepaintNow();
    }

    QImage Pixels() { return page.GetCanvas().Image(); }
    // The picture at the pointer's place in the trace box, px and top inside it.
    bool Shows(int px, int top, const char* picture) {
        const QRect box = TFormPS2::kPaintBox;
        return SpriteAt(Pixels(), {box.left() + px, box.top() + top}, picture);
    }
    void PressStart() { ClickButton(&page, page.Buttons(), 0); }
    void PollOnce() { page.Monitor().Tick(); }

    TFormPS2 page{nullptr};
};

TEST_F(Ps2PageTest, TracesTheMouseFromStartToStopAndSwitchesTheModeOffWhenLeft) {
    page.AttachBoard(&session);
    EXPECT_EQ(LastInfo().text, "Wait to start PS/2-Mouse monitor");
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0") << "attaching alone does not start the mouse";
    EXPECT_TRUE(page.Buttons().FindButton(0)->Enabled());

    PressStart();
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=1");
    EXPECT_EQ(LastInfo().text, "PS/2-Mouse Monitor...");
    EXPECT_EQ(page.ButtonStart.Caption, "Stop");
    EXPECT_TRUE(page.Monitor().IsPolling());
    EXPECT_EQ(page.Pointer().x, 512);
    EXPECT_EQ(page.Pointer().y, 384);
    EXPECT_TRUE(Shows(160, 76, "PS2_MOUSE"));

    // A report without bit 3 is skipped; the next moves right 5 and down 5, left held.
    Ctl("ps2 push 000505000905FB00");
    PollOnce();
    EXPECT_EQ(page.Pointer().x, 517);
    EXPECT_EQ(page.Pointer().y, 379);
    EXPECT_EQ(page.Pointer().buttons, 1);
    EXPECT_TRUE(Shows(162, 77, "PS2_MOUSE_L"));
    EXPECT_FALSE(Shows(162, 77, "PS2_MOUSE"));

    // Ten big moves up and right stop at the corner; the right button shows.
    std::string reports;
    for (int i = 0; i < 10; ++i)
        reports += "0A7F7F00";
    Ctl("ps2 push " + reports);
    ASSERT_TRUE(WaitFor([&] { return page.Pointer().x == 1023; }, 5000));
    EXPECT_EQ(page.Pointer().y, 767);
    EXPECT_TRUE(Shows(320, 0, "PS2_MOUSE_R"));

    // Stop hides the pointer but leaves the board's mode on.
    PressStart();
    EXPECT_EQ(page.ButtonStart.Caption, "Start");
    EXPECT_EQ(LastInfo().text, "Wait to start PS/2-Mouse monitor");
    EXPECT_FALSE(page.Monitor().IsPolling());
    EXPECT_FALSE(Shows(320, 0, "PS2_MOUSE_R"));
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=1");

    // A new Start centres the pointer again; leaving the page switches the mode off.
    PressStart();
    EXPECT_EQ(page.Pointer().x, 512);
    page.DetachBoard();
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0");
    EXPECT_FALSE(page.Monitor().IsPolling());
    EXPECT_FALSE(page.Buttons().FindButton(0)->Enabled());
    EXPECT_EQ(page.ButtonStart.Caption, "Start");
    EXPECT_EQ(linkLost, 0);
}

TEST_F(Ps2PageTest, ComingBackShowsAnEmptyBoxNotTheOldPointer) {
    page.AttachBoard(&session);
    PressStart();
    Ctl("ps2 push 0B000000");
    PollOnce();
    ASSERT_TRUE(Shows(160, 76, "PS2_MOUSE_LR"));

    page.DetachBoard();
    page.AttachBoard(&session);
    EXPECT_EQ(page.ButtonStart.Caption, "Start");
    const QRect box = TFormPS2::kPaintBox;
    EXPECT_TRUE(RegionMatches(Pixels(), box.topLeft(), LoadSkinBitmap("TAB_DLG_BK").copy(box)))
        << "the box is blank until the next Start";
}

TEST_F(Ps2PageTest, WithoutAMouseStartSaysSoAndDoesNotPoll) {
    Ctl("ps2 present 0");
    page.AttachBoard(&session);
    PressStart();
    EXPECT_EQ(LastInfo().text, "Cannot find a PS/2 mouse. Please plug one.");
    EXPECT_EQ(LastInfo().colour, 0x0000FFu);
    EXPECT_FALSE(page.Tracing());
    EXPECT_EQ(page.ButtonStart.Caption, "Start");
    EXPECT_FALSE(page.Monitor().IsPolling());

    // Plugged in now, the next Start works.
    Ctl("ps2 present 1");
    PressStart();
    EXPECT_TRUE(page.Tracing());
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=1");
    page.DetachBoard();
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0");
}

} // namespace
