// kbr370's LCD command and the watch of the switches and keys, against a real
// virtual board.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "tests/support/CliRun.h"

namespace {

TEST(FrontPanelCli, LcdTakesTwoLinesOfAtMostSixteenCharacters) {
    TestVBoard vb;
    vb.CtlOk("log requests");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"lcd", "0123456789ABCDEFG", "x"},
          {"lcd", "x", "a\nb"},
          {"lcd", "x"}}) {
        const CliResult bad = Cli(args);
        EXPECT_EQ(bad.code, 2) << args[1];
        EXPECT_FALSE(bad.err.empty());
    }
    EXPECT_EQ(vb.CtlOk("log requests"), "") << "bad lines never reach the board";

    const CliResult r = Cli({"lcd", "Hello", "0123456789ABCDEF"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get lcd"), "48656C6C6F 30313233343536373839414243444546");
}

TEST(FrontPanelCli, WatchPrintsALinePerChange) {
    TestVBoard vb;
    vb.CtlOk("set inputs 0x1");
    CliRun watch({"inputs", "--watch"});
    ASSERT_TRUE(watch.WaitForOutput("0x00000001\n"));
    vb.CtlOk("set inputs 0x11");
    ASSERT_TRUE(watch.WaitForOutput("0x00000001\n0x00000011\n"));
    vb.CtlOk("set inputs 0x11");
    vb.CtlOk("set inputs 0x3FFFFF");
    ASSERT_TRUE(watch.WaitForOutput("0x00000001\n0x00000011\n0x003FFFFF\n"));
    watch.Signal(SIGINT);
    EXPECT_EQ(watch.Wait().code, 128 + SIGINT);
    // The board takes one link at a time: wait until it has seen this one go.
    for (int i = 0; i < 500 && vb.CtlOk("status").find("link=closed") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    // A failing read ends the watch as a board failure.
    CliRun failing({"inputs", "--watch"});
    ASSERT_TRUE(failing.WaitForOutput("0x003FFFFF\n"));
    vb.CtlOk("fault status:1");
    const CliResult r = failing.Wait();
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.empty());
}

} // namespace
