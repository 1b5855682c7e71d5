// What every page relies on from the kit: attaching and detaching, the
// command rule around the session's Lock, the re-arming poll timer and bound
// hidden buttons.
#include <future>
#include <string>
#include <vector>

#include "board/Board.h"
#include "pages/Page.h"
#include "pages/PollTimer.h"
#include "skin/ButtonManager.h"
#include "skin/ButtonRouter.h"
#include "skin/CustomButton.h"
#include "skin/HiddenButton.h"
#include "tests/gui/BoardPageTest.h"
#include "tests/gui/GuiTestSupport.h"

namespace {

class KitPage : public TPage {
  public:
    KitPage() : TPage(nullptr, "TAB_DLG_BK", "Kit") {}
    using TPage::ClosedLink;
    using TPage::RunCommand;
};

// Records, in order, what the kit asks of a page.
class ContractPage : public TPage {
  public:
    ContractPage() : TPage(nullptr, "TAB_DLG_BK", "Contract") {}
    using TPage::ClosedLink;
    using TPage::TCommandScope;

    std::vector<std::string> calls;
    bool deviceAnswers = true; // the page's own condition for being ready

  protected:
    bool Attached() override {
        calls.push_back(Board() ? "attached" : "attached, no session");
        return TPage::Attached() && deviceAnswers;
    }
    void Detaching() override { calls.push_back(Board() ? "detaching" : "detaching, no session"); }
    void EnableControls(bool on) override { calls.push_back(on ? "enable" : "disable"); }
};

using Calls = std::vector<std::string>;

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

using PageContractTest = BoardPageTest;

TEST_F(PageContractTest, ControlsFollowTheSessionAndThePagesOwnAnswer) {
    ContractPage page;
    page.SetHost(*infoWatch);
    page.AttachBoard(&session);
    EXPECT_EQ(page.calls, (Calls{"attached", "enable"}));
    EXPECT_EQ(LastInfo().text, "") << "attaching clears the info line";

    // Detaching lets the page work with its session still there, then takes it.
    page.calls.clear();
    page.DetachBoard();
    EXPECT_EQ(page.calls, (Calls{"detaching", "disable"}));
    EXPECT_EQ(page.Board(), nullptr);

    page.calls.clear();
    page.deviceAnswers = false;
    page.AttachBoard(&session);
    EXPECT_EQ(page.calls, (Calls{"attached", "disable"}));

    page.calls.clear();
    page.deviceAnswers = true;
    session.Disconnect();
    page.AttachBoard(&session);
    EXPECT_EQ(page.calls, (Calls{"attached", "disable"})) << "a closed link is not ready";
}

TEST_F(PageContractTest, ScopeReportsALostLinkOnceAfterThePageIsDone) {
    ContractPage page;
    Watch(page);
    page.AttachBoard(&session);
    int ran = 0;
    {
        ContractPage::TCommandScope scope(page);
        EXPECT_TRUE(
            scope.Run([&](TBoard&) { return ++ran, true; }, ContractPage::ClosedLink::Failure));
        EXPECT_FALSE(
            scope.Run([&](TBoard&) { return ++ran, false; }, ContractPage::ClosedLink::Failure));
        EXPECT_EQ(linkLost, 0) << "not while the page still restores its controls";
        // A command after the failure still runs on the still open link.
        EXPECT_TRUE(
            scope.Run([&](TBoard&) { return ++ran, true; }, ContractPage::ClosedLink::Failure));
    }
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(linkLost, 1); // Watch checks that the Lock was free

    // The handler disconnected: a closed link that counts as success raises nothing.
    {
        ContractPage::TCommandScope scope(page);
        EXPECT_TRUE(
            scope.Run([&](TBoard&) { return ++ran, false; }, ContractPage::ClosedLink::Success));
    }
    EXPECT_EQ(ran, 3);
    EXPECT_EQ(linkLost, 1);
}

} // namespace
