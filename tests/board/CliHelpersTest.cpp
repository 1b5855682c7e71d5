// The plain helpers of kbr370: numbers, the memory table, content files and
// the output file that appears only when complete.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli/CliError.h"
#include "cli/ContentFile.h"
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

// The bytes of a file that holds one run, read with room for 1 MiB.
std::vector<uint8_t> Content(const std::string& path,
                             std::optional<TContentFormat> format = std::nullopt) {
    const auto segments = ReadContentFile(path, format, 1 << 20);
    EXPECT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments.at(0).address, 0u);
    return segments.at(0).bytes;
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

TEST(CliContentFile, BinaryHexAndRecordFiles) {
    TempDir dir;
    WriteFile(dir.File("a.bin"), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(Content(dir.File("a.bin")), (std::vector<uint8_t>{0x00, 0x01, 0xFF}));
    // Larger than the room: refused by its size.
    EXPECT_NE(UsageErrorOf([&] {
                  ReadContentFile(dir.File("a.bin"), std::nullopt, 2);
              }).find("holds 0x3 bytes; the memory has 0x2"),
              std::string::npos);

    // HEX text as xxd -p writes it: either case, line breaks.
    WriteFile(dir.File("b.HeX"), "00ab\nF0\r\n");
    EXPECT_EQ(Content(dir.File("b.HeX")), (std::vector<uint8_t>{0x00, 0xAB, 0xF0}));
    for (const char* bad : {"ABC", "", "\n\n", "00 AB", "0x00"}) {
        WriteFile(dir.File("bad.hex"), bad);
        UsageErrorOf([&] { ReadContentFile(dir.File("bad.hex"), std::nullopt, 100); });
    }
    WriteFile(dir.File("c.hex"), "0011\n22x3\n");
    const std::string why = UsageErrorOf([&] { Content(dir.File("c.hex")); });
    EXPECT_NE(why.find("invalid hex file.: character 0x78 at offset 7 (line 2)"), std::string::npos)
        << why;

    // A .hex file that starts with ':' is Intel HEX; --format binary takes it as it is.
    const std::string ihex = ":0200100055AAEF\n:00000001FF\n";
    WriteFile(dir.File("i.hex"), ihex);
    auto segments = ReadContentFile(dir.File("i.hex"), std::nullopt, 100);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0x10u);
    EXPECT_EQ(Content(dir.File("i.hex"), TContentFormat::Binary).size(), ihex.size());
    // A bad record names the file and its line.
    WriteFile(dir.File("bad.s19"), "S1050010AABB85\nS1050010AABB84\n");
    EXPECT_NE(UsageErrorOf([&] { Content(dir.File("bad.s19")); }).find("bad.s19 line 2: checksum"),
              std::string::npos);
    WriteFile(dir.File("none.srec"), "S0030000FC\nS9030000FC\n");
    EXPECT_NE(UsageErrorOf([&] { Content(dir.File("none.srec")); }).find("no data records"),
              std::string::npos);

    WriteFile(dir.File("empty.bin"), "");
    UsageErrorOf([&] { Content(dir.File("empty.bin")); });
    UsageErrorOf([&] { Content(dir.File("missing.bin")); });
    EXPECT_NE(UsageErrorOf([&] { Content(dir.Path()); }).find("directory"), std::string::npos);
}

// A FIFO is read to its end, however much its writer sends at a time; a
// stream longer than the room is cut off, not read without end.
TEST(CliContentFile, PipesAreReadToTheirEnd) {
    TempDir dir;
    const std::string fifo = dir.File("in.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big(200000, 'z');
    std::thread writer([&] { WriteFile(fifo, big); });
    EXPECT_EQ(Content(fifo), std::vector<uint8_t>(big.begin(), big.end()));
    writer.join();

    // The writer then finds no reader: an error for it, not a signal for the test.
    signal(SIGPIPE, SIG_IGN);
    std::thread endless([&] { WriteFile(fifo, big); });
    EXPECT_NE(UsageErrorOf([&] {
                  ReadContentFile(fifo, std::nullopt, 1000);
              }).find("more than 0x3E8 bytes"),
              std::string::npos);
    endless.join();
}

// Text files are read as they are decoded: a huge sparse file whose first
// line is bad is refused at once, in a child whose address space may grow by
// no more than 64 MiB, and in little time.
TEST(CliContentFile, AHugeTextFileIsRefusedAtItsFirstLine) {
    TempDir dir;
    constexpr off_t kHuge = off_t{16} << 30;
    struct {
        const char* name;
        const char* start; // before the holes' NULs
        const char* why;
    } files[] = {
        {"a.ihex", "", "line 1: the line is longer than"},
        {"b.srec", "S1 is not a record\n", "line 1: character 0x20"},
        {"c.hex", "00ff", "character 0x00 at offset 4 (line 1)"},
    };
    for (const auto& f : files) {
        const std::string path = dir.File(f.name);
        WriteFile(path, f.start);
        ASSERT_EQ(truncate(path.c_str(), kHuge), 0) << path;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ifstream status("/proc/self/status");
        uint64_t vmKiB = 0;
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                vmKiB = std::stoull(line.substr(7));
        const rlimit bound{(vmKiB << 10) + (64u << 20), (vmKiB << 10) + (64u << 20)};
        if (vmKiB == 0 || setrlimit(RLIMIT_AS, &bound) != 0)
            _exit(10);
        int refused = 0;
        for (const auto& f : files) {
            try {
                ReadContentFile(dir.File(f.name), std::nullopt, 128u << 20);
            } catch (const TCliError& e) {
                refused += std::string(e.what()).find(f.why) != std::string::npos;
                if (std::string(e.what()).find(f.why) == std::string::npos)
                    std::fprintf(stderr, "%s\n", e.what());
            } catch (const std::bad_alloc&) {
                _exit(11);
            }
        }
        _exit(refused == 3 ? 0 : 12);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no bound set, 11: out of memory, 12: not refused";
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    EXPECT_LT(cpu, 2.0) << "seconds: the files were read further than their first line";
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
