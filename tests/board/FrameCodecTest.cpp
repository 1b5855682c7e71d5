// The frame codec and the command table both ends of the link build on.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "wire/Commands.h"
#include "wire/FrameCodec.h"

namespace {

namespace wire = kbr::wire;
using Bytes = std::vector<uint8_t>;

TEST(FrameCodec, KnownFrameAndEveryWayItCanBeSpoilt) {
    // SetLeds 0x07FFFFFF, as a byte dump of the link shows it.
    const Bytes known = {0xAA, 0x05, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x07, 0x0D, 0x55};
    uint8_t leds[4];
    wire::PutU32(leds, 0x07FFFFFF);
    const Bytes frame = wire::MakeFrame(wire::CmdSetLeds, Bytes(leds, leds + 4));
    ASSERT_EQ(frame, known);
    EXPECT_EQ(wire::GetU32(&frame[6]), 0x07FFFFFFu);
    EXPECT_EQ(wire::FrameCommand(frame.data()), wire::CmdSetLeds);
    EXPECT_EQ(wire::FramePayloadLength(frame.data()), 4u);
    EXPECT_TRUE(wire::HeaderOk(frame.data()));
    EXPECT_TRUE(wire::TailOk(frame.data(), 4));

    // Frames appended one after another each stand alone.
    Bytes two;
    wire::AppendFrame(two, wire::CmdKeepAlive, nullptr, 0);
    wire::AppendFrame(two, wire::CmdSetLeds, leds, 4);
    EXPECT_EQ(Bytes(two.begin() + wire::kFrameOverhead, two.end()), known);
    EXPECT_TRUE(wire::TailOk(two.data(), 0));

    auto spoilt = [&](size_t at, uint8_t value) {
        Bytes b = known;
        b[at] = value;
        return b;
    };
    EXPECT_FALSE(wire::HeaderOk(spoilt(0, 0xAB).data())) << "start byte";
    EXPECT_FALSE(wire::TailOk(spoilt(10, 0x0E).data(), 4)) << "checksum";
    EXPECT_FALSE(wire::TailOk(spoilt(11, 0x56).data(), 4)) << "end byte";
    EXPECT_FALSE(wire::TailOk(spoilt(7, 0xFE).data(), 4)) << "payload under the sum";
    EXPECT_FALSE(wire::TailOk(spoilt(1, 0x06).data(), 4)) << "command under the sum";

    // The length limit: the largest payload passes, one more byte never does,
    // nor does a length whose high bytes are set.
    Bytes header = known;
    wire::PutU32(&header[2], wire::kMaxPayload);
    EXPECT_TRUE(wire::HeaderOk(header.data()));
    wire::PutU32(&header[2], wire::kMaxPayload + 1);
    EXPECT_FALSE(wire::HeaderOk(header.data()));
    wire::PutU32(&header[2], 0x01000004);
    EXPECT_FALSE(wire::HeaderOk(header.data()));
}

TEST(CommandTable, EveryCommandHasOneRowAndItsShapeFitsAFrame) {
    std::set<uint8_t> ids;
    for (const auto& c : wire::kCommands) {
        SCOPED_TRACE(int(c.id));
        EXPECT_TRUE(ids.insert(c.id).second) << "one row per command";
        EXPECT_EQ(wire::FindCommand(c.id), &c);
        EXPECT_LE(c.request, wire::kMaxPayload);
        EXPECT_GE(c.reply, 1u) << "every reply carries its status byte";
        EXPECT_LT(c.reply, wire::kMaxPayload);
        EXPECT_TRUE(wire::RequestFits(c, c.request));
        EXPECT_EQ(wire::RequestFits(c, c.request + 1), c.variableRequest);
        if (c.request > 0) {
            EXPECT_FALSE(wire::RequestFits(c, c.request - 1));
        }
    }
    EXPECT_EQ(wire::FindCommand(0x7F), nullptr);
    // A write carries at most what fits one frame behind its header.
    const auto& write = wire::Describe(wire::CmdWriteMemory);
    EXPECT_TRUE(write.variableRequest);
    EXPECT_EQ(write.request, wire::kMemoryWriteHeader);
    EXPECT_TRUE(wire::Describe(wire::CmdReadMemory).variableReply);
    EXPECT_EQ(wire::ReplyLength(wire::CmdReadDeviceData), 2 + wire::kDeviceChunk);
}

} // namespace
