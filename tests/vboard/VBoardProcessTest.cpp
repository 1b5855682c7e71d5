#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "platform/Version.h"
#include "tests/support/TestVBoard.h"
#include "vboard/Daemon.h"
#include "vboard/RunningBoards.h"
#include "wire/FrameCodec.h"

namespace wire = kbr::wire;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

// Most tests here need a configured board, not the realistic download time.
const bool kQuickConfigure = setenv("KBR370_VBOARD_CONFIGURE_MS", "50", 1) == 0;

// A raw client of the link socket, speaking frames by hand.
class TRawLink {
  public:
    explicit TRawLink(const TestVBoard& vb)
        : fd(platform::ConnectUnix(platform::VBoardLinkSocket(vb.Dir()))) {}
    ~TRawLink() { platform::CloseFd(fd); }
    bool Connected() const { return fd >= 0; }

    void Send(const Bytes& b) { ASSERT_TRUE(platform::SendAll(fd, b.data(), b.size())); }
    void Request(uint8_t command, const Bytes& payload = {}) {
        Send(wire::MakeFrame(command, payload));
    }

    // Reads up to `count` bytes within `timeoutMs`; fewer when the time runs out or the peer
    // closes.
    Bytes Read(size_t count, int timeoutMs = 3000) {
        Bytes out;
        auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < count) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, int(left)) <= 0)
                break;
            uint8_t buf[65536];
            ssize_t n = recv(fd, buf, std::min(sizeof buf, count - out.size()), 0);
            if (n <= 0) {
                closedByPeer = n == 0;
                break;
            }
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // Whether the board closes the connection within `timeoutMs`.
    bool ClosedByBoard(int timeoutMs = 2000) {
        Read(SIZE_MAX, timeoutMs);
        return closedByPeer;
    }

  private:
    int fd;
    bool closedByPeer = false;
};

Bytes Frame(uint8_t command, const Bytes& payload) {
    return wire::MakeFrame(command, payload);
}

int RunVBoard(const std::string& args, std::string* output = nullptr) {
    std::string cmd = TestVBoard::BinDir() + "/kbr370-vboard " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    char buf[512];
    std::string text;
    while (size_t n = fread(buf, 1, sizeof buf, p))
        text.append(buf, n);
    int status = pclose(p);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t EntriesIn(const std::string& dir) {
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(dir);
         it != std::filesystem::directory_iterator(); ++it)
        ++n;
    return n;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The daemon's resident memory in KiB, from its pid file and /proc.
long ResidentKiB(const std::string& dir) {
    std::string pid = ReadAll(vboard::TDaemon::PidPath(dir));
    std::ifstream status("/proc/" + pid.substr(0, pid.find('\n')) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A daemon of our own in this process; Start runs its loop on a thread.
struct DaemonInThread {
    explicit DaemonInThread(uint32_t ctlIdleMs) : daemon(tmp.File("vb")) {
        std::string error;
        opened = daemon.Open(error) == vboard::TDaemon::OpenResult::Ok;
        EXPECT_TRUE(opened) << error;
        daemon.SetCtlIdleMs(ctlIdleMs);
    }
    ~DaemonInThread() {
        if (loop.joinable()) {
            daemon.RequestStop();
            loop.join();
        }
    }
    void Start() {
        loop = std::thread([this] { daemon.Run(); });
    }
    std::string Ctl() const { return platform::VBoardControlSocket(daemon.Dir()); }

    TempDir tmp;
    vboard::TDaemon daemon;
    std::thread loop;
    bool opened = false;
};

} // namespace

TEST(VBoardProcess, BlankBoardRefusesTheLinkUntilConfigured) {
    ASSERT_TRUE(kQuickConfigure);
    unsetenv("KBR370_VBOARD_CONFIGURE_MS");
    TestVBoard vb(false, std::nullopt);
    setenv("KBR370_VBOARD_CONFIGURE_MS", "50", 1);
    EXPECT_EQ(vb.Ctl("status"), "ok configured=0 link=closed");
    {
        TRawLink l(vb);
        ASSERT_TRUE(l.Connected());
        EXPECT_TRUE(l.ClosedByBoard());
    }
    TempDir tmp;
    std::string foreign = tmp.File("other board.sof");
    ASSERT_EQ(std::system(("printf 'SOF0 not ours' > '" + foreign + "'").c_str()), 0);
    EXPECT_EQ(vb.Ctl("configure " + foreign).rfind("error ", 0), 0u);
    EXPECT_EQ(vb.Ctl("status"), "ok configured=0 link=closed");

    auto t0 = Clock::now();
    vb.CtlOk("configure " + TestVBoard::DesignFile());
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_GE(ms, 1400);
    EXPECT_LT(ms, 3000);
    TRawLink l(vb);
    l.Request(0);
    Bytes r = l.Read(25);
    ASSERT_EQ(r.size(), 25u);
    EXPECT_EQ(std::string(r.begin() + 7, r.begin() + 14), "KBR_370");
    EXPECT_EQ(vb.Ctl("status"), "ok configured=1 link=open");

    // Tests shorten it with --configure-ms, which wins over the environment's 50.
    TestVBoard quick(false, 400);
    t0 = Clock::now();
    quick.CtlOk("configure " + TestVBoard::DesignFile());
    ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_GE(ms, 390);
    EXPECT_LT(ms, 1400);
}

TEST(VBoardProcess, OneLinkAtATimeAndBlankOrResetCutsIt) {
    TestVBoard vb;
    TRawLink first(vb);
    first.Request(1);
    EXPECT_EQ(first.Read(9), Frame(1, {0}));
    {
        TRawLink second(vb);
        EXPECT_TRUE(second.ClosedByBoard());
    }
    first.Request(5, {0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(first.Read(9), Frame(5, {0}));
    EXPECT_EQ(vb.CtlOk("get leds"), "0x12345678");
    for (const uint8_t channel : {wire::kChannelIr, wire::kChannelRs232,
                                  wire::kChannelPs2}) {
        first.Request(wire::CmdSetDeviceMode, {channel, 1});
        EXPECT_EQ(first.Read(9), Frame(wire::CmdSetDeviceMode, {0}));
    }
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=1 rs232=1 ps2=1");

    vb.CtlOk("blank");
    EXPECT_TRUE(first.ClosedByBoard());
    EXPECT_EQ(vb.Ctl("status"), "ok configured=0 link=closed");
    EXPECT_EQ(vb.CtlOk("get leds"), "0x12345678"); // blank loses the design, not the board
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0"); // but what the design watched

    vb.CtlOk("configure " + TestVBoard::DesignFile());
    TRawLink again(vb);
    again.Request(5, {1, 0, 0, 0});
    EXPECT_EQ(again.Read(9), Frame(5, {0}));
    vb.CtlOk("set inputs 0x15");
    vb.CtlOk("reset");
    EXPECT_TRUE(again.ClosedByBoard());
    EXPECT_EQ(vb.Ctl("status"), "ok configured=0 link=closed");
    EXPECT_EQ(vb.CtlOk("get leds"), "0x00000000");
}

TEST(VBoardProcess, LinkCarriesFramesThroughJunkAndSplitWrites) {
    TestVBoard vb;
    TRawLink l(vb);
    // Junk, a bad checksum, then a good request sent byte by byte.
    Bytes bad = Frame(0, {});
    bad[6] ^= 1;
    l.Send({0x01, 0x02, 0x55});
    l.Send(bad);
    Bytes good = Frame(6, {});
    for (uint8_t b : good)
        l.Send({b});
    Bytes r = l.Read(21);
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r[1], 6);
    EXPECT_EQ(vb.CtlOk("log requests"), "06");

    // A 32 KB write and read back, in one frame each.
    Bytes data(32743);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i ^ (i >> 8));
    Bytes w = {7, 0x00, 0x10, 0x00, 0x00};
    w.insert(w.end(), data.begin(), data.end());
    l.Request(13, w);
    EXPECT_EQ(l.Read(9), Frame(13, {0}));
    l.Request(14, {7, 0x00, 0x10, 0x00, 0x00, 0xE7, 0x7F, 0x00, 0x00});
    Bytes back = l.Read(32743 + 1 + 8);
    ASSERT_EQ(back.size(), 32752u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin() + 7));
    EXPECT_EQ(vb.CtlOk("mem read 7 0x1000 4"), "00010203");
}

TEST(VBoardProcess, FaultsSpoilTheNextRepliesThenStop) {
    TestVBoard vb;
    TRawLink l(vb);
    const Bytes good = Frame(1, {0});
    vb.CtlOk("fault drop 2");
    vb.CtlOk("fault status:9");
    l.Request(1);
    EXPECT_TRUE(l.Read(9, 150).empty());
    l.Request(1);
    EXPECT_TRUE(l.Read(9, 150).empty());
    l.Request(1);
    EXPECT_EQ(l.Read(9), Frame(1, {9}));
    l.Request(1);
    EXPECT_EQ(l.Read(9), good);

    vb.CtlOk("fault garbage:5");
    l.Request(1);
    Bytes g = l.Read(14);
    EXPECT_TRUE(std::equal(good.begin(), good.end(), g.begin() + 5));

    vb.CtlOk("fault stall:300");
    auto t0 = Clock::now();
    l.Request(1);
    EXPECT_TRUE(l.Read(9, 150).empty());
    EXPECT_EQ(vb.Ctl("status"), "ok configured=1 link=open"); // the stall does not block ctl
    EXPECT_EQ(l.Read(9), good);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(290));

    vb.CtlOk("fault truncate:3 1");
    vb.CtlOk("fault clear");
    l.Request(1);
    EXPECT_EQ(l.Read(9), good);

    vb.CtlOk("fault disconnect");
    l.Request(1);
    EXPECT_TRUE(l.ClosedByBoard());
}

TEST(VBoardProcess, EraseStepsTakeTheirTimeWithoutBlockingCtl) {
    TestVBoard vb;
    TRawLink l(vb);
    vb.CtlOk("mem write 3 0x20000 00");
    vb.CtlOk("erase step-ms 400");
    auto t0 = Clock::now();
    l.Request(11, {1, 0, 0, 0});
    EXPECT_TRUE(l.Read(9, 100).empty());
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
    EXPECT_EQ(l.Read(9), Frame(11, {0}));
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(390));
    EXPECT_EQ(vb.CtlOk("mem read 3 0x20000 1"), "FF");
    l.Request(11, {64, 0, 0, 0});
    EXPECT_EQ(l.Read(9), Frame(11, {1}));
}

TEST(VBoardProcess, RatePacesRepliesAndRequests) {
    TestVBoard vb;
    TRawLink l(vb);
    vb.CtlOk("link rate 100000");
    auto t0 = Clock::now();
    l.Request(14, {6, 0, 0, 0, 0, 0x10, 0x27, 0, 0}); // 10000 bytes
    EXPECT_EQ(l.Read(10009).size(), 10009u);
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    // Never faster than the rate (less the FIFO's worth that each direction may
    // send at once); a loaded machine may make it a little slower.
    EXPECT_LE((10009 + 17 - 2 * 64) / s, 101000);
    EXPECT_GE((10009 + 17) / s, 80000);
    vb.CtlOk("link rate off");
    t0 = Clock::now();
    l.Request(14, {6, 0, 0, 0, 0, 0xEB, 0x7F, 0, 0}); // 32747 bytes: 330 ms if still paced
    EXPECT_EQ(l.Read(32756).size(), 32756u);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(200));
}

TEST(VBoardProcess, DaemonStartsStopsAndKeepsItsDirectoryPrivate) {
    TempDir tmp;
    std::string dir = tmp.File("vb");
    EXPECT_EQ(RunVBoard("stop --dir " + dir), 0); // nothing running is fine
    ASSERT_EQ(RunVBoard("serve --dir " + dir), 0);
    // Listening by the time serve returns.
    std::string reply;
    EXPECT_TRUE(
        platform::ControlRequest(platform::VBoardControlSocket(dir), "status", reply, 2000));
    EXPECT_EQ(reply, "ok configured=0 link=closed");
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(RunVBoard("serve --dir " + dir), 0); // already serving
    EXPECT_EQ(RunVBoard("ctl --dir " + dir + " set inputs 0x5"), 0);
    EXPECT_EQ(RunVBoard("ctl --dir " + dir + " set inputs 0x500000"), 1);
    EXPECT_EQ(RunVBoard("stop --dir " + dir), 0);
    EXPECT_FALSE(
        platform::ControlRequest(platform::VBoardControlSocket(dir), "status", reply, 500));
    EXPECT_NE(access(dir.c_str(), F_OK), 0) << "the directory it made is gone with it";
    EXPECT_EQ(RunVBoard("ctl --dir " + dir + " status"), 1);
}

TEST(VBoardProcess, DirectoryMustBeOursAndNothingIsWrittenThroughLinks) {
    TempDir tmp;
    std::string out;
    // Open to others: refused, and its mode left as it was.
    std::string open = tmp.File("open");
    ASSERT_EQ(mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_EQ(RunVBoard("serve --dir " + open, &out), 1);
    EXPECT_NE(out.find("has mode 0755; it must be 0700"), std::string::npos) << out;
    EXPECT_EQ(RunVBoard("ctl --dir " + open + " status", &out), 1);
    EXPECT_NE(out.find("has mode 0755"), std::string::npos) << out;
    EXPECT_EQ(RunVBoard("stop --dir " + open), 1);
    struct stat st;
    ASSERT_EQ(stat(open.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    EXPECT_EQ(EntriesIn(open), 0u);

    // Ours, with a pid file planted as a link to a file of ours.
    std::string dir = tmp.File("board"), victim = tmp.File("victim");
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    std::ofstream(victim) << "precious";
    ASSERT_EQ(symlink(victim.c_str(), vboard::TDaemon::PidPath(dir).c_str()), 0);
    ASSERT_EQ(RunVBoard("serve --dir " + dir), 0);
    EXPECT_EQ(RunVBoard("ctl --dir " + dir + " status"), 0);
    EXPECT_EQ(RunVBoard("stop --dir " + dir), 0);
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_EQ(EntriesIn(dir), 0u)
        << "sockets, pid and lock removed; the directory was not its own to remove";

    // A path too long for a socket is named as such.
    std::string deep = tmp.Path() + "/" + std::string(120, 'd');
    EXPECT_EQ(RunVBoard("serve --dir " + deep, &out), 1);
    EXPECT_NE(out.find("too long a path for a socket"), std::string::npos) << out;
    EXPECT_NE(access(deep.c_str(), F_OK), 0);

    auto other = SecondUser();
    if (!other)
        GTEST_SKIP() << "another user's directory: only when run as root";
    ASSERT_EQ(chmod(open.c_str(), 0700), 0);
    ASSERT_EQ(chown(open.c_str(), other->uid, other->gid), 0);
    EXPECT_EQ(RunVBoard("serve --dir " + open, &out), 1);
    EXPECT_NE(out.find("belongs to another user"), std::string::npos) << out;
    EXPECT_EQ(RunVBoard("ctl --dir " + open + " status"), 1);
}

TEST(VBoardProcess, CtlSendsOneCommandAndListsThem) {
    TestVBoard vb;
    std::string out;
    EXPECT_EQ(RunVBoard("ctl --dir " + vb.Dir() + " configure \"$(printf 'x.sof\\nblank')\"", &out),
              1);
    EXPECT_NE(out.find("control characters"), std::string::npos) << out;
    EXPECT_EQ(vb.CtlOk("status"), "configured=1 link=closed");

    EXPECT_EQ(RunVBoard("ctl --dir " + vb.Dir() + " help", &out), 0);
    for (const char* name : {"status", "configure", "get", "set", "mem", "fault", "reset"})
        EXPECT_NE(out.find(std::string(" ") + name), std::string::npos) << name << " in " << out;

    // Where no board runs, ctl says how to start one there.
    TempDir none;
    const std::string gone = none.Path() + "/none";
    EXPECT_EQ(RunVBoard("ctl --dir " + gone + " status", &out), 1);
    EXPECT_EQ(out, "kbr370-vboard: no virtual board answers in " + gone +
                       ": start one with `kbr370-vboard serve --dir " + gone + "`\n");
    // The board is the test's child, not collected while stop runs: stop
    // sees it has ended rather than waiting out its deadline.
    const auto stopping = std::chrono::steady_clock::now();
    EXPECT_EQ(RunVBoard("stop --dir " + vb.Dir()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(4));
    EXPECT_EQ(RunVBoard("ctl --dir " + vb.Dir() + " status", &out), 1);
    EXPECT_NE(out.find(vb.Dir() + ": start one with `kbr370-vboard serve`"), std::string::npos)
        << "the board's usual folder: " << out;
}

// Misbehaving ctl clients (one that asks and never reads, many that only sit
// there) must not grow the daemon or shut out the link and a fresh client.
TEST(VBoardProcess, ControlSocketSurvivesFloodsAndIdleClients) {
    TestVBoard vb;
    std::string ctl = platform::VBoardControlSocket(vb.Dir());
    int flood = platform::ConnectUnix(ctl);
    ASSERT_GE(flood, 0);
    std::string request = "mem read 7 0x0 65536\n";
    std::string burst;
    for (int i = 0; i < 4000; ++i) // 500 MB of replies if all were kept
        burst += request;
    for (size_t sent = 0; sent < burst.size();) {
        ssize_t n =
            send(flood, burst.data() + sent, burst.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0)
            break; // the daemon stopped reading from us
        sent += size_t(n);
    }
    std::vector<int> idle;
    for (int i = 0; i < 80; ++i)
        idle.push_back(platform::ConnectUnix(ctl));

    EXPECT_EQ(vb.Ctl("status"), "ok configured=1 link=closed");
    TRawLink l(vb);
    l.Request(1);
    EXPECT_EQ(l.Read(9), Frame(1, {0}));
    EXPECT_LT(ResidentKiB(vb.Dir()), 64 * 1024);
    for (int fd : idle)
        platform::CloseFd(fd);
    platform::CloseFd(flood);
}

// Clients that wait on slow replies (configure) hold no place for good: a full
// table still takes a fresh client, and a waiting client goes idle like others.
TEST(VBoardProcess, WaitingControlClientsMakeRoomAndGoIdle) {
    DaemonInThread d(1500);
    ASSERT_TRUE(d.opened);
    d.daemon.SetConfigureMs(60000);
    d.Start();
    const std::string ctl = d.Ctl();
    std::vector<int> waiting;
    for (size_t i = 0; i < vboard::TDaemon::kCtlClientsMax; ++i) {
        const int fd = platform::ConnectUnix(ctl);
        ASSERT_GE(fd, 0);
        // The status reply shows the configure behind it has been taken up.
        waiting.push_back(fd);
        const std::string lines = "status\nconfigure " + TestVBoard::DesignFile() + "\n";
        std::string reply;
        ASSERT_TRUE(platform::SendAll(fd, lines.data(), lines.size()));
        ASSERT_TRUE(platform::ReadLine(fd, reply, 2000));
    }
    std::string reply;
    EXPECT_TRUE(platform::ControlRequest(ctl, "status", reply, 2000)) << "a fresh client";
    EXPECT_EQ(reply, "ok configured=0 link=closed");

    pollfd p{waiting.back(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 15000), 1);
    char c;
    EXPECT_EQ(recv(waiting.back(), &c, 1, MSG_DONTWAIT), 0) << "closed while waiting";
    for (int fd : waiting)
        platform::CloseFd(fd);
}

// A ctl client that sends nothing is let go after the idle time.
TEST(VBoardProcess, IdleControlClientIsClosed) {
    DaemonInThread d(100);
    ASSERT_TRUE(d.opened);
    d.Start();
    int fd = platform::ConnectUnix(d.Ctl());
    ASSERT_GE(fd, 0);
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 10000), 1);
    char c;
    EXPECT_EQ(recv(fd, &c, 1, MSG_DONTWAIT), 0) << "closed by the daemon";
    platform::CloseFd(fd);
}

TEST(VBoardProcess, VersionAndUsageErrorsAsKbr370) {
    std::string out;
    EXPECT_EQ(RunVBoard("--version", &out), 0);
    EXPECT_EQ(out, std::string("kbr370-vboard ") + kKbrVersion + "\n");
    for (const char* usage : {"", "frobnicate", "serve --bogus", "serve --configure-ms 99999",
                              "stop --dir", "list extra", "ctl"})
        EXPECT_EQ(RunVBoard(usage, &out), 2) << usage << ": " << out;
    EXPECT_EQ(RunVBoard("--help", &out), 0);
    EXPECT_NE(out.find("list"), std::string::npos) << out;
}

// `list` finds this user's daemons among the processes: a forgotten one can
// be told apart by its folder and who holds its link, and one that has died
// is never listed, whatever it left behind.
TEST(VBoardProcess, ListShowsTheRunningBoardsAndWhoHoldsTheLink) {
    TestVBoard held;
    TempDir tmp;
    const std::string idle = tmp.File("idle");
    ASSERT_EQ(RunVBoard("serve --dir " + idle), 0);
    TRawLink link(held);
    ASSERT_TRUE(link.Connected());
    ASSERT_EQ(held.CtlOk("status"), "configured=1 link=open");

    std::string out;
    ASSERT_EQ(RunVBoard("list", &out), 0);
    std::istringstream lines(out);
    std::string line;
    std::map<std::string, std::string> rows; // by the directory, the last column
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("PID", 0), 0u) << line;
    while (std::getline(lines, line))
        rows[line.substr(line.rfind(' ') + 1)] = line;
    const std::string me = std::to_string(getpid()) + " (" + vboard::ProgramName(getpid()) + ")";
    ASSERT_TRUE(rows.count(held.Dir())) << out;
    EXPECT_NE(rows[held.Dir()].find(" yes "), std::string::npos) << out;
    EXPECT_NE(rows[held.Dir()].find(me), std::string::npos) << me << " in " << out;
    const std::string pid = ReadAll(vboard::TDaemon::PidPath(held.Dir()));
    EXPECT_EQ(rows[held.Dir()].rfind(pid.substr(0, pid.find('\n')) + " ", 0), 0u)
        << "the daemon's own pid first: " << out;
    ASSERT_TRUE(rows.count(idle)) << out;
    EXPECT_NE(rows[idle].find(" no "), std::string::npos) << out;
    EXPECT_NE(rows[idle].find(" free "), std::string::npos) << out;

    // Stopped through what list showed; killed, with its files left behind.
    EXPECT_EQ(RunVBoard("stop --dir " + idle), 0);
    held.Kill();
    ASSERT_TRUE(std::filesystem::exists(platform::VBoardControlSocket(held.Dir())));
    RunVBoard("list", &out);
    EXPECT_EQ(out.find(idle), std::string::npos) << out;
    EXPECT_EQ(out.find(held.Dir()), std::string::npos) << out;
}
