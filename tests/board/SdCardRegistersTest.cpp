// The SD card register texts, from hand-built CSD and CID registers.
#include <gtest/gtest.h>

#include <array>

#include "board/SdCardRegisters.h"

namespace {

using Register = std::array<uint8_t, 16>;

// A version-1 CSD with the given timing bytes, block length exponent, C_SIZE and C_SIZE_MULT.
Register Version1Csd(uint8_t taac, uint8_t speed, unsigned readBlLen, unsigned cSize, unsigned mult) {
    Register r{};
    r[0] = 0x00;
    r[1] = taac;
    r[2] = 0x19;
    r[3] = speed;
    r[5] = static_cast<uint8_t>(0x50 | readBlLen);
    r[6] = static_cast<uint8_t>(0x80 | (cSize >> 10 & 3));
    r[7] = static_cast<uint8_t>(cSize >> 2);
    r[8] = static_cast<uint8_t>((cSize & 3) << 6);
    r[9] = static_cast<uint8_t>(mult >> 1 & 3);
    r[10] = static_cast<uint8_t>((mult & 1) << 7);
    return r;
}

Register Version2Csd(unsigned cSize) {
    Register r{};
    r[0] = 0x40;
    r[1] = 0x0E;
    r[3] = 0x32;
    r[5] = 0x59;
    r[7] = static_cast<uint8_t>(cSize >> 16 & 0x3F);
    r[8] = static_cast<uint8_t>(cSize >> 8);
    r[9] = static_cast<uint8_t>(cSize);
    return r;
}

bool HasLine(const std::string& text, const std::string& line) {
    return text.find(line) != std::string::npos;
}

TEST(SdCardRegisters, Version2CardReadsAsTheBoardsDefault) {
    EXPECT_EQ(CsdText(Version2Csd(15159).data()), "-CSD Version 2.0\n"
                                                  "-Read Access Time:1000 us\n"
                                                  "-Read Access Time (NSAC):0 (x100 cycle) \n"
                                                  "-Max. Data Transfer Rate:25 Mbits/s\n"
                                                  "-Max. Read Data Block Length:512 Byte\n"
                                                  "-Memory Capacity:7579MB\n");
    EXPECT_FALSE(HasLine(CsdText(Version2Csd(1).data()), "Capacity")) << "0 MB gives no line";
}

TEST(SdCardRegisters, FourGigabyteVersion1CardDoesNotOverflow) {
    // 2^(7+2) x 4096 x 2048 bytes is 2^32: one past what 32 bits hold.
    const std::string text = CsdText(Version1Csd(0x26, 0x32, 11, 4095, 7).data());
    EXPECT_EQ(text, "-CSD Version 1.0\n"
                    "-Read Access Time:1 ms\n"
                    "-Read Access Time (NSAC):25 (x100 cycle) \n"
                    "-Max. Data Transfer Rate:25 Mbits/s\n"
                    "-Max. Read Data Block Length:2048 Byte\n"
                    "-Memory Capacity:4096MB\n");
    // A small card rounds up to whole MB: 2^2 x 1 x 512 bytes.
    EXPECT_TRUE(HasLine(CsdText(Version1Csd(0x26, 0x32, 9, 0, 0).data()), "-Memory Capacity:1MB\n"));
}

TEST(SdCardRegisters, AccessTimeAndRateUnits) {
    struct Case {
        uint8_t byte;
        const char* accessLine;
        const char* rateLine;
    } cases[] = {
        {0x00, "-Read Access Time:NA\n", "-Max. Data Transfer Rate:NA\n"},
        {0x0E, "-Read Access Time:1000 us\n", "-Max. Data Transfer Rate:100000 Mbits/s\n"},
        {0x0F, "-Read Access Time:10 ms\n", "-Max. Data Transfer Rate:1000000 Mbits/s\n"},
        {0x4A, "-Read Access Time:400 ns\n", "-Max. Data Transfer Rate:40 Mbits/s\n"},
        {0x48, "-Read Access Time:4 ns\n", "-Max. Data Transfer Rate:400 Kbits/s\n"},
        {0x32, "-Read Access Time:250 ns\n", "-Max. Data Transfer Rate:25 Mbits/s\n"},
        {0x0B, "-Read Access Time:1000 ns\n", "-Max. Data Transfer Rate:100 Mbits/s\n"},
        {0x08, "-Read Access Time:1 ns\n", "-Max. Data Transfer Rate:100 Kbits/s\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        const std::string text = CsdText(Version1Csd(c.byte, c.byte, 9, 100, 2).data());
        EXPECT_TRUE(HasLine(text, c.accessLine)) << text;
        EXPECT_TRUE(HasLine(text, c.rateLine)) << text;
    }
}

TEST(SdCardRegisters, ReservedStructuresAndZeroBlockLength) {
    Register r = Version1Csd(0x26, 0x32, 0, 4095, 7);
    r[0] = 0x80; // structure 2: no version line, read as version 1
    const std::string text = CsdText(r.data());
    EXPECT_EQ(text.rfind("-Read Access Time:", 0), 0u) << text;
    EXPECT_FALSE(HasLine(text, "Block Length")) << "READ_BL_LEN 0 gives no line";
    EXPECT_TRUE(HasLine(text, "-Memory Capacity:2MB\n")) << "2^9 x 4096 x 1 bytes";
    r[0] = 0xC0;
    EXPECT_FALSE(HasLine(CsdText(r.data()), "Version"));
}

TEST(SdCardRegisters, CidFieldsInTheirOrder) {
    const Register cid = {0x1D, 0x41, 0x44, 'S', 'D', '8', 'G', 'B', 0x10,
                          0x4B, 0x52, 0x37, 0x30, 0xF1, 0x63, 0x00};
    EXPECT_EQ(CidText(cid.data()), "-Manufacturer ID:1Dh\n"
                                   "-OEM/Application ID:4441h\n"
                                   "-Product Name:SD8GB\n"
                                   "-Product Revision:10h\n"
                                   "-Serial No.:4B523730h\n"
                                   "-Date Code:163h\n");
}

// The card holds any bytes in its name: each is its Latin-1 letter, and a
// control byte is written out rather than breaking the text.
TEST(SdCardRegisters, ProductNameIsLatin1WithControlBytesWrittenOut) {
    Register cid{};
    const uint8_t name[] = {0xE9, '\n', 0x7F, 0x85, 0xA0};
    std::copy(std::begin(name), std::end(name), cid.begin() + 3);
    EXPECT_TRUE(HasLine(CidText(cid.data()), "-Product Name:\u00e9^J^?<85>\u00a0\n"))
        << CidText(cid.data());
    cid[3] = 0;
    EXPECT_TRUE(HasLine(CidText(cid.data()), "-Product Name:^@^J^?<85>\u00a0\n"));
}

TEST(SdCardRegisters, FileSystemNames) {
    EXPECT_EQ(FileSystemName(1), "FAT16");
    EXPECT_EQ(FileSystemName(2), "FAT32");
    EXPECT_EQ(FileSystemName(0), "NA");
    EXPECT_EQ(FileSystemName(3), "NA");
    EXPECT_EQ(FileSystemName(0xFF), "NA");
}

} // namespace
