#include "core/jobs/SelfTest.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "board/Board.h"
#include "board/SdCardRegisters.h"
#include "core/Host.h"
#include "core/DeviceWatch.h"
#include "core/devices/DeviceTable.h"
#include "core/devices/Devices.h"
#include "core/devices/HsmcReport.h"
#include "core/devices/LcdText.h"
#include "core/devices/MemoryModel.h"
#include "core/devices/SdRegisterCrc.h"
#include "core/devices/UsbDevice.h"
#include "core/devices/VgaPattern.h"
#include "core/jobs/MemoryTransfer.h"
#include "core/jobs/ReportParts.h"
#include "wire/Memories.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace devices = kbr::devices;
using kbr::TDeviceWatch;

constexpr const char* kNeedsPerson = "needs a person (--interactive)";
constexpr int kKeyCount = 4, kSwitchCount = 18, kLedCount = 27;
constexpr int kKeepAlives = 32;
// The round trip's bytes go to the SRAM, well clear of byte 0 where the
// memory checks begin.
constexpr uint32_t kRoundTripAt = 0x10000, kRoundTripBytes = 4096;
constexpr uint32_t kRateBytes = 256u << 10;
constexpr uint32_t kLoopbackWaitMs = 2000;

uint32_t MsSince(Clock::time_point start) {
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

double MsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        std::transform(item.begin(), item.end(), item.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (!item.empty())
            items.push_back(item);
    }
    return items;
}

} // namespace

// What runs each area, in the order the device table gives the areas.
const std::vector<std::pair<std::string, void (TSelfTest::*)()>>& TSelfTest::Steps() {
    static const std::vector<std::pair<std::string, void (TSelfTest::*)()>> steps = [] {
        const std::map<std::string, void (TSelfTest::*)()> bodies = {
            {"link", &TSelfTest::Link},     {"memories", &TSelfTest::Memories},
            {"sd", &TSelfTest::SdCard},     {"hsmc", &TSelfTest::Hsmc},
            {"usb", &TSelfTest::Usb},       {"ir", &TSelfTest::Ir},
            {"ps2", &TSelfTest::Ps2},       {"rs232", &TSelfTest::Rs232},
            {"inputs", &TSelfTest::Inputs}, {"leds", &TSelfTest::Leds},
            {"seg7", &TSelfTest::Seg7},     {"lcd", &TSelfTest::Lcd},
            {"vga", &TSelfTest::Vga}};
        std::vector<std::pair<std::string, void (TSelfTest::*)()>> ordered;
        for (const char* area : devices::kAreas)
            ordered.emplace_back(area, bodies.at(area));
        return ordered;
    }();
    return steps;
}

const std::vector<std::string>& TSelfTest::Areas() {
    static const std::vector<std::string> areas(devices::kAreas.begin(), devices::kAreas.end());
    return areas;
}

std::optional<std::vector<std::string>>
TSelfTest::ChooseAreas(const std::string& only, const std::string& skip, std::string& error) {
    const std::vector<std::string> wanted = SplitList(only), skipped = SplitList(skip);
    for (const auto* list : {&wanted, &skipped})
        for (const std::string& name : *list)
            if (std::find(Areas().begin(), Areas().end(), name) == Areas().end()) {
                error = FormatText("unknown area \"%s\"", name.c_str());
                return std::nullopt;
            }
    std::vector<std::string> areas;
    for (const std::string& area : Areas()) {
        const bool in = wanted.empty() || std::count(wanted.begin(), wanted.end(), area);
        if (in && !std::count(skipped.begin(), skipped.end(), area))
            areas.push_back(area);
    }
    return areas;
}

TSelfTest::TSelfTest(TBoard& board, TOptions options, THost& host)
    : board(board), options(std::move(options)), host(host) {}

void TSelfTest::Run(TSelfTestReport& into, const CheckDone& each) {
    report = &into;
    checkDone = each;
    linkLost = aborted = false;
    for (const auto& [area, body] : Steps()) {
        if (Stopped())
            break;
        if (std::count(options.areas.begin(), options.areas.end(), area))
            (this->*body)();
    }
    if (linkLost || aborted) {
        into.completed = false;
        // The check that met the loss failed; those after it were not run.
        auto last = std::find_if(into.checks.rbegin(), into.checks.rend(),
                                 [](const TCheckResult& c) { return c.result == TResult::Failed; });
        if (!linkLost || last == into.checks.rend())
            last = into.checks.rbegin();
        const std::string where =
            last == into.checks.rend() ? std::string("the start") : last->area + ": " + last->name;
        into.stopReason = linkLost ? "The link to the board was lost during " + where + "."
                                   : "Stopped after " + where + ".";
    }
    report = nullptr;
    checkDone = {};
}

// ---- the frame of a check ----------------------------------------------------

bool TSelfTest::Stopped() const {
    return linkLost || aborted;
}

void TSelfTest::Add(TCheckResult result) {
    if (checkDone)
        checkDone(result);
    report->checks.push_back(std::move(result));
}

bool TSelfTest::StopAsked() {
    aborted = aborted || host.StopRequested();
    return aborted;
}

bool TSelfTest::Check(const std::string& area, const std::string& name, const Body& body) {
    StopAsked();
    if (Stopped())
        return false;
    TCheckResult result;
    result.area = area;
    result.name = name;
    const Clock::time_point start = Clock::now();
    body(result);
    result.durationMs = MsSince(start);
    Add(std::move(result));
    return !Stopped();
}

bool TSelfTest::Answered(bool ok, TCheckResult& result, const std::string& what) {
    if (ok)
        return true;
    result.result = TResult::Failed;
    if (!board.Ping()) {
        linkLost = true;
        result.message = "The link was lost: " + what + ".";
    } else {
        result.message = what + ".";
    }
    return false;
}

void TSelfTest::Pause(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TSelfTest::Verdict(TCheckResult& result, const std::string& question) {
    if (!options.interactive) {
        result.result = TResult::Skipped;
        result.message = std::string(kNeedsPerson) + "; " + result.message;
        return;
    }
    result.details.emplace_back("question", question);
    const bool yes = host.Ask(question);
    // A stop while the person was asked is no answer.
    if (host.StopRequested()) {
        aborted = true;
        result.result = TResult::Skipped;
        result.message = "Stopped before it was answered.";
        return;
    }
    if (yes) {
        result.details.emplace_back("answer", "yes");
    } else {
        result.details.emplace_back("answer", "no");
        result.result = TResult::Failed;
        result.message = "The person did not see it: " + result.message;
    }
}

// ---- link --------------------------------------------------------------------

void TSelfTest::Link() {
    Check("link", "board name", [&](TCheckResult& r) {
        std::string name;
        if (!Answered(board.QueryBoardName(name), r, "the board did not tell its name"))
            return;
        r.details = {{"name", name}};
        r.message = "the board answers as " + name;
        if (name != kbr::wire::kBoardName) {
            r.result = TResult::Failed;
            r.message = FormatText("the board answers as \"%s\", not %s", name.c_str(),
                                   kbr::wire::kBoardName);
        }
    });
    Check("link", "keep-alives", [&](TCheckResult& r) {
        double least = 1e9, most = 0, sum = 0;
        for (int i = 0; i < kKeepAlives; ++i) {
            const Clock::time_point start = Clock::now();
            if (!Answered(board.Ping(), r,
                          FormatText("keep-alive %d of %d had no answer", i + 1, kKeepAlives)))
                return;
            const double ms = MsBetween(start, Clock::now());
            least = std::min(least, ms);
            most = std::max(most, ms);
            sum += ms;
        }
        r.details = {{"count", std::to_string(kKeepAlives)},
                     {"lost", "0"},
                     {"rtt_min_ms", FormatText("%.2f", least)},
                     {"rtt_avg_ms", FormatText("%.2f", sum / kKeepAlives)},
                     {"rtt_max_ms", FormatText("%.2f", most)}};
        r.message = FormatText("%d answered, none lost, round trip %.2f/%.2f/%.2f ms (min/avg/max)",
                               kKeepAlives, least, sum / kKeepAlives, most);
    });
    // Random bytes through the SRAM and back; what was there is put back.
    Check("link", "memory round trip", [&](TCheckResult& r) {
        const auto code = uint8_t(kbr::wire::kMemorySram);
        std::vector<uint8_t> saved(kRoundTripBytes), sent(kRoundTripBytes), got(kRoundTripBytes);
        std::mt19937 random{std::random_device{}()};
        std::generate(sent.begin(), sent.end(), [&] { return uint8_t(random()); });
        if (!Answered(board.ReadMemory(code, kRoundTripAt, kRoundTripBytes, saved.data()), r,
                      "the SRAM could not be read"))
            return;
        const bool moved = board.WriteMemory(code, kRoundTripAt, kRoundTripBytes, sent.data()) &&
                           board.ReadMemory(code, kRoundTripAt, kRoundTripBytes, got.data());
        const TMemoryCheck::TWriteBack back = TMemoryCheck::WriteBack(
            board, kbr::wire::MemoryOf(kbr::wire::kMemorySram), {{kRoundTripAt, saved}});
        report->unrestored.insert(report->unrestored.end(), back.left.begin(), back.left.end());
        if (!back.left.empty())
            r.details.emplace_back("restored", kbr::report::NotRestoredDetail(back.left));
        if (!Answered(moved && back.left.empty(), r,
                      back.left.empty() ? "the random bytes did not make the round trip"
                                        : "the SRAM's bytes could not be written back"))
            return;
        const auto differ = std::mismatch(sent.begin(), sent.end(), got.begin());
        r.details = {{"memory", "SRAM"},
                     {"address", FormatText("0x%06X", kRoundTripAt)},
                     {"bytes", std::to_string(kRoundTripBytes)}};
        r.message =
            FormatText("%u random bytes written to the SRAM and read back alike", kRoundTripBytes);
        if (differ.first != sent.end()) {
            const auto at = uint32_t(kRoundTripAt + (differ.first - sent.begin()));
            r.result = TResult::Failed;
            r.message = FormatText("SRAM byte 0x%06X came back as 0x%02X, sent 0x%02X", at,
                                   *differ.second, *differ.first);
        }
    });
    Check("link", "rate", [&](TCheckResult& r) {
        std::vector<uint8_t> bytes(kRateBytes);
        const Clock::time_point start = Clock::now();
        const bool read =
            TMemoryTransfer(board)
                .ReadInto(kbr::wire::MemoryOf(kbr::wire::kMemorySdram), 0, kRateBytes,
                          TMemoryTransfer::ReadPlan(), bytes.data())
                .Ok();
        if (!Answered(read, r, "the SDRAM could not be read"))
            return;
        const uint64_t rate = uint64_t(kRateBytes) * 1000 / std::max(MsSince(start), 1u);
        r.details = {{"bytes", std::to_string(kRateBytes)},
                     {"bytes_per_second", std::to_string(rate)}};
        r.message = FormatText("%llu KiB/s reading %u KiB", (unsigned long long)(rate / 1024),
                               kRateBytes / 1024);
    });
}

// ---- memories ----------------------------------------------------------------

void TSelfTest::Memories() {
    TMemoryCheck check(board, host);
    TMemoryCheck::TOptions how;
    how.full = options.full;
    how.destructive = options.destructive;
    for (const kbr::wire::TMemory& memory : kbr::wire::kMemories) {
        if (Stopped())
            return;
        const TMemoryCheck::TRun run = check.Run(memory, how);
        for (const TCheckResult& result : run.checks)
            Add(result);
        report->unrestored.insert(report->unrestored.end(), run.unrestored.begin(),
                                  run.unrestored.end());
        linkLost = linkLost || run.linkLost;
        aborted = aborted || run.aborted;
    }
}

// ---- sd, hsmc, the device channels -------------------------------------------

void TSelfTest::SdCard() {
    TBoard::TSdCardRegisters registers{};
    const uint8_t* csd = registers.csd;
    const uint8_t* cid = registers.cid;
    bool done = false;
    Check("sd", "registers", [&](TCheckResult& r) {
        if (!Answered(board.ReadSdCardRegisters(done, registers), r, devices::kSdCard.failed))
            return;
        if (!done) {
            r.result = TResult::Failed;
            r.message = std::string(devices::kSdCard.missing) + " " + devices::kSdCard.plugHint;
            return;
        }
        const TSdCsd decoded = DecodeCsd(csd);
        const std::string product = DecodeCid(cid).productName;
        const std::string fileSystem = FileSystemName(registers.fileSystem);
        r.details = {{"capacity_mb", std::to_string(decoded.capacityMb)},
                     {"csd_version", std::to_string(decoded.version)},
                     {"file_system", fileSystem},
                     {"product", product}};
        r.message = FormatText("card %s, version %d, %llu MB, %s", product.c_str(), decoded.version,
                               (unsigned long long)decoded.capacityMb, fileSystem.c_str());
        if (decoded.version == 0 || decoded.capacityMb == 0) {
            r.result = TResult::Failed;
            r.message = "the card's CSD tells no capacity a card can have: " + r.message;
        }
    });
    if (!done)
        return;
    Check("sd", "CRC7", [&](TCheckResult& r) {
        std::vector<std::string> bad;
        for (const auto& [name, reg] : {std::pair{"CID", cid}, std::pair{"CSD", csd}}) {
            const uint8_t stored = StoredSdCrc7(reg), computed = SdCrc7(reg, 15);
            const std::string key = name == std::string("CID") ? "cid" : "csd";
            r.details.emplace_back(key + "_crc7", FormatText("0x%02X", stored));
            if (stored != computed) {
                bad.push_back(
                    FormatText("%s CRC7 is 0x%02X, its bytes give 0x%02X", name, stored, computed));
                r.failures.push_back({{"register", name},
                                      {"stored", FormatText("0x%02X", stored)},
                                      {"computed", FormatText("0x%02X", computed)}});
            }
        }
        r.message = "CID and CSD CRC7 match their bytes";
        if (!bad.empty()) {
            r.result = TResult::Failed;
            r.message = bad.front() + (bad.size() > 1 ? "; " + bad.back() : std::string());
        }
    });
}

void TSelfTest::Hsmc() {
    Check("hsmc", "loopback", [&](TCheckResult& r) {
        bool done = false;
        uint32_t mask8 = 0;
        uint64_t mask40 = 0;
        if (!Answered(board.RunLoopbackTest(done, 0, mask8, mask40), r, devices::kHsmc.failed))
            return;
        if (!done) {
            r.result = TResult::Failed;
            r.message = std::string(devices::kHsmc.failed) + ": the board refused it";
            return;
        }
        r.details = {{"transceiver_mask", FormatText("0x%02X", mask8)},
                     {"pio_mask", FormatText("0x%010llX", (unsigned long long)mask40)}};
        r.message = "every pin loops back";
        if (HsmcPassed(mask8, mask40))
            return;
        std::string pins;
        auto fail = [&](const char* group, std::string line) {
            // As the page lists them, less the padding and line ends.
            line.erase(line.find_last_not_of(" \r\n") + 1);
            r.failures.push_back({{"group", group}, {"pins", line}});
            pins += (pins.empty() ? "" : ", ") + line;
        };
        for (int g = 0; g < 4; ++g)
            if (mask8 >> g & 1)
                fail("transceiver", HsmcTransceiverLine(g));
        for (int j = 0; j < 40; ++j)
            if (mask40 >> j & 1)
                fail("pio", HsmcPinPairLine(j));
        r.result = TResult::Failed;
        r.message = std::string(devices::kHsmc.ng) + ": " + pins;
    });
}

void TSelfTest::Usb() {
    Check("usb", "port", [&](TCheckResult& r) {
        const TDeviceWatch::TReading reading = TDeviceWatch::Read(board, devices::kUsb.channel);
        if (!Answered(reading.outcome != TDeviceWatch::TOutcome::LinkFailed, r,
                      "reading the USB port failed"))
            return;
        const uint8_t* data = reading.data.data();
        if (reading.count == 0) {
            r.result = TResult::Failed;
            r.message = "the board did not report the USB port";
            return;
        }
        r.details = {{"device", UsbKindWord(data[0])}};
        r.message = "the port answers; device: " + UsbKindWord(data[0]);
    });
}

void TSelfTest::Monitor(const std::string& area, uint8_t channel, const char* refused) {
    Check(area, "monitoring mode", [&](TCheckResult& r) {
        using TOutcome = TDeviceWatch::TOutcome;
        TDeviceWatch watch(board, channel);
        const TOutcome started = watch.Start();
        if (!Answered(started != TOutcome::LinkFailed, r, "switching monitoring on failed"))
            return;
        // Switched off also when it was refused: nothing stays on behind us.
        const TOutcome stopped = watch.Stop();
        if (!Answered(stopped != TOutcome::LinkFailed, r, "switching monitoring off failed"))
            return;
        const bool on = started == TOutcome::Ok, off = stopped == TOutcome::Ok;
        r.message = "monitoring mode accepted and switched off again";
        if (!on || !off) {
            r.result = TResult::Failed;
            r.message = on ? "the board refused to switch monitoring off" : refused;
        }
    });
}

void TSelfTest::Ir() {
    Monitor("ir", devices::kIr.channel, devices::kIr.refused);
}

void TSelfTest::Ps2() {
    Monitor("ps2", devices::kPs2.channel, devices::kPs2.refused);
}

void TSelfTest::Rs232() {
    Monitor("rs232", devices::kRs232.channel, devices::kRs232.refused);
    Rs232Loopback();
}

void TSelfTest::Rs232Loopback() {
    Check("rs232", "loopback", [&](TCheckResult& r) {
        if (!options.rs232Loopback) {
            r.result = TResult::Skipped;
            r.message = "needs a loopback plug (--rs232-loopback)";
            return;
        }
        const uint8_t channel = devices::kRs232.channel;
        std::vector<uint8_t> sent;
        for (int c = 0x20; c < 0x7F; ++c)
            sent.push_back(uint8_t(c));
        r.details = {{"bytes", std::to_string(sent.size())}};
        using TOutcome = TDeviceWatch::TOutcome;
        TDeviceWatch watch(board, channel);
        if (!Answered(watch.Start() != TOutcome::LinkFailed, r, "switching monitoring on failed"))
            return;
        // Whatever arrived before is not ours.
        for (int i = 0; i < 8; ++i)
            if (watch.Tick().count == 0)
                break;
        bool done = false;
        bool ok = board.SendDeviceData(done, channel, uint32_t(sent.size()), sent.data());
        const bool refused = ok && !done;
        std::vector<uint8_t> got;
        const Clock::time_point start = Clock::now();
        while (ok && !refused && got.size() < sent.size() && MsSince(start) < kLoopbackWaitMs) {
            const TDeviceWatch::TReading reading = watch.Tick();
            ok = reading.outcome != TOutcome::LinkFailed;
            got.insert(got.end(), reading.data.begin(), reading.data.begin() + reading.count);
            if (ok && reading.count == 0)
                Pause(20);
        }
        const bool switchedOff = watch.Stop() != TOutcome::LinkFailed;
        if (!Answered(ok && switchedOff, r, devices::kRs232.failed))
            return;
        if (refused) {
            r.result = TResult::Failed;
            r.message = devices::kRs232TransmitFailed;
            return;
        }
        r.message = FormatText("%zu bytes sent came back alike", sent.size());
        if (got != sent) {
            const auto differ = std::mismatch(got.begin(), got.end(), sent.begin());
            r.result = TResult::Failed;
            r.message =
                got.size() < sent.size() && differ.first == got.end()
                    ? FormatText("%zu of %zu bytes came back", got.size(), sent.size())
                    : FormatText("byte %zu came back as 0x%02X, sent 0x%02X",
                                 size_t(differ.first - got.begin()), *differ.first, *differ.second);
        }
    });
}

// ---- what a person sees and does ---------------------------------------------

// An input counts once its bit has differed from the value at the start, at
// any poll since: a key pressed and let go, or a switch moved before it was
// asked for, is seen all the same.
void TSelfTest::WaitForInputs(TCheckResult& r, int firstBit, int count, const char* what) {
    uint32_t start = 0, now = 0, changed = 0;
    if (!Answered(board.ReadSwitchesAndKeys(start), r, "reading the switches and keys failed"))
        return;
    std::vector<std::string> missed;
    for (int i = 0; i < count && !Stopped(); ++i) {
        const uint32_t bit = 1u << (firstBit + i);
        if (!(changed & bit))
            host.Tell(FormatText("%s %d", what, i));
        const Clock::time_point asked = Clock::now();
        while (!(changed & bit) && MsSince(asked) < options.inputWaitMs) {
            if (StopAsked())
                return;
            Pause(50);
            if (!Answered(board.ReadSwitchesAndKeys(now), r,
                          "reading the switches and keys failed"))
                return;
            changed |= now ^ start;
        }
        if (!(changed & bit))
            missed.push_back(std::to_string(i));
    }
    r.details = {{"count", std::to_string(count)}, {"missed", std::to_string(missed.size())}};
    r.message = FormatText("all %d seen through the board", count);
    if (!missed.empty()) {
        std::string list;
        for (const std::string& m : missed) {
            list += (list.empty() ? "" : ", ") + m;
            r.failures.push_back({{"input", std::string(what) + " " + m}});
        }
        r.result = TResult::Failed;
        r.message = "not seen: " + list;
    }
}

void TSelfTest::Inputs() {
    const bool person = options.interactive;
    // The board's value: keys in bits 0-3, switches in bits 4-21.
    for (const auto& [name, first, count, what] :
         {std::tuple{"keys", 0, kKeyCount, "press key"},
          std::tuple{"switches", kKeyCount, kSwitchCount, "move switch"}}) {
        Check("inputs", name, [&](TCheckResult& r) {
            if (person)
                return WaitForInputs(r, first, count, what);
            uint32_t value = 0;
            if (!Answered(board.ReadSwitchesAndKeys(value), r,
                          "reading the switches and keys failed"))
                return;
            r.result = TResult::Skipped;
            r.message = FormatText("%s; read as 0x%08X", kNeedsPerson, value);
        });
    }
}

void TSelfTest::Leds() {
    Check("leds", "walking light", [&](TCheckResult& r) {
        for (int i = 0; i < kLedCount; ++i) {
            if (!Answered(board.SetLeds(1u << i), r, "setting the LEDs failed"))
                return;
            Pause(options.interactive ? 80 : 10);
        }
        if (!Answered(board.SetLeds((1u << kLedCount) - 1), r, "setting the LEDs failed"))
            return;
        r.message = "the 27 LEDs lit one after another, then all";
        Verdict(r, "Did the 27 LEDs light one after another, and are they all lit now?");
        board.SetLeds(0);
    });
}

void TSelfTest::Seg7() {
    Check("seg7", "digits", [&](TCheckResult& r) {
        for (uint32_t d = 0; d < 16; ++d) {
            if (!Answered(board.SetSeg7(d * 0x11111111u, 0), r, "setting the display failed"))
                return;
            Pause(options.interactive ? 150 : 10);
        }
        if (!Answered(board.SetSeg7(0x01234567, 0), r, "setting the display failed"))
            return;
        r.message = "every digit stepped through 0-F, then 01234567";
        Verdict(r, "Did every digit step through 0-F, and does the display show 01234567 now?");
    });
}

void TSelfTest::Lcd() {
    Check("lcd", "text", [&](TCheckResult& r) {
        const std::string top = "KBR-370 selftest", bottom = "0123456789ABCDEF";
        const std::vector<uint8_t> text = LcdText(top, bottom);
        bool done = false;
        if (!Answered(board.SendDeviceData(done, devices::kLcd.channel, uint32_t(text.size()),
                                           text.data()),
                      r, devices::kLcd.failed))
            return;
        if (!done) {
            r.result = TResult::Failed;
            r.message = devices::kLcd.refused;
            return;
        }
        r.message = "\"" + top + "\" / \"" + bottom + "\" shown";
        Verdict(r, "Does the LCD show \"" + top + "\" above \"" + bottom + "\"?");
    });
}

void TSelfTest::Vga() {
    auto show = [&](TCheckResult& r, int pattern) {
        bool done = false;
        const auto byte = uint8_t(pattern);
        if (!Answered(board.SendDeviceData(done, devices::kVga.channel, 1, &byte), r,
                      "setting the VGA pattern failed"))
            return false;
        if (!done) {
            r.result = TResult::Failed;
            r.message = devices::kVga.refused;
        }
        return done;
    };
    if (!options.interactive) {
        Check("vga", "patterns", [&](TCheckResult& r) {
            for (int p = 0; p < kVgaPatternCount; ++p) {
                if (!show(r, p))
                    return;
                Pause(100);
            }
            r.message = "the six patterns shown in turn";
            Verdict(r, {});
        });
        return;
    }
    for (int p = 0; p < kVgaPatternCount; ++p)
        Check("vga", kVgaPatternNames[size_t(p)], [&](TCheckResult& r) {
            if (!show(r, p))
                return;
            r.message = std::string(kVgaPatternNames[size_t(p)]) + " shown";
            Verdict(r, FormatText("Does the VGA screen show the %s pattern?",
                                  kVgaPatternNames[size_t(p)]));
        });
}
