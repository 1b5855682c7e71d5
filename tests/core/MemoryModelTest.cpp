// The memory page's model without pixels: size texts, the hex fields' checks
// and their three messages, steps and per cents, and the replacing file.
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

#include "core/devices/MemoryModel.h"
#include "core/files/ReplacingFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestVBoard.h"

namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int EntriesIn(const std::string& dir) {
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            n += name != "." && name != "..";
        }
        closedir(d);
    }
    return n;
}

TEST(MemoryModel, TypeListAndFieldTexts) {
    const char* expected[] = {"SRAM (100000h WORDS, 2 MB)", "EEPROM (800h WORDS, 4 KB)",
                              "SDRAM (4000000h WORDS, 128 MB)", "FLASH (400000h WORDS, 8 MB)"};
    const char* zeros[] = {"00000", "000", "0000000", "000000"};
    const char* counts[] = {"100000", "800", "4000000", "400000"};
    ASSERT_EQ(kbr::wire::kMemoryCount, 4);
    for (int i = 0; i < kbr::wire::kMemoryCount; ++i) {
        const kbr::wire::TMemory& m = kbr::wire::kMemories[i];
        EXPECT_EQ(SizeText(m.name, m.size), expected[i]);
        EXPECT_EQ(ZeroAddressText(WordCount(m)), zeros[i]);
        EXPECT_EQ(WordCountText(WordCount(m)), counts[i]);
    }
    EXPECT_EQ(SizeText("SRAM", 0x100000), "SRAM (80000h WORDS, 1 MB)");
    EXPECT_EQ(SizeText("SRAM", 0x3FF), "SRAM (1FFh WORDS, 1023 Bytes)");
    EXPECT_EQ(SizeText("X", 0x80000000u), "X (40000000h WORDS, 2 GB)");
}

TEST(MemoryModel, HexInputChecksAndTheirThreeMessages) {
    const THexInput top = CheckHexInputText("FFFFF", "Address", 0xFFFFF, 0);
    EXPECT_TRUE(top.ok);
    EXPECT_EQ(top.value, 0xFFFFF);
    EXPECT_EQ(CheckHexInputText("100000", "Address", 0xFFFFF, 0).message,
              "The input value(100000) for the field 'Address' is expected to less or equal to "
              "FFFFFh.");
    // Only the low 32 bits count, as a signed number.
    EXPECT_EQ(CheckHexInputText("FFFFFFFF", "Address", 0xFFFFF, 0).message,
              "The intput value(FFFFFFFF) for the field 'Address' is expected to larger or equal "
              "to 0h.");
    EXPECT_EQ(CheckHexInputText("0", "Length", 0x10, 1).message,
              "The intput value(0) for the field 'Length' is expected to larger or equal to 1h.");
    EXPECT_EQ(CheckHexInputText("", "wDATA", 0xFFFF, 0).message, "Value '' is invalid for 'wDATA'");
    for (const char* bad : {"0x10", "1 2", "G", "-1"})
        EXPECT_EQ(CheckHexInputText(bad, "Address", 0x7FFFFFFF, 0).message,
                  std::string("Value '") + bad + "' is invalid for 'Address'");
    EXPECT_EQ(CheckHexInputText("10000", "wDATA", 0xFFFF, 0).message,
              "The input value(10000) for the field 'wDATA' is expected to less or equal to FFFFh.");
    EXPECT_TRUE(CheckHexInputText("abCD", "wDATA", 0xFFFF, 0).ok);
}

TEST(MemoryModel, StepsAndPercents) {
    EXPECT_EQ(TransferStep(0x8000000, 0), 0x8000000u / 20);
    EXPECT_EQ(TransferStep(0x100000, 32743), 32743u);
    EXPECT_EQ(TransferStep(5, 32743), 5u);
    // 128 MB x 100 does not fit 32 bits.
    EXPECT_EQ(PercentDone(0x8000000 - 1, 0x8000000), 99);
    EXPECT_EQ(PercentDone(63, 64), 98);
    EXPECT_EQ(ContentBytesOfFile(5, true), 3u);
    EXPECT_EQ(ContentBytesOfFile(5, false), 5u);
}

TEST(ReplacingFile, OldFileSurvivesUntilCommitAndNoTempIsLeft) {
    TempDir dir;
    const std::string path = dir.File("image.bin");
    std::ofstream(path) << "old";
    {
        TReplacingFile file;
        ASSERT_TRUE(file.Create(path));
        ASSERT_TRUE(file.Write("new!", 4));
        EXPECT_EQ(Contents(path), "old");
    } // abandoned
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);

    // A full disk: the file-size limit makes a write come up short.
    {
        TReplacingFile file;
        ASSERT_TRUE(file.Create(path));
        const std::string big(4000, 'x');
        FileSizeLimit full(1000);
        EXPECT_FALSE(file.Write(big.data(), big.size()));
    }
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);

    TReplacingFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Write("new!", 4));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Contents(path), "new!");
    EXPECT_EQ(EntriesIn(dir.Path()), 1);
    EXPECT_FALSE(file.Create(dir.Path() + "/missing/x.bin"));
}

} // namespace
