// The real cable and programmer (KBR370_CABLE=usb-blaster) over the tests'
// stand-ins for Quartus, which reach a virtual board: the DLLs, kbr370 and
// the panel, along the road a real board takes and where it fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <csignal>
#include <random>
#include <sstream>
#include <thread>

#include "drivers/quartus/ProgramRun.h"
#include "tests/drivers/DriverTestSupport.h"
#include "tests/support/CliRun.h"

#ifndef KBR_TEST_QUARTUS
#error "KBR_TEST_QUARTUS must name the stand-in Quartus folder"
#endif

namespace {

namespace fs = std::filesystem;

constexpr const char* kLinkText = "USB-Blaster [test-1], device 1, JTAG UART 0";

class RealBoardTest : public testing::Test {
protected:
    RealBoardTest()
        : cable("KBR370_CABLE", "usb-blaster"), quartus("QUARTUS_ROOTDIR", KBR_TEST_QUARTUS),
          blaster("KBR370_BLASTER", std::nullopt), design("KBR370_DESIGN", DesignFile()),
          runtime("XDG_RUNTIME_DIR", scratch.Path()) {
        // The owner's design for a real board: anything but the virtual one.
        // Its name is one a shell would misread.
        WriteFile(DesignFile(), "a real board's design");
    }

    std::string DesignFile() const { return scratch.File("my board $(touch pwned).sof"); }

    TempDir scratch;
    ScopedEnv cable, quartus, blaster, design, runtime;
};

TEST_F(RealBoardTest, LinkOpensOnlyOnAConfiguredFreeBoardAndEndsWithIt) {
    TestVBoard board(false);
    JtagDll dll;
    testing::internal::CaptureStderr();
    EXPECT_EQ(dll.Open(0, ""), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a blank FPGA is no error";

    board.CtlOk("configure " + TestVBoard::DesignFile());
    const uint32_t link = dll.Open(0, "");
    ASSERT_NE(link, 0u);
    std::vector<char> record(1024);
    ASSERT_NE(dll.GetInfo(link, record.data()), 0);
    EXPECT_STREQ(record.data() + 112, kLinkText);

    testing::internal::CaptureStderr();
    EXPECT_EQ(dll.Open(0, ""), 0u);
    EXPECT_TRUE(Contains(testing::internal::GetCapturedStderr(), "in use by another program"));

    board.Kill();
    uint8_t reply[8];
    EXPECT_EQ(dll.Read(link, reply, sizeof reply), 0);
    const uint8_t frame[] = {0xAA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x55};
    EXPECT_EQ(dll.Write(link, frame, sizeof frame), 0) << "a vanished board fails the write";
    EXPECT_EQ(dll.Read(link, reply, sizeof reply), 0);
    dll.Close(link);

    testing::internal::CaptureStderr();
    EXPECT_EQ(dll.Open(0, ""), 0u);
    EXPECT_TRUE(Contains(testing::internal::GetCapturedStderr(), "not connected to a board"));
}

TEST_F(RealBoardTest, CliConfiguresABlankBoardAndDrivesIt) {
    TestVBoard board(false);
    const std::string argsFile = scratch.File("pgm-args");
    ScopedEnv record("KBR370_TEST_PGM_ARGS", argsFile);

    auto run = Cli({"configure"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(Contains(board.CtlOk("status"), "configured=1"));
    // One argument each, untouched by any shell.
    EXPECT_EQ(ReadFile(argsFile), "-c\nUSB-Blaster\n-m\njtag\n-o\np;" + DesignFile() + "\n");
    EXPECT_FALSE(fs::exists(scratch.File("pwned")));

    run = Cli({"info"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, std::string("board: KBR_370\nlink: ") + kLinkText + "\n");
    ASSERT_EQ(Cli({"leds", "0x5A5A5A5"}).code, 0);
    EXPECT_EQ(board.CtlOk("get leds"), "0x05A5A5A5");

    // Far larger than the UART's FIFO, so every frame goes in pieces.
    std::string data(0x3000, '\0');
    std::mt19937 random(370);
    for (char& c : data)
        c = static_cast<char>(random());
    WriteFile(scratch.File("in.bin"), data);
    run = Cli({"mem", "write", "sdram", "0x1001", scratch.File("in.bin")});
    ASSERT_EQ(run.code, 0) << run.err;
    run = Cli({"mem", "read", "sdram", "0x1001", "0x3000", "-o", scratch.File("out.bin")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(ReadFile(scratch.File("out.bin")) == data);
}

TEST_F(RealBoardTest, EachFailureOnTheWaySaysWhy) {
    TestVBoard board(false);
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> said;
    };
    const std::string virtualDesign = TestVBoard::DesignFile();
    const std::vector<Case> blank = {
        {"the virtual design", {"configure", virtualDesign},
         {"virtual board's design", "KBR370_DESIGN", "download SOPC file (KBR_370_ControlPanel.sof) fail!"}},
        {"a blank FPGA, quietly", {"info"}, {"Fail to connect FPGA borad."}},
    };
    for (const Case& c : blank) {
        SCOPED_TRACE(c.what);
        auto run = Cli(c.args);
        EXPECT_EQ(run.code, 1) << run.err;
        for (const auto& part : c.said)
            EXPECT_TRUE(Contains(run.err, part)) << run.err;
        EXPECT_FALSE(Contains(run.out + run.err, "ZOLVANE_JTAG")) << run.err;
    }

    {
        ScopedEnv fail("KBR370_TEST_PGM_FAIL", "Unexpected error in JTAG server -- error code 89");
        auto run = Cli({"configure"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Contains(run.err, "quartus_pgm failed (exit status 1): Error (209053): "
                                         "Unexpected error in JTAG server -- error code 89\n"))
            << run.err;
    }
    {
        ScopedEnv noRoot("QUARTUS_ROOTDIR", std::nullopt);
        ScopedEnv path("PATH", scratch.Path());
        auto run = Cli({"configure"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Contains(run.err, "must be installed: QUARTUS_ROOTDIR is not set")) << run.err;
        EXPECT_TRUE(Contains(run.err, "Please make sure Quartus is installed!")) << run.err;
        run = Cli({"info"});
        EXPECT_TRUE(Contains(run.err, "must be installed")) << run.err;
        EXPECT_FALSE(Contains(run.err, "kbr370 configure")) << run.err;
    }
    EXPECT_TRUE(Contains(board.CtlOk("status"), "configured=0"));

    board.CtlOk("configure " + virtualDesign);
    {
        JtagDll holder;
        const uint32_t held = holder.Open(0, "");
        ASSERT_NE(held, 0u);
        auto run = Cli({"info"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Contains(run.err, "in use by another program")) << run.err;
        // The JTAG server's "in use" keeps the programmer away from the holder's board.
        run = Cli({"configure"});
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Contains(run.err, "in use by another program")) << run.err;
        EXPECT_TRUE(Contains(board.CtlOk("status"), "configured=1 link=open"));
        holder.Close(held);
    }
    board.Kill();
    auto run = Cli({"info"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(Contains(run.err, "not connected to a board")) << run.err;
}

// A cable that another machine's JTAG server shares goes by a name of its
// own: --cable (or KBR370_BLASTER) hands it to the link and the programmer
// alike, and without it two cables leave the choice to the user.
TEST_F(RealBoardTest, RemoteCableCarriesConfigureAndCommands) {
    TestVBoard board(false);
    ScopedEnv server("KBR370_TEST_JTAG_SERVER", "labhost");
    const std::string remote = "USB-Blaster on labhost [1-1.4]";
    const std::string argsFile = scratch.File("pgm-args");
    ScopedEnv record("KBR370_TEST_PGM_ARGS", argsFile);
    {
        // The option wins over a virtual board chosen in the environment.
        ScopedEnv virtualCable("KBR370_CABLE", "virtual");
        auto run = Cli({"--cable", remote, "configure"});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(ReadFile(argsFile), "-c\n" + remote + "\n-m\njtag\n-o\np;" + DesignFile() + "\n");
        run = Cli({"--cable", remote, "info"});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(Contains(run.out, "link: " + remote + ", device 1, JTAG UART 0\n")) << run.out;
    }
    {
        ScopedEnv cable("KBR370_CABLE", "USB-Blaster");
        ScopedEnv named("KBR370_BLASTER", remote);
        auto run = Cli({"leds", "0x15"});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(board.CtlOk("get leds"), "0x00000015");
    }
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    for (const Case& c : std::vector<Case>{
             {{"info"}, "more than one cable is attached"},
             {{"--cable", "USB-Blaster on otherhost [1-1.4]", "info"}, "no such cable"},
         }) {
        SCOPED_TRACE(c.said);
        auto run = Cli(c.args);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(Contains(run.err, c.said)) << run.err;
        EXPECT_FALSE(Contains(run.err, "configure")) << "no advice that cannot help: " << run.err;
    }
}

// The programmer's words are another program's text: no escape sequence of its
// own reaches the terminal.
TEST_F(RealBoardTest, ProgrammerErrorReachesTheTerminalEscaped) {
    TestVBoard board(false);
    ScopedEnv fail("KBR370_TEST_PGM_FAIL", "cable \x1B[2J\x1B]0;owned\x07gone");
    auto run = Cli({"configure"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(Contains(run.err, "Error (209053): cable \\x1B[2J\\x1B]0;owned\\x07gone\n"))
        << run.err;
    EXPECT_FALSE(Contains(run.err, "\x1B")) << run.err;
}

// Members of process group `group` that still run (zombies left to a parent
// that never reaps them do not count).
std::vector<pid_t> LiveMembers(pid_t group) {
    std::vector<pid_t> live;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::istringstream stat(ReadFile(entry.path().string() + "/stat"));
        pid_t pid = 0, parent = 0, pgrp = 0;
        std::string command;
        char state = 0;
        // The command is in parentheses and may hold blanks; ours do not.
        if (stat >> pid >> command >> state >> parent >> pgrp && pgrp == group && state != 'Z')
            live.push_back(pid);
    }
    return live;
}

TEST_F(RealBoardTest, InterruptedConfigureLeavesNoProgrammerBehind) {
    TestVBoard board(false);
    const std::string pidFile = scratch.File("pgm-pid");
    ScopedEnv hang("KBR370_TEST_PGM_HANG", pidFile);
    CliRun configure({"configure"});
    pid_t programmer = 0;
    for (int i = 0; i < 400 && programmer == 0; ++i) {
        const std::string text = ReadFile(pidFile);
        if (!text.empty() && text.back() == '\n')
            programmer = std::stoi(text);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(programmer, 0) << "the stand-in programmer never started";
    ASSERT_FALSE(LiveMembers(programmer).empty());

    configure.Signal(SIGINT);
    EXPECT_EQ(configure.Wait().code, 128 + SIGINT);
    for (int i = 0; i < 100 && !LiveMembers(programmer).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(LiveMembers(programmer).empty()) << "quartus_pgm or its helper still runs";
}

TEST_F(RealBoardTest, PanelConnectsToABlankBoardByConfiguringIt) {
#ifndef KBR_WITH_PANEL
    GTEST_SKIP() << "built without the panel";
#endif
    TestVBoard board(false);
    const std::string log = scratch.File("panel.log");
    ScopedEnv logTo("KBR370_PANEL_TEST_LOG", log);
    ScopedEnv quit("KBR370_PANEL_TEST_QUIT", "1");
    auto run = drivers::ProgramRun::Run({TestVBoard::BinDir() + "/kbr370-panel"}, 60000);
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    std::string lastStatus;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        EXPECT_FALSE(fields.size() > 1 && fields[1].rfind("box-", 0) == 0) << line;
        if (fields.size() > 2 && fields[1] == "status")
            lastStatus = fields[2];
    }
    EXPECT_EQ(lastStatus, "Connected");
    EXPECT_TRUE(Contains(board.CtlOk("status"), "configured=1 link=closed"));
}

} // namespace
