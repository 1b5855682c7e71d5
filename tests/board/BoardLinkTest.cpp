// TBoard over the real ZOLVANE_JTAG.DLL and a real kbr370-vboard: the
// session, every command's layout as it reaches the board, chunking, and each
// failure rule of Transact driven by the board's fault injection.
#include <cstring>
#include <thread>

#include "board/JtagPort.h"
#include "platform/Assert.h"
#include "platform/System.h"
#include "tests/board/LinkTestSupport.h"
#include "wire/FrameCodec.h"

namespace {

constexpr int kSram = 6, kSdram = 7, kFlash = 3;
constexpr uint32_t kSramSize = 0x200000;
constexpr uint8_t kUnknownCommand = 0x7F;
using Bytes = std::vector<uint8_t>;

// ---- session ---------------------------------------------------------------

TEST(BoardSession, BlankBoardRefusesTheConnect) {
    TestVBoard vb(false);
    HookRecorder hooks;
    TBoard board;
    hooks.Watch(board);
    std::string error;
    EXPECT_FALSE(board.Connect(error, 0));
    EXPECT_EQ(error, "Fail to connect FPGA borad.");
    EXPECT_FALSE(board.IsConnected());
    EXPECT_TRUE(board.LinkInfo.empty());
    EXPECT_EQ(hooks.beeps, 0);
    EXPECT_EQ(board.LibraryError(), "");
}

TEST_F(LinkTest, ConnectTakesTheLinkTextAndTheBoardTellsItsName) {
    EXPECT_TRUE(board.IsConnected());
    EXPECT_EQ(board.LinkInfo, "KBR-370 virtual board at " + vb.Dir());
    EXPECT_LE(platform::GetTickCount() - board.LastActivity, 2000u);

    std::string name = "unchanged";
    ASSERT_TRUE(board.QueryBoardName(name));
    EXPECT_EQ(name, "KBR_370");
    EXPECT_EQ(Requests(), "00");

    board.Disconnect();
    EXPECT_FALSE(board.IsConnected());
    EXPECT_TRUE(board.LinkInfo.empty());
    board.Disconnect(); // harmless when not connected
    uint8_t status = 0xEE;
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, 3000, 0, nullptr, 1));
    EXPECT_EQ(status, 0xEE);
}

TEST_F(LinkTest, ConnectWhileConnectedClosesTheOldLinkFirst) {
    // The board serves one link at a time: a second open succeeds only when
    // the first link was closed.
    std::string error;
    ASSERT_TRUE(board.Connect(error, 0)) << error;
    std::string name;
    EXPECT_TRUE(board.QueryBoardName(name));
    EXPECT_EQ(name, "KBR_370");
    EXPECT_EQ(Requests(), "00");
}

TEST_F(LinkTest, ContractsAreAssertedBeforeAnythingIsSent) {
    uint8_t reply[1];
    try {
        board.Transact(kbr::wire::CmdKeepAlive, nullptr, 3000, 0, nullptr, 1);
        ADD_FAILURE() << "no assertion";
    } catch (const platform::AssertionFailure& e) {
        EXPECT_STREQ(e.what(), "pReturnBuffer");
    }
    std::vector<uint8_t> big(PKT_PC2NIOS_MAX_PL_LEN + 1);
    try {
        board.Transact(kUnknownCommand, reply, 3000, PKT_PC2NIOS_MAX_PL_LEN + 1, big.data(), 1);
        ADD_FAILURE() << "no assertion";
    } catch (const platform::AssertionFailure& e) {
        EXPECT_STREQ(e.what(), "dwPayloadLen <= PKT_PC2NIOS_MAX_PL_LEN");
    }
    EXPECT_EQ(Requests(), "");
    // The largest payload itself is fine; the board refuses the unknown id with status 1.
    ASSERT_TRUE(board.Transact(kUnknownCommand, reply, 3000, PKT_PC2NIOS_MAX_PL_LEN, big.data(), 1));
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(Requests(), "7F");
}

TEST(JtagPort, TimedReadsWritesAndReopening) {
    TestVBoard vb;
    TJtagPort port(0, "");
    ASSERT_TRUE(port.IsLibraryLoaded());
    EXPECT_FALSE(port.IsOpen());
    const auto keepAlive = kbr::wire::MakeFrame(kbr::wire::CmdKeepAlive, {});
    uint8_t buffer[16];
    std::vector<char> record(TJtagPort::kInfoRecordSize);
    EXPECT_FALSE(port.Write(keepAlive.data(), keepAlive.size())) << "no link yet";
    EXPECT_EQ(port.Read(buffer, 1, 100), 0u);
    EXPECT_FALSE(port.GetInfo(record.data()));

    ASSERT_TRUE(port.Open());
    EXPECT_EQ(platform::CurrentDirectory() + "/", platform::ProgramDirectory());
    // Reopening closes the held link first; the board would refuse a second one.
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(port.Write(keepAlive.data(), keepAlive.size()));
    ASSERT_EQ(port.Read(buffer, 9, 3000), 9u);
    EXPECT_EQ(Bytes(buffer, buffer + 9), kbr::wire::MakeFrame(kbr::wire::CmdKeepAlive, {0}));

    // A 1 ms read with nothing waiting gives up at once; with a byte waiting it takes it.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buffer, 1, 1), 0u);
    EXPECT_LT(MsSince(start), 50);
    ASSERT_TRUE(port.Write(keepAlive.data(), keepAlive.size()));
    ASSERT_EQ(port.Read(buffer, 1, 3000), 1u);
    EXPECT_EQ(port.Read(buffer, 1, 1), 1u);
    EXPECT_EQ(port.Read(buffer, 16, 200), 7u) << "only what is there, once the time is up";
    ASSERT_TRUE(port.GetInfo(record.data()));
    EXPECT_STREQ(record.data() + TJtagPort::kInfoTextOffset, ("KBR-370 virtual board at " + vb.Dir()).c_str());

    // Bytes already waiting are always taken by a 1 ms read, however late in its
    // millisecond the read starts: FlushInput counts on it.
    vb.CtlOk("fault garbage:2000");
    ASSERT_TRUE(port.Write(keepAlive.data(), keepAlive.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int taken = 0;
    while (taken < 2009 && port.Read(buffer, 1, 1) == 1)
        ++taken;
    EXPECT_EQ(taken, 2009);

    // A failed open gives the program's directory back as well.
    vb.CtlOk("blank");
    platform::SetCurrentDirectory("/");
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(platform::CurrentDirectory() + "/", platform::ProgramDirectory());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.Write(keepAlive.data(), keepAlive.size()));
    EXPECT_EQ(port.LoadError(), "");
}

// ---- plain commands ----------------------------------------------------------

TEST_F(LinkTest, LedsSevenSegmentAndInputsReachTheBoardAsSent) {
    ASSERT_TRUE(board.SetLeds(0x07FFFFFF));
    EXPECT_EQ(vb.CtlOk("get leds"), "0x07FFFFFF");
    ASSERT_TRUE(board.SetLeds(0x00000001));
    EXPECT_EQ(vb.CtlOk("get leds"), "0x00000001");

    ASSERT_TRUE(board.SetSeg7(0x89ABCDEF, 0x5A));
    EXPECT_EQ(vb.CtlOk("get seg7"), "0x89ABCDEF 0x5A");

    // Keys in bits 0-3, the 18 switches above them.
    uint32_t value = 0;
    vb.CtlOk("set inputs 0x3FFFFF");
    ASSERT_TRUE(board.ReadSwitchesAndKeys(value));
    EXPECT_EQ(value, 0x3FFFFFu);
    vb.CtlOk("set inputs 0x200005");
    ASSERT_TRUE(board.ReadSwitchesAndKeys(value));
    EXPECT_EQ(value, 0x200005u);
    EXPECT_EQ(Requests(), "05 05 07 06 06");
}

TEST_F(LinkTest, RefusedPlainCommandsFailAndLeaveTheirOutputs) {
    vb.CtlOk("fault status:1 3");
    EXPECT_FALSE(board.SetLeds(1));
    uint32_t value = 0xDEADBEEF;
    EXPECT_FALSE(board.ReadSwitchesAndKeys(value));
    EXPECT_EQ(value, 0xDEADBEEF);
    std::string name = "before";
    EXPECT_FALSE(board.QueryBoardName(name));
    EXPECT_EQ(name, "before");
    EXPECT_EQ(hooks.beeps, 0) << "the exchange itself worked";
}

TEST_F(LinkTest, WriteMemoryChunksAtTheFrameLimit) {
    const uint32_t a = 0x100001; // odd on purpose: addresses are bytes
    auto data = Pattern(65487);
    ASSERT_TRUE(board.WriteMemory(kSdram, a, 65486, data.data()));
    EXPECT_EQ(Requests(), "0D 0D");
    auto stored = BoardMemory(vb, kSdram, a, 65487);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 65486, stored.begin()));
    EXPECT_EQ(stored[65486], 0) << "nothing past the count";

    auto other = Pattern(65487, 7);
    ASSERT_TRUE(board.WriteMemory(kSdram, a, 65487, other.data()));
    EXPECT_EQ(Requests(), "0D 0D 0D") << "the last chunk holds one byte";
    EXPECT_EQ(BoardMemory(vb, kSdram, a, 65487), other);

    EXPECT_TRUE(board.WriteMemory(kSdram, a, 0, other.data()));
    EXPECT_EQ(Requests(), "") << "nothing to send";
}

TEST_F(LinkTest, ReadMemoryChunksAndStopsAtTheFirstRefusal) {
    const uint32_t a = 0x20000;
    auto data = Pattern(2 * TBoard::kMaxReadChunk + 1, 3);
    SetBoardMemory(vb, kSdram, a, std::vector<uint8_t>(data.begin(), data.begin() + 60000));
    SetBoardMemory(vb, kSdram, a + 60000, std::vector<uint8_t>(data.begin() + 60000, data.end()));
    std::vector<uint8_t> got(data.size());
    ASSERT_TRUE(board.ReadMemory(kSdram, a, static_cast<uint32_t>(got.size()), got.data()));
    EXPECT_EQ(got, data);
    EXPECT_EQ(Requests(), "0E 0E 0E");

    // The second chunk runs past the end of SRAM: the first is already in the buffer.
    SetBoardMemory(vb, kSram, kSramSize - TBoard::kMaxReadChunk - 10, {0x11, 0x22});
    std::vector<uint8_t> buf(TBoard::kMaxReadChunk + 20, 0xCC);
    EXPECT_FALSE(board.ReadMemory(kSram, kSramSize - TBoard::kMaxReadChunk - 10,
                                  static_cast<uint32_t>(buf.size()), buf.data()));
    EXPECT_EQ(Requests(), "0E 0E");
    EXPECT_EQ(buf[0], 0x11);
    EXPECT_EQ(buf[1], 0x22);
    EXPECT_EQ(buf[TBoard::kMaxReadChunk], 0xCC) << "the refused chunk wrote nothing";
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(LinkTest, FlashWritesOnlyClearBits) {
    const std::vector<uint8_t> first = {0xF0, 0x0F};
    const std::vector<uint8_t> second = {0x3C, 0xFF};
    ASSERT_TRUE(board.WriteMemory(kFlash, 0x10, 2, first.data()));
    ASSERT_TRUE(board.WriteMemory(kFlash, 0x10, 2, second.data()));
    uint8_t got[3];
    ASSERT_TRUE(board.ReadMemory(kFlash, 0x10, 3, got));
    EXPECT_EQ(got[0], 0x30);
    EXPECT_EQ(got[1], 0x0F);
    EXPECT_EQ(got[2], 0xFF) << "erased";
}

TEST_F(LinkTest, EraseStatusAndSteps) {
    vb.CtlOk("erase steps 8");
    vb.CtlOk("erase step-ms 1");
    EXPECT_EQ(board.QueryEraseStatus(), 8u);
    const std::vector<uint8_t> zeros(4, 0);
    ASSERT_TRUE(board.WriteMemory(kFlash, 0x100000, 4, zeros.data())); // in sector 1 of 8
    bool done = false;
    ASSERT_TRUE(board.StartErase(done, 1));
    EXPECT_TRUE(done);
    EXPECT_EQ(BoardMemory(vb, kFlash, 0x100000, 4), std::vector<uint8_t>(4, 0xFF));
    ASSERT_TRUE(board.StartErase(done, 8));
    EXPECT_FALSE(done) << "step out of range";

    vb.CtlOk("fault status:1");
    EXPECT_EQ(board.QueryEraseStatus(), 0u);
    EXPECT_EQ(Requests(), "0A 0D 0B 0B 0A");
}

// ---- split commands ----------------------------------------------------------

TEST_F(LinkTest, SdCardTextsAndARefusal) {
    bool done = false;
    std::string csd, cid, fs;
    ASSERT_TRUE(board.ReadSdCardInfo(done, csd, cid, fs));
    EXPECT_TRUE(done);
    EXPECT_NE(csd.find("-CSD Version 2.0\n"), std::string::npos) << csd;
    EXPECT_NE(csd.find("-Memory Capacity:7579MB\n"), std::string::npos) << csd;
    EXPECT_EQ(cid.rfind("-Manufacturer ID:", 0), 0u) << cid;
    EXPECT_EQ(fs, "FAT32");

    // A 4 GB standard-capacity card: CSD bytes 5-10 carry block length 2048, C_SIZE 4095, C_SIZE_MULT 7.
    vb.CtlOk("sd insert 002600325F5B83FFC003800000000000 1D4144564234475210AABBCCDD016300 1");
    ASSERT_TRUE(board.ReadSdCardInfo(done, csd, cid, fs));
    ASSERT_TRUE(done);
    EXPECT_NE(csd.find("-CSD Version 1.0\n"), std::string::npos) << csd;
    EXPECT_NE(csd.find("-Memory Capacity:4096MB\n"), std::string::npos) << csd;
    EXPECT_NE(cid.find("-Product Name:VB4GR\n"), std::string::npos) << cid;
    EXPECT_NE(cid.find("-Serial No.:AABBCCDDh\n"), std::string::npos) << cid;
    EXPECT_EQ(fs, "FAT16");

    vb.CtlOk("sd remove");
    csd = "old csd";
    cid = "old cid";
    fs = "old fs";
    ASSERT_TRUE(board.ReadSdCardInfo(done, csd, cid, fs)) << "the exchange worked";
    EXPECT_FALSE(done);
    EXPECT_EQ(csd, "old csd");
    EXPECT_EQ(cid, "old cid");
    EXPECT_EQ(fs, "old fs");
    EXPECT_EQ(Requests(), "09 09 09");
}

TEST_F(LinkTest, LoopbackMasksUnpackEveryPin) {
    // Pins 0, 17, 18, 19, 20, 37, 38 and 39 sit at the edges of the wire's three words.
    const uint64_t pins = (1ull << 0) | (1ull << 17) | (1ull << 18) | (1ull << 19) | (1ull << 20) |
                          (1ull << 37) | (1ull << 38) | (1ull << 39) | (1ull << 25);
    vb.CtlOk(fmt::format("hsmc fail 0x{:X} 0xA5", pins));
    bool done = false;
    uint32_t mask8 = 0;
    uint64_t mask40 = 0;
    ASSERT_TRUE(board.RunLoopbackTest(done, 3, mask8, mask40));
    EXPECT_TRUE(done);
    EXPECT_EQ(mask40, pins);
    EXPECT_EQ(mask8, 0xA5u);

    vb.CtlOk("hsmc adapter 0");
    ASSERT_TRUE(board.RunLoopbackTest(done, 0, mask8, mask40));
    EXPECT_EQ(mask40, 0xFFFFFFFFFFull);
    EXPECT_EQ(mask8, 0x0Fu);

    vb.CtlOk("fault status:2");
    ASSERT_TRUE(board.RunLoopbackTest(done, 1, mask8, mask40));
    EXPECT_FALSE(done);
    EXPECT_EQ(mask40, 0u) << "cleared before the status is looked at";
    EXPECT_EQ(mask8, 0u);
    EXPECT_EQ(Requests(), "18 18 18");
}

TEST_F(LinkTest, DeviceDataTravelsIn128ByteChunks) {
    // 300 bytes of RS232 text: chunks of 128, 128 and 44, only the counted bytes kept.
    auto text = Pattern(300, 9);
    bool done = false;
    ASSERT_TRUE(board.SendDeviceData(done, 3, 300, text.data()));
    EXPECT_TRUE(done);
    EXPECT_EQ(Requests(), "1F 1F 1F");
    EXPECT_EQ(vb.CtlOk("get rs232-tx"), CtlBytes(text));

    const char lcd[] = "Hello\nKBR-370";
    ASSERT_TRUE(board.SendDeviceData(done, 1, sizeof lcd, reinterpret_cast<const uint8_t*>(lcd)));
    EXPECT_EQ(vb.CtlOk("get lcd"), "48656C6C6F 4B42522D333730");

    EXPECT_TRUE(board.SendDeviceData(done, 3, 0, text.data()));
    EXPECT_TRUE(done);
    EXPECT_EQ(Requests(), "1F") << "one LCD chunk, nothing for the empty send";

    // A refused chunk ends the send.
    vb.CtlOk("fault status:1");
    ASSERT_TRUE(board.SendDeviceData(done, 3, 300, text.data()));
    EXPECT_FALSE(done);
    EXPECT_EQ(Requests(), "1F");
}

TEST_F(LinkTest, MonitoringModeAndDeviceReads) {
    bool done = false;
    ASSERT_TRUE(board.SetDeviceMode(done, 0, 1));
    EXPECT_TRUE(done);
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=1 rs232=0 ps2=0");
    vb.CtlOk("ir push 0A0B0C");
    uint8_t buffer[128] = {};
    uint32_t count = 0;
    ASSERT_TRUE(board.ReadDeviceData(done, 0, count, buffer));
    EXPECT_TRUE(done);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(buffer[0], 0x0A);
    EXPECT_EQ(buffer[2], 0x0C);

    vb.CtlOk("usb 2");
    ASSERT_TRUE(board.ReadDeviceData(done, 5, count, buffer));
    ASSERT_TRUE(done);
    EXPECT_EQ(buffer[0], 2);

    ASSERT_TRUE(board.SetDeviceMode(done, 0, 0));
    EXPECT_EQ(vb.CtlOk("get modes"), "ir=0 rs232=0 ps2=0");
    vb.CtlOk("ir present 0");
    ASSERT_TRUE(board.SetDeviceMode(done, 0, 1));
    EXPECT_FALSE(done);
    count = 99;
    ASSERT_TRUE(board.ReadDeviceData(done, 0, count, buffer));
    EXPECT_FALSE(done);
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(Requests(), "21 20 20 21 21 20");
}

// ---- keep-alive ----------------------------------------------------------------

TEST_F(LinkTest, PingAfterLongSilenceSendsFiveKeepAlives) {
    board.LastActivity = platform::GetTickCount() - board.Limits().keepAliveSilenceMs - 1000;
    ASSERT_TRUE(board.Ping());
    EXPECT_EQ(Requests(), "01 01 01 01 01");
    EXPECT_LE(platform::GetTickCount() - board.LastActivity, 1000u);
    ASSERT_TRUE(board.Ping());
    EXPECT_EQ(Requests(), "01") << "right after another";

    // The run stops at the first failure, and the time is taken all the same.
    board.LastActivity = platform::GetTickCount() - board.Limits().keepAliveSilenceMs - 1000;
    vb.CtlOk("fault status:1");
    EXPECT_FALSE(board.Ping());
    EXPECT_EQ(Requests(), "01");
    EXPECT_LE(platform::GetTickCount() - board.LastActivity, 1000u);
}

// ---- failure rules of Transact ---------------------------------------------------

TEST_F(LinkTest, SpoiltFramesBeepOnlyForWriteBodyAndFrameErrors) {
    struct Case {
        const char* fault;
        bool beeps;
    } cases[] = {
        {"bad-checksum", true}, {"bad-end", true},      {"bad-start", false},
        {"wrong-command", false}, {"garbage:40", false}, {"status:3", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const int before = hooks.beeps;
        vb.CtlOk(std::string("fault ") + c.fault);
        uint8_t reply[13];
        std::memset(reply, 0xCC, sizeof reply);
        const bool ok = board.Transact(kbr::wire::CmdReadSwitchesAndKeys, reply, 3000, 0, nullptr, 13);
        EXPECT_EQ(hooks.beeps - before, c.beeps ? 1 : 0);
        if (std::string(c.fault) == "status:3") {
            EXPECT_TRUE(ok) << "the transaction does not look at the status";
            EXPECT_EQ(reply[0], 3);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(reply[0], 0xCC) << "the caller's buffer stays untouched";
            EXPECT_EQ(reply[12], 0xCC);
        }
        // Whatever is left of the spoilt reply does not disturb the next exchange.
        uint32_t value = 0;
        EXPECT_TRUE(board.ReadSwitchesAndKeys(value));
    }
}

TEST_F(LinkTest, WrongLengthLeavesTheReplyForTheNextFlush) {
    vb.CtlOk("fault wrong-length");
    uint8_t status = 0xCC;
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, 3000, 0, nullptr, 1));
    EXPECT_EQ(hooks.beeps, 0);
    EXPECT_EQ(status, 0xCC);
    // The header was taken; the two payload bytes, checksum and end byte wait on the link.
    uint8_t rest[4];
    ASSERT_TRUE(board.ReadExact(rest, 4, 3000));
    EXPECT_EQ(rest[0], 0) << "status";
    EXPECT_EQ(rest[1], 0) << "the extra byte";
    EXPECT_EQ(rest[3], kbr::wire::kFrameEnd);

    vb.CtlOk("fault wrong-length");
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, 3000, 0, nullptr, 1));
    EXPECT_TRUE(board.Ping()) << "the next exchange flushes what was left";
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(LinkTest, FlushInputStopsAfter1002Bytes) {
    // 3000 junk bytes (never a start byte) ahead of the reply. The failed header read
    // takes 6 and its flush at most 1002 (fewer if the junk comes in pieces).
    // Once all has arrived, one more flush takes exactly 1002: between 990 and
    // 1992 junk bytes, then the intact reply, must remain.
    vb.CtlOk("fault garbage:3000");
    uint8_t status;
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, 3000, 0, nullptr, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    board.FlushInput();
    size_t junk = 0;
    uint8_t byte = 0;
    while (board.ReadExact(&byte, 1, 3000) && byte != kbr::wire::kFrameStart)
        ++junk;
    ASSERT_EQ(byte, kbr::wire::kFrameStart);
    EXPECT_GE(junk, 3000 - 6 - 2 * board.Limits().flushBytes);
    EXPECT_LE(junk, 3000 - 6 - board.Limits().flushBytes);
    Bytes frame(9, 0);
    frame[0] = byte;
    ASSERT_TRUE(board.ReadExact(&frame[1], 8, 3000));
    EXPECT_EQ(frame, kbr::wire::MakeFrame(kbr::wire::CmdKeepAlive, {0})) << "the intact reply";
    EXPECT_EQ(hooks.beeps, 0);
}

TEST_F(LinkTest, SilentBoardFailsAfterTheTimeLimitWithoutBeep) {
    TBoard::TLimits limits = ShortLimits(400);
    limits.sdCardReplyMs = 1000;
    board.SetLimits(limits);
    vb.CtlOk("fault drop 2");
    auto start = std::chrono::steady_clock::now();
    uint32_t value = 0;
    EXPECT_FALSE(board.ReadSwitchesAndKeys(value));
    long long ms = MsSince(start);
    EXPECT_GE(ms, 400);
    EXPECT_LT(ms, 400 + 400 + 1000);
    // The card answers slower and has a limit of its own.
    start = std::chrono::steady_clock::now();
    bool done = false;
    std::string csd, cid, fileSystem;
    EXPECT_FALSE(board.ReadSdCardInfo(done, csd, cid, fileSystem));
    ms = MsSince(start);
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 1000 + 400 + 1000);
    EXPECT_EQ(hooks.beeps, 0);
    EXPECT_TRUE(board.ReadSwitchesAndKeys(value)) << "the link itself is fine";
}

TEST_F(LinkTest, TruncatedBodyTimesOutWithABeep) {
    TBoard::TLimits limits = ShortLimits(300);
    limits.bodyMs = 900;
    board.SetLimits(limits);
    vb.CtlOk("fault truncate:10");
    const auto start = std::chrono::steady_clock::now();
    uint8_t reply[13];
    std::memset(reply, 0xCC, sizeof reply);
    EXPECT_FALSE(board.Transact(kbr::wire::CmdReadSwitchesAndKeys, reply, 300, 0, nullptr, 13));
    const long long ms = MsSince(start);
    EXPECT_GE(ms, 900) << "the body has its own limit";
    EXPECT_LT(ms, 900 + 300 + 1000);
    EXPECT_EQ(hooks.beeps, 1);
    EXPECT_EQ(reply[0], 0xCC);
}

TEST_F(LinkTest, CutLinkFailsThenWriteFailureBeepsAndReconnectWorks) {
    board.SetLimits(ShortLimits());
    const uint32_t limitMs = board.Limits().replyMs;
    vb.CtlOk("fault disconnect");
    uint8_t status;
    EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, limitMs, 0, nullptr, 1));
    EXPECT_EQ(hooks.beeps, 0) << "a header that never comes does not beep";
    EXPECT_TRUE(board.IsConnected()) << "the owner decides whether to disconnect";

    // The cut shows itself on the next write. The socket may take one more
    // write to notice, so allow one timed-out header before the failed write.
    bool writeFailed = false;
    for (int i = 0; i < 2 && !writeFailed; ++i) {
        const int before = hooks.beeps;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(board.Transact(kbr::wire::CmdKeepAlive, &status, limitMs, 0, nullptr, 1));
        writeFailed = hooks.beeps > before && MsSince(start) < limitMs;
    }
    EXPECT_TRUE(writeFailed);

    std::string error;
    ASSERT_TRUE(board.Connect(error, 0)) << error;
    EXPECT_TRUE(board.Ping());
}

TEST(BoardKilled, LargeReadFailsInTimeAndANewBoardConnects) {
    TestVBoard vb;
    HookRecorder hooks;
    TBoard board;
    hooks.Watch(board);
    board.SetLimits(ShortLimits());
    std::string error;
    ASSERT_TRUE(board.Connect(error, 0)) << error;
    // Slow enough that 8 MiB cannot finish before the kill.
    vb.CtlOk("link rate 4000000");

    bool result = true;
    long long ms = 0;
    std::thread reader([&] {
        std::vector<uint8_t> buffer(8u << 20);
        const auto start = std::chrono::steady_clock::now();
        result = board.ReadMemory(kSdram, 0, static_cast<uint32_t>(buffer.size()), buffer.data());
        ms = MsSince(start);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto killedAt = std::chrono::steady_clock::now();
    vb.Kill();
    reader.join();
    EXPECT_FALSE(result);
    EXPECT_GT(ms, 250) << "the read was under way";
    // Header limit and at most one timed read beyond it.
    EXPECT_LT(MsSince(killedAt), 500 + 500 + 1000);

    vb.Restart();
    ASSERT_TRUE(board.Connect(error, 0)) << error;
    std::string name;
    EXPECT_TRUE(board.QueryBoardName(name));
    EXPECT_EQ(name, "KBR_370");
}

} // namespace
