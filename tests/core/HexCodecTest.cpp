// The HEX text of memory content files.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/files/InputFile.h"
#include "core/formats/HexCodec.h"
#include "tests/support/TestVBoard.h"

namespace {

TEST(HexCodec, EveryByteRoundTripsThroughUpperCaseDigits) {
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    const std::string text = EncodeHexText(all.data(), all.size());
    ASSERT_EQ(text.size(), 512u);
    EXPECT_EQ(text.substr(0, 6), "000102");
    EXPECT_EQ(text.substr(2 * 0xAB, 2), "AB");
    EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos);

    std::string buffer = text;
    ASSERT_TRUE(DecodeHexText(buffer.data(), buffer.size()));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 256), all);
    EXPECT_EQ(EncodeHexText(all.data(), 0), "");
}

TEST(HexCodec, DecodingAcceptsBothCasesAndPadsAnOddDigit) {
    std::string digits = "aBcD0f9";
    ASSERT_TRUE(DecodeHexText(digits.data(), digits.size()));
    EXPECT_EQ(static_cast<uint8_t>(digits[0]), 0xAB);
    EXPECT_EQ(static_cast<uint8_t>(digits[1]), 0xCD);
    EXPECT_EQ(static_cast<uint8_t>(digits[2]), 0x0F);
    EXPECT_EQ(static_cast<uint8_t>(digits[3]), 0x90) << "the missing low digit is 0";
    EXPECT_EQ(HexDecodedSize(7), 4u);
    EXPECT_EQ(HexDecodedSize(64), 32u);

    // An odd count never reads past the digits it was given.
    std::vector<uint8_t> exact = {'7'};
    ASSERT_TRUE(DecodeHexText(exact.data(), exact.size()));
    EXPECT_EQ(exact[0], 0x70);
}

TEST(HexCodec, ABadCharacterIsReportedWithItsOffset) {
    struct Case {
        std::string text;
        size_t offset;
        char character;
    } cases[] = {
        {"0011\n", 4, '\n'},    // a line end after the digits
        {"00 11", 2, ' '},
        {"0g", 1, 'g'},
        {"G0", 0, 'G'},
        {"0x12", 1, 'x'},
        {"12345:", 5, ':'},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.text);
        HexDecodeError error;
        std::string buffer = c.text;
        EXPECT_FALSE(DecodeHexText(buffer.data(), buffer.size(), &error));
        EXPECT_EQ(error.offset, c.offset);
        EXPECT_EQ(error.character, c.character);
        std::string again = c.text;
        EXPECT_FALSE(DecodeHexText(again.data(), again.size())) << "no error record needed";
    }
    EXPECT_STREQ(kInvalidHexFileText, "invalid hex file.");
}

// The memory page's HEX files are decoded a piece at a time: the bytes come
// out the same across the pieces' edges, an odd last digit is padded, and a
// bad digit far into the file is still found.
TEST(HexCodec, AWriteFileIsDecodedAcrossItsPieces) {
    std::vector<uint8_t> bytes(100000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + i / 256);
    TempDir dir;
    const std::string path = dir.File("w.hex");
    std::string text = EncodeHexText(bytes.data(), bytes.size()) + "a";
    std::ofstream(path, std::ios::binary) << text;
    TWriteContent content = LoadWriteContent(path, true, 0, 1 << 20);
    ASSERT_TRUE(content.ok) << content.warning;
    ASSERT_EQ(content.count, bytes.size() + 1);
    bytes.push_back(0xA0);
    EXPECT_EQ(std::vector<uint8_t>(content.data.begin(), content.data.begin() + content.count),
              bytes);

    text[190001] = 'g';
    std::ofstream(path, std::ios::binary) << text;
    content = LoadWriteContent(path, false, 90000, 1 << 20);
    EXPECT_TRUE(content.ok) << "the bad digit lies past the length asked for";
    content = LoadWriteContent(path, true, 0, 1 << 20);
    EXPECT_FALSE(content.ok);
    EXPECT_EQ(content.warning, kInvalidHexFileText);
}

} // namespace
