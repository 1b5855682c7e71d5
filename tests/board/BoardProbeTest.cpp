// TJtagPort's loading and TBoard's name handling with a scripted JTAG library
// beside a copy of a small probe program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "tests/support/TestVBoard.h"

namespace {

namespace fs = std::filesystem;

class BoardProbe : public ::testing::Test {
protected:
    // Copies the probe, and `library` as ZOLVANE_JTAG.DLL when given, into a
    // fresh folder and runs it there; returns its output.
    std::string Run(const std::string& library, const std::string& env = "") {
        fs::copy_file(TestVBoard::BinDir() + "/kbr_board_probe", dir.File("kbr_board_probe"));
        if (!library.empty())
            fs::copy_file(TestVBoard::BinDir() + "/" + library, dir.File("ZOLVANE_JTAG.DLL"));
        fs::create_directories(dir.File("quartus/bin"));
        const std::string cmd = "cd / && QUARTUS_ROOTDIR='" + dir.File("quartus") + "' " + env +
                                " '" + dir.File("kbr_board_probe") + "' 2>&1";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
        std::string out;
        char buf[512];
        while (pipe && fgets(buf, sizeof buf, pipe.get()))
            out += buf;
        return out;
    }
    static bool Has(const std::string& out, const std::string& line) {
        return out.find(line + "\n") != std::string::npos;
    }
    TempDir dir;
};

TEST_F(BoardProbe, MissingLibraryIsReportedWithItsFullPath) {
    const std::string out = Run("");
    EXPECT_TRUE(Has(out, "box=fail to load dll - " + dir.File("ZOLVANE_JTAG.DLL"))) << out;
    EXPECT_TRUE(Has(out, "connect=0")) << out;
    EXPECT_TRUE(Has(out, "error=Fail to connect FPGA borad.")) << out;
}

TEST_F(BoardProbe, LibraryLackingAnEntryPointIsRefused) {
    const std::string out = Run("kbr_test_scripted_jtag_partial.so");
    EXPECT_TRUE(Has(out, "box=fail to find some API")) << out;
    EXPECT_TRUE(Has(out, "connect=0")) << out;
}

TEST_F(BoardProbe, OpenRunsInQuartusBinAndReturnsToTheProgramDirectory) {
    const std::string out = Run("kbr_test_scripted_jtag.so");
    EXPECT_TRUE(Has(out, "connect=1")) << out;
    EXPECT_TRUE(Has(out, "link=scripted cwd=" + dir.File("quartus/bin"))) << out;
    EXPECT_TRUE(Has(out, "cwd=" + dir.Path())) << out;
}

TEST_F(BoardProbe, SixteenCharacterNameWithoutNulIsReadWhole) {
    const std::string out = Run("kbr_test_scripted_jtag.so", "KBR_TEST_NAME_HEX=4142434445464748494A4B4C4D4E4F50");
    EXPECT_TRUE(Has(out, "query=1")) << out;
    EXPECT_TRUE(Has(out, "name=[ABCDEFGHIJKLMNOP]")) << out;
}

TEST_F(BoardProbe, EmptyNameSucceedsAndLeavesTheCallersText) {
    const std::string out = Run("kbr_test_scripted_jtag.so", "KBR_TEST_NAME_HEX=00");
    EXPECT_TRUE(Has(out, "query=1")) << out;
    EXPECT_TRUE(Has(out, "name=[unset]")) << out;
}

} // namespace
