// What every page relies on from the kit: the command rule around the
// session's Lock, the re-arming poll timer and bound hidden buttons.
#include <future>

#include "board/Board.h"
#include "pages/Page.h"
#include "pages/PollTimer.h"
#include "skin/ButtonManager.h"
#include "skin/ButtonRouter.h"
#include "skin/CustomButton.h"
#include "skin/HiddenButton.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

class KitPage : public TPage {
  public:
    KitPage() : TPage(nullptr, "TAB_DLG_BK", "Kit") {}
    using TPage::ClosedLink;
    using TPage::RunCommand;
};

bool LockIsFree(TBoard& session) {
    // Asked from another thread: the Lock is re-entrant for this one.
    return std::async(std::launch::async,
                      [&] {
                          if (!session.Lock.try_lock())
                              return false;
                          session.Lock.unlock();
                          return true;
                      })
        .get();
}

using PageKitTest = GuiTest;

TEST_F(PageKitTest, ClosedLinkCountsAsThePageSaysAndLinkLostComesAfterTheLock) {
    KitPage page;
    TBoard session; // attached, but its link is closed
    int lost = 0;
    bool freeWhenRaised = false;
    page.OnLinkLost = [&](TPage* sender) {
        EXPECT_EQ(sender, &page);
        ++lost;
        freeWhenRaised = LockIsFree(session);
    };
    int ran = 0;
    auto command = [&](TBoard&) { return ++ran, true; };

    EXPECT_FALSE(page.RunCommand(command, KitPage::ClosedLink::Failure)); // no session yet
    EXPECT_EQ(lost, 0);

    page.AttachBoard(&session);
    EXPECT_TRUE(page.RunCommand(command, KitPage::ClosedLink::Success));
    EXPECT_EQ(lost, 0);
    EXPECT_FALSE(page.RunCommand(command, KitPage::ClosedLink::Failure));
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(freeWhenRaised);
    EXPECT_EQ(ran, 0); // nothing is sent over a closed link
}

TEST_F(PageKitTest, PollTimerRearmsOnlyAfterAGoodTick) {
    int ticks = 0;
    bool good = true;
    bool overlapped = false;
    bool inTick = false;
    QObject owner;
    TPollTimer timer(&owner, 5, [&] {
        overlapped |= inTick;
        inTick = true;
        ++ticks;
        Pump(10); // a slow command: the timer must not fire meanwhile
        inTick = false;
        return good;
    });
    timer.StartPolling(true);
    ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }, 5000));
    good = false;
    const int before = ticks;
    ASSERT_TRUE(WaitFor([&] { return !timer.IsActive(); }, 5000));
    Pump(50);
    EXPECT_LE(ticks, before + 1);
    EXPECT_FALSE(overlapped);
}

TEST_F(PageKitTest, BoundHiddenButtonSharesEnabledStateAndClick) {
    KitPage page;
    TButtonManager buttons(&page, &page.GetCanvas(), bmPush);
    TButtonRouter router;
    router.AddManager(&buttons);
    int clicks = 0;
    THiddenButton hidden{161, 197, 64, 17, "Set", false, [&] { ++clicks; }};
    router.Bind(buttons, 0, hidden, "NORMAL_BTN");
    TCustomButton* skinned = buttons.FindButton(0);
    EXPECT_EQ(skinned->X(), 161);
    EXPECT_EQ(skinned->Y(), 197);
    EXPECT_FALSE(skinned->Enabled());

    router.MouseUp(170, 200);
    EXPECT_EQ(clicks, 0);
    router.SetEnabled(hidden, true);
    EXPECT_TRUE(skinned->Enabled());
    const TButtonRouter::Hit hit = router.MouseUp(170, 200);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(hit.bound);
    EXPECT_EQ(hit.id, 0);
}

} // namespace
