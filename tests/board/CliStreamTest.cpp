// kbr370's monitor streams against a real virtual board: what they print, and
// that the channel's monitoring mode is off again however they end.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tests/support/TestVBoard.h"

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// kbr370 with `args`, standard input from `input`, output into files.
class Kbr370 {
  public:
    explicit Kbr370(const std::vector<std::string>& args, const std::string& input = "") {
        std::ofstream(dir.File("in"), std::ios::binary) << input;
        pid = fork();
        if (pid == 0) {
            const int in = open(dir.File("in").c_str(), O_RDONLY);
            const int out = open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int err = open(dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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
    }
    void Signal(int signal) const { kill(pid, signal); }
    Result Wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                ReadFile(dir.File("out")), ReadFile(dir.File("err"))};
    }

  private:
    TempDir dir;
    pid_t pid = -1;
};

Result Cli(const std::vector<std::string>& args, const std::string& input = "") {
    return Kbr370(args, input).Wait();
}

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
    Result r = Cli({"rs232", "send", "AB"});
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
    r = Cli({"rs232", "term"}, "one\ntwo\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "one\ntwo\n");
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);

    EXPECT_EQ(Cli({"rs232", "receive", "--seconds", "-1"}).code, 2);
    EXPECT_EQ(Cli({"rs232"}).code, 2);
}

TEST(CliStreams, WatchersPrintCodesAndReports) {
    TestVBoard vb;
    vb.CtlOk("ir push 0540");
    Result r = Cli({"ir", "watch", "--seconds", "0.5"});
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
    for (int signal : {SIGINT, SIGTERM}) {
        Kbr370 watch({"ps2", "watch"});
        ASSERT_TRUE(WaitForModes(vb, "ir=0 rs232=0 ps2=1"));
        watch.Signal(signal);
        const Result r = watch.Wait();
        EXPECT_EQ(r.code, 0) << signal << r.err;
        EXPECT_EQ(vb.CtlOk("get modes"), kAllOff) << signal;
    }
}

TEST(CliStreams, ARefusedMonitoringModeIsExitThreeWithThePagesWords) {
    TestVBoard vb;
    vb.CtlOk("ps2 present 0");
    Result r = Cli({"ps2", "watch", "--seconds", "1"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("Cannot find a PS/2 mouse. Please plug one."), std::string::npos) << r.err;
    vb.CtlOk("ir present 0");
    r = Cli({"ir", "watch", "--seconds", "1"});
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("IR not found"), std::string::npos) << r.err;
    EXPECT_EQ(vb.CtlOk("get modes"), kAllOff);
}

} // namespace
