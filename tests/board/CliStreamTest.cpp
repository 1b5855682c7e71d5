// kbr370's monitor streams against a real virtual board: what they print, and
// that the channel's monitoring mode is off again however they end.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "tests/support/CliRun.h"

namespace {

bool WaitForModes(const TestVBoard& vb, const std::string& modes) {
    for (int i = 0; i < 500; ++i) {
        if (vb.CtlOk("get modes") == modes)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

constexpr const char* kAllOff = "ir=0 rs232=0 ps2=0";

TEST(CliStreams, Rs232SendsReceivesAndTalksThroughTheTerminal) {
    TestVBoard vb;
    CliResult r = Cli({"rs232", "send", "AB"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get rs232-tx"), "414200");

    // Bytes that would upset a terminal arrive escaped; zero bytes only end texts.
    vb.CtlOk("rs232 push 68690A00011BE95C");
    r = Cli({"rs232", "receive", "--seconds", "0.5"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "hi\n\\x01\\x1B\\xE9\\\\");
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);

    // Through a loopback plug, standard input comes back; the end of input ends it.
    vb.CtlOk("rs232 loopback 1");
    CliOptions typed;
    typed.input = "one\ntwo\n";
    r = Cli({"rs232", "term"}, typed);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "one\ntwo\n");
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);

    EXPECT_EQ(Cli({"rs232", "receive", "--seconds", "-1"}).code, 2);
    EXPECT_EQ(Cli({"rs232"}).code, 2);
}

TEST(CliStreams, WatchersPrintCodesAndReports) {
    TestVBoard vb;
    vb.CtlOk("ir push 0540");
    CliResult r = Cli({"ir", "watch", "--seconds", "0.5"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "05 key 5\n40\n");

    // The pointer starts in the middle; a report without bit 3 is skipped.
    vb.CtlOk("ps2 push 0905FB00010505000A80FF00");
    r = Cli({"ps2", "watch", "--seconds", "0.5"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "buttons L dx 5 dy -5 x 517 y 379\n"
                     "buttons R dx -128 dy -1 x 389 y 378\n");
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

TEST(CliStreams, SignalsEndTheStreamsWithTheModeOff) {
    TestVBoard vb;
    for (int signal : {SIGINT, SIGTERM, SIGQUIT, SIGUSR1, SIGALRM, SIGPIPE}) {
        CliRun watch({"rs232", "receive"});
        ASSERT_TRUE(WaitForModes(vb, "ir=0 rs232=1 ps2=0"));
        watch.Signal(signal);
        const CliResult r = watch.Wait();
        EXPECT_EQ(r.code, 0) << signal << r.err;
        EXPECT_EQ(vb.CtlOk("get modes"), kAllOff) << signal;
    }
}

TEST(CliStreams, ARefusedMonitoringModeIsExitThreeWithThePagesWords) {
    TestVBoard vb;
    vb.CtlOk("ps2 present 0");
    CliResult r = Cli({"ps2", "watch", "--seconds", "1"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Cannot find a PS/2 mouse. Please plug one."), std::string::npos) << r.err;
    vb.CtlOk("ir present 0");
    r = Cli({"ir", "watch", "--seconds", "1"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("IR not found"), std::string::npos) << r.err;
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

} // namespace
