// The hardware defects of the virtual board, at the model: what the link
// reads and writes through a damaged board, and that the damage outlives a
// power cycle.
#include <gtest/gtest.h>

#include "vboard/BoardModel.h"
#include "wire/FrameCodec.h"

using vboard::TBoardModel;
namespace wire = kbr::wire;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint8_t kWrite = 13, kRead = 14, kErase = 11;
constexpr uint8_t kSram = 6, kFlash = 3, kEeprom = 5;

Bytes Request(uint8_t code, uint32_t address, const Bytes& tail) {
    Bytes b(5 + tail.size());
    b[0] = code;
    wire::PutU32(b.data() + 1, address);
    std::copy(tail.begin(), tail.end(), b.begin() + 5);
    return b;
}

bool Write(TBoardModel& m, uint8_t code, uint32_t address, const Bytes& data) {
    Bytes req = Request(code, address, data);
    return m.Handle(kWrite, req.data(), req.size()).payload == Bytes{0};
}

Bytes Read(TBoardModel& m, uint8_t code, uint32_t address, uint32_t count) {
    Bytes n(4);
    wire::PutU32(n.data(), count);
    Bytes req = Request(code, address, n);
    Bytes reply = m.Handle(kRead, req.data(), req.size()).payload;
    EXPECT_EQ(reply.at(0), 0);
    return Bytes(reply.begin() + 1, reply.end());
}

TBoardModel::TReply Erase(TBoardModel& m, uint32_t sector) {
    Bytes n(4);
    wire::PutU32(n.data(), sector);
    return m.Handle(kErase, n.data(), n.size());
}

} // namespace

TEST(BoardDefects, StuckBitsReadTheirValueWhateverIsWrittenAndSurviveReset) {
    TBoardModel m;
    ASSERT_TRUE(m.AddStuckBit(kSram, 0x1234, 3, true));
    ASSERT_TRUE(m.AddStuckBit(kSram, 0x1235, 7, false));
    ASSERT_TRUE(m.AddStuckBit(kSram, 0x1235, 0, true));
    ASSERT_TRUE(Write(m, kSram, 0x1232, Bytes(6, 0x00)));
    EXPECT_EQ(Read(m, kSram, 0x1232, 6), (Bytes{0x00, 0x00, 0x08, 0x01, 0x00, 0x00}));
    ASSERT_TRUE(Write(m, kSram, 0x1232, Bytes(6, 0xFF)));
    EXPECT_EQ(Read(m, kSram, 0x1232, 6), (Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF}));
    // The cells themselves hold what was written; only the board's reads are spoilt.
    uint8_t cell = 0;
    m.Memory(kSram)->Read(0x1235, &cell, 1);
    EXPECT_EQ(cell, 0xFF);

    // A power cycle empties the memory but leaves the damage; a flash cell too.
    m.Reset();
    EXPECT_EQ(Read(m, kSram, 0x1234, 2), (Bytes{0x08, 0x01}));
    ASSERT_TRUE(m.AddStuckBit(kFlash, 0x10, 0, true));
    ASSERT_TRUE(Write(m, kFlash, 0x10, {0x00}));
    EXPECT_EQ(Read(m, kFlash, 0x10, 1), Bytes{0x01});

    m.ClearDefects();
    EXPECT_EQ(Read(m, kSram, 0x1234, 2), (Bytes{0x00, 0x00}));
    EXPECT_EQ(Read(m, kFlash, 0x10, 1), Bytes{0x00});
}

TEST(BoardDefects, AStuckAddressLineAliasesReadsAndWrites) {
    TBoardModel m;
    ASSERT_TRUE(m.AddAliasedAddressBit(kSram, 12));
    // A write above the line lands below it, and a read above it reads below.
    ASSERT_TRUE(Write(m, kSram, 0x1FFE, {0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_EQ(Read(m, kSram, 0x0FFE, 2), (Bytes{0xAA, 0xBB}));
    EXPECT_EQ(Read(m, kSram, 0x2000, 2), (Bytes{0xCC, 0xDD}));
    ASSERT_TRUE(Write(m, kSram, 0x0000, {0x55}));
    EXPECT_EQ(Read(m, kSram, 0x1000, 1), Bytes{0x55});
    uint8_t cell = 0;
    m.Memory(kSram)->Read(0x1FFE, &cell, 1);
    EXPECT_EQ(cell, 0x00);

    // A stuck bit of the cell the alias reaches shows through it.
    ASSERT_TRUE(m.AddStuckBit(kSram, 0x0001, 6, true));
    EXPECT_EQ(Read(m, kSram, 0x1001, 1), Bytes{0x40});

    // Flash programming goes through the same wiring, and still only clears bits.
    ASSERT_TRUE(m.AddAliasedAddressBit(kFlash, 20));
    ASSERT_TRUE(Write(m, kFlash, 0x100000, {0x0F}));
    ASSERT_TRUE(Write(m, kFlash, 0x000000, {0x3C}));
    EXPECT_EQ(Read(m, kFlash, 0x100000, 1), Bytes{0x0C});

    m.Reset();
    ASSERT_TRUE(Write(m, kSram, 0x1000, {0x77}));
    EXPECT_EQ(Read(m, kSram, 0x0000, 1), Bytes{0x77});
}

TEST(BoardDefects, ArgumentsOutsideTheBoardSetNothing) {
    TBoardModel m;
    EXPECT_FALSE(m.AddStuckBit(4, 0, 0, true));
    EXPECT_FALSE(m.AddStuckBit(kEeprom, 4096, 0, true));
    EXPECT_FALSE(m.AddStuckBit(kEeprom, 0, 8, true));
    EXPECT_FALSE(m.AddStuckBit(kEeprom, 0, -1, true));
    EXPECT_FALSE(m.AddAliasedAddressBit(kEeprom, 12)); // 4 KiB: lines 0-11
    EXPECT_FALSE(m.AddAliasedAddressBit(kSram, 64));
    EXPECT_FALSE(m.AddAliasedAddressBit(9, 1));
    EXPECT_TRUE(m.AddAliasedAddressBit(kEeprom, 11));
    EXPECT_TRUE(m.AddStuckBit(kEeprom, 4095, 7, false));
    ASSERT_TRUE(Write(m, kSram, 0x800, {0x12}));
    EXPECT_EQ(Read(m, kSram, 0x800, 1), Bytes{0x12});
}

TEST(BoardDefects, AStuckFlashSectorAnswersDoneButKeepsItsBytes) {
    TBoardModel m;
    const uint32_t sector = (8u << 20) / 64;
    m.AddStuckFlashSector(1);
    ASSERT_TRUE(Write(m, kFlash, sector - 1, {0x00, 0x00}));
    TBoardModel::TReply r = Erase(m, 1);
    EXPECT_EQ(r.payload, Bytes{0});
    EXPECT_EQ(r.delayMs, 100u);
    EXPECT_EQ(Read(m, kFlash, sector - 1, 2), (Bytes{0x00, 0x00}));
    EXPECT_EQ(Erase(m, 0).payload, Bytes{0});
    EXPECT_EQ(Read(m, kFlash, sector - 1, 2), (Bytes{0xFF, 0x00}));

    m.Reset();
    ASSERT_TRUE(Write(m, kFlash, sector, {0x00}));
    Erase(m, 1);
    EXPECT_EQ(Read(m, kFlash, sector, 1), Bytes{0x00});
    m.ClearDefects();
    Erase(m, 1);
    EXPECT_EQ(Read(m, kFlash, sector, 1), Bytes{0xFF});
}
