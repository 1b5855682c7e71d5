#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/support/TestVBoard.h"
#include "vboard/Wire.h"

namespace wire = vboard::wire;
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

int RunVBoard(const std::string& args) {
    std::string cmd = TestVBoard::BinDir() + "/kbr370-vboard " + args + " >/dev/null 2>&1";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(VBoardProcess, BlankBoardRefusesTheLinkUntilConfigured) {
    ASSERT_TRUE(kQuickConfigure);
    unsetenv("KBR370_VBOARD_CONFIGURE_MS");
    TestVBoard vb(false);
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

    vb.CtlOk("blank");
    EXPECT_TRUE(first.ClosedByBoard());
    EXPECT_EQ(vb.Ctl("status"), "ok configured=0 link=closed");
    EXPECT_EQ(vb.CtlOk("get leds"), "0x12345678"); // blank loses the design, not the board

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
    EXPECT_NE(access(platform::VBoardLinkSocket(dir).c_str(), F_OK), 0); // sockets removed
    EXPECT_EQ(RunVBoard("ctl --dir " + dir + " status"), 1);
}
