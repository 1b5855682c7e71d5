// The plain helpers of kbr370: numbers, the memory table, content files and
// the output file that appears only when complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliError.h"
#include "cli/ContentFile.h"
#include "cli/Number.h"
#include "cli/MemoryCommands.h"
#include "cli/OutputFile.h"
#include "tests/support/TestVBoard.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

ExitCode CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TCliError& e) {
        return e.Code();
    }
    return kExitOk;
}

TEST(CliNumber, PrefixesSuffixesAndLimits) {
    const auto any = UINT32_MAX;
    EXPECT_EQ(ParseNumber("255", any), 255u) << "plain digits are decimal";
    EXPECT_EQ(ParseNumber("0xfF", any), 255u);
    EXPECT_EQ(ParseNumber("0b1010", any), 10u);
    EXPECT_EQ(ParseNumber("0B11", any), 3u);
    EXPECT_EQ(ParseNumber("4K", any), 4096u);
    EXPECT_EQ(ParseNumber("0x10k", any), 0x4000u);
    EXPECT_EQ(ParseNumber("2M", any), 2u << 20);
    EXPECT_EQ(ParseNumber("3G", UINT64_MAX), uint64_t{3} << 30);
    EXPECT_EQ(ParseNumber("0xB", any), 11u) << "B is a hex digit, not a suffix";
    EXPECT_EQ(ParseNumber("0x000000000010", any), 0x10u) << "leading zeros do not overflow";
    EXPECT_EQ(ParseNumber("0xFFFFFFFF", any), 0xFFFFFFFFu);

    std::string why;
    for (const char* bad : {"", "0x", "K", "0xK", "12z", "0b102", "1A", " 1", "1 ", "-1", "+1",
                            "0x1z", "1KK", "1.5K"}) {
        why.clear();
        EXPECT_FALSE(ParseNumber(bad, any, &why)) << '"' << bad << '"';
        EXPECT_FALSE(why.empty()) << '"' << bad << '"';
    }
    EXPECT_FALSE(ParseNumber("0x100000000", any, &why));
    EXPECT_NE(why.find("0xFFFFFFFF"), std::string::npos) << why;
    EXPECT_FALSE(ParseNumber("4G", any)) << "a suffix past the limit";
    EXPECT_FALSE(ParseNumber("99999999999999999999999G", UINT64_MAX)) << "never wraps";
    EXPECT_FALSE(ParseNumber("256", 0xFF));

    try {
        NumberArgument("12z", "count", any);
        ADD_FAILURE() << "no usage error";
    } catch (const TCliError& e) {
        EXPECT_EQ(e.Code(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("count \"12z\""), std::string::npos) << e.what();
    }
}

TEST(CliMemoryTable, CodesSizesAndRanges) {
    ASSERT_NE(FindMemoryArgument("SDRAM"), nullptr);
    EXPECT_EQ(FindMemoryArgument("sram")->code, 6);
    EXPECT_EQ(FindMemoryArgument("Eeprom")->code, 5);
    EXPECT_EQ(FindMemoryArgument("sdram")->code, 7);
    EXPECT_EQ(FindMemoryArgument("flash")->code, 3);
    EXPECT_EQ(FindMemoryArgument("flash")->size, 0x800000u);
    EXPECT_EQ(FindMemoryArgument("epcs"), nullptr);
    EXPECT_EQ(FindMemoryArgument("sram "), nullptr);

    const TMemory& eeprom = *FindMemoryArgument("eeprom");
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0, 0x1000); }), kExitOk);
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0xFFF, 1); }), kExitOk);
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0xFFF, 2); }), kExitUsage);
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0x1000, 0); }), kExitUsage);
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0, 0x100000000ull); }), kExitUsage);
    EXPECT_EQ(CodeOf([&] { CheckMemoryRange(eeprom, 0xFFFFFFFF, 1); }), kExitUsage);
}

TEST(CliContentFile, BinaryAndHexFiles) {
    TempDir dir;
    WriteFile(dir.File("a.bin"), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(ContentFileByteCount(dir.File("a.bin")), 3u);
    EXPECT_EQ(ReadContentFile(dir.File("a.bin")), (std::vector<uint8_t>{0x00, 0x01, 0xFF}));

    WriteFile(dir.File("b.HeX"), "00ABF0");
    EXPECT_EQ(ContentFileByteCount(dir.File("b.HeX")), 3u);
    EXPECT_EQ(ReadContentFile(dir.File("b.HeX")), (std::vector<uint8_t>{0x00, 0xAB, 0xF0}));
    // Two upper-case digits a byte, as kbr370 writes them; nothing to write is no file.
    for (const char* bad : {"00aB", "ABC", ""}) {
        WriteFile(dir.File("bad.hex"), bad);
        EXPECT_EQ(CodeOf([&] { CheckContentFile(dir.File("bad.hex")); }), kExitUsage) << bad;
        EXPECT_EQ(CodeOf([&] { ReadContentFile(dir.File("bad.hex")); }), kExitUsage) << bad;
    }
    WriteFile(dir.File("empty.bin"), "");
    EXPECT_EQ(CodeOf([&] { ContentFileByteCount(dir.File("empty.bin")); }), kExitUsage);

    WriteFile(dir.File("c.hex"), "0011\n");
    try {
        ReadContentFile(dir.File("c.hex"));
        ADD_FAILURE() << "accepted a line end";
    } catch (const TCliError& e) {
        EXPECT_EQ(e.Code(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("invalid hex file."), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("offset 4"), std::string::npos) << e.what();
    }

    EXPECT_EQ(CodeOf([&] { ContentFileByteCount(dir.File("missing.bin")); }), kExitUsage);
    EXPECT_EQ(CodeOf([&] { ReadContentFile(dir.Path()); }), kExitUsage) << "a directory";
}

TEST(CliOutputFile, AppearsOnlyOnCommit) {
    TempDir dir;
    const std::string path = dir.File("out.bin");
    WriteFile(path, "old contents");
    {
        TOutputFile out(path);
        out.Write("new", 3);
        EXPECT_TRUE(fs::exists(out.TempPath()));
        EXPECT_TRUE(fs::equivalent(fs::path(out.TempPath()).parent_path(), dir.Path())) << "beside it";
        EXPECT_EQ(ReadFile(path), "old contents");
    }
    EXPECT_EQ(ReadFile(path), "old contents") << "abandoned: the old file stays";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";

    {
        TOutputFile out(path);
        out.Write("new", 3);
        out.Write(" bytes", 6);
        out.Commit();
    }
    EXPECT_EQ(ReadFile(path), "new bytes");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Permissions follow the umask as for any created file, not mkstemp's 0600.
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

    EXPECT_EQ(CodeOf([&] { TOutputFile bad(dir.File("no/such/dir/out.bin")); }), kExitUsage);
    EXPECT_EQ(CodeOf([&] { TOutputFile bad("/dev/null"); }), kExitUsage) << "never renamed over";
    EXPECT_EQ(CodeOf([&] { TOutputFile bad(dir.Path()); }), kExitUsage);

    // Through a symbolic link the file it names is replaced, and the link stays.
    fs::create_symlink(path, dir.File("link.bin"));
    {
        TOutputFile out(dir.File("link.bin"));
        out.Write("via link", 8);
        out.Commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir.File("link.bin")));
    EXPECT_EQ(ReadFile(path), "via link");
}

// A replaced file keeps its mode; a read-only one is not replaced; a link
// that another user planted in a sticky directory is not followed.
TEST(CliOutputFile, KeepsTheModeAndRefusesWhatIsNotOursToReplace) {
    TempDir dir;
    const std::string path = dir.File("private.bin");
    WriteFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    {
        TOutputFile out(path);
        out.Write("new", 3);
        out.Commit();
    }
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(CodeOf([&] { TOutputFile bad(path); }), kExitUsage);
    EXPECT_EQ(ReadFile(path), "new");

    auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "a link of another user: only when run as root";
    const std::string shared = dir.File("shared");
    ASSERT_EQ(mkdir(shared.c_str(), 01777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/dump.bin";
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    fs::create_symlink(path, planted);
    ASSERT_EQ(lchown(planted.c_str(), other->uid, other->gid), 0);
    try {
        TOutputFile bad(planted);
        ADD_FAILURE() << "followed another user's link";
    } catch (const TCliError& e) {
        EXPECT_EQ(e.Code(), kExitUsage);
        EXPECT_NE(std::string(e.what()).find("belongs to another user"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadFile(path), "new");
}

} // namespace
