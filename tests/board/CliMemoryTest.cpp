// kbr370's flash erase and read-back checks against a real virtual board.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/CliRun.h"

namespace {

using nlohmann::json;

// A shell command line with kbr370 in it, for real pipes; its exit status.
int Shell(const std::string& line) {
    const std::string command = "PATH=" + TestVBoard::BinDir() + ":$PATH; " + line;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliMemory, EraseAndVerifiedFlashWrites) {
    TestVBoard vboard;
    vboard.CtlOk("erase step-ms 1");
    TempDir files;
    const std::string ab = files.File("ab.bin");
    const std::string ff = files.File("ff.bin");
    std::ofstream(ab, std::ios::binary) << "AB";
    std::ofstream(ff, std::ios::binary) << "\xFF\xFF";

    // Without a terminal the erase needs --yes, and nothing is sent.
    vboard.CtlOk("log requests");
    CliResult r = Cli({"mem", "erase"});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_NE(r.err.find("--yes"), std::string::npos);
    EXPECT_EQ(vboard.CtlOk("log requests"), "");
    EXPECT_EQ(Cli({"mem", "erase", "--yes"}).code, 0);
    EXPECT_EQ(vboard.CtlOk("mem read 3 0x0 1"), "FF");

    // A flash write is read back: over data that is not erased it differs.
    EXPECT_EQ(Cli({"mem", "write", "flash", "0x10", ab}).code, 0);
    r = Cli({"mem", "write", "flash", "0x10", ff});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("0x10"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("erase first"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"mem", "write", "flash", "0x10", ff, "--no-verify"}).code, 0);

    EXPECT_EQ(Cli({"mem", "write", "sram", "0x100", ab, "--verify"}).code, 0);
    EXPECT_EQ(Cli({"mem", "verify", "sram", "0x100", ab}).code, 0);
    r = Cli({"mem", "verify", "sram", "0x101", ab});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("0x101"), std::string::npos) << r.err;
    // Quiet progress: standard error is no terminal.
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
}

// A step count no flash can have would wrap the 16-bit step index and erase
// for ever: it is refused before the first step.
TEST(CliMemory, EraseRefusesAStepCountTheFlashCannotHave) {
    TestVBoard vboard;
    vboard.CtlOk("erase step-ms 0");
    vboard.CtlOk("erase steps 4294967295");
    vboard.CtlOk("log requests");
    CliOptions options;
    options.timeoutMs = 20000;
    const CliResult r = Cli({"mem", "erase", "--yes"}, options);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find("4294967295 erase steps"), std::string::npos) << r.err;
    EXPECT_EQ(vboard.CtlOk("log requests").find("0B"), std::string::npos) << "no step was sent";
}

// Records place their bytes at their addresses plus the command's address;
// what lies between them is neither written nor compared.
TEST(CliMemory, RecordFilesPlaceTheirBytesAndLeaveTheGaps) {
    TestVBoard vboard;
    TempDir files;
    const std::string gappy = files.File("gappy.ihex");
    WriteFile(gappy, ":0100200033AC\n:0200100055AAEF\n:00000001FF\n");
    vboard.CtlOk("mem write 6 0x1010 " + std::string(2 * 0x11, 'E'));
    CliResult r = Cli({"mem", "write", "sram", "0x1000", gappy});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "wrote 0x3 bytes to sram in 2 ranges from 0x1010 to 0x1020\n");
    EXPECT_EQ(vboard.CtlOk("mem read 6 0x1010 17"), "55AA" + std::string(2 * 14, 'E') + "33");

    vboard.CtlOk("mem write 6 0x1015 00");
    r = Cli({"mem", "verify", "sram", "0x1000", gappy, "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    json result = json::parse(r.out);
    EXPECT_EQ(result["match"], true);
    EXPECT_EQ(result["bytes"], 3);
    EXPECT_EQ(result["ranges"],
              json::parse(R"([{"address":4112,"bytes":2},{"address":4128,"bytes":1}])"));
    vboard.CtlOk("mem write 6 0x1020 34");
    r = Cli({"mem", "verify", "sram", "0x1000", gappy, "--json"});
    EXPECT_EQ(r.code, 3) << r.err;
    result = json::parse(r.out);
    EXPECT_EQ(result["match"], false);
    EXPECT_EQ(result["address"], 0x1020);
    EXPECT_EQ(result["board_byte"], 0x34);
    EXPECT_EQ(result["file_byte"], 0x33);
    EXPECT_EQ(json::parse(r.err)["exit"], 3);

    // Read across 64 KiB into Intel HEX and S-records, then back to another place.
    vboard.CtlOk("mem write 6 0xFFF0 00112233445566778899AABBCCDDEEFF0123456789ABCDEF");
    r = Cli({"mem", "read", "sram", "0xFFF0", "0x18", "-o", files.File("dump.ihex"), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["format"], "ihex");
    EXPECT_TRUE(Contains(ReadFile(files.File("dump.ihex")), "\n:020000040001F9\n"));
    ASSERT_EQ(Cli({"mem", "read", "sram", "0xFFF0", "0x18", "-o", files.File("dump.s28")}).code, 0);
    const std::string srec = ReadFile(files.File("dump.s28"));
    EXPECT_EQ(srec.substr(0, 2), "S0");
    EXPECT_TRUE(Contains(srec, "\nS21400FFF000112233")) << srec;
    EXPECT_TRUE(Contains(srec, "\nS5030002FA\nS804000000FB\n")) << srec;
    vboard.CtlOk("mem write 6 0xFFF0 " + std::string(2 * 0x18, '0'));
    ASSERT_EQ(Cli({"mem", "write", "sram", "0", files.File("dump.ihex")}).code, 0);
    r = Cli({"mem", "verify", "sram", "0", files.File("dump.s28")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "0x18 bytes of sram at 0xFFF0 match " + files.File("dump.s28") + "\n");

    // Refused before the board is touched: a bad record, bytes past the end.
    vboard.CtlOk("log requests");
    WriteFile(files.File("bad.srec"), "S1050010AABB85\nS1050010AABB84\nS9030000FC\n");
    r = Cli({"mem", "write", "sram", "0", files.File("bad.srec")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "bad.srec line 2: checksum 0x84 is wrong")) << r.err;
    r = Cli({"mem", "write", "eeprom", "0xFF0", gappy});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(
        Contains(r.err, "0x2 bytes at 0x1000 (its 0x10 + 0xFF0) run past the end of eeprom"))
        << r.err;
    r = Cli({"mem", "write", "eeprom", "0", files.File("dump.ihex")});
    EXPECT_EQ(r.code, 2);
    r = Cli({"mem", "write", "sram", "0", gappy, "--format", "elf"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "binary|hex|ihex|srec")) << r.err;
    EXPECT_EQ(vboard.CtlOk("log requests"), "");
}

// "-", /dev/stdout, /dev/stdin and pipes: the data alone on standard output,
// the closing line on standard error.
TEST(CliMemory, StandardStreamsPipesAndFifos) {
    TestVBoard vboard;
    TempDir files;
    vboard.CtlOk("mem write 6 0x100 000A0D1BFF");
    CliResult r = Cli({"mem", "read", "sram", "0x100", "5", "-o", "-"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, std::string("\x00\x0A\x0D\x1B\xFF", 5));
    EXPECT_EQ(r.err, "read 0x5 bytes of sram from 0x100 into -\n");
    r = Cli({"mem", "read", "sram", "0x100", "5", "-o", "/dev/stdout", "--format", "srec"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 2), "S0");
    EXPECT_FALSE(Contains(r.out, "read 0x5")) << r.out;

    CliOptions stdinBytes;
    stdinBytes.input = "bytes";
    r = Cli({"mem", "write", "sram", "0x200", "-"}, stdinBytes);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vboard.CtlOk("mem read 6 0x200 5"), "6279746573");

    // Real pipes both ways, one kbr370 at a time: the link takes one client.
    const std::string dump = files.File("dump.srec");
    ASSERT_EQ(Shell("kbr370 mem read sram 0x100 5 -o - --format srec 2>/dev/null | cat > " + dump),
              0);
    EXPECT_EQ(ReadFile(dump).substr(0, 2), "S0");
    EXPECT_EQ(
        Shell("cat " + dump + " | kbr370 mem verify sram 0 /dev/stdin --format srec >/dev/null"),
        0);
    EXPECT_EQ(Shell("printf 'ab\\ncd\\n' | kbr370 mem write sram 0x300 - --format hex >/dev/null"),
              0);
    EXPECT_EQ(vboard.CtlOk("mem read 6 0x300 2"), "ABCD");
}

} // namespace
