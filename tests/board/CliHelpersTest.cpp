// The plain helpers of kbr370: numbers, the memory table and the output file
// that appears only when complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliError.h"
#include "cli/MemoryCommands.h"
#include "cli/Number.h"
#include "cli/OutputFile.h"
#include "cli/YesNoQuestion.h"
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
    // 2^34 G is 2^64: wrapped, it would be 0.
    for (const char* past : {"17179869184G", "0x400000000G", "1099511627776G"})
        EXPECT_FALSE(ParseNumber(past, UINT64_MAX)) << past;
    EXPECT_EQ(ParseNumber("17179869183G", UINT64_MAX), uint64_t{17179869183} << 30);
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

std::string UsageErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TCliError& e) {
        EXPECT_EQ(e.Code(), kExitUsage) << e.what();
        return e.what();
    }
    ADD_FAILURE() << "no usage error";
    return {};
}

TEST(CliOutputFile, AppearsOnlyOnCommit) {
    TempDir dir;
    const std::string path = dir.File("out.bin");
    WriteFile(path, "old contents");
    {
        TOutputFile out(path);
        out.Write("new", 3);
        EXPECT_TRUE(fs::exists(out.TempPath()));
        EXPECT_TRUE(fs::equivalent(fs::path(out.TempPath()).parent_path(), dir.Path()))
            << "beside it";
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
    {
        // Written in place: a device is never renamed over.
        TOutputFile null("/dev/null");
        null.Write("gone", 4);
        null.Commit();
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
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

// /dev/fd/N is the open descriptor N, written as the bytes come.
TEST(CliOutputFile, DescriptorNamesAreStreams) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    {
        TOutputFile out("/dev/fd/" + std::to_string(ends[1]));
        EXPECT_TRUE(out.TempPath().empty());
        EXPECT_FALSE(out.IsStandardOutput());
        out.Write("piped", 5);
        out.Commit();
    }
    close(ends[1]);
    char got[16] = {};
    EXPECT_EQ(read(ends[0], got, sizeof got), 5);
    EXPECT_STREQ(got, "piped");
    close(ends[0]);
    EXPECT_TRUE(TOutputFile("-").IsStandardOutput());
    EXPECT_TRUE(TOutputFile("/dev/stdout").IsStandardOutput());
    EXPECT_NE(UsageErrorOf([] { TOutputFile bad("/dev/fd/999"); }).find("999 is not open"),
              std::string::npos);
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

namespace {

// Both steps that lose the flash's content ask the one question, by the same rules.
TEST(CliYesNoQuestion, AsksUntilAnsweredAndRefusesWithoutATerminal) {
    struct TCase {
        bool yes, terminal;
        std::string input;
        ExitCode code;
        int questions; // the question, then each time it was asked again
    };
    const TCase cases[] = {
        {true, false, "", kExitOk, 0},          // --yes: nothing asked, no terminal needed
        {false, false, "y\n", kExitUsage, 0},  // no terminal: no one to ask
        {false, true, "y\n", kExitOk, 1},
        {false, true, " YES \n", kExitOk, 1},
        {false, true, "maybe\nyes\n", kExitOk, 2},
        {false, true, "n\n", kExitFailure, 1},
        {false, true, "\n", kExitFailure, 1},   // empty is the default, no
        {false, true, "", kExitFailure, 1},     // the end of the input is no
        {false, true, "sure\n", kExitFailure, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.input);
        std::istringstream in(c.input);
        std::ostringstream out;
        std::string reason;
        try {
            ConfirmLoss("erase the whole flash", c.yes, c.terminal, in, out);
            EXPECT_EQ(c.code, kExitOk);
        } catch (const TCliError& e) {
            EXPECT_EQ(e.Code(), c.code) << e.what();
            reason = e.what();
        }
        const std::string asked = out.str();
        size_t questions = 0;
        for (size_t at = 0; (at = asked.find("kbr370: ", at)) != std::string::npos; ++at)
            ++questions;
        EXPECT_EQ(questions, size_t(c.questions)) << asked;
        if (c.questions > 0) {
            EXPECT_EQ(asked.rfind("kbr370: erase the whole flash? What it holds now is lost. [y/N] ", 0), 0u)
                << asked;
        }
        if (c.code == kExitUsage) {
            EXPECT_NE(reason.find("--yes"), std::string::npos) << reason;
        }
    }
    // A question about what a person sees has no default: it is asked again.
    std::istringstream in("\nn\n");
    std::ostringstream out;
    EXPECT_FALSE(AskYesNo("Is LED 0 lit?", in, out));
    EXPECT_EQ(out.str(), "kbr370: Is LED 0 lit? [y/n] kbr370: please answer y or n: ");
}

} // namespace
