// A board reached through forwarded sockets, as `ssh -L` makes them: a folder
// holding only `link` and `ctl`, served by a relay rather than a daemon.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/support/CliRun.h"
#include "vboard/RunningBoards.h"

namespace {

// Stands in for `ssh -L local/link:remote/link -L local/ctl:remote/ctl`: listens
// on both names in `localDir` and relays each connection to the same name in
// `remoteDir`; a connection the far side refuses is closed at once, as ssh does.
class TForwarding {
  public:
    TForwarding(const std::string& localDir, const std::string& remoteDir) {
        if (pipe2(stop, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        for (auto name : {&platform::VBoardLinkSocket, &platform::VBoardControlSocket}) {
            int fd = platform::ListenUnix(name(localDir));
            // ssh's StreamLocalBindMask: the owner alone.
            if (fd < 0 || chmod(name(localDir).c_str(), 0600) != 0)
                throw std::runtime_error("cannot listen in " + localDir);
            listeners.push_back(fd);
            threads.emplace_back([this, fd, far = name(remoteDir)] { Accept(fd, far); });
        }
    }
    ~TForwarding() {
        if (write(stop[1], "x", 1) < 0) {
        }
        for (auto& t : threads)
            t.join();
        for (int fd : listeners)
            close(fd);
        close(stop[0]);
        close(stop[1]);
    }

  private:
    // Waits for `fd` to be readable; false once the forwarding stops.
    bool WaitFor(int fd) {
        pollfd p[2] = {{fd, POLLIN, 0}, {stop[0], POLLIN, 0}};
        return poll(p, 2, -1) > 0 && !p[1].revents;
    }

    void Accept(int listener, const std::string& far) {
        std::vector<std::thread> relays;
        while (WaitFor(listener)) {
            int near = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (near < 0)
                continue;
            int remote = platform::ConnectUnix(far);
            if (remote < 0) {
                close(near);
                continue;
            }
            relays.emplace_back([this, near, remote] { Relay(near, remote); });
        }
        for (auto& t : relays)
            t.join();
    }

    // Copies both ways, passing each end-of-stream on, until both are done.
    void Relay(int a, int b) {
        bool open[2] = {true, true};
        const int from[2] = {a, b}, to[2] = {b, a};
        while (open[0] || open[1]) {
            pollfd p[3] = {
                {open[0] ? a : -1, POLLIN, 0}, {open[1] ? b : -1, POLLIN, 0}, {stop[0], POLLIN, 0}};
            if (poll(p, 3, -1) <= 0 || p[2].revents)
                break;
            for (int i = 0; i < 2; ++i) {
                if (!p[i].revents)
                    continue;
                char buffer[4096];
                ssize_t n = recv(from[i], buffer, sizeof buffer, 0);
                if (n <= 0 || !platform::SendAll(to[i], buffer, size_t(n))) {
                    open[i] = false;
                    shutdown(to[i], SHUT_WR);
                }
            }
        }
        close(a);
        close(b);
    }

    int stop[2] = {-1, -1};
    std::vector<int> listeners;
    std::vector<std::thread> threads;
};

std::vector<std::string> EntriesOf(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CliResult VBoard(const std::vector<std::string>& args) {
    CliResult r;
    std::string cmd = TestVBoard::BinDir() + "/kbr370-vboard";
    for (const auto& a : args)
        cmd += " '" + a + "'";
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, p))
        r.out.append(buffer, n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(ForwardedSockets, CarryTheBoardAndAreNeverReplaced) {
    TestVBoard remote(false);
    TempDir tmp;
    const std::string local = tmp.File("forwarded");
    ASSERT_EQ(mkdir(local.c_str(), 0700), 0);
    TForwarding forwarding(local, remote.Dir());
    setenv("KBR370_VBOARD_DIR", local.c_str(), 1);
    const std::vector<std::string> sockets = {"ctl", "link"};

    // The programmer (through ctl) and the link both go through the forwarding.
    CliResult r = Cli({"configure"});
    EXPECT_EQ(r.code, 0) << r.err;
    r = Cli({"leds", "0x2A"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(remote.CtlOk("get leds"), "0x0000002A");
    r = Cli({"info"});
    EXPECT_TRUE(Contains(r.out, "KBR_370")) << r.out << r.err;
    r = VBoard({"ctl", "--dir", local, "get", "leds"});
    EXPECT_EQ(r.out, "ok 0x0000002A\n");
    EXPECT_EQ(EntriesOf(local), sockets) << "no daemon of ours was started here";

    // The far board gone: nothing answers, and nothing of ours takes the folder.
    remote.Kill();
    r = Cli({"leds", "1"});
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(Contains(r.err, "forwarded sockets in " + local)) << r.err;
    r = VBoard({"serve", "--dir", local});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.out, "another process serves")) << r.out;
    EXPECT_EQ(EntriesOf(local), sockets);
    for (const auto& board : vboard::FindRunningBoards())
        EXPECT_NE(board.dir, local);

    // Back again, through the same sockets.
    remote.Restart(true);
    r = Cli({"leds", "0x3"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(remote.CtlOk("get leds"), "0x00000003");
}

} // namespace
