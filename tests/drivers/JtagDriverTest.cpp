// ZOLVANE_JTAG.DLL against a real virtual board: opening, the byte link,
// handles, the cable choice, starting the daemon, and a board that dies.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "drivers/jtag/Cable.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/drivers/DriverTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const uint8_t kNameRequest[] = {0xAA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x55};
constexpr size_t kNameReplySize = 25; // 8 framing bytes + status + 16 name bytes

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// Collects `count` bytes with the non-blocking read, as the panel's timed read does.
std::vector<uint8_t> ReadFor(const JtagDll& dll, uint32_t handle, size_t count, int timeoutMs) {
    std::vector<uint8_t> got(count);
    size_t have = 0;
    auto start = Clock::now();
    while (have < count && MsSince(start) < timeoutMs) {
        int32_t n = dll.Read(handle, got.data() + have, static_cast<uint32_t>(count - have));
        EXPECT_GE(n, 0);
        EXPECT_LE(static_cast<size_t>(n), count - have);
        if (n <= 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        else
            have += static_cast<size_t>(n);
    }
    got.resize(have);
    return got;
}

// Reads of a link that delivers nothing: each waits a moment for data rather
// than returning at once, so a caller's polling loop does not spin a core.
void ExpectQuietSilence(const JtagDll& dll, uint32_t handle) {
    constexpr int kReads = 400;
    uint8_t buffer[64];
    auto cpuMs = [] {
        rusage use{};
        getrusage(RUSAGE_THREAD, &use);
        return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000.0 +
               (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1000.0;
    };
    const double cpu0 = cpuMs();
    const auto start = Clock::now();
    for (int i = 0; i < kReads; ++i)
        ASSERT_EQ(dll.Read(handle, buffer, sizeof buffer), 0);
    const auto wallMs = static_cast<double>(MsSince(start));
    EXPECT_GE(wallMs, kReads * 0.2) << "reads of a silent link return without waiting";
    EXPECT_LT(wallMs, kReads * 2.0) << "a read waits far longer than a moment";
    EXPECT_LT(cpuMs() - cpu0, wallMs * 0.3) << "waiting for a silent link busies the CPU";
}

void ExpectNameReply(const std::vector<uint8_t>& r) {
    ASSERT_EQ(r.size(), kNameReplySize);
    EXPECT_EQ(r[0], 0xAA);
    EXPECT_EQ(r[1], 0x00);
    EXPECT_EQ(std::vector<uint8_t>(r.begin() + 2, r.begin() + 6),
              (std::vector<uint8_t>{17, 0, 0, 0}));
    EXPECT_EQ(r[6], 0) << "status";
    EXPECT_STREQ(reinterpret_cast<const char*>(r.data() + 7), "KBR_370");
    uint8_t sum = 0;
    for (size_t i = 1; i <= 22; ++i)
        sum = static_cast<uint8_t>(sum + r[i]);
    EXPECT_EQ(r[23], sum) << "checksum";
    EXPECT_EQ(r[24], 0x55);
}

void ExpectBoardAnswers(const JtagDll& dll, uint32_t handle) {
    ASSERT_NE(dll.Write(handle, kNameRequest, sizeof kNameRequest), 0);
    ExpectNameReply(ReadFor(dll, handle, kNameReplySize, 3000));
}

// A cable that counts what reaches its own receive and can be cut.
class CountingCable : public drivers::Cable {
  public:
    bool Open(int32_t, const std::string&) override { return open = true; }
    void Close() override { open = false; }
    bool Write(const uint8_t*, uint32_t) override { return true; }
    std::string Describe() const override { return "counting"; }
    void Cut() { broken = true; }

    bool open = false;
    int receives = 0;
    uint32_t lastCount = 0;

  protected:
    bool IsOpen() const override { return open; }
    uint32_t Receive(uint8_t* buffer, uint32_t maxCount) override {
        ++receives;
        lastCount = maxCount;
        buffer[0] = 0x42;
        return 1;
    }
};

TEST(JtagDriver, EveryCableReadsACutLinkAsASilenceAndNeverPastItsArguments) {
    CountingCable cable;
    uint8_t byte = 0;
    EXPECT_EQ(cable.ReadAvailable(&byte, 1), 0u) << "a closed cable";
    cable.Open(0, "");
    EXPECT_EQ(cable.ReadAvailable(nullptr, 1), 0u);
    EXPECT_EQ(cable.ReadAvailable(&byte, 0), 0u);
    EXPECT_EQ(cable.receives, 0);

    // The caller gets the count back as a signed 32-bit number.
    std::vector<uint8_t> buffer(1);
    EXPECT_EQ(cable.ReadAvailable(buffer.data(), UINT32_MAX), 1u);
    EXPECT_EQ(cable.lastCount, static_cast<uint32_t>(INT32_MAX));

    // Once cut, a read is not passed on, and each waits its moment, so a
    // caller's time limit runs out without spinning a core.
    cable.Cut();
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(cable.ReadAvailable(&byte, 1), 0u);
    EXPECT_EQ(cable.receives, 1);
    EXPECT_GE(MsSince(start), 19);
}

TEST(JtagDriver, OpensOnlyAConfiguredBoard) {
    ScopedEnv cable("KBR370_CABLE", std::nullopt);
    TestVBoard board(false);
    JtagDll dll;

    EXPECT_EQ(dll.Open(0, ""), 0u) << "a blank FPGA has nothing to talk to";
    EXPECT_EQ(board.CtlOk("status"), "configured=0 link=closed");

    board.CtlOk("configure " + TestVBoard::DesignFile());
    uint32_t handle = dll.Open(0, "");
    ASSERT_NE(handle, 0u);
    ExpectBoardAnswers(dll, handle);
    EXPECT_EQ(board.CtlOk("status"), "configured=1 link=open");

    // The link text lies at offset 112 of the caller's record, terminated in it.
    std::vector<char> record(TJtagPort::kInfoRecordSize, '\x7F');
    ASSERT_NE(dll.GetInfo(handle, record.data()), 0);
    const char* text = record.data() + TJtagPort::kInfoTextOffset;
    ASSERT_LT(strnlen(text, record.size() - TJtagPort::kInfoTextOffset),
              record.size() - TJtagPort::kInfoTextOffset);
    EXPECT_EQ(std::string(text), "KBR-370 virtual board at " + board.Dir());
    EXPECT_EQ(dll.GetInfo(handle, nullptr), 0);
    dll.Close(handle);
}

TEST(JtagDriver, ByteLinkWaitsOnlyAMomentAndIsBounded) {
    TestVBoard board;
    JtagDll dll;
    uint32_t handle = dll.Open(0, nullptr); // a missing cable name is as good as an empty one
    ASSERT_NE(handle, 0u);

    // Nothing to read: 0 after a moment's wait, never a long one.
    uint8_t buffer[64];
    ExpectQuietSilence(dll, handle);

    // The reply arrives in pieces no bigger than asked for, and the bytes past
    // the asked-for count stay as they were.
    ASSERT_NE(dll.Write(handle, kNameRequest, sizeof kNameRequest), 0);
    std::vector<uint8_t> reply;
    auto start = Clock::now();
    while (reply.size() < kNameReplySize && MsSince(start) < 3000) {
        std::memset(buffer, 0xEE, sizeof buffer);
        int32_t n = dll.Read(handle, buffer, 5);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 5);
        for (size_t i = 5; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0xEE) << "read wrote past its count at " << i;
        reply.insert(reply.end(), buffer, buffer + n);
    }
    ExpectNameReply(reply);
    EXPECT_EQ(dll.Read(handle, buffer, sizeof buffer), 0) << "nothing beyond the reply";

    // A zero count or a missing buffer reads nothing and keeps the link.
    EXPECT_EQ(dll.Read(handle, buffer, 0), 0);
    EXPECT_EQ(dll.Read(handle, nullptr, 10), 0);
    ExpectBoardAnswers(dll, handle);
    dll.Close(handle);
}

TEST(JtagDriver, HandlesAndCableChoiceFailSafely) {
    TestVBoard board;
    JtagDll dll;
    uint8_t buffer[32];
    std::vector<char> record(TJtagPort::kInfoRecordSize);

    for (uint32_t bogus : {0u, 7u, 0xFFFFFFFFu}) {
        EXPECT_EQ(dll.Write(bogus, kNameRequest, sizeof kNameRequest), 0);
        EXPECT_EQ(dll.Read(bogus, buffer, sizeof buffer), 0);
        EXPECT_EQ(dll.GetInfo(bogus, record.data()), 0);
        dll.Close(bogus);
    }

    uint32_t first = dll.Open(0, "");
    ASSERT_NE(first, 0u);
    dll.Close(first);
    EXPECT_EQ(dll.Write(first, kNameRequest, sizeof kNameRequest), 0);
    EXPECT_EQ(dll.GetInfo(first, record.data()), 0);
    dll.Close(first); // twice is harmless

    // A new link never gets the number of a closed one, so a stale handle
    // cannot reach it.
    uint32_t second = dll.Open(0, "");
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(dll.Write(first, kNameRequest, sizeof kNameRequest), 0);
    ExpectBoardAnswers(dll, second);
    dll.Close(second);

    {
        ScopedEnv cable("KBR370_CABLE", "virtual");
        uint32_t handle = dll.Open(0, "");
        EXPECT_NE(handle, 0u);
        dll.Close(handle);
    }
    ScopedEnv cable("KBR370_CABLE", "xyz");
    testing::internal::CaptureStderr();
    EXPECT_EQ(dll.Open(0, ""), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ZOLVANE_JTAG: unknown cable \"xyz\" in KBR370_CABLE (known: virtual, usb-blaster)\n");
}

TEST(JtagDriver, OneLinkAtATimeAndReopenAtOnce) {
    TestVBoard board;
    JtagDll dll;
    uint32_t held = dll.Open(0, "");
    ASSERT_NE(held, 0u);

    // The board refuses a second link; the open says so instead of handing out
    // a dead handle, and the first link is unharmed.
    testing::internal::CaptureStderr();
    EXPECT_EQ(dll.Open(0, ""), 0u);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("already has a link open"), std::string::npos) << err;
    ExpectBoardAnswers(dll, held);
    dll.Close(held);

    // The panel closes and opens again straight away; each new link must work
    // although the board may not have seen the old one go yet.
    for (int i = 0; i < 10; ++i) {
        uint32_t handle = dll.Open(0, "");
        ASSERT_NE(handle, 0u) << "reopen " << i;
        ExpectBoardAnswers(dll, handle);
        dll.Close(handle);
    }
}

// Someone else's board directory (made first under /tmp) would receive what
// we send; so would one that others may write into.
TEST(JtagDriver, UsesOnlyABoardDirectoryAndSocketsOfOurOwn) {
    TestVBoard board;
    JtagDll dll;
    auto refused = [&](const std::string& why) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(dll.Open(0, ""), 0u);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(why), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(board.CtlOk("status"), "configured=1 link=closed");
    };
    ASSERT_EQ(chmod(board.Dir().c_str(), 0755), 0);
    refused("has mode 0755; it must be 0700");
    ASSERT_EQ(chmod(board.Dir().c_str(), 0700), 0);

    if (auto other = SecondUser()) {
        std::string link = platform::VBoardLinkSocket(board.Dir());
        ASSERT_EQ(lchown(link.c_str(), other->uid, other->gid), 0);
        refused("the socket " + link + " belongs to another user");
        ASSERT_EQ(lchown(link.c_str(), 0, 0), 0);
        ASSERT_EQ(chown(board.Dir().c_str(), other->uid, other->gid), 0);
        refused("belongs to another user");
        ASSERT_EQ(chown(board.Dir().c_str(), 0, 0), 0);
    }
    uint32_t handle = dll.Open(0, "");
    ASSERT_NE(handle, 0u);
    ExpectBoardAnswers(dll, handle);
    dll.Close(handle);
    if (!SecondUser())
        GTEST_SKIP() << "another user's directory and socket: only when run as root";
}

TEST(JtagDriver, StartsTheDaemonWhenNoneRuns) {
    TempDir scratch;
    std::string dir = scratch.File("board"); // not there yet: the daemon makes it
    ScopedEnv where("KBR370_VBOARD_DIR", dir);
    DaemonStopper stopper(dir);
    JtagDll dll;

    auto start = Clock::now();
    EXPECT_EQ(dll.Open(0, ""), 0u) << "a new board is blank";
    EXPECT_LT(MsSince(start), 2500);

    std::string reply;
    ASSERT_TRUE(platform::ControlRequest(platform::VBoardControlSocket(dir), "status", reply, 2000));
    EXPECT_EQ(reply, "ok configured=0 link=closed");
}

TEST(JtagDriver, LostBoardFailsWithoutCrashing) {
    TestVBoard board;
    JtagDll dll;
    uint8_t buffer[64];

    // The board cuts the link when it loses its design.
    uint32_t handle = dll.Open(0, "");
    ASSERT_NE(handle, 0u);
    board.CtlOk("blank");
    EXPECT_EQ(dll.Read(handle, buffer, sizeof buffer), 0);
    // A cut link reads as readable for ever; its reads must still wait.
    ExpectQuietSilence(dll, handle);
    EXPECT_EQ(dll.Write(handle, kNameRequest, sizeof kNameRequest), 0);
    dll.Close(handle);

    // The daemon dies with a link open.
    board.CtlOk("configure " + TestVBoard::DesignFile());
    handle = dll.Open(0, "");
    ASSERT_NE(handle, 0u);
    ExpectBoardAnswers(dll, handle);
    board.Kill();
    EXPECT_EQ(dll.Write(handle, kNameRequest, sizeof kNameRequest), 0);
    EXPECT_EQ(dll.Read(handle, buffer, sizeof buffer), 0);
    dll.Close(handle);

    // The next open brings up a new daemon, which is blank like a board just
    // switched on (TestVBoard stops it at the end).
    EXPECT_EQ(dll.Open(0, ""), 0u);
    EXPECT_EQ(board.CtlOk("status"), "configured=0 link=closed");
}

} // namespace
