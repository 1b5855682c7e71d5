// kbr370's flash erase and read-back checks against a real virtual board.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "tests/support/CliRun.h"

namespace {

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

} // namespace
