// kbr370's monitor streams against a real virtual board: what they print, and
// that the channel's monitoring mode is off again however they end.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/CliRun.h"
#include "wire/FrameCodec.h"

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
constexpr const char* kRs232On = "ir=0 rs232=1 ps2=0";

// Each line of a stream's output as a JSON value; a line that is not JSON fails the test.
std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

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
        EXPECT_EQ(r.code, 128 + signal) << r.err;
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

TEST(CliStreams, Rs232LogsTimesMapsAndPassesRawBytes) {
    TestVBoard vb;
    TempDir files;
    const std::string log = files.File("rx.log");
    WriteFile(log, "earlier\n");
    const std::string bytes("one\r\ntwo\r\n\0\xFF", 12);
    const std::string pushed = "rs232 push 6F6E650D0A74776F0D0A00FF";

    vb.CtlOk(pushed);
    CliResult r =
        Cli({"rs232", "receive", "--seconds", "0.5", "--log", log, "--timestamps", "--map"});
    EXPECT_EQ(r.code, 0) << r.err;
    // Each line starts with its time; CR LF is one line feed; the rest is escaped.
    const std::string stamp = R"(\[\d\d:\d\d:\d\d\.\d{3}\] )";
    EXPECT_TRUE(
        std::regex_match(r.out, std::regex(stamp + "one\n" + stamp + "two\n" + stamp + R"(\\xFF)")))
        << r.out;
    // The log is appended to, with the bytes as they came.
    EXPECT_EQ(ReadFile(log), "earlier\n" + bytes);

    vb.CtlOk(pushed);
    r = Cli({"rs232", "receive", "--seconds", "0.5", "--raw"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, bytes);

    // From a pipe, a line feed is Enter: --map sends CR LF for it.
    CliOptions typed;
    typed.input = "at\n";
    r = Cli({"rs232", "term", "--map"}, typed);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(vb.CtlOk("get rs232-tx"), "61740D0A00");
    r = Cli({"rs232", "term", "--map=lf"}, typed);
    EXPECT_EQ(vb.CtlOk("get rs232-tx"), "61740A00");

    // A log that cannot be written is refused before the board is touched.
    r = Cli({"rs232", "receive", "--log", files.File("missing/rx.log")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "missing/rx.log")) << r.err;
    EXPECT_EQ(Cli({"rs232", "term", "--map", "crcr"}).code, 2);
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

TEST(CliStreams, JsonLinesForCodesReportsAndReceivedBytes) {
    TestVBoard vb;
    vb.CtlOk("ir push 0540");
    CliResult r = Cli({"ir", "watch", "--seconds", "0.5", "--json"});
    EXPECT_EQ(r.code, 0) << r.err;
    auto lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0]["code"], 5);
    EXPECT_EQ(lines[0]["key"], "5");
    EXPECT_EQ(lines[1]["code"], 0x40);
    EXPECT_TRUE(lines[1]["key"].is_null());
    EXPECT_TRUE(std::regex_match(lines[0]["utc"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")));
    EXPECT_EQ(lines[0]["time_ms"], 0);
    EXPECT_LE(lines[0]["time_ms"], lines[1]["time_ms"]);

    vb.CtlOk("ps2 push 0905FB00010505000A80FF00");
    r = Cli({"ps2", "watch", "--seconds", "0.5", "--json"});
    lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0], nlohmann::json({{"utc", lines[0]["utc"]},
                                        {"time_ms", 0},
                                        {"left", true},
                                        {"right", false},
                                        {"dx", 5},
                                        {"dy", -5},
                                        {"x", 517},
                                        {"y", 379}}));
    EXPECT_EQ(lines[1]["right"], true);
    EXPECT_EQ(lines[1]["dx"], -128);

    // One object a read: the text as Latin-1 letters without zero bytes, and every byte in hex.
    vb.CtlOk("rs232 push 68690A00E9");
    r = Cli({"rs232", "receive", "--seconds", "0.5", "--json"});
    lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 1u) << r.out;
    EXPECT_EQ(lines[0]["text"], "hi\n\u00e9");
    EXPECT_EQ(lines[0]["hex"], "68690A00E9");

    r = Cli({"rs232", "receive", "--json", "--raw"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(JsonLines(r.err).at(0)["exit"], 2);
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

TEST(CliStreams, AFullReadIsFollowedAtOnceByAnother) {
    TestVBoard vb;
    // 4 KiB is 32 full reads: one each poll would take over three seconds.
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>(i * 7 % 251);
    vb.CtlOk("rs232 push " + HexBytes(bytes));
    const CliResult r = Cli({"rs232", "receive", "--raw", "--seconds", "1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.size(), bytes.size());
    EXPECT_TRUE(r.out == bytes);
}

TEST(CliStreams, AClosedOrDeadStandardOutputEndsTheStreamsAtOnce) {
    TestVBoard vb;
    // What arrives at the serial port is shown, never sent to the board: a
    // request frame among it must not set the LEDs.
    const auto frame = kbr::wire::MakeFrame(kbr::wire::CmdSetLeds, {0x78, 0x56, 0x34, 0x12});
    vb.CtlOk("rs232 push " + HexBytes({frame.begin(), frame.end()}));

    const std::vector<std::vector<std::string>> streams = {
        {"rs232", "receive", "--raw"}, {"rs232", "receive", "--json"}, {"inputs", "--watch"},
        {"ir", "watch"}, {"rs232", "term"}};
    CliOptions closed;
    closed.timeoutMs = 10000;
    closed.output = CliOptions::Output::Closed;
    for (const auto& args : streams) {
        const CliResult r = Cli(args, closed);
        EXPECT_EQ(r.code, 1) << args[0] << " " << args[1] << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "standard output is closed")) << r.err;
    }
    EXPECT_EQ(vb.CtlOk("get leds"), "0x00000000");

    // A pipe whose reader went away ends them as the signal would, even when
    // nothing is written; the monitoring mode is off again.
    CliOptions gone = closed;
    gone.output = CliOptions::Output::ReaderGone;
    for (const auto& args : streams) {
        const CliResult r = Cli(args, gone);
        EXPECT_EQ(r.code, 128 + SIGPIPE) << args[0] << " " << args[1] << ": " << r.err;
        EXPECT_TRUE(r.exited) << r.err;
    }
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);

    // With SIGPIPE ignored, the reason is said instead.
    const auto before = std::signal(SIGPIPE, SIG_IGN); // the child inherits it
    const CliResult ignored = Cli({"ir", "watch"}, gone);
    std::signal(SIGPIPE, before);
    EXPECT_EQ(ignored.code, 1) << ignored.err;
    EXPECT_TRUE(Contains(ignored.err, "standard output has gone away")) << ignored.err;
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

TEST(CliStreams, ReconnectCarriesOnAcrossACutLinkAndARestartedBoard) {
    TestVBoard vb;
    // A cut link is found when a reply does not come in the time limit.
    CliRun watch({"--time-limit", "500", "rs232", "receive", "--reconnect"});
    ASSERT_TRUE(WaitForModes(vb, kRs232On));
    vb.CtlOk("rs232 push 6869");
    ASSERT_TRUE(watch.WaitForOutput("hi"));

    // The cut reply takes its bytes with it; what comes once the link is
    // back is shown.
    vb.CtlOk("fault disconnect");
    for (int i = 0; i < 500 && !Contains(vb.CtlOk("status"), "link=closed"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    vb.CtlOk("rs232 push 21");
    EXPECT_TRUE(watch.WaitForOutput("hi!"));

    // A new daemon starts with every mode off: the stream switches its own on again.
    vb.Restart();
    ASSERT_TRUE(WaitForModes(vb, kRs232On));
    vb.CtlOk("rs232 push 3F");
    EXPECT_TRUE(watch.WaitForOutput("hi!?"));

    watch.Signal(SIGINT);
    CliResult r = watch.Wait();
    EXPECT_EQ(r.code, 130) << r.err;
    EXPECT_EQ(Count(r.err, "waiting for the board to come back"), 2u) << r.err;
    EXPECT_EQ(Count(r.err, "the board is back"), 2u) << r.err;
    EXPECT_EQ(Count(r.err, "\n"), 4u) << r.err; // the retries are quiet
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);

    // Without --reconnect a lost link ends the stream as a failure.
    CliRun once({"--time-limit", "500", "rs232", "receive"});
    ASSERT_TRUE(WaitForModes(vb, kRs232On));
    vb.CtlOk("fault disconnect");
    r = once.Wait();
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "reading from the board failed")) << r.err;
}

} // namespace
