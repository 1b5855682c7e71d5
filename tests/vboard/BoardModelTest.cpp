#include <gtest/gtest.h>

#include "vboard/BoardModel.h"
#include "vboard/FrameParser.h"
#include "wire/FrameCodec.h"

using vboard::TBoardModel;
namespace wire = kbr::wire;
using Bytes = std::vector<uint8_t>;

namespace {

// One whole exchange as the link sees it: request frame in, reply frame out.
Bytes Exchange(TBoardModel& m, const Bytes& request) {
    vboard::TFrameParser p;
    p.Feed(request.data(), request.size());
    vboard::TFrameView f;
    if (!p.Next(f))
        return {};
    auto r = m.Handle(f.command, f.payload, f.length);
    return wire::MakeFrame(f.command, r.payload);
}

Bytes Payload(TBoardModel& m, uint8_t command, const Bytes& payload) {
    return m.Handle(command, payload.data(), payload.size()).payload;
}

Bytes U32(uint32_t v) {
    Bytes b(4);
    wire::PutU32(b.data(), v);
    return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes WriteReq(uint8_t code, uint32_t address, const Bytes& data) {
    return Cat({{code}, U32(address), data});
}

Bytes ReadReq(uint8_t code, uint32_t address, uint32_t count) {
    return Cat({{code}, U32(address), U32(count)});
}

Bytes DeviceSend(uint8_t channel, const Bytes& data) {
    Bytes p(130, 0);
    p[0] = channel;
    p[1] = uint8_t(data.size());
    std::copy(data.begin(), data.end(), p.begin() + 2);
    return p;
}

Bytes DeviceData(const Bytes& reply) {
    return Bytes(reply.begin() + 2, reply.begin() + 2 + reply[1]);
}

} // namespace

TEST(BoardModel, RepliesByteForByte) {
    TBoardModel m;
    EXPECT_EQ(Exchange(m, {0xAA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x55}),
              (Bytes{0xAA, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 'K', 'B', 'R', '_',  '3', '7',
                     '0',  0,    0,    0,    0,    0,    0,    0,   0,   0,   0xE9, 0x55}));
    EXPECT_EQ(Exchange(m, {0xAA, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x55}),
              (Bytes{0xAA, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x02, 0x55}));
    EXPECT_EQ(Exchange(m, {0xAA, 0x05, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x07, 0x0D, 0x55}),
              (Bytes{0xAA, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x55}));
    EXPECT_EQ(m.leds, 0x07FFFFFFu);
    // Unknown id: same id, length 1, status 1.
    EXPECT_EQ(Exchange(m, {0xAA, 0x63, 0x00, 0x00, 0x00, 0x00, 0x63, 0x55}),
              (Bytes{0xAA, 0x63, 0x01, 0x00, 0x00, 0x00, 0x01, 0x65, 0x55}));
}

TEST(BoardModel, EveryCommandKeepsItsReplyLengthEvenWhenMalformed) {
    struct TCase {
        uint8_t id;
        size_t goodLength, replyLength;
    };
    const TCase cases[] = {{0, 0, 17},  {1, 0, 1},    {5, 4, 1},    {6, 0, 13},
                           {7, 5, 1},   {9, 0, 36},   {10, 0, 5},   {11, 4, 1},
                           {24, 1, 17}, {31, 130, 1}, {32, 1, 130}, {33, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.id));
        TBoardModel m;
        Bytes good(c.goodLength, 0), bad(c.goodLength + 1, 0);
        EXPECT_EQ(Payload(m, c.id, good).size(), c.replyLength);
        Bytes r = Payload(m, c.id, bad);
        EXPECT_EQ(r.size(), c.replyLength);
        EXPECT_EQ(r[0], 0x01);
    }
}

TEST(BoardModel, SwitchesAndKeysSplitIntoTheirWords) {
    TBoardModel m;
    m.inputs = 0x3ABCD5; // keys 5, switches 0x3ABCD
    Bytes r = Payload(m, 6, {});
    EXPECT_EQ(wire::GetU32(&r[1]), 0x5u);
    EXPECT_EQ(wire::GetU32(&r[9]), 0x3ABCDu);
}

TEST(BoardModel, MemoryWritesAndReadsAcrossChunkSizes) {
    TBoardModel m;
    for (uint8_t code : {5, 6, 7}) {
        SCOPED_TRACE(int(code));
        uint32_t size = uint32_t(m.Memory(code)->Size());
        for (size_t n : {size_t(0), size_t(1), size_t(4095), size_t(4097), size_t(32743)}) {
            if (n > size)
                continue;
            Bytes data(n);
            for (size_t i = 0; i < n; ++i)
                data[i] = uint8_t(i * 7 + code);
            uint32_t address = uint32_t(size - n); // right up to the end
            ASSERT_EQ(Payload(m, 13, WriteReq(code, address, data)), Bytes{0});
            Bytes r = Payload(m, 14, ReadReq(code, address, uint32_t(n)));
            ASSERT_EQ(r.size(), n + 1);
            EXPECT_EQ(r[0], 0);
            EXPECT_TRUE(std::equal(data.begin(), data.end(), r.begin() + 1));
        }
        // One past the end, or an address that wraps, is refused and writes nothing.
        EXPECT_EQ(Payload(m, 13, WriteReq(code, size - 1, {1, 2})), Bytes{1});
        EXPECT_EQ(Payload(m, 13, WriteReq(code, 0xFFFFFFFF, {1, 2})), Bytes{1});
        Bytes r = Payload(m, 14, ReadReq(code, size - 2, 3));
        EXPECT_EQ(r.size(), 4u);
        EXPECT_EQ(r[0], 1);
    }
    // The largest read chunk fills one whole reply frame.
    Bytes r = Payload(m, 14, ReadReq(7, 0, 32747));
    EXPECT_EQ(r.size(), 32748u);
    EXPECT_EQ(Payload(m, 14, ReadReq(7, 0, 32748)), Bytes{1});
    // Unknown memory codes.
    EXPECT_EQ(Payload(m, 13, WriteReq(4, 0, {1})), Bytes{1});
    EXPECT_EQ(Payload(m, 14, ReadReq(0, 0, 2)), (Bytes{1, 0, 0}));
}

TEST(BoardModel, UntouchedMemoryReadsItsFillByteAndCostsNothing) {
    TBoardModel m;
    Bytes sdram = Payload(m, 14, ReadReq(7, (128u << 20) - 16, 16));
    Bytes flash = Payload(m, 14, ReadReq(3, 0x400000, 16));
    EXPECT_EQ(sdram, Cat({{0}, Bytes(16, 0x00)}));
    EXPECT_EQ(flash, Cat({{0}, Bytes(16, 0xFF)}));
    EXPECT_EQ(m.Memory(7)->PagesInUse(), 0u);
}

TEST(BoardModel, FlashWritesOnlyClearBitsAndEraseRestoresOneSector) {
    TBoardModel m;
    const uint32_t sector = (8u << 20) / 64;
    ASSERT_EQ(Payload(m, 13, WriteReq(3, sector - 2, {0xF0, 0x0F, 0x3C, 0xC3})), Bytes{0});
    ASSERT_EQ(Payload(m, 13, WriteReq(3, sector - 2, {0x3C, 0x3C, 0xFF, 0x00})), Bytes{0});
    EXPECT_EQ(Payload(m, 14, ReadReq(3, sector - 2, 4)), (Bytes{0, 0x30, 0x0C, 0x3C, 0x00}));

    Bytes status = Payload(m, 10, {});
    EXPECT_EQ(status, (Bytes{0, 64, 0, 0, 0}));
    TBoardModel::TReply r = m.Handle(11, U32(1).data(), 4);
    EXPECT_EQ(r.payload, Bytes{0});
    EXPECT_EQ(r.delayMs, 100u);
    // Sector 1 is erased, sector 0 still holds its bytes.
    EXPECT_EQ(Payload(m, 14, ReadReq(3, sector - 2, 4)), (Bytes{0, 0x30, 0x0C, 0xFF, 0xFF}));
    EXPECT_EQ(Payload(m, 11, U32(64)), Bytes{1});

    // Another step count changes the sector size; an uneven split still covers everything.
    m.eraseSteps = 3;
    m.eraseStepMs = 7;
    ASSERT_EQ(Payload(m, 13, WriteReq(3, (8u << 20) - 1, {0x00})), Bytes{0});
    EXPECT_EQ(m.Handle(11, U32(2).data(), 4).delayMs, 7u);
    EXPECT_EQ(Payload(m, 14, ReadReq(3, (8u << 20) - 1, 1)), (Bytes{0, 0xFF}));
    EXPECT_EQ(Payload(m, 14, ReadReq(3, sector - 2, 1)), (Bytes{0, 0x30}));
}

TEST(BoardModel, SdCardAndLoopback) {
    TBoardModel m;
    Bytes r = Payload(m, 9, {});
    ASSERT_EQ(r.size(), 36u);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1] >> 6, 1); // version-2 CSD
    EXPECT_EQ((r[1 + 7] & 0x3F) << 16 | r[1 + 8] << 8 | r[1 + 9], 15159);
    EXPECT_EQ(r[18 + 1], 'S');
    EXPECT_EQ(r[18 + 2], 'D');
    EXPECT_EQ(r[35], 2);
    m.sd.inserted = false;
    EXPECT_EQ(Payload(m, 9, {}), Cat({{1}, Bytes(35, 0)}));

    EXPECT_EQ(Payload(m, 24, {0}), Bytes(17, 0));
    // Pin pairs 0, 18, 19, 20, 37, 38, 39 and transceiver bit 2 land in their wire words.
    m.hsmcFail40 =
        1ull | 1ull << 18 | 1ull << 19 | 1ull << 20 | 1ull << 37 | 1ull << 38 | 1ull << 39;
    m.hsmcFail8 = 0x04;
    r = Payload(m, 24, {0});
    EXPECT_EQ(wire::GetU32(&r[1]), 0x1u);
    EXPECT_EQ(wire::GetU32(&r[5]), 0x1u | 1u << 17);
    EXPECT_EQ(wire::GetU32(&r[9]), 0xFu);
    EXPECT_EQ(wire::GetU32(&r[13]), 0x4u);
    m.hsmcAdapter = false;
    r = Payload(m, 24, {1});
    EXPECT_EQ(wire::GetU32(&r[1]), 0x3FFFFu);
    EXPECT_EQ(wire::GetU32(&r[5]), 0x3FFFFu);
    EXPECT_EQ(wire::GetU32(&r[9]), 0xFu);
    EXPECT_EQ(wire::GetU32(&r[13]), 0xFu);
}

TEST(BoardModel, IrDeliversOnlyWhileMonitoringAndAtMost128) {
    TBoardModel m;
    for (int i = 0; i < 200; ++i)
        m.irQueue.push_back(uint8_t(i));
    EXPECT_EQ(Payload(m, 32, {0})[1], 0); // mode off: nothing yet
    EXPECT_EQ(Payload(m, 33, {0, 1}), Bytes{0});
    Bytes first = DeviceData(Payload(m, 32, {0}));
    Bytes second = DeviceData(Payload(m, 32, {0}));
    ASSERT_EQ(first.size(), 128u);
    ASSERT_EQ(second.size(), 72u);
    EXPECT_EQ(first[0], 0);
    EXPECT_EQ(second[71], 199);
    m.irPresent = false;
    EXPECT_EQ(Payload(m, 32, {0})[0], 1);
    EXPECT_EQ(Payload(m, 33, {0, 1}), Bytes{1});
}

TEST(BoardModel, LcdVgaUsbAndUnknownChannels) {
    TBoardModel m;
    const std::string text = "KBR-370\nControl Panel\n";
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    EXPECT_EQ(Payload(m, 31, DeviceSend(1, bytes)), Bytes{0});
    EXPECT_EQ(m.lcdLine[0], "KBR-370");
    EXPECT_EQ(m.lcdLine[1], "Control Panel");
    EXPECT_EQ(Payload(m, 31, DeviceSend(1, {'\n', '\n', 0})), Bytes{0});
    EXPECT_EQ(m.lcdLine[0], "");
    EXPECT_EQ(m.lcdLine[1], "");

    EXPECT_EQ(Payload(m, 31, DeviceSend(2, {4})), Bytes{0});
    EXPECT_EQ(m.vgaPattern, 4);
    m.usbKind = 2;
    EXPECT_EQ(DeviceData(Payload(m, 32, {5})), Bytes{2});

    EXPECT_EQ(Payload(m, 31, DeviceSend(9, {1})), Bytes{1});
    EXPECT_EQ(Payload(m, 32, {9})[0], 1);
    EXPECT_EQ(Payload(m, 33, {9, 1}), Bytes{1});
    EXPECT_EQ(Payload(m, 33, {3, 2}), Bytes{1});
    Bytes over = DeviceSend(3, {});
    over[1] = 129;
    EXPECT_EQ(Payload(m, 31, over), Bytes{1});
}

TEST(BoardModel, Rs232KeepsWhatWasSentAndLoopsItBack) {
    TBoardModel m;
    EXPECT_EQ(Payload(m, 31, DeviceSend(3, {'A', 'B', 0})), Bytes{0});
    EXPECT_EQ(m.rs232Tx, std::string("AB\0", 3));
    m.rs232Loopback = true;
    Payload(m, 33, {3, 1});
    Payload(m, 31, DeviceSend(3, {'x', 0}));
    EXPECT_EQ(DeviceData(Payload(m, 32, {3})), (Bytes{'x', 0}));
    EXPECT_EQ(DeviceData(Payload(m, 32, {3})), Bytes{});
    const Bytes pushed = {'h', 'i'};
    ASSERT_TRUE(m.PushRs232Rx(pushed.data(), pushed.size()));
    Payload(m, 33, {3, 0});
    EXPECT_EQ(DeviceData(Payload(m, 32, {3})), Bytes{}); // held until monitoring is on again
    Payload(m, 33, {3, 1});
    EXPECT_EQ(DeviceData(Payload(m, 32, {3})), pushed);
}

TEST(BoardModel, Ps2ReportsComeWholeAndNeedTheMouse) {
    TBoardModel m;
    for (int i = 0; i < 40 * 4; ++i)
        m.ps2Queue.push_back(uint8_t(i));
    EXPECT_EQ(Payload(m, 33, {4, 1}), Bytes{0});
    EXPECT_EQ(DeviceData(Payload(m, 32, {4})).size(), 128u);
    EXPECT_EQ(DeviceData(Payload(m, 32, {4})).size(), 32u);
    m.ps2Present = false;
    EXPECT_EQ(Payload(m, 33, {4, 1}), Bytes{1});
    EXPECT_EQ(Payload(m, 33, {4, 0}), Bytes{0});
}

TEST(BoardModel, ResetDesignKeepsTheHardwareAndResetKeepsNothing) {
    TBoardModel m;
    m.leds = 5;
    m.inputs = 3;
    m.irMode = true;
    Payload(m, 13, WriteReq(6, 10, {0x42}));
    m.ResetDesign();
    EXPECT_EQ(m.leds, 0u);
    EXPECT_FALSE(m.irMode);
    EXPECT_EQ(m.inputs, 3u);
    EXPECT_EQ(Payload(m, 14, ReadReq(6, 10, 1)), (Bytes{0, 0x42}));
    m.Reset();
    EXPECT_EQ(m.inputs, 0u);
    EXPECT_EQ(Payload(m, 14, ReadReq(6, 10, 1)), (Bytes{0, 0x00}));
}
