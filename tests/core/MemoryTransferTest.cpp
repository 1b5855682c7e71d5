// The memory transfers and the erase that the panel and kbr370 share, against
// a real virtual board: how a plan cuts the exchanges, what progress is told,
// where an Abort stops, and what each outcome carries.
#include <gtest/gtest.h>

#include <fmt/format.h>
#include <string>
#include <vector>

#include "board/Board.h"
#include "core/formats/ContentEncoder.h"
#include "core/formats/ContentFormat.h"
#include "core/formats/HexCodec.h"
#include "core/jobs/MemoryTransfer.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestVBoard.h"

namespace {

using kbr::wire::kFlash;
using TOutcome = TMemoryTransfer::Outcome;
const kbr::wire::TMemory& kSram = kbr::wire::MemoryOf(kbr::wire::kMemorySram);

class MemoryTransferTest : public testing::Test {
  protected:
    MemoryTransferTest() {
        std::string error;
        EXPECT_TRUE(board.Connect(error, 0)) << error;
        vboard.CtlOk("log requests");
    }
    // A transfer whose host records its progress and asks it to stop once
    // `abortAfter` questions were answered go on.
    TMemoryTransfer Transfer(int abortAfter = -1) {
        host.Stop = [this, abortAfter] { return abortAfter >= 0 && checks++ >= abortAfter; };
        host.OnEvent = [this](const TRecordingHost::Event& e) {
            if (e.kind == TRecordingHost::Kind::TaskProgress)
                steps.push_back({uint32_t(e.done), uint32_t(e.total)});
        };
        return TMemoryTransfer(board, host);
    }
    // The progress told so far climbs and ends at `total`.
    void ExpectClimbsTo(uint32_t total) const {
        ASSERT_FALSE(steps.empty());
        for (size_t i = 1; i < steps.size(); ++i)
            EXPECT_LT(steps[i - 1].first, steps[i].first) << i;
        for (const auto& step : steps)
            EXPECT_EQ(step.second, total);
        EXPECT_EQ(steps.back().first, total);
    }
    std::string Requests() { return vboard.CtlOk("log requests"); }
    static std::string Repeat(const std::string& id, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += (s.empty() ? "" : " ") + id;
        return s;
    }

    TestVBoard vboard;
    TBoard board;
    TRecordingHost host;
    std::vector<std::pair<uint32_t, uint32_t>> steps;
    int checks = 0;
};

TEST_F(MemoryTransferTest, PlansCutTheExchangesAndTellProgressInSteps) {
    std::vector<uint8_t> pattern(40);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<uint8_t>(0xA0 + i);
    vboard.CtlOk("mem write 6 0x100 " + EncodeHexText(pattern.data(), pattern.size()));
    Requests();

    // The panel's read: a keep-alive, then twentieths of 2 bytes, each told.
    std::string text;
    const auto hex = MakeContentEncoder(TContentFormat::PanelHex, 0x100, 40, "sram");
    auto r = Transfer().ReadToFile(kSram, 0x100, 40, TMemoryTransfer::PanelReadPlan(40), *hex,
                                   [&](const void* data, size_t n) {
                                       text.append(static_cast<const char*>(data), n);
                                       return true;
                                   });
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(text, EncodeHexText(pattern.data(), pattern.size()));
    EXPECT_EQ(Requests(), "01 " + Repeat("0E", 20));
    ASSERT_EQ(steps.size(), 20u);
    EXPECT_EQ(steps.front(), std::make_pair(2u, 40u));
    EXPECT_EQ(steps.back(), std::make_pair(40u, 40u));
    ExpectClimbsTo(40);

    // The largest reads, no keep-alive: 0x10002 bytes take three.
    steps.clear();
    uint32_t got = 0;
    r = Transfer().Read(kSram, 0, 0x10002, TMemoryTransfer::ReadPlan(),
                        [&](const uint8_t*, uint32_t n) { return (got += n), true; });
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(got, 0x10002u);
    EXPECT_EQ(Requests(), "0E 0E 0E");
    EXPECT_EQ(steps.back().first, 0x10002u);
    ExpectClimbsTo(0x10002);

    // An Abort seen between the keep-alive and the write of the third step:
    // exactly two steps reach the board.
    steps.clear();
    const std::vector<uint8_t> ones(40, 0x11);
    r = Transfer(4).Write(kSram, 0x200, ones.data(), 40, TMemoryTransfer::PanelWritePlan(40));
    EXPECT_EQ(r.outcome, TOutcome::Aborted);
    EXPECT_EQ(r.done, 4u);
    EXPECT_EQ(Requests(), "01 01 0D 01 0D 01");
    EXPECT_EQ(vboard.CtlOk("mem read 6 0x203 2"), "1100");

    // A verify names the first byte that differs, and both values.
    vboard.CtlOk("mem write 6 0x115 00");
    r = Transfer().Verify(kSram, 0x100, pattern.data(), 40, TMemoryTransfer::ReadPlan());
    EXPECT_EQ(r.outcome, TOutcome::Differs);
    EXPECT_EQ(r.done, 0x15u);
    EXPECT_EQ(r.boardByte, 0x00);
    EXPECT_EQ(r.expectedByte, 0xB5);
}

TEST_F(MemoryTransferTest, EraseStepsRefusalsAndAborts) {
    vboard.CtlOk("erase step-ms 150");
    vboard.CtlOk("erase steps 4");
    vboard.CtlOk("mem write 3 0x600000 00");
    auto r = Transfer().Erase();
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.done, 4u);
    EXPECT_GE(r.elapsedMs, 600u);
    vboard.CtlOk("erase step-ms 0");
    EXPECT_EQ(steps.back(), std::make_pair(4u, 4u));
    ExpectClimbsTo(4);
    EXPECT_EQ(vboard.CtlOk("mem read 3 0x600000 1"), "FF");
    EXPECT_EQ(Requests(), "0A 0B 0B 0B 0B");

    // The board refuses the third step: two were done, the link is in doubt.
    vboard.CtlOk("fault status:0 3");
    vboard.CtlOk("fault status:1");
    r = Transfer().Erase();
    EXPECT_EQ(r.outcome, TOutcome::Refused);
    EXPECT_EQ(r.done, 2u);
    EXPECT_TRUE(r.stepFailed);

    // An Abort after the second step: the rest is left alone.
    Requests();
    r = Transfer(1).Erase();
    EXPECT_EQ(r.outcome, TOutcome::Aborted);
    EXPECT_EQ(r.done, 2u);
    EXPECT_FALSE(r.stepFailed);
    EXPECT_EQ(Requests(), "0A 0B 0B");

    // A count no flash can have: no step is sent.
    vboard.CtlOk("erase steps 0");
    r = Transfer().Erase();
    EXPECT_EQ(r.outcome, TOutcome::BadStepCount);
    EXPECT_FALSE(r.stepFailed);
    EXPECT_EQ(Requests(), "0A");
    EXPECT_TRUE(kFlash.flash);
}

// What the memory checks and their write-back ask of the loop: the stop
// question before every exchange, lost replies tried again, and a run that
// still fails left behind while the rest goes on (or, when told, handed over
// untried).
TEST_F(MemoryTransferTest, AskingFirstTriesAndRunsLeftBehind) {
    board.SetLimits(TBoard::TLimits().WithReplyLimit(100)); // a lost reply costs little
    const uint32_t chunk = TBoard::kMaxWriteChunk;
    TMemoryTransfer::TPlan plan = TMemoryTransfer::ReadPlan();
    plan.askFirst = true;
    std::vector<uint8_t> got(3 * size_t{TBoard::kMaxReadChunk});
    Requests();
    auto r = Transfer(1).ReadInto(kSram, 0, uint32_t(got.size()), plan, got.data());
    EXPECT_EQ(r.outcome, TOutcome::Aborted);
    EXPECT_EQ(r.done, TBoard::kMaxReadChunk);
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(Requests(), "0E");
    ASSERT_EQ(steps.size(), 1u);

    // Two lost replies: the third try of the first run gets through.
    const std::vector<uint8_t> ones(3 * size_t{chunk}, 0x11);
    plan = TMemoryTransfer::WritePlan();
    plan.tries = 3;
    std::vector<std::pair<uint32_t, uint32_t>> left;
    const auto leave = [&](bool goOn) {
        return [&left, goOn](uint32_t at, uint32_t n) {
            left.push_back({at, n});
            return goOn;
        };
    };
    vboard.CtlOk("fault drop 2");
    r = Transfer().Write(kSram, 0, ones.data(), uint32_t(ones.size()), plan, leave(true));
    EXPECT_TRUE(r.Ok());
    EXPECT_TRUE(left.empty());
    EXPECT_EQ(vboard.CtlOk(fmt::format("mem read 6 {:#x} 1", 3 * chunk - 1)), "11");

    // Every try of the first run lost: it is left behind, the rest goes on.
    const std::vector<uint8_t> twos(ones.size(), 0x22);
    vboard.CtlOk("fault drop 3");
    r = Transfer().Write(kSram, 0, twos.data(), uint32_t(twos.size()), plan, leave(true));
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(left, (std::vector<std::pair<uint32_t, uint32_t>>{{0, chunk}}));
    EXPECT_EQ(vboard.CtlOk(fmt::format("mem read 6 {:#x} 1", 3 * chunk - 1)), "22");

    // Told not to go on, the loop hands over the rest in one run, untried.
    left.clear();
    vboard.CtlOk("fault drop 3");
    Requests();
    r = Transfer().Write(kSram, 0, ones.data(), uint32_t(ones.size()), plan, leave(false));
    EXPECT_EQ(r.outcome, TOutcome::LinkFailed);
    EXPECT_EQ(left, (std::vector<std::pair<uint32_t, uint32_t>>{{0, chunk}, {chunk, 2 * chunk}}));
    EXPECT_EQ(Requests(), "0D 0D 0D");
}

} // namespace
