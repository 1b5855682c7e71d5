// Intel HEX and S-record files: the records a reader takes and where their
// bytes go, what it refuses and on which line, and what the writers emit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/formats/IntelHex.h"
#include "core/formats/RecordImage.h"
#include "core/formats/SRecord.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TBytes Counting(size_t count) {
    TBytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// The writer's whole output for `data` read from `address`, given in two runs
// that split a record.
std::string Written(TContentEncoder& writer, const TBytes& data) {
    const size_t half = data.size() / 2 + 5;
    std::string text = writer.Add(data.data(), half);
    text += writer.Add(data.data() + half, data.size() - half);
    return text + writer.Finish();
}

// Reads a whole text as Intel HEX or as S-records.
bool ReadText(bool intel, std::string_view text, TRecordImage& image, TRecordError& error) {
    TRecordLines lines(text);
    return intel ? ReadIntelHex(lines, image, error) : ReadSRecords(lines, image, error);
}

std::vector<TImageSegment> ReadBack(std::string_view text, bool intel) {
    TRecordImage image;
    TRecordError error;
    const bool ok = ReadText(intel, text, image, error);
    EXPECT_TRUE(ok) << "line " << error.line << ": " << error.what;
    return image.TakeSegments();
}

struct TBadRecord {
    const char* text;
    size_t line;
    const char* what;
};

void ExpectRefused(const std::vector<TBadRecord>& cases, bool intel) {
    for (const TBadRecord& c : cases) {
        SCOPED_TRACE(c.text);
        TRecordImage image;
        TRecordError error;
        EXPECT_FALSE(ReadText(intel, c.text, image, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.what.find(c.what), std::string::npos) << error.what;
    }
}

TEST(RecordImage, JoinsNeighboursAndRefusesOverlaps) {
    TRecordImage image;
    const TBytes ab = Bytes("ab"), cd = Bytes("cd"), ef = Bytes("ef");
    ASSERT_TRUE(image.Add(14, ef.data(), 2));
    ASSERT_TRUE(image.Add(10, ab.data(), 2));
    ASSERT_TRUE(image.Add(12, cd.data(), 2)) << "fills the gap exactly";
    uint64_t clash = 0;
    EXPECT_FALSE(image.Add(15, ab.data(), 2, &clash));
    EXPECT_EQ(clash, 15u);
    EXPECT_FALSE(image.Add(8, ab.data(), 3, &clash)) << "ends inside a run";
    EXPECT_EQ(clash, 10u);
    ASSERT_TRUE(image.Add(20, ab.data(), 2));
    const auto segments = image.TakeSegments();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].address, 10u);
    EXPECT_EQ(segments[0].bytes, Bytes("abcdef"));
    EXPECT_EQ(segments[1].address, 20u);
    EXPECT_TRUE(image.Empty());
}

TEST(IntelHex, RoundTripsAcrossA64KBoundary) {
    const TBytes data = Counting(0x30);
    TIntelHexWriter writer(0xFFF8);
    const std::string text = Written(writer, data);
    const auto lines = Lines(text);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, 9), ":08FFF800") << "up to the boundary, not past it";
    EXPECT_EQ(lines[1], ":020000040001F9") << "the upper address bits once they change";
    EXPECT_EQ(lines[2].substr(0, 9), ":10000000");
    EXPECT_EQ(lines.back(), ":00000001FF");
    for (const auto& line : lines)
        EXPECT_LE(line.size(), 11u + 2 * 16) << line;

    const auto segments = ReadBack(text, true);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0xFFF8u);
    EXPECT_EQ(segments[0].bytes, data);

    TIntelHexWriter high(0x7FFFFF0);
    EXPECT_EQ(ReadBack(Written(high, data), true)[0].address, 0x7FFFFF0u);
}

TEST(IntelHex, PlacesRecordsByTheirBaseAndLeavesGaps) {
    // A record of the format's own documentation, in lower case, with CR LF.
    auto segments =
        ReadBack(":10010000214601360121470136007efe09d2190140\r\n:00000001FF\r\n", true);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0x100u);
    EXPECT_EQ(segments[0].bytes.size(), 16u);
    EXPECT_EQ(segments[0].bytes[15], 0x01);

    segments = ReadBack(":0100200033AC\n"
                        ":020000001122CB\n"
                        "\n"
                        ":0400000300000000F9\n"
                        ":020000021000EC\n" // segment base 0x10000
                        ":0100120001EC\n"
                        ":0200100055AAEF\n"
                        ":020000040001F9\n" // linear base 0x10000: the same bytes again?
                        ":0400000500000000F7\n"
                        ":00000001FF\n",
                        true);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].address, 0x0u);
    EXPECT_EQ(segments[0].bytes, (TBytes{0x11, 0x22}));
    EXPECT_EQ(segments[1].address, 0x20u);
    EXPECT_EQ(segments[2].address, 0x10010u) << "records out of order are joined";
    EXPECT_EQ(segments[2].bytes, (TBytes{0x55, 0xAA, 0x01}));

    // In a segment, offsets past 0xFFFF wrap round to its start; a linear
    // address runs on.
    segments = ReadBack(":020000021000EC\n:04FFFE001122334455\n:00000001FF\n", true);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].address, 0x10000u);
    EXPECT_EQ(segments[0].bytes, (TBytes{0x33, 0x44}));
    EXPECT_EQ(segments[1].address, 0x1FFFEu);
    EXPECT_EQ(segments[1].bytes, (TBytes{0x11, 0x22}));
    segments = ReadBack(":020000040001F9\n:04FFFE001122334455\n:00000001FF\n", true);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0x1FFFEu);
    EXPECT_EQ(segments[0].bytes.size(), 4u);
}

TEST(IntelHex, NamesTheLineAndTheFault) {
    const std::string end = ":00000001FF\n";
    ExpectRefused(
        {
            {":0100200033AC\n:020000000102FA\n", 2, "checksum 0xFA is wrong"},
            {"0100200033AC\n", 1, "does not start with ':'"},
            {":01002000G3AC\n", 1, "0x47 at column 10"},
            {":0100200033A\n", 1, "odd number"},
            {":0200200033AC\n", 1, "says 2 data bytes, the record holds 1"},
            {":0000\n", 1, "too short"},
            {":00000006FA\n", 1, "unknown record type 06"},
            {":0100000401FA\n", 1, "type 04 record holds 2 data bytes, not 1"},
            {":0200100055AAEF\n\n:010011007777\n", 3, "0x11 was given by an earlier record"},
            {(end + ":0100200033AC\n").c_str(), 2, "after the end-of-file record"},
            {":0100200033AC\n:0100200033AC", 2, "earlier record"},
            {":0100200033AC\n\n", 1, "no end-of-file record"},
            {"\n \r\n\n", 3, "no end-of-file record"},
        },
        true);
}

TEST(SRecord, RoundTripsWithTheNarrowestAddresses) {
    struct {
        uint32_t address;
        char data, end;
    } widths[] = {{0x0, '1', '9'}, {0xFFF0, '2', '8'}, {0x7FFFF0, '2', '8'}, {0x1000000, '3', '7'}};
    const TBytes data = Counting(40);
    for (const auto& w : widths) {
        SCOPED_TRACE(w.address);
        TSRecordWriter writer(w.address, 40, "sram");
        const std::string text = Written(writer, data);
        const auto lines = Lines(text);
        ASSERT_EQ(lines.size(), 6u) << text;
        EXPECT_EQ(lines[0], "S00700007372616D45") << "the header names its source";
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(lines[i][1], w.data) << lines[i];
        EXPECT_EQ(lines[4].substr(0, 2), "S5");
        EXPECT_EQ(lines[5][1], w.end);
        const auto segments = ReadBack(text, false);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0].address, w.address);
        EXPECT_EQ(segments[0].bytes, data);
    }

    // Past 65535 data records the count needs three bytes.
    const TBytes many = Counting(16 * 0x10000 + 1);
    TSRecordWriter writer(0, static_cast<uint32_t>(many.size()), "sdram");
    const auto lines = Lines(Written(writer, many));
    EXPECT_EQ(lines[lines.size() - 2], "S604010001F9");
}

TEST(SRecord, ReadsTheFormatsOwnExampleAndPlacesGaps) {
    const auto segments =
        ReadBack("S00F000068656C6C6F202020202000003C\n"
                 "S11F00007C0802A6900100049421FFF07C6C1B787C8C23783C6000003863000026\n"
                 "S11F001C4BFFFFE5398000007D83637880010014382100107C0803A64E800020E9\n"
                 "S111003848656C6C6F20776F726C642E0A0042\n"
                 "S5030003F9\n"
                 "S9030000FC\n",
                 false);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].bytes.size(), 0x46u);
    EXPECT_EQ(std::string(segments[0].bytes.begin() + 0x38, segments[0].bytes.begin() + 0x44),
              "Hello world.");

    // Mixed widths, out of order, with gaps; lower case; no count record.
    const auto gaps = ReadBack("S20501002001D8\ns1040012cc1d\nS1050010AABB85\nS9030000FC\n", false);
    ASSERT_EQ(gaps.size(), 2u);
    EXPECT_EQ(gaps[0].address, 0x10u);
    EXPECT_EQ(gaps[0].bytes, (TBytes{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(gaps[1].address, 0x10020u);
}

TEST(SRecord, NamesTheLineAndTheFault) {
    ExpectRefused(
        {
            {"S1050010AABB84\nS9030000FC\n", 1,
             "checksum 0x84 is wrong; the record's bytes need 0x85"},
            {"S1050010AABB85\nX9030000FC\n", 2, "does not start with 'S'"},
            {"S4030000FC\n", 1, "unknown record type S4"},
            {"S\n", 1, "unknown record type"},
            {"S1060010AABB85\n", 1, "says 6 bytes follow it, the record holds 5"},
            {"S10300\n", 1, "too short"},
            {"S1050010AABB85\nS1040011CC1E\n", 2, "0x11 was given by an earlier record"},
            {"S1050010AABB85\nS5030002FA\nS9030000FC\n", 2, "says 2 data records, the file has 1"},
            {"S904000001FA\n", 1, "holds no data"},
            {"S9030000FC\nS1050010AABB85\n", 2, "after the end record"},
            // Without an end record: cut at the line end, inside a record,
            // or after records the count does not cover.
            {"S1050010AABB85\nS5030001FB", 2, "no end record (S7, S8 or S9): the file may be cut"},
            {"S1050010AABB85\nS10500", 2, "too short"},
            {"S1050010AABB85\nS5030001FB\nS1040012CC1D\n", 3,
             "count record on line 2 says 1 data records, the file has 2"},
        },
        false);
}

// srec_cat leaves the end record out of a file with no start address.
TEST(SRecord, AFileWithoutAnEndRecordEndsAtALineEnd) {
    const TBytes data = Counting(40);
    TSRecordWriter writer(0x100, 40, "HDR");
    std::string text = Written(writer, data);
    text.erase(text.rfind("S9"));
    ASSERT_EQ(Lines(text).back().substr(0, 2), "S5");
    const auto segments = ReadBack(text, false);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0x100u);
    EXPECT_EQ(segments[0].bytes, data);
    // Nor is a count record needed.
    EXPECT_EQ(ReadBack("S1050010AABB85\n\n", false).at(0).bytes, (TBytes{0xAA, 0xBB}));
}

// A source that hands the text on a few bytes at a time reads as the whole
// text does, a record split at every place; a line too long for any record is
// refused, not held.
TEST(RecordLines, ATextInPiecesReadsAsTheWholeText) {
    const TBytes data = Counting(3000);
    TIntelHexWriter writer(0xFFF0);
    const std::string text = Written(writer, data);
    size_t at = 0, call = 0;
    TRecordLines lines{TTextSource([&](char* buffer, size_t size) {
        const size_t n = std::min({size, text.size() - at, ++call % 7 + 1});
        std::copy_n(text.data() + at, n, buffer);
        at += n;
        return n;
    })};
    TRecordImage image;
    TRecordError error;
    ASSERT_TRUE(ReadIntelHex(lines, image, error)) << error.line << ": " << error.what;
    const auto segments = image.TakeSegments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0xFFF0u);
    EXPECT_EQ(segments[0].bytes, data);

    const std::string endless = ":00000001FF\n\n" + std::string(kMaxRecordLine + 1, '0');
    at = 0;
    TRecordLines longLine{TTextSource([&](char* buffer, size_t size) {
        const size_t n = std::min(size, endless.size() - at);
        std::copy_n(endless.data() + at, n, buffer);
        at += n;
        return n;
    })};
    EXPECT_FALSE(ReadIntelHex(longLine, image, error));
    EXPECT_EQ(error.line, 3u);
    EXPECT_NE(error.what.find("longer than"), std::string::npos) << error.what;
}

} // namespace
