// The self test's pure logic: the SD registers' CRC7 and the choice of areas.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/devices/SdRegisterCrc.h"
#include "core/jobs/SelfTest.h"

namespace {

TEST(SdCrc7, KnownCommandFramesAndRegisters) {
    // The command frames every SD host sends first carry well-known CRCs.
    const uint8_t goIdle[] = {0x40, 0x00, 0x00, 0x00, 0x00};
    const uint8_t sendIfCond[] = {0x48, 0x00, 0x00, 0x01, 0xAA};
    EXPECT_EQ(SdCrc7(goIdle, 5), 0x95 >> 1);
    EXPECT_EQ(SdCrc7(sendIfCond, 5), 0x87 >> 1);

    std::array<uint8_t, 16> cid = {0x1D, 'S',  'D',  'V',  'B',  '8',  'G',  'B',
                                   0x10, 0x4B, 0x52, 0x37, 0x30, 0x01, 0x63, 0x00};
    cid[15] = uint8_t(SdCrc7(cid.data(), 15) << 1 | 1);
    EXPECT_TRUE(SdRegisterCrcValid(cid.data()));
    // Bit 0 of byte 16 is not part of the CRC.
    cid[15] ^= 0x01;
    EXPECT_TRUE(SdRegisterCrcValid(cid.data()));
    // Any single flipped bit in the covered bytes or in the CRC shows.
    for (size_t byte = 0; byte < 16; ++byte)
        for (int bit = byte == 15 ? 1 : 0; bit < 8; ++bit) {
            std::array<uint8_t, 16> spoilt = cid;
            spoilt[byte] ^= uint8_t(1u << bit);
            EXPECT_FALSE(SdRegisterCrcValid(spoilt.data())) << "byte " << byte << " bit " << bit;
        }
}

TEST(SelfTestAreas, OnlyAndSkipKeepRunOrderAndRefuseUnknownNames) {
    std::string error;
    const auto all = TSelfTest::ChooseAreas("", "", error);
    ASSERT_TRUE(all);
    EXPECT_EQ(*all, TSelfTest::Areas());

    const auto some = TSelfTest::ChooseAreas("sd, LINK,memories", "memories", error);
    ASSERT_TRUE(some);
    EXPECT_EQ(*some, (std::vector<std::string>{"link", "sd"}));

    const auto rest = TSelfTest::ChooseAreas("", "vga,lcd,inputs,leds,seg7", error);
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->back(), "rs232");

    EXPECT_FALSE(TSelfTest::ChooseAreas("link,flash", "", error));
    EXPECT_NE(error.find("\"flash\""), std::string::npos);
    EXPECT_FALSE(TSelfTest::ChooseAreas("", "memory", error));
}

} // namespace
