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
    EXPECT_FALSE(board.Transact(TBoard::CmdKeepAlive, reply, 3000, 0, nullptr, 1));
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

} // namespace
