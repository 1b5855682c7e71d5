// kbr370's flash erase and read-back checks against a real virtual board.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/support/TestVBoard.h"

namespace {

struct Result {
    int code = -1;
    std::string err;
};

// Runs kbr370 with standard input from /dev/null (not a terminal).
Result Kbr370(const std::vector<std::string>& args) {
    TempDir scratch;
    const std::string errPath = scratch.File("err");
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open("/dev/null", O_WRONLY);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        const std::string exe = TestVBoard::BinDir() + "/kbr370";
        std::vector<char*> argv{const_cast<char*>(exe.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(errPath);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {std::istreambuf_iterator<char>(in), {}}};
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
    Result r = Kbr370({"mem", "erase"});
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_NE(r.err.find("--yes"), std::string::npos);
    EXPECT_EQ(vboard.CtlOk("log requests"), "");
    EXPECT_EQ(Kbr370({"mem", "erase", "--yes"}).code, 0);
    EXPECT_EQ(vboard.CtlOk("mem read 3 0x0 1"), "FF");

    // A flash write is read back: over data that is not erased it differs.
    EXPECT_EQ(Kbr370({"mem", "write", "flash", "0x10", ab}).code, 0);
    r = Kbr370({"mem", "write", "flash", "0x10", ff});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("0x10"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("erase first"), std::string::npos) << r.err;
    EXPECT_EQ(Kbr370({"mem", "write", "flash", "0x10", ff, "--no-verify"}).code, 0);

    EXPECT_EQ(Kbr370({"mem", "write", "sram", "0x100", ab, "--verify"}).code, 0);
    EXPECT_EQ(Kbr370({"mem", "verify", "sram", "0x100", ab}).code, 0);
    r = Kbr370({"mem", "verify", "sram", "0x101", ab});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("0x101"), std::string::npos) << r.err;
    // Quiet progress: standard error is no terminal.
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
}

} // namespace
