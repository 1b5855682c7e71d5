// The memory checks against a virtual board served from this process, so a
// test can damage the board's hardware before the link sees it: each defect
// is found and named, a whole board passes, and the user's bytes survive
// every run, also one that is stopped or loses its link.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fmt/format.h>
#include <stdexcept>
#include <thread>

#include "board/Board.h"
#include "core/formats/HexCodec.h"
#include "core/jobs/MemoryCheck.h"
#include "platform/UnixSocket.h"
#include "platform/VBoardDir.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestVBoard.h"
#include "vboard/Daemon.h"

namespace {

namespace wire = kbr::wire;
using TResult = TCheckResult::Result;
using Bytes = std::vector<uint8_t>;
const wire::TMemory& kSram = wire::MemoryOf(wire::kMemorySram);
const wire::TMemory& kSdram = wire::MemoryOf(wire::kMemorySdram);
const wire::TMemory& kEeprom = wire::MemoryOf(wire::kMemoryEeprom);
const wire::TMemory& kFlash = wire::kFlash;

// The daemon's loop runs on a thread of ours; its hardware is changed only
// before Start, and its memory through the control socket after.
class InProcessBoard {
  public:
    InProcessBoard() : daemon(tmp.File("vb")) {
        setenv("KBR370_VBOARD_DIR", daemon.Dir().c_str(), 1);
        std::string error;
        if (daemon.Open(error) != vboard::TDaemon::OpenResult::Ok)
            throw std::runtime_error("virtual board did not open: " + error);
        daemon.SetConfigureMs(TestVBoard::kQuickConfigureMs);
    }
    ~InProcessBoard() {
        if (loop.joinable()) {
            daemon.RequestStop();
            loop.join();
        }
    }
    vboard::TBoardModel& Hardware() { return daemon.Model(); }
    void Start() {
        loop = std::thread([this] { daemon.Run(); });
        Ctl("configure " + TestVBoard::DesignFile());
        Ctl("erase step-ms 2");
    }
    std::string Ctl(const std::string& command) {
        std::string reply;
        if (!platform::ControlRequest(platform::VBoardControlSocket(daemon.Dir()), command, reply,
                                      10000) ||
            reply.rfind("ok", 0) != 0)
            throw std::runtime_error("ctl '" + command + "': " + reply);
        return reply.size() > 3 ? reply.substr(3) : std::string();
    }
    Bytes Memory(const wire::TMemory& m, uint32_t address, uint32_t count) {
        std::string text = Ctl(fmt::format("mem read {} 0x{:X} {}", int(m.code), address, count));
        Bytes bytes(text.begin(), text.end());
        EXPECT_TRUE(DecodeHexText(bytes.data(), bytes.size()));
        bytes.resize(bytes.size() / 2);
        return bytes;
    }
    void SetMemory(const wire::TMemory& m, uint32_t address, const Bytes& bytes) {
        Ctl(fmt::format("mem write {} 0x{:X} {}", int(m.code), address,
                        EncodeHexText(bytes.data(), bytes.size())));
    }

  private:
    TempDir tmp;
    vboard::TDaemon daemon;
    std::thread loop;
};

Bytes Noise(size_t count, uint32_t seed) {
    Bytes v(count);
    for (auto& b : v) {
        seed = seed * 1103515245u + 12345u;
        b = uint8_t(seed >> 16);
    }
    return v;
}

class MemoryCheckTest : public testing::Test {
  protected:
    // Once the board runs and holds the test's bytes.
    void Connect() {
        std::string error;
        ASSERT_TRUE(board.Connect(error, 0)) << error;
        board.SetLimits(TBoard::TLimits().WithReplyLimit(500));
    }
    TMemoryCheck::TRun Run(const wire::TMemory& m, TMemoryCheck::TOptions options = {}) {
        // The host tells each progress with the name of the check it belongs to.
        TRecordingHost host;
        host.Stop = [this] { return aborted && aborted(); };
        host.OnEvent = [this, &host](const TRecordingHost::Event& e) {
            if (e.kind == TRecordingHost::Kind::TaskProgress && progress)
                progress(host.CurrentTask(), e.done, e.total);
        };
        return TMemoryCheck(board, host).Run(m, options);
    }
    static const TCheckResult& Named(const TMemoryCheck::TRun& run, const std::string& name) {
        for (const TCheckResult& c : run.checks)
            if (c.name == name)
                return c;
        throw std::runtime_error("no check " + name);
    }
    // "SRAM 0x001234 bit 3: 0x00 -> 0x08" for each failure, to compare whole.
    static std::vector<std::string> Faults(const TCheckResult& c) {
        std::vector<std::string> out;
        for (const TCheckResult::TDetails& d : c.failures) {
            auto at = [&](const char* key) { return TCheckResult::Find(d, key); };
            const std::string line = at("address_line");
            out.push_back(at("memory") + " " + at("address") +
                          (line.empty() ? " bit " + at("bit") : " line " + line) + ": " +
                          at("expected") + " -> " + at("read"));
        }
        return out;
    }

    InProcessBoard vb;
    TBoard board;
    // Bytes the check `name` moved so far, of about `total`.
    std::function<void(const std::string& name, uint64_t done, uint64_t total)> progress;
    std::function<bool()> aborted; // true: the host asks to stop
};

} // namespace

TEST_F(MemoryCheckTest, AWholeBoardPassesAndKeepsEveryByte) {
    // The user's bytes where every check of the run writes: the data-bus
    // word, the address lines' bytes, the march window's edges.
    const Bytes head = Noise(64, 1), edge = Noise(16, 2), eeprom = Noise(kEeprom.size, 3);
    vb.Start();
    for (const wire::TMemory* m : {&kSram, &kSdram}) {
        vb.SetMemory(*m, 0, head);
        vb.SetMemory(*m, TMemoryCheck::kQuickWindow - 8, edge);
        vb.SetMemory(*m, m->size / 2, edge);
    }
    vb.SetMemory(kEeprom, 0, eeprom);
    vb.SetMemory(kFlash, 0x40000, {0x12, 0x34});
    Connect();
    uint64_t lastDone = 0, told = 0;
    progress = [&](const std::string& name, uint64_t done, uint64_t total) {
        EXPECT_LE(done, total) << name;
        lastDone = done;
        ++told;
    };

    std::vector<std::string> names;
    for (const wire::TMemory& m : wire::kMemories) {
        TMemoryCheck::TRun run = Run(m);
        EXPECT_FALSE(run.linkLost || run.aborted);
        EXPECT_TRUE(run.restored);
        for (const TCheckResult& c : run.checks) {
            names.push_back(c.name);
            EXPECT_EQ(c.area, "memories");
            EXPECT_TRUE(c.failures.empty()) << c.name << ": " << c.message;
            EXPECT_EQ(c.result, m.flash && c.name != "FLASH read-only sample" ? TResult::Skipped
                                                                              : TResult::Passed)
                << c.name << ": " << c.message;
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"SRAM data bus", "SRAM address bus", "SRAM march",
                                               "EEPROM data bus", "EEPROM address bus",
                                               "EEPROM march", "SDRAM data bus",
                                               "SDRAM address bus", "SDRAM march", "FLASH data bus",
                                               "FLASH address bus", "FLASH read-only sample"}));
    EXPECT_GT(told, 100u);
    EXPECT_GT(lastDone, 0u);

    for (const wire::TMemory* m : {&kSram, &kSdram}) {
        EXPECT_EQ(vb.Memory(*m, 0, 64), head) << m->name;
        EXPECT_EQ(vb.Memory(*m, TMemoryCheck::kQuickWindow - 8, 16), edge) << m->name;
        EXPECT_EQ(vb.Memory(*m, m->size / 2, 16), edge) << m->name;
    }
    EXPECT_EQ(vb.Memory(kEeprom, 0, kEeprom.size), eeprom);
    EXPECT_EQ(vb.Memory(kFlash, 0x40000, 2), (Bytes{0x12, 0x34}));
    // The flash was only read: no erase, no write.
    const std::string requests = vb.Ctl("log requests");
    EXPECT_EQ(requests.find("0B"), std::string::npos);
}

TEST_F(MemoryCheckTest, StuckCellBitsAreNamedByMemoryAddressAndBit) {
    ASSERT_TRUE(vb.Hardware().AddStuckBit(kSram.code, 0x1234, 3, true));
    // In the data-bus word: line 14 (byte 1, bit 6) cannot carry a one.
    ASSERT_TRUE(vb.Hardware().AddStuckBit(kSdram.code, 0x000001, 6, false));
    vb.Start();
    Connect();

    TMemoryCheck::TRun sram = Run(kSram);
    EXPECT_EQ(Named(sram, "SRAM data bus").result, TResult::Passed);
    EXPECT_EQ(Named(sram, "SRAM address bus").result, TResult::Passed);
    const TCheckResult& march = Named(sram, "SRAM march");
    EXPECT_EQ(march.result, TResult::Failed);
    EXPECT_EQ(Faults(march), std::vector<std::string>{"SRAM 0x001234 bit 3: 0x00 -> 0x08"});
    EXPECT_EQ(march.message,
              "SRAM: byte 0x001234 bit 3 reads 1, expected 0 (read 0x08, expected 0x00)");
    EXPECT_TRUE(sram.restored);

    TMemoryCheck::TRun sdram = Run(kSdram);
    const TCheckResult& bus = Named(sdram, "SDRAM data bus");
    EXPECT_EQ(bus.result, TResult::Failed);
    EXPECT_EQ(Faults(bus), std::vector<std::string>{"SDRAM 0x000001 bit 6: 0x40 -> 0x00"});
    EXPECT_EQ(Named(sdram, "SDRAM march").result, TResult::Failed);
}

TEST_F(MemoryCheckTest, AStuckAddressLineIsNamedAsAliasing) {
    ASSERT_TRUE(vb.Hardware().AddAliasedAddressBit(kSram.code, 12));
    ASSERT_TRUE(vb.Hardware().AddAliasedAddressBit(kSdram.code, 26)); // its highest line
    ASSERT_TRUE(vb.Hardware().AddAliasedAddressBit(kSdram.code, 3));
    vb.Start();
    Connect();

    const TMemoryCheck::TRun sramRun = Run(kSram);
    const TCheckResult& sram = Named(sramRun, "SRAM address bus");
    EXPECT_EQ(sram.result, TResult::Failed);
    EXPECT_EQ(Faults(sram), std::vector<std::string>{"SRAM 0x001000 line 12: 0xAA -> 0x55"});
    EXPECT_EQ(sram.message, "SRAM: address line 12 is stuck or shorted: byte 0x001000 reads "
                            "0x55, expected 0xAA");

    const TMemoryCheck::TRun sdramRun = Run(kSdram);
    const TCheckResult& sdram = Named(sdramRun, "SDRAM address bus");
    EXPECT_EQ(Faults(sdram), (std::vector<std::string>{"SDRAM 0x000008 line 3: 0xAA -> 0x55",
                                                       "SDRAM 0x4000000 line 26: 0xAA -> 0x55"}));
}

TEST_F(MemoryCheckTest,
       TheDestructiveFlashCheckFindsASectorThatDoesNotEraseAndLeavesTheRestErased) {
    vb.Hardware().AddStuckFlashSector(0);
    vb.Start();
    vb.SetMemory(kFlash, 0x100000, {0x00, 0x00});
    Connect();

    TMemoryCheck::TRun run = Run(kFlash, {.destructive = true});
    const TCheckResult& march = Named(run, "FLASH march");
    EXPECT_EQ(march.result, TResult::Failed);
    ASSERT_FALSE(march.failures.empty());
    EXPECT_EQ(TCheckResult::Find(march.failures[0], "sector"), "0");
    EXPECT_EQ(Faults(march)[0], "FLASH 0x000000 bit 0: 0xFF -> 0x00");
    EXPECT_EQ(march.message, "FLASH: byte 0x000000 bit 0 reads 0, expected 1 (read 0x00, expected "
                             "0xFF) in sector 0 (1048576 faults)");
    // A fresh flash is erased already: only programming it first shows the fault.
    EXPECT_EQ(Named(run, "FLASH data bus").result, TResult::Passed);
    EXPECT_EQ(vb.Memory(kFlash, 0x100000, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(vb.Memory(kFlash, 0x20000, 1), Bytes{0xFF});
}

TEST_F(MemoryCheckTest, TheDestructiveFlashCheckPassesOnAWholeFlashAndNamesAnAliasedLine) {
    ASSERT_TRUE(vb.Hardware().AddAliasedAddressBit(kFlash.code, 20));
    vb.Start();
    Connect();
    TMemoryCheck::TRun run = Run(kFlash, {.destructive = true});
    EXPECT_EQ(Named(run, "FLASH data bus").result, TResult::Passed);
    EXPECT_EQ(Faults(Named(run, "FLASH address bus")),
              std::vector<std::string>{"FLASH 0x100000 line 20: 0xFF -> 0x00"});
    EXPECT_EQ(Named(run, "FLASH march").result, TResult::Passed);
    EXPECT_NE(Named(run, "FLASH march").Detail("bytes_per_second"), "");
    EXPECT_EQ(vb.Memory(kFlash, 0, 256), Bytes(256, 0xFF));
}

TEST_F(MemoryCheckTest, AStoppedOrCutRunStillWritesTheUsersBytesBack) {
    const TMemoryCheck::TOptions smallWindow = {.quickWindow = 0x8000};
    const Bytes mine = Noise(smallWindow.quickWindow, 7);
    vb.Start();
    vb.SetMemory(kSram, 0, mine);
    vb.SetMemory(kSram, 1u << 20, {0x5A}); // the top address line's byte
    Connect();
    auto content = [&] {
        Bytes all = vb.Memory(kSram, 0, smallWindow.quickWindow);
        all.push_back(vb.Memory(kSram, 1u << 20, 1).at(0));
        return all;
    };
    Bytes expected = mine;
    expected.push_back(0x5A);

    // Stopped halfway through the march.
    bool stop = false;
    progress = [&](const std::string& name, uint64_t done, uint64_t total) {
        stop = stop || (name == "SRAM march" && done > total / 2);
    };
    aborted = [&] { return stop; };
    TMemoryCheck::TRun run = Run(kSram, smallWindow);
    EXPECT_TRUE(run.aborted);
    EXPECT_TRUE(run.restored);
    EXPECT_EQ(Named(run, "SRAM march").result, TResult::Skipped);
    EXPECT_EQ(content(), expected);

    // One reply lost halfway: a board that still answers has not lost its
    // link. That check fails, its bytes go back, and the next check runs.
    bool cut = false;
    aborted = {};
    progress = [&](const std::string& name, uint64_t done, uint64_t total) {
        if (!cut && name == "SRAM address bus" && done > total / 2) {
            cut = true;
            vb.Ctl("fault drop");
        }
    };
    run = Run(kSram, smallWindow);
    EXPECT_FALSE(run.linkLost);
    EXPECT_TRUE(run.restored);
    EXPECT_EQ(Named(run, "SRAM data bus").result, TResult::Passed);
    EXPECT_EQ(Named(run, "SRAM address bus").result, TResult::Failed);
    EXPECT_EQ(Named(run, "SRAM address bus").message,
              "The board did not answer an exchange during the check, though it still answers "
              "keep-alives.");
    EXPECT_EQ(Named(run, "SRAM march").result, TResult::Passed);
    EXPECT_EQ(content(), expected);
}

TEST_F(MemoryCheckTest, LostRepliesDuringTheWriteBackAreRetriedAndTheRestStillGoesBack) {
    const TMemoryCheck::TOptions smallWindow = {.quickWindow = 0x8000}; // two write-backs
    const Bytes mine = Noise(smallWindow.quickWindow, 8);
    vb.Start();
    vb.SetMemory(kSram, 0, mine);
    Connect();
    board.SetLimits(TBoard::TLimits().WithReplyLimit(100)); // a lost reply costs little
    // The march stops halfway, and the next `drops` replies are lost: those
    // of the write-back.
    int drops = 0;
    bool stop = false;
    progress = [&](const std::string& name, uint64_t done, uint64_t total) {
        stop = stop || (name == "SRAM march" && done > total / 2);
    };
    aborted = [&] {
        if (stop && drops > 0) {
            vb.Ctl(fmt::format("fault drop {}", drops));
            drops = 0;
        }
        return stop;
    };

    // Two lost replies: the exchange is tried again and every byte goes back.
    drops = 2;
    TMemoryCheck::TRun run = Run(kSram, smallWindow);
    EXPECT_TRUE(run.aborted);
    EXPECT_FALSE(run.linkLost);
    EXPECT_TRUE(run.restored);
    EXPECT_EQ(run.unrestored, std::vector<TPatternRange>{});
    EXPECT_EQ(vb.Memory(kSram, 0, smallWindow.quickWindow), mine);

    // The first write-back's every try and a keep-alive lost: it is named,
    // the board still answers, so the second still goes back.
    stop = false;
    drops = 4;
    run = Run(kSram, smallWindow);
    EXPECT_FALSE(run.linkLost);
    EXPECT_FALSE(run.restored);
    EXPECT_EQ(run.unrestored, (std::vector<TPatternRange>{{"SRAM", 0, TBoard::kMaxWriteChunk}}));
    const TCheckResult& march = Named(run, "SRAM march");
    EXPECT_EQ(march.result, TResult::Failed);
    EXPECT_EQ(march.message, "Not every byte could be written back.");
    EXPECT_EQ(march.Detail("restored"),
              fmt::format("no: SRAM 0x000000-0x{:06X} may still hold test patterns",
                          TBoard::kMaxWriteChunk - 1));
    // The board took the writes whose replies it lost; the rest went back after them.
    EXPECT_EQ(vb.Memory(kSram, 0, smallWindow.quickWindow), mine);
}

TEST_F(MemoryCheckTest, ARefusedEraseStepCountEndsTheDestructiveFlashChecksThere) {
    vb.Start();
    vb.Ctl("erase steps 0");
    vb.SetMemory(kFlash, 0x100000, {0x12, 0x34});
    Connect();
    vb.Ctl("log requests");
    const TMemoryCheck::TRun run = Run(kFlash, {.destructive = true});
    const std::string reason = "FLASH: the board did not tell an erase sector count it can have.";
    const TCheckResult& bus = Named(run, "FLASH data bus");
    EXPECT_EQ(bus.result, TResult::Failed);
    EXPECT_EQ(bus.message, reason);
    for (const char* name : {"FLASH address bus", "FLASH march"}) {
        EXPECT_EQ(Named(run, name).result, TResult::Skipped) << name;
        EXPECT_EQ(Named(run, name).message, "Not run: " + reason) << name;
    }
    for (const TCheckResult& c : run.checks)
        EXPECT_TRUE(c.failures.empty()) << c.name << ": " << c.message;
    // Neither programmed nor erased: only the count was asked.
    EXPECT_EQ(vb.Ctl("log requests"), "0A");
    EXPECT_EQ(vb.Memory(kFlash, 0x100000, 2), (Bytes{0x12, 0x34}));
}

TEST_F(MemoryCheckTest, AQuickDestructiveRunFindsASectorBeyondItsWindowThatDoesNotErase) {
    vb.Hardware().AddStuckFlashSector(5); // 0x0A0000-0x0BFFFF, past the 512 KiB window
    vb.Start();
    vb.SetMemory(kFlash, 0x7E0000, {0x00}); // the last sector's first byte
    Connect();
    const TMemoryCheck::TRun run = Run(kFlash, {.destructive = true});
    const TCheckResult& march = Named(run, "FLASH march");
    EXPECT_EQ(march.result, TResult::Failed);
    ASSERT_FALSE(march.failures.empty());
    EXPECT_EQ(TCheckResult::Find(march.failures[0], "sector"), "5");
    EXPECT_EQ(Faults(march)[0], "FLASH 0x0A0000 bit 0: 0xFF -> 0x00");
    EXPECT_EQ(march.Detail("faults"), "16") << "one word programmed in each sector";
    EXPECT_EQ(march.Detail("sectors"), "64");
    // Every other sector was erased.
    EXPECT_EQ(vb.Memory(kFlash, 0x7E0000, 1), Bytes{0xFF});
    EXPECT_EQ(vb.Memory(kFlash, 0x0C0000, 2), (Bytes{0xFF, 0xFF}));
}
