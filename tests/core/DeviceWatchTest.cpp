// Watching one device channel against a real virtual board: the mode goes on,
// each tick is one poll, and the mode goes off again once, whatever the ticks
// brought.
#include <gtest/gtest.h>

#include <string>

#include "board/Board.h"
#include "core/DeviceWatch.h"
#include "core/devices/Devices.h"
#include "tests/support/TestVBoard.h"

namespace {

using kbr::TDeviceWatch;
using TOutcome = TDeviceWatch::TOutcome;

class DeviceWatchTest : public testing::Test {
  protected:
    DeviceWatchTest() {
        std::string error;
        EXPECT_TRUE(board.Connect(error, 0)) << error;
        Requests();
    }
    // Set and read device mode are 21 and 20 on the wire.
    std::string Requests() { return vboard.CtlOk("log requests"); }

    TestVBoard vboard;
    TBoard board;
};

TEST_F(DeviceWatchTest, TicksBetweenModeOnAndOffAndSwitchesOffAfterAFailedTick) {
    {
        TDeviceWatch watch(board, kbr::devices::kIr.channel);
        ASSERT_EQ(watch.Start(), TOutcome::Ok);
        EXPECT_EQ(vboard.CtlOk("get modes"), "ir=1 rs232=0 ps2=0");
        vboard.CtlOk("ir push 4546");
        const TDeviceWatch::TReading codes = watch.Tick();
        EXPECT_EQ(codes.outcome, TOutcome::Ok);
        ASSERT_EQ(codes.count, 2u);
        EXPECT_EQ(codes.data[0], 0x45);
        EXPECT_EQ(codes.data[1], 0x46);
        EXPECT_FALSE(codes.Full());

        vboard.CtlOk("ir present 0");
        const TDeviceWatch::TReading refused = watch.Tick();
        EXPECT_EQ(refused.outcome, TOutcome::Refused);
        EXPECT_EQ(refused.count, 0u);
        vboard.CtlOk("ir present 1");
        EXPECT_EQ(Requests(), "21 20 20");
    } // the watch's end switches the mode off
    EXPECT_EQ(Requests(), "21");
    EXPECT_EQ(vboard.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");

    // Stopped once only, however often it is asked.
    TDeviceWatch watch(board, kbr::devices::kRs232.channel);
    EXPECT_EQ(watch.Stop(), TOutcome::Ok); // never started: nothing sent
    ASSERT_EQ(watch.Start(), TOutcome::Ok);
    EXPECT_EQ(watch.Stop(), TOutcome::Ok);
    EXPECT_EQ(watch.Stop(), TOutcome::Ok);
    EXPECT_EQ(Requests(), "21 21");
}

TEST_F(DeviceWatchTest, ARefusedStartIsStillSwitchedOffButALostLinkIsNot) {
    vboard.CtlOk("ps2 present 0");
    {
        TDeviceWatch watch(board, kbr::devices::kPs2.channel);
        EXPECT_EQ(watch.Start(), TOutcome::Refused);
    }
    EXPECT_EQ(Requests(), "21 21");

    TDeviceWatch watch(board, kbr::devices::kIr.channel);
    board.Disconnect();
    EXPECT_EQ(watch.Start(), TOutcome::LinkFailed);
    EXPECT_EQ(watch.Tick().outcome, TOutcome::LinkFailed);
    EXPECT_EQ(watch.Stop(), TOutcome::Ok); // nothing to switch off
    EXPECT_EQ(Requests(), "");
}

} // namespace
