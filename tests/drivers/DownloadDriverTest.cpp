// ZOLVANE_DOWNLOAD.DLL and TDownload against a real virtual board: what
// configures it, what is refused, and the loader's messages.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/Download.h"
#include "platform/System.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/drivers/DriverTestSupport.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Configured(const TestVBoard& board) {
    return board.CtlOk("status").find("configured=1") != std::string::npos;
}

// Runs a program and returns its standard output.
std::string RunForOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    std::array<char, 256> chunk;
    while (size_t n = fread(chunk.data(), 1, chunk.size(), pipe))
        out.append(chunk.data(), n);
    pclose(pipe);
    return out;
}

TEST(DownloadDriver, RefusesWhatItCannotConfigure) {
    TestVBoard board(false);
    TempDir scratch;
    DownloadDll dll;
    std::vector<char> design = ReadAll(TestVBoard::DesignFile());
    ASSERT_GT(design.size(), 16u);

    std::vector<char> damaged = design;
    damaged[damaged.size() / 2] ^= 0x5A;
    WriteAll(scratch.File("damaged.sof"), damaged);
    WriteAll(scratch.File("truncated.sof"), std::vector<char>(design.begin(), design.begin() + design.size() / 2));
    WriteAll(scratch.File("empty.sof"), {});
    fs::create_directory(scratch.File("folder.sof"));

    for (std::string file : {scratch.File("missing.sof"), scratch.File("damaged.sof"),
                             scratch.File("truncated.sof"), scratch.File("empty.sof"),
                             scratch.File("folder.sof"), std::string()}) {
        EXPECT_FALSE(dll.JtagDownload(file.c_str())) << file;
    }
    EXPECT_FALSE(dll.JtagDownload(nullptr));

    ScopedEnv cable("KBR370_CABLE", "xyz");
    EXPECT_GT(dll.GetQuatusVersion(), 0.0) << "an unknown cable is the download's to report";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(dll.JtagDownload(TestVBoard::DesignFile().c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ZOLVANE_DOWNLOAD: unknown cable \"xyz\" in KBR370_CABLE (known: virtual, usb-blaster)\n");
    EXPECT_FALSE(Configured(board));
}

TEST(DownloadDriver, PathsWithBlanksAndRelativePathsWork) {
    TestVBoard board(false);
    TempDir scratch;
    fs::create_directory(scratch.File("my designs"));
    fs::copy_file(TestVBoard::DesignFile(), scratch.File("my designs/KBR_370_ControlPanel.sof"));
    DownloadDll dll;

    // The panel makes its own directory current and may name the file relative to it.
    std::string here = platform::CurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(scratch.File("my designs")));
    bool ok = dll.JtagDownload("KBR_370_ControlPanel.sof");
    platform::SetCurrentDirectory(here);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Configured(board));
}

TEST(DownloadDriver, FileNameCannotSmuggleAControlCommand) {
    TestVBoard board; // configured
    TempDir scratch;
    std::string sneaky = scratch.File("x.sof\nblank");
    fs::copy_file(TestVBoard::DesignFile(), sneaky);
    DownloadDll dll;

    EXPECT_FALSE(dll.JtagDownload(sneaky.c_str()));
    EXPECT_TRUE(Configured(board)) << "the line after the break must not reach the board";
}

// The panel's own sequence from nothing at all: no daemon, open fails, the
// download starts the board and configures it, the open succeeds.
TEST(DownloadDriver, FromNoDaemonToAnOpenLink) {
    TempDir scratch;
    std::string dir = scratch.File("board");
    ScopedEnv where("KBR370_VBOARD_DIR", dir);
    DaemonStopper stopper(dir);
    JtagDll jtag;
    DownloadDll download;

    EXPECT_EQ(jtag.Open(0, ""), 0u);
    ASSERT_TRUE(download.JtagDownload(TestVBoard::DesignFile().c_str()));
    uint32_t handle = jtag.Open(0, "");
    EXPECT_NE(handle, 0u);
    jtag.Close(handle);
}

TEST(TDownloadLoader, LoadsTheLibraryAndConfigures) {
    TestVBoard board(false);
    {
        TDownload download;
        EXPECT_TRUE(download.IsLoaded()) << "all nineteen entry points resolve";
        EXPECT_EQ(download.LoadError(), "");
        EXPECT_GT(download.GetQuatusVersion(), 0.0);
        EXPECT_FALSE(download.JtagDownload(platform::ProgramDirectory() + "no-such.sof"));
        EXPECT_FALSE(Configured(board));
        EXPECT_TRUE(download.JtagDownload(TestVBoard::DesignFile()));
        EXPECT_TRUE(Configured(board));
    }
}

// TDownload loads from the directory of the running program, so each case
// runs a small probe program copied into a folder of its own.
class TDownloadProbe : public testing::Test {
protected:
    std::string Run(const std::string& library = {}) {
        fs::copy_file(TestVBoard::BinDir() + "/kbr_download_probe", scratch.File("kbr_download_probe"));
        if (!library.empty())
            fs::copy_file(library, scratch.File("ZOLVANE_DOWNLOAD.DLL"));
        return RunForOutput(scratch.File("kbr_download_probe"));
    }
    std::string Folder() const { return fs::canonical(scratch.Path()).string() + "/"; }
    TempDir scratch;
};

TEST_F(TDownloadProbe, MissingLibraryIsReportedWithItsPath) {
    EXPECT_EQ(Run(), "box error: fail to load dll - " + Folder() +
                         "ZOLVANE_DOWNLOAD.DLL\nloaded=0 version=0 download=0\n");
}

TEST_F(TDownloadProbe, LibraryWithoutAllEntryPointsIsRefused) {
    // It has the two entry points that are called, and they would succeed.
    EXPECT_EQ(Run(TestVBoard::BinDir() + "/kbr_test_partial_download.so"),
              "box error: load ZOLVANE_DOWNLOAD.DLL fail. Cannot find all of desired "
              "API\nloaded=0 version=0 download=0\n");
}

TEST_F(TDownloadProbe, CompleteLibraryBesideTheProgramLoads) {
    EXPECT_EQ(Run(TestVBoard::BinDir() + "/ZOLVANE_DOWNLOAD.DLL"),
              "loaded=1 version=20.1 download=0\n");
}

} // namespace
