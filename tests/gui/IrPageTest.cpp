// The IR page against its own virtual board: the code history, the keys it
// lights and their fading, Clear, a missing receiver, and the board's mode
// after the page is left.
#include <QLabel>
#include <algorithm>
#include <ranges>

#include "pages/DeviceMonitor.h"
#include "pages/FormIR.h"
#include "skin/ButtonManager.h"
#include "tests/gui/BoardPageTest.h"

namespace {

class IrPageTest : public BoardPageTest {
  protected:
    IrPageTest() {
        Watch(page);
        page.RepaintNow();
    }

    // A poll (timer ticks between them do no harm: they only fade lights).
    void PollOnce() { page.Monitor().Tick(); }
    std::string Codes() const { return page.LabelInfo->text().toStdString(); }
    // The pixel on the left edge of key `key`'s light ring.
    QColor RingPixel(int key) {
        const TKeyRect r = IrKeyRect(key);
        return page.GetCanvas().Pixel(r.left + 1, r.top + 9);
    }
    long LitKeys() const {
        return std::ranges::count_if(std::views::iota(0, kIrKeyCount),
                                     [&](int k) { return page.KeyLight(k) != 0; });
    }

    TFormIR page{nullptr};
};

TEST_F(IrPageTest, ListsCodesLightsKeysAndSwitchesTheModeOffWhenLeft) {
    page.AttachBoard(&session);
    EXPECT_EQ(Modes(), "ir=1 rs232=0 ps2=0");
    EXPECT_EQ(LastInfo().text, "IR Monitor...");
    EXPECT_EQ(LitKeys(), 0);

    Ctl("ir push 05");
    PollOnce();
    EXPECT_EQ(Codes(), "05\n");
    EXPECT_EQ(page.KeyLight(2 * 4 + 1), 255);
    EXPECT_EQ(RingPixel(2 * 4 + 1), QColor(255, 255, 0));
    EXPECT_EQ(LitKeys(), 1);

    // A code no key sends is listed and lights nothing.
    Ctl("ir push 40");
    PollOnce();
    EXPECT_EQ(Codes(), "05\n40\n");
    EXPECT_EQ(LitKeys(), 1);

    // Ten codes: the last eight are kept, all ten light their keys; 00 is the
    // key in row 4, column 1.
    Ctl("ir push 0F130102030406070800");
    PollOnce();
    EXPECT_EQ(Codes(), "01\n02\n03\n04\n06\n07\n08\n00\n");
    EXPECT_EQ(page.KeyLight(0), 255) << "0F, which no longer fits the list";
    EXPECT_EQ(page.KeyLight(4 * 4 + 1), 255);
    EXPECT_EQ(RingPixel(4 * 4 + 1), QColor(255, 255, 0));

    // Clear empties the list and leaves the lights to fade: seven more ticks
    // take them down to 150, the eighth makes them dark.
    page.Monitor().StartPolling(false);
    ClickButton(&page, page.Buttons(), 0);
    EXPECT_EQ(Codes(), "");
    EXPECT_EQ(page.KeyLight(0), 255);
    for (int tick = 1; tick <= 7; ++tick)
        PollOnce();
    EXPECT_EQ(page.KeyLight(0), 150);
    EXPECT_EQ(RingPixel(0), QColor(150, 150, 0));
    PollOnce();
    EXPECT_EQ(LitKeys(), 0);

    // No receiver: said in red in the list, lights off, polling goes on.
    Ctl("ir push 05");
    PollOnce();
    Ctl("ir present 0");
    PollOnce();
    EXPECT_EQ(Codes(), "IR not found");
    EXPECT_EQ(page.LabelInfo->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(LitKeys(), 0);
    EXPECT_TRUE(page.Monitor().IsPolling());
    Ctl("ir present 1");

    // Leaving switches the mode off; the timer's next tick does not re-arm.
    page.DetachBoard();
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0");
    PollOnce();
    EXPECT_FALSE(page.Monitor().IsPolling());
    EXPECT_EQ(page.History().count, 1) << "the history survives the detach";
    EXPECT_EQ(linkLost, 0);
}

TEST_F(IrPageTest, ClosingWhileAttachedSwitchesTheModeOff) {
    {
        TFormIR closing(nullptr);
        closing.AttachBoard(&session);
        EXPECT_EQ(Modes(), "ir=1 rs232=0 ps2=0");
    }
    EXPECT_EQ(Modes(), "ir=0 rs232=0 ps2=0");
}

} // namespace
