// TBoard without a link: what a stray call does when nothing is connected.
#include <gtest/gtest.h>

#include "board/Board.h"
#include "platform/Assert.h"

namespace {

TEST(BoardWithoutPort, CommandsFailQuietlyAndContractsStillHold) {
    int beeps = 0;
    TBoard board;
    board.OnBeep = [&] { ++beeps; };
    EXPECT_FALSE(board.IsConnected());
    EXPECT_EQ(board.LastActivity, 0u);
    EXPECT_TRUE(board.LinkInfo.empty());

    uint8_t reply[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, reply, 3000, 0, nullptr, 1));
    EXPECT_EQ(reply[0], 0xCC);
    board.FlushInput();
    board.Disconnect();
    std::string name = "kept";
    EXPECT_FALSE(board.QueryBoardName(name));
    EXPECT_EQ(name, "kept");
    EXPECT_FALSE(board.SetLeds(1));
    EXPECT_EQ(board.QueryEraseStatus(), 0u);
    EXPECT_EQ(beeps, 0);

    EXPECT_THROW(board.Transact(1, nullptr, 3000, 0, nullptr, 1), platform::AssertionFailure);
    std::vector<uint8_t> big(PKT_PC2NIOS_MAX_PL_LEN + 1);
    try {
        board.Transact(1, reply, 3000, static_cast<uint32_t>(big.size()), big.data(), 1);
        ADD_FAILURE() << "no assertion";
    } catch (const platform::AssertionFailure& e) {
        EXPECT_STREQ(e.what(), "dwPayloadLen <= PKT_PC2NIOS_MAX_PL_LEN");
    }
}

TEST(BoardLimits, SessionsStartWithTheProcessLimitsAndKeepTheirOwn) {
    TBoard before;
    // The board's own limits, unless the front end says otherwise.
    EXPECT_EQ(before.Limits().replyMs, 3000u);
    EXPECT_EQ(before.Limits().sdCardReplyMs, 10000u);
    EXPECT_EQ(before.Limits().bodyMs, 3000u);
    EXPECT_EQ(before.Limits().keepAliveSilenceMs, 120000u);

    TBoard::TLimits quick;
    quick.replyMs = 250;
    TBoard::SetDefaultLimits(quick);
    TBoard after;
    TBoard::SetDefaultLimits({});
    EXPECT_EQ(after.Limits().replyMs, 250u);
    EXPECT_EQ(before.Limits().replyMs, 3000u) << "a session keeps what it started with";
    EXPECT_EQ(TBoard().Limits().replyMs, 3000u);

    quick.replyMs = 40;
    after.SetLimits(quick);
    EXPECT_EQ(after.Limits().replyMs, 40u);
    EXPECT_EQ(before.Limits().replyMs, 3000u);
}

} // namespace
