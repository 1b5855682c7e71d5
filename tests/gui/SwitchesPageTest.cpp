// The switches and keys page against its own virtual board: polling while
// connected, pictures redrawn only when the value changes, polling stopped by
// a failed read.
#include "pages/FormButton.h"
#include "pages/PollTimer.h"
#include "skin/Colours.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class SwitchesPageTest : public BoardPageTest {
  protected:
    SwitchesPageTest() {
        Watch(page);
        page.RepaintNow();
    }

    bool Key(int i, const char* sprite) {
        return SpriteAt(page.GetCanvas().Image(), TFormButton::KeyPos(i), sprite);
    }
    bool Switch(int n, const char* sprite) {
        return SpriteAt(page.GetCanvas().Image(), TFormButton::SwitchPos(n), sprite);
    }
    bool WaitForState(uint32_t value) {
        return WaitFor([&] { return page.InputState() == value; }, 5000);
    }

    TFormButton page{nullptr};
};

TEST_F(SwitchesPageTest, PollsAndRedrawsOnlyChanges) {
    EXPECT_EQ(page.size(), QSize(387, 276));
    EXPECT_EQ(TFormButton::KeyPos(3), QPoint(79, 18));
    EXPECT_EQ(TFormButton::SwitchPos(17), QPoint(76, 183));
    page.AttachBoard(&session);
    ASSERT_EQ(infos.size(), 2u);
    EXPECT_EQ(infos[0].text, "");
    EXPECT_EQ(infos[1].text, "Monitor Switches and Pushbuttons...");
    EXPECT_EQ(infos[1].colour, colours::Yellow);
    EXPECT_TRUE(page.TimerPolling().IsActive());

    Ctl("set inputs 0x11");
    ASSERT_TRUE(WaitForState(0x11));
    EXPECT_TRUE(Key(0, "BUTTON_DOWN"));
    EXPECT_TRUE(Switch(0, "SW_DOWN"));
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(Key(i, "BUTTON_UP")) << i;
    for (int n = 1; n < 18; ++n)
        EXPECT_TRUE(Switch(n, "SW_UP")) << n;

    // A value that stays the same is not drawn again: a mark over SW5 survives polls.
    const QRect sw5(TFormButton::SwitchPos(5), QSize(19, 63));
    page.GetCanvas().FillRect(sw5, Qt::magenta);
    Ctl("log requests");
    ASSERT_TRUE(WaitFor([&] { return Ctl("log requests").size() >= 2; }, 5000));
    Pump(250);
    EXPECT_EQ(page.GetCanvas().Pixel(sw5.x() + 9, sw5.y() + 30), QColor(Qt::magenta));

    // Keys in bits 0-3, switches from bit 4: SW17 is bit 21.
    Ctl("set inputs 0x200011");
    ASSERT_TRUE(WaitForState(0x200011));
    EXPECT_TRUE(Switch(5, "SW_UP"));
    EXPECT_TRUE(Switch(17, "SW_DOWN"));
    EXPECT_EQ(linkLost, 0);

    page.DetachBoard();
    EXPECT_FALSE(page.TimerPolling().IsActive());
    EXPECT_EQ(infos.back().text, "");
    EXPECT_EQ(infos.back().colour, colours::Yellow);
}

TEST_F(SwitchesPageTest, FailedReadStopsPollingAndKeepsTheLastValue) {
    Ctl("set inputs 0x3");
    page.AttachBoard(&session);
    ASSERT_TRUE(WaitForState(0x3));
    Ctl("fault status:1");
    Ctl("set inputs 0x0");
    ASSERT_TRUE(WaitFor([&] { return linkLost == 1; }, 5000));
    EXPECT_FALSE(page.TimerPolling().IsActive());
    Pump(300);
    EXPECT_EQ(linkLost, 1);
    EXPECT_EQ(page.InputState(), 0x3u);
    EXPECT_TRUE(Key(1, "BUTTON_DOWN"));
}

TEST_F(SwitchesPageTest, ClosedLinkStartsNoPolling) {
    session.Disconnect();
    page.AttachBoard(&session);
    EXPECT_FALSE(page.TimerPolling().IsActive());
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].text, "");
}

} // namespace
