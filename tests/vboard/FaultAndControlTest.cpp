#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/support/TestVBoard.h"
#include "vboard/ControlProtocol.h"
#include "vboard/DesignFile.h"
#include "vboard/FaultQueue.h"
#include "wire/FrameCodec.h"

using vboard::TControlProtocol;
using vboard::TDesignFile;
using vboard::TFaultQueue;
namespace wire = kbr::wire;
using Bytes = std::vector<uint8_t>;

namespace {

const Bytes kStatusOk = {0x00};
const Bytes kGoodReply = wire::MakeFrame(0x05, kStatusOk);

TFaultQueue::TOutcome Spoil(const std::string& kind) {
    auto fault = TFaultQueue::Parse(kind);
    EXPECT_TRUE(fault) << kind;
    return TFaultQueue::Apply(fault.value_or(TFaultQueue::TFault{}), 0x05, kStatusOk);
}

// The daemon's side, reduced to what the protocol reaches.
class TFakeHost : public TControlProtocol::THost {
  public:
    bool Configured() const override { return configured; }
    bool LinkOpen() const override { return linkOpen; }
    void Configure() override { configured = true; }
    void Blank() override {
        configured = false;
        linkOpen = false;
    }
    void PowerCycle() override {
        Blank();
        ++generation;
    }
    uint64_t PowerGeneration() const override { return generation; }
    void SetLinkRate(uint32_t r) override { rate = r; }
    int LinkHolder() const override { return linkOpen ? 4711 : 0; }
    bool configured = false, linkOpen = false;
    uint64_t generation = 0;
    uint32_t rate = 0;
};

struct TControl {
    vboard::TBoardModel model;
    TFaultQueue faults;
    TFakeHost host;
    TControlProtocol ctl{model, faults, host};
    std::string Run(const std::string& line) {
        auto r = ctl.Execute(line);
        return r.deferred ? r.deferred() : r.reply;
    }
};

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(FaultQueue, EachKindSpoilsTheReplyItsOwnWay) {
    EXPECT_EQ(TFaultQueue::Apply({}, 0x05, kStatusOk).bytes, kGoodReply);
    EXPECT_TRUE(Spoil("drop").bytes.empty());
    EXPECT_FALSE(Spoil("drop").disconnect);
    EXPECT_TRUE(Spoil("disconnect").disconnect);

    Bytes b = Spoil("bad-checksum").bytes;
    ASSERT_EQ(b.size(), kGoodReply.size());
    EXPECT_NE(b[7], kGoodReply[7]);
    EXPECT_EQ(Spoil("bad-start").bytes[0], 0x00);
    EXPECT_EQ(Spoil("bad-end").bytes.back(), 0x00);
    // A well-formed frame with another command.
    EXPECT_EQ(Spoil("wrong-command").bytes, wire::MakeFrame(0x06, kStatusOk));
    // A well-formed frame one byte longer than expected.
    EXPECT_EQ(Spoil("wrong-length").bytes, wire::MakeFrame(0x05, {0x00, 0x00}));
    EXPECT_EQ(Spoil("status:7").bytes, wire::MakeFrame(0x05, {0x07}));
    EXPECT_EQ(Spoil("truncate:4").bytes, Bytes(kGoodReply.begin(), kGoodReply.begin() + 4));
    EXPECT_EQ(Spoil("truncate:100").bytes, kGoodReply);

    auto g = Spoil("garbage:300");
    ASSERT_EQ(g.bytes.size(), 300 + kGoodReply.size());
    EXPECT_TRUE(std::equal(kGoodReply.begin(), kGoodReply.end(), g.bytes.begin() + 300));
    EXPECT_EQ(std::count(g.bytes.begin(), g.bytes.begin() + 300, wire::kFrameStart), 0);

    auto s = Spoil("stall:250");
    EXPECT_EQ(s.delayMs, 250u);
    EXPECT_EQ(s.bytes, kGoodReply);
}

TEST(FaultQueue, ParseRefusesMalformedKinds) {
    for (const char* bad : {"", "dropp", "drop:1", "garbage", "garbage:", "garbage:x", "stall:-1",
                            "status:256", "truncate:1x", "garbage:99999999999", "clear"})
        EXPECT_FALSE(TFaultQueue::Parse(bad)) << bad;
}

TEST(FaultQueue, CountsAndOrderAndClear) {
    TFaultQueue q;
    q.Arm(*TFaultQueue::Parse("drop"), 2);
    q.Arm(*TFaultQueue::Parse("status:3"), 1);
    EXPECT_EQ(q.Pending(), 3u);
    EXPECT_EQ(q.Take().kind, TFaultQueue::Kind::Drop);
    EXPECT_EQ(q.Take().kind, TFaultQueue::Kind::Drop);
    auto f = q.Take();
    EXPECT_EQ(f.kind, TFaultQueue::Kind::Status);
    EXPECT_EQ(f.value, 3u);
    EXPECT_EQ(q.Take().kind, TFaultQueue::Kind::None);
    q.Arm(*TFaultQueue::Parse("bad-end"), 5);
    q.Clear();
    EXPECT_EQ(q.Take().kind, TFaultQueue::Kind::None);
}

TEST(ControlProtocol, RefusesBadCommandsAndArguments) {
    TControl c;
    const std::string bad[] = {
        "",
        "frobnicate",
        "get",
        "get nothing",
        "set inputs",
        "set inputs 0x400000",
        "set inputs zz",
        "usb 256",
        "usb -1",
        "usb disk",
        "help nothing",
        "help get nothing",
        "help usb storage",
        "ir push 0",
        "ir push 0G",
        "ir present 2",
        "ps2 push 010203",
        "rs232 loopback yes",
        "hsmc fail 0x10000000000 0",
        "hsmc fail 0 0x100",
        "mem read 4 0 1",
        "mem read 7 0 65537",
        "mem read 5 0xFFF 2",
        "mem write 6 0x1FFFFF 0102",
        "mem write 6 0 012",
        "erase steps 4294967296",
        "fault",
        "fault explode",
        "fault drop 0",
        "fault drop x",
        "fault clear now",
        "link rate 0",
        "link rate fast",
        "sd insert 00 00 2",
        "status now",
        "log",
        "configure",
        "configure /no/such/file",
        "sd insert " + std::string(32, '0') + " " + std::string(30, '0') + " 2",
    };
    for (const std::string& line : bad) {
        std::string reply = c.Run(line);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << "'" << line << "' gave '" << reply << "'";
    }
    EXPECT_EQ(c.Run("mem read 4 0 1"), "error unknown memory code 4; the codes are 6 (SRAM), "
                                       "5 (EEPROM), 7 (SDRAM), 3 (FLASH)");
}

TEST(ControlProtocol, ReadsAndChangesTheBoard) {
    TControl c;
    EXPECT_EQ(c.Run("status"), "ok configured=0 link=closed");
    c.model.leds = 0x07FFFFFF;
    EXPECT_EQ(c.Run("get leds"), "ok 0x07FFFFFF");
    c.model.lcdLine[0] = "AB";
    EXPECT_EQ(c.Run("get lcd"), "ok 4142 ");
    EXPECT_EQ(c.Run("ir push 1a2B"), "ok"); // either case of hex digits
    EXPECT_EQ(c.model.irQueue, (std::deque<uint8_t>{0x1A, 0x2B}));
    EXPECT_EQ(c.Run("mem write 3 0x10 00ff"), "ok"); // bypasses the AND rule
    EXPECT_EQ(c.Run("mem write 3 0x10 a5"), "ok");
    EXPECT_EQ(c.Run("mem read 3 0x10 3"), "ok A5FFFF");
    EXPECT_EQ(c.Run("mem read 7 0 65536").size(), 3u + 2 * 65536);
    c.model.rs232Tx = std::string("A\0", 2);
    EXPECT_EQ(c.Run("get rs232-tx"), "ok 4100");
    EXPECT_EQ(c.Run("get rs232-tx"), "ok"); // taken, not kept
    EXPECT_EQ(c.Run("sd insert " + std::string(32, '1') + " " + std::string(32, '2') + " 1"), "ok");
    EXPECT_EQ(c.model.sd.csd[0], 0x11);
    EXPECT_EQ(c.Run("fault drop 3"), "ok");
    EXPECT_EQ(c.faults.Pending(), 3u);
    EXPECT_EQ(c.Run("fault clear"), "ok");
    EXPECT_TRUE(c.faults.Empty());
    c.model.Handle(0, nullptr, 0);
    c.model.Handle(0x21, nullptr, 0);
    EXPECT_EQ(c.Run("log requests"), "ok 00 21");
    EXPECT_EQ(c.Run("log requests"), "ok");
    EXPECT_EQ(c.Run("set inputs 0x2A0005"), "ok");
    EXPECT_EQ(c.Run("get inputs"), "ok 0x2A0005");
    for (auto [word, kind] :
         {std::pair{"storage", 2}, std::pair{"other", 3}, std::pair{"200", 200}}) {
        EXPECT_EQ(c.Run(std::string("usb ") + word), "ok") << word;
        EXPECT_EQ(c.model.usbKind, kind) << word;
    }
    EXPECT_EQ(c.Run("get link"), "ok closed");
    c.host.linkOpen = true;
    EXPECT_EQ(c.Run("get link"), "ok open 4711");
}

namespace {

std::vector<std::string> SplitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + separator.size();
    }
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

} // namespace

// Help and dispatch come from one table: every command help lists is one the
// protocol runs, and each can be explained on its own.
TEST(ControlProtocol, HelpListsExactlyWhatRuns) {
    TControl c;
    const std::string help = c.Run("help");
    ASSERT_TRUE(StartsWith(help, "ok ")) << help;
    const auto usages = SplitAt(help.substr(3), "; ");
    EXPECT_GE(usages.size(), 30u);
    for (const char* expected :
         {"configure <path>", "get inputs", "set inputs <hex>", "usb <n>|<name>",
          "fault <kind> [<count>]|clear", "help [<command>]"})
        EXPECT_NE(std::find(usages.begin(), usages.end(), expected), usages.end()) << expected;
    for (const auto& usage : usages) {
        auto words = SplitAt(usage, " ");
        std::string command = words[0];
        if (words.size() > 1 && words[1][0] != '<' && words[1][0] != '[')
            command += " " + words[1];
        const std::string explained = c.Run("help " + command);
        EXPECT_TRUE(StartsWith(explained, "ok " + usage + ": ")) << usage << ": " << explained;
        // Called without its arguments, a known command never counts as unknown.
        const std::string reply = c.Run(command);
        EXPECT_EQ(reply.find("unknown"), std::string::npos) << command << ": " << reply;
    }
    EXPECT_TRUE(StartsWith(c.Run("help get"), "ok get leds: ")) << c.Run("help get");
    EXPECT_NE(c.Run("help get").find("; get inputs: "), std::string::npos);
    EXPECT_NE(c.Run("help fault").find("garbage:<n>"), std::string::npos);
    EXPECT_NE(c.Run("help usb").find("none, mouse, storage, other"), std::string::npos);
    // A first word alone, or with an unknown second one, names what it takes.
    for (const char* line : {"get", "get nothing", "help get nothing"})
        EXPECT_NE(c.Run(line).find("get takes leds, seg7, lcd, vga, rs232-tx, modes, inputs, link"),
                  std::string::npos)
            << line << ": " << c.Run(line);
    EXPECT_EQ(c.Run("frobnicate"), "error unknown command frobnicate (help lists them)");
}

// A refused report says why, and nothing of the push is queued.
TEST(ControlProtocol, Ps2PushSaysWhyItDropsReports) {
    TControl c;
    EXPECT_EQ(c.Run("ps2 push 0905FB0001"),
              "error a report is 4 bytes; 5 bytes leave 1 over, nothing queued");
    EXPECT_EQ(c.Run("ps2 push 0905FBXX"), "error bad bytes: give hex digit pairs");
    EXPECT_EQ(c.Run("ps2 present 0"), "ok");
    EXPECT_EQ(c.Run("ps2 push 0905FB00"),
              "error no mouse is plugged in (ps2 present 0), nothing queued");
    EXPECT_TRUE(c.model.ps2Queue.empty());
    EXPECT_EQ(c.Run("ps2 present 1"), "ok");
    const std::string report = "0905FB00";
    std::string many;
    for (size_t i = 0; i < vboard::TBoardModel::kPs2QueueMax / 4; ++i)
        many += report;
    EXPECT_EQ(c.Run("ps2 push " + many), "ok");
    EXPECT_EQ(c.Run("ps2 push " + report),
              "error queue full: 4096 reports wait to be read (monitoring mode is off), nothing "
              "queued");
    EXPECT_EQ(c.model.ps2Queue.size(), vboard::TBoardModel::kPs2QueueMax);
}

TEST(ControlProtocol, ConfigureChecksTheDesignFile) {
    TempDir tmp;
    TControl c;
    Bytes good = TDesignFile::Build();
    WriteFile(tmp.File("good design.sof"), good);
    // The path is the rest of the line, blanks and all.
    auto r = c.ctl.Execute("configure " + tmp.File("good design.sof"));
    ASSERT_TRUE(r.deferred);
    EXPECT_EQ(r.delayMs, 1500u);
    EXPECT_FALSE(c.host.configured); // only after the download time
    EXPECT_EQ(r.deferred(), "ok");
    EXPECT_TRUE(c.host.configured);

    // A power cycle during the download spoils it.
    r = c.ctl.Execute("configure " + tmp.File("good design.sof"));
    c.Run("reset");
    EXPECT_EQ(r.deferred().rfind("error ", 0), 0u);
    EXPECT_FALSE(c.host.configured);

    Bytes damaged = good, truncated(good.begin(), good.end() - 10),
          foreign = TDesignFile::Build("DE2_115");
    damaged[good.size() / 2] ^= 0x01;
    Bytes version = good;
    version[8] = 2;
    Bytes text = {'h', 'e', 'l', 'l', 'o'};
    for (auto [name, bytes] : {std::pair{"damaged", damaged}, std::pair{"truncated", truncated},
                               std::pair{"foreign", foreign}, std::pair{"version", version},
                               std::pair{"text", text}, std::pair{"empty", Bytes{}}}) {
        WriteFile(tmp.File(name), bytes);
        std::string reply = c.Run(std::string("configure ") + tmp.File(name));
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << name << ": " << reply;
    }
    EXPECT_EQ(c.Run("configure " + tmp.Path()).rfind("error ", 0), 0u); // a directory
}

TEST(DesignFile, BuiltFileValidatesAndNamesTheBoard) {
    Bytes d = TDesignFile::Build();
    EXPECT_EQ(TDesignFile::Validate(d), "");
    EXPECT_EQ(TDesignFile::InfoValue(d, "board"), "KBR_370");
    EXPECT_EQ(TDesignFile::InfoValue(d, "device"), "EP3C120/EP4CE115");
    EXPECT_EQ(TDesignFile::ValidateFile(TestVBoard::DesignFile()), "");
    // Every single-byte corruption is caught.
    for (size_t i = 0; i < d.size(); i += 97) {
        Bytes bad = d;
        bad[i] ^= 0x40;
        EXPECT_NE(TDesignFile::Validate(bad), "") << "byte " << i;
    }
    Bytes longer = d;
    longer.push_back(0);
    EXPECT_NE(TDesignFile::Validate(longer), "");
}

TEST(ControlProtocol, DefectsReachWhatTheLinkReadsAndClearAgain) {
    TControl c;
    uint8_t byte = 0;
    EXPECT_EQ(c.Run("defect mem-stuck 6 234 3 1"), "ok");
    c.model.Memory(6)->ReadWired(0x234, &byte, 1);
    EXPECT_EQ(byte, 0x08);
    c.model.Memory(6)->ReadWired(0x1234, &byte, 1);
    EXPECT_EQ(byte, 0x00);
    EXPECT_EQ(c.Run("defect mem-alias 6 12"), "ok");
    c.model.Memory(6)->ReadWired(0x1234, &byte, 1);
    EXPECT_EQ(byte, 0x08) << "line 12 stuck low: 0x1234 reaches the cell at 0x0234";
    for (const char* bad : {"defect mem-stuck 9 0 0 1", "defect mem-stuck 6 zz 0 1",
                            "defect mem-stuck 6 0 8 1", "defect mem-stuck 6 0 0 2",
                            "defect mem-stuck 6 200000 0 1", "defect mem-alias 6 21",
                            "defect flash-sector x", "defect mem-stuck 6 0 0"})
        EXPECT_EQ(c.Run(bad).rfind("error ", 0), 0u) << bad;
    EXPECT_EQ(c.Run("defect flash-sector 3"), "ok");
    EXPECT_EQ(c.Run("defect clear"), "ok");
    c.model.Memory(6)->ReadWired(0x234, &byte, 1);
    EXPECT_EQ(byte, 0x00);
}
