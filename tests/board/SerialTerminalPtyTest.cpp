// kbr370 rs232 term on a real terminal: keys go raw to the board's serial
// port, the escape key quits, and the terminal is as it was afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "tests/support/TestVBoard.h"

namespace {

using namespace std::chrono_literals;

// kbr370 rs232 term with a pseudo-terminal for all three standard streams.
class TermOnPty {
  public:
    TermOnPty() {
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
            return;
        tcgetattr(slave, &before);
        const std::string exe = TestVBoard::BinDir() + "/kbr370";
        pid = fork();
        if (pid == 0) {
            setsid();
            dup2(slave, 0);
            dup2(slave, 1);
            dup2(slave, 2);
            close(master);
            execl(exe.c_str(), exe.c_str(), "rs232", "term", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TermOnPty() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(master);
        close(slave);
    }

    void Type(const std::string& keys) const {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads the screen until `text` shows, or a few seconds pass.
    bool WaitForScreen(const std::string& text) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (screen.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            ReadScreen(50);
        }
        return true;
    }
    // Its exit status, or -1 when it does not end within a few seconds.
    int Wait() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            ReadScreen(20); // a full terminal would hold it up
        }
        return -1;
    }
    // Whether it stops within a few seconds.
    bool WaitStopped() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG | WUNTRACED) == pid && WIFSTOPPED(status))
                return true;
            ReadScreen(10);
        }
        return false;
    }
    // Whether the keys come raw within a few seconds.
    bool WaitRaw() const {
        for (int i = 0; i < 500; ++i) {
            termios now{};
            if (tcgetattr(slave, &now) == 0 && (now.c_lflag & ICANON) == 0)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    bool Restored() const {
        termios after{};
        return tcgetattr(slave, &after) == 0 && std::memcmp(&before, &after, sizeof after) == 0;
    }
    void Signal(int signal) const { kill(pid, signal); }

    std::string screen;

  private:
    void ReadScreen(int ms) {
        pollfd entry{master, POLLIN, 0};
        char buf[1024];
        if (poll(&entry, 1, ms) > 0) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0)
                screen.append(buf, static_cast<size_t>(n));
        }
    }

    int master = -1, slave = -1;
    termios before{};
    pid_t pid = -1;
};

// Monitoring mode goes on once the keys come raw.
bool Monitoring(const TestVBoard& vb) {
    for (int i = 0; i < 500; ++i) {
        if (vb.CtlOk("get modes") == "ir=0 rs232=1 ps2=0")
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// What the board's serial port transmitted, gathered until it holds `bytes`.
bool BoardSent(const TestVBoard& vb, std::string& sent, const std::string& bytes) {
    for (int i = 0; i < 500 && sent.find(bytes) == std::string::npos; ++i) {
        sent += vb.CtlOk("get rs232-tx");
        std::this_thread::sleep_for(20ms);
    }
    return sent.find(bytes) != std::string::npos;
}

TEST(SerialTerminalPty, KeysGoRawAndEveryWayOutRestoresTheTerminal) {
    TestVBoard vb;
    {
        TermOnPty term;
        ASSERT_TRUE(term.WaitForScreen("Ctrl-] q quits")) << term.screen;
        ASSERT_TRUE(term.WaitForScreen("\n"));
        ASSERT_TRUE(Monitoring(vb));
        const size_t banner = term.screen.size();

        // Each key as typed, Ctrl-C included, without waiting for Enter: one
        // text each read, with its zero byte. A zero byte typed cannot be carried.
        std::string sent;
        term.Type(std::string("ab\0\x03", 4));
        EXPECT_TRUE(BoardSent(vb, sent, "61620300")) << sent;
        term.Type("\r");
        EXPECT_TRUE(BoardSent(vb, sent, "0D00")) << sent;
        term.Type("\x1D\x1D");
        EXPECT_TRUE(BoardSent(vb, sent, "1D00")) << sent;

        // The port's bytes reach the screen; nothing typed was echoed.
        vb.CtlOk("rs232 push 6F6B0A");
        ASSERT_TRUE(term.WaitForScreen("ok\r\n")) << term.screen;
        EXPECT_EQ(term.screen.substr(banner), "ok\r\n");

        // The escape key's second key may come in a later read.
        term.Type("\x1D");
        std::this_thread::sleep_for(200ms);
        term.Type("?");
        EXPECT_TRUE(term.WaitForScreen("q quits, Ctrl-] sends")) << term.screen;
        term.Type("\x1Dq");
        EXPECT_EQ(term.Wait(), 0) << term.screen;
        EXPECT_TRUE(term.Restored());
        EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
        EXPECT_EQ(vb.CtlOk("get rs232-tx"), ""); // neither the ? nor the q went out
    }
    for (int signal : {SIGTERM, SIGHUP}) {
        TermOnPty term;
        ASSERT_TRUE(Monitoring(vb));
        term.Signal(signal);
        EXPECT_EQ(term.Wait(), 128 + signal) << term.screen;
        EXPECT_TRUE(term.Restored()) << signal;
    }
}

// Stopped from outside, it gives the shell a usable terminal; going on, it
// takes the keys raw again and carries on where it was.
TEST(SerialTerminalPty, AStopGivesTheTerminalBackUntilItGoesOn) {
    TestVBoard vb;
    TermOnPty term;
    ASSERT_TRUE(term.WaitForScreen("Ctrl-] q quits")) << term.screen;
    ASSERT_TRUE(Monitoring(vb));
    ASSERT_TRUE(term.WaitRaw());

    term.Signal(SIGTSTP);
    ASSERT_TRUE(term.WaitStopped());
    EXPECT_TRUE(term.Restored());

    term.Signal(SIGCONT);
    ASSERT_TRUE(term.WaitRaw());
    std::string sent;
    term.Type("x");
    EXPECT_TRUE(BoardSent(vb, sent, "7800")) << sent;
    term.Type("\x1Dq");
    EXPECT_EQ(term.Wait(), 0) << term.screen;
    EXPECT_TRUE(term.Restored());
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
}

} // namespace
