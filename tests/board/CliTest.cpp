// The built kbr370 against a real virtual board: output, exit statuses and
// the files it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/UnixSocket.h"
#include "platform/Version.h"
#include "platform/VBoardDir.h"
#include "tests/support/CliRun.h"

namespace {

namespace fs = std::filesystem;

size_t FilesIn(const std::string& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(Cli, BoardCommandsPrintAndReachTheBoard) {
    TestVBoard vb;
    CliResult r = Cli({"info"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "board: KBR_370\nlink: KBR-370 virtual board at " + vb.Dir() + "\n");

    r = Cli({"leds", "0x7FFFFFF"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get leds"), "0x07FFFFFF");
    r = Cli({"seg7", "0x12345678"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get seg7"), "0x12345678 0x00");
    r = Cli({"seg7", "51966", "0b10100101"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get seg7"), "0x0000CAFE 0xA5");

    vb.CtlOk("set inputs 0x20000A");
    r = Cli({"inputs"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "0x0020000A\n");

    r = Cli({"sd"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Card Identification\n-Manufacturer ID:")) << r.out;
    EXPECT_TRUE(Contains(r.out, "-Memory Capacity:7579MB\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "File System: FAT32\n")) << r.out;
    // Each run: the name query, then its own command.
    EXPECT_EQ(vb.CtlOk("log requests"), "00 00 05 00 07 00 07 00 06 00 09");

    vb.CtlOk("sd remove");
    r = Cli({"sd"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "Please make sure a SDCARD is pluged into the KBR-370.")) << r.err;
    EXPECT_TRUE(r.out.empty());

    vb.CtlOk("fault status:1");
    r = Cli({"leds", "1"});
    EXPECT_EQ(r.code, 1) << "the board refused its name query";
    EXPECT_TRUE(Contains(r.err, "name")) << r.err;
    EXPECT_EQ(vb.CtlOk("log requests"), "00 09 00") << "nothing sent after a refused name";
}

TEST(Cli, BadUsageIsRefusedBeforeTheBoardIsTouched) {
    TestVBoard vb;
    TempDir dir;
    WriteFile(dir.File("five.bin"), "12345");
    WriteFile(dir.File("bad.hex"), "0011 \n");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"bogus"},
        {"leds"},
        {"leds", "zz"},
        {"leds", "0x100000000"},
        {"leds", "0x8000000"},
        {"seg7", "1", "0x100"},
        {"mem", "read", "dram", "0x0", "0x10", "-o", dir.File("x.bin")},
        {"mem", "read", "sram", "1O", "0x10", "-o", dir.File("x.bin")},
        {"mem", "read", "sram", "0x0", "2Q", "-o", dir.File("x.bin")},
        {"mem", "read", "sram", "0x0", "0x0", "-o", dir.File("x.bin")},
        {"mem", "read", "eeprom", "0xFF0", "0x11", "-o", dir.File("x.bin")},
        {"mem", "read", "eeprom", "0x1000", "0x1", "-o", dir.File("x.bin")},
        {"mem", "read", "sram", "0x0", "0x10"},
        {"mem", "read", "sram", "0x0", "0x10", "-o", dir.File("no/such/dir/x.bin")},
        {"mem", "write", "sram", "0x0", dir.File("missing.bin")},
        {"mem", "write", "eeprom", "0xFFC", dir.File("five.bin")},
        {"mem", "write", "sram", "0x0", dir.File("bad.hex")},
        {"mem", "write", "sram", "0x0", dir.Path()},
        {"--time-limit", "0", "info"},
        {"--time-limit", "-5", "info"},
        {"--time-limit", "soon", "info"},
        {"configure", dir.File("nosuch.sof")},
        {"configure", dir.Path()},
        {"ps2", "watch", "--seconds", "nan"},
        {"ps2", "watch", "--seconds", "inf"},
        {"ps2", "watch", "--seconds", "1e19"},
        {"ps2", "watch", "--seconds", "0"},
        {"ps2", "watch", "--seconds", "-1"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        SCOPED_TRACE(line);
        CliResult r = Cli(args);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "");
    EXPECT_EQ(FilesIn(dir.Path()), 2u) << "no output file or temporary file";

    EXPECT_TRUE(Contains(Cli({"mem", "write", "sram", "0x0", dir.File("bad.hex")}).err,
                         "invalid hex file."));
    // Too large for the EEPROM as well, but the bad character is what is wrong with it.
    WriteFile(dir.File("big.hex"), std::string(0x3000, '0') + "x");
    EXPECT_TRUE(Contains(Cli({"mem", "write", "eeprom", "0x0", dir.File("big.hex")}).err,
                         "invalid hex file.: character 0x78 at offset 12288"));
    EXPECT_TRUE(Contains(Cli({"configure", dir.Path()}).err, dir.Path() + " is not a file"));
    EXPECT_TRUE(Contains(Cli({"leds", "0x8000000"}).err, "0x7FFFFFF"));
    EXPECT_TRUE(Contains(Cli({"configure", dir.File("nosuch.sof")}).err,
                         "Can not find the file: nosuch.sof"));
    CliResult help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(Contains(help.out, "mem")) << help.out;
    help = Cli({"inputs", "--help"});
    EXPECT_TRUE(Contains(help.out, "keys in bits 0-3, switches in bits 4-21")) << help.out;
}

// A usage error names what was typed wrong and what to type instead, before
// anything reaches the board.
TEST(Cli, UsageMistakesAreNamedWithTheirRemedy) {
    TestVBoard vb;
    TempDir dir;
    const std::string out = dir.File("x.bin");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"info", "--time-limit", "500"},
         "--time-limit goes before the command: kbr370 --time-limit 500 info"},
        {{"mem", "read", "sram", "0", "16", "--cable=virtual", "-o", out},
         "--cable goes before the command: kbr370 --cable=virtual mem read sram 0 16 -o " + out},
        {{"--yes", "mem", "erase"}, "--yes goes after the command: kbr370 mem erase --yes"},
        {{"mem", "read", "sram", "0", "16", "--ouput", out},
         "unknown option --ouput; did you mean --output? (kbr370 mem read --help tells more)"},
        {{"mem", "read", "sram", "0", "16"}, "--output is required"},
        {{"info", "--frobnicate"}, "unknown option --frobnicate (kbr370 info --help tells more)"},
        {{"info", "one", "two", "three"},
         "the following arguments were not expected: one two three (kbr370 info --help"},
        {{"--cable", "virtul", "info"}, "unknown cable \"virtul\" (did you mean virtual?)"},
        {{"--cable", "usb-blastr", "info"}, "(did you mean usb-blaster?)"},
        {{"--cable", "Blaster on labhost", "info"}, "such as \"USB-Blaster [1-1.4]\""},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const CliResult r = Cli(args);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_EQ(r.err.rfind("kbr370: ", 0), 0u) << r.err;
        EXPECT_TRUE(Contains(r.err, message)) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "");
    EXPECT_EQ(FilesIn(dir.Path()), 0u);

    // A name as jtagconfig prints it goes to the cable's driver as it is.
    const CliResult named = Cli({"--cable", "USB-Blaster on labhost [1-1.4]", "info"});
    EXPECT_EQ(named.code, 1) << named.err;
    EXPECT_FALSE(Contains(named.err, "unknown cable")) << named.err;
}

// Someone else may have made the board directory first (under /tmp anyone
// can), or left it open: then nothing of ours goes there.
TEST(Cli, BoardDirectoryNotOursGetsNothing) {
    TestVBoard vb;
    TempDir dir;
    WriteFile(dir.File("secret.bin"), "secret");
    auto refused = [&](const std::string& why) {
        CliResult r = Cli({"mem", "write", "sram", "0x0", dir.File("secret.bin")});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.err, why)) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    };
    ASSERT_EQ(chmod(vb.Dir().c_str(), 0711), 0);
    refused("has mode 0711; it must be 0700");
    if (auto other = SecondUser()) {
        ASSERT_EQ(chmod(vb.Dir().c_str(), 0700), 0);
        ASSERT_EQ(chown(vb.Dir().c_str(), other->uid, other->gid), 0);
        refused("belongs to another user");
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "");
    EXPECT_EQ(vb.CtlOk("mem read 6 0x0 6"), "000000000000");
    if (!SecondUser())
        GTEST_SKIP() << "another user's directory: only when run as root";
}

// Paths in the environment and on the command line are taken from where the
// program started, though the working directory changes on the way.
TEST(Cli, RelativePathsLeadWhereTheyStarted) {
    TestVBoard vb;
    const fs::path dir = vb.Dir();
    setenv("KBR370_VBOARD_DIR", dir.filename().c_str(), 1);
    CliOptions here;
    here.cwd = dir.parent_path().string();
    CliResult r = Cli({"info"}, here);
    setenv("KBR370_VBOARD_DIR", vb.Dir().c_str(), 1);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "board: KBR_370")) << r.out;
    // Had the name been taken from "/", a daemon of its own would serve there.
    const std::string vboard = TestVBoard::BinDir() + "/kbr370-vboard";
    EXPECT_EQ(std::system((vboard + " stop --dir /" + dir.filename().string()).c_str()), 0);

    TempDir tmp;
    const std::string inTmp = "cd " + tmp.Path() + " && " + vboard;
    ASSERT_EQ(std::system((inTmp + " serve --dir rel").c_str()), 0);
    EXPECT_TRUE(fs::exists(tmp.File("rel/ctl")));
    EXPECT_EQ(std::system((inTmp + " stop --dir rel").c_str()), 0);
    EXPECT_FALSE(fs::exists("/rel"));
    EXPECT_EQ(std::system((vboard + " stop --dir /rel").c_str()), 0);
}

TEST(Cli, HeldLinkAndFailedWritesAreNamedForWhatTheyAre) {
    TestVBoard vb;
    {
        // The panel, for instance, holds the board's one link.
        const int held = platform::ConnectUnix(platform::VBoardLinkSocket(vb.Dir()));
        ASSERT_GE(held, 0);
        CliResult r = Cli({"leds", "1"});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.err, "kbr370: The board's link is in use by another program. "
                                    "Close that program and try again. `kbr370-vboard list` "
                                    "names it.\n"))
            << r.err;
        EXPECT_FALSE(Contains(r.err, "configure")) << r.err;
        close(held);
    }
    // The name query and the first chunk go through, the second chunk is refused.
    TempDir dir;
    WriteFile(dir.File("data.bin"), std::string(0x10000, 'A'));
    vb.CtlOk("fault status:0 2");
    vb.CtlOk("fault status:1");
    CliResult r = Cli({"mem", "write", "sdram", "0x100", dir.File("data.bin")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "failed at byte 0x7FE7 of 0x10000 (address 0x80E7); the memory "
                                "before it was written"))
        << r.err;
}

// `kbr370 inputs --watch`, for instance, holds the board's one link: configuring
// would cut it off and reset the board under it.
TEST(Cli, ConfigureLeavesABoardWhoseLinkIsHeldAlone) {
    TestVBoard vb;
    ASSERT_EQ(Cli({"leds", "0x5A"}).code, 0);
    const int held = platform::ConnectUnix(platform::VBoardLinkSocket(vb.Dir()));
    ASSERT_GE(held, 0);
    CliResult r = Cli({"configure"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "in use by another program")) << r.err;
    EXPECT_FALSE(Contains(r.out, "Configure FPGA")) << r.out;
    EXPECT_EQ(vb.CtlOk("status"), "configured=1 link=open");
    EXPECT_EQ(vb.CtlOk("get leds"), "0x0000005A");

    r = Cli({"configure", "--force"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("status"), "configured=1 link=closed");
    close(held);
}

// What the board says is text for a terminal: no escape sequence and no line
// of its own.
TEST(Cli, BoardTextsReachTheTerminalEscaped) {
    TestVBoard vb;
    vb.CtlOk("sd insert 400E00325B5900003B377F800A400000 1D53441B5B0AE96D104B523730016300 2");
    CliResult r = Cli({"sd"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "\n-Product Name:^[[^J\u00e9m\n-Product Revision:10h\n")) << r.out;
    EXPECT_FALSE(Contains(r.out, "\x1B"));
}

TEST(Cli, MemoryRoundTripsThroughHexAndBinaryFiles) {
    TestVBoard vb;
    TempDir dir;
    std::string digits;
    for (int i = 0; i < 32; ++i)
        digits += "0123456789abcdefFEDCBA9876543210"[i] + std::string(1, "fedcba98765432100123456789ABCDEF"[i]);
    std::string upper = digits;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    WriteFile(dir.File("in.hex"), upper);
    CliResult r = Cli({"mem", "write", "sram", "0x200", dir.File("in.hex")});
    ASSERT_EQ(r.code, 0) << r.err;

    r = Cli({"mem", "read", "sram", "0x200", "0x20", "-o", dir.File("out.HEX")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("out.HEX")), upper) << "64 upper-case digits, no line end";

    r = Cli({"mem", "read", "sram", "0x200", "0x20", "-o", dir.File("out.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bin = ReadFile(dir.File("out.bin"));
    ASSERT_EQ(bin.size(), 32u);
    EXPECT_EQ(static_cast<uint8_t>(bin[0]), 0x0F);
    EXPECT_EQ(static_cast<uint8_t>(bin[31]), 0x0F);
    EXPECT_EQ(vb.CtlOk("mem read 6 0x200 2"), "0F1E");

    // Binary in, at an odd byte address, up to the last byte of the EEPROM.
    WriteFile(dir.File("five.bin"), "ABCDE");
    r = Cli({"mem", "write", "eeprom", "0xFFB", dir.File("five.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("mem read 5 0xFFB 5"), "4142434445");

    // A read over several chunks into an existing file replaces it whole.
    WriteFile(dir.File("big.bin"), "old");
    vb.CtlOk("mem write 7 0x10000 0102");
    vb.CtlOk("mem write 7 0x20000 0304");
    r = Cli({"mem", "read", "sdram", "0x10000", "0x10002", "-o", dir.File("big.bin")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string big = ReadFile(dir.File("big.bin"));
    ASSERT_EQ(big.size(), 0x10002u);
    EXPECT_EQ(big[0], 1);
    EXPECT_EQ(big[0x10000], 3);
    EXPECT_EQ(big[0x10001], 4);
    EXPECT_EQ(FilesIn(dir.Path()), 5u);

    // Names relative to where kbr370 was started, although opening the link
    // moves the current directory.
    CliOptions inDir;
    inDir.cwd = dir.Path();
    r = Cli({"mem", "read", "eeprom", "0xFFB", "0x5", "-o", "rel.bin"}, inDir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("rel.bin")), "ABCDE");
    r = Cli({"mem", "write", "sram", "0x0", "rel.bin"}, inDir);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("mem read 6 0x0 5"), "4142434445");
}

TEST(Cli, BoardDyingDuringAReadLeavesNoFile) {
    TestVBoard vb;
    TempDir dir;
    vb.CtlOk("link rate 4000000");
    WriteFile(dir.File("keep.bin"), "previous");
    CliRun run({"--time-limit", "500", "mem", "read", "sdram", "0x0", "0x800000", "-o",
                dir.File("keep.bin")});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto killedAt = std::chrono::steady_clock::now();
    vb.Kill();
    CliResult r = run.Wait();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - killedAt)
                        .count();
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "reading sdram failed")) << r.err;
    EXPECT_LT(ms, 2500) << "within the limit given, not the board's own 3000 ms";
    EXPECT_EQ(ReadFile(dir.File("keep.bin")), "previous");
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "the temporary file is gone";
}

// Every signal that would end the program cleans up as SIGINT does.
TEST(Cli, InterruptedReadRemovesItsTemporaryFile) {
    TestVBoard vb;
    TempDir dir;
    vb.CtlOk("link rate 2000000");
    for (int signal : {SIGINT, SIGQUIT, SIGUSR1, SIGALRM}) {
        CliRun run({"mem", "read", "sdram", "0x0", "0x800000", "-o", dir.File("dump.hex")});
        // Wait until the read is under way, its temporary file beside the target.
        for (int i = 0; i < 200 && FilesIn(dir.Path()) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(FilesIn(dir.Path()), 1u) << signal;
        run.Signal(signal);
        const CliResult r = run.Wait();
        EXPECT_EQ(r.code, 128 + signal);
        EXPECT_EQ(FilesIn(dir.Path()), 0u) << signal;
    }
}

// Whatever the command, a signal ends it with 128 + the signal's number, as
// its own exit status once it has cleaned up (not by being killed, which
// would also dump a core on SIGQUIT).
TEST(Cli, SignalEndsEveryCommandWithItsStatus) {
    TestVBoard vb;
    TempDir dir;
    vb.CtlOk("link rate 2000000");
    struct Case {
        std::vector<std::string> args;
        int signal;
        const char* what;
    };
    vb.CtlOk("fault stall:20000");
    const std::vector<Case> cases = {
        {{"--time-limit", "30000", "leds", "1"}, SIGTERM, "waiting for the board's reply"},
        {{"inputs", "--watch"}, SIGINT, "watching"},
        {{"ps2", "watch"}, SIGTERM, "streaming"},
        {{"mem", "read", "sdram", "0x0", "8M", "-o", dir.File("dump.bin")}, SIGQUIT, "reading"},
        {{"mem", "write", "sdram", "0x0", dir.File("dump.bin")}, SIGHUP, "writing"},
    };
    WriteFile(dir.File("dump.bin"), std::string(0x100000, 'x'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = vb.CtlOk("log requests");
        CliRun run(c.args);
        // Under way: its first request has reached the board.
        for (int i = 0; i < 500 && vb.CtlOk("log requests") == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        run.Signal(c.signal);
        const CliResult r = run.Wait();
        EXPECT_EQ(r.code, 128 + c.signal) << r.err;
        EXPECT_TRUE(r.exited);
    }
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "the read left its temporary file";
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
}

// What is wrong is said in one line with the advice that fits it.
TEST(Cli, CommandsAndCablesAreNamedOrListed) {
    TestVBoard vb;
    CliResult r = Cli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("kbr370 ") + kKbrVersion + "\n");

    r = Cli({"foo"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "kbr370: unknown command foo; the commands are: info, leds,"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, ", mem")) << r.err;
    r = Cli({"mem", "foo"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "kbr370: unknown command mem foo; the commands are: read, write, verify, "
                     "erase (kbr370 mem --help says what each does)\n");

    // Names in any case, as people write them.
    setenv("KBR370_CABLE", "Virtual", 1);
    r = Cli({"leds", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    setenv("KBR370_CABLE", "xyz", 1);
    r = Cli({"leds", "2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "kbr370: unknown cable \"xyz\" in KBR370_CABLE (known: virtual, "
                     "usb-blaster)\n");
    r = Cli({"--cable", "VIRTUAL", "leds", "3"});
    EXPECT_EQ(r.code, 0) << "the option wins over the environment: " << r.err;
    unsetenv("KBR370_CABLE");
    EXPECT_EQ(vb.CtlOk("get leds"), "0x00000003");
}

TEST(Cli, BlankBoardNamesConfigureAndConfigureMendsIt) {
    TestVBoard vb(false);
    CliResult r = Cli({"info"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "kbr370 configure")) << r.err;
    EXPECT_TRUE(Contains(r.err, "configured")) << r.err;

    TempDir dir;
    WriteFile(dir.File("bad.sof"), "not a design");
    r = Cli({"configure", dir.File("bad.sof")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "download SOPC file (bad.sof) fail!")) << r.err;

    r = Cli({"configure"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "Configure FPGA success")) << r.out;
    EXPECT_EQ(vb.CtlOk("status").substr(0, 12), "configured=1");
    r = Cli({"info"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 15), "board: KBR_370\n");
}

} // namespace
